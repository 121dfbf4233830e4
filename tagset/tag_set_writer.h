// Writing a tag set file that LoadTagSet reads back as the tags written: one section per tag
// with "begin", "end" and "color"; an entry with a separator's name ("-" or empty) is written
// as a section of its own with none of these keys. Saving over an existing file keeps what
// the program does not manage: the lines before the first section, and in each section that
// is written again its comments, blank lines and other keys, in their places (the n-th entry
// of a name takes the body of the n-th section of that name, so each separator keeps its
// own). Sections of the old file that are no longer among the tags are left out. The file is
// replaced atomically (text/atomic_file.h). Text is narrow (system code page).
#ifndef FARROWDALE_TAGSET_TAG_SET_WRITER_H_
#define FARROWDALE_TAGSET_TAG_SET_WRITER_H_

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace farrowdale {

// One tag as written: the markers exactly as the file is to hold them (patterns; see
// PlainTextMarker in count/tagged_text.h for text typed as it stands). A separator has only
// its name.
struct TTagEntry {
  std::string name;
  std::string begin;
  std::string end;
  std::string color;  // RRGGBB
};

// The file's new text from the old file's text (empty for a new file). Throws Error for a
// tag that no INI file can hold: a name with "]" or a line break, a name or value that
// starts or ends with a space (the reader trims it), a value with a line break.
std::string TagSetIniText(const std::vector<TTagEntry>& tags, std::string_view old_text);

// Writes tags to path, keeping what TagSetIniText keeps of the file there. Throws Error.
void SaveTagSet(const std::filesystem::path& path, const std::vector<TTagEntry>& tags);

}  // namespace farrowdale

#endif  // FARROWDALE_TAGSET_TAG_SET_WRITER_H_
