// The tag table read from a tag set file: one TTagInfo per INI section, in file order.
#ifndef FARROWDALE_TAGSET_TAG_SET_H_
#define FARROWDALE_TAGSET_TAG_SET_H_

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "tagset/ini_file.h"
#include "text/error.h"

namespace farrowdale {

struct TTagInfo {
  std::string Name;        // section name, trimmed
  std::string BeginMark;   // value of "begin", trimmed
  std::string EndMark;     // value of "end", trimmed
  int32_t ColorValue = 0;  // 0x00BBGGRR
  std::string Color;       // value of "color", trimmed; "000000" when missing or empty
};

using TTagArray = std::vector<TTagInfo>;

// True for a separator's name ("-" or empty, trimmed): a section that groups the tags in the
// list and that a run skips.
bool IsSeparatorName(std::string_view name);
// True for the separator entries that a run skips.
bool IsSkippedTag(const TTagInfo& tag);

// Empties tag_set and refills it from the file. Throws an Error for a colour that is not
// six hexadecimal digits, naming the tag, the file and the colour as written, the
// conversion's own text at the end (see TagErrorMessage).
void LoadTagSet(const TIniFile& ini, TTagArray& tag_set);
// The same, but a colour that does not read leaves that tag's ColorValue 0 and is handed to
// bad_color (the tag's index in tag_set, the conversion Error) instead of thrown.
void LoadTagSet(const TIniFile& ini, TTagArray& tag_set,
                const std::function<void(size_t, const Error&)>& bad_color);

// The length of the modifier or comment group "(?...)" that starts at byte `at` of a marker,
// up to and including its first ")"; 0 when none starts there or it is never closed. A
// begin marker that holds "(" keeps such groups as groups: every other parenthesis in it
// stands for itself.
size_t ModifierGroupLength(std::string_view marker, size_t at);

// Where a tag's setting went wrong, with the cause's own text unchanged at the end:
// Tag "NAME" in TAG_SET_FILE, SETTING "VALUE": CAUSE
std::string TagErrorMessage(const TTagInfo& tag, const std::filesystem::path& tag_set_file,
                            std::string_view setting, std::string_view value,
                            std::string_view cause);

}  // namespace farrowdale

#endif  // FARROWDALE_TAGSET_TAG_SET_H_
