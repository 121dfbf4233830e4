// Bar charts as inline SVG for the reports: no script, no external file. Each bar has the
// colour its tag has in the table, hatched and outlined in black and labelled with its
// number, so a chart reads in black and white print as well. A chart with many bars starts
// folded in a <details> element.
#ifndef FARROWDALE_REPORT_CHART_SVG_H_
#define FARROWDALE_REPORT_CHART_SVG_H_

#include <cstdint>
#include <string>
#include <vector>

#include "results/stat_info.h"

namespace farrowdale {

// A chart with more bars than this starts folded.
inline constexpr size_t kOpenChartBars = 40;

struct TChartBar {
  std::string label;  // narrow text: a file name or a tag name
  std::string color;  // RRGGBB, from the tag set
  int64_t value = 0;  // passages, never negative
};

struct TBarChart {
  std::string title;        // narrow text: what the bars count
  std::string title_color;  // RRGGBB of a swatch before the title; empty for none
  std::vector<TChartBar> bars;
};

// The combined report's charts: per tag (in the first file's tag order), a bar for each
// file's passages (past kMatrixFiles files, the first kMatrixFiles, the title saying so).
// REQUIRES: one name per file and as many tags in every file.
std::vector<TBarChart> PassagesPerFileCharts(const TStatArrayArray& results,
                                             const std::vector<std::string>& file_names);
// The per-file report's chart: a bar for each tag's passages.
TBarChart PassagesPerTagChart(const TStatArray& results);

// The charts as one section, in order; every text escaped.
std::u16string RenderBarCharts(const std::vector<TBarChart>& charts);

}  // namespace farrowdale

#endif  // FARROWDALE_REPORT_CHART_SVG_H_
