// "{@cooccurrence}" in the combined report: the run's tags against each other over all
// files, as a table (rows and columns in tag order) whose cells give the pairs of passages
// that co-occur and the c coefficient, shaded by c so that strong pairs stand out; each
// cell's tooltip splits its pairs by relation. No script; every text escaped.
#ifndef FARROWDALE_REPORT_COOCCURRENCE_SECTION_H_
#define FARROWDALE_REPORT_COOCCURRENCE_SECTION_H_

#include <cstdint>
#include <string>
#include <vector>

#include "results/cooccurrence_counts.h"

namespace farrowdale {

// What the section shows: per tag (those the run counts, in tag order) its name and colour
// (narrow text, RRGGBB), its passages over all files, and the pooled pair counts.
struct TCooccurrenceView {
  std::vector<std::string> names;
  std::vector<std::string> colors;
  std::vector<int64_t> passages;
  TCooccurrenceMatrix matrix;  // one row and column per name
};

std::u16string RenderCooccurrenceSection(const TCooccurrenceView& view);

// c as the table shows it: fixed with `decimals` digits after a dot, whatever the locale.
std::string FormatCoefficient(double c, int decimals);

}  // namespace farrowdale

#endif  // FARROWDALE_REPORT_COOCCURRENCE_SECTION_H_
