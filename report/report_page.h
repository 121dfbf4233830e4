// The steps both report writers share around their table: the template test and read, the
// placeholder substitution, and the final fill-in and write.
//
// A report page is a TUnicodeStringList holding the template's lines. The placeholders are
// filled in one pass over the template's own text, converted to the system code page: for
// each placeholder, in the order given, its first occurrence (case-sensitive) that no earlier
// placeholder's occurrence overlaps is replaced by its value. Text a value brings in is never
// searched, so a passage or file name that reads "{@filename}" stays as it is. The result is
// converted back and split into lines (CR, LF and CR LF each end a line), so characters the
// code page lacks do not survive.
#ifndef FARROWDALE_REPORT_REPORT_PAGE_H_
#define FARROWDALE_REPORT_REPORT_PAGE_H_

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "text/unicode_string_list.h"

namespace farrowdale {

inline constexpr std::string_view kCopyText = "(c) 2026 Morrow Farrowdale";
inline constexpr std::string_view kAuthorText = "By the Morrow Farrowdale developers";

// A placeholder and the narrow text that replaces it.
struct TPlaceholderValue {
  std::string_view placeholder;
  std::string value;
};
using TPlaceholderValues = std::vector<TPlaceholderValue>;

// True when a regular file (or a link to one) exists at path; a folder does not count.
bool TemplateFileExists(const std::filesystem::path& path);

// Fills the page's placeholders in one pass, as described above.
void FillPlaceholders(TUnicodeStringList& page, const TPlaceholderValues& values);

// The narrow file-name part of a report's path (the text after its last separator).
std::string ReportFileName(const std::filesystem::path& report_path);

// The last steps of both writers: the page filled with values followed by "{@copy}",
// "{@author}" and "{@filename}" (the report's escaped file name), then written to
// report_path as UTF-16 LE with a byte-order mark (created or replaced; throws the
// file-create Error).
void FinishAndWriteReport(TUnicodeStringList& page, TPlaceholderValues values,
                          const std::filesystem::path& report_path);

}  // namespace farrowdale

#endif  // FARROWDALE_REPORT_REPORT_PAGE_H_
