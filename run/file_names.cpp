#include "run/file_names.h"

#include <algorithm>
#include <unordered_map>

#include "text/case_variants.h"
#include "text/code_page.h"

namespace farrowdale {
namespace {

namespace fs = std::filesystem;

// The path from folder to file when file lies inside folder; empty otherwise.
fs::path InsidePath(const fs::path& file, const fs::path& folder) {
  const fs::path relative = file.lexically_relative(folder);
  if (relative.empty() || *relative.begin() == "..") return {};
  return relative;
}

// The last `count` parts of parts joined by "/"; all of them give the whole path.
std::string TrailingParts(const std::vector<fs::path>& parts, size_t count, const fs::path& whole) {
  if (count >= parts.size()) return whole.native();
  std::string joined;
  for (size_t i = parts.size() - count; i < parts.size(); ++i) {
    if (!joined.empty()) joined += '/';
    joined += parts[i].native();
  }
  return joined;
}

}  // namespace

std::vector<std::string> CorpusFileNames(const std::vector<fs::path>& files,
                                         const fs::path& corpus_folder) {
  std::vector<std::string> native(files.size());
  std::vector<std::vector<fs::path>> parts(files.size());
  std::vector<size_t> outside;  // files outside the corpus folder, not named yet
  size_t most_parts = 0;
  for (size_t i = 0; i < files.size(); ++i) {
    parts[i].assign(files[i].begin(), files[i].end());
    most_parts = std::max(most_parts, parts[i].size());
    const fs::path inside = InsidePath(files[i], corpus_folder);
    if (inside.empty()) {
      outside.push_back(i);
    } else {
      native[i] = inside.generic_string();
    }
  }
  // An outside file takes the fewest trailing parts of its path that end no other file's
  // path (so also no inside file's name), at last its whole path.
  for (size_t count = 1; !outside.empty() && count <= most_parts; ++count) {
    std::unordered_map<std::string, int> ending_paths;
    for (size_t i = 0; i < files.size(); ++i) {
      if (parts[i].size() > count) ++ending_paths[TrailingParts(parts[i], count, files[i])];
    }
    std::vector<size_t> unnamed;
    for (const size_t i : outside) {
      std::string name = TrailingParts(parts[i], count, files[i]);
      if (count >= parts[i].size() || ending_paths[name] == 1) {
        native[i] = std::move(name);
      } else {
        unnamed.push_back(i);
      }
    }
    outside = std::move(unnamed);
  }
  std::vector<std::string> names;
  names.reserve(files.size());
  for (const std::string& name : native) names.push_back(NarrowNameWithoutLoss(name));
  return names;
}

std::string NarrowNameWithoutLoss(const fs::path& path) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  const std::string& bytes = path.native();
  std::string name;
  size_t well_formed_from = 0;
  const auto take_well_formed = [&](size_t up_to) {
    if (up_to > well_formed_from) {
      name += PathToNarrow(fs::path(bytes.substr(well_formed_from, up_to - well_formed_from)));
    }
  };
  for (size_t i = 0; i < bytes.size();) {
    const Utf8Character character = FirstUtf8Character(std::string_view(bytes).substr(i));
    if (character.code_point != 0 || bytes[i] == '\0') {
      i += character.length;
      continue;
    }
    take_well_formed(i);
    const auto byte = static_cast<unsigned char>(bytes[i]);
    name += "\\x";
    name += kHex[byte >> 4];
    name += kHex[byte & 0xF];
    well_formed_from = ++i;
  }
  take_well_formed(bytes.size());
  return name;
}

}  // namespace farrowdale
