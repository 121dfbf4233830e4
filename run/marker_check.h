// The marker check: every problem in a tag set and a coded corpus that makes a coding run
// count the wrong passages without saying so (unclosed, stray and nested markers, empty
// passages, files read in a guessed encoding), with the place it stands. Writes nothing;
// Qt-free, so the window and the command line share it.
//
// The corpus is checked on the passages of the run's own search (ForEachTaggedSpan), so each
// problem says where the run really starts and ends a passage. Markers that are plain
// literals are found in the scan's one pass; other markers are searched for alone.
#ifndef FARROWDALE_RUN_MARKER_CHECK_H_
#define FARROWDALE_RUN_MARKER_CHECK_H_

#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "run/tag_scanner.h"
#include "run/tagged_text.h"
#include "tagset/tag_set_check.h"

namespace farrowdale {

// A text file as a run searches it, with what the reading had to guess or cut.
struct TCheckedFile {
  std::string narrow_text;                 // as ReadNarrowJoinedText gives it
  std::vector<std::string> read_warnings;  // each reported at the file's line 1
};
// Reads one file; throws Error when it cannot (reported as an error at the file's line 1).
using TCheckFileReader = std::function<TCheckedFile(const std::filesystem::path&)>;

// The run's own reading of a file, without read warnings.
TCheckedFile ReadFileForCheck(const std::filesystem::path& path);

struct TCheckProblem {
  std::filesystem::path path;  // the tag set file or a text file
  int line = 1;                // 1-based
  int column = 1;              // 1-based, in characters (code points) of the decoded text
  ECheckSeverity severity = ECheckSeverity::kWarning;
  std::string message;
};

struct TCheckResult {
  std::vector<TCheckProblem> problems;  // by path, then line, then column
  int files_checked = 0;                // text files
  int files_with_problems = 0;          // text files with at least one problem
  bool tag_set_has_problems = false;
  int tags_searched = 0;  // tags whose pattern compiles, each pair of markers once
};

struct TTagSearch;
struct TScannedTag;

// The check of one tag set, made once and then applied to any number of files: the tag set's
// own problems, and every tag whose pattern compiles, compiled once. Checking files is safe
// from several threads at once; each thread borrows its own compiled markers.
class TMarkerCheck {
 public:
  // Reads and checks the tag set; throws Error only when the file cannot be read at all.
  explicit TMarkerCheck(const std::filesystem::path& tag_set_path);
  ~TMarkerCheck();
  TMarkerCheck(const TMarkerCheck&) = delete;
  TMarkerCheck& operator=(const TMarkerCheck&) = delete;

  // The tag set's problems (an error for each tag whose pattern does not compile included),
  // in file order.
  const std::vector<TCheckProblem>& tag_set_problems() const { return tag_set_problems_; }
  // Tags whose pattern compiles, each pair of markers once.
  int tags_searched() const { return static_cast<int>(searched_tags_.size()); }

  // One text's problems, found on the matches of the check's own scan of it; read_warnings
  // are reported at its line 1. A search error is one error at line 1.
  std::vector<TCheckProblem> CheckText(const std::filesystem::path& path,
                                       const std::string& narrow_text,
                                       const std::vector<std::string>& read_warnings) const;
  // The same on the matches and marker hits a run's scan of narrow_text already found:
  // run_scan's k-th tag is the k-th tag of run_tags that is not skipped. A tag the run did
  // not search, and a marker whose hits the scan did not find, is searched here.
  std::vector<TCheckProblem> CheckScannedText(const std::filesystem::path& path,
                                              const std::string& narrow_text,
                                              const std::vector<std::string>& read_warnings,
                                              const TTagArray& run_tags,
                                              const TScannedText& run_scan) const;

 private:
  using TSearches = std::vector<TTagSearch>;
  // scanned[k]: what a scan found for the k-th searched tag.
  std::vector<TCheckProblem> CheckScanned(const std::filesystem::path& path,
                                          const std::string& narrow_text,
                                          const std::vector<std::string>& read_warnings,
                                          const std::vector<TScannedTag>& scanned) const;
  std::unique_ptr<TSearches> BorrowSearches() const;
  void ReturnSearches(std::unique_ptr<TSearches> searches) const;

  std::filesystem::path tag_set_path_;
  TTagSetCheck tag_set_;
  std::vector<TCheckProblem> tag_set_problems_;
  TTagArray searched_tags_;
  TTagScanner scanner_;
  mutable std::mutex idle_searches_mutex_;
  mutable std::vector<std::unique_ptr<TSearches>> idle_searches_;
};

// Checks the tag set and then every file with every tag whose pattern compiles; a file that
// cannot be read is one error and the rest go on. Files are checked by `jobs` threads (0:
// one per core), so reader must be safe to call from several threads at once; the result
// is the same for every number of threads.
TCheckResult CheckCoding(const std::filesystem::path& tag_set_path,
                         const std::vector<std::filesystem::path>& files,
                         const TCheckFileReader& reader = ReadFileForCheck, unsigned jobs = 0);

// "PATH:LINE:COLUMN: warning: MESSAGE" (or "error:"), without a line end.
std::string FormatCheckProblem(const TCheckProblem& problem);
// Where problems were found: "2 of 5 files", or "the tag set and 1 of 5 files".
std::string ProblemPlacesText(bool in_tag_set, int files_with_problems, int files_checked);
// "no problems in 5 files", "3 problems in 2 of 5 files", "4 problems in the tag set and
// 1 of 5 files".
std::string FormatCheckSummary(const TCheckResult& result);

}  // namespace farrowdale

#endif  // FARROWDALE_RUN_MARKER_CHECK_H_
