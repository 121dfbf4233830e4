#include "report/chart_svg.h"

#include <algorithm>

#include "report/csv_tables.h"
#include "report/markup_text.h"
#include "report/table_fragments.h"
#include "text/code_page.h"

namespace farrowdale {
namespace {

// Geometry in SVG user units (pixels at the natural size).
constexpr int kWidth = 720;
constexpr int kLabelRight = 220;  // labels end here, right-aligned
constexpr int kBarLeft = 228;
constexpr int kBarMaxLength = 420;
constexpr int kRowHeight = 20;
constexpr int kBarHeight = 14;
constexpr int kTextBaseline = 14;  // within a row
constexpr size_t kLabelCharacters = 34;

// A label that fits left of the bars: at most kLabelCharacters characters, the rest cut
// and marked with an ellipsis (the whole label is the row's tooltip).
void AppendShortLabel(std::u16string& out, std::string_view narrow) {
  const std::u16string label = ToUnicode(narrow);
  if (label.size() <= kLabelCharacters) {
    AppendMarkupText(out, label);
    return;
  }
  size_t cut = kLabelCharacters - 1;
  if (label[cut] >= 0xDC00 && label[cut] <= 0xDFFF) --cut;  // keep a surrogate pair whole
  AppendMarkupText(out, std::u16string_view(label).substr(0, cut));
  AppendAscii(out, "&#8230;");
}

void AppendNumberAttribute(std::u16string& out, std::string_view name, int64_t value) {
  AppendAscii(out, " ");
  AppendAscii(out, name);
  AppendAscii(out, "=\"");
  AppendDecimal(out, value);
  AppendAscii(out, "\"");
}

void AppendBar(std::u16string& out, const TChartBar& bar, int row, int64_t largest,
               const std::string& hatch_id) {
  const int64_t top = static_cast<int64_t>(row) * kRowHeight;
  const int64_t value = std::max<int64_t>(bar.value, 0);
  // A bar for every non-zero value is at least one unit long, so it never looks like zero.
  const int64_t length = largest == 0 ? 0 : std::max<int64_t>(1, value * kBarMaxLength / largest);
  AppendAscii(out, "<g><title>");
  AppendMarkupNarrow(out, bar.label);
  AppendAscii(out, ": ");
  AppendDecimal(out, value);
  AppendAscii(out, "</title><text");
  AppendNumberAttribute(out, "x", kLabelRight);
  AppendNumberAttribute(out, "y", top + kTextBaseline);
  AppendAscii(out, " text-anchor=\"end\">");
  AppendShortLabel(out, bar.label);
  AppendAscii(out, "</text>");
  if (value > 0) {
    for (const bool hatched : {false, true}) {
      AppendAscii(out, "<rect");
      AppendNumberAttribute(out, "x", kBarLeft);
      AppendNumberAttribute(out, "y", top + (kRowHeight - kBarHeight) / 2);
      AppendNumberAttribute(out, "width", length);
      AppendNumberAttribute(out, "height", kBarHeight);
      AppendAscii(out, hatched ? " fill=\"url(#" + hatch_id + ")\"/>"
                               : " fill=\"" + MarkupColor(bar.color) +
                                     "\" stroke=\"#000\" stroke-width=\"0.75\"/>");
    }
  }
  AppendAscii(out, "<text");
  AppendNumberAttribute(out, "x", kBarLeft + length + 6);
  AppendNumberAttribute(out, "y", top + kTextBaseline);
  AppendAscii(out, ">");
  AppendDecimal(out, value);
  AppendAscii(out, "</text></g>\n");
}

void AppendChart(std::u16string& out, const TBarChart& chart, int number) {
  const std::string hatch_id = "hatch" + std::to_string(number);
  const int64_t height = static_cast<int64_t>(chart.bars.size()) * kRowHeight;
  int64_t largest = 0;
  for (const TChartBar& bar : chart.bars) largest = std::max(largest, bar.value);

  AppendAscii(out, chart.bars.size() > kOpenChartBars ? "<details class=\"chart\">"
                                                      : "<details class=\"chart\" open>");
  AppendAscii(out, "<summary>");
  if (!chart.title_color.empty()) {
    AppendAscii(out, "<span class=\"sw\" style=\"background:" + MarkupColor(chart.title_color) +
                         "\"></span> ");
  }
  AppendMarkupNarrow(out, chart.title);
  AppendAscii(out, "</summary>\n<svg xmlns=\"http://www.w3.org/2000/svg\" class=\"bars\"");
  AppendAscii(out, " viewBox=\"0 0 " + std::to_string(kWidth) + " ");
  AppendDecimal(out, height);
  AppendAscii(out, "\"");
  AppendNumberAttribute(out, "width", kWidth);
  AppendNumberAttribute(out, "height", height);
  AppendAscii(out, " role=\"img\" aria-label=\"");
  AppendMarkupNarrow(out, chart.title);
  AppendAscii(out, "\" font-size=\"12\">\n<defs><pattern id=\"" + hatch_id +
                       "\" width=\"6\" height=\"6\" patternUnits=\"userSpaceOnUse\" "
                       "patternTransform=\"rotate(45)\"><rect width=\"2\" height=\"6\" "
                       "fill=\"#000\" fill-opacity=\"0.4\"/></pattern></defs>\n");
  int row = 0;
  for (const TChartBar& bar : chart.bars) AppendBar(out, bar, row++, largest, hatch_id);
  AppendAscii(out, "</svg>\n</details>\n");
}

}  // namespace

std::vector<TBarChart> PassagesPerFileCharts(const TStatArrayArray& results,
                                             const std::vector<std::string>& file_names) {
  std::vector<TBarChart> charts;
  if (results.empty()) return charts;
  for (size_t tag = 0; tag < results.front().size(); ++tag) {
    const TStatInfo& first = results.front()[tag];
    TBarChart& chart = charts.emplace_back();
    chart.title = first.Name + ": passages per file";
    const size_t shown_files = std::min(results.size(), kMatrixFiles);
    if (shown_files < results.size()) {
      chart.title += " (the first " + std::to_string(shown_files) + " of " +
                     std::to_string(results.size()) + " files; all of them in " + kCountsTableName +
                     ")";
    }
    chart.title_color = first.Color;
    for (size_t file = 0; file < shown_files; ++file) {
      chart.bars.push_back({file_names.at(file), first.Color, results[file].at(tag).Freq});
    }
  }
  return charts;
}

TBarChart PassagesPerTagChart(const TStatArray& results) {
  TBarChart chart;
  chart.title = "Passages per tag";
  for (const TStatInfo& info : results) chart.bars.push_back({info.Name, info.Color, info.Freq});
  return chart;
}

std::u16string RenderBarCharts(const std::vector<TBarChart>& charts) {
  return SectionMarkup("charts", "Charts", [&](std::u16string& out) {
    int number = 0;
    for (const TBarChart& chart : charts) AppendChart(out, chart, ++number);
  });
}

}  // namespace farrowdale
