// WriteCombinedReport: one report, "result.htm", that sets all files side by side, from
// "resultEx.tpl". Each row shows one tag: number, name and markers (from the first file),
// one "Count/Freq" cell per file, then the distinct texts recounted over all files, the
// summed frequency and the pooled hit list. "{@hit}" counts the rows with a pooled text.
//
// The pooled passages are split into lines in memory: AssignText of the pooled list's
// JoinedText gives exactly the lines a write to a UTF-16 file and a read back would give,
// without a scratch file in the program's folder (which may be read-only, or hold a file
// of the user's with that name).
#include <cstdint>
#include <stdexcept>
#include <string>

#include "report/report_page.h"
#include "report/report_writers.h"
#include "report/table_fragments.h"
#include "run/frequency_list.h"
#include "text/trim.h"

namespace farrowdale {
namespace {

// The header cells that the template wraps in its header row.
std::u16string HeaderText(const std::vector<std::string>& file_names) {
  std::u16string header;
  AppendAscii(header,
              "<td class=\"no\">No</td><td class=\"n\">Name</td><td class=\"t\">Tagset</td>");
  for (const std::string& name : file_names) {
    AppendAscii(header, "<td class=\"f\">");
    AppendNarrow(header, name);
    AppendAscii(header, "</td>");
  }
  AppendAscii(header,
              "<td class=\"co\">Count</td><td class=\"fr\">Freq.</td>"
              "<td class=\"c\">Tagged Text(s)</td>");
  return header;
}

// "text (count)<br>" for every entry whose text is not blank.
void AppendPooledHitList(std::u16string& out, const TUnicodeStringList& freq) {
  for (int i = 0; i < freq.EntryCount(); ++i) {
    const std::u16string name = freq.EntryName(i);
    const std::u16string_view text = Trim(std::u16string_view(name));
    if (text.empty()) continue;
    out += text;
    AppendAscii(out, " (");
    out += freq.EntryValue(i);
    AppendAscii(out, ")<br>");
  }
}

// Every file must have one entry per tag: the rows are indexed by the first file's length.
void CheckShape(const TStatArrayArray& results, const std::vector<std::string>& file_names) {
  if (file_names.size() != results.size()) {
    throw std::invalid_argument("WriteCombinedReport: one file name per file expected");
  }
  for (const TStatArray& file : results) {
    if (file.size() != results.front().size()) {
      throw std::invalid_argument("WriteCombinedReport: files with different tag counts");
    }
  }
}

}  // namespace

bool WriteCombinedReport(const TStatArrayArray& results, const std::vector<std::string>& file_names,
                         const std::filesystem::path& template_path,
                         const std::filesystem::path& report_path) {
  if (results.empty()) return false;
  if (!TemplateFileExists(template_path)) return false;
  CheckShape(results, file_names);

  const std::u16string header = HeaderText(file_names);
  const int32_t rows = static_cast<int32_t>(results.front().size());
  std::u16string table;
  int32_t hits = 0;
  TUnicodeStringList pooled;
  TUnicodeStringList freq;
  for (int32_t r = 0; r < rows; ++r) {
    AppendRowStart(table, r + 1, results.front()[r]);
    pooled.ClearEntries();
    freq.ClearEntries();
    int64_t freq_sum = 0;
    for (const TStatArray& file : results) {
      const TStatInfo& info = file[r];
      AppendAscii(table, "<td><span class=\"c\">");
      AppendDecimal(table, info.Count);
      AppendAscii(table, "</span>/<span class=\"f\">");
      AppendDecimal(table, info.Freq);
      AppendAscii(table, "</span></td>");
      freq_sum += info.Freq;
      pooled.AddEntry(info.Texts);
    }
    pooled.AssignText(pooled.JoinedText());
    CountDistinctTexts(pooled, freq, "ByFreq", true);
    const int32_t distinct = freq.EntryCount();
    if (distinct > 0) ++hits;
    AppendAscii(table, "<td class=\"co\">");
    AppendDecimal(table, distinct);
    AppendAscii(table, "</td><td class=\"fr\">");
    AppendDecimal(table, freq_sum);
    AppendAscii(table, "</td><td><div class=\"c\">");
    AppendPooledHitList(table, freq);
    AppendAscii(table, "</div></td>");
    AppendAscii(table, kRowCloser);
  }

  TUnicodeStringList page;
  page.ReadTextFile(template_path);
  SubstitutePlaceholder(page, "{@item}", std::string_view(std::to_string(rows)));
  SubstitutePlaceholder(page, "{@hit}", std::string_view(std::to_string(hits)));
  SubstitutePlaceholder(page, "{@table_header}", std::u16string_view(header));
  SubstitutePlaceholder(page, "{@table}", std::u16string_view(table));
  FinishAndWriteReport(page, report_path);
  return true;
}

}  // namespace farrowdale
