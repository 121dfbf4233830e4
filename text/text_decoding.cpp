// Encoding detection and piecewise decoding of a text file's bytes.
#include "text/text_decoding.h"

#include <algorithm>

#include "text/code_page.h"
#include "text/unicode_string_list.h"
#include "text/utf8.h"

namespace farrowdale {
namespace {

std::u16string DecodeUtf16(std::string_view bytes, bool big_endian) {
  std::u16string text(bytes.size() / 2, u'\0');
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const int high = big_endian ? 0 : 1;
  for (size_t i = 0; i < text.size(); ++i, p += 2) {
    text[i] = static_cast<char16_t>(p[high] << 8 | p[1 - high]);
  }
  return text;
}

inline bool IsContinuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// Where to end a UTF-8 piece near `end` so that no well-formed sequence is split. A cut
// before a byte that is not a continuation byte is always safe; when the byte at `end`
// continues a sequence, its lead is at most 3 bytes back. With 3 continuation bytes before
// it, the byte at `end` belongs to no sequence and the cut stays. Needs end - start >= 4.
size_t Utf8Cut(std::string_view bytes, size_t start, size_t end) {
  if (end >= bytes.size() || !IsContinuation(bytes[end])) return end;
  for (size_t j = end - 1; j >= end - 3 && j > start; --j) {
    if (!IsContinuation(bytes[j])) return j;
  }
  return end;
}

}  // namespace

TextEncoding DetectTextEncoding(std::string_view bytes, size_t* bom_length) {
  *bom_length = 0;
  if (bytes.size() >= 2) {
    if (bytes[0] == '\xFF' && bytes[1] == '\xFE') {
      *bom_length = 2;
      return TextEncoding::Utf16Le;
    }
    if (bytes[0] == '\xFE' && bytes[1] == '\xFF') {
      *bom_length = 2;
      return TextEncoding::Utf16Be;
    }
  }
  if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF") {
    *bom_length = 3;
    return TextEncoding::Utf8;
  }
  return TextEncoding::SystemCodePage;
}

void DecodeTextPieces(std::string_view bytes, size_t block_bytes,
                      const std::function<bool(std::u16string_view)>& sink) {
  size_t bom_length;
  const TextEncoding encoding = DetectTextEncoding(bytes, &bom_length);
  bytes.remove_prefix(bom_length);
  const bool utf8 = encoding == TextEncoding::Utf8 ||
                    (encoding == TextEncoding::SystemCodePage && SystemCodePageName() == "UTF-8");
  const bool utf16 = encoding == TextEncoding::Utf16Le || encoding == TextEncoding::Utf16Be;
  if (encoding == TextEncoding::SystemCodePage && !utf8 && SystemCodePageIsMultiByte()) {
    block_bytes = bytes.size();  // stateful or multi-byte: no safe place to cut
  } else if (utf8) {
    block_bytes = std::max<size_t>(block_bytes, 4);
  } else if (utf16) {
    block_bytes = std::max<size_t>(block_bytes & ~size_t{1}, 2);
  } else {
    block_bytes = std::max<size_t>(block_bytes, 1);
  }
  size_t start = 0;
  do {
    size_t end = bytes.size() - start > block_bytes ? start + block_bytes : bytes.size();
    if (utf8) end = Utf8Cut(bytes, start, end);
    const std::string_view block = bytes.substr(start, end - start);
    start = end;
    std::u16string text;
    if (utf16) {
      text = DecodeUtf16(block, encoding == TextEncoding::Utf16Be);
    } else if (utf8) {
      text = Utf8ToUtf16(block);
    } else {
      text = ToUnicode(block);
    }
    if (!sink(text)) return;
  } while (start < bytes.size());
}

std::u16string DecodeTextFileBytes(std::string_view bytes) {
  std::u16string text;
  DecodeTextPieces(bytes, bytes.size(), [&text](std::u16string_view piece) {
    const size_t nul = piece.find(u'\0');
    text.append(piece.substr(0, nul));
    return nul == std::u16string_view::npos;
  });
  return text;
}

}  // namespace farrowdale
