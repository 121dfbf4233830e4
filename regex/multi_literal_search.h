// Finding many literals in one pass: every position of a text where any literal of a set
// starts. A coding run uses it to find the begin markers of all tags in a file at once,
// instead of scanning the file once per tag.
//
// Contract: a MultiLiteralSearch is built once from its literals and never changes; FindAll
// is const and may be called from several threads at once. Literals are compared byte for
// byte. The text is searched as given, zero bytes included: a caller whose subject ends at
// its first zero byte passes only that.
#ifndef FARROWDALE_REGEX_MULTI_LITERAL_SEARCH_H_
#define FARROWDALE_REGEX_MULTI_LITERAL_SEARCH_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace farrowdale::regex {

class MultiLiteralSearch {
 public:
  // REQUIRES: no literal is empty.
  explicit MultiLiteralSearch(std::vector<std::string> literals);

  // For each literal, in the order given to the constructor, the ascending 0-based positions
  // where it starts in text; overlapping occurrences are all listed.
  std::vector<std::vector<size_t>> FindAll(std::string_view text) const;

 private:
  static constexpr int kBuckets = 8;
  // The first bytes of every literal are keyed by this many bytes (the shortest literal's
  // length, at most 8): markers that share a long prefix ("</t0") still get keys of their
  // own, so a candidate is compared with one literal, not a dozen.
  static constexpr size_t kMaxKeyBytes = 8;

  // Literals whose key is the same, found by open addressing.
  struct KeySlot {
    uint64_t key = 0;
    bool used = false;
    std::vector<int> literals;
  };

  uint64_t KeyAt(const uint8_t* at) const;
  // The same where room bytes can be read from at (at least key_bytes_).
  uint64_t KeyAt(const uint8_t* at, size_t room) const;
  const KeySlot* FindSlot(uint64_t key) const;
  bool MatchesAt(const std::string& literal, const uint8_t* at, size_t room) const;
  // Checks a position whose first two bytes passed the bucket filter.
  // A literal found: which one, and where.
  struct Hit {
    int literal;
    size_t at;
  };
  void Verify(const uint8_t* text, size_t size, size_t at, std::vector<Hit>& found) const;
  // The bucket filter 32 positions at a time (AVX2); returns the first position not covered.
  size_t ScanWide(const uint8_t* text, size_t size, std::vector<Hit>& found) const;

  std::vector<std::string> literals_;
  size_t key_bytes_ = 0;
  // Nibble tables of the bucket filter: a position is a candidate when, for some bucket, its
  // byte has that bucket's bit in first_low[c & 15] and first_high[c >> 4], and the byte
  // after it has it in second_low and second_high. A literal of one byte sets its bucket's
  // bit for every second byte, and in last_position_mask (the text's last byte has no
  // successor).
  std::array<uint8_t, 16> first_low_{}, first_high_{}, second_low_{}, second_high_{};
  uint8_t last_position_mask_ = 0;
  std::vector<KeySlot> slots_;  // size a power of two
};

}  // namespace farrowdale::regex

#endif  // FARROWDALE_REGEX_MULTI_LITERAL_SEARCH_H_
