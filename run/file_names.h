// How a run names its files wherever a report, a table or a summary shows one (the combined
// report's column heads, the CSV "file" column, the places of passages): by the path relative
// to the corpus folder, its parts joined by "/" ("wave1/interview_01.txt"), so that two files
// of one name in different folders never look alike or merge in a table. A file outside the
// corpus folder is named by the fewest trailing parts of its path that tell it apart from
// every other file of the run ("wave2/interview_01.txt"), or by its whole path.
//
// Names are narrow text in the system code page. A byte of a file name that is not part of a
// well-formed UTF-8 character (a name written in a legacy code page, on Linux) is shown as
// "\xE9", never as U+FFFD, so two such names stay two names.
#ifndef FARROWDALE_RUN_FILE_NAMES_H_
#define FARROWDALE_RUN_FILE_NAMES_H_

#include <filesystem>
#include <string>
#include <vector>

namespace farrowdale {

// One name per file, in the order of files. REQUIRES: the paths are absolute, normalized and
// distinct; corpus_folder is absolute and normalized.
std::vector<std::string> CorpusFileNames(const std::vector<std::filesystem::path>& files,
                                         const std::filesystem::path& corpus_folder);

// A path as narrow text without loss: PathToNarrow of its well-formed parts, "\xHH" for
// each byte that is not part of a well-formed UTF-8 character.
std::string NarrowNameWithoutLoss(const std::filesystem::path& path);

}  // namespace farrowdale

#endif  // FARROWDALE_RUN_FILE_NAMES_H_
