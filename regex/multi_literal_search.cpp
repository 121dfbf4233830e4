// The multi-literal search: a filter on each position's byte and the byte after it (eight
// buckets of literals, looked up by nibbles, 32 positions at a time where AVX2 is present),
// then a table of the literals' first bytes, then a full comparison.
#include "regex/multi_literal_search.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <utility>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace farrowdale::regex {
namespace {

uint32_t SlotIndex(uint64_t key, size_t slot_count) {
  return static_cast<uint32_t>((key * 0x9E3779B97F4A7C15ull) >> 40) &
         static_cast<uint32_t>(slot_count - 1);
}

#if defined(__x86_64__)
// Bucket bits of 32 bytes at once from a pair of nibble tables (both lanes hold the table).
__attribute__((target("avx2"))) __m256i BucketBits(__m256i bytes, __m256i low_table,
                                                   __m256i high_table) {
  const __m256i nibble = _mm256_set1_epi8(0x0F);
  const __m256i low = _mm256_and_si256(bytes, nibble);
  const __m256i high = _mm256_and_si256(_mm256_srli_epi16(bytes, 4), nibble);
  return _mm256_and_si256(_mm256_shuffle_epi8(low_table, low),
                          _mm256_shuffle_epi8(high_table, high));
}

__attribute__((target("avx2"))) __m256i BroadcastTable(const std::array<uint8_t, 16>& table) {
  return _mm256_broadcastsi128_si256(
      _mm_loadu_si128(reinterpret_cast<const __m128i*>(table.data())));
}

const bool kHasAvx2 = __builtin_cpu_supports("avx2");
#endif

}  // namespace

MultiLiteralSearch::MultiLiteralSearch(std::vector<std::string> literals)
    : literals_(std::move(literals)) {
  if (literals_.empty()) return;
  key_bytes_ = kMaxKeyBytes;
  for (const std::string& literal : literals_) key_bytes_ = std::min(key_bytes_, literal.size());

  // Literals with the same first two bytes share a bucket, so that their filter bits do not
  // mix with others' more than eight buckets force.
  std::map<std::pair<int, int>, int> bucket_of_pair;
  for (const std::string& literal : literals_) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(literal.data());
    const int second = literal.size() > 1 ? bytes[1] : 256;
    const auto [entry, added] =
        bucket_of_pair.try_emplace(std::pair(static_cast<int>(bytes[0]), second),
                                   static_cast<int>(bucket_of_pair.size() % kBuckets));
    const auto bit = static_cast<uint8_t>(1u << entry->second);
    first_low_[bytes[0] & 15] |= bit;
    first_high_[bytes[0] >> 4] |= bit;
    if (literal.size() > 1) {
      second_low_[bytes[1] & 15] |= bit;
      second_high_[bytes[1] >> 4] |= bit;
    } else {
      for (int nibble = 0; nibble < 16; ++nibble) {
        second_low_[nibble] |= bit;
        second_high_[nibble] |= bit;
      }
      last_position_mask_ |= bit;
    }
  }

  size_t slot_count = 4;
  while (slot_count < 2 * literals_.size()) slot_count *= 2;
  slots_.resize(slot_count);
  for (size_t index = 0; index < literals_.size(); ++index) {
    const uint64_t key = KeyAt(reinterpret_cast<const uint8_t*>(literals_[index].data()));
    uint32_t slot = SlotIndex(key, slot_count);
    while (slots_[slot].used && slots_[slot].key != key) slot = (slot + 1) & (slot_count - 1);
    slots_[slot].used = true;
    slots_[slot].key = key;
    slots_[slot].literals.push_back(static_cast<int>(index));
  }
}

uint64_t MultiLiteralSearch::KeyAt(const uint8_t* at) const {
  uint64_t key = 0;
  for (size_t k = 0; k < key_bytes_; ++k) key = (key << 8) | at[k];
  return key;
}

