// The steps both report writers share around their table: the template, read once per run,
// and the page written from it.
//
// A template is read once and cut into pieces at the placeholders a writer fills. The
// placeholders are found in the template's own text converted to the system code page: for
// each placeholder, in the writer's order, its first occurrence (case-sensitive) that no
// earlier placeholder's occurrence overlaps is the one replaced by its value. Text a value
// brings in is never searched, so a passage or file name that reads "{@filename}" stays as
// it is. The page, pieces and values in turn, goes to a TReportStream (report_stream.h),
// which passes it through the code page and makes its line ends CR LF, so characters the
// code page lacks do not survive.
#ifndef FARROWDALE_REPORT_REPORT_PAGE_H_
#define FARROWDALE_REPORT_REPORT_PAGE_H_

#include <exception>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "report/report_stream.h"
#include "text/atomic_file.h"

namespace farrowdale {

inline constexpr std::string_view kCopyText = "(c) 2026 Morrow Farrowdale";
inline constexpr std::string_view kAuthorText = "By the Morrow Farrowdale developers";

// What both writers fill: the number of rows, the rows whose tag was found, and the table.
inline constexpr std::string_view kItemPlaceholder = "{@item}";
inline constexpr std::string_view kHitPlaceholder = "{@hit}";
inline constexpr std::string_view kTablePlaceholder = "{@table}";

// The sections a template may place around its table (report_sections.h).
inline constexpr std::string_view kChartPlaceholder = "{@chart}";
inline constexpr std::string_view kPassagesPlaceholder = "{@passages}";
inline constexpr std::string_view kProvenancePlaceholder = "{@provenance}";
inline constexpr std::string_view kCooccurrencePlaceholder = "{@cooccurrence}";
inline constexpr std::string_view kProblemsPlaceholder = "{@problems}";

// True when a regular file (or a link to one) exists at path; a folder does not count.
bool TemplateFileExists(const std::filesystem::path& path);

// A template read and cut once, then shared read-only by every report of a run, also by
// several threads at once (every member is const after construction).
class TReportTemplate {
 public:
  // A piece of the template's narrow text and the placeholder after it (empty after the
  // last piece).
  struct Piece {
    std::string text;
    std::string_view placeholder;
  };

  // Reads the template at path when a regular file is there and cuts it at the placeholders
  // a writer fills, in this order: placeholders (the writer's own; the views must outlive
  // the template), each section placeholder the template holds (chart, passages,
  // provenance, co-occurrence), then "{@copy}", "{@author}" and "{@filename}". Uses the code page
  // in force. A template that cannot be read keeps its error for Pieces().
  TReportTemplate(const std::filesystem::path& path, std::vector<std::string_view> placeholders);

  bool Exists() const { return exists_; }
  // True when the template's text holds placeholder; false when it is missing or unreadable.
  bool Holds(std::string_view placeholder) const;
  // The template's text cut at the placeholders it fills, in text order. Throws the error
  // its reading raised (the file-open Error).
  const std::vector<Piece>& Pieces() const;

 private:
  bool exists_ = false;
  std::exception_ptr read_error_;
  std::u16string text_;  // every line followed by CR LF
  std::vector<Piece> pieces_;
};

// Writes the value of placeholder, which the writer fills, into out.
using TValueWriter = std::function<void(std::string_view placeholder, TReportStream& out)>;

// Writes a page from report_template into a new temporary file beside report_path, its
// write-back to the disk started, and returns it for the caller to commit, alone or in a
// TAtomicFileBatch (or to drop, which removes it). "{@copy}",
// "{@author}" and "{@filename}" (the report's escaped file name) are filled here, every other
// placeholder by write_value. Throws the template's read error before anything is created,
// and the file-create Error. start: when the temporary file is created (TAtomicFile).
// REQUIRES: report_template.Exists().
TAtomicFile RenderReport(const TReportTemplate& report_template,
                         const std::filesystem::path& report_path, const TValueWriter& write_value,
                         EAtomicFileStart start = EAtomicFileStart::kNow);

// The narrow file-name part of a report's path (the text after its last separator).
std::string ReportFileName(const std::filesystem::path& report_path);

}  // namespace farrowdale

#endif  // FARROWDALE_REPORT_REPORT_PAGE_H_
