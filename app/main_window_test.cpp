// The window driven through its controls with a fake platform, under the offscreen platform.
#include "app/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QGroupBox>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMap>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTimer>
#include <QTreeWidget>
#include <QUrl>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <stdexcept>
#include <thread>
#include <tuple>

#include "app/about_page.h"
#include "app/active_label.h"
#include "app/coding_text.h"
#include "app/coding_view.h"
#include "app/dialog_texts.h"
#include "app/fake_platform.h"
#include "app/marker_check_dialog.h"
#include "app/problem_rows.h"
#include "app/run_summary_dialog.h"
#include "app/tag_set_editor.h"
#include "run/coding_check.h"
#include "tagset/ini_file.h"
#include "text/code_page.h"
#include "text/folder_lock.h"

namespace farrowdale {

namespace fs = std::filesystem;

class MainWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase();
  void init();
  void cleanup();

  void StateAtStart();
  void KeyboardAndMenus();
  void AnchorsMoveAndStretchControls();
  void FolderIntoEmptyList();
  void FolderQuestionReplaceAddCancel();
  void CountNowNeedsATagSetAndATick();
  void OneFileBoxFollowsTheTickCount();
  void Filter();
  void BadFilterChangesNoTick();
  void EnterInTheFilterBox();
  void TagSetChoiceShowsItsTags();
  void SettingsAreRemembered();
  void FileListIsRemembered();
  void Drops();
  void RunSummaryAndItsButtons();
  void RunThatFails();
  void CancelInMidRunLeavesEveryOutputAsItWas();
  void WaitingForAnotherRunShowsInTheRunLabel();
  void UserGuideAndCheckMarkers();
  void RunSummaryListsMarkerProblems();
  void RunSummaryShowsWhatASeparateCheckFinds();
  void CountNowKeepsTheTagSetItAskedAbout();
  void ProblemOpensTheCodingView();
  void TagSetEditorHookedUp();
  void TagSetEditorRoundTrip();
  void TagSetEditorShowsProblemsBesideTheirRows();
  void CheckTableHoldsTheLinesUnderEachRow();
  void CompareCodersFromTheMenu();
  void ExportProjectFromTheMenu();
  void TagSetProblemsAreFlagged();
  void AboutPicture();

 private:
  template <typename T>
  T* Child(const char* name) {
    T* child = window_->findChild<T*>(QString::fromLatin1(name));
    if (child == nullptr) qFatal("no control %s", name);
    return child;
  }
  fs::path MakeFolder(const std::string& name, std::initializer_list<const char*> files);
  fs::path MakeTagSet(const std::string& text = "[Entity]\nbegin=<e>\nend=</e>\ncolor=0000FF\n");
  void ChooseFolder(const fs::path& folder, std::optional<TListChoice> answer = std::nullopt);
  void ChooseTagSet(const fs::path& file);
  void Click(const char* button) { QTest::mouseClick(Child<QPushButton>(button), Qt::LeftButton); }
  bool Enabled(const char* name) { return Child<QWidget>(name)->isEnabled(); }
  QString Status() { return Child<QLabel>("lblFileInfo")->text(); }
  QListWidget* List() { return Child<QListWidget>("clbFileList"); }
  QList<bool> Ticks();
  // Toggles an item's tick the way the user does: make it current, press space.
  void UserToggle(int row);
  void Drop(QWidget* target, const std::vector<fs::path>& paths);
  void ShowWindow();

  std::unique_ptr<QTemporaryDir> settings_;
  std::unique_ptr<QTemporaryDir> temp_;
  std::unique_ptr<TFakePlatform> platform_;
  std::unique_ptr<TMainWindow> window_;
};

void MainWindowTest::initTestCase() {
  SetSystemCodePage("UTF-8");
  // The remembered settings go to a folder of the test's own.
  settings_ = std::make_unique<QTemporaryDir>();
  QCoreApplication::setOrganizationName(QStringLiteral("FarrowdaleTest"));
  QCoreApplication::setApplicationName(QStringLiteral("main_window_test"));
  QSettings::setDefaultFormat(QSettings::IniFormat);
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settings_->path());
}

void MainWindowTest::init() {
  QSettings().clear();
  temp_ = std::make_unique<QTemporaryDir>();
  QVERIFY(temp_->isValid());
  platform_ = std::make_unique<TFakePlatform>();
  // The templates are copied beside every executable of the build, this test included.
  platform_->template_folder = QCoreApplication::applicationDirPath().toStdString();
  window_ = std::make_unique<TMainWindow>(*platform_);
}

void MainWindowTest::cleanup() {
  window_.reset();
  platform_.reset();
  temp_.reset();
}

fs::path MainWindowTest::MakeFolder(const std::string& name,
                                    std::initializer_list<const char*> files) {
  const fs::path folder = fs::path(temp_->path().toStdString()) / name;
  fs::create_directories(folder);
  for (const char* file : files) std::ofstream(folder / file) << "<e>alpha</e> <e>beta</e>\n";
  return folder;
}

fs::path MainWindowTest::MakeTagSet(const std::string& text) {
  const fs::path file = MakeFolder("sets", {}) / "tags.ini";
  std::ofstream(file) << text;
  return file;
}

void MainWindowTest::ChooseFolder(const fs::path& folder, std::optional<TListChoice> answer) {
  platform_->folder_answers.push_back(folder);
  if (answer) platform_->list_answers.push_back(*answer);
  Click("btnChoseText");
}

void MainWindowTest::ChooseTagSet(const fs::path& file) {
  platform_->file_answers.push_back(file);
  Click("btnSelTag");
}

QList<bool> MainWindowTest::Ticks() {
  QList<bool> ticks;
  for (int i = 0; i < List()->count(); ++i)
    ticks.append(List()->item(i)->checkState() == Qt::Checked);
  return ticks;
}

void MainWindowTest::UserToggle(int row) {
  List()->setCurrentRow(row);
  QTest::keyClick(List(), Qt::Key_Space);
}

void MainWindowTest::Drop(QWidget* target, const std::vector<fs::path>& paths) {
  QMimeData data;
  QList<QUrl> urls;
  for (const auto& path : paths) urls << QUrl::fromLocalFile(QString::fromStdString(path.string()));
  data.setUrls(urls);
  const QPointF at(5, 5);
  QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(target, &enter);
  if (!enter.isAccepted()) return;
  QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(target, &drop);
}

void MainWindowTest::ShowWindow() {
  window_->show();
  QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
}

void MainWindowTest::StateAtStart() {
  QCOMPARE(window_->windowTitle(), QString("Morrow Farrowdale 1.0"));
  QVERIFY2(window_->minimumWidth() == 780 && window_->minimumHeight() >= 514,
           qPrintable(QString("%1x%2").arg(window_->minimumWidth()).arg(window_->minimumHeight())));
  auto* pc = Child<QTabWidget>("pc");
  QCOMPARE(pc->count(), 2);
  QCOMPARE(pc->currentWidget(), Child<QWidget>("tabSettings"));

  // Texts with their mnemonics: no letter twice among the buttons, boxes and menus.
  const std::pair<const char*, const char*> texts[] = {{"btnChoseText", "&Choose Folder"},
                                                       {"btnFilter", "Filte&r"},
                                                       {"btnSelAll", "Select &All"},
                                                       {"btnClearSel", "Cl&ear Selection"},
                                                       {"btnOK", "Count &Now!"},
                                                       {"btnSelTag", "Select F&ile"},
                                                       {"cbxOneFile", "Save Results as &One File"},
                                                       {"cbxTables", "Write &Tables"},
                                                       {"btnEditTagSet", "E&dit..."},
                                                       {"btnCancelRun", "Cance&l"},
                                                       {"cbxSubFolders", "Include s&ub-folders"}};
  for (const auto& [name, text] : texts) {
    QCOMPARE(Child<QAbstractButton>(name)->text(), QString(text));
  }
  // Alt and a letter reaches one thing only: among the window's buttons and boxes, its
  // pages and its menus; and within each menu, among its commands.
  auto expect_distinct = [](const QStringList& captions, const char* where) {
    QMap<QChar, QString> owner;
    for (const QString& caption : captions) {
      const int amp = caption.indexOf('&');
      if (amp < 0 || amp + 1 >= caption.size()) continue;
      const QChar letter = caption.at(amp + 1).toLower();
      QVERIFY2(!owner.contains(letter),
               qPrintable(QString("%1: %2 and %3").arg(where, owner[letter], caption)));
      owner.insert(letter, caption);
    }
  };
  QStringList window_level;
  for (const auto* button : window_->findChildren<QAbstractButton*>()) {
    window_level << button->text();
  }
  auto* pages = Child<QTabWidget>("pc");
  for (int i = 0; i < pages->count(); ++i) window_level << pages->tabText(i);
  const auto menus = Child<QMenuBar>("menuBar")->actions();
  for (const QAction* menu : menus) {
    window_level << menu->text();
    QStringList commands;
    for (const QAction* command : menu->menu()->actions()) commands << command->text();
    expect_distinct(commands, qPrintable(menu->text()));
  }
  QCOMPARE(menus.size(), 3);
  expect_distinct(window_level, "the window");
  QCOMPARE(Child<QGroupBox>("gbTagSet")->title(), QString(" Code List "));
  QCOMPARE(Child<QLineEdit>("edtFileFilter")->placeholderText(),
           QString("Pattern matched against the path"));

  // Only what needs nothing listed reacts; the tag set can be chosen at any time.
  QVERIFY(Enabled("btnChoseText"));
  QVERIFY(Enabled("gbTagSet"));
  QVERIFY(!Enabled("btnOK"));
  QVERIFY(!Enabled("plSettings"));
  QVERIFY(!Enabled("btnFilter"));
  QVERIFY(!Enabled("lblDir"));
  QVERIFY(Child<QLabel>("lblDir")->text().isEmpty());
  QCOMPARE(Status(), QString("0 file(s) selected, 0 file(s) in the list."));
  QVERIFY(Child<QCheckBox>("cbxOneFile")->isHidden());
  QCOMPARE(List()->count(), 0);
  QCOMPARE(window_->CheckedCount(), 0);

  // The chosen tag set is not shown in an error colour.
  const QColor label_color = Child<QLabel>("lbTagSetFile")->palette().color(QPalette::WindowText);
  QCOMPARE(label_color, window_->palette().color(QPalette::WindowText));
  QVERIFY(Child<QPlainTextEdit>("Memo1")->isReadOnly());
  // Every control a click acts on says what the click does.
  for (const char* name :
       {"btnChoseText", "lblDir", "btnFilter", "btnSelAll", "btnClearSel", "btnSelTag", "btnOK",
        "cbxOneFile", "cbxTables", "cbxSubFolders", "gbTagSet", "btnEditTagSet", "btnCancelRun"}) {
    QVERIFY2(!Child<QWidget>(name)->toolTip().isEmpty(), name);
  }
  QVERIFY(!Child<QWidget>("lblDir")->toolTip().contains("Double"));
}

