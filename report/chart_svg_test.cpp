#include "report/chart_svg.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "testing/code_page_guard.h"
#include "text/code_page.h"
#include "text/utf8.h"

namespace farrowdale {
namespace {

std::string Utf8(const std::u16string& text) { return Utf16ToUtf8(text, '?'); }

// The width of every bar's coloured rectangle, in order.
std::vector<int> BarWidths(const std::string& svg) {
  static const std::regex kBar(R"re(<rect x="228" y="\d+" width="(\d+)" height="14" fill="#)re");
  std::vector<int> widths;
  for (auto it = std::sregex_iterator(svg.begin(), svg.end(), kBar); it != std::sregex_iterator();
       ++it) {
    widths.push_back(std::stoi((*it)[1]));
  }
  return widths;
}

TEST(ChartSvgTest, BarsScaleToTheLargestAndEveryValueIsWrittenOut) {
  CodePageGuard code_page("UTF-8");
  const TBarChart chart{"t: passages per file",
                        "00AA00",
                        {{"a.txt", "00AA00", 840},
                         {"b.txt", "00AA00", 420},
                         {"c.txt", "00AA00", 1},
                         {"d.txt", "00AA00", 0}}};
  const std::string svg = Utf8(RenderBarCharts({chart}));
  EXPECT_EQ(BarWidths(svg), (std::vector<int>{420, 210, 1}));
  for (const char* value : {">840</text>", ">420</text>", ">1</text>", ">0</text>"}) {
    EXPECT_NE(svg.find(value), std::string::npos) << value;
  }
  // Every bar hatched for black and white print, through the chart's own pattern.
  EXPECT_NE(svg.find("<pattern id=\"hatch1\""), std::string::npos);
  size_t hatched = 0;
  for (size_t at = svg.find("url(#hatch1)"); at != std::string::npos;
       at = svg.find("url(#hatch1)", at + 1)) {
    ++hatched;
  }
  EXPECT_EQ(hatched, 3u);
  EXPECT_NE(svg.find("<details class=\"chart\" open>"), std::string::npos);
  EXPECT_NE(svg.find("viewBox=\"0 0 720 80\""), std::string::npos);
}

TEST(ChartSvgTest, TextsAreEscapedColoursCheckedLongLabelsCutAndManyBarsFolded) {
  CodePageGuard code_page("UTF-8");
  TBarChart chart{"<script>alert(1)</script>", "\"><x", {}};
  chart.bars.push_back({"\"quoted\" & <b>", "zzzzzz\" onload=\"x", 3});
  chart.bars.push_back({std::string(40, 'n') + ".txt", "123abc", 3});
  for (size_t i = chart.bars.size(); i <= kOpenChartBars; ++i) {
    chart.bars.push_back({"f.txt", "123abc", 1});
  }
  const std::string svg = Utf8(RenderBarCharts({chart, chart}));
  EXPECT_EQ(svg.find("<script"), std::string::npos);
  EXPECT_EQ(svg.find("onload"), std::string::npos);
  EXPECT_NE(svg.find("&lt;script&gt;"), std::string::npos);
  EXPECT_NE(svg.find("&quot;quoted&quot; &amp; &lt;b&gt;"), std::string::npos);
  EXPECT_NE(svg.find("fill=\"#808080\""), std::string::npos);
  EXPECT_NE(svg.find("fill=\"#123abc\""), std::string::npos);
  // Label cut to 33 characters and an ellipsis; the whole name stays in the tooltip.
  EXPECT_NE(svg.find(">" + std::string(33, 'n') + "&#8230;</text>"), std::string::npos);
  EXPECT_NE(svg.find("<title>" + std::string(40, 'n') + ".txt: 3</title>"), std::string::npos);
  // Past kOpenChartBars bars a chart starts folded; two charts, two patterns of their own.
  EXPECT_EQ(svg.find("<details class=\"chart\" open>"), std::string::npos);
  EXPECT_NE(svg.find("id=\"hatch2\""), std::string::npos);
}

}  // namespace
}  // namespace farrowdale
