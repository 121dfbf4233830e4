#include "report/agreement_report.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <vector>

#include "report/csv_tables.h"
#include "report/markup_text.h"
#include "report/provenance.h"
#include "report/report_page.h"
#include "report/table_fragments.h"
#include "text/atomic_file.h"
#include "text/code_page.h"
#include "text/utf8.h"

namespace farrowdale {
namespace {

constexpr int kTableDecimals = 6;
constexpr int kPageDecimals = 3;

void AddMeasure(TCsvTable& table, const std::optional<double>& value) {
  table.AddDecimal(MeasureText(value, kTableDecimals, ""));
}

void AddRecord(TCsvTable& table, const TAgreementRow& row) {
  const TAgreementCounts& c = row.counts;
  table.AddNarrow(row.tag);
  table.AddNarrow(row.file);
  for (const int64_t count : {c.characters, c.a_chars, c.b_chars, c.both_chars}) {
    table.AddNumber(count);
  }
  for (const auto& measure :
       {row.percent_all, row.percent_coded, row.kappa, row.alpha, row.alpha_u}) {
    AddMeasure(table, measure);
  }
  for (const int64_t count : {c.a_passages, c.b_passages, c.matched, c.a_passages - c.matched,
                              c.b_passages - c.matched}) {
    table.AddNumber(count);
  }
  table.EndRecord();
}

// The page's pieces. Narrow text (tag names, paths) is escaped; the contexts of a difference
// are UTF-8 with their line ends, tabs and other controls made visible.
void Text(std::u16string& out, std::string_view narrow) { AppendMarkupNarrow(out, narrow); }

void VisibleText(std::u16string& out, std::string_view utf8) {
  std::u16string shown;
  for (const char16_t c : Utf8ToUtf16(utf8)) {
    if (c == u'\n') {
      shown += u"\u21B5";  // a return arrow
    } else if (c == u'\t') {
      shown += u"\u2192";
    } else if (c == u' ') {
      shown += u"\u00B7";  // a middle dot, so that runs of spaces can be counted
    } else if (c < 0x20) {
      shown += static_cast<char16_t>(0x2400 + c);  // the control's picture
    } else {
      shown += c;
    }
  }
  AppendMarkupText(out, shown);
}

void VisibleContext(std::u16string& out, std::string_view utf8) {
  AppendAscii(out, "<code class=\"context\">");
  VisibleText(out, utf8);
  AppendAscii(out, "</code>");
}

void Cell(std::u16string& out, const std::string& ascii, const char* css = nullptr) {
  AppendAscii(out, css ? std::string("<td class=\"") + css + "\">" : std::string("<td>"));
  AppendAscii(out, ascii);
  AppendAscii(out, "</td>");
}

void MeasureCell(std::u16string& out, const std::optional<double>& value) {
  if (value) {
    Cell(out, MeasureText(value, kPageDecimals, ""));
  } else {
    Cell(out, "undefined", "undefined");
  }
}

void PercentCell(std::u16string& out, const std::optional<double>& value) {
  if (value) {
    Cell(out, MeasureText(*value * 100, 1, "") + "%");
  } else {
    Cell(out, "undefined", "undefined");
  }
}

enum class EFirstColumn { kTag, kFile };

// One table of rows, named in the first column by their tag ("all tags" for "*", that row
// set apart) or by their file.
void RowsTable(std::u16string& out, const std::vector<TAgreementRow>& rows,
               EFirstColumn first = EFirstColumn::kTag) {
  AppendAscii(out, first == EFirstColumn::kTag
                       ? "<table>\n<thead><tr><th class=\"name\">Tag</th>"
                       : "<table>\n<thead><tr><th class=\"name\">File</th>");
  AppendAscii(out,
              "<th>Characters</th><th>Coded by A</th>"
              "<th>Coded by B</th><th>Coded by both</th><th>Agreement</th><th>Agreement on "
              "coded</th><th>&kappa;</th><th>&alpha;</th><th>&alpha;<sub>u</sub></th>"
              "<th>Passages of A</th><th>Passages of B</th><th>Matched</th><th>A only</th>"
              "<th>B only</th></tr></thead>\n"
              "<tbody>\n");
  for (const TAgreementRow& row : rows) {
    const TAgreementCounts& c = row.counts;
    const bool all_tags = first == EFirstColumn::kTag && row.tag == "*";
    AppendAscii(out,
                all_tags ? "<tr class=\"all\"><td class=\"name\">" : "<tr><td class=\"name\">");
    if (all_tags) {
      AppendAscii(out, "all tags");
    } else {
      Text(out, first == EFirstColumn::kTag ? row.tag : row.file);
    }
    AppendAscii(out, "</td>");
    for (const int64_t count : {c.characters, c.a_chars, c.b_chars, c.both_chars}) {
      Cell(out, std::to_string(count));
    }
    PercentCell(out, row.percent_all);
    PercentCell(out, row.percent_coded);
    for (const auto& measure : {row.kappa, row.alpha, row.alpha_u}) MeasureCell(out, measure);
    for (const int64_t count : {c.a_passages, c.b_passages, c.matched, c.a_passages - c.matched,
                                c.b_passages - c.matched}) {
      Cell(out, std::to_string(count));
    }
    AppendAscii(out, "</tr>\n");
  }
  AppendAscii(out, "</tbody>\n</table>\n");
}

std::string Place(const std::filesystem::path& folder, const std::string& file,
                  const TTextPosition& place) {
  return PathToNarrow(folder / NarrowToPath(file)) + ":" + std::to_string(place.line) + ":" +
         std::to_string(place.column);
}

void NotComparedSection(std::u16string& out, const TCoderComparison& comparison,
                        const TAgreementProvenance& provenance) {
  std::u16string items;
  for (const TFileComparison& file : comparison.files) {
    switch (file.outcome) {
      case EFileComparison::kCompared:
        continue;
      case EFileComparison::kOnlyInA:
      case EFileComparison::kOnlyInB:
        AppendAscii(items, "<li>");
        Text(items, file.file);
        AppendAscii(items, file.outcome == EFileComparison::kOnlyInA ? ": only coder A has it"
                                                                     : ": only coder B has it");
        break;
      case EFileComparison::kUnreadable:
        AppendAscii(items, "<li>");
        Text(items, file.file);
        AppendAscii(items, ": ");
        Text(items, file.error);
        break;
      case EFileComparison::kTextDiffers:
        AppendAscii(items, "<li>");
        Text(items, file.file);
        AppendAscii(items,
                    ": the texts differ once the markers are removed; each text from its first "
                    "difference on (&middot; space, &rarr; tab, &crarr; line end):<br>\n"
                    "<span class=\"place\">");
        Text(items, Place(provenance.folder_a, file.file, file.difference.a_place));
        AppendAscii(items, "</span> ");
        VisibleContext(items, file.difference.a_context);
        AppendAscii(items, "<br>\n<span class=\"place\">");
        Text(items, Place(provenance.folder_b, file.file, file.difference.b_place));
        AppendAscii(items, "</span> ");
        VisibleContext(items, file.difference.b_context);
        break;
    }
    AppendAscii(items, "</li>\n");
  }
  if (items.empty()) return;
  out += SectionMarkup("not-compared", "Files not compared", [&](std::u16string& body) {
    AppendAscii(body, "<ul>\n");
    body += items;
    AppendAscii(body, "</ul>\n");
  });
  AppendAscii(out, "\n");
}

void ProblemsSection(std::u16string& out, const TCoderComparison& comparison,
                     const TAgreementProvenance& provenance) {
  std::u16string items;
  for (const TFileComparison& file : comparison.files) {
    for (const TCodingProblem& problem : file.problems) {
      AppendAscii(items, "<li><span class=\"place\">");
      Text(items, Place(problem.coder == 'A' ? provenance.folder_a : provenance.folder_b, file.file,
                        problem.place));
      AppendAscii(items, "</span>: ");
      Text(items, problem.message);
      AppendAscii(items, "</li>\n");
    }
  }
  if (items.empty()) return;
  out += SectionMarkup("problems", "Coding problems", [&](std::u16string& body) {
    AppendAscii(body,
                "<p>Markers that delimit no passage stay in the text (both coders' texts must "
                "still be the same); empty passages count for neither coder.</p>\n<ul>\n");
    body += items;
    AppendAscii(body, "</ul>\n");
  });
  AppendAscii(out, "\n");
}

// One coder's side of a difference: its place, then the passage marked in its context.
void SideCell(std::u16string& out, const std::filesystem::path& folder, const std::string& file,
              const std::optional<TPassageSide>& side) {
  if (!side) {
    AppendAscii(out, "<td class=\"side none\">none</td>");
    return;
  }
  AppendAscii(out, "<td class=\"side\"><span class=\"place\">");
  Text(out, Place(folder, file, side->place));
  AppendAscii(out, "</span><br><code class=\"context\">");
  VisibleText(out, side->before);
  AppendAscii(out, "<mark>");
  VisibleText(out, side->passage.head);
  if (side->passage.omitted > 0) {
    AppendAscii(out, "<span class=\"omitted\">[&hellip; " + std::to_string(side->passage.omitted) +
                         " characters &hellip;]</span>");
    VisibleText(out, side->passage.tail);
  }
  AppendAscii(out, "</mark>");
  VisibleText(out, side->after);
  AppendAscii(out, "</code></td>");
}

void DifferencesTable(std::u16string& out, const TFileComparison& file,
                      const TAgreementProvenance& provenance) {
  AppendAscii(out, "<h3>");
  Text(out, file.file);
  AppendAscii(out,
              "</h3>\n<table class=\"differences\">\n<thead><tr><th class=\"name\">Tag</th>"
              "<th class=\"name\">Difference</th><th class=\"name\">Coder A</th>"
              "<th class=\"name\">Coder B</th></tr></thead>\n<tbody>\n");
  for (const TTagDifferences& tag : file.differences) {
    for (const TPassageDifference& difference : tag.listed) {
      const char* kind = !difference.b   ? "<tr class=\"a-only\"><td class=\"name\">"
                         : !difference.a ? "<tr class=\"b-only\"><td class=\"name\">"
                                         : "<tr class=\"boundaries\"><td class=\"name\">";
      AppendAscii(out, kind);
      Text(out, tag.tag);
      AppendAscii(out, !difference.b   ? "</td><td class=\"name\">A only</td>"
                       : !difference.a ? "</td><td class=\"name\">B only</td>"
                                       : "</td><td class=\"name\">boundaries differ</td>");
      SideCell(out, provenance.folder_a, file.file, difference.a);
      SideCell(out, provenance.folder_b, file.file, difference.b);
      AppendAscii(out, "</tr>\n");
    }
    const int64_t more = tag.total - static_cast<int64_t>(tag.listed.size());
    if (more > 0) {
      AppendAscii(out, "<tr class=\"more\"><td class=\"name\">");
      Text(out, tag.tag);
      AppendAscii(out, "</td><td class=\"name\" colspan=\"3\">" +
                           std::string(tag.listed.empty() ? "" : "and ") + std::to_string(more) +
                           (more == 1 ? " difference" : " differences") +
                           " more, not listed</td></tr>\n");
    }
  }
  AppendAscii(out, "</tbody>\n</table>\n");
}

void DifferencesSection(std::u16string& out, const TCoderComparison& comparison,
                        const TAgreementProvenance& provenance) {
  if (std::none_of(comparison.files.begin(), comparison.files.end(),
                   [](const TFileComparison& file) { return !file.differences.empty(); })) {
    return;
  }
  out += SectionMarkup("differences", "Differences", [&](std::u16string& body) {
    AppendAscii(body,
                "<p>The passages only one coder marked (unmatched), and matched passages whose "
                "boundaries differ, in text order: where each begins in that coder's file "
                "(line:column), then the passage, highlighted, in up to " +
                    std::to_string(kDifferenceContext) +
                    " characters of the common text on either side (&middot; space, &rarr; tab, "
                    "&crarr; line end). Up to " +
                    std::to_string(kListedDifferencesPerTag) + " per tag and file, and " +
                    std::to_string(kListedDifferencesInAll) +
                    " in all, are listed; the rest are counted.</p>\n");
    // Past the listing's end, a file gets no table of its own, only its share of the count.
    int64_t unlisted = 0;
    int unlisted_files = 0;
    for (const TFileComparison& file : comparison.files) {
      const bool any_listed =
          std::any_of(file.differences.begin(), file.differences.end(),
                      [](const TTagDifferences& tag) { return !tag.listed.empty(); });
      if (any_listed) {
        DifferencesTable(body, file, provenance);
      } else if (!file.differences.empty()) {
        ++unlisted_files;
        for (const TTagDifferences& tag : file.differences) unlisted += tag.total;
      }
    }
    if (unlisted_files > 0) {
      AppendAscii(body, "<p class=\"more\">" + std::to_string(unlisted) +
                            (unlisted == 1 ? " difference" : " differences") + " in " +
                            std::to_string(unlisted_files) +
                            (unlisted_files == 1 ? " more file" : " more files") +
                            ", not listed.</p>\n");
    }
  });
  AppendAscii(out, "\n");
}

void ProvenanceSection(std::u16string& out, const TCoderComparison& comparison,
                       const TAgreementProvenance& provenance) {
  out += SectionMarkup("provenance", "Provenance", [&](std::u16string& body) {
    const std::string when = FormatLocalIsoTime(provenance.run_time);
    auto item = [&](const char* name, const std::string& narrow) {
      AppendAscii(body, "<dt>");
      AppendAscii(body, name);
      AppendAscii(body, "</dt><dd>");
      Text(body, narrow);
      AppendAscii(body, "</dd>\n");
    };
    AppendAscii(body,
                "<dl>\n<dt>Run</dt><dd><time datetime=\"" + when + "\">" + when + "</time></dd>\n");
    item("Program", ProgramVersionText());
    item("Coder A folder", PathToNarrow(provenance.folder_a));
    item("Coder B folder", PathToNarrow(provenance.folder_b));
    item("Tag set", PathToNarrow(provenance.tag_set_a));
    item("Tag set SHA-256", comparison.tag_set_a_sha256);
    if (provenance.tag_set_b != provenance.tag_set_a) {
      item("Tag set of coder B", PathToNarrow(provenance.tag_set_b));
      item("Tag set of coder B SHA-256", comparison.tag_set_b_sha256);
    }
    item("Files compared", std::to_string(comparison.files_compared));
    item("Minimum overlap of matched passages",
         MeasureText(comparison.min_overlap * 100, 0, "") + "% of their union");
    item("Code page", provenance.code_page);
    AppendAscii(body, "</dl>\n");
  });
  AppendAscii(out, "\n");
}

// Each file's table per tag; for a corpus larger than a page can show and print at ease, one
// row per file over all tags, the rows per tag and file left to the CSV table.
void FilesBody(std::u16string& body, const TCoderComparison& comparison) {
  if (comparison.files_compared > kFilesWithTagTables) {
    AppendAscii(body, "<p>All tags, one row per file; the rows per tag and file are in ");
    AppendAscii(body, kAgreementTableName);
    AppendAscii(body, ".</p>\n");
    std::vector<TAgreementRow> rows;
    for (const TFileComparison& file : comparison.files) {
      if (!file.rows.empty()) rows.push_back(file.rows.back());
    }
    RowsTable(body, rows, EFirstColumn::kFile);
    return;
  }
  for (const TFileComparison& file : comparison.files) {
    if (file.outcome != EFileComparison::kCompared) continue;
    AppendAscii(body, "<h3>");
    Text(body, file.file);
    AppendAscii(body, "</h3>\n");
    RowsTable(body, file.rows);
  }
}

constexpr const char* kPageHead =
    "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
    "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; style-src "
    "'unsafe-inline'; img-src data:; base-uri 'none'; form-action 'none'\">\n"
    "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
    "<meta name=\"generator\" content=\"Morrow Farrowdale 1.0\">\n"
    "<title>Inter-coder agreement</title>\n<style>\n"
    "body{font-family:system-ui,sans-serif;margin:1.5em;color:#222;line-height:1.4}\n"
    "h1{font-size:1.5em}h2{font-size:1.2em;margin-top:1.5em}h3{font-size:1em;margin-bottom:.2em}\n"
    "table{border-collapse:collapse;margin:.4em 0 1em;font-size:.85em}\n"
    "th,td{border:1px solid #bbb;padding:.15em .4em;text-align:right;white-space:nowrap}\n"
    "th{background:#eee;font-weight:600;white-space:normal;vertical-align:bottom;"
    "font-size:.9em}th.name,td.name{text-align:left}\n"
    "tr.all td{font-weight:600;background:#f6f6f6}td.undefined{color:#777;font-style:italic}\n"
    "code.context{white-space:pre-wrap;background:#f1f1f1;padding:0 .2em}\n"
    "table.differences{width:100%}table.differences td{vertical-align:top}"
    "table.differences td.side{width:45%;white-space:normal;text-align:left;"
    "overflow-wrap:anywhere}td.none{color:#777;font-style:italic}mark{background:#fde68a}"
    ".omitted{color:#666;font-style:italic}\n"
    ".place{font-family:monospace}dl{display:grid;grid-template-columns:max-content auto;"
    "gap:.1em 1em}dd{margin:0}dt{font-weight:600}\n"
    "footer{margin-top:2em;color:#666;font-size:.9em}\n"
    "@page{size:landscape}@media print{body{margin:0;font-size:8pt}th,td{padding:.05em .3em}"
    "thead{display:table-header-group}tr{break-inside:avoid}h2,h3{break-after:avoid}}\n"
    "</style>\n</head>\n<body>\n<h1>Inter-coder agreement</h1>\n";

}  // namespace

std::string MeasureText(const std::optional<double>& value, int decimals,
                        const std::string& undefined) {
  if (!value || !std::isfinite(*value)) return undefined;
  const double rounded_away = std::abs(*value) < 0.5 * std::pow(10.0, -decimals) ? 0.0 : *value;
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, rounded_away,
                                    std::chars_format::fixed, decimals);
  return std::string(buffer, result.ptr);
}

