// The tag set's own problems (CheckTagSet), placed on the tags the window lists: a problem
// belongs to the tag whose section holds its line, so a key typo, a marker that is a pattern
// or a section the reader merges with another is flagged on the tag it spoils.
#ifndef FARROWDALE_APP_TAG_SET_FLAGS_H_
#define FARROWDALE_APP_TAG_SET_FLAGS_H_

#include <filesystem>
#include <string>
#include <vector>

#include "tagset/tag_set_check.h"

namespace farrowdale {

struct TTagSetFlags {
  // For each tag in the order the tag set reads them; a skipped tag (a separator) has none.
  std::vector<std::vector<TTagSetProblem>> by_tag;
  // Problems on no listed tag: before the first section, on a separator, about the file.
  std::vector<TTagSetProblem> elsewhere;
};

// Places the problems of a tag set already read and linted on its tags.
TTagSetFlags FlagTagSetProblems(const TTagSetCheck& check);
// Reads the tag set file once and lints it; never throws for a file that cannot be read (that is
// itself a problem, elsewhere).
TTagSetFlags FlagTagSetProblems(const std::filesystem::path& tag_set);

// "line N: MESSAGE".
std::string TagSetProblemText(const TTagSetProblem& problem);

}  // namespace farrowdale

#endif  // FARROWDALE_APP_TAG_SET_FLAGS_H_
