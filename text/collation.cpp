// CompareText through two cached ICU collators for the default locale (opening one is costly).
#include "text/collation.h"

#include <unicode/ucol.h>
#include <unicode/uloc.h>

#include <cstring>
#include <memory>
#include <optional>
#include <utility>

#include "text/ascii_collation.h"
#include "text/error.h"

namespace farrowdale {
namespace {

using CollatorPtr = std::unique_ptr<UCollator, decltype(&ucol_close)>;

CollatorPtr OpenCollator(UColAttributeValue strength) {
  // Under the C or POSIX locale ICU's default is en_US_POSIX, which tells "A" from "a" even
  // at primary strength; the root collator ignores case as asked.
  const char* locale = uloc_getDefault();
  if (std::strcmp(locale, "en_US_POSIX") == 0) locale = "";
  UErrorCode status = U_ZERO_ERROR;
  CollatorPtr collator(ucol_open(locale, &status), &ucol_close);
  if (U_FAILURE(status)) {
    status = U_ZERO_ERROR;
    collator.reset(ucol_open("", &status));
  }
  if (U_FAILURE(status)) throw Error("No collation available for the default locale");
  ucol_setStrength(collator.get(), strength);
  return collator;
}

// Comparing through a shared collator is safe from several threads; it is never changed
// after it is opened.
const UCollator* Collator(bool match_case) {
  static const CollatorPtr secondary = OpenCollator(UCOL_SECONDARY);
  static const CollatorPtr tertiary = OpenCollator(UCOL_TERTIARY);
  return match_case ? tertiary.get() : secondary.get();
}

int Collate(const UCollator* collator, std::u16string_view a, std::u16string_view b) {
  const UCollationResult result = ucol_strcoll(
      collator, reinterpret_cast<const UChar*>(a.data()), static_cast<int32_t>(a.size()),
      reinterpret_cast<const UChar*>(b.data()), static_cast<int32_t>(b.size()));
  return result == UCOL_LESS ? -1 : (result == UCOL_EQUAL ? 0 : 1);
}

// The table of the case-ignoring collator's ASCII weights, or null where the locale does not
// allow one.
const TAsciiCollation* AsciiCollation() {
  static const std::optional<TAsciiCollation> table = TAsciiCollation::For(Collator(false));
  return table ? &*table : nullptr;
}

}  // namespace

TCaseIgnoringListOrder::TCaseIgnoringListOrder(const std::vector<std::u16string>& texts)
    : TCaseIgnoringListOrder(texts.size(), [&texts](uint32_t id, std::u16string&) {
        return std::u16string_view(texts[id]);
      }) {
  texts_ = &texts;
}

TCaseIgnoringListOrder::TCaseIgnoringListOrder(size_t count, TTextOf text_of)
    : text_of_(std::move(text_of)), table_(AsciiCollation()) {
  prefixes_.resize(count, kUnkeyed);
  if (table_ == nullptr) return;
  for (size_t i = 0; i < count; ++i) {
    first_scratch_.clear();
    const std::u16string_view text = text_of_(static_cast<uint32_t>(i), first_scratch_);
    if (TAsciiCollation::Covers(text)) prefixes_[i] = table_->Prefix(text);
  }
}

int TCaseIgnoringListOrder::CompareWhole(uint32_t a, uint32_t b) const {
  if (texts_ != nullptr) return CompareWhole(a, b, (*texts_)[a], (*texts_)[b]);
  first_scratch_.clear();
  second_scratch_.clear();
  const std::u16string_view first = text_of_(a, first_scratch_);
  return CompareWhole(a, b, first, text_of_(b, second_scratch_));
}

int TCaseIgnoringListOrder::CompareWhole(uint32_t a, uint32_t b, std::u16string_view first,
                                         std::u16string_view second) const {
  if (prefixes_[a] != kUnkeyed && prefixes_[b] != kUnkeyed) {
    return table_->Compare(first, second);
  }
  return CompareText(first, second, false);
}

int CompareText(std::u16string_view a, std::u16string_view b, bool match_case) {
  if (!match_case && TAsciiCollation::Covers(a) && TAsciiCollation::Covers(b)) {
    if (const TAsciiCollation* table = AsciiCollation()) return table->Compare(a, b);
  }
  return Collate(Collator(match_case), a, b);
}

}  // namespace farrowdale
