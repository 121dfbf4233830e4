// The marker check: every problem in a tag set and a coded corpus that makes a coding run
// count the wrong passages without saying so (unclosed, stray and nested markers, empty
// passages, files read in a guessed encoding), with the place it stands. Writes nothing;
// Qt-free, so the window and the command line share it.
//
// The corpus is checked on the passages of the run's own search (ForEachTaggedSpan), so each
// problem says where the run really starts and ends a passage. Markers that are plain
// literals are found in the scan's one pass; other markers are searched for alone.
#ifndef FARROWDALE_COUNT_MARKER_CHECK_H_
#define FARROWDALE_COUNT_MARKER_CHECK_H_

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "count/tag_scanner.h"
#include "count/tagged_text.h"
#include "tagset/tag_set_check.h"

namespace farrowdale {

// A text file as a run searches it, with what the reading had to guess or cut.
struct TCheckedFile {
  std::string narrow_text;                 // as ReadNarrowJoinedText gives it
  std::vector<std::string> read_warnings;  // each a note at the file's line 1
};
// Reads one file; throws Error when it cannot (reported as an error at the file's line 1).
using TCheckFileReader = std::function<TCheckedFile(const std::filesystem::path&)>;

// The run's own reading of a file, without read warnings.
TCheckedFile ReadFileForCheck(const std::filesystem::path& path);

// Where one marker alone (a pattern, as BeginMarkerPattern gives it for a begin marker)
// matches in narrow_text: leftmost, non-overlapping, non-empty, in order. None for an empty
// marker or one that is no valid pattern. For the markers a scan did not find in its pass.
std::vector<TMarkerHit> FindMarkerHits(const std::string& marker, const std::string& narrow_text);

// What a problem is about; the summary counts problems by tag and kind.
enum class ECheckKind {
  kTagSet,          // the tag set file itself
  kFile,            // how a text file was read, or why it could not be read
  kOpenBeforeNext,  // a begin marker with no end marker before the next begin marker
  kNoEnd,           // a begin marker with no end marker after it
  kStrayEnd,        // an end marker with no begin marker before it
  kNested,          // a passage that holds its own tag's begin marker
  kEmptyPassage,    // markers that enclose only blanks
  kCutShort,        // a passage the end marker of another element inside it ends early
  kMarkerSearch,    // a text file whose markers could not be searched (a search too complex)
};
inline constexpr int kCheckKindCount = 9;

struct TCheckProblem {
  std::filesystem::path path;  // the tag set file or a text file
  int line = 1;                // 1-based
  int column = 1;              // 1-based, in characters (code points) of the decoded text
  ECheckSeverity severity = ECheckSeverity::kWarning;
  std::string message;
  ECheckKind kind = ECheckKind::kFile;
  std::string tag = {};  // the tag's name; empty for kTagSet, kFile and kMarkerSearch
};

// The problems of one tag and kind over the whole check: a row of its summary.
struct TCheckGroup {
  std::string tag;  // empty for kTagSet, kFile and kMarkerSearch
  ECheckKind kind = ECheckKind::kFile;
  int64_t count = 0;
  int files = 0;        // text files that hold one
  int64_t listed = 0;   // how many of them the listing shows
  TCheckProblem first;  // the first in the listing's order
};

// End markers of a tag that close other elements of the same name, which its begin marker
// does not open: set apart from the problems, one note per tag.
struct TSharedEndNote {
  std::filesystem::path tag_set_path;
  int line = 1;  // the tag's section
  std::string tag;
  std::string end_marker;  // "</rs>"
  std::string element;     // "rs"
  int64_t count = 0;
};

struct TCheckResult {
  std::vector<TCheckProblem> problems;  // listed: by path, then line, then column
  // The tag set, the files' reading, their marker search, then by tag and kind.
  std::vector<TCheckGroup> groups;
  std::vector<TSharedEndNote> notes;  // in the order of the tags
  int64_t problem_count = 0;          // every problem, listed or not
  int files_checked = 0;              // text files
  int files_with_problems = 0;        // text files with at least one problem
  bool tag_set_has_problems = false;
  int tags_searched = 0;  // tags whose pattern compiles, each pair of markers once
  // What changes no count but is worth knowing (kNote, at the tag's line in the tag set):
  // per tag, passages that --fold-space or --fold-case would count as one with another.
  std::vector<TCheckProblem> grouping_notes;
};

inline constexpr int64_t kDefaultLinesPerGroup = 20;
inline constexpr int64_t kAllLines = -1;

struct TCheckOptions {
  // Problems listed per tag and kind, in the listing's order: kAllLines lists every one; 0
  // lists none (the summary alone). Every problem is counted either way.
  int64_t lines_per_group = kDefaultLinesPerGroup;
  unsigned jobs = 0;  // threads; 0: one per core
  // When set, each listed problem is handed to it in the listing's order as soon as its file
  // is done, and the result's problems stay empty: the listing is then held one file at a
  // time, however long it is.
  std::function<void(const TCheckProblem&)> on_listed;
  // Whether to gather the grouping notes, which keep each tag's distinct passages.
  bool grouping_notes = true;
};

struct TTagSearch;
struct TScannedTag;
struct TFileFindings;

// The check of one tag set, made once and then applied to any number of files: the tag set's
// own problems, and every tag whose pattern compiles, compiled once. Checking files is safe
// from several threads at once; each thread borrows its own compiled markers.
class TMarkerCheck {
 public:
  // Reads the tag set once and checks it; throws Error only when the file cannot be read at
  // all.
  explicit TMarkerCheck(const std::filesystem::path& tag_set_path);
  // The same on the tag set as CheckTagSet already read it from tag_set_path.
  TMarkerCheck(const std::filesystem::path& tag_set_path, TTagSetCheck tag_set);
  ~TMarkerCheck();
  TMarkerCheck(const TMarkerCheck&) = delete;
  TMarkerCheck& operator=(const TMarkerCheck&) = delete;

