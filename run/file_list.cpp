#include "run/file_list.h"

#include <algorithm>
#include <system_error>

#include "regex/pattern_engine.h"
#include "text/code_page.h"
#include "text/error.h"

namespace farrowdale {

namespace {

constexpr std::filesystem::path::value_type kSeparator = std::filesystem::path::preferred_separator;

bool EndsWithTxtIgnoringCase(const std::filesystem::path::string_type& name) {
  constexpr char kTxt[] = ".txt";
  constexpr size_t kLength = sizeof(kTxt) - 1;
  if (name.size() < kLength) return false;
  for (size_t i = 0; i < kLength; ++i) {
    auto c = name[name.size() - kLength + i];
    if (c >= 'A' && c <= 'Z') c = static_cast<decltype(c)>(c - 'A' + 'a');
    if (c != kTxt[i]) return false;
  }
  return true;
}

Error FolderReadError(const std::filesystem::path& folder, const std::error_code& ec) {
  return Error("Cannot read folder \"" + PathToNarrow(folder) + "\". " + ec.message());
}

// The relative paths of the text files the iterator It walks from folder.
template <typename It>
std::vector<std::filesystem::path::string_type> TextFileNames(const std::filesystem::path& folder) {
  std::error_code ec;
  It it(folder, ec);
  if (ec) throw FolderReadError(folder, ec);
  std::vector<std::filesystem::path::string_type> names;
  // Only regular files (and links to them) are texts: a sub-folder, a pipe or a link to a
  // device so named would stop a run or never let it end. A broken link is left out too.
  for (const It end; it != end; it.increment(ec)) {
    if (ec) throw FolderReadError(folder, ec);
    std::error_code type_error;
    if (EndsWithTxtIgnoringCase(it->path().filename().native()) &&
        it->is_regular_file(type_error)) {
      names.push_back(it->path().lexically_relative(folder).native());
    }
  }
  if (ec) throw FolderReadError(folder, ec);
  return names;
}

}  // namespace

std::vector<std::filesystem::path> ListTextFilesOfFolder(const std::filesystem::path& folder,
                                                         EFolderScan scan) {
  std::vector<std::filesystem::path::string_type> names =
      scan == EFolderScan::kWithSubFolders
          ? TextFileNames<std::filesystem::recursive_directory_iterator>(folder)
          : TextFileNames<std::filesystem::directory_iterator>(folder);
  std::sort(names.begin(), names.end());
  std::vector<std::filesystem::path> files;
  files.reserve(names.size());
  for (const auto& name : names) files.push_back(folder / name);
  return files;
}

const std::filesystem::path::string_type& ItemPathKey(const std::filesystem::path& item) {
  return item.native();
}

bool SameItemPath(const std::filesystem::path& a, const std::filesystem::path& b) {
  return ItemPathKey(a) == ItemPathKey(b);
}

std::string DuplicateItemMessage(const std::filesystem::path& item) {
  return "The file \"" + PathToNarrow(item) + "\" has already in the list!";
}

bool MatchesFilter(std::string_view pattern, std::string_view subject) {
  TPatternEngine engine;
  engine.SetExpression(pattern);
  return engine.Exec(subject);
}

std::filesystem::path ItemFolder(const std::filesystem::path& item) {
  const auto& text = item.native();
  const auto last = text.rfind(kSeparator);
  if (last == std::filesystem::path::string_type::npos) return {};
  // A separator right after another one (the root, or a doubled separator) stays with the
  // folder, so a file in the root gives "/".
  if (last == 0 || text[last - 1] == kSeparator) return text.substr(0, last + 1);
  return text.substr(0, last);
}

}  // namespace farrowdale