void MainWindowTest::KeyboardAndMenus() {
  // The keyboard order follows the work.
  const QStringList order = {"btnChoseText", "clbFileList", "edtFileFilter", "btnFilter",
                             "btnSelAll",    "btnClearSel", "btnSelTag",     "btnEditTagSet",
                             "tvTags",       "cbxOneFile",  "cbxTables",     "btnOK",
                             "btnCancelRun"};
  QStringList seen;
  QWidget* widget = Child<QWidget>("btnChoseText");
  for (int steps = 0; steps < 200 && seen.size() < order.size(); ++steps) {
    if (order.contains(widget->objectName()) && !seen.contains(widget->objectName())) {
      seen << widget->objectName();
    }
    widget = widget->nextInFocusChain();
  }
  QCOMPARE(seen, order);

  const std::pair<const char*, QKeySequence> shortcuts[] = {
      {"actChooseFolder", QKeySequence(Qt::CTRL | Qt::Key_O)},
      {"actChooseTagSet", QKeySequence(Qt::CTRL | Qt::Key_T)},
      {"actCount", QKeySequence(Qt::Key_F5)},
      {"actQuit", QKeySequence(Qt::CTRL | Qt::Key_Q)},
      {"actUserGuide", QKeySequence(Qt::Key_F1)},
      {"actNewTagSet", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_N)},
      {"actEditTagSet", QKeySequence(Qt::CTRL | Qt::Key_E)},
      {"actShowCoding", QKeySequence(Qt::CTRL | Qt::Key_D)}};
  for (const auto& [name, keys] : shortcuts) {
    QCOMPARE(window_->findChild<QAction*>(name)->shortcut(), keys);
  }
  QVERIFY(window_->findChild<QAction*>("actCheckMarkers") != nullptr);

  ShowWindow();
  QVERIFY(QTest::qWaitForWindowActive(window_.get()));
  QCOMPARE(QApplication::focusWidget(), Child<QWidget>("btnChoseText"));
  // Enter presses the focused button.
  platform_->folder_answers.push_back(MakeFolder("corpus", {"a.txt", "b.txt"}));
  QTest::keyClick(Child<QPushButton>("btnChoseText"), Qt::Key_Return);
  QCOMPARE(List()->count(), 2);
  Child<QPushButton>("btnClearSel")->setFocus();
  QTest::keyClick(Child<QPushButton>("btnClearSel"), Qt::Key_Return);
  QCOMPARE(Ticks(), QList<bool>({false, false}));
  // The menu's commands are the buttons' commands.
  window_->findChild<QAction*>("actAbout")->trigger();
  QCOMPARE(Child<QTabWidget>("pc")->currentWidget(), Child<QWidget>("About"));
  window_->findChild<QAction*>("actQuit")->trigger();
  QVERIFY(!window_->isVisible());
}

void MainWindowTest::AnchorsMoveAndStretchControls() {
  ChooseFolder(MakeFolder("corpus", {"a.txt", "b.txt"}));  // shows the one-file box
  window_->resize(800, 560);
  ShowWindow();
  const char* names[] = {"btnChoseText", "clbFileList", "plSettings", "edtFileFilter", "btnSelAll",
                         "btnOK",        "gbTagSet",    "cbxOneFile", "btnClearSel",   "Memo1",
                         "Image1",       "lblFileInfo", "tvTags",     "cbxTables"};
  // The About page lays out only when shown; show it once so both pages have a geometry.
  Child<QTabWidget>("pc")->setCurrentIndex(1);
  QCoreApplication::processEvents();
  Child<QTabWidget>("pc")->setCurrentIndex(0);
  std::map<std::string, QRect> before;
  for (const char* name : names) before[name] = Child<QWidget>(name)->geometry();
  window_->resize(1000, 660);
  QCoreApplication::processEvents();
  Child<QTabWidget>("pc")->setCurrentIndex(1);
  QCoreApplication::processEvents();
  auto moved = [&](const char* name) {
    const QRect now = Child<QWidget>(name)->geometry();
    const QRect was = before[name];
    return QRect(now.x() - was.x(), now.y() - was.y(), now.width() - was.width(),
                 now.height() - was.height());
  };
  QCOMPARE(moved("btnChoseText"), QRect(0, 0, 0, 0));
  QCOMPARE(moved("clbFileList"), QRect(0, 0, 200, 100));
  QCOMPARE(moved("plSettings"), QRect(0, 100, 200, 0));
  QCOMPARE(moved("lblFileInfo"), QRect(0, 100, 200, 0));
  QCOMPARE(moved("edtFileFilter"), QRect(0, 0, 0, 0));  // relative to the panel
  QCOMPARE(moved("btnSelAll"), QRect(200, 0, 0, 0));
  QCOMPARE(moved("btnClearSel"), QRect(200, 0, 0, 0));
  QCOMPARE(moved("btnOK"), QRect(200, 100, 0, 0));
  QCOMPARE(moved("gbTagSet"), QRect(200, 0, 0, 100));
  QCOMPARE(moved("tvTags"), QRect(0, 0, 0, 100));  // relative to the group
  QCOMPARE(moved("cbxOneFile"), QRect(200, 100, 0, 0));
  QCOMPARE(moved("cbxTables"), QRect(200, 100, 0, 0));
  QCOMPARE(moved("Memo1"), QRect(0, 0, 200, 100));
  QCOMPARE(moved("Image1"), QRect(0, 0, 0, 0));

  // From the smallest size up, the status line is whole and clear of every button.
  Child<QTabWidget>("pc")->setCurrentIndex(0);
  window_->resize(window_->minimumSize());
  QCoreApplication::processEvents();
  auto* status = Child<QLabel>("lblFileInfo");
  const QString longest("99999 file(s) selected, 99999 file(s) in the list.");
  QVERIFY(status->fontMetrics().horizontalAdvance(longest) <= status->width());
  const QRect status_rect(status->mapTo(window_.get(), QPoint(0, 0)), status->size());
  for (const char* name : {"btnSelAll", "btnClearSel", "btnOK", "btnFilter", "cbxTables"}) {
    auto* other = Child<QWidget>(name);
    const QRect rect(other->mapTo(window_.get(), QPoint(0, 0)), other->size());
    QVERIFY2(!rect.intersects(status_rect), name);
  }
  QVERIFY(status_rect.bottom() <
          Child<QWidget>("tabSettings")->mapTo(window_.get(), QPoint(0, 0)).y() +
              Child<QWidget>("tabSettings")->height());
  // The controls added around the old ones are not cut at the smallest size either.
  for (const char* name : {"btnSelTag", "btnEditTagSet", "btnCancelRun", "lblTagSetSubtitle"}) {
    auto* control = Child<QWidget>(name);
    QVERIFY2(control->sizeHint().width() <= control->width(),
             qPrintable(QString("%1: %2 > %3")
                            .arg(name)
                            .arg(control->sizeHint().width())
                            .arg(control->width())));
  }
  auto* run_file = Child<QLabel>("lblRunFile");
  QVERIFY(run_file->fontMetrics().horizontalAdvance("Counting interview_bruno.txt") <=
          run_file->width());
}

void MainWindowTest::FolderIntoEmptyList() {
  const fs::path folder = MakeFolder("corpus", {"b.txt", "a.txt", "c.TXT", "notes.md"});
  ChooseFolder(folder);

  QCOMPARE(platform_->folder_calls.size(), size_t{1});
  QCOMPARE(platform_->folder_calls[0].title_or_filter, std::string("Browse for Folder"));
  // Nothing remembered yet: the picker starts at home, not in the program's folder.
  QCOMPARE(platform_->folder_calls[0].start, fs::path(QDir::homePath().toStdString()));
  QVERIFY(platform_->questions.empty());  // nothing to replace in an empty list
  // Names relative to the chosen folder, the full path as the tooltip.
  QCOMPARE(List()->count(), 3);
  QCOMPARE(List()->item(0)->text(), QString("a.txt"));
  QCOMPARE(List()->item(2)->text(), QString("c.TXT"));
  QCOMPARE(List()->item(1)->toolTip(), QString::fromStdString((folder / "b.txt").string()));
  QCOMPARE(Ticks(), QList<bool>({true, true, true}));
  QCOMPARE(Status(), QString("3 file(s) selected, 3 file(s) in the list."));
  QCOMPARE(window_->CheckedCount(), 3);
  QCOMPARE(Child<QLabel>("lblDir")->text(), QString::fromStdString(folder.string()));
  QVERIFY(Enabled("lblDir"));
  QVERIFY(Enabled("plSettings"));
  QVERIFY(!Child<QCheckBox>("cbxOneFile")->isHidden());
  QVERIFY(!Enabled("btnOK"));  // no tag set yet
  QVERIFY(platform_->messages.empty());
  QVERIFY(platform_->errors.empty());

  // Cancelling the picker changes nothing; the next picker starts in the last folder.
  platform_->folder_answers.push_back(std::nullopt);
  Click("btnChoseText");
  QCOMPARE(List()->count(), 3);
  QCOMPARE(platform_->folder_calls[1].start, folder);
  QVERIFY(platform_->questions.empty());

  // A folder that cannot be read is an error that changes nothing, asked nothing.
  ChooseFolder(folder / "missing", TListChoice::kReplace);
  QCOMPARE(platform_->errors.size(), size_t{1});
  QVERIFY(platform_->questions.empty());
  QCOMPARE(List()->count(), 3);
}

