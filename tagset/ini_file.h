// TIniFile: reads an INI file the way the Windows private-profile functions do (see
// ini_file.cpp for every rule and its reason). It only holds the path: each operation reads
// the file anew. Values and names are narrow text.
#ifndef FARROWDALE_TAGSET_INI_FILE_H_
#define FARROWDALE_TAGSET_INI_FILE_H_

#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace farrowdale {

// Where a key stands in the file, for messages that point at it.
struct TIniKeyPlace {
  std::string key;                // trimmed
  std::string value;              // as a lookup returns it, before the value buffer cuts it
  int line = 0;                   // 1-based line of the file
  std::string text_before_value;  // the line's text in front of the value (its column)
};

// Where a section stands, with all its keys (duplicates included), in file order.
struct TIniSectionPlace {
  std::string name;  // trimmed, never cut
  int line = 0;
  std::vector<TIniKeyPlace> keys;
};

// Whether a lookup takes the two section or key names for the same name (letter case
// ignored as the code page's case pairs say).
bool SameIniName(std::string_view a, std::string_view b);

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
  // Every section and key with its line, free of the list and value buffers' limits (so a
  // comparison with the lookups shows what those limits cut).
  std::vector<TIniSectionPlace> ReadPlaces() const;

 private:
  std::filesystem::path path_;
};

}  // namespace farrowdale

#endif  // FARROWDALE_TAGSET_INI_FILE_H_
