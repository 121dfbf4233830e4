#include "report/report_page.h"

#include <algorithm>
#include <system_error>

#include "report/table_fragments.h"
#include "text/code_page.h"

namespace farrowdale {
namespace {

// Where one placeholder's value goes in the template's text.
struct Replacement {
  size_t at = 0;
  size_t length = 0;
  const std::string* value = nullptr;
};

bool Overlaps(const Replacement& taken, size_t at, size_t length) {
  return at < taken.at + taken.length && taken.at < at + length;
}

// The first occurrence of placeholder in text that overlaps none of taken.
size_t FindFreeOccurrence(const std::string& text, std::string_view placeholder,
                          const std::vector<Replacement>& taken) {
  for (size_t at = text.find(placeholder); at != std::string::npos;
       at = text.find(placeholder, at + 1)) {
    const bool free = std::none_of(taken.begin(), taken.end(), [&](const Replacement& r) {
      return Overlaps(r, at, placeholder.size());
    });
    if (free) return at;
  }
  return std::string::npos;
}

}  // namespace

bool TemplateFileExists(const std::filesystem::path& path) {
  std::error_code ec;
  return std::filesystem::is_regular_file(path, ec);
}

void FillPlaceholders(TUnicodeStringList& page, const TPlaceholderValues& values) {
  const std::string text = ToNarrow(page.JoinedText());
  std::vector<Replacement> replacements;
  for (const TPlaceholderValue& value : values) {
    if (value.placeholder.empty()) continue;
    const size_t at = FindFreeOccurrence(text, value.placeholder, replacements);
    if (at != std::string::npos) {
      replacements.push_back({at, value.placeholder.size(), &value.value});
    }
  }
  std::sort(replacements.begin(), replacements.end(),
            [](const Replacement& a, const Replacement& b) { return a.at < b.at; });
  size_t length = text.size();
  for (const Replacement& r : replacements) length = length - r.length + r.value->size();
  std::string filled;
  filled.reserve(length);
  size_t copied = 0;
  for (const Replacement& r : replacements) {
    filled.append(text, copied, r.at - copied);
    filled.append(*r.value);
    copied = r.at + r.length;
  }
  filled.append(text, copied, std::string::npos);
  page.AssignText(ToUnicode(filled));
}

std::string ReportFileName(const std::filesystem::path& report_path) {
  return PathToNarrow(report_path.filename());
}

void FinishAndWriteReport(TUnicodeStringList& page, TPlaceholderValues values,
                          const std::filesystem::path& report_path) {
  values.push_back({"{@copy}", std::string(kCopyText)});
  values.push_back({"{@author}", std::string(kAuthorText)});
  values.push_back({"{@filename}", EscapeHtml(ReportFileName(report_path))});
  FillPlaceholders(page, values);
  page.WriteTextFile(report_path);
}

}  // namespace farrowdale
