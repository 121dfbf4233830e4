#include "text/text_blocks.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "text/code_page.h"
#include "text/utf8.h"

namespace farrowdale {
namespace {

// A block's places: 1 MiB, the largest shared block.
constexpr int kPlaceBits = 20;
constexpr uint32_t kPlaceMask = (uint32_t{1} << kPlaceBits) - 1;
constexpr size_t kLargestBlockBytes = size_t{1} << kPlaceBits;
// A text of more bytes gets a block of its own. Half a block at most, so that shared blocks
// and long ones alike use at least half their places and 4 GiB of places hold 2 GiB of text.
constexpr size_t kLongText = kLargestBlockBytes / 2;
// A long text is converted this many units (or narrow bytes) at a time.
constexpr size_t kPieceUnits = 64 * 1024;

bool IsHighSurrogate(uint32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(uint32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// A length as 7-bit groups, low first, the high bit set on all but the last.
size_t WriteLength(size_t length, char* out) {
  size_t bytes = 0;
  while (length >= 0x80) {
    out[bytes++] = static_cast<char>(0x80 | (length & 0x7F));
    length >>= 7;
  }
  out[bytes++] = static_cast<char>(length);
  return bytes;
}

}  // namespace

void AppendKeptForm(std::u16string_view text, std::string& out) {
  for (size_t i = 0; i < text.size(); ++i) {
    uint32_t code = text[i];
    if (IsHighSurrogate(code) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
      code = 0x10000 + ((code - 0xD800) << 10) + (text[++i] - 0xDC00);
    }
    if (code < 0x80) {
      out += static_cast<char>(code);
    } else if (code < 0x800) {
      out += static_cast<char>(0xC0 | (code >> 6));
      out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
      out += static_cast<char>(0xE0 | (code >> 12));
      out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (code >> 18));
      out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
    }
  }
}

void AppendFromKeptForm(std::string_view kept, std::u16string& out) {
  out.reserve(out.size() + kept.size());
  for (size_t i = 0; i < kept.size();) {
    const auto byte = [&](size_t k) { return static_cast<uint32_t>(kept[i + k]) & 0xFF; };
    const uint32_t lead = byte(0);
    uint32_t code;
    if (lead < 0x80) {
      code = lead;
      i += 1;
    } else if (lead < 0xE0) {
      code = ((lead & 0x1F) << 6) | (byte(1) & 0x3F);
      i += 2;
    } else if (lead < 0xF0) {
      code = ((lead & 0x0F) << 12) | ((byte(1) & 0x3F) << 6) | (byte(2) & 0x3F);
      i += 3;
    } else {
      code = ((lead & 0x07) << 18) | ((byte(1) & 0x3F) << 12) | ((byte(2) & 0x3F) << 6) |
             (byte(3) & 0x3F);
      i += 4;
    }
    if (code >= 0x10000) {
      out += static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10));
      out += static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
    } else {
      out += static_cast<char16_t>(code);
    }
  }
}

uint32_t TTextBlocks::Keep(std::u16string_view text) {
  if (text.size() <= kLongText) {
    scratch_.clear();
    AppendKeptForm(text, scratch_);
    return KeepForm(scratch_);
  }
  return KeepLong([text](const std::function<void(std::u16string_view)>& visit) {
    for (size_t i = 0; i < text.size();) {
      size_t end = std::min(text.size(), i + kPieceUnits);
      if (end < text.size() && IsHighSurrogate(text[end - 1])) ++end;
      visit(text.substr(i, end - i));
      i = end;
    }
  });
}