void MainWindowTest::FolderQuestionReplaceAddCancel() {
  const fs::path first = MakeFolder("first", {"a.txt", "b.txt"});
  const fs::path second = MakeFolder("second", {"b.txt", "c.txt", "d.txt"});
  ChooseFolder(first);

  ChooseFolder(second, TListChoice::kCancel);
  QCOMPARE(platform_->questions.size(), size_t{1});
  QCOMPARE(platform_->questions[0],
           "The list holds 2 file(s). Replace them with the 3 .txt "
           "file(s) of \"" +
               second.string() + "\", or add these to the list?");
  QCOMPARE(List()->count(), 2);
  QCOMPARE(Child<QLabel>("lblDir")->text(), QString::fromStdString(first.string()));

  ChooseFolder(second, TListChoice::kAdd);
  QCOMPARE(List()->count(), 5);
  // Names stay relative to the folder the list started from.
  QCOMPARE(List()->item(0)->text(), QString("a.txt"));
  QCOMPARE(List()->item(2)->text(), QString::fromStdString((second / "b.txt").string()));
  QCOMPARE(Status(), QString("5 file(s) selected, 5 file(s) in the list."));

  // Adding the same folder again: one message for all duplicates, the last one highlighted.
  List()->setCurrentRow(0);
  ChooseFolder(second, TListChoice::kAdd);
  QCOMPARE(
      platform_->messages,
      std::vector<std::string>{"3 files are already in the list and were not added again:\n" +
                               (second / "b.txt").string() + "\n" + (second / "c.txt").string() +
                               "\n" + (second / "d.txt").string()});
  QCOMPARE(List()->count(), 5);
  QCOMPARE(List()->currentRow(), 4);
  // One duplicate keeps the list's own message.
  Drop(List()->viewport(), {first / "a.txt"});
  QCOMPARE(platform_->messages.back(),
           "The file \"" + (first / "a.txt").string() + "\" has already in the list!");
  QCOMPARE(List()->currentRow(), 0);

  ChooseFolder(second, TListChoice::kReplace);
  QCOMPARE(List()->count(), 3);
  QCOMPARE(List()->item(0)->text(), QString("b.txt"));
  QCOMPARE(Status(), QString("3 file(s) selected, 3 file(s) in the list."));
  QCOMPARE(platform_->messages.size(), size_t{2});  // replacing refuses nothing
}

void MainWindowTest::CountNowNeedsATagSetAndATick() {
  // Every sequence in which the old rules went wrong, and the plain ones.
  const fs::path corpus = MakeFolder("corpus", {"a.txt", "b.txt", "c.txt"});
  const fs::path tags = MakeTagSet();
  auto* filter = Child<QLineEdit>("edtFileFilter");

  // Filter with no tag set chosen ticks files but cannot enable the run.
  ChooseFolder(corpus);
  filter->setText("a");
  Click("btnFilter");
  QVERIFY(window_->CheckedCount() > 0);
  QVERIFY(!Enabled("btnOK"));
  QVERIFY(!window_->findChild<QAction*>("actCount")->isEnabled());
  window_->findChild<QAction*>("actCount")->trigger();  // F5 does nothing either
  QVERIFY(platform_->summaries.empty());

  // Clear Selection, then a tag set: still nothing ticked; Select All enables it.
  Click("btnClearSel");
  ChooseTagSet(tags);
  QVERIFY(!Enabled("btnOK"));
  Click("btnSelAll");
  QVERIFY(Enabled("btnOK"));
  QVERIFY(window_->findChild<QAction*>("actCount")->isEnabled());
  Click("btnClearSel");
  QVERIFY(!Enabled("btnOK"));
  UserToggle(1);
  QVERIFY(Enabled("btnOK"));

  // A filter error followed by a folder choice, with a tag set chosen and files ticked.
  filter->setText("[a");
  Click("btnFilter");
  QCOMPARE(platform_->errors.size(), size_t{1});
  QVERIFY(Enabled("btnOK"));
  ChooseFolder(MakeFolder("more", {"x.txt"}), TListChoice::kAdd);
  QCOMPARE(Status(), QString("2 file(s) selected, 4 file(s) in the list."));
  QVERIFY(Enabled("btnOK"));

  // A folder without .txt files says so and offers nothing to replace the list with.
  const fs::path empty = MakeFolder("empty", {"readme.md", "notes.docx"});
  const size_t questions = platform_->questions.size();
  ChooseFolder(empty, TListChoice::kReplace);
  QCOMPARE(platform_->questions.size(), questions);
  QCOMPARE(platform_->messages.back(), "The folder \"" + empty.string() +
                                           "\" holds no .txt files; the list is left as it was.");
  QCOMPARE(List()->count(), 4);
  QVERIFY(Enabled("btnOK"));
}

void MainWindowTest::OneFileBoxFollowsTheTickCount() {
  const fs::path folder = MakeFolder("corpus", {"a.txt", "b.txt"});
  ChooseFolder(folder);
  auto* one_file = Child<QCheckBox>("cbxOneFile");
  QVERIFY(!one_file->isHidden());
  one_file->setChecked(true);

  UserToggle(1);
  QCOMPARE(Ticks(), QList<bool>({true, false}));
  QCOMPARE(Status(), QString("1 file(s) selected, 2 file(s) in the list."));
  QVERIFY(one_file->isHidden());
  QVERIFY(one_file->isChecked());
  UserToggle(1);
  QVERIFY(!one_file->isHidden());

  // A mouse click on an item's box makes it current, shows its folder and toggles it.
  ShowWindow();
  const QRect row = List()->visualItemRect(List()->item(1));
  QTest::mouseClick(List()->viewport(), Qt::LeftButton, {},
                    QPoint(row.left() + 10, row.center().y()));
  QCOMPARE(List()->currentRow(), 1);
  QCOMPARE(Child<QLabel>("lblDir")->text(), QString::fromStdString(folder.string()));
  QCOMPARE(Ticks(), QList<bool>({true, false}));
  QCOMPARE(window_->CheckedCount(), 1);

  // The box is ticked but hidden: the run writes a report beside the one ticked file.
  ChooseTagSet(MakeTagSet());
  Click("btnOK");
  QVERIFY2(platform_->errors.empty(),
           platform_->errors.empty() ? "" : platform_->errors[0].c_str());
  QVERIFY(fs::exists(folder / "a_result.htm"));
  QVERIFY(!fs::exists(folder / "b_result.htm"));
  QVERIFY(!fs::exists(folder / "result.htm"));
  QVERIFY(platform_->opened.empty());  // nothing opens unless the summary asks
}

void MainWindowTest::Filter() {
  const fs::path corpus = MakeFolder("Corpus", {"ABC.txt", "b.txt"});
  const fs::path other = MakeFolder("other", {"abc.txt", "d.txt"});
  ChooseFolder(corpus);
  ChooseFolder(other, TListChoice::kAdd);
  QCOMPARE(List()->count(), 4);
  auto* filter = Child<QLineEdit>("edtFileFilter");

  auto apply = [&](const QString& text) {
    filter->setText(text);
    Click("btnFilter");
  };
  apply("txt");
  QCOMPARE(Ticks(), QList<bool>({true, true, true, true}));
  QCOMPARE(List()->currentRow(), 3);
  QCOMPARE(Child<QLabel>("lblDir")->text(), QString::fromStdString(other.string()));

  apply("abc");  // letter case counts: ABC.txt stays unticked
  QCOMPARE(Ticks(), QList<bool>({false, false, true, false}));
  QCOMPARE(Status(), QString("1 file(s) selected, 4 file(s) in the list."));
  QVERIFY(Child<QCheckBox>("cbxOneFile")->isHidden());

  apply("  Corpus\t");  // trimmed, matched anywhere in the whole path
  QCOMPARE(Ticks(), QList<bool>({true, true, false, false}));
  QCOMPARE(List()->currentRow(), 1);
  QCOMPARE(Child<QLabel>("lblDir")->text(), QString::fromStdString(corpus.string()));

  apply("^X");  // nothing matches: the current item and the folder stay
  QCOMPARE(Ticks(), QList<bool>({false, false, false, false}));
  QCOMPARE(List()->currentRow(), 1);
  QCOMPARE(Child<QLabel>("lblDir")->text(), QString::fromStdString(corpus.string()));

  apply("(?i)abc");
  QCOMPARE(Ticks(), QList<bool>({true, false, true, false}));
  QVERIFY(platform_->errors.empty());
}

void MainWindowTest::BadFilterChangesNoTick() {
  ChooseFolder(MakeFolder("corpus", {"a.txt", "b.txt", "c.txt"}));
  ChooseTagSet(MakeTagSet());
  UserToggle(1);
  auto* filter = Child<QLineEdit>("edtFileFilter");
  filter->setText("*a");
  Click("btnFilter");
  // The error in words, with what to write instead and the engine's own message last.
  QCOMPARE(platform_->errors,
           std::vector<std::string>{
               "The pattern \"*a\" is not valid: a repeat sign (*, +, ? or {) stands where "
               "there is nothing to repeat (near character 1).\nIn a pattern \"*\" alone means "
               "\"repeat the character before\"; to match any text write \".*\", e.g. "
               "\".*anna.*\", and to find a real \"*\" write \"\\*\".\n(Pattern(comp): ?+*{ "
               "Follows Nothing (pos 1))"});
  QCOMPARE(Ticks(), QList<bool>({true, false, true}));
  QCOMPARE(Status(), QString("2 file(s) selected, 3 file(s) in the list."));
  QCOMPARE(window_->CheckedCount(), 2);
  QVERIFY(Enabled("btnOK"));
  QVERIFY(!Child<QCheckBox>("cbxOneFile")->isHidden());
}

void MainWindowTest::EnterInTheFilterBox() {
  ChooseFolder(MakeFolder("corpus", {"a.txt", "b.txt"}));
  auto* filter = Child<QLineEdit>("edtFileFilter");
  auto* button = Child<QPushButton>("btnFilter");
  QTest::keyClicks(filter, " \t ");
  QVERIFY(!button->isEnabled());
  QTest::keyClick(filter, Qt::Key_Return);
  QCOMPARE(Ticks(), QList<bool>({true, true}));

  filter->clear();
  QTest::keyClicks(filter, "b\\.");
  QVERIFY(button->isEnabled());
  QTest::keyClick(filter, Qt::Key_Return);
  QCOMPARE(Ticks(), QList<bool>({false, true}));
  QCOMPARE(filter->text(), QString("b\\."));
  filter->clear();
  QTest::keyClicks(filter, "/a\\.txt");    // not just "a": the temporary folder's name may hold one
  QTest::keyClick(filter, Qt::Key_Enter);  // the keypad's Enter as well
  QCOMPARE(Ticks(), QList<bool>({true, false}));
}

