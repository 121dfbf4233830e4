// Lints of a tag set file: the mistakes that make a coding run count the wrong passages, or
// none, without saying why (a key typo, a tag read twice, a marker that is a pattern, a
// value cut by the reader's limits). Each problem points at the line of the section or key.
#ifndef FARROWDALE_TAGSET_TAG_SET_CHECK_H_
#define FARROWDALE_TAGSET_TAG_SET_CHECK_H_

#include <optional>
#include <string>
#include <vector>

#include "tagset/ini_file.h"
#include "tagset/tag_set.h"

namespace farrowdale {

// kError: a coding run stops on it. kWarning: the run goes on but its counts may be wrong.
// kNote: changes no count: a file read in a guessed encoding, or a choice of the run's that
// would change a count (passages --fold-space or --fold-case would count as one).
enum class ECheckSeverity { kWarning, kError, kNote };

struct TTagSetProblem {
  int line = 1;    // 1-based line of the tag set file
  int column = 1;  // 1-based, in characters; 1 when the whole line is meant
  ECheckSeverity severity = ECheckSeverity::kWarning;
  std::string message;
};

struct TTagSetCheck {
  TTagArray tags;              // what LoadTagSet reads (a colour that does not read left 0)
  std::vector<int> tag_lines;  // for each tag, the line of the section its markers come from
  // The line of every section in file order, merged ones included (tag i reads section i),
  // from the same reading: what places a problem on the tag whose section holds it.
  std::vector<int> section_lines;
  std::vector<TTagSetProblem> problems;  // in file order
  // Set when the tag set has a mistake that must stop a run before it reads any text (a tag
  // with an end marker and no begin marker would count from the start of the text): the
  // message a run stops with, naming the first such tag and the tag set file.
  std::optional<std::string> run_stop;
  // Set when LoadTagSet throws on this file (it cannot be read, or a colour does not read):
  // the message it throws.
  std::optional<std::string> load_error;
};

// Reads the tag set as a run does and lints it. A file without tags is one problem at line 1.
TTagSetCheck CheckTagSet(const TIniFile& ini);

// What character c (a pattern metacharacter) does in a marker, e.g. "'[' starts a set of
// characters"; empty for a character without a pattern meaning.
std::string PatternMeaningOf(char c);

}  // namespace farrowdale

#endif  // FARROWDALE_TAGSET_TAG_SET_CHECK_H_
