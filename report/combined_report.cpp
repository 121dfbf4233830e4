// WriteCombinedReport: one report, "result.htm", that sets all files side by side, from
// "resultEx.tpl". Each row shows one tag: number, name and markers (from the first file),
// one "Count/Freq" cell per file, then the tag's totals over all files (counted by the run):
// the distinct texts, the summed frequency and the pooled hit list. "{@hit}" counts the
// rows with a pooled text.
#include <algorithm>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>

#include "report/report_page.h"
#include "report/report_writers.h"
#include "report/table_fragments.h"

namespace farrowdale {
namespace {

constexpr std::string_view kTableHeaderPlaceholder = "{@table_header}";

// The header cells that the template wraps in its header row.
std::u16string HeaderText(const std::vector<std::string>& file_names) {
  std::u16string header;
  AppendAscii(header,
              "<td class=\"no\">No</td><td class=\"n\">Name</td><td class=\"t\">Tagset</td>");
  for (const std::string& name : file_names) {
    AppendAscii(header, "<td class=\"f\">");
    std::u16string shown;
    AppendNarrow(shown, name);
    header += EscapeHtml(shown);
    AppendAscii(header, "</td>");
  }
  AppendAscii(header,
              "<td class=\"co\">Count</td><td class=\"fr\">Freq.</td>"
              "<td class=\"c\">Tagged Text(s)</td>");
  return header;
}

// Every file must have one entry per tag, and every tag its totals: the rows are indexed by
// the first file's length.
void CheckShape(const TStatArrayArray& results, const TTagTotalsList& totals,
                const std::vector<std::string>& file_names) {
  if (file_names.size() != results.size()) {
    throw std::invalid_argument("WriteCombinedReport: one file name per file expected");
  }
  CheckOneEntryPerTag(results);
  if (totals.size() != results.front().size()) {
    throw std::invalid_argument("WriteCombinedReport: one total per tag expected");
  }
}

// Each tag's totals are asked for once, as its row is written.
void WriteTable(const TStatArrayArray& results, const TTagTotalsList& totals, bool links,
                TReportStream& out) {
  const auto rows = static_cast<int32_t>(results.front().size());
  for (int32_t r = 0; r < rows; ++r) {
    std::u16string& row = out.unicode();
    AppendRowStart(row, r + 1, results.front()[r]);
    for (const TStatArray& file : results) {
      const TStatInfo& info = file[r];
      AppendAscii(row, "<td><span class=\"c\">");
      AppendDecimal(row, info.Count);
      AppendAscii(row, "</span>/<span class=\"f\">");
      AppendDecimal(row, info.Freq);
      AppendAscii(row, "</span></td>");
      out.Drain();
    }
    const TTagTotals total = totals[r];
    AppendAscii(out.unicode(), "<td class=\"co\">");
    AppendDecimal(out.unicode(), static_cast<int64_t>(total.Distinct.size()));
    AppendAscii(out.unicode(), "</td><td class=\"fr\">");
    AppendDecimal(out.unicode(), total.Freq);
    AppendAscii(out.unicode(), "</td><td><div class=\"c\">");
    WriteHitList(out, total.Distinct, THitListStyle::kPooled, links ? r + 1 : 0);
    AppendAscii(out.unicode(), "</div></td>");
    AppendAscii(out.unicode(), kRowCloser);
    out.Drain();
  }
}

}  // namespace

TReportTemplate CombinedReportTemplate(const std::filesystem::path& template_path) {
  return TReportTemplate(template_path, {kItemPlaceholder, kHitPlaceholder, kTableHeaderPlaceholder,
                                         kTablePlaceholder});
}

bool WriteCombinedReport(const TStatArrayArray& results, const TTagTotalsList& totals,
                         const std::vector<std::string>& file_names,
                         const TReportTemplate& report_template,
                         const std::filesystem::path& report_path,
                         const TReportAdditions& additions) {
  std::optional<TAtomicFile> report =
      RenderCombinedReport(results, totals, file_names, report_template, report_path, additions);
  if (!report) return false;
  report->Commit();
  return true;
}

std::optional<TAtomicFile> RenderCombinedReport(const TStatArrayArray& results,
                                                const TTagTotalsList& totals,
                                                const std::vector<std::string>& file_names,
                                                const TReportTemplate& report_template,
                                                const std::filesystem::path& report_path,
                                                const TReportAdditions& additions) {
  if (results.empty()) return std::nullopt;
  if (!report_template.Exists()) return std::nullopt;
  CheckShape(results, totals, file_names);

  const bool links = LinksToPassages(report_template, additions);
  size_t hits = 0;
  for (size_t tag = 0; tag < totals.size(); ++tag) hits += totals.HasPassages(tag) ? 1 : 0;
  return RenderReport(report_template, report_path,
                      [&](std::string_view placeholder, TReportStream& out) {
                        if (placeholder == kItemPlaceholder) {
                          out.AppendNarrow(std::to_string(results.front().size()));
                        } else if (placeholder == kHitPlaceholder) {
                          out.AppendNarrow(std::to_string(hits));
                        } else if (placeholder == kTableHeaderPlaceholder) {
                          out.AppendUnicode(HeaderText(file_names));
                        } else if (placeholder == kTablePlaceholder) {
                          WriteTable(results, totals, links, out);
                        } else {
                          WriteSectionValue(
                              placeholder, additions,
                              [&] { return PassagesPerFileCharts(results, file_names); }, out);
                        }
                      });
}

}  // namespace farrowdale
