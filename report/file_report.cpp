// WriteFileReport: one report per text file from "result.tpl". Each row shows one tag: its
// number, name and coloured markers, the number of distinct texts, the number of extracted
// texts and the hit list of the distinct texts. "{@hit}" counts the rows whose tag was found.
#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "report/report_page.h"
#include "report/report_writers.h"
#include "report/table_fragments.h"

namespace farrowdale {
namespace {

void WriteTable(const TStatArray& results, bool links, TReportStream& out) {
  int32_t n = 0;
  for (const TStatInfo& info : results) {
    ++n;
    std::u16string& row = out.unicode();
    AppendRowStart(row, n, info);
    AppendAscii(row, "<td class=\"co\">");
    AppendDecimal(row, info.Count);
    AppendAscii(row, "</td><td class=\"f\">");
    AppendDecimal(row, info.Freq);
    AppendAscii(row, "</td><td class=\"c\">");
    WriteHitList(out, info.Distinct, THitListStyle::kPerFile, links ? n : 0);
    AppendAscii(out.unicode(), "</td>");
    AppendAscii(out.unicode(), kRowCloser);
    out.Drain();
  }
}

}  // namespace

TReportTemplate FileReportTemplate(const std::filesystem::path& template_path) {
  return TReportTemplate(template_path, {kItemPlaceholder, kHitPlaceholder, kTablePlaceholder});
}

std::optional<TAtomicFile> RenderFileReport(const TStatArray& results,
                                            const TReportTemplate& report_template,
                                            const std::filesystem::path& report_path,
                                            const TReportAdditions& additions,
                                            EAtomicFileStart start) {
  if (results.empty()) return std::nullopt;
  if (!report_template.Exists()) return std::nullopt;
  const bool links = LinksToPassages(report_template, additions);
  const auto hits = std::count_if(results.begin(), results.end(),
                                  [](const TStatInfo& info) { return info.Freq != 0; });
  return RenderReport(
      report_template, report_path,
      [&](std::string_view placeholder, TReportStream& out) {
        if (placeholder == kItemPlaceholder) {
          out.AppendNarrow(std::to_string(results.size()));
        } else if (placeholder == kHitPlaceholder) {
          out.AppendNarrow(std::to_string(hits));
        } else if (placeholder == kTablePlaceholder) {
          WriteTable(results, links, out);
        } else {
          WriteSectionValue(
              placeholder, additions, [&] { return std::vector{PassagesPerTagChart(results)}; },
              out);
        }
      },
      start);
}

bool WriteFileReport(const TStatArray& results, const TReportTemplate& report_template,
                     const std::filesystem::path& report_path, const TReportAdditions& additions) {
  std::optional<TAtomicFile> report =
      RenderFileReport(results, report_template, report_path, additions);
  if (!report) return false;
  report->Commit();
  return true;
}

}  // namespace farrowdale