void MainWindowTest::TagSetChoiceShowsItsTags() {
  const fs::path sets = MakeFolder("sets", {});
  const fs::path first = sets / "first.ini";
  std::ofstream(first) << "[Emotion]\nbegin=[EMO]\nend=[/EMO]\ncolor=0000FF\n[-]\n"
                          "[Place]\nbegin=<p>\nend=</p>\ncolor=00FF00\n";
  ChooseTagSet(first);
  QCOMPARE(platform_->file_calls.size(), size_t{1});
  QCOMPARE(platform_->file_calls[0].title_or_filter,
           std::string("Morrow Farrowdale tag set (*.ini)|*.ini"));
  QCOMPARE(platform_->file_calls[0].start, fs::path(QDir::homePath().toStdString()));
  auto* label = Child<TActiveLabel>("lbTagSetFile");
  QCOMPARE(label->text(), QString("first.ini"));
  QCOMPARE(label->toolTip(), QString::fromStdString(first.string()));

  // Its tags, the separator left out: name, colour swatch, begin and end markers.
  auto* tags = Child<QTreeWidget>("tvTags");
  QCOMPARE(tags->topLevelItemCount(), 2);
  QCOMPARE(tags->topLevelItem(0)->text(0), QString("Emotion"));
  QCOMPARE(tags->topLevelItem(0)->text(1), QString("[EMO]"));
  QCOMPARE(tags->topLevelItem(0)->text(2), QString("[/EMO]"));
  QCOMPARE(tags->topLevelItem(1)->text(0), QString("Place"));
  const QImage swatch = tags->topLevelItem(0)->icon(0).pixmap(12, 12).toImage();
  QCOMPARE(QColor(swatch.pixel(6, 6)), QColor(Qt::blue));  // as the reports show 0000FF

  // Cancelling the next choice keeps the first; the dialog starts in its folder.
  platform_->file_answers.push_back(std::nullopt);
  Click("btnSelTag");
  QCOMPARE(platform_->file_calls[1].start, sets);
  QCOMPARE(label->text(), QString("first.ini"));

  // A tag set without tags says so.
  const fs::path empty = sets / "empty.ini";
  std::ofstream(empty) << "; nothing\n";
  ChooseTagSet(empty);
  QCOMPARE(tags->topLevelItemCount(), 1);
  QCOMPARE(tags->topLevelItem(0)->text(0), QString("No tags in this file"));

  // One that cannot be read is not chosen.
  ChooseTagSet(MakeTagSet("[Bad]\nbegin=<b>\nend=</b>\ncolor=nothex\n"));
  QCOMPARE(platform_->errors.size(), size_t{1});
  QCOMPARE(label->text(), QString("empty.ini"));

  // A name too long for the label is shortened in the middle.
  ShowWindow();
  const std::string long_name = "a_very_long_tag_set_name_for_the_interview_study_2026.ini";
  std::ofstream(sets / long_name) << "[E]\nbegin=<e>\nend=</e>\n";
  ChooseTagSet(sets / long_name);
  QCOMPARE(label->text(), QString::fromStdString(long_name));
  const QString shown = label->ShownText();
  QVERIFY2(shown.contains(QChar(0x2026)), qPrintable(shown));
  QVERIFY(shown.startsWith("a_very"));
  QVERIFY(shown.endsWith(".ini"));
}

void MainWindowTest::SettingsAreRemembered() {
  const fs::path corpus = MakeFolder("corpus", {"a.txt", "b.txt"});
  const fs::path tags = MakeTagSet();
  ChooseFolder(corpus);
  ChooseTagSet(tags);
  Child<QCheckBox>("cbxOneFile")->setChecked(true);
  Child<QCheckBox>("cbxTables")->setChecked(true);
  Child<QCheckBox>("cbxSubFolders")->setChecked(true);
  Child<QAction>("actFoldSpace")->setChecked(true);
  Child<QAction>("actFoldCase")->setChecked(true);
  window_->resize(900, 620);
  window_->move(40, 30);
  ShowWindow();
  QVERIFY(window_->close());

  // The next session: the boxes and the tag set are back, the dialogs start where the user was.
  window_ = std::make_unique<TMainWindow>(*platform_);
  QVERIFY(Child<QCheckBox>("cbxOneFile")->isChecked());
  QVERIFY(Child<QCheckBox>("cbxTables")->isChecked());
  QVERIFY(Child<QCheckBox>("cbxSubFolders")->isChecked());
  QVERIFY(Child<QAction>("actFoldSpace")->isChecked());
  QVERIFY(Child<QAction>("actFoldCase")->isChecked());
  QVERIFY(!Child<QAction>("actStrict")->isChecked());
  QCOMPARE(Child<QLabel>("lbTagSetFile")->text(), QString("tags.ini"));
  QCOMPARE(Child<QTreeWidget>("tvTags")->topLevelItemCount(), 1);
  platform_->folder_answers.push_back(std::nullopt);
  Click("btnChoseText");
  QCOMPARE(platform_->folder_calls.back().start, corpus);
  window_->ShowAsLastTime();
  QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
  QCOMPARE(window_->size(), QSize(900, 620));
  QVERIFY(!window_->isMaximized());
  // With "Include sub-folders" ticked, a folder adds its sub-folders' texts, by their path;
  // they replace the list remembered from the last session.
  MakeFolder("corpus/wave1", {"c.txt"});
  ChooseFolder(corpus, TListChoice::kReplace);
  QCOMPARE(List()->count(), 3);
  QCOMPARE(List()->item(2)->text(), QString("wave1/c.txt"));
  window_->close();

  // A remembered tag set that has gone is forgotten without a word.
  fs::remove(tags);
  window_ = std::make_unique<TMainWindow>(*platform_);
  QVERIFY(Child<QLabel>("lbTagSetFile")->text().isEmpty());
  QVERIFY(platform_->errors.empty());
  // No geometry remembered: the window opens maximised.
  QSettings().remove("geometry");
  window_->ShowAsLastTime();
  QVERIFY(window_->windowState() & Qt::WindowMaximized);
}

void MainWindowTest::FileListIsRemembered() {
  const fs::path corpus = MakeFolder("corpus", {"a.txt", "b.txt", "c.txt"});
  const fs::path other = MakeFolder("other", {"x.txt"});
  ChooseFolder(corpus);
  ChooseFolder(other, TListChoice::kAdd);
  ChooseTagSet(MakeTagSet());
  UserToggle(1);  // also shows the first folder again
  window_.reset();

  // b.txt stays unticked, the second folder's file keeps its full name, and the folder
  // label is where the user left it; c.txt has gone and is named once, then forgotten.
  fs::remove(corpus / "c.txt");
  window_ = std::make_unique<TMainWindow>(*platform_);
  QCOMPARE(List()->count(), 3);
  QCOMPARE(List()->item(0)->text(), QString("a.txt"));
  QCOMPARE(List()->item(2)->text(), QString::fromStdString((other / "x.txt").string()));
  QCOMPARE(Ticks(), QList<bool>({true, false, true}));
  QCOMPARE(Status(), QString("2 file(s) selected, 3 file(s) in the list."));
  QCOMPARE(Child<QLabel>("lblDir")->text(), QString::fromStdString(corpus.string()));
  QVERIFY(Enabled("btnOK"));
  QCOMPARE(platform_->messages.size(), size_t{1});
  QVERIFY(platform_->messages[0].find((corpus / "c.txt").string()) != std::string::npos);
  window_ = std::make_unique<TMainWindow>(*platform_);
  QCOMPARE(platform_->messages.size(), size_t{1});
  QCOMPARE(List()->count(), 3);
}

void MainWindowTest::Drops() {
  const fs::path corpus = MakeFolder("corpus", {"a.txt", "b.txt"});
  const fs::path loose = MakeFolder("loose", {"x.TXT", "y.pdf"});
  QWidget* list = List()->viewport();
  Drop(list, {corpus});
  QCOMPARE(List()->count(), 2);
  QVERIFY(platform_->questions.empty());  // a drop adds, it asks nothing
  Drop(list, {loose / "x.TXT", loose / "y.pdf"});
  QCOMPARE(List()->count(), 3);
  QCOMPARE(List()->item(2)->toolTip(), QString::fromStdString((loose / "x.TXT").string()));
  QCOMPARE(platform_->messages,
           std::vector<std::string>{"Only folders and .txt files can be added to the list. "
                                    "Not added:\n" +
                                    (loose / "y.pdf").string()});
  QCOMPARE(Status(), QString("3 file(s) selected, 3 file(s) in the list."));
  Drop(list, {loose / "y.pdf"});  // refused at the door: nothing to add
  QCOMPARE(platform_->messages.size(), size_t{1});

  // An .ini file on the tag set group chooses it; anything else is refused.
  const fs::path tags = MakeTagSet();
  Drop(Child<QGroupBox>("gbTagSet"), {loose / "x.TXT"});
  QVERIFY(Child<QLabel>("lbTagSetFile")->text().isEmpty());
  Drop(Child<QGroupBox>("gbTagSet"), {tags});
  QCOMPARE(Child<QLabel>("lbTagSetFile")->text(), QString("tags.ini"));
  QVERIFY(Enabled("btnOK"));
}

