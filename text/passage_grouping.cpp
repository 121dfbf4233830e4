#include "text/passage_grouping.h"

#include <unicode/uchar.h>
#include <unicode/utf16.h>

namespace farrowdale {
namespace {

template <typename Char>
std::basic_string<Char> FoldSpaceRuns(std::basic_string_view<Char> text) {
  std::basic_string<Char> folded;
  folded.reserve(text.size());
  bool in_run = false;
  for (const Char c : text) {
    const bool space = IsFoldedSpace(static_cast<char32_t>(c));
    if (!space) {
      folded += c;
    } else if (!in_run) {
      folded += Char{' '};
    }
    in_run = space;
  }
  return folded;
}

}  // namespace

std::string GroupingDescription(const TPassageGrouping& grouping) {
  return std::string("letter case: ") +
         (grouping.letter_case == ELetterCase::kAsciiOnly ? "A-Z only" : "every alphabet") +
         "; spaces: " + (grouping.spacing == ESpacing::kExact ? "exact" : "folded");
}

std::string FoldedSpaces(std::string_view text) { return FoldSpaceRuns(text); }
std::u16string FoldedSpaces(std::u16string_view text) { return FoldSpaceRuns(text); }

std::u16string SimpleCaseFolded(std::u16string_view text) {
  std::u16string folded;
  folded.reserve(text.size());
  const auto length = static_cast<int32_t>(text.size());
  for (int32_t i = 0; i < length;) {
    UChar32 c;
    U16_NEXT(text.data(), i, length, c);
    const UChar32 fold = u_foldCase(c, U_FOLD_CASE_DEFAULT);
    if (U_IS_BMP(fold)) {
      folded += static_cast<char16_t>(fold);
    } else {
      folded += static_cast<char16_t>(U16_LEAD(fold));
      folded += static_cast<char16_t>(U16_TRAIL(fold));
    }
  }
  return folded;
}

}  // namespace farrowdale
