// TIniFile: reads an INI file the way the Windows private-profile functions do (see
// ini_file.cpp for every rule and its reason). It only holds the path: each operation reads
// the file anew. Values and names are narrow text.
#ifndef FARROWDALE_TAGSET_INI_FILE_H_
#define FARROWDALE_TAGSET_INI_FILE_H_

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace farrowdale {

class TIniFile {
 public:
  explicit TIniFile(std::filesystem::path path) : path_(std::move(path)) {}
  const std::filesystem::path& Path() const { return path_; }

  // Section names in file order, within the 16384-byte list buffer. An empty path gives
  // none; a file that cannot be read (missing, no access, not a regular file) throws the
  // file-open Error, as every read below does.
  std::vector<std::string> ReadSections() const;
  // "key=value" for each key of the section (first occurrence of the section), in file
  // order, the value as a lookup of that key returns it.
  std::vector<std::string> ReadSectionValues(const std::string& section) const;
  // For each name ReadSections gives, in order: the name and what ReadSectionValues gives
  // for it, from one reading of the file.
  std::vector<std::pair<std::string, std::vector<std::string>>> ReadAllSectionValues() const;

 private:
  std::filesystem::path path_;
};

}  // namespace farrowdale

#endif  // FARROWDALE_TAGSET_INI_FILE_H_
