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

std::string DuplicatesMessage(const std::vector<std::filesystem::path>& offered) {
  if (offered.size() == 1) return DuplicateItemMessage(offered.front());
  constexpr size_t kNamed = 10;
  std::string message =
      std::to_string(offered.size()) + " files are already in the list and were not added again:";
  for (size_t i = 0; i < offered.size() && i < kNamed; ++i) {
    message += "\n" + PathToNarrow(offered[i]);
  }
  if (offered.size() > kNamed) {
    message += "\nand " + std::to_string(offered.size() - kNamed) + " more.";
  }
  return message;
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
