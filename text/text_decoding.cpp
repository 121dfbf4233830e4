// Encoding detection and chunked decoding of a text file's bytes.
#include "text/text_decoding.h"

#include <algorithm>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

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

// A file without a mark is UTF-16 when its first min(size, 4096) bytes, rounded down to an
// even number, are at least 4 and alternate: every byte at an odd offset zero and none at an
// even offset (UTF-16 LE), or the mirror image (UTF-16 BE). Text in any 8-bit code page almost
// never has zero bytes, let alone every other one.
TextEncoding SniffUtf16(std::string_view bytes) {
  const size_t length = std::min(bytes.size(), kUtf16SniffBytes) & ~size_t{1};
  if (length < 4) return TextEncoding::SystemCodePage;
  bool little_endian = true;
  bool big_endian = true;
  for (size_t i = 0; i < length && (little_endian || big_endian); i += 2) {
    const bool even_zero = bytes[i] == '\0';
    const bool odd_zero = bytes[i + 1] == '\0';
    little_endian = little_endian && !even_zero && odd_zero;
    big_endian = big_endian && even_zero && !odd_zero;
  }
  if (little_endian) return TextEncoding::Utf16Le;
  if (big_endian) return TextEncoding::Utf16Be;
  return TextEncoding::SystemCodePage;
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
  if (not_utf8_ || (text_ended_ && !check_utf8_)) return;
  // A first chunk long enough to tell the encoding is decoded where it lies.
  if (!detected_ && pending_.empty() && bytes.size() >= kUtf16SniffBytes) {
    bytes.remove_prefix(Detect(bytes));
  }
  if (detected_ && pending_.empty() && decoding_ != Decoding::kAtEnd) {
    Decode(bytes, false);
    return;
  }
  pending_.append(bytes);
  if (!detected_) {
    if (pending_.size() < kUtf16SniffBytes) return;
    pending_.erase(0, Detect(pending_));
  }
  if (decoding_ == Decoding::kAtEnd) return;
  std::string held;
  held.swap(pending_);
  Decode(held, false);
}

void TextDecoder::Finish() {
  if (not_utf8_ || (text_ended_ && !check_utf8_)) return;
  if (!detected_) pending_.erase(0, Detect(pending_));
  std::string held;
  held.swap(pending_);
  Decode(held, true);
}

size_t TextDecoder::Detect(std::string_view start) {
  size_t bom_length;
  TextEncoding encoding = DetectTextEncoding(start, &bom_length);
  if (encoding == TextEncoding::SystemCodePage) {
    encoding = SniffUtf16(start);
    if (encoding == TextEncoding::Utf16Le) {
      warnings_.push_back({TextReadWarning::Kind::kUtf16LeWithoutMark});
    } else if (encoding == TextEncoding::Utf16Be) {
      warnings_.push_back({TextReadWarning::Kind::kUtf16BeWithoutMark});
    }
  }
  offset_ = bom_length;
  detected_ = true;
  switch (encoding) {
    case TextEncoding::Utf16Le:
      decoding_ = Decoding::kUtf16Le;
      break;
    case TextEncoding::Utf16Be:
      decoding_ = Decoding::kUtf16Be;
      break;
    case TextEncoding::Utf8:
      decoding_ = Decoding::kUtf8;
      utf8_code_page_ = SystemCodePageKind() == ECodePageKind::kUtf8;
      break;
    case TextEncoding::SystemCodePage:
      if (unmarked_ == Unmarked::kWindows1252) {
        decoding_ = Decoding::kWindows1252;
        warnings_.push_back({TextReadWarning::Kind::kReadAsWindows1252});
      } else if (SystemCodePageKind() == ECodePageKind::kUtf8) {
        decoding_ = Decoding::kUtf8;
        utf8_code_page_ = true;
        check_utf8_ = true;
      } else {
        decoding_ = SystemCodePageIsMultiByte() ? Decoding::kAtEnd : Decoding::kSingleByteCodePage;
      }
      break;
  }
  return bom_length;
}

bool TextDecoder::CutAtZero(std::string_view& bytes) const {
  if (decoding_ == Decoding::kUtf16Le || decoding_ == Decoding::kUtf16Be) {
    // bytes start at a code unit's first byte.
    size_t i = 0;
#ifdef __SSE2__
    for (; i + 16 <= bytes.size(); i += 16) {
      const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes.data() + i));
      if (_mm_movemask_epi8(_mm_cmpeq_epi16(units, _mm_setzero_si128())) != 0) break;
    }
