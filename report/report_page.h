// The steps both report writers share around their table: the template test and read, the
// placeholder substitution, and the final fill-in and write.
//
// A report page is a TUnicodeStringList holding the template's lines. Each substitution
// step joins the lines (CR LF after each), converts the whole text to the system code page,
// replaces the FIRST occurrence of the placeholder (case-sensitive) by the value, converts
// back and splits into lines again (CR, LF and CR LF each end a line). So characters the
// code page lacks do not survive, and a placeholder that an earlier value brought in counts
// as the first occurrence for a later step when it stands before the template's own.
#ifndef FARROWDALE_REPORT_REPORT_PAGE_H_
#define FARROWDALE_REPORT_REPORT_PAGE_H_

#include <filesystem>
#include <string>
#include <string_view>

#include "text/unicode_string_list.h"

namespace farrowdale {

inline constexpr std::string_view kCopyText = "(c) 2026 Morrow Farrowdale";
inline constexpr std::string_view kAuthorText = "By the Morrow Farrowdale developers";

// True when a regular file (or a link to one) exists at path; a folder does not count.
bool TemplateFileExists(const std::filesystem::path& path);

// One substitution step with a value in narrow text (numbers, fixed texts, file names).
void SubstitutePlaceholder(TUnicodeStringList& page, std::string_view placeholder,
                           std::string_view value);
// One substitution step with a Unicode value, which is converted to narrow text first.
void SubstitutePlaceholder(TUnicodeStringList& page, std::string_view placeholder,
                           std::u16string_view value);

// The narrow file-name part of a report's path (the text after its last separator).
std::string ReportFileName(const std::filesystem::path& report_path);

// The last steps of both writers: "{@copy}", "{@author}" and "{@filename}" in that order,
// then the page written to report_path as UTF-16 LE with a byte-order mark (created or
// replaced; throws the file-create Error).
void FinishAndWriteReport(TUnicodeStringList& page, const std::filesystem::path& report_path);

}  // namespace farrowdale

#endif  // FARROWDALE_REPORT_REPORT_PAGE_H_
