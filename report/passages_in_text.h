// The per-file report's "passages in context": the file's text shown once, every passage
// highlighted in its tag's colour, and a legend of the tags. Each occurrence is anchored: the
// first occurrence of a distinct passage carries the id the hit list links to
// (PassageAnchor), and each occurrence ends in a small link to the next occurrence of the
// same passage (the last one back to the first). The reports forbid scripts, so all of it is
// markup and CSS.
//
// Passages of different tags may nest or cross. Highlights are elements, which must nest, so
// a highlight crossing another one's end is closed there and continued after it: every
// character shows every passage it belongs to, each in its own colour.
#ifndef FARROWDALE_REPORT_PASSAGES_IN_TEXT_H_
#define FARROWDALE_REPORT_PASSAGES_IN_TEXT_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "report/passages_section.h"
#include "report/report_stream.h"

namespace farrowdale {

// One occurrence of a passage in the text: byte offsets into the narrow text, which must
// fall on character boundaries.
struct TTextHighlight {
  size_t begin = 0;
  size_t end = 0;              // past the passage; begin < end
  int32_t tag_row = 0;         // 1-based row of the tag in the table
  int32_t passage_number = 0;  // 1-based number of its distinct passage in hit-list order
};

struct TTextWithPassages {
  std::string_view narrow_text;            // the whole text, markers included
  std::vector<TTextHighlight> highlights;  // in any order
};

// Writes the section into out for tags in table order (names, colours and counts for the
// legend; their occurrence lists are not used) and the text with its highlights; every text
// escaped. The text goes out piece by piece as it is escaped, so that neither it nor its
// markup is ever held whole, however long a passage.
// REQUIRES: every highlight within the text, its tag_row within tags and its passage_number
// at least 1.
void WritePassagesInText(TReportStream& out, const std::vector<TTagPassages>& tags,
                         const TTextWithPassages& text);

}  // namespace farrowdale

#endif  // FARROWDALE_REPORT_PASSAGES_IN_TEXT_H_
