// Reading and writing whole text files: decoding into lines, UTF-16 LE output.
#include <algorithm>
#include <vector>

#include "text/atomic_file.h"
#include "text/line_splitter.h"
#include "text/regular_file.h"
#include "text/text_decoding.h"
#include "text/unicode_string_list.h"

namespace farrowdale {
namespace {

// The lines of the bytes source hands over, built away from the list, so that the list
// changes only when the whole file has been read.
std::vector<std::u16string> DecodeLines(const ChunkSource& source, TextReadWarnings* warnings) {
  std::vector<std::u16string> lines;
  LineSplitter splitter(&lines);
  *warnings = DecodeTextChunks(
      source, [&splitter](std::u16string_view piece) { return splitter.Feed(piece); },
      [&] {
        lines.clear();
        splitter = LineSplitter(&lines);
      });
  splitter.Finish();
  return lines;
}

}  // namespace

TextReadWarnings TUnicodeStringList::LoadFromBytes(std::string_view bytes) {
  TextReadWarnings warnings;
  entries_ = DecodeLines(
      [bytes](const ChunkFeed& feed) {
        for (size_t at = 0; at < bytes.size(); at += kDecodeChunkBytes) {
          feed(bytes.substr(at, kDecodeChunkBytes));
        }
      },
      &warnings);
  return warnings;
}

TextReadWarnings TUnicodeStringList::ReadTextFile(const std::filesystem::path& path) {
  // The file is read and decoded chunk by chunk; a failure leaves the list as it was.
  const TRegularFile file(path);
  TextReadWarnings warnings;
  entries_ = DecodeLines([&file](const ChunkFeed& feed) { file.ReadChunks(feed); }, &warnings);
  return warnings;
}

void TUnicodeStringList::WriteTextFile(const std::filesystem::path& path) const {
  const std::u16string text = JoinedText();
  // UTF-16 LE with its mark, built in one buffer and written in one go.
  std::string bytes(2 + text.size() * 2, '\0');
  bytes[0] = '\xFF';
  bytes[1] = '\xFE';
  char* out = bytes.data() + 2;
  for (char16_t unit : text) {
    *out++ = static_cast<char>(unit & 0xFF);
    *out++ = static_cast<char>(unit >> 8);
  }
  WriteFileAtomically(path, bytes);
}

}  // namespace farrowdale