uint32_t TTextBlocks::KeepNarrow(std::string_view narrow) {
  // Under the UTF-8 code page, well-formed narrow text is its own kept form: both are the
  // UTF-8 of the same characters, and well-formed UTF-8 holds no surrogate, the one thing the
  // kept form writes otherwise. No decoding and encoding back, most passages being so.
  if (SystemCodePageKind() == ECodePageKind::kUtf8 && IsWellFormedUtf8(narrow)) {
    return KeepForm(narrow);
  }
  if (narrow.size() <= kLongText) {
    ToUnicode(narrow, &wide_scratch_);
    return Keep(wide_scratch_);
  }
  return KeepLong([narrow](const std::function<void(std::u16string_view)>& visit) {
    TNarrowDecoder decoder;
    std::u16string wide;
    for (size_t at = 0; at < narrow.size(); at += kPieceUnits) {
      decoder.Decode(narrow.substr(at, kPieceUnits), &wide);
      // A high surrogate at the end waits for the piece that may hold its pair.
      size_t ready = wide.size();
      if (ready > 0 && IsHighSurrogate(wide[ready - 1])) --ready;
      visit(std::u16string_view(wide).substr(0, ready));
      wide.erase(0, ready);
    }
    decoder.Finish(&wide);
    visit(wide);
  });
}

uint32_t TTextBlocks::KeepLong(const TPieces& pieces) {
  size_t kept_bytes = 0;
  pieces([&kept_bytes](std::u16string_view piece) {
    for (size_t i = 0; i < piece.size(); ++i) {
      const uint32_t unit = piece[i];
      if (IsHighSurrogate(unit) && i + 1 < piece.size() && IsLowSurrogate(piece[i + 1])) {
        kept_bytes += 4;
        ++i;
      } else {
        kept_bytes += unit < 0x80 ? 1 : (unit < 0x800 ? 2 : 3);
      }
    }
  });
  char length[16];
  const size_t length_bytes = WriteLength(kept_bytes, length);
  const uint32_t place = AddBlock(length_bytes + kept_bytes);
  char* at = blocks_[place >> kPlaceBits].data();
  std::memcpy(at, length, length_bytes);
  at += length_bytes;
  pieces([&](std::u16string_view piece) {
    scratch_.clear();
    AppendKeptForm(piece, scratch_);
    std::memcpy(at, scratch_.data(), scratch_.size());
    at += scratch_.size();
  });
  return place;
}

uint32_t TTextBlocks::KeepForm(std::string_view kept) {
  char length[16];
  const size_t length_bytes = WriteLength(kept.size(), length);
  const size_t bytes = length_bytes + kept.size();
  uint32_t place;
  if (bytes > kLongText) {
    // A long text gets a block of its own, and the current block stays in use.
    place = AddBlock(bytes);
  } else {
    if (bytes > free_bytes_) {
      const size_t block_bytes = std::max(next_block_bytes_, bytes);
      free_place_ = AddBlock(block_bytes);
      free_bytes_ = block_bytes;
      next_block_bytes_ = std::min(2 * next_block_bytes_, kLargestBlockBytes);
    }
    place = free_place_;
    free_place_ += static_cast<uint32_t>(bytes);
    free_bytes_ -= bytes;
  }
  char* at = blocks_[place >> kPlaceBits].data() + (place & kPlaceMask);
  std::memcpy(at, length, length_bytes);
  std::copy(kept.begin(), kept.end(), at + length_bytes);  // an empty view may hold no pointer
  return place;
}

uint32_t TTextBlocks::AddBlock(size_t bytes) {
  const size_t numbers = (bytes + kLargestBlockBytes - 1) / kLargestBlockBytes;
  if (blocks_.size() + numbers > (size_t{1} << (32 - kPlaceBits))) {
    throw std::length_error("more than 4 GiB of passages to keep");
  }
  const auto place = static_cast<uint32_t>(blocks_.size() << kPlaceBits);
  blocks_.emplace_back(bytes);
  blocks_.resize(blocks_.size() + numbers - 1);
  return place;
}

std::string_view TTextBlocks::FormAt(uint32_t place) const {
  const char* kept = blocks_[place >> kPlaceBits].data() + (place & kPlaceMask);
  size_t length = 0;
  int shift = 0;
  while (static_cast<unsigned char>(*kept) & 0x80) {
    length |= static_cast<size_t>(*kept++ & 0x7F) << shift;
    shift += 7;
  }
  length |= static_cast<size_t>(static_cast<unsigned char>(*kept++)) << shift;
  return std::string_view(kept, length);
}

std::u16string TTextBlocks::TextAt(uint32_t place) const {
  std::u16string text;
  AppendFromKeptForm(FormAt(place), text);
  return text;
}

}  // namespace farrowdale
