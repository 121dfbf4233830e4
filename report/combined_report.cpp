// WriteCombinedReport: one report, "result.htm", that sets all files side by side, from
// "resultEx.tpl". Each row shows one tag: number, name and markers (from the first file),
// one "Count/Freq" cell per file, then the tag's totals over all files (counted by the run):
// the distinct texts, the summed frequency and the pooled hit list. "{@hit}" counts the
// rows with a pooled text.
#include <cstdint>
#include <stdexcept>
#include <string>
#include <utility>

#include "report/report_page.h"
#include "report/report_writers.h"
#include "report/table_fragments.h"
#include "text/code_page.h"

namespace farrowdale {
namespace {

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

}  // namespace

bool WriteCombinedReport(const TStatArrayArray& results, const TTagTotalsList& totals,
                         const std::vector<std::string>& file_names,
                         const std::filesystem::path& template_path,
                         const std::filesystem::path& report_path,
                         const TReportAdditions& additions) {
  if (results.empty()) return false;
  if (!TemplateFileExists(template_path)) return false;
  CheckShape(results, totals, file_names);

  TUnicodeStringList page;
  page.ReadTextFile(template_path);
  const bool links = LinksToPassages(page, additions);
  const int32_t rows = static_cast<int32_t>(results.front().size());
  std::u16string table;
  int32_t hits = 0;
  for (int32_t r = 0; r < rows; ++r) {
    AppendRowStart(table, r + 1, results.front()[r]);
    for (const TStatArray& file : results) {
      const TStatInfo& info = file[r];
      AppendAscii(table, "<td><span class=\"c\">");
      AppendDecimal(table, info.Count);
      AppendAscii(table, "</span>/<span class=\"f\">");
      AppendDecimal(table, info.Freq);
      AppendAscii(table, "</span></td>");
    }
    const TTagTotals& total = totals[r];
    if (!total.Distinct.empty()) ++hits;
    AppendAscii(table, "<td class=\"co\">");
    AppendDecimal(table, static_cast<int64_t>(total.Distinct.size()));
    AppendAscii(table, "</td><td class=\"fr\">");
    AppendDecimal(table, total.Freq);
    AppendAscii(table, "</td><td><div class=\"c\">");
    AppendPooledHitList(table, total.Distinct, links ? r + 1 : 0);
    AppendAscii(table, "</div></td>");
    AppendAscii(table, kRowCloser);
  }

  TPlaceholderValues values = {{"{@item}", std::to_string(rows)},
                               {"{@hit}", std::to_string(hits)},
                               {"{@table_header}", ToNarrow(HeaderText(file_names))},
                               {"{@table}", ToNarrow(table)}};
  AddSectionValues(
      page, additions, [&] { return PassagesPerFileCharts(results, file_names); }, values);
  FinishAndWriteReport(page, std::move(values), report_path);
  return true;
}

}  // namespace farrowdale