void MainWindowTest::RunSummaryAndItsButtons() {
  const fs::path folder = MakeFolder("corpus", {"a.txt", "b.txt"});
  ChooseFolder(folder);
  ChooseTagSet(MakeTagSet("[Entity]\nbegin=<e>\nend=</e>\ncolor=00FF00\n[-]\n"));
  Child<QCheckBox>("cbxOneFile")->setChecked(true);
  ShowWindow();

  platform_->tick_step = 50;
  bool enabled_during_summary = false;
  int progress = -1;
  platform_->on_message = [&] {
    enabled_during_summary = window_->isEnabled();
    progress = Child<QProgressBar>("pbRun")->value();
  };
  platform_->summary_answers.push_back(TSummaryAction::kOpenReport);
  Click("btnOK");

  QVERIFY2(platform_->errors.empty(),
           platform_->errors.empty() ? "" : platform_->errors[0].c_str());
  QVERIFY(platform_->messages.empty());
  QCOMPARE(platform_->summaries.size(), size_t{1});
  const TRunSummaryText& summary = platform_->summaries[0];
  QCOMPARE(summary.facts,
           (std::vector<std::string>{"Files counted: 2", "Passages found: 4",
                                     "Report written: " + (folder / "result.htm").string(),
                                     "0.05 second(s) used."}));
  QVERIFY(summary.problems.empty());
  QVERIFY(summary.has_report);
  QVERIFY(enabled_during_summary);
  QCOMPARE(progress, 2);
  QVERIFY(Child<QProgressBar>("pbRun")->isHidden());
  QCOMPARE(platform_->opened, std::vector<fs::path>{folder / "result.htm"});
  QVERIFY(fs::file_size(folder / "result.htm") > 100);
  QCOMPARE(window_->TagSet().size(), size_t{2});
  // Nothing the run reads is changed by it.
  QCOMPARE(Ticks(), QList<bool>({true, true}));
  QVERIFY(Enabled("btnOK"));

  // Per file: "Open Folder" opens the reports' folder; Close opens nothing.
  Child<QCheckBox>("cbxOneFile")->setChecked(false);
  platform_->summary_answers = {TSummaryAction::kOpenFolder, TSummaryAction::kClose};
  Click("btnOK");
  QCOMPARE(platform_->summaries[1].facts[2],
           "Reports written: 2, each beside its text file, in " + folder.string());
  QCOMPARE(platform_->opened.back(), folder);
  Click("btnOK");
  QCOMPARE(platform_->opened.size(), size_t{2});

  // With tables: every file written is listed, reports first; an open the desktop refuses is
  // told with its path, and the summary's buttons still work after it.
  Child<QCheckBox>("cbxTables")->setChecked(true);
  platform_->shell_open_works = false;
  platform_->summary_answers = {TSummaryAction::kOpenReport};
  Click("btnOK");
  const std::vector<TWrittenFile>& written = platform_->summaries.back().written;
  QCOMPARE(written.size(), size_t{5});
  QCOMPARE(written[0].path, folder / "a_result.htm");
  QCOMPARE(written[1].path, folder / "b_result.htm");
  QCOMPARE(written[2].path, folder / "result_counts.csv");
  QCOMPARE(written[3].path, folder / "result_passages.csv");
  QCOMPARE(written[4].path, folder / "result_cooccurrence.csv");
  QVERIFY(written[1].kind == TWrittenKind::kReport && written[2].kind == TWrittenKind::kTable);
  QCOMPARE(platform_->open_failures, std::vector<fs::path>{folder / "a_result.htm"});
  platform_->hooks.open(platform_->summaries.back().folder);
  QCOMPARE(platform_->open_failures.back(), folder);

  // Closing the window lets go of the tag table.
  QVERIFY(window_->close());
  QVERIFY(window_->TagSet().empty());
}

void MainWindowTest::RunThatFails() {
  const fs::path folder = MakeFolder("corpus", {"a.txt", "b.txt"});
  ChooseFolder(folder);
  ChooseTagSet(MakeTagSet());
  fs::remove(folder / "b.txt");
  Click("btnOK");

  QCOMPARE(platform_->errors.size(), size_t{1});
  const std::string& error = platform_->errors[0];
  QVERIFY2(error.rfind("Cannot open file \"" + (folder / "b.txt").string() + "\". ", 0) == 0,
           error.c_str());
  QCOMPARE(error.back(), '.');
  QVERIFY(platform_->summaries.empty());
  QVERIFY(platform_->opened.empty());
  QVERIFY(window_->isEnabled());
  QVERIFY(Child<QProgressBar>("pbRun")->isHidden());
  // A run's reports are put in place together: the failing file stops a's too.
  QVERIFY(!fs::exists(folder / "a_result.htm"));
}

void MainWindowTest::CancelInMidRunLeavesEveryOutputAsItWas() {
  const fs::path folder = MakeFolder("corpus", {"a.txt", "b.txt", "c.txt"});
  for (const char* name : {"a_result.htm", "b_result.htm", "result_counts.csv"}) {
    std::ofstream(folder / name) << "the last run's " << name;
  }
  ChooseFolder(folder);
  ChooseTagSet(MakeTagSet());
  Child<QCheckBox>("cbxTables")->setChecked(true);
  ShowWindow();

  // The user sees the run's own controls, and presses Cancel once the first file is done.
  auto* cancel = Child<QPushButton>("btnCancelRun");
  auto* progress = Child<QProgressBar>("pbRun");
  QStringList seen;
  bool list_enabled = true;
  connect(progress, &QProgressBar::valueChanged, this, [&](int value) {
    seen << Child<QLabel>("lblRunFile")->text();
    list_enabled = List()->isEnabled();
    if (value == 1) QTest::mouseClick(cancel, Qt::LeftButton);
  });
  QVERIFY(cancel->isHidden());
  Click("btnOK");

  // At the start a.txt; once it is done, b.txt; no further.
  QCOMPARE(seen, QStringList({"Counting a.txt", "Counting b.txt"}));
  QVERIFY(!list_enabled);
  QVERIFY(platform_->summaries.empty());
  QVERIFY(platform_->errors.empty());
  QCOMPARE(platform_->messages,
           std::vector<std::string>{"The run was cancelled; no report or table was written."});
  for (const char* name : {"a_result.htm", "b_result.htm", "result_counts.csv"}) {
    std::ifstream in(folder / name);
    std::string text;
    std::getline(in, text);
    QCOMPARE(text, std::string("the last run's ") + name);
  }
  QVERIFY(!fs::exists(folder / "c_result.htm"));
  QVERIFY(!fs::exists(folder / "result_passages.csv"));
  // Only the reports and tables of the folder: no temporary file is left behind.
  QCOMPARE(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 6);
  // The window is back as it was; the next run is not cancelled.
  QVERIFY(cancel->isHidden());
  QVERIFY(!Child<QPushButton>("btnOK")->isHidden());
  QVERIFY(Enabled("btnOK") && List()->isEnabled());
  progress->disconnect(this);
  Click("btnOK");
  QCOMPARE(platform_->summaries.size(), size_t{1});
  QVERIFY(fs::file_size(folder / "c_result.htm") > 100);
}

// A run that finds its folder locked by another run says so in the run's label, painted
// before it blocks, and goes on once the lock is gone.
void MainWindowTest::WaitingForAnotherRunShowsInTheRunLabel() {
  const fs::path folder = MakeFolder("corpus", {"a.txt"});
  ChooseFolder(folder);
  ChooseTagSet(MakeTagSet());
  ShowWindow();
  std::optional<TFolderLock> other(std::in_place, folder, EFolderWait::kWait, [] {});
  const QString waiting =
      QString::fromStdString("waiting for another run writing in " + folder.string());
  // Polled whenever the run lets events through: its label's texts, in order.
  QStringList seen;
  std::atomic<bool> saw_waiting = false;
  QTimer poll;
  connect(&poll, &QTimer::timeout, this, [&] {
    const QString text = Child<QLabel>("lblRunFile")->text();
    if (seen.isEmpty() || seen.back() != text) seen << text;
    if (text == waiting) saw_waiting = true;
  });
  poll.start(0);
  // Lets go of the lock once the label says the run waits, or after 5 s in any case.
  std::thread releaser([&] {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!saw_waiting && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    other.reset();
  });
  Click("btnOK");
  releaser.join();
  poll.stop();

  QVERIFY(seen.contains(waiting));
  QVERIFY(seen.indexOf(waiting) < seen.indexOf(QStringLiteral("Writing the results")));
  QCOMPARE(platform_->summaries.size(), size_t{1});
  QVERIFY(fs::exists(folder / "a_result.htm"));
}

void MainWindowTest::UserGuideAndCheckMarkers() {
  // F1 opens the installed guide, found from the program's folder.
  const fs::path prefix = MakeFolder("prefix", {});
  fs::create_directories(prefix / "bin");
  fs::create_directories(prefix / "share/doc/farrowdale");
  std::ofstream(prefix / "share/doc/farrowdale/guide.md") << "# Guide\n";
  platform_->template_folder = prefix / "bin";
  window_->findChild<QAction*>("actUserGuide")->trigger();
  QCOMPARE(platform_->guides, std::vector<fs::path>{prefix / "share/doc/farrowdale/guide.md"});
  QVERIFY(platform_->opened.empty());  // the program's own help window, no desktop opener

  // Check Markers checks the ticked files only, and lists what it finds in a dialog.
  auto* check = window_->findChild<QAction*>("actCheckMarkers");
  const fs::path folder = MakeFolder("corpus", {"a.txt", "b.txt"});
  ChooseFolder(folder);
  QVERIFY(!check->isEnabled());  // no tag set yet
  const fs::path tags = MakeTagSet();
  ChooseTagSet(tags);
  QVERIFY(check->isEnabled());
  std::ofstream(folder / "a.txt") << "one\n<e>alpha</e>\n  <e>beta\n";
  std::ofstream(folder / "b.txt") << "<e>never checked\n";
  UserToggle(1);
  check->trigger();
  QCOMPARE(platform_->checks.size(), size_t{1});
  const TMarkerCheckText& found = platform_->checks[0];
  QCOMPARE(found.summary, std::string("1 problem in 1 of 1 file"));
  QCOMPARE(found.problems.size(), size_t{1});
  QCOMPARE(found.problems[0].path, (folder / "a.txt").string());
  QCOMPARE(found.problems[0].line, 3);
  QCOMPARE(found.problems[0].column, 3);
  QVERIFY(!found.problems[0].is_error);
  QVERIFY2(found.problems[0].message.find("<e>") != std::string::npos,
           found.problems[0].message.c_str());
  QVERIFY(platform_->messages.empty());

  // A clean file: the summary line alone.
  std::ofstream(folder / "a.txt") << "<e>alpha</e>\n";
  check->trigger();
  QCOMPARE(platform_->checks.back().summary, std::string("no problems in 1 file"));
  QVERIFY(platform_->checks.back().problems.empty());

  // The check the window is given is the one it runs, with the tag set and the ticked files.
  std::vector<fs::path> checked_files;
  fs::path checked_tags;
  window_->SetMarkerChecker([&](const fs::path& tag_set, const std::vector<fs::path>& files) {
    checked_tags = tag_set;
    checked_files = files;
    return TCheckResult{};
  });
  check->trigger();
  QCOMPARE(checked_tags, tags);
  QCOMPARE(checked_files, std::vector<fs::path>{folder / "a.txt"});
}