uint64_t MultiLiteralSearch::KeyAt(const uint8_t* at, size_t room) const {
  if (room < sizeof(uint64_t)) return KeyAt(at);
  // The same number from one load: the first key_bytes_ bytes, the first most significant.
  uint64_t word;
  std::memcpy(&word, at, sizeof word);
  return __builtin_bswap64(word) >> (8 * (sizeof word - key_bytes_));
}

const MultiLiteralSearch::KeySlot* MultiLiteralSearch::FindSlot(uint64_t key) const {
  for (uint32_t slot = SlotIndex(key, slots_.size()); slots_[slot].used;
       slot = (slot + 1) & (slots_.size() - 1)) {
    if (slots_[slot].key == key) return &slots_[slot];
  }
  return nullptr;
}

bool MultiLiteralSearch::MatchesAt(const std::string& literal, const uint8_t* at,
                                   size_t room) const {
  // The first key_bytes_ bytes matched the key already.
  return literal.size() <= room && std::equal(literal.begin() + key_bytes_, literal.end(),
                                              reinterpret_cast<const char*>(at) + key_bytes_);
}

void MultiLiteralSearch::Verify(const uint8_t* text, size_t size, size_t at,
                                std::vector<Hit>& found) const {
  if (size - at < key_bytes_) return;
  const KeySlot* slot = FindSlot(KeyAt(text + at, size - at));
  if (slot == nullptr) return;
  for (int index : slot->literals) {
    if (MatchesAt(literals_[index], text + at, size - at)) found.push_back({index, at});
  }
}

std::vector<std::vector<size_t>> MultiLiteralSearch::FindAll(std::string_view view) const {
  std::vector<std::vector<size_t>> by_literal(literals_.size());
  if (literals_.empty()) return by_literal;
  // All hits in one list first, then each literal's at once: a few allocations per text
  // rather than a few per literal.
  std::vector<Hit> found;
  const auto* text = reinterpret_cast<const uint8_t*>(view.data());
  const size_t size = view.size();
  size_t at = 0;
#if defined(__x86_64__)
  if (kHasAvx2) at = ScanWide(text, size, found);
#endif
  for (; at < size; ++at) {
    const uint8_t c = text[at];
    uint8_t bits = first_low_[c & 15] & first_high_[c >> 4];
    if (bits == 0) continue;
    if (at + 1 < size) {
      const uint8_t next = text[at + 1];
      bits &= second_low_[next & 15] & second_high_[next >> 4];
    } else {
      bits &= last_position_mask_;
    }
    if (bits != 0) Verify(text, size, at, found);
  }
  std::vector<size_t> counts(literals_.size(), 0);
  for (const Hit& hit : found) ++counts[hit.literal];
  for (size_t index = 0; index < literals_.size(); ++index)
    by_literal[index].reserve(counts[index]);
  for (const Hit& hit : found) by_literal[hit.literal].push_back(hit.at);
  return by_literal;
}

#if defined(__x86_64__)
__attribute__((target("avx2"))) size_t MultiLiteralSearch::ScanWide(const uint8_t* text,
                                                                    size_t size,
                                                                    std::vector<Hit>& found) const {
  const __m256i first_low = BroadcastTable(first_low_);
  const __m256i first_high = BroadcastTable(first_high_);
  const __m256i second_low = BroadcastTable(second_low_);
  const __m256i second_high = BroadcastTable(second_high_);
  const __m256i zero = _mm256_setzero_si256();
  size_t at = 0;
  // Each step reads the 32 positions' bytes and the bytes after them.
  for (; at + 33 <= size; at += 32) {
    const __m256i here = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(text + at));
    const __m256i next = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(text + at + 1));
    const __m256i bits = _mm256_and_si256(BucketBits(here, first_low, first_high),
                                          BucketBits(next, second_low, second_high));
    auto candidates = ~static_cast<uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(bits, zero)));
    while (candidates != 0) {
      Verify(text, size, at + static_cast<size_t>(__builtin_ctz(candidates)), found);
      candidates &= candidates - 1;
    }
  }
  return at;
}
#endif

}  // namespace farrowdale::regex
