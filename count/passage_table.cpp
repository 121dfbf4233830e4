#include "count/passage_table.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <limits>
#include <stdexcept>

namespace farrowdale {
namespace {

constexpr size_t kBlockBytes = size_t{1} << 20;

bool IsHighSurrogate(uint32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(uint32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// UTF-8, except that a surrogate without its partner is written as its own three bytes, so
// that every UTF-16 text comes back unchanged.
void AppendStoredForm(std::u16string_view text, std::string& out) {
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

std::u16string FromStoredForm(std::string_view stored) {
  std::u16string text;
  text.reserve(stored.size());
  for (size_t i = 0; i < stored.size();) {
    const auto byte = [&](size_t k) { return static_cast<uint32_t>(stored[i + k]) & 0xFF; };
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
      text += static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10));
      text += static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
    } else {
      text += static_cast<char16_t>(code);
    }
  }
  return text;
}

// A length as 7-bit groups, low first, the high bit set on all but the last.
void AppendLength(size_t length, std::string& out) {
  while (length >= 0x80) {
    out += static_cast<char>(0x80 | (length & 0x7F));
    length >>= 7;
  }
  out += static_cast<char>(length);
}

std::string_view ReadLengthAndText(const char* at) {
  size_t length = 0;
  int shift = 0;
  while (static_cast<unsigned char>(*at) & 0x80) {
    length |= static_cast<size_t>(*at++ & 0x7F) << shift;
    shift += 7;
  }
  length |= static_cast<size_t>(static_cast<unsigned char>(*at++)) << shift;
  return std::string_view(at, length);
}

size_t HashOf(std::string_view stored) { return std::hash<std::string_view>()(stored); }

// The part of a hash a slot keeps, never 0, so that most probes need not read a text.
uint32_t TagOf(size_t hash) { return static_cast<uint32_t>(hash >> 32) | 1; }

}  // namespace

uint32_t TPassageTable::Intern(std::u16string_view text) {
  scratch_.clear();
  AppendStoredForm(text, scratch_);
  const size_t hash = HashOf(scratch_);
  if (!slots_.empty()) {
    const TSlot& slot = slots_[FindSlot(scratch_, hash)];
    if (slot.tag != 0) return slot.id;
  }
  if (texts_.size() >= std::numeric_limits<uint32_t>::max()) {
    throw std::length_error("more distinct passages than the run can number");
  }
  const auto id = static_cast<uint32_t>(texts_.size());
  texts_.push_back(Keep(scratch_));
  // At most three quarters of the slots in use keeps the probes short.
  if (4 * texts_.size() > 3 * slots_.size()) {
    Rehash();
  } else {
    slots_[FindSlot(scratch_, hash)] = {id, TagOf(hash)};
  }
  return id;
}

std::u16string TPassageTable::Text(uint32_t id) const { return FromStoredForm(Stored(id)); }

std::string_view TPassageTable::Stored(uint32_t id) const { return ReadLengthAndText(texts_[id]); }

size_t TPassageTable::FindSlot(std::string_view stored, size_t hash) const {
  const size_t mask = slots_.size() - 1;
  const uint32_t tag = TagOf(hash);
  for (size_t slot = hash & mask;; slot = (slot + 1) & mask) {
    const TSlot& at = slots_[slot];
    if (at.tag == 0 || (at.tag == tag && Stored(at.id) == stored)) return slot;
  }
}

const char* TPassageTable::Keep(std::string_view stored) {
  std::string length;
  AppendLength(stored.size(), length);
  const size_t bytes = length.size() + stored.size();
  char* at;
  if (bytes > kBlockBytes / 8) {
    // A long text gets a block of its own, and the current block stays in use.
    blocks_.push_back(std::make_unique_for_overwrite<char[]>(bytes));
    at = blocks_.back().get();
  } else {
    if (bytes > block_free_) {
      blocks_.push_back(std::make_unique_for_overwrite<char[]>(kBlockBytes));
      block_next_ = blocks_.back().get();
      block_free_ = kBlockBytes;
    }
    at = block_next_;
    block_next_ += bytes;
    block_free_ -= bytes;
  }
  std::memcpy(at, length.data(), length.size());
  std::memcpy(at + length.size(), stored.data(), stored.size());
  return at;
}

void TPassageTable::Rehash() {
  slots_.assign(std::max<size_t>(64, 2 * slots_.size()), TSlot{});
  for (uint32_t id = 0; id < texts_.size(); ++id) {
    const std::string_view stored = Stored(id);
    const size_t hash = HashOf(stored);
    slots_[FindSlot(stored, hash)] = {id, TagOf(hash)};
  }
}

}  // namespace farrowdale