  // The tag set's problems (an error for each tag whose pattern does not compile included),
  // in file order.
  const std::vector<TCheckProblem>& tag_set_problems() const { return tag_set_problems_; }
  // The tag set as read and linted, with the mistake that stops a run, if any.
  const TTagSetCheck& tag_set_check() const { return tag_set_; }
  // Tags whose pattern compiles, each pair of markers once.
  int tags_searched() const { return static_cast<int>(searched_tags_.size()); }
  const TTagArray& searched_tags() const { return searched_tags_; }
  // The k-th searched tag's matches in narrow_text, as a run finds them. Throws as
  // TTagScanner::Scan.
  std::vector<std::vector<TPassageSpan>> Scan(const std::string& narrow_text) const {
    return scanner_.Scan(narrow_text);
  }
  // The line of the tag set's section of the k-th searched tag.
  int TagLine(size_t k) const { return searched_lines_[k]; }

  // One text's problems by place, found on the matches of the check's own scan of it;
  // read_warnings are notes at its line 1, listed first and counted nowhere. A search error is
  // one error at line 1.
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
  // The check over many files: the findings of files, and their listing in order.
  friend class TCodingCheck;
  friend class TCheckListing;
  using TSearches = std::vector<TTagSearch>;
  // What one file's check found, each tag and kind kept up to keep_per_group (kAllLines:
  // all) and counted in full, before it is placed in its text.
  TFileFindings Findings(const std::vector<std::string>& read_warnings,
                         int64_t keep_per_group) const;
  // What the check's own scan of narrow_text found for each searched tag, as CheckScanned
  // takes it; scan keeps the matches it points to. Nothing is given when the scan stops on a
  // search error: then each tag searches alone and meets the error where it always did.
  std::vector<TScannedTag> OwnScan(const std::string& narrow_text, TScannedText& scan) const;
  // scanned[k]: what a scan found for the k-th searched tag.
  void CheckScanned(const std::string& narrow_text, const std::vector<TScannedTag>& scanned,
                    TFileFindings& findings) const;
  std::vector<TScannedTag> RunScanned(const TTagArray& run_tags,
                                      const TScannedText& run_scan) const;
  // The kept problems of findings in full, named by path and placed in text.
  std::vector<TCheckProblem> Described(const std::filesystem::path& path, const std::string& text,
                                       const TFileFindings& findings) const;
  std::unique_ptr<TSearches> BorrowSearches() const;
  void ReturnSearches(std::unique_ptr<TSearches> searches) const;

  std::filesystem::path tag_set_path_;
  TTagSetCheck tag_set_;
  std::vector<TCheckProblem> tag_set_problems_;
  std::vector<int> searched_lines_;  // the section of each searched tag (made with the tags)
  TTagArray searched_tags_;
  TTagScanner scanner_;
  mutable std::mutex idle_searches_mutex_;
  mutable std::vector<std::unique_ptr<TSearches>> idle_searches_;
};

class TCheckListing;

// What the check of one file found, from TCodingCheck::CheckFile or CheckScannedFile to
// TCodingCheck::AddFile: every problem counted, the first ones of each tag and kind already
// placed (line and column). The text itself is not kept; the passages the grouping notes
// need went to the notes when the file was checked.
class TFileCheck {
 public:
  TFileCheck();
  TFileCheck(TFileCheck&&) noexcept;
  TFileCheck& operator=(TFileCheck&&) noexcept;
  ~TFileCheck();

