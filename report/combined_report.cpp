// WriteCombinedReport: one report, "result.htm", that sets all files side by side, from
// "resultEx.tpl". Each row shows one tag: number, name and markers (from the first file),
// one "Count/Freq" cell per file, then the tag's totals over all files (counted by the run
// before the report is written):
// the distinct texts, the summed frequency and the pooled hit list. "{@hit}" counts the
// rows with a pooled text.
//
// A browser lays out a table of thousands of file columns slowly and a reader cannot use
// one: past kMatrixFiles files the header and every row end in one cell that says how many
// files are left out and where their counts are (the counts table).
#include <algorithm>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>

#include "report/csv_tables.h"
#include "report/report_page.h"
#include "report/report_writers.h"
#include "report/table_fragments.h"

namespace farrowdale {
namespace {

constexpr std::string_view kTableHeaderPlaceholder = "{@table_header}";
// Placed in the template's <body> tag: ' class="many-files"' when the table has more file
// columns than fit side by side, else nothing. The template's styles lay such a table out
// row by row; deciding it here spares the browser selectors that look into the whole table,
// which make a table of thousands of files take minutes to show.
constexpr std::string_view kLayoutPlaceholder = "{@layout}";
constexpr size_t kSideBySideFiles = 12;

// The files shown in the table, and the cell that stands for the others.
size_t FilesInTable(size_t files) { return std::min(files, kMatrixFiles); }
constexpr std::string_view kFilesLeftOutCell = "<td class=\"fx\">&hellip;</td>";

// The header cells that the template wraps in its header row.
std::u16string HeaderText(const std::vector<std::string>& file_names) {
  std::u16string header;
  AppendAscii(header,
              "<td class=\"no\">No</td><td class=\"n\">Name</td><td class=\"t\">Tagset</td>");
  const size_t shown_files = FilesInTable(file_names.size());
  for (size_t file = 0; file < shown_files; ++file) {
    AppendAscii(header, "<td class=\"f\">");
    std::u16string shown;
    AppendNarrow(shown, file_names[file]);
    header += EscapeHtml(shown);
    AppendAscii(header, "</td>");
  }
  if (shown_files < file_names.size()) {
    AppendAscii(header, "<td class=\"fx\">");
    AppendDecimal(header, static_cast<int64_t>(file_names.size() - shown_files));
    AppendAscii(header, " more files: their counts are in ");
    AppendAscii(header, kCountsTableName);
    AppendAscii(header, ", written with the tables</td>");
  }
  AppendAscii(header,
              "<td class=\"co\">Count</td><td class=\"fr\">Freq.</td>"
              "<td class=\"c\">Tagged Text(s)</td>");
  return header;
}

// Every file must have one entry per tag, and every tag its totals: the rows are indexed by
// the first file's length.
void CheckShape(const TStatArrayArray& results, const TTagTotalsView& totals,
                const std::vector<std::string>& file_names) {
  if (file_names.size() != results.size()) {
    throw std::invalid_argument("WriteCombinedReport: one file name per file expected");
  }
  for (const TStatArray& file : results) {
    if (file.size() != results.front().size()) {
      throw std::invalid_argument("WriteCombinedReport: files with different tag counts");
    }
  }
  if (totals.tag_count() != results.front().size()) {
    throw std::invalid_argument("WriteCombinedReport: one total per tag expected");
  }
}

void WriteTable(const TStatArrayArray& results, const TTagTotalsView& totals, bool links,
                TReportStream& out) {
  const auto rows = static_cast<int32_t>(results.front().size());
  for (int32_t r = 0; r < rows; ++r) {
    std::u16string& row = out.unicode();
    AppendRowStart(row, r + 1, results.front()[r]);
    const size_t shown_files = FilesInTable(results.size());
    for (size_t file = 0; file < shown_files; ++file) {
      const TStatInfo& info = results[file][r];
      AppendAscii(row, "<td><span class=\"c\">");
      AppendDecimal(row, info.Count);
      AppendAscii(row, "</span>/<span class=\"f\">");
      AppendDecimal(row, info.Freq);
      AppendAscii(row, "</span></td>");
      out.Drain();
    }
    if (shown_files < results.size()) AppendAscii(out.unicode(), kFilesLeftOutCell);
    const TTagTotals& total = totals.Totals(static_cast<size_t>(r));
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
                                         kTablePlaceholder, kLayoutPlaceholder});
}

bool WriteCombinedReport(const TStatArrayArray& results, const TTagTotalsView& totals,
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
                                                const TTagTotalsView& totals,
                                                const std::vector<std::string>& file_names,
                                                const TReportTemplate& report_template,
                                                const std::filesystem::path& report_path,
                                                const TReportAdditions& additions) {
  if (results.empty()) return std::nullopt;
  if (!report_template.Exists()) return std::nullopt;
  CheckShape(results, totals, file_names);

  const bool links = LinksToPassages(report_template, additions);
  size_t hits = 0;
  for (size_t tag = 0; tag < totals.tag_count(); ++tag) {
    hits += totals.Totals(tag).Distinct.empty() ? 0 : 1;
  }
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
                        } else if (placeholder == kLayoutPlaceholder) {
                          if (results.size() > kSideBySideFiles)
                            out.AppendNarrow(" class=\"many-files\"");
                        } else {
                          WriteSectionValue(
                              placeholder, additions,
                              [&] { return PassagesPerFileCharts(results, file_names); }, out);
                        }
                      });
}

}  // namespace farrowdale