void MainWindowTest::ProblemOpensTheCodingView() {
  // Columns count characters: the two-byte "é" is one.
  const fs::path folder = MakeFolder("corpus", {"a.txt"});
  std::ofstream(folder / "a.txt") << "one\n<e>alpha</e> and <e>beta</e>\n\xC3\xA9 <e>gamma\n";
  ChooseFolder(folder);
  const fs::path tags = MakeTagSet("[Entity]\nbegin=<e>\nend=</e>\ncolor=00FF00\n");
  ChooseTagSet(tags);
  window_->findChild<QAction*>("actCheckMarkers")->trigger();
  QCOMPARE(platform_->checks.size(), size_t{1});
  const TProblemRow problem = platform_->checks[0].problems.at(0);
  QCOMPARE(problem.line, 3);
  QCOMPARE(problem.column, 3);

  // A double-click on the problem asks for the view of that file at that place.
  platform_->hooks.show_problem(problem);
  QCOMPARE(platform_->coding_views.size(), size_t{1});
  const TCodingViewTarget target = platform_->coding_views[0];
  QCOMPARE(target.file, folder / "a.txt");
  QCOMPARE(target.tag_set, tags);
  QCOMPARE(target.message, problem.message);

  // The view itself: the marker at line 3, column 3 selected, the passages counted and tinted.
  TCodingView view(target);
  const TCodingText* text = view.Text();
  const QTextCursor cursor = text->textCursor();
  QCOMPARE(cursor.selectedText(), QString("<e>"));
  QCOMPARE(cursor.block().blockNumber(), 2);
  QCOMPARE(cursor.selectionStart() - cursor.block().position(), 2);
  QCOMPARE(text->PassageCounts(), std::vector<int>{2});
  const int beta = text->toPlainText().indexOf("beta");
  QTextCursor at_beta(text->document());
  at_beta.setPosition(beta + 1);
  QVERIFY(at_beta.charFormat().background().style() != Qt::NoBrush);
  at_beta.setPosition(text->toPlainText().indexOf(" and ") + 2);
  QCOMPARE(at_beta.charFormat().background().style(), Qt::NoBrush);
  QCOMPARE(view.findChild<QLabel*>("lblCodingMessage")->text().toStdString(), problem.message);

  // "Show Coding" on a list item opens the same view at the top of that file.
  List()->setCurrentRow(0);
  window_->findChild<QAction*>("actShowCoding")->trigger();
  QCOMPARE(platform_->coding_views.size(), size_t{2});
  QCOMPARE(platform_->coding_views[1].file, folder / "a.txt");
  QCOMPARE(platform_->coding_views[1].line, 0);
}

void MainWindowTest::TagSetEditorHookedUp() {
  auto* edit = window_->findChild<QAction*>("actEditTagSet");
  QVERIFY(window_->findChild<QAction*>("actNewTagSet")->isEnabled());
  QVERIFY(!edit->isEnabled() && !Enabled("btnEditTagSet"));  // nothing to edit yet
  const fs::path folder = MakeFolder("corpus", {"a.txt", "b.txt"});
  ChooseFolder(folder);
  UserToggle(0);
  // A new tag set, saved, is the chosen one; the ticked files are offered for the preview.
  const fs::path made = MakeTagSet("[Q]\nbegin=\\(q\\)\nend=\\(/q\\)\ncolor=00FF00\n");
  platform_->editor_answers.push_back(made);
  window_->findChild<QAction*>("actNewTagSet")->trigger();
  QCOMPARE(platform_->editor_calls.size(), size_t{1});
  QCOMPARE(platform_->editor_calls[0].first, fs::path());
  QCOMPARE(platform_->editor_calls[0].second, std::vector<fs::path>{folder / "b.txt"});
  QCOMPARE(Child<QLabel>("lbTagSetFile")->text(), QString("tags.ini"));
  QVERIFY(edit->isEnabled() && Enabled("btnEditTagSet"));
  // Closing the editor without saving changes nothing.
  Click("btnEditTagSet");
  QCOMPARE(platform_->editor_calls.back().first, made);

  // A tag set with problems asks first: Cancel and Edit do not count, Count Anyway does.
  ChooseTagSet(MakeTagSet("[A]\nbegin=<a>\nend=</a>\ncolour=FF0000\n"));
  platform_->problem_answers = {TTagSetProblemChoice::kCancel, TTagSetProblemChoice::kEditTagSet,
                                TTagSetProblemChoice::kCountAnyway};
  Click("btnOK");
  QVERIFY(platform_->summaries.empty());
  QCOMPARE(platform_->problem_questions.size(), size_t{1});
  QCOMPARE(platform_->problem_questions[0].size(), size_t{1});
  QCOMPARE(platform_->problem_questions[0][0].line, 4);
  const size_t edits = platform_->editor_calls.size();
  Click("btnOK");
  QVERIFY(platform_->summaries.empty());
  QCOMPARE(platform_->editor_calls.size(), edits + 1);
  Click("btnOK");
  QCOMPARE(platform_->summaries.size(), size_t{1});
}

// Load -> edit -> save -> load through the editor itself: plain markers escaped, patterns as
// typed, the old file's comments, unknown key and separator kept, the preview counting as the
// run would.
void MainWindowTest::TagSetEditorRoundTrip() {
  const fs::path corpus = MakeFolder("corpus", {"a.txt"});
  std::ofstream(corpus / "a.txt") << "[EMO]glad[/EMO] and (q)why(/q) and (q)how(/q)\n";
  const fs::path file = MakeTagSet(
      "; our codebook\n[EMO]\nnote=keep\nbegin=\\[EMO\\]\nend=\\[/EMO\\]\ncolor=FF0000\n"
      "[-]\n; questions\n");
  TTagSetEditor editor(file, {corpus / "a.txt"});
  QCOMPARE(editor.PreviewCounts(), std::vector<int>{1});
  const int q = editor.AddRow("Q", "(q)", "(/q)", "00FF00");  // plain text: found as typed
  QCOMPARE(editor.PreviewCounts(), (std::vector<int>{1, 2}));
  QVERIFY(editor.RowProblem(q).isEmpty());
  const int bad = editor.AddRow("bad", "*a", "b", "000000", TMarkerKind::kPattern);
  QVERIFY2(editor.RowProblem(bad).startsWith("The pattern \"*a\" is not valid"),
           qPrintable(editor.RowProblem(bad)));
  QCOMPARE(editor.PreviewCounts(), (std::vector<int>{1, 2}));  // the others still shown
  auto* table = editor.findChild<QTableWidget*>("tblTags");
  table->removeRow(bad);
  editor.SaveTo(file);

  std::ifstream in(file, std::ios::binary);
  const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  QVERIFY2(bytes.starts_with("; our codebook\r\n[EMO]\r\nnote=keep\r\n"), bytes.c_str());
  QVERIFY2(bytes.find("\r\n[-]\r\n; questions\r\n[Q]\r\n") != std::string::npos, bytes.c_str());
  TTagArray loaded;
  LoadTagSet(TIniFile(file), loaded);
  QCOMPARE(loaded.size(), size_t{3});
  QCOMPARE(loaded[0].BeginMark, std::string("\\[EMO\\]"));
  QCOMPARE(loaded[1].Name, std::string("-"));
  QCOMPARE(loaded[2].BeginMark, std::string("(q)"));  // the run escapes its parentheses
  QCOMPARE(loaded[2].EndMark, std::string("\\(/q\\)"));
  QCOMPARE(loaded[2].Color, std::string("00FF00"));
  // Opened again, the editor shows and writes the same tags.
  TTagSetEditor again(file, {});
  const std::vector<TTagEntry> first = editor.Entries();
  const std::vector<TTagEntry> second = again.Entries();
  QCOMPARE(second.size(), first.size());
  for (size_t i = 0; i < first.size(); ++i) {
    QCOMPARE(second[i].name, first[i].name);
    QCOMPARE(second[i].begin, first[i].begin);
    QCOMPARE(second[i].end, first[i].end);
    QCOMPARE(second[i].color, first[i].color);
  }
}

// The check's findings stand beside the row of their tag, past separators (rows of their
// own) and after moves.
void MainWindowTest::TagSetEditorShowsProblemsBesideTheirRows() {
  const fs::path file =
      MakeTagSet("[a]\nbegin=<a>\nend=</a>\n[-]\n[b]\nbegin=<b>\nend=</b>\ncolour=FF0000\n");
  TTagSetEditor editor(file, {});
  QVERIFY(editor.RowProblem(0).isEmpty());
  QVERIFY(editor.RowProblem(1).isEmpty());  // the separator's row
  QVERIFY2(editor.RowProblem(2).contains("colour"), qPrintable(editor.RowProblem(2)));
  auto* table = editor.findChild<QTableWidget*>("tblTags");
  table->setCurrentCell(2, 0);
  QTest::mouseClick(editor.findChild<QPushButton*>("btnMoveUp"), Qt::LeftButton);
  QTest::mouseClick(editor.findChild<QPushButton*>("btnMoveUp"), Qt::LeftButton);
  const std::vector<TTagEntry> moved = editor.Entries();
  QCOMPARE(moved.at(0).name, std::string("b"));
  QCOMPARE(moved.at(2).name, std::string("-"));
  QCOMPARE(moved.at(2).begin, std::string());
  QVERIFY(editor.RowProblem(0).contains("colour"));
  QVERIFY(editor.RowProblem(1).isEmpty());
  // The separator's controls stay locked on its row, the tags' open on theirs.
  QVERIFY(!table->cellWidget(2, 3)->isEnabled());
  QVERIFY(table->cellWidget(1, 3)->isEnabled());
  QVERIFY(!(table->item(2, 0)->flags() & Qt::ItemIsEditable));
  // A row without markers says so.
  const int empty = editor.AddRow("c", "", "", "000000");
  QCOMPARE(editor.RowProblem(empty), QString("A tag needs a begin and an end marker."));
}

