// The marker check of a tag set and a corpus, over the run's workers: the entry the window
// and `farrowdale-cli check` call, and the run's own check before a strict run. Each file is
// checked by count/'s TCodingCheck on one of the workers, its findings listed in path order
// on the calling thread.
#ifndef FARROWDALE_RUN_CODING_CHECK_H_
#define FARROWDALE_RUN_CODING_CHECK_H_

#include <filesystem>
#include <vector>

#include "count/marker_check.h"

namespace farrowdale {

// Checks the tag set and then every file with every tag whose pattern compiles; a file that
// cannot be read is one error and the rest go on. Files are checked by `jobs` threads (0:
// one per core), so reader must be safe to call from several threads at once; the result
// is the same for every number of threads. The first form lists every problem.
TCheckResult CheckCoding(const std::filesystem::path& tag_set_path,
                         const std::vector<std::filesystem::path>& files,
                         const TCheckFileReader& reader = ReadFileForCheck, unsigned jobs = 0);
TCheckResult CheckCoding(const std::filesystem::path& tag_set_path,
                         const std::vector<std::filesystem::path>& files,
                         const TCheckFileReader& reader, const TCheckOptions& options);
// The same with a check already made of the tag set.
TCheckResult CheckCoding(const TMarkerCheck& check, const std::vector<std::filesystem::path>& files,
                         const TCheckFileReader& reader, const TCheckOptions& options);

}  // namespace farrowdale

#endif  // FARROWDALE_RUN_CODING_CHECK_H_
