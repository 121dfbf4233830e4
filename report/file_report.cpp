// WriteFileReport: one report per text file from "result.tpl". Each row shows one tag: its
// number, name and coloured markers, the number of distinct texts, the number of extracted
// texts and the hit list of the distinct texts. "{@hit}" counts the rows whose tag was found.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "report/report_page.h"
#include "report/report_writers.h"
#include "report/table_fragments.h"
#include "text/code_page.h"

namespace farrowdale {

bool WriteFileReport(const TStatArray& results, const std::filesystem::path& template_path,
                     const std::filesystem::path& report_path, const TReportAdditions& additions) {
  if (results.empty()) return false;
  if (!TemplateFileExists(template_path)) return false;
  TUnicodeStringList page;
  page.ReadTextFile(template_path);

  const bool links = LinksToPassages(page, additions);
  std::u16string table;
  int32_t hits = 0;
  int32_t n = 0;
  for (const TStatInfo& info : results) {
    ++n;
    AppendRowStart(table, n, info);
    AppendAscii(table, "<td class=\"co\">");
    AppendDecimal(table, info.Count);
    AppendAscii(table, "</td><td class=\"f\">");
    AppendDecimal(table, info.Freq);
    AppendAscii(table, "</td><td class=\"c\">");
    table += FormatHitList(info.Distinct, links ? n : 0);
    AppendAscii(table, "</td>");
    AppendAscii(table, kRowCloser);
    if (info.Freq != 0) ++hits;
  }

  TPlaceholderValues values = {{"{@item}", std::to_string(n)},
                               {"{@hit}", std::to_string(hits)},
                               {"{@table}", ToNarrow(table)}};
  AddSectionValues(
      page, additions, [&] { return std::vector{PassagesPerTagChart(results)}; }, values);
  FinishAndWriteReport(page, std::move(values), report_path);
  return true;
}

}  // namespace farrowdale