  // Every problem of the file (notes on its reading are none).
  int64_t problem_count() const;
  // The file's first `count` problems by place, notes left out. REQUIRES: count is at most
  // the number of problems of each tag and kind the check kept (see CheckScannedFile).
  std::vector<TCheckProblem> FirstProblems(size_t count) const;

 private:
  friend class TCodingCheck;
  std::unique_ptr<TFileFindings> findings_;
};

// The check of a tag set and many files, file by file: each file is checked on its own
// (CheckFile, with every tag whose pattern compiles; a file that cannot be read is one
// error), and the listing takes the files' findings in its order (AddFile), so the result
// is the same whichever thread checked which file. The grouping notes take each file's
// passages on the thread that checked it, with the file's place in the listing's order. CheckFile
// is safe from several threads at once; AddFile and Finish are called from one thread.
// run/coding_check.h drives it over the run's workers.
class TCodingCheck {
 public:
  // Reads the tag set once and checks it; throws Error only when the file cannot be read at
  // all.
  TCodingCheck(const std::filesystem::path& tag_set_path, TCheckOptions options);
  // With a check already made of the tag set. REQUIRES: check outlives this.
  TCodingCheck(const TMarkerCheck& check, TCheckOptions options);
  ~TCodingCheck();
  TCodingCheck(const TCodingCheck&) = delete;
  TCodingCheck& operator=(const TCodingCheck&) = delete;

  // The order in which AddFile takes files: by path.
  static std::vector<const std::filesystem::path*> ListingOrder(
      const std::vector<std::filesystem::path>& files);
  // Reads the file with reader (on the calling thread) and checks it. listed_at: the file's
  // place in ListingOrder. The file's passages go to the grouping notes at once, when the
  // options ask for them.
  TFileCheck CheckFile(size_t listed_at, const std::filesystem::path& path,
                       const TCheckFileReader& reader) const;
  // Checks a text a run has read and scanned, on the matches and marker hits of the run's
  // scan (as TMarkerCheck::CheckScannedText; no read notes), and gives what CheckFile gives
  // for the same text. Keeps at least first_wanted problems of each tag and kind, so that
  // FirstProblems(first_wanted) is whole. Safe from several threads at once.
  // listed_at as for CheckFile.
  TFileCheck CheckScannedFile(size_t listed_at, const std::filesystem::path& path,
                              const std::string& narrow_text, const TTagArray& run_tags,
                              const TScannedText& run_scan, size_t first_wanted = 0) const;
  // REQUIRES: files are added in ListingOrder.
  void AddFile(TFileCheck file);
  // The result, once every file is added. REQUIRES: called once, last.
  TCheckResult Finish();

 private:
  // Checks narrow_text on what a scan gave (scanned) and places the problems kept, so the
  // text can go.
  TFileCheck Checked(size_t listed_at, const std::filesystem::path& path,
                     const std::string& narrow_text, const std::vector<std::string>& read_warnings,
                     const std::vector<TScannedTag>& scanned, int64_t keep_per_group) const;

  std::unique_ptr<TMarkerCheck> owned_check_;  // null when the check was handed in
  const TMarkerCheck& check_;
  TCheckOptions options_;
  TCheckResult result_;
  std::unique_ptr<TCheckListing> listing_;
};

// False for a note (how a file was read), which changes no count; true for the rest.
bool ChangesCounts(const TCheckProblem& problem);
// "PATH:LINE:COLUMN: warning: MESSAGE" (or "error:", "note:"), without a line end.
std::string FormatCheckProblem(const TCheckProblem& problem);
// Where problems were found: "2 of 5 files", or "the tag set and 1 of 5 files".
std::string ProblemPlacesText(bool in_tag_set, int files_with_problems, int files_checked);
// "no problems in 5 files", "3 problems in 2 of 5 files", "4 problems in the tag set and
// 1 of 5 files"; every problem counts, listed or not.
std::string FormatCheckSummary(const TCheckResult& result);

}  // namespace farrowdale

#endif  // FARROWDALE_COUNT_MARKER_CHECK_H_
