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

// The run summary as shown: one line per fact, then the problems (empty when clean).
struct TRunSummaryText {
  std::vector<std::string> facts;
  std::vector<std::string> problems;
  bool has_report = false;  // "Open Report" and "Open Folder" are offered
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
  // Opens a file or folder with the desktop's default handler; the outcome is ignored.
  virtual void ShellOpen(const std::filesystem::path& path) = 0;
  // Milliseconds from any fixed point, 32 bits, wrapping.
  virtual uint32_t TickCount() = 0;
  // The folder of the running executable (templates and tag sets lie there).
  virtual std::filesystem::path ProgramFolder() = 0;
};

}  // namespace farrowdale

#endif  // FARROWDALE_APP_PLATFORM_H_