std::string AgreementTableBytes(const TCoderComparison& comparison) {
  TCsvTable table({"tag", "file", "characters", "a_chars", "b_chars", "both_chars", "percent_all",
                   "percent_coded", "kappa", "alpha", "alpha_u", "a_passages", "b_passages",
                   "matched", "a_only", "b_only"});
  for (const TFileComparison& file : comparison.files) {
    for (const TAgreementRow& row : file.rows) AddRecord(table, row);
  }
  for (const TAgreementRow& row : comparison.pooled) AddRecord(table, row);
  return table.bytes();
}

std::string AgreementPageBytes(const TCoderComparison& comparison,
                               const TAgreementProvenance& provenance) {
  std::u16string out;
  AppendAscii(out, kPageHead);
  int not_compared = 0;
  for (const TFileComparison& file : comparison.files) {
    not_compared += file.outcome == EFileComparison::kCompared ? 0 : 1;
  }
  AppendAscii(out, "<p class=\"summary\">" + std::to_string(comparison.files_compared) +
                       (comparison.files_compared == 1 ? " file" : " files") + " compared, " +
                       std::to_string(not_compared) + " not compared. Coder A: ");
  Text(out, PathToNarrow(provenance.folder_a));
  AppendAscii(out, "; coder B: ");
  Text(out, PathToNarrow(provenance.folder_b));
  AppendAscii(out,
              ".</p>\n<p class=\"legend\">Characters are those of the common text (the text "
              "without markers); for all tags, each character counts once per tag. Agreement "
              "is over all characters, agreement on coded over the characters either coder "
              "coded; &kappa; is Cohen's and &alpha; Krippendorff's (nominal) on the characters, "
              "&alpha;<sub>u</sub> Krippendorff's unitized alpha on the passages. Passages match "
              "one to one when their overlap is at least " +
                  MeasureText(comparison.min_overlap * 100, 0, "") + "% of their union.</p>\n");
  out += SectionMarkup("pooled", "All compared files",
                       [&](std::u16string& body) { RowsTable(body, comparison.pooled); });
  AppendAscii(out, "\n");
  NotComparedSection(out, comparison, provenance);
  ProblemsSection(out, comparison, provenance);
  if (comparison.files_compared > 0) {
    out += SectionMarkup("files", "Per file",
                         [&](std::u16string& body) { FilesBody(body, comparison); });
    AppendAscii(out, "\n");
  }
  DifferencesSection(out, comparison, provenance);
  ProvenanceSection(out, comparison, provenance);
  AppendAscii(out, "<footer>");
  AppendAscii(out, kCopyText);
  AppendAscii(out, "</footer>\n</body>\n</html>\n");
  return Utf16ToUtf8(out, '?');
}

void WriteAgreementOutputs(const TCoderComparison& comparison,
                           const TAgreementProvenance& provenance,
                           const std::filesystem::path& folder) {
  const std::filesystem::path page_path = folder / kAgreementPageName;
  const std::filesystem::path table_path = folder / kAgreementTableName;
  CheckReplaceableFile(page_path);
  CheckReplaceableFile(table_path);
  TAtomicFile page(page_path);
  TAtomicFile table(table_path);
  page.Append(AgreementPageBytes(comparison, provenance));
  table.Append(AgreementTableBytes(comparison));
  page.Sync();
  table.Sync();
  page.Commit();
  table.Commit();
}

}  // namespace farrowdale