void MainWindowTest::RunSummaryListsMarkerProblems() {
  const fs::path folder = MakeFolder("corpus", {"a.txt", "b.txt", "c.txt"});
  std::ofstream(folder / "b.txt") << "<e>gamma</e>\n<e>delta\n";
  std::ofstream(folder / "c.txt") << "<e>not ticked\n";
  ChooseFolder(folder);
  ChooseTagSet(MakeTagSet("[Entity]\nbegin=<e>\nend=</e>\n[Twin]\nbegin=<e>\nend=</e>\n"));
  UserToggle(2);
  Click("btnOK");
  QVERIFY2(platform_->errors.empty(),
           platform_->errors.empty() ? "" : platform_->errors[0].c_str());
  QCOMPARE(platform_->summaries.size(), size_t{1});
  // The tag set's problem first, then the files' in file and line order; the unticked file
  // is not looked at.
  const std::vector<TProblemRow>& problems = platform_->summaries[0].problems;
  QCOMPARE(problems.size(), size_t{2});
  QCOMPARE(problems[0].path, (folder.parent_path() / "sets/tags.ini").string());
  QCOMPARE(problems[0].line, 4);
  QVERIFY(problems[0].message.find("same markers") != std::string::npos);
  QCOMPARE(problems[1].path, (folder / "b.txt").string());
  QCOMPARE(problems[1].line, 2);
  QCOMPARE(problems[1].column, 1);

  // The summary shows the check the run made of its own files: nothing is checked again. A
  // marker the check cannot search for alone in a file (a search too complex for the engine)
  // is an error of that file in the summary, in a group of its own; the run counted the file
  // and its report stands.
  window_->SetMarkerChecker([](const fs::path&, const std::vector<fs::path>&) -> TCheckResult {
    throw std::runtime_error("checked again");
  });
  ChooseTagSet(MakeTagSet("[Entity]\nbegin=<e>\nend=</e>\n[Heavy]\nbegin=<h>\nend=(a|aa)+\\1$\n"));
  std::ofstream(folder / "b.txt") << "<e>gamma</e>\n" << std::string(60, 'a') << "b\n";
  Click("btnOK");
  QVERIFY2(platform_->errors.empty(),
           platform_->errors.empty() ? "" : platform_->errors[0].c_str());
  QCOMPARE(platform_->summaries.size(), size_t{2});
  const TRunSummaryText& heavy = platform_->summaries[1];
  const auto failed = std::find_if(heavy.problems.begin(), heavy.problems.end(),
                                   [](const TProblemRow& row) { return row.is_error; });
  QVERIFY(failed != heavy.problems.end());
  QCOMPARE(failed->path, (folder / "b.txt").string());
  QVERIFY2(failed->message.find("Search Too Complex") != std::string::npos,
           failed->message.c_str());
  QVERIFY(std::any_of(heavy.groups.begin(), heavy.groups.end(), [](const TProblemGroup& group) {
    return group.kind == "marker search" && group.files == "1";
  }));
  QVERIFY(heavy.has_report);
  QVERIFY(fs::exists(folder / "b_result.htm"));
}

// The run summary's problem table after Count Now is the one a separate marker check of the
// same tag set and ticked files gives: random texts with stray, nested, unclosed and empty
// markers, passages that differ only in spacing or letter case (the grouping notes), and
// end markers that close other elements.
void MainWindowTest::RunSummaryShowsWhatASeparateCheckFinds() {
  const fs::path folder = MakeFolder("corpus", {});
  const std::vector<std::string> pieces = {"<e>",      "</e>", "<e>", "</e>", "x",     "\xC3\xA9",
                                           "\xC3\x89", "\n",   " ",   "<rs>", "</rs>", "<rs n>"};
  std::mt19937 rng(21);
  for (int f = 0; f < 10; ++f) {
    std::string text;
    for (size_t n = rng() % 50; n > 0; --n) text += pieces[rng() % pieces.size()];
    std::ofstream(folder / ("t" + std::to_string(f) + ".txt"))
        << text << "</e><e>x  y</e> <e>\xC3\xA9</e>\n";
  }
  std::ofstream(folder / "u.txt") << "<e>x y</e> <e>\xC3\x89</e>\n";
  ChooseFolder(folder);
  const fs::path tags =
      MakeTagSet("[Entity]\nbegin=<e>\nend=</e>\n[Name]\nbegin=<rs n>\nend=</rs>\n");
  ChooseTagSet(tags);
  UserToggle(0);  // t0.txt is not counted
  Click("btnOK");
  QVERIFY2(platform_->errors.empty(),
           platform_->errors.empty() ? "" : platform_->errors[0].c_str());
  QCOMPARE(platform_->summaries.size(), size_t{1});
  const TRunSummaryText& shown = platform_->summaries[0];

  std::vector<fs::path> ticked;
  for (int f = 1; f < 10; ++f) ticked.push_back(folder / ("t" + std::to_string(f) + ".txt"));
  ticked.push_back(folder / "u.txt");
  const TProblemTable checked =
      RunSummaryProblems({}, CheckCoding(tags, ticked, ReadFileForCheck, TCheckOptions{}));
  QVERIFY(checked.rows.size() > 10);
  QVERIFY(checked.notes.size() >= 3);  // spacing, letter case, end markers set apart
  QCOMPARE(shown.problems.size(), checked.rows.size());
  for (size_t i = 0; i < checked.rows.size(); ++i) {
    const TProblemRow& a = shown.problems[i];
    const TProblemRow& b = checked.rows[i];
    QCOMPARE(std::tie(a.path, a.line, a.column, a.is_error, a.message),
             std::tie(b.path, b.line, b.column, b.is_error, b.message));
  }
  QCOMPARE(shown.groups.size(), checked.groups.size());
  for (size_t i = 0; i < checked.groups.size(); ++i) {
    const TProblemGroup& a = shown.groups[i];
    const TProblemGroup& b = checked.groups[i];
    QCOMPARE(std::tie(a.tag, a.kind, a.count, a.files, a.first_place, a.rows, a.unlisted),
             std::tie(b.tag, b.kind, b.count, b.files, b.first_place, b.rows, b.unlisted));
  }
  QCOMPARE(shown.notes, checked.notes);
}

// The tag set is read once per Count Now: a file changed while the user is asked about its
// problems changes neither the run's tags nor the flags shown after it.
void MainWindowTest::CountNowKeepsTheTagSetItAskedAbout() {
  const fs::path folder = MakeFolder("corpus", {"a.txt"});
  std::ofstream(folder / "a.txt") << "<e>alpha</e> <o>omega</o>\n";
  ChooseFolder(folder);
  const fs::path tag_set =
      MakeTagSet("[Entity]\nbegin=<e>\nend=</e>\n[Twin]\nbegin=<e>\nend=</e>\n");
  ChooseTagSet(tag_set);
  platform_->on_problem_question = [&] {
    std::ofstream(tag_set, std::ios::trunc) << "[Other]\nbegin=<o>\nend=</o>\n";
  };
  Click("btnOK");
  platform_->on_problem_question = nullptr;
  QCOMPARE(platform_->problem_questions.size(), size_t{1});
  QVERIFY(platform_->problem_questions[0][0].message.find("same markers") != std::string::npos);
  QCOMPARE(platform_->summaries.size(), size_t{1});
  QCOMPARE(window_->TagSet().size(), size_t{2});
  QCOMPARE(window_->TagSet()[0].Name, std::string("Entity"));
  auto* tags = Child<QTreeWidget>("tvTags");
  QCOMPARE(tags->topLevelItemCount(), 2);
  QCOMPARE(tags->topLevelItem(1)->childCount(), 1);
  QVERIFY(tags->topLevelItem(1)->child(0)->text(0).startsWith("line 4: "));
}

// The check's table by tag and kind, in the check dialog and the run summary alike: a row
// per tag and kind with its count, files and first place, the problems listed under it and
// the line for those left out; the end markers that close other elements are a note.
void MainWindowTest::CheckTableHoldsTheLinesUnderEachRow() {
  const fs::path folder = MakeFolder("letters", {"a.txt", "b.txt"});
  std::ofstream(folder / "a.txt")
      << "<rs type=\"person\">Anna</rs> in <rs type=\"place\">Jena</rs>\n";
  {
    std::ofstream strays(folder / "a.txt", std::ios::app);
    for (int line = 0; line < 22; ++line) strays << "</date>\n";
  }
  std::ofstream(folder / "b.txt") << "<rs type=\"person\">Emil\n";
  ChooseFolder(folder);
  ChooseTagSet(MakeTagSet(
      "[person]\nbegin=<rs type=\"person\">\nend=</rs>\n[date]\nbegin=<date>\nend=</date>\n"));
  window_->findChild<QAction*>("actCheckMarkers")->trigger();
  QCOMPARE(platform_->checks.size(), size_t{1});
  const TMarkerCheckText& found = platform_->checks[0];
  QCOMPARE(found.summary, std::string("23 problems in 2 of 2 files"));

  const auto expect_table = [&](QWidget& dialog) {
    auto* table = dialog.findChild<QTreeWidget*>(QStringLiteral("problemTable"));
    QVERIFY(table != nullptr);
    QCOMPARE(table->topLevelItemCount(), 2);
    const QTreeWidgetItem* person = table->topLevelItem(0);
    QCOMPARE(person->text(0), QStringLiteral("person"));
    QCOMPARE(person->text(1), QStringLiteral("no end marker"));
    QCOMPARE(person->text(2), QStringLiteral("1"));
    QCOMPARE(person->text(3), QStringLiteral("1"));
    QCOMPARE(person->text(4), QString::fromStdString((folder / "b.txt").string() + ":1:1"));
    QCOMPARE(person->childCount(), 1);
    QCOMPARE(person->child(0)->text(0), QStringLiteral("b.txt"));
    const QTreeWidgetItem* date = table->topLevelItem(1);
    QCOMPARE(date->text(1), QStringLiteral("stray end marker"));
    QCOMPARE(date->text(2), QStringLiteral("22"));
    QCOMPARE(date->text(4), QString::fromStdString((folder / "a.txt").string() + ":2:1"));
    QCOMPARE(date->childCount(), 21);
    QCOMPARE(date->child(19)->text(1), QStringLiteral("21:1"));
    QVERIFY(date->child(19)->text(4).contains(QStringLiteral("\"</date>\" has no begin marker")));
    QCOMPARE(date->child(20)->text(4),
             QString::fromUtf8("\u2026 and 2 more: tag \"date\", stray end marker (use --all)"));
    auto* notes = dialog.findChild<QLabel*>(QStringLiteral("problemNotes"));
    QVERIFY(notes != nullptr);
    QCOMPARE(notes->text(), QStringLiteral("tag \"person\": 1 \"</rs>\" closes another <rs> "
                                           "element; not counted as problems"));
  };
  TMarkerCheckDialog check_dialog(found);
  expect_table(check_dialog);
  QVERIFY(check_dialog.findChild<QTreeWidget*>(QStringLiteral("problemList")) == nullptr);

  Click("btnOK");
  QCOMPARE(platform_->summaries.size(), size_t{1});
  TRunSummaryDialog summary_dialog(platform_->summaries[0], TResultHooks{});
  expect_table(summary_dialog);
}

