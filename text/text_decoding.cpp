// Encoding detection and chunked decoding of a text file's bytes.
#include "text/text_decoding.h"

#include "text/code_page.h"
#include "text/utf8.h"

namespace farrowdale {
namespace {

void DecodeUtf16(std::string_view bytes, bool big_endian, std::u16string* text) {
  text->resize(bytes.size() / 2);
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const int high = big_endian ? 0 : 1;
  for (char16_t& unit : *text) {
    unit = static_cast<char16_t>(p[high] << 8 | p[1 - high]);
    p += 2;
  }
}

// The length of the UTF-8 prefix that can be decoded before more bytes arrive. A cut before a
// byte that does not continue a sequence never changes the decoding, so only a trailing lead
// byte with fewer continuation bytes after it than its sequence needs is held back (a lead is
// at most 3 bytes before the end of its sequence).
size_t Utf8DecodablePrefix(std::string_view bytes) {
  const size_t size = bytes.size();
  for (size_t back = 1; back <= 4 && back <= size; ++back) {
    const auto c = static_cast<unsigned char>(bytes[size - back]);
    if ((c & 0xC0) == 0x80) continue;
    const size_t needed = c >= 0xC2 && c <= 0xDF   ? 2
                          : c >= 0xE0 && c <= 0xEF ? 3
                          : c >= 0xF0 && c <= 0xF4 ? 4
                                                   : 1;
    return needed > back ? size - back : size;
  }
  return size;
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

void TextDecoder::Feed(std::string_view bytes) {
  if (stopped_) return;
  if (detected_ && pending_.empty() && cut_ != Cut::kAtEnd) {
    Decode(bytes, false);
    return;
  }
  pending_.append(bytes);
  if (!detected_) {
    if (pending_.size() < 3) return;  // the longest mark
    Detect();
  }
  if (cut_ == Cut::kAtEnd) return;
  std::string held;
  held.swap(pending_);
  Decode(held, false);
}

void TextDecoder::Finish() {
  if (stopped_) return;
  if (!detected_) Detect();
  std::string held;
  held.swap(pending_);
  Decode(held, true);
}

void TextDecoder::Detect() {
  size_t bom_length;
  encoding_ = DetectTextEncoding(pending_, &bom_length);
  pending_.erase(0, bom_length);
  detected_ = true;
  switch (encoding_) {
    case TextEncoding::Utf16Le:
    case TextEncoding::Utf16Be:
      cut_ = Cut::kUtf16;
      break;
    case TextEncoding::Utf8:
      cut_ = Cut::kUtf8;
      break;
    case TextEncoding::SystemCodePage:
      cut_ = SystemCodePageName() == "UTF-8" ? Cut::kUtf8
             : SystemCodePageIsMultiByte()   ? Cut::kAtEnd
                                             : Cut::kAnywhere;
      break;
  }
}

void TextDecoder::Decode(std::string_view bytes, bool at_end) {
  size_t usable = bytes.size();
  if (!at_end) {
    switch (cut_) {
      case Cut::kAnywhere:
      case Cut::kAtEnd:  // Feed keeps all of it for the end
        break;
      case Cut::kUtf16:
        usable &= ~size_t{1};
        break;
      case Cut::kUtf8:
        usable = Utf8DecodablePrefix(bytes);
        break;
    }
  }
  pending_.assign(bytes.substr(usable));
  bytes = bytes.substr(0, usable);
  if (cut_ == Cut::kUtf16) {
    DecodeUtf16(bytes, encoding_ == TextEncoding::Utf16Be, &decoded_);
  } else if (cut_ == Cut::kUtf8) {
    decoded_.resize(bytes.size());
    decoded_.resize(Utf8ToUtf16(bytes, decoded_.data()));
  } else {
    ToUnicode(bytes, &decoded_);
  }
  if (!sink_(decoded_)) stopped_ = true;
}

std::u16string DecodeTextFileBytes(std::string_view bytes) {
  std::u16string text;
  TextDecoder decoder([&text](std::u16string_view piece) {
    const size_t nul = piece.find(u'\0');
    text.append(piece.substr(0, nul));
    return nul == std::u16string_view::npos;
  });
  decoder.Feed(bytes);
  decoder.Finish();
  return text;
}

}  // namespace farrowdale
