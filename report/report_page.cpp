#include "report/report_page.h"

#include <system_error>

#include "text/code_page.h"

namespace farrowdale {

bool TemplateFileExists(const std::filesystem::path& path) {
  std::error_code ec;
  return std::filesystem::is_regular_file(path, ec);
}

void SubstitutePlaceholder(TUnicodeStringList& page, std::string_view placeholder,
                           std::string_view value) {
  std::string text = ToNarrow(page.JoinedText());
  const size_t at = text.find(placeholder);
  if (at != std::string::npos) {
    // One pass builds the replaced text; a big table is copied once, not shifted in place.
    std::string replaced;
    replaced.reserve(text.size() - placeholder.size() + value.size());
    replaced.append(text, 0, at);
    replaced.append(value);
    replaced.append(text, at + placeholder.size(), std::string::npos);
    text.swap(replaced);
  }
  page.AssignText(ToUnicode(text));
}

void SubstitutePlaceholder(TUnicodeStringList& page, std::string_view placeholder,
                           std::u16string_view value) {
  SubstitutePlaceholder(page, placeholder, std::string_view(ToNarrow(value)));
}

std::string ReportFileName(const std::filesystem::path& report_path) {
  return PathToNarrow(report_path.filename());
}

void FinishAndWriteReport(TUnicodeStringList& page, const std::filesystem::path& report_path) {
  SubstitutePlaceholder(page, "{@copy}", kCopyText);
  SubstitutePlaceholder(page, "{@author}", kAuthorText);
  SubstitutePlaceholder(page, "{@filename}", std::string_view(ReportFileName(report_path)));
  page.WriteTextFile(report_path);
}

}  // namespace farrowdale
