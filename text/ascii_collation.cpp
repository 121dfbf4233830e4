#include "text/ascii_collation.h"

#include <unicode/uset.h>

#include <iterator>
#include <memory>
#include <set>

namespace farrowdale {
namespace {

constexpr char16_t kAsciiEnd = 0x80;

// Whether the collator's settings leave each character's weights on their own: no numeric
// order, no ignored punctuation, no case level, and letter case not counted.
bool WeighsCharactersAlone(const UCollator* collator) {
  UErrorCode status = U_ZERO_ERROR;
  const bool alone =
      ucol_getStrength(collator) <= UCOL_SECONDARY &&
      ucol_getAttribute(collator, UCOL_ALTERNATE_HANDLING, &status) == UCOL_NON_IGNORABLE &&
      ucol_getAttribute(collator, UCOL_NUMERIC_COLLATION, &status) == UCOL_OFF &&
      ucol_getAttribute(collator, UCOL_CASE_LEVEL, &status) == UCOL_OFF;
  return alone && U_SUCCESS(status);
}

// Whether the locale changes how ASCII characters collate: a rule of its own (its tailored
// set) for an ASCII character, or a contraction or context rule made of ASCII characters
// only (such as "ch" or "aa"). The root collation gives each ASCII character one collation
// element and has no such contraction (a test checks the installed data); asking the
// collator for all its contractions and expansions instead would take a few milliseconds of
// each run.
bool TailorsAscii(const UCollator* collator) {
  UErrorCode status = U_ZERO_ERROR;
  const std::unique_ptr<USet, decltype(&uset_close)> tailored(
      ucol_getTailoredSet(collator, &status), &uset_close);
  if (U_FAILURE(status)) return true;
  const int32_t items = uset_getItemCount(tailored.get());
  for (int32_t i = 0; i < items; ++i) {
    UChar32 first = 0;
    UChar32 last = 0;
    UChar text[64];
    status = U_ZERO_ERROR;
    const int32_t length =
        uset_getItem(tailored.get(), i, &first, &last, text, std::size(text), &status);
    if (U_FAILURE(status)) return true;
    const bool ascii =
        length > 0 ? TAsciiCollation::Covers(std::u16string_view(text, static_cast<size_t>(length)))
                   : first < kAsciiEnd;
    if (ascii) return true;
  }
  return false;
}

}  // namespace

std::optional<TAsciiCollation> TAsciiCollation::For(const UCollator* collator) {
  if (!WeighsCharactersAlone(collator) || TailorsAscii(collator)) return std::nullopt;
  std::array<std::string, kAsciiEnd> primaries;
  std::string common_secondary;
  for (char16_t c = 0; c < kAsciiEnd; ++c) {
    // A sort key: primary weights, the level separator 01, secondary weights, the end 00.
    uint8_t sort_key[32];
    const int32_t size =
        ucol_getSortKey(collator, reinterpret_cast<const UChar*>(&c), 1, sort_key, sizeof sort_key);
    const std::string_view bytes(reinterpret_cast<const char*>(sort_key),
                                 size > 0 ? static_cast<size_t>(size) - 1 : 0);
    const size_t separator = bytes.find('\x01');
    if (size <= 0 || size > static_cast<int32_t>(sizeof sort_key) ||
        separator == std::string_view::npos || separator > 4) {
      return std::nullopt;
    }
    const std::string_view primary = bytes.substr(0, separator);
    std::string_view secondary = bytes.substr(separator + 1);
    if (const size_t next_level = secondary.find('\x01'); next_level != std::string_view::npos) {
      secondary = secondary.substr(0, next_level);
    }
    if (primary.empty()) {
      if (!secondary.empty()) return std::nullopt;  // an accent alone: weighed, but not here
      continue;
    }
    if (common_secondary.empty()) common_secondary = secondary;
    if (secondary != common_secondary) return std::nullopt;
    primaries[c] = primary;
  }
  // A weight's bytes compare as the weight does.
  std::set<std::string> weights(primaries.begin(), primaries.end());
  weights.erase(std::string());
  TAsciiCollation collation;
  for (char16_t c = 0; c < kAsciiEnd; ++c) {
    if (primaries[c].empty()) continue;
    collation.ranks_[c] =
        static_cast<uint8_t>(1 + std::distance(weights.begin(), weights.find(primaries[c])));
  }
  return collation;
}

bool TAsciiCollation::Covers(std::u16string_view text) {
  char16_t any_high = 0;
  for (const char16_t c : text) any_high |= c;
  return any_high < kAsciiEnd;
}

bool TAsciiCollation::Covers(std::string_view text) {
  unsigned char any_high = 0;
  for (const char c : text) any_high |= static_cast<unsigned char>(c);
  return any_high < kAsciiEnd;
}

template <typename Char>
int TAsciiCollation::CompareWeights(std::basic_string_view<Char> a,
                                    std::basic_string_view<Char> b) const {
  // The weights of both texts side by side, ignored characters skipped; 0 marks a text's end,
  // which sorts before any weight.
  size_t i = 0;
  size_t j = 0;
  for (;;) {
    uint8_t weight_a = 0;
    uint8_t weight_b = 0;
    while (i < a.size() && (weight_a = ranks_[static_cast<uint8_t>(a[i++])]) == 0) {
    }
    while (j < b.size() && (weight_b = ranks_[static_cast<uint8_t>(b[j++])]) == 0) {
    }
    if (weight_a != weight_b) return weight_a < weight_b ? -1 : 1;
    if (weight_a == 0) return 0;
  }
}

template <typename Char>
uint64_t TAsciiCollation::PrefixWeights(std::basic_string_view<Char> text) const {
  uint64_t prefix = 0;
  int shift = 56;
  for (const Char c : text) {
    const uint8_t rank = ranks_[static_cast<uint8_t>(c)];
    if (rank == 0) continue;
    prefix |= uint64_t{rank} << shift;
    if (shift == 0) break;
    shift -= 8;
  }
  return prefix;
}

int TAsciiCollation::Compare(std::u16string_view a, std::u16string_view b) const {
  return CompareWeights(a, b);
}

int TAsciiCollation::Compare(std::string_view a, std::string_view b) const {
  return CompareWeights(a, b);
}

uint64_t TAsciiCollation::Prefix(std::u16string_view text) const { return PrefixWeights(text); }

uint64_t TAsciiCollation::Prefix(std::string_view text) const { return PrefixWeights(text); }

}  // namespace farrowdale
