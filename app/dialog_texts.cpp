#include "app/dialog_texts.h"

#include <vector>

#include "run/file_list.h"
#include "text/code_page.h"
#include "text/trim.h"

namespace farrowdale {

std::string ErrorBoxText(std::string_view message) {
  std::string text(message);
  if (!text.empty() && static_cast<unsigned char>(text.back()) > '.') text += '.';
  return text;
}

namespace {

// The first ten paths, one a line, and how many more there are.
std::string NamedPaths(const std::vector<std::filesystem::path>& paths) {
  constexpr size_t kNamed = 10;
  std::string lines;
  for (size_t i = 0; i < paths.size() && i < kNamed; ++i) lines += "\n" + PathToNarrow(paths[i]);
  if (paths.size() > kNamed) lines += "\nand " + std::to_string(paths.size() - kNamed) + " more.";
  return lines;
}

}  // namespace

std::string DuplicatesMessage(const std::vector<std::filesystem::path>& offered) {
  if (offered.size() == 1) return DuplicateItemMessage(offered.front());
  return std::to_string(offered.size()) +
         " files are already in the list and were not added again:" + NamedPaths(offered);
}

std::string MissingFilesMessage(const std::vector<std::filesystem::path>& missing) {
  return std::to_string(missing.size()) +
         " file(s) of the list you left last time are no longer there and were taken off "
         "the list:" +
         NamedPaths(missing);
}

std::string NoTextFilesMessage(const std::filesystem::path& folder, size_t listed_count) {
  std::string message = "The folder \"" + PathToNarrow(folder) + "\" holds no .txt files";
  if (listed_count > 0) message += "; the list is left as it was";
  return message + ".";
}

std::string DialogFilter(std::string_view filter) {
  std::vector<std::string_view> parts;
  for (size_t start = 0;;) {
    const size_t bar = filter.find('|', start);
    parts.push_back(filter.substr(start, bar == std::string_view::npos ? bar : bar - start));
    if (bar == std::string_view::npos) break;
    start = bar + 1;
  }
  std::string result;
  for (size_t i = 0; i < parts.size(); i += 2) {
    std::string_view description = parts[i];
    if (!description.empty() && description.back() == ')') {
      const size_t open = description.rfind('(');
      if (open != std::string_view::npos) description = description.substr(0, open);
    }
    std::string patterns(i + 1 < parts.size() ? Trim(parts[i + 1]) : std::string_view("*"));
    for (char& c : patterns) {
      if (c == ';') c = ' ';
    }
    if (!result.empty()) result += ";;";
    result += std::string(Trim(description)) + " (" + patterns + ")";
  }
  return result;
}

}  // namespace farrowdale
