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
#include "text/text_blocks.h"

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

// The same for texts in UTF-8, read where they are: no UTF-16 copy, however long they are.
int CollateUtf8(const UCollator* collator, std::string_view a, std::string_view b) {
  UErrorCode status = U_ZERO_ERROR;
  const UCollationResult result =
      ucol_strcollUTF8(collator, a.data(), static_cast<int32_t>(a.size()), b.data(),
                       static_cast<int32_t>(b.size()), &status);
  if (U_FAILURE(status)) throw Error("The passages could not be collated");
  return result == UCOL_LESS ? -1 : (result == UCOL_EQUAL ? 0 : 1);
}

// Whether a kept form holds a lone surrogate (0xED followed by 0xA0 to 0xBF), which UTF-8
// cannot carry: every other kept form is well-formed UTF-8 of the same text.
bool HoldsSurrogate(std::string_view kept) {
  for (size_t at = kept.find('\xED'); at != std::string_view::npos && at + 1 < kept.size();
       at = kept.find('\xED', at + 1)) {
    if (static_cast<unsigned char>(kept[at + 1]) >= 0xA0) return true;
  }
  return false;
}

// The table of the case-ignoring collator's ASCII weights, or null where the locale does not
// allow one.
const TAsciiCollation* AsciiCollation() {
  static const std::optional<TAsciiCollation> table = TAsciiCollation::For(Collator(false));
  return table ? &*table : nullptr;
}

}  // namespace

int CompareKeptForms(std::string_view a, std::string_view b) {
  if (const TAsciiCollation* table = AsciiCollation();
      table != nullptr && TAsciiCollation::Covers(a) && TAsciiCollation::Covers(b)) {
    return table->Compare(a, b);  // an ASCII text's kept form is its text, a byte a character
  }
  if (!HoldsSurrogate(a) && !HoldsSurrogate(b)) return CollateUtf8(Collator(false), a, b);
  std::u16string first;
  std::u16string second;
  AppendFromKeptForm(a, first);
  AppendFromKeptForm(b, second);
  return Collate(Collator(false), first, second);
}

uint64_t CollationKey(std::string_view kept) {
  const TAsciiCollation* table = AsciiCollation();
  return table != nullptr && TAsciiCollation::Covers(kept) ? table->Prefix(kept) : kNoCollationKey;
}

int CompareText(std::u16string_view a, std::u16string_view b, bool match_case) {
  if (!match_case && TAsciiCollation::Covers(a) && TAsciiCollation::Covers(b)) {
    if (const TAsciiCollation* table = AsciiCollation()) return table->Compare(a, b);
  }
  return Collate(Collator(match_case), a, b);
}

}  // namespace farrowdale
