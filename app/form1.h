// TForm1: the program's one window. The "Settings" page holds the file list with its tick
// marks, the folder label, the filter, the tag set choice, the one-file box and "Count Now!";
// the "About" page the program's picture and about text. The handlers keep the stored
// CheckedCount, the status line and the enable rules in step, and "Count Now!" runs the
// coding run with the window disabled for its whole duration. Every dialog and shell call
// goes through TPlatform; an error a handler raises is shown in the standard error box.
#ifndef FARROWDALE_APP_FORM1_H_
#define FARROWDALE_APP_FORM1_H_

#include <QWidget>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "app/platform.h"
#include "tagset/tag_set.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTabWidget;

namespace farrowdale {

class TActiveLabel;

class TForm1 : public QWidget {
  Q_OBJECT

 public:
  explicit TForm1(TPlatform& platform, QWidget* parent = nullptr);
  ~TForm1() override;

  int CheckedCount() const { return checked_count_; }
  const TTagArray& TagSet() const { return tag_set_; }
  // The item's file path (the text shown is its narrow form).
  static std::filesystem::path ItemPath(const QListWidgetItem& item);

  // Handlers, named after their control and event. Errors propagate; the signal connections
  // show them in the error box.
  void FormCreate();
  void btnChoseTextClick();
  void lblDirClick();
  void clbFileListClick();
  void clbFileListClickCheck();
  void edtFileFilterChange();
  void edtFileFilterKeyPress(char key);
  void btnFilterClick();
  void btnSelAllClick();
  void btnClearSelClick();
  void btnSelTagClick();
  void lbTagSetFileMouseEnter();
  void btnOKClick();
  void FormClose();

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  class RunHost;
  class RunScope;

  void BuildSettingsPage();
  void BuildAboutPage();
  void SetTabOrder();
  void Connect();
  // Runs a handler and shows any error it raises in the standard error box.
  void Guarded(void (TForm1::*handler)());

  int CountChecked() const;
  void SetAllChecked(bool checked);
  void SetItemChecked(QListWidgetItem* item, bool checked);
  void MakeCurrent(QListWidgetItem* item);
  int FindItem(const std::filesystem::path& path) const;
  void AppendItem(const std::filesystem::path& path);
  void SetFolder(const std::filesystem::path& folder);
  void WriteStatus(int checked);
  // Recounts, stores CheckedCount, writes the status line and shows the one-file box for
  // more than one ticked item; returns the count.
  int Refresh();
  std::string TrimmedFilter() const;

  TPlatform& platform_;
  int checked_count_ = 0;
  bool setting_from_program_ = false;
  bool running_ = false;
  // What the last run warned about (file, message), in the order it said it.
  std::vector<std::pair<std::filesystem::path, std::string>> run_warnings_;
  std::filesystem::path folder_;        // lblDir's caption
  std::filesystem::path tag_set_path_;  // lbTagSetFile's hint
  std::string tag_set_caption_;         // lbTagSetFile's caption, narrow
  bool tag_set_hint_shown_ = false;
  TTagArray tag_set_;

  QTabWidget* pc_;
  QWidget* tabSettings_;
  QPushButton* btnChoseText_;
  TActiveLabel* lblDir_;
  QListWidget* clbFileList_;
  QWidget* plSettings_;
  QLineEdit* edtFileFilter_;
  QPushButton* btnFilter_;
  QLabel* lblFileInfo_;
  QPushButton* btnSelAll_;
  QPushButton* btnClearSel_;
  QPushButton* btnOK_;
  QGroupBox* gbTagSet_;
  QPushButton* btnSelTag_;
  TActiveLabel* lbTagSetFile_;
  QCheckBox* cbxOneFile_;
  QProgressBar* pbRun_;
  QWidget* About_;
  QLabel* Image1_;
  QPlainTextEdit* Memo1_;
};

}  // namespace farrowdale

#endif  // FARROWDALE_APP_FORM1_H_
