// The coding run behind "Count Now!": extracts and counts every tag's passages in every
// ticked file with the tag set its front end read, writes the reports, shows the time and
// opens the result. Front ends (the window, the command line) supply the tag set, the
// request and a host.
#ifndef FARROWDALE_RUN_CODING_RUN_H_
#define FARROWDALE_RUN_CODING_RUN_H_

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "count/marker_check.h"
#include "count/tag_scanner.h"
#include "results/stat_info.h"
#include "run/file_list.h"
#include "tagset/tag_set.h"
#include "tagset/tag_set_check.h"
#include "text/error.h"
#include "text/folder_lock.h"
#include "text/passage_grouping.h"

namespace farrowdale {

// The tag set a run counts with, as one reading of its file gave it: the same reading feeds
// the counts, the marker check and the window's flags, so they never describe two versions
// of the file.
struct TRunTagSet {
  std::filesystem::path path;  // empty when no tag set was chosen
  TTagSetCheck check;          // check.tags are the tags counted
  // Lower-case hex SHA-256 of the bytes checked and counted; empty when no file was read.
  std::string sha256;
};

// Reads the tag set at path once and checks it (no tags for an empty path). A file that
// cannot be read gives a check whose load_error says why.
TRunTagSet ReadRunTagSet(const std::filesystem::path& path);

struct TCodingRunRequest {
  std::vector<TFileItem> items;         // the file list, in list order
  bool one_file_mode = false;           // the one-file box is visible and ticked
  std::filesystem::path corpus_folder;  // the folder label's caption
  std::string filter;                   // narrow text; empty when no filter chose the files
  // Also write result_counts.csv, result_passages.csv and result_cooccurrence.csv in the
  // corpus folder.
  bool write_tables = false;
  int jobs = 0;  // threads that read and count files; 0: one per core
  // Whether to wait while another run writes in a folder this run writes in, or to stop.
  EFolderWait folder_wait = EFolderWait::kWait;
  // Any problem the marker check finds in the tag set or the ticked texts stops the run
  // before anything is written.
  bool strict = false;
  TPassageGrouping grouping;  // how passages are grouped before counting
  // Also gather the marker check's grouping notes into the summary's check (the window shows
  // them); they keep each tag's distinct passages until the run ends.
  bool grouping_notes = false;
};

// What a finished run did, for the front end to tell the user.
struct TRunSummary {
  int files_counted = 0;
  int64_t passages_found = 0;                  // every tag's passages in every counted file
  std::vector<std::filesystem::path> reports;  // in the order written
  std::vector<std::filesystem::path> tables;   // the CSV tables written, if any
  std::string time_message;                    // as shown by ShowInformation
  // The marker check of the same texts, done on the run's own reading and search of each
  // file, as the marker check lists it with its default options (kDefaultLinesPerGroup;
  // grouping notes when the request asks for them): the same result CheckCoding gives for
  // the counted files read without notes (the run's warnings tell how files were read).
  TCheckResult check;
  // From check: its problems (the tag set's included), whether the tag set holds some, and
  // the text files that hold the rest. All empty when the tag set has no tag to search.
  int64_t marker_problems = 0;
  bool tag_set_has_marker_problems = false;
  int files_with_marker_problems = 0;
  // The problems themselves, as the marker check words them: the tag set's, and per text
  // file with problems (in run order) how many it has and the first ones of them by place.
  std::vector<TCheckProblem> tag_set_problems;
  struct TFileCheckProblems {
    std::filesystem::path path;
    int64_t count = 0;
    std::vector<TCheckProblem> first;  // the first few (five), as the reports list them
  };
  std::vector<TFileCheckProblems> file_problems;
};

// What the run needs from its front end.
class TCodingRunHost {
 public:
  virtual ~TCodingRunHost() = default;
  // A modal information box captioned with the program's title (the time message).
  virtual void ShowInformation(const std::string& message) = 0;
  // Opens a file or folder with the desktop's default handler; the outcome is ignored.
  virtual void ShellOpen(const std::filesystem::path& path) = 0;
  // Milliseconds from any fixed point, 32 bits, wrapping.
  virtual uint32_t TickCount() = 0;
  // The wall-clock time, which reports name as when the run happened.
  virtual std::chrono::system_clock::time_point Now() = 0;
  // The folder that holds the templates (the program's own folder).
  virtual std::filesystem::path TemplateFolder() = 0;
  // Called after each ticked file is done; files_done runs from 1 to files_ticked.
  virtual void Progress(int files_done, int files_ticked) = 0;
  // Something the user should know that does not stop the run (a file read in a guessed
  // encoding, a text cut short, a tag set without tags), about path. The command line
  // prints "PATH: warning: MESSAGE" on stderr; the window lists it when the run ends.
  virtual void Warn(const std::filesystem::path& path, const std::string& message) = 0;
  // A line that says what the run is doing while it cannot go on yet ("waiting for another
  // run writing in FOLDER"); gone with the next progress or message.
  virtual void ShowStatus(const std::string& line) { (void)line; }
  // Asked before each file's results are used and before the last outputs are written; true
  // stops the run there with ERunCancelled.
  virtual bool CancelRequested() { return false; }
  // Each problem of the tag set, as the marker check words it, before any text is read. The
  // window already shows them under the tags; the command line prints them.
  virtual void TagSetProblem(const TCheckProblem& /*problem*/) {}
};

// A run the host cancelled: of its outputs only the per-file reports of batches committed
// before the cancel were written (reports_written, 0 unless the run had more than one batch);
// every other output stands as it was.
class ERunCancelled : public Error {
 public:
  explicit ERunCancelled(size_t reports_written = 0)
      : Error(reports_written == 0
                  ? "The run was cancelled; no report or table was written."
                  : "The run was cancelled; " + std::to_string(reports_written) +
                        " report(s) were written before it, no other report or table.") {}
};

// Runs the whole coding run with tag_set and says what it did. Before any file is read, every
// report path is worked out and checked: a report that would replace a listed text, that two texts
// would share, or whose path is a link, a folder or a device stops the run with nothing written. A
// tag set without tags, a missing template and each text read by a guess or cut short are told
// through host.Warn; the run goes on. Each file's markers are checked on the text and the matches
// it was counted from, so the summary holds what the marker check of the same tag set and files
// would find, without a second read. The tag set's problems go to host.TagSetProblem first. A
// colour that does not read (as LoadTagSet throws it) and a tag with an end marker and no begin
// marker stop the run, and so, with request.strict, does any problem the marker check finds in the
// tag set or the ticked texts (checked before anything is written). Outputs are written as
// temporary files and committed together (TAtomicFileBatch) while the run holds the lock of every
// folder it writes in (TFolderLock; the first 256 by name when there are more; temporaries of
// killed runs there are removed first): the combined report with the tables at the end of the run;
// in per-file mode the reports every 256 reports or 64 MiB, and the last batch with the tables.
// Throws Error on failure, or ERunCancelled when the host cancels: then no time message is shown,
// nothing is opened, and every output of the batch being written keeps its old content (its
// temporaries are removed); only earlier batches of per-file reports stay written. A run killed
// mid-way leaves the same, and its temporaries for the next run to remove.
TRunSummary RunCoding(const TCodingRunRequest& request, const TRunTagSet& tag_set,
                      TCodingRunHost& host);

// "<seconds> second(s) used." for a duration in milliseconds.
std::string FormatElapsedMessage(int32_t milliseconds);

// The per-file report path for a text file: "_result.htm" in place of a final ".txt"
// (any letter case), appended otherwise; never the text file's own path.
std::filesystem::path FileReportPath(const std::filesystem::path& text_file);

}  // namespace farrowdale

#endif  // FARROWDALE_RUN_CODING_RUN_H_
