// TPlatform: every operation the window asks of the desktop, behind one small interface so
// that tests drive the window with a fake and nothing modal blocks them. Texts are narrow
// (system code page); paths stay native.
#ifndef FARROWDALE_APP_PLATFORM_H_
#define FARROWDALE_APP_PLATFORM_H_

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace farrowdale {

// The application's title: the window caption and the caption of every message box.
inline constexpr char kProgramTitle[] = "Morrow Farrowdale 1.0";

// The answers to the question asked when a folder is chosen for a list that holds files.
enum class TListChoice { kReplace, kAdd, kCancel };

// A problem as the window lists it: the file, the place in it, what is wrong.
struct TProblemRow {
  std::string path;  // the file's full path
  int line = 0;      // 1-based; 0 when the whole file is meant
  int column = 0;    // 1-based, in characters; 0 with line 0
  bool is_error = false;
  std::string message;
};

// A row of the marker check's table: one tag and kind of problem, how many there are, in how
// many text files, where the first stands, and the problems listed under it.
struct TProblemGroup {
  std::string tag;           // "-" for the tag set, the files' reading and marker search
  std::string kind;          // "stray end marker", "nesting", ...
  std::string count;         // "1,204"
  std::string files;         // "3"; "-" for the tag set
  std::string first_place;   // "PATH:LINE:COLUMN"
  std::vector<size_t> rows;  // the listed problems: indices into the rows shown with it
  std::string unlisted;      // "… and 7 more: ..." when the check listed fewer; else empty
};

// Problems as a front end shows them: the rows, and the check's table over them. A row that
// no group holds (a warning of the run itself) is shown on its own.
struct TProblemTable {
  std::vector<TProblemRow> rows;
  std::vector<TProblemGroup> groups;
  std::vector<std::string> notes;  // end markers set apart, one per tag
};

// The run summary as shown: one line per fact, then the problems (empty when clean).

// A file a run wrote, as the summary lists it.
enum class TWrittenKind { kReport, kTable };
struct TWrittenFile {
  std::filesystem::path path;
  TWrittenKind kind = TWrittenKind::kReport;
};

// The run summary as shown: one line per fact, then the files written, then the problems
// (empty when clean).
struct TRunSummaryText {
  std::vector<std::string> facts;
  std::vector<TWrittenFile> written;  // reports in the order written, then tables
  std::filesystem::path folder;       // what "Open Folder" opens: where the reports went
  std::vector<TProblemRow> problems;
  std::vector<TProblemGroup> groups;  // the marker check's table over problems
  std::vector<std::string> notes;
  bool has_report = false;  // "Open Report" and "Open Folder" are offered
};

// What the run summary and the marker check ask of the window while they stay open.
struct TResultHooks {
  // Opens a written file or its folder with the desktop's handler, telling when that fails.
  std::function<void(const std::filesystem::path&)> open;
  // Shows the problem's file in the coding view, at the problem's place.
  std::function<void(const TProblemRow&)> show_problem;
};

// Where the coding view opens: the file, the place (1-based line and column in characters
// of the decoded text; 0 for the top) and the message shown above the text.
struct TCodingViewTarget {
  std::filesystem::path file;
  std::filesystem::path tag_set;  // whose markers are highlighted
  int line = 0;
  int column = 0;
  std::string message;
};

// The answers to the question asked before a run with a tag set that has problems.
enum class TTagSetProblemChoice { kCountAnyway, kEditTagSet, kCancel };

// The marker check as shown: its summary line, then the problems.
struct TMarkerCheckText {
  std::string summary;
  std::vector<TProblemRow> problems;
  std::vector<TProblemGroup> groups;
  std::vector<std::string> notes;
};

// The coder comparison as shown: its summary line, the pooled table (a row per tag, then one
// over all tags, cells in the order of columns), the files not compared with why, and the
// report that "Open Report" opens.
struct TAgreementText {
  std::string summary;
  std::vector<std::string> columns;
  std::vector<std::vector<std::string>> rows;
  std::vector<std::string> not_compared;
  std::filesystem::path report;
};

class TPlatform {
 public:
  virtual ~TPlatform() = default;

  // The modal folder picker titled title, opened on start; nullopt when cancelled.
  virtual std::optional<std::filesystem::path> ChooseFolder(const std::string& title,
                                                            const std::filesystem::path& start) = 0;
  // The modal file-open dialog opened on initial_folder with a filter given as
  // "description|pattern"; the chosen file's full path, nullopt when cancelled.
  virtual std::optional<std::filesystem::path> ChooseFileToOpen(
      const std::filesystem::path& initial_folder, const std::string& filter) = 0;
  // The modal save dialog titled title, opened on suggested (a full path) with a filter given
  // as "description|pattern"; it asks before an existing file is replaced. The chosen full
  // path, nullopt when cancelled.
  virtual std::optional<std::filesystem::path> ChooseFileToSave(
      const std::string& title, const std::filesystem::path& suggested,
      const std::string& filter) = 0;
  // A plain message box with an OK button, captioned with the program's title.
  virtual void ShowMessage(const std::string& text) = 0;
  // The standard error box: the program's title, an error icon, OK. text is shown as given.
  virtual void ShowError(const std::string& text) = 0;
  // The folder question: question icon, buttons "Replace List", "Add to List" and "Cancel";
  // closing the box answers Cancel.
  virtual TListChoice AskReplaceOrAdd(const std::string& question) = 0;
  // The run summary dialog, captioned with the program's title. Its open buttons and a
  // double-click on a problem call hooks; the dialog stays open until the user closes it.
  virtual void ShowRunSummary(const TRunSummaryText& summary, const TResultHooks& hooks) = 0;
  // The marker check's result: a dialog with the problems in a scrollable list, and Close;
  // a double-click on a problem calls hooks.show_problem.
  virtual void ShowMarkerCheck(const TMarkerCheckText& check, const TResultHooks& hooks) = 0;
  // The coder comparison's result: the table, the files not compared, "Open Report" (through
  // hooks.open) and Close.
  virtual void ShowAgreement(const TAgreementText& agreement, const TResultHooks& hooks) = 0;
  // The tag set editor on tag_set (a new tag set when empty), previewing preview_files;
  // the file saved, nullopt when the user closed it without saving.
  virtual std::optional<std::filesystem::path> EditTagSet(
      const std::filesystem::path& tag_set,
      const std::vector<std::filesystem::path>& preview_files) = 0;
  // Before a run: the tag set's problems listed, with "Count Anyway", "Edit Tag Set..." and
  // "Cancel"; closing the box answers kCancel.
  virtual TTagSetProblemChoice AskCountDespiteProblems(
      const std::vector<TProblemRow>& problems) = 0;
  // Opens a file or folder with the desktop's default handler; false when nothing took it.
  virtual bool ShellOpen(const std::filesystem::path& path) = 0;
  // Says that path could not be opened, shows the path and offers to copy it.
  virtual void ShowOpenFailed(const std::filesystem::path& path) = 0;
  // The program's own help window showing the user guide (a Markdown file), brought to the
  // front when it is open already.
  virtual void ShowUserGuide(const std::filesystem::path& guide) = 0;
  // The coding view of a file, scrolled to the target (a window of its own, not modal).
  virtual void ShowCodingView(const TCodingViewTarget& target) = 0;
  // Milliseconds from any fixed point, 32 bits, wrapping.
  virtual uint32_t TickCount() = 0;
  // The folder of the running executable (templates and tag sets lie there).
  virtual std::filesystem::path TemplateFolder() = 0;
};

}  // namespace farrowdale

#endif  // FARROWDALE_APP_PLATFORM_H_
