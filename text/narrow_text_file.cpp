#include "text/narrow_text_file.h"

#include "text/code_page.h"
#include "text/file_chunks.h"
#include "text/text_decoding.h"
#include "text/unicode_string_list.h"

namespace farrowdale {
namespace {

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }

// Turns decoded pieces into the narrow joined text: CR, LF and CR LF each become CR LF (LF CR
// is two line ends), U+0000 ends the text, and a last line without a line end gets one.
class JoinedNarrowBuilder {
 public:
  // False once a U+0000 has ended the text.
  bool Feed(std::u16string_view piece) {
    normalized_.assign(held_);
    held_.clear();
    size_t i = 0;
    while (i < piece.size()) {
      size_t run = i;
      while (run < piece.size() && !IsBreakOrEnd(piece[run])) ++run;
      if (run > i) {
        normalized_.append(piece.substr(i, run - i));
        after_cr_ = false;
        open_line_ = true;
      }
      if (run == piece.size()) break;
      const char16_t c = piece[run];
      i = run + 1;
      if (c == 0) {
        ended_ = true;
        break;
      }
      if (c == u'\n' && after_cr_) {  // the LF of a CR LF
        after_cr_ = false;
        continue;
      }
      normalized_.append(u"\r\n");
      after_cr_ = c == u'\r';
      open_line_ = false;
    }
    // A surrogate pair split between pieces is converted whole, with the next piece.
    if (!ended_ && !normalized_.empty() && IsHighSurrogate(normalized_.back())) {
      held_.assign(1, normalized_.back());
      normalized_.pop_back();
    }
    AppendNarrow(normalized_, &narrow_);
    return !ended_;
  }

  std::string Finish() {
    normalized_.assign(held_);
    if (open_line_) normalized_.append(u"\r\n");
    AppendNarrow(normalized_, &narrow_);
    return std::move(narrow_);
  }

 private:
  static bool IsBreakOrEnd(char16_t c) {
    return c <= u'\r' && (c == 0 || c == u'\n' || c == u'\r');
  }

  std::u16string normalized_;  // the current piece, line ends normalized; storage reused
  std::u16string held_;        // a high surrogate waiting for its partner
  std::string narrow_;
  bool after_cr_ = false;
  bool open_line_ = false;  // the current line has characters and no line end yet
  bool ended_ = false;
};

}  // namespace

std::string ReadNarrowJoinedText(const std::filesystem::path& path) {
  // Multi-byte code pages other than UTF-8 may keep state across characters, so piecewise
  // conversion is not safe for them: they take the list's way.
  if (SystemCodePageIsMultiByte() && SystemCodePageName() != "UTF-8") {
    TUnicodeStringList list;
    list.ReadTextFile(path);
    return ToNarrow(list.JoinedText());
  }
  JoinedNarrowBuilder builder;
  TextDecoder decoder([&](std::u16string_view piece) { return builder.Feed(piece); });
  ReadFileChunks(path, [&](std::string_view chunk) { decoder.Feed(chunk); });
  decoder.Finish();
  return builder.Finish();
}

}  // namespace farrowdale