void MainWindowTest::TagSetProblemsAreFlagged() {
  const fs::path file = MakeFolder("sets", {}) / "flawed.ini";
  std::ofstream(file) << "[Emotion]\nbegin=[EMO]\nend=[/EMO]\n"
                         "[Place]\nbegn=<p>\nend=</p>\n"
                         "[Clean]\nbegin=<c>\nend=</c>\n"
                         "[emotion]\nbegin=<x>\nend=</x>\n";
  ChooseTagSet(file);
  QVERIFY(platform_->errors.empty());
  auto* tags = Child<QTreeWidget>("tvTags");
  QCOMPARE(tags->topLevelItemCount(), 4);
  auto problems_of = [&](int row) {
    QStringList texts;
    QTreeWidgetItem* tag = tags->topLevelItem(row);
    for (int i = 0; i < tag->childCount(); ++i) {
      QTreeWidgetItem* problem = tag->child(i);
      if (problem->icon(0).isNull()) texts << "(no icon)";
      if (problem->toolTip(0) != problem->text(0)) texts << "(tooltip differs)";
      texts << problem->text(0);
    }
    return texts;
  };
  const QStringList emotion = problems_of(0);
  QCOMPARE(emotion.size(), 2);  // '[' in both markers
  QVERIFY2(emotion[0].startsWith("line 2: begin marker \"[EMO]\": '[' starts a set"),
           qPrintable(emotion[0]));
  QVERIFY(emotion[1].startsWith("line 3: end marker"));
  const QStringList place = problems_of(1);
  QCOMPARE(place.size(), 2);
  QVERIFY2(place[0].startsWith("line 4: tag \"Place\" has an end marker but no begin marker"),
           qPrintable(place[0]));
  QVERIFY2(place[1].contains("did you mean \"begin\"?"), qPrintable(place[1]));
  QVERIFY(problems_of(2).isEmpty());
  // The section the reader merges with [Emotion] is flagged where it stands.
  QCOMPARE(tags->topLevelItem(3)->text(0), QString("emotion"));
  const QStringList merged = problems_of(3);
  QCOMPARE(merged.size(), 1);
  QVERIFY2(merged[0].startsWith("line 10: section [emotion] differs only in letter case"),
           qPrintable(merged[0]));
  // The tag's own tooltip tells its problems as well.
  QVERIFY(tags->topLevelItem(1)->toolTip(0).contains("did you mean"));
  QVERIFY(tags->topLevelItem(0)->isExpanded());

  // A clean tag set flags nothing; the chosen file's label keeps the window's colour.
  ChooseTagSet(MakeTagSet());
  QCOMPARE(tags->topLevelItemCount(), 1);
  QCOMPARE(tags->topLevelItem(0)->childCount(), 0);
  QCOMPARE(Child<QLabel>("lbTagSetFile")->palette().color(QPalette::WindowText),
           window_->palette().color(QPalette::WindowText));

  // A tag set whose colour does not read, or that cannot be read, is not chosen: the error is
  // what reading its tags throws, and the tags shown stay those of the chosen file.
  const fs::path bad_colour = MakeFolder("bad", {}) / "colour.ini";
  std::ofstream(bad_colour) << "[A]\nbegin=<a>\nend=</a>\ncolor=zz\n";
  for (const fs::path& refused : {bad_colour, bad_colour.parent_path() / "absent.ini"}) {
    std::string thrown;
    try {
      TTagArray loaded;
      LoadTagSet(TIniFile(refused), loaded);
    } catch (const Error& error) {
      thrown = error.what();
    }
    QVERIFY(!thrown.empty());
    const size_t errors = platform_->errors.size();
    ChooseTagSet(refused);
    QCOMPARE(platform_->errors.size(), errors + 1);
    QCOMPARE(QString::fromStdString(platform_->errors.back()),
             QString::fromStdString(ErrorBoxText(thrown)));
    QCOMPARE(Child<QLabel>("lbTagSetFile")->text(), QString("tags.ini"));
    QCOMPARE(tags->topLevelItemCount(), 1);
  }
}

void MainWindowTest::AboutPicture() {
  QImageReader reader(QStringLiteral(":/farrowdale/about.jpg"));
  QCOMPARE(reader.format(), QByteArray("jpeg"));
  const QImage picture = LoadProgramPicture();
  QVERIFY(!picture.isNull());
  QCOMPARE(picture.size(), QSize(125, 125));
  QCOMPARE(Child<QLabel>("Image1")->pixmap().size(), QSize(125, 125));
  QVERIFY(Child<QPlainTextEdit>("Memo1")->toPlainText().contains("libjpeg-turbo"));
}

void MainWindowTest::CompareCodersFromTheMenu() {
  QAction* compare = window_->findChild<QAction*>("actCompareCoders");
  const fs::path first = MakeFolder("first", {});
  std::ofstream(first / "same.txt") << "<e>alpha</e> <e>beta</e> gamma\n";
  std::ofstream(first / "differs.txt") << "<e>one</e> two\n";
  std::ofstream(first / "only.txt") << "<e>alone</e>\n";
  const fs::path second = MakeFolder("second", {});
  std::ofstream(second / "same.txt") << "<e>alpha</e> beta gamma\n";
  std::ofstream(second / "differs.txt") << "<e>one</e> too\n";
  ChooseFolder(first);
  QVERIFY(!compare->isEnabled());  // no tag set yet
  ChooseTagSet(MakeTagSet());
  QVERIFY(compare->isEnabled());

  // Cancelling the folder question compares nothing.
  compare->trigger();
  QVERIFY(platform_->agreements.empty());
  QVERIFY(!fs::exists(first / "agreement.htm"));

  platform_->folder_answers.push_back(second);
  platform_->agreement_opens_report = true;
  compare->trigger();
  QVERIFY2(platform_->errors.empty(),
           qPrintable(QString::fromStdString(
               platform_->errors.empty() ? std::string() : platform_->errors.front())));
  QCOMPARE(platform_->agreements.size(), size_t{1});
  const TAgreementText& shown = platform_->agreements.front();
  QVERIFY(fs::exists(first / "agreement.htm") && fs::exists(first / "agreement.csv"));
  QVERIFY(!fs::exists(second / "agreement.htm"));
  QCOMPARE(platform_->opened, std::vector<fs::path>{first / "agreement.htm"});
  // Entity, then all tags; A coded two passages, B one, the one both coded matches.
  QCOMPARE(shown.rows.size(), size_t{2});
  QCOMPARE(shown.rows[0].front(), std::string("Entity"));
  QCOMPARE(shown.rows[1].front(), std::string("(all tags)"));
  const auto column = [&](const char* name) {
    const auto at = std::find(shown.columns.begin(), shown.columns.end(), name);
    if (at == shown.columns.end()) qFatal("no column %s", name);
    return shown.rows[0][static_cast<size_t>(at - shown.columns.begin())];
  };
  QCOMPARE(column("A passages"), std::string("2"));
  QCOMPARE(column("B passages"), std::string("1"));
  QCOMPARE(column("Matched"), std::string("1"));
  QVERIFY(column("Kappa") != "undefined");
  QCOMPARE(shown.not_compared.size(), size_t{2});
  QVERIFY(shown.not_compared[0].starts_with("differs.txt: the texts differ"));
  QVERIFY(shown.not_compared[1].starts_with("only.txt: only in the first"));
  QVERIFY(shown.summary.starts_with("1 of 3 files compared"));

  // A second folder that has gone is an error in the box, and nothing is shown.
  platform_->folder_answers.push_back(first.parent_path() / "gone");
  compare->trigger();
  QCOMPARE(platform_->errors.size(), size_t{1});
  QCOMPARE(platform_->agreements.size(), size_t{1});
}

void MainWindowTest::ExportProjectFromTheMenu() {
  QAction* exporting = window_->findChild<QAction*>("actExportProject");
  const fs::path corpus = MakeFolder("corpus", {"a.txt", "b.txt"});
  ChooseFolder(corpus);
  QVERIFY(!exporting->isEnabled());  // no tag set yet
  ChooseTagSet(MakeTagSet());
  QVERIFY(exporting->isEnabled());
  Click("btnClearSel");
  QVERIFY(!exporting->isEnabled());  // nothing ticked
  Click("btnSelAll");

  // Cancelling the save dialog writes nothing; it suggested a project named for the folder.
  exporting->trigger();
  QCOMPARE(platform_->save_calls.size(), size_t{1});
  QCOMPARE(platform_->save_calls[0].start, corpus / "corpus.qdpx");
  QVERIFY(platform_->messages.empty());

  const fs::path project = fs::path(temp_->path().toStdString()) / "out.qdpx";
  platform_->save_answers.push_back(project);
  exporting->trigger();
  QVERIFY2(platform_->errors.empty(),
           qPrintable(QString::fromStdString(
               platform_->errors.empty() ? std::string() : platform_->errors.front())));
  QCOMPARE(platform_->messages.size(), size_t{1});
  QVERIFY2(platform_->messages[0].starts_with("Exported 4 passage(s) of 2 file(s)"),
           platform_->messages[0].c_str());
  // The archive's directory names its entries in plain bytes.
  std::ifstream in(project, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  QVERIFY(bytes.starts_with("PK"));
  QVERIFY(bytes.find("project.qde") != std::string::npos);
  QVERIFY(Enabled("btnOK"));  // the window is back after the export

  // A folder in the way is an error in the box.
  platform_->save_answers.push_back(corpus);
  exporting->trigger();
  QCOMPARE(platform_->errors.size(), size_t{1});
  QCOMPARE(platform_->messages.size(), size_t{1});
}

}  // namespace farrowdale

QTEST_MAIN(farrowdale::MainWindowTest)
#include "main_window_test.moc"
