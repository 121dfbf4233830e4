// The marker check of a tag set and a corpus, over the run's workers: the entry the window
// and `farrowdale-cli check` call, and the run's own check before a strict run. Each file is
// checked by count/'s TCodingCheck on one of the workers, its findings listed in path order
// on the calling thread. A coding run checks its files on its own scans (TRunFilesCheck).
#ifndef FARROWDALE_RUN_CODING_CHECK_H_
#define FARROWDALE_RUN_CODING_CHECK_H_

#include <cstddef>
#include <filesystem>
#include <map>
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

// The marker check of a run's files, made on the run's own reading and scan of each file
// (TCodingCheck::CheckScannedFile on the workers) and taken in the run's order: each file
// waits here until the files before it in the check's order (by path) are in, so the result
// equals what CheckCoding gives for the same files read without notes. Add and Finish are
// called from one thread.
class TRunFilesCheck {
 public:
  // files: the run's files in its order. REQUIRES: check outlives this.
  TRunFilesCheck(const TMarkerCheck& check, const TCheckOptions& options,
                 const std::vector<std::filesystem::path>& files);

  // files[index] checked on the run's reading and scan of it (TCodingCheck::CheckScannedFile,
  // at its place in the check's order); safe from several threads at once.
  TFileCheck CheckScannedFile(size_t index, const std::string& narrow_text,
                              const TTagArray& run_tags, const TScannedText& run_scan,
                              size_t first_wanted) const;
  // files[index]'s check, each index once, in any order.
  void Add(size_t index, TFileCheck file);
  // REQUIRES: every file added; called once, last.
  TCheckResult Finish() { return check_.Finish(); }

 private:
  TCodingCheck check_;
  std::vector<std::filesystem::path> paths_;  // files, by index in the run
  std::vector<size_t> listed_at_;             // by index in the run: its place in the check's order
  std::map<size_t, TFileCheck> waiting_;      // by place in the check's order
  size_t next_listed_ = 0;
};

}  // namespace farrowdale

#endif  // FARROWDALE_RUN_CODING_CHECK_H_
