// TIniFile: reads an INI file the way the Windows private-profile functions do (see
// ini_file.cpp for every rule and its reason). Made from a path, each operation reads the
// file anew; made by ReadOnce, it holds one reading of the file's bytes (shared, never
// changed) and every operation parses those, so that all it answers describes one version of
// the file. Values and names are narrow text.
#ifndef FARROWDALE_TAGSET_INI_FILE_H_
#define FARROWDALE_TAGSET_INI_FILE_H_

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "text/error.h"

namespace farrowdale {

// Where a key stands in the file, for messages that point at it.
struct TIniKeyPlace {
  std::string key;                // trimmed
  std::string value;              // as a lookup returns it, before the value buffer cuts it
  int line = 0;                   // 1-based line of the file
  std::string text_before_value;  // the line's text in front of the value (its column)

  bool operator==(const TIniKeyPlace&) const = default;
};

// Where a section stands, with all its keys (duplicates included), in file order.
struct TIniSectionPlace {
  std::string name;  // trimmed, never cut
  int line = 0;
  std::vector<TIniKeyPlace> keys;

  bool operator==(const TIniSectionPlace&) const = default;
};

// Whether a lookup takes the two section or key names for the same name (letter case
// ignored as the code page's case pairs say).
bool SameIniName(std::string_view a, std::string_view b);

class TIniFile {
 public:
  explicit TIniFile(std::filesystem::path path) : path_(std::move(path)) {}
  // Reads the file's bytes now, with the rules every operation reads by. What cannot be read
  // is kept as its Error, which each operation throws as the path-made file would; an empty
  // path holds no bytes and gives nothing, as ever.
  static TIniFile ReadOnce(std::filesystem::path path);

  const std::filesystem::path& Path() const { return path_; }
  // The bytes held (as in the file, mark included); null unless ReadOnce read a file.
  const std::string* HeldBytes() const;

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
  struct TReading {
    std::string bytes;
    std::optional<Error> error;  // set when the file could not be read
  };

  // The file as narrow text, from the held reading or a new one.
  std::string NarrowText() const;

  std::filesystem::path path_;
  std::shared_ptr<const TReading> reading_;  // null: read anew on each operation
};

}  // namespace farrowdale

#endif  // FARROWDALE_TAGSET_INI_FILE_H_