#endif
    for (; i + 1 < bytes.size(); i += 2) {
      if (bytes[i] == '\0' && bytes[i + 1] == '\0') {
        bytes = bytes.substr(0, i);
        return true;
      }
    }
    return false;
  }
  // Every code page taken here encodes U+0000 as the zero byte and nothing else.
  const size_t zero = bytes.find('\0');
  if (zero == std::string_view::npos) return false;
  bytes = bytes.substr(0, zero);
  return true;
}

void TextDecoder::Decode(std::string_view bytes, bool at_end) {
  size_t usable = bytes.size();
  if (!at_end) {
    if (decoding_ == Decoding::kUtf16Le || decoding_ == Decoding::kUtf16Be) {
      usable &= ~size_t{1};
    } else if (decoding_ == Decoding::kUtf8) {
      usable = Utf8DecodablePrefix(bytes);
    }
  }
  pending_.assign(bytes.substr(usable));
  bytes = bytes.substr(0, usable);
  const uint64_t start = offset_;
  offset_ += usable;
  if (check_utf8_ && !IsWellFormedUtf8(bytes)) {
    not_utf8_ = true;
    return;
  }
  if (text_ended_) return;  // only judging the UTF-8 after a zero byte
  if (CutAtZero(bytes)) {
    warnings_.push_back({TextReadWarning::Kind::kCutAtZero, start + bytes.size()});
    text_ended_ = true;
  }
  switch (decoding_) {
    case Decoding::kUtf16Le:
    case Decoding::kUtf16Be:
      DecodeUtf16(bytes, decoding_ == Decoding::kUtf16Be, &decoded_);
      break;
    case Decoding::kUtf8:
      // Unmarked bytes were judged well-formed above; marked ones may hold ill-formed parts,
      // which decoding turns into U+FFFD.
      if (narrow_sink_ && utf8_code_page_ && (check_utf8_ || IsWellFormedUtf8(bytes))) {
        if (!narrow_sink_(bytes)) text_ended_ = true;
        return;
      }
      decoded_.resize(bytes.size());
      decoded_.resize(Utf8ToUtf16(bytes, decoded_.data()));
      break;
    case Decoding::kWindows1252:
      Windows1252ToUnicode(bytes, &decoded_);
      break;
    case Decoding::kSingleByteCodePage:
    case Decoding::kAtEnd:
      ToUnicode(bytes, &decoded_);
      break;
  }
  if (!sink_(decoded_)) text_ended_ = true;
}

std::string TextDecoder::ReadAs() const {
  if (!detected_) return {};
  switch (decoding_) {
    case Decoding::kUtf16Le:
      return "UTF-16 LE";
    case Decoding::kUtf16Be:
      return "UTF-16 BE";
    case Decoding::kUtf8:
      return utf8_code_page_ ? std::string() : "UTF-8";
    case Decoding::kWindows1252:
      return "windows-1252";
    case Decoding::kSingleByteCodePage:
    case Decoding::kAtEnd:
      return {};
  }
  return {};
}

TextReadWarnings DecodeTextChunks(const ChunkSource& source, const TextDecoder::Sink& sink,
                                  const std::function<void()>& restart,
                                  const TextDecoder::NarrowSink& narrow_sink,
                                  std::string* read_as) {
  TextDecoder decoder(sink, TextDecoder::Unmarked::kSystemCodePage, narrow_sink);
  source([&decoder](std::string_view chunk) { decoder.Feed(chunk); });
  decoder.Finish();
  if (!decoder.NotUtf8()) {
    if (read_as) *read_as = decoder.ReadAs();
    return decoder.Warnings();
  }
  restart();
  TextDecoder legacy(sink, TextDecoder::Unmarked::kWindows1252);
  source([&legacy](std::string_view chunk) { legacy.Feed(chunk); });
  legacy.Finish();
  if (read_as) *read_as = legacy.ReadAs();
  return legacy.Warnings();
}

std::u16string DecodeTextFileBytes(std::string_view bytes) {
  std::u16string text;
  DecodeTextChunks([bytes](const ChunkFeed& feed) { feed(bytes); },
                   [&text](std::u16string_view piece) {
                     text.append(piece);
                     return true;
                   },
                   [&text] { text.clear(); });
  return text;
}

}  // namespace farrowdale
