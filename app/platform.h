// TPlatform: every operation the window asks of the desktop, behind one small interface so
// that tests drive the window with a fake and nothing modal blocks them. Texts are narrow
// (system code page); paths stay native.
#ifndef FARROWDALE_APP_PLATFORM_H_
#define FARROWDALE_APP_PLATFORM_H_

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace farrowdale {

// The application's title: the window caption and the caption of every message box.
inline constexpr char kProgramTitle[] = "Morrow Farrowdale 1.0";

// The answers to the question asked when a folder is chosen for a list that holds files.
enum class TListChoice { kReplace, kAdd, kCancel };

// What the user asked for in the run summary.
enum class TSummaryAction { kClose, kOpenReport, kOpenFolder };

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
  std::string tag;           // "-" for the tag set and the files' reading
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
struct TRunSummaryText {
  std::vector<std::string> facts;
  std::vector<TProblemRow> problems;
  std::vector<TProblemGroup> groups;  // the marker check's table over problems
  std::vector<std::string> notes;
  bool has_report = false;  // "Open Report" and "Open Folder" are offered
};

// The marker check as shown: its summary line, then the table and its problems.
struct TMarkerCheckText {
  std::string summary;
  std::vector<TProblemRow> problems;
  std::vector<TProblemGroup> groups;
  std::vector<std::string> notes;
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
  // A plain message box with an OK button, captioned with the program's title.
  virtual void ShowMessage(const std::string& text) = 0;
  // The standard error box: the program's title, an error icon, OK. text is shown as given.
  virtual void ShowError(const std::string& text) = 0;
  // The folder question: question icon, buttons "Replace List", "Add to List" and "Cancel";
  // closing the box answers Cancel.
  virtual TListChoice AskReplaceOrAdd(const std::string& question) = 0;
  // The run summary dialog, captioned with the program's title; closing it answers kClose.
  virtual TSummaryAction ShowRunSummary(const TRunSummaryText& summary) = 0;
  // The marker check's result: a dialog with the problems in a scrollable list, and Close.
  virtual void ShowMarkerCheck(const TMarkerCheckText& check) = 0;
  // Opens a file or folder with the desktop's default handler; the outcome is ignored.
  virtual void ShellOpen(const std::filesystem::path& path) = 0;
  // Milliseconds from any fixed point, 32 bits, wrapping.
  virtual uint32_t TickCount() = 0;
  // The folder of the running executable (templates and tag sets lie there).
  virtual std::filesystem::path ProgramFolder() = 0;
};

}  // namespace farrowdale

#endif  // FARROWDALE_APP_PLATFORM_H_
