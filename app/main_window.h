// TMainWindow: the program's one window, a thin view over a TFileListModel. The "Settings" page
// holds the file list with its tick marks, the folder label, the filter, the tag set choice
// with the tags it holds, the one-file and tables boxes and "Count Now!"; the "About" page
// the program's picture and about text; the menu bar the same commands with shortcuts.
// After every change one function (UpdateControls) decides what is enabled and shown.
// Every dialog and shell call goes through TPlatform; an error a handler raises is shown in
// the standard error box. The folder, tag set, both boxes and the geometry are remembered
// in QSettings (the application's organisation and name select the place).
#ifndef FARROWDALE_APP_MAIN_WINDOW_H_
#define FARROWDALE_APP_MAIN_WINDOW_H_

#include <QWidget>
#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "app/platform.h"
#include "app/problem_rows.h"
#include "app/tag_set_flags.h"
#include "count/marker_check.h"
#include "run/file_list_model.h"
#include "tagset/tag_set.h"
#include "tagset/tag_set_check.h"

class QAction;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QMenuBar;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTabWidget;
class QTreeWidget;
class QTreeWidgetItem;

namespace farrowdale {

class TActiveLabel;

class TMainWindow : public QWidget {
  Q_OBJECT

 public:
  // Checks the markers of the ticked files against the tag set.
  using TMarkerChecker = std::function<TCheckResult(
      const std::filesystem::path& tag_set, const std::vector<std::filesystem::path>& files)>;

  explicit TMainWindow(TPlatform& platform, QWidget* parent = nullptr);
  ~TMainWindow() override;

  int CheckedCount() const { return static_cast<int>(model_.CheckedCount()); }
  const TTagArray& TagSet() const { return tag_set_; }
  // Shows the window with the remembered geometry, maximised when there is none.
  void ShowAsLastTime();
  // Replaces the marker check that "Check Markers" uses (CheckCoding unless set); the run
  // summary shows the check the run made of its own files.
  void SetMarkerChecker(TMarkerChecker checker) { marker_checker_ = std::move(checker); }

  // Handlers, named for what they do. Errors propagate; the signal connections show them
  // in the error box.
  void ChooseFolder();
  void OpenShownFolder();
  void ShowFolderOfCurrentItem();
  void ApplyUserTick(QListWidgetItem* item);
  void ApplyFilter();
  void TickAll();
  void UntickAll();
  void ChooseTagSet();
  void CountNow();
  void CheckMarkers();
  // The window's folder (coder A) compared with a second coder's folder that the user picks;
  // agreement.htm and agreement.csv go into the window's folder.
  void CompareCoders();
  // The ticked files' coding exported as an exchange project to a .qdpx file the user picks,
  // coded by the login name.
  void ExportProject();
  void OpenUserGuide();
  // The coding view of the list's current file (context menu "Show Coding").
  void ShowCodingOfCurrentItem();
  // The tag set editor on a new tag set, or on the chosen one; a tag set saved is chosen.
  void NewTagSet();
  void EditTagSet();
  void ShowAbout();
  // A folder or files dropped on the list; a file dropped on the tag set group.
  void AddDropped(const std::vector<std::filesystem::path>& paths);
  void UseTagSetFile(const std::filesystem::path& file);

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  class RunHost;
  class RunScope;

  void BuildMenuBar();
  void BuildSettingsPage();
  void BuildAboutPage();
  void SetTabOrder();
  void Connect();
  void RestoreSettings();
  // The file list of the last session, without the files that have gone since (named in a
  // message).
  void RestoreList();
  // Runs a handler and shows any error it raises in the standard error box.
  void Guarded(const std::function<void()>& handler);
  // Opens a file or folder with the desktop's handler; says so when that fails.
  void OpenExternally(const std::filesystem::path& path);
  // What the run summary and the marker check may ask while they are open.
  TResultHooks ResultHooks();
  void EditTagSetFile(const std::filesystem::path& file);
  // Before a run: true when the tag set (flags: its problems) has no problems or the user
  // counts anyway.
  bool ConfirmTagSetDespiteProblems(const TTagSetFlags& flags);

  // Shows the model's items appended since the view last looked, and the duplicates refused.
  void ShowAdded(const TFileListModel::TAddOutcome& outcome);
  void ClearList();
  void ShowTicks();
  void MakeCurrent(int row);
  void SetFolder(const std::filesystem::path& folder);
  // Lists tag_set_ with flags (the problems of the same reading) under its tags.
  void ShowTags(const TTagSetFlags& flags);
  // A row under tag_row (or at the end of the list when null) for a problem of the tag set.
  void AddTagSetProblemRow(QTreeWidgetItem* tag_row, const TTagSetProblem& problem);
  // The one rule for every control that depends on the list, the ticks, the tag set and
  // the filter text.
  void UpdateControls();
  bool CanCount() const;
  std::string TrimmedFilter() const;
  // Whether a folder chosen or dropped adds its sub-folders' texts too.
  EFolderScan FolderScan() const;
  std::filesystem::path DialogStartFolder() const;
  std::vector<std::filesystem::path> TickedFiles() const;

  TPlatform& platform_;
  TFileListModel model_;
  TMarkerChecker marker_checker_;
  bool setting_from_program_ = false;
  bool running_ = false;
  bool cancel_requested_ = false;  // Cancel pressed during the run
  // True until the remembered settings are back: nothing is remembered meanwhile.
  bool restoring_ = true;
  // What the last run warned about (file, message), in the order it said it.
  std::vector<TRunWarning> run_warnings_;
  std::filesystem::path folder_;        // folderLabel_'s caption
  std::filesystem::path last_folder_;   // the last folder chosen, remembered
  std::filesystem::path tag_set_path_;  // tagSetFileLabel_'s tooltip; empty while none is chosen
  TTagArray tag_set_;

  QMenuBar* menuBar_;
  QAction* actChooseFolder_;
  QAction* actChooseTagSet_;
  QAction* actCountNow_;
  QAction* actCheckMarkers_;
  QAction* actShowCoding_;
  QAction* actCompareCoders_;
  QAction* actExportProject_;
  QAction* actNewTagSet_;
  QAction* actEditTagSet_;
  QAction* actQuit_;
  // Options menu: remembered ticks that reach every run.
  QAction* actStopOnProblem_;
  QAction* actFoldSpace_;
  QAction* actFoldCase_;
  QAction* actUserGuide_;
  QAction* actAbout_;
  QTabWidget* pages_;
  QWidget* settingsPage_;
  QPushButton* chooseFolderButton_;
  TActiveLabel* folderLabel_;
  QListWidget* fileList_;
  QWidget* tickControls_;
  QLineEdit* filterEdit_;
  QPushButton* filterButton_;
  QLabel* fileCountLabel_;
  QPushButton* tickAllButton_;
  QPushButton* untickAllButton_;
  QPushButton* countNowButton_;
  QGroupBox* codeList_;
  QPushButton* chooseTagSetButton_;
  QPushButton* editTagSetButton_;
  TActiveLabel* tagSetFileLabel_;
  QLabel* tagSetSubtitle_;
  QTreeWidget* tagTree_;
  QCheckBox* oneFileBox_;
  QCheckBox* tablesBox_;
  QCheckBox* subFoldersBox_;
  QProgressBar* runProgress_;
  QLabel* runFileLabel_;  // the file being counted
  QPushButton* cancelRunButton_;
  QWidget* aboutPage_;
  QLabel* programPicture_;
  QPlainTextEdit* aboutText_;
};

}  // namespace farrowdale

#endif  // FARROWDALE_APP_MAIN_WINDOW_H_
