#include "report/report_page.h"

#include <algorithm>
#include <system_error>

#include "report/table_fragments.h"
#include "text/code_page.h"
#include "text/unicode_string_list.h"

namespace farrowdale {
namespace {

constexpr std::string_view kCopyPlaceholder = "{@copy}";
constexpr std::string_view kAuthorPlaceholder = "{@author}";
constexpr std::string_view kFileNamePlaceholder = "{@filename}";

// Where one placeholder stands in the template's text.
struct Occurrence {
  size_t at = 0;
  std::string_view placeholder;
};

bool Overlaps(const Occurrence& taken, size_t at, size_t length) {
  return at < taken.at + taken.placeholder.size() && taken.at < at + length;
}

// The first occurrence of placeholder in text that overlaps none of taken.
size_t FindFreeOccurrence(const std::string& text, std::string_view placeholder,
                          const std::vector<Occurrence>& taken) {
  for (size_t at = text.find(placeholder); at != std::string::npos;
       at = text.find(placeholder, at + 1)) {
    const bool free = std::none_of(taken.begin(), taken.end(), [&](const Occurrence& o) {
      return Overlaps(o, at, placeholder.size());
    });
    if (free) return at;
  }
  return std::string::npos;
}

std::vector<TReportTemplate::Piece> CutAtPlaceholders(
    const std::string& text, const std::vector<std::string_view>& placeholders) {
  std::vector<Occurrence> occurrences;
  for (const std::string_view placeholder : placeholders) {
    if (placeholder.empty()) continue;
    const size_t at = FindFreeOccurrence(text, placeholder, occurrences);
    if (at != std::string::npos) occurrences.push_back({at, placeholder});
  }
  std::sort(occurrences.begin(), occurrences.end(),
            [](const Occurrence& a, const Occurrence& b) { return a.at < b.at; });
  std::vector<TReportTemplate::Piece> pieces;
  size_t copied = 0;
  for (const Occurrence& o : occurrences) {
    pieces.push_back({text.substr(copied, o.at - copied), o.placeholder});
    copied = o.at + o.placeholder.size();
  }
  pieces.push_back({text.substr(copied), {}});
  return pieces;
}

}  // namespace

bool TemplateFileExists(const std::filesystem::path& path) {
  std::error_code ec;
  return std::filesystem::is_regular_file(path, ec);
}

TReportTemplate::TReportTemplate(const std::filesystem::path& path,
                                 std::vector<std::string_view> placeholders) {
  exists_ = TemplateFileExists(path);
  if (!exists_) return;
  TUnicodeStringList page;
  try {
    page.ReadTextFile(path);
  } catch (...) {
    // Told when a report is to be written, as a template read for each report would be.
    read_error_ = std::current_exception();
    return;
  }
  text_ = page.JoinedText();
  for (const std::string_view section :
       {kChartPlaceholder, kPassagesPlaceholder, kProvenancePlaceholder, kCooccurrencePlaceholder,
        kProblemsPlaceholder}) {
    if (Holds(section)) placeholders.push_back(section);
  }
  placeholders.insert(placeholders.end(),
                      {kCopyPlaceholder, kAuthorPlaceholder, kFileNamePlaceholder});
  pieces_ = CutAtPlaceholders(ToNarrow(text_), placeholders);
}

bool TReportTemplate::Holds(std::string_view placeholder) const {
  return text_.find(std::u16string(placeholder.begin(), placeholder.end())) != std::u16string::npos;
}

const std::vector<TReportTemplate::Piece>& TReportTemplate::Pieces() const {
  if (read_error_) std::rethrow_exception(read_error_);
  return pieces_;
}

TAtomicFile RenderReport(const TReportTemplate& report_template,
                         const std::filesystem::path& report_path, const TValueWriter& write_value,
                         EAtomicFileStart start) {
  const std::vector<TReportTemplate::Piece>& pieces = report_template.Pieces();
  TAtomicFile file(report_path, start);
  TReportStream out(file);
  for (const TReportTemplate::Piece& piece : pieces) {
    out.AppendNarrow(piece.text);
    if (piece.placeholder == kCopyPlaceholder) {
      out.AppendNarrow(kCopyText);
    } else if (piece.placeholder == kAuthorPlaceholder) {
      out.AppendNarrow(kAuthorText);
    } else if (piece.placeholder == kFileNamePlaceholder) {
      out.AppendNarrow(EscapeHtml(ReportFileName(report_path)));
    } else if (!piece.placeholder.empty()) {
      write_value(piece.placeholder, out);
      out.EndValue();
    }
  }
  out.Finish();
  file.StartWriteBack();
  return file;
}

std::string ReportFileName(const std::filesystem::path& report_path) {
  return PathToNarrow(report_path.filename());
}

}  // namespace farrowdale
