// The problems section of a report ("{@problems}"): what may make its counts differ from what
// the researcher meant, so that a report read later carries its own caveats. First the tag
// set's problems, then for each text with something to say the number of its marker
// problems with the first few of them and how it was read (an encoding guessed, the text cut
// at a zero byte); or one line saying there was nothing.
#ifndef FARROWDALE_REPORT_PROBLEMS_SECTION_H_
#define FARROWDALE_REPORT_PROBLEMS_SECTION_H_

#include <cstdint>
#include <string>
#include <vector>

namespace farrowdale {

// How many of a text's marker problems the section lists; the rest are counted.
inline constexpr size_t kListedProblemsPerFile = 5;

struct TFileProblems {
  std::string file_name;        // as the run names the file
  int64_t marker_problems = 0;  // all of them, listed or not
  // The first kListedProblemsPerFile, each "FILE:LINE:COLUMN: warning: MESSAGE".
  std::vector<std::string> first_problems;
  std::vector<std::string> read_notes;  // each a message, e.g. "no byte-order mark; ..."
};

struct TRunProblems {
  std::vector<std::string> tag_set_problems;  // each "PATH:LINE:COLUMN: warning: MESSAGE"
  std::vector<TFileProblems> files;           // only texts with something to say, in run order
};

// The section; every text in it escaped.
std::u16string RenderProblemsSection(const TRunProblems& problems);

}  // namespace farrowdale

#endif  // FARROWDALE_REPORT_PROBLEMS_SECTION_H_
