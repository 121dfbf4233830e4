// The "passages in context" section of the combined report: for each tag, each distinct
// passage in hit-list order, then where it occurs (file, line, column) with the text around
// it and the passage itself marked. Lists fold away in <details> elements (the reports forbid
// scripts); past kListedOccurrences occurrences of one passage the rest are counted, not
// listed, so the section stays about the size of the corpus however often passages recur
// (every occurrence is in the passages table). A per-file report shows its text instead
// (passages_in_text.h).
#ifndef FARROWDALE_REPORT_PASSAGES_SECTION_H_
#define FARROWDALE_REPORT_PASSAGES_SECTION_H_

#include <cstdint>
#include <string>
#include <vector>

#include "text/text_position.h"

namespace farrowdale {

inline constexpr int kListedOccurrences = 10;
// Past this many distinct passages of one tag the rest are counted, not listed: a browser
// takes minutes over a page of tens of thousands of passage entries. The hit list links only
// to the passages listed.
inline constexpr int kListedPassages = 100;
// A passage with more occurrences than this starts folded.
inline constexpr int kOpenOccurrences = 5;

struct TPassageOccurrence {
  std::string file;  // the file's name as the reports show it (narrow text)
  TTextPosition position;
  std::u16string before;   // text before the passage (see ContextAround)
  std::u16string passage;  // the passage as extracted
  std::u16string after;    // text after the passage
};

struct TDistinctPassage {
  std::u16string text;  // as the hit list shows it
  int32_t count = 0;    // all its occurrences
  // The first occurrences in order of file and position; only the first kListedOccurrences
  // are shown, so a caller need not keep more.
  std::vector<TPassageOccurrence> occurrences;
};

struct TTagPassages {
  std::string name;                        // narrow text, from the tag set
  std::string color;                       // RRGGBB, from the tag set
  std::vector<TDistinctPassage> passages;  // in hit-list order
};

// The id of a distinct passage's entry, which the hit list links to: "p" tag row "-" the
// passage's number in hit-list order, both 1-based.
std::string PassageAnchor(int32_t tag_row, int32_t passage_number);
// The same appended to out, for markup made in bulk.
void AppendPassageAnchor(std::string& out, int32_t tag_row, int32_t passage_number);

// The section for tags in table order; every text escaped.
std::u16string RenderPassagesSection(const std::vector<TTagPassages>& tags);

}  // namespace farrowdale

#endif  // FARROWDALE_REPORT_PASSAGES_SECTION_H_
