// The window driven through its controls with a fake platform, under the offscreen platform.
#include "app/form1.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QEnterEvent>
#include <QGroupBox>
#include <QHelpEvent>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>
#include <fstream>
#include <memory>

#include "app/about_page.h"
#include "app/active_label.h"
#include "app/fake_platform.h"
#include "text/code_page.h"

namespace farrowdale {

namespace fs = std::filesystem;

class Form1Test : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase();
  void init();
  void cleanup();

  void StateAtStart();
  void AnchorsMoveAndStretchControls();
  void FolderIntoEmptyList();
  void SameFolderAgainAnsweredNo();
  void AnsweredYesWithEmptyFolder();
  void FolderChoiceRefusesNothingCaseDiffers();
  void OneFileBoxFollowsTheTickCount();
  void ClearSelectionThenSelectAll();
  void Filter();
  void FilterWithBadPatternUnticksAndShowsTheError();
  void EnterInTheFilterBox();
  void TagSetChoiceThenCancel();
  void HintsOnHover();
  void RunWritesCombinedReport();
  void RunThatFails();
  void AboutPicture();

 private:
  template <typename T>
  T* Child(const char* name) {
    T* child = form_->findChild<T*>(QString::fromLatin1(name));
    if (child == nullptr) qFatal("no control %s", name);
    return child;
  }
  fs::path MakeFolder(const std::string& name, std::initializer_list<const char*> files);
  void ChooseFolder(const fs::path& folder, std::optional<bool> clear_answer = std::nullopt);
  void ChooseTagSet(const fs::path& file);
  QString Status() { return Child<QLabel>("lblFileInfo")->text(); }
  QListWidget* List() { return Child<QListWidget>("clbFileList"); }
  QList<bool> Ticks();
  // Toggles an item's tick the way the user does: make it current, press space.
  void UserToggle(int row);

  std::unique_ptr<QTemporaryDir> temp_;
  std::unique_ptr<TFakePlatform> platform_;
  std::unique_ptr<TForm1> form_;
};

void Form1Test::initTestCase() { SetSystemCodePage("UTF-8"); }

void Form1Test::init() {
  temp_ = std::make_unique<QTemporaryDir>();
  QVERIFY(temp_->isValid());
  platform_ = std::make_unique<TFakePlatform>();
  // The templates are copied beside every executable of the build, this test included.
  platform_->program_folder = QCoreApplication::applicationDirPath().toStdString();
  form_ = std::make_unique<TForm1>(*platform_);
}

void Form1Test::cleanup() {
  form_.reset();
  platform_.reset();
  temp_.reset();
}

fs::path Form1Test::MakeFolder(const std::string& name, std::initializer_list<const char*> files) {
  const fs::path folder = fs::path(temp_->path().toStdString()) / name;
  fs::create_directories(folder);
  for (const char* file : files) std::ofstream(folder / file) << "<e>alpha</e> <e>beta</e>\n";
  return folder;
}

void Form1Test::ChooseFolder(const fs::path& folder, std::optional<bool> clear_answer) {
  platform_->folder_answers.push_back(folder);
  if (clear_answer) platform_->confirm_answers.push_back(*clear_answer);
  QTest::mouseClick(Child<QPushButton>("btnChoseText"), Qt::LeftButton);
}

void Form1Test::ChooseTagSet(const fs::path& file) {
  platform_->file_answers.push_back(file);
  QTest::mouseClick(Child<QPushButton>("btnSelTag"), Qt::LeftButton);
}

QList<bool> Form1Test::Ticks() {
  QList<bool> ticks;
  for (int i = 0; i < List()->count(); ++i)
    ticks.append(List()->item(i)->checkState() == Qt::Checked);
  return ticks;
}

void Form1Test::UserToggle(int row) {
  List()->setCurrentRow(row);
  QTest::keyClick(List(), Qt::Key_Space);
}

void Form1Test::StateAtStart() {
  QCOMPARE(form_->windowTitle(), QString("Morrow Farrowdale 1.0"));
  QCOMPARE(form_->minimumSize(), QSize(780, 514));
  auto* pc = Child<QTabWidget>("pc");
  QCOMPARE(pc->count(), 2);
  QCOMPARE(pc->tabText(0), QString("Settings"));
  QCOMPARE(pc->tabText(1), QString("About"));
  QCOMPARE(pc->currentWidget(), Child<QWidget>("tabSettings"));

  QCOMPARE(Child<QPushButton>("btnChoseText")->text(), QString("Choose Folder"));
  QCOMPARE(Child<QPushButton>("btnFilter")->text(), QString("Filter"));
  QCOMPARE(Child<QPushButton>("btnSelAll")->text(), QString("Select All"));
  QCOMPARE(Child<QPushButton>("btnClearSel")->text(), QString("Clear Selection"));
  QCOMPARE(Child<QPushButton>("btnOK")->text(), QString("Count Now!"));
  QCOMPARE(Child<QPushButton>("btnSelTag")->text(), QString("Select File"));
  QCOMPARE(Child<QGroupBox>("gbTagSet")->title(), QString(" Code List "));
  QCOMPARE(Child<QCheckBox>("cbxOneFile")->text(), QString("Save Results as One File"));

  QVERIFY(Child<QPushButton>("btnChoseText")->isEnabled());
  QVERIFY(!Child<QPushButton>("btnOK")->isEnabled());
  QVERIFY(!Child<QGroupBox>("gbTagSet")->isEnabled());
  QVERIFY(!Child<QWidget>("plSettings")->isEnabled());
  QVERIFY(!Child<QPushButton>("btnFilter")->isEnabled());
  QVERIFY(!Child<QLabel>("lblDir")->isEnabled());
  QVERIFY(Child<QLabel>("lblDir")->text().isEmpty());
  QVERIFY(Status().isEmpty());
  QVERIFY(Child<QCheckBox>("cbxOneFile")->isHidden());
  QVERIFY(!Child<QCheckBox>("cbxOneFile")->isChecked());
  QCOMPARE(List()->count(), 0);
  QCOMPARE(form_->CheckedCount(), 0);

  QFont ok_font = Child<QPushButton>("btnOK")->font();
  QVERIFY(ok_font.bold());
  QCOMPARE(ok_font.pixelSize(), 19);
  QCOMPARE(Child<QLabel>("lbTagSetFile")->font().pixelSize(), 13);
  QCOMPARE(Child<QLabel>("lbTagSetFile")->alignment(), Qt::AlignCenter);
  QCOMPARE(form_->font().pixelSize(), 11);

  // Keyboard order on the settings page.
  const char* order[] = {"btnChoseText", "clbFileList", "btnFilter", "edtFileFilter", "btnClearSel",
                         "btnSelAll",    "btnOK",       "btnSelTag", "cbxOneFile"};
  QWidget* widget = Child<QWidget>(order[0]);
  for (size_t i = 1; i < std::size(order); ++i) {
    do {
      widget = widget->nextInFocusChain();
    } while (widget->focusPolicy() == Qt::NoFocus || !widget->objectName().startsWith(order[i][0]));
    QCOMPARE(widget->objectName(), QString(order[i]));
  }
}

void Form1Test::AnchorsMoveAndStretchControls() {
  ChooseFolder(MakeFolder("corpus", {"a.txt", "b.txt"}));  // shows the one-file box
  form_->resize(800, 540);
  form_->show();
  QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
  const char* names[] = {"btnChoseText", "clbFileList", "plSettings", "edtFileFilter",
                         "btnSelAll",    "btnOK",       "gbTagSet",   "cbxOneFile",
                         "btnClearSel",  "Memo1",       "Image1"};
  // The About page lays out only when shown; show it once so both pages have a geometry.
  Child<QTabWidget>("pc")->setCurrentIndex(1);
  QCoreApplication::processEvents();
  Child<QTabWidget>("pc")->setCurrentIndex(0);
  std::map<std::string, QRect> before;
  for (const char* name : names) before[name] = Child<QWidget>(name)->geometry();
  form_->resize(1000, 640);
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
  QCOMPARE(moved("edtFileFilter"), QRect(0, 0, 0, 0));  // relative to the panel
  QCOMPARE(moved("btnSelAll"), QRect(200, 0, 0, 0));
  QCOMPARE(moved("btnClearSel"), QRect(200, 0, 0, 0));
  QCOMPARE(moved("btnOK"), QRect(200, 100, 0, 0));
  QCOMPARE(moved("gbTagSet"), QRect(200, 0, 0, 0));
  QCOMPARE(moved("cbxOneFile"), QRect(200, 0, 0, 0));
  QCOMPARE(moved("Memo1"), QRect(0, 0, 200, 100));
  QCOMPARE(moved("Image1"), QRect(0, 0, 0, 0));
}

void Form1Test::FolderIntoEmptyList() {
  const fs::path folder = MakeFolder("corpus", {"b.txt", "a.txt", "c.TXT", "notes.md"});
  ChooseFolder(folder);

  QCOMPARE(platform_->folder_calls.size(), size_t{1});
  QCOMPARE(platform_->folder_calls[0].title_or_filter, std::string("Browse for Folder"));
  QCOMPARE(platform_->folder_calls[0].start, platform_->program_folder);
  QVERIFY(platform_->questions.empty());  // nothing to clear in an empty list
  QCOMPARE(List()->count(), 3);
  QCOMPARE(List()->item(0)->text(), QString::fromStdString((folder / "a.txt").string()));
  QCOMPARE(List()->item(1)->text(), QString::fromStdString((folder / "b.txt").string()));
  QCOMPARE(List()->item(2)->text(), QString::fromStdString((folder / "c.TXT").string()));
  QCOMPARE(Ticks(), QList<bool>({true, true, true}));
  QCOMPARE(Status(), QString("3 file(s) selected, 3 file(s) in the list."));
  QCOMPARE(form_->CheckedCount(), 3);
  QCOMPARE(Child<QLabel>("lblDir")->text(), QString::fromStdString(folder.string()));
  QVERIFY(Child<QLabel>("lblDir")->isEnabled());
  QVERIFY(Child<QWidget>("plSettings")->isEnabled());
  QVERIFY(Child<QGroupBox>("gbTagSet")->isEnabled());
  QVERIFY(!Child<QCheckBox>("cbxOneFile")->isHidden());
  QVERIFY(!Child<QPushButton>("btnOK")->isEnabled());
  QVERIFY(platform_->messages.empty());
  QVERIFY(platform_->errors.empty());

  // Cancelling the picker refreshes from the current ticks.
  {
    const QSignalBlocker quiet(List());  // a tick change no handler has seen
    List()->item(0)->setCheckState(Qt::Unchecked);
  }
  QCOMPARE(Status(), QString("3 file(s) selected, 3 file(s) in the list."));
  platform_->folder_answers.push_back(std::nullopt);
  QTest::mouseClick(Child<QPushButton>("btnChoseText"), Qt::LeftButton);
  QCOMPARE(Status(), QString("2 file(s) selected, 3 file(s) in the list."));
  QCOMPARE(form_->CheckedCount(), 2);
  QVERIFY(platform_->questions.empty());
}

void Form1Test::SameFolderAgainAnsweredNo() {
  const fs::path folder = MakeFolder("corpus", {"a.txt", "b.txt", "c.txt"});
  ChooseFolder(folder);
  List()->setCurrentRow(0);
  ChooseFolder(folder, /*clear_answer=*/false);

  QCOMPARE(platform_->questions, std::vector<std::string>{"Clear the file list?"});
  QCOMPARE(platform_->messages,
           (std::vector<std::string>{
               "The file \"" + (folder / "a.txt").string() + "\" has already in the list!",
               "The file \"" + (folder / "b.txt").string() + "\" has already in the list!",
               "The file \"" + (folder / "c.txt").string() + "\" has already in the list!"}));
  QCOMPARE(List()->count(), 3);
  QCOMPARE(List()->currentRow(), 2);
  QCOMPARE(Status(), QString("3 file(s) selected, 3 file(s) in the list."));
}

void Form1Test::AnsweredYesWithEmptyFolder() {
  ChooseFolder(MakeFolder("corpus", {"a.txt", "b.txt"}));
  ChooseTagSet(MakeFolder("sets", {"tags.ini"}) / "tags.ini");
  QVERIFY(Child<QPushButton>("btnOK")->isEnabled());
  ChooseFolder(MakeFolder("empty", {"readme.md"}), /*clear_answer=*/true);

  QCOMPARE(List()->count(), 0);
  QCOMPARE(Status(), QString("0 file(s) selected, 0 file(s) in the list."));
  QCOMPARE(form_->CheckedCount(), 0);
  QVERIFY(!Child<QPushButton>("btnOK")->isEnabled());
  QVERIFY(!Child<QGroupBox>("gbTagSet")->isEnabled());
  QVERIFY(Child<QCheckBox>("cbxOneFile")->isHidden());

  // A first folder choice that finds nothing leaves the start state alone.
  cleanup();
  init();
  ChooseFolder(MakeFolder("empty", {}));
  QVERIFY(!Child<QWidget>("plSettings")->isEnabled());
  QVERIFY(!Child<QLabel>("lblDir")->isEnabled());
  QVERIFY(!Child<QGroupBox>("gbTagSet")->isEnabled());
}

void Form1Test::FolderChoiceRefusesNothingCaseDiffers() {
  const fs::path folder = MakeFolder("corpus", {"A.txt", "a.txt"});
  fs::create_directory(folder / "notes.txt");  // a folder is no text, whatever its name
  ChooseFolder(folder);
  QCOMPARE(List()->count(), 2);
  QVERIFY(platform_->messages.empty());
  QCOMPARE(List()->item(1)->text(), QString::fromStdString((folder / "a.txt").string()));
}

void Form1Test::OneFileBoxFollowsTheTickCount() {
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
  QVERIFY(Child<QPushButton>("btnOK")->isEnabled());  // ticking enables it, tag set or not

  UserToggle(1);
  QVERIFY(!one_file->isHidden());
  UserToggle(0);
  UserToggle(1);
  QCOMPARE(Status(), QString("0 file(s) selected, 2 file(s) in the list."));
  QVERIFY(!Child<QPushButton>("btnOK")->isEnabled());
  UserToggle(0);

  // A mouse click on an item's box makes it current, shows its folder and toggles it.
  form_->show();
  QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
  Child<QLabel>("lblDir")->setText("elsewhere");
  const QRect row = List()->visualItemRect(List()->item(1));
  QTest::mouseClick(List()->viewport(), Qt::LeftButton, {},
                    QPoint(row.left() + 10, row.center().y()));
  QCOMPARE(List()->currentRow(), 1);
  QCOMPARE(Child<QLabel>("lblDir")->text(), QString::fromStdString(folder.string()));
  QCOMPARE(Ticks(), QList<bool>({true, true}));
  QTest::mouseClick(List()->viewport(), Qt::LeftButton, {},
                    QPoint(row.left() + 10, row.center().y()));
  QCOMPARE(Ticks(), QList<bool>({true, false}));
  QCOMPARE(Status(), QString("1 file(s) selected, 2 file(s) in the list."));

  // The box is ticked but hidden: the run writes a report beside the one ticked file.
  const fs::path tags = MakeFolder("sets", {}) / "tags.ini";
  std::ofstream(tags) << "[Entity]\nbegin=<e>\nend=</e>\ncolor=FF0000\n";
  ChooseTagSet(tags);
  QTest::mouseClick(Child<QPushButton>("btnOK"), Qt::LeftButton);
  QVERIFY2(platform_->errors.empty(),
           platform_->errors.empty() ? "" : platform_->errors[0].c_str());
  QVERIFY(fs::exists(folder / "a_result.htm"));
  QVERIFY(!fs::exists(folder / "b_result.htm"));
  QVERIFY(!fs::exists(folder / "result.htm"));
  QCOMPARE(platform_->opened, std::vector<fs::path>{folder});
}

void Form1Test::ClearSelectionThenSelectAll() {
  ChooseFolder(MakeFolder("corpus", {"a.txt", "b.txt", "c.txt"}));
  QTest::mouseClick(Child<QPushButton>("btnClearSel"), Qt::LeftButton);
  QCOMPARE(Ticks(), QList<bool>({false, false, false}));
  QCOMPARE(Status(), QString("0 file(s) selected, 3 file(s) in the list."));
  QCOMPARE(form_->CheckedCount(), 0);
  QVERIFY(Child<QCheckBox>("cbxOneFile")->isHidden());
  QVERIFY(!Child<QPushButton>("btnOK")->isEnabled());

  // With nothing ticked a tag set choice leaves "Count Now!" disabled.
  ChooseTagSet(MakeFolder("sets", {"tags.ini"}) / "tags.ini");
  QVERIFY(!Child<QPushButton>("btnOK")->isEnabled());

  QTest::mouseClick(Child<QPushButton>("btnSelAll"), Qt::LeftButton);
  QCOMPARE(Ticks(), QList<bool>({true, true, true}));
  QCOMPARE(Status(), QString("3 file(s) selected, 3 file(s) in the list."));
  QVERIFY(Child<QPushButton>("btnOK")->isEnabled());
  QVERIFY(!Child<QCheckBox>("cbxOneFile")->isHidden());

  // Before any tag set, too.
  cleanup();
  init();
  ChooseFolder(MakeFolder("corpus", {"a.txt"}));
  QTest::mouseClick(Child<QPushButton>("btnClearSel"), Qt::LeftButton);
  QTest::mouseClick(Child<QPushButton>("btnSelAll"), Qt::LeftButton);
  QVERIFY(Child<QPushButton>("btnOK")->isEnabled());
}

void Form1Test::Filter() {
  const fs::path corpus = MakeFolder("Corpus", {"ABC.txt", "b.txt"});
  const fs::path other = MakeFolder("other", {"abc.txt", "d.txt"});
  ChooseFolder(corpus);
  ChooseFolder(other, /*clear_answer=*/false);
  QCOMPARE(List()->count(), 4);
  auto* filter = Child<QLineEdit>("edtFileFilter");
  auto* button = Child<QPushButton>("btnFilter");

  auto apply = [&](const QString& text) {
    filter->setText(text);
    QTest::mouseClick(button, Qt::LeftButton);
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
  QVERIFY(Child<QPushButton>("btnOK")->isEnabled());

  apply("^X");  // nothing matches: the current item and the folder stay
  QCOMPARE(Ticks(), QList<bool>({false, false, false, false}));
  QCOMPARE(Status(), QString("0 file(s) selected, 4 file(s) in the list."));
  QCOMPARE(List()->currentRow(), 1);
  QCOMPARE(Child<QLabel>("lblDir")->text(), QString::fromStdString(corpus.string()));
  QVERIFY(!Child<QPushButton>("btnOK")->isEnabled());

  apply("(?i)abc");
  QCOMPARE(Ticks(), QList<bool>({true, false, true, false}));
  QVERIFY(platform_->errors.empty());
}

void Form1Test::FilterWithBadPatternUnticksAndShowsTheError() {
  ChooseFolder(MakeFolder("corpus", {"a.txt", "b.txt", "c.txt"}));
  QList<bool> ticks_at_error;
  auto* filter = Child<QLineEdit>("edtFileFilter");
  filter->setText("*a");
  QTest::mouseClick(Child<QPushButton>("btnFilter"), Qt::LeftButton);
  QCOMPARE(platform_->errors,
           std::vector<std::string>{"Pattern(comp): ?+*{ Follows Nothing (pos 1)"});
  QCOMPARE(Ticks(), QList<bool>({false, false, false}));
  QCOMPARE(Status(), QString("0 file(s) selected, 3 file(s) in the list."));
  QCOMPARE(form_->CheckedCount(), 0);
  QVERIFY(!Child<QPushButton>("btnOK")->isEnabled());
  QVERIFY(Child<QCheckBox>("cbxOneFile")->isHidden());
}

void Form1Test::EnterInTheFilterBox() {
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

void Form1Test::TagSetChoiceThenCancel() {
  ChooseFolder(MakeFolder("corpus", {"a.txt"}));
  QTest::mouseClick(Child<QPushButton>("btnClearSel"), Qt::LeftButton);
  const fs::path sets = MakeFolder("sets", {"first.ini"});
  ChooseTagSet(sets / "first.ini");
  QCOMPARE(platform_->file_calls.size(), size_t{1});
  QCOMPARE(platform_->file_calls[0].title_or_filter,
           std::string("Morrow Tallyweave Tagset(*.ini)|*.ini"));
  QCOMPARE(platform_->file_calls[0].start, platform_->program_folder);
  auto* label = Child<TActiveLabel>("lbTagSetFile");
  QCOMPARE(label->text(), QString("first.ini"));

  platform_->file_answers.push_back(std::nullopt);
  QTest::mouseClick(Child<QPushButton>("btnSelTag"), Qt::LeftButton);
  QCOMPARE(label->text(), QString("first.ini"));

  // With nothing ticked the choice leaves "Count Now!" disabled; ticking enables it.
  QVERIFY(!Child<QPushButton>("btnOK")->isEnabled());
  UserToggle(0);
  QVERIFY(Child<QPushButton>("btnOK")->isEnabled());

  // A name too long for the label is shortened in the middle.
  form_->show();
  QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
  const std::string long_name = "a_very_long_tag_set_name_for_the_interview_study_2026.ini";
  ChooseTagSet(sets / long_name);
  QCOMPARE(label->text(), QString::fromStdString(long_name));
  const QString shown = label->ShownText();
  QVERIFY2(shown.contains(QChar(0x2026)),
           qPrintable(shown + " " + QString::number(label->width())));
  QVERIFY(shown.startsWith("a_very"));
  QVERIFY(shown.endsWith(".ini"));
}

void Form1Test::HintsOnHover() {
  auto* label = Child<TActiveLabel>("lbTagSetFile");
  auto hover = [&] {
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QCoreApplication::sendEvent(label, &enter);
    return label->toolTip();
  };
  ChooseFolder(MakeFolder("corpus", {"a.txt"}));
  QVERIFY(hover().isEmpty());
  const fs::path file = MakeFolder("sets", {"tags.ini"}) / "tags.ini";
  ChooseTagSet(file);
  QCOMPARE(hover(), QString::fromStdString(file.string()));

  auto* folder_label = Child<QLabel>("lblDir");
  QCOMPARE(folder_label->toolTip(), QString("Double click will open the folder"));
  QCOMPARE(folder_label->cursor().shape(), Qt::PointingHandCursor);

  // The folder label reacts only once files are listed; a click opens its folder.
  cleanup();
  init();
  folder_label = Child<QLabel>("lblDir");
  form_->show();
  QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
  QTest::mouseClick(folder_label, Qt::LeftButton);
  QVERIFY(platform_->opened.empty());
  const fs::path folder = MakeFolder("corpus", {"a.txt"});
  ChooseFolder(folder);
  QTest::mouseClick(folder_label, Qt::LeftButton);
  QCOMPARE(platform_->opened, std::vector<fs::path>{folder});
}

void Form1Test::RunWritesCombinedReport() {
  const fs::path folder = MakeFolder("corpus", {"a.txt", "b.txt"});
  const fs::path tags = MakeFolder("sets", {}) / "tags.ini";
  std::ofstream(tags) << "[Entity]\nbegin=<e>\nend=</e>\ncolor=00FF00\n[-]\n";
  ChooseFolder(folder);
  ChooseTagSet(tags);
  Child<QCheckBox>("cbxOneFile")->setChecked(true);
  form_->show();
  QVERIFY(QTest::qWaitForWindowExposed(form_.get()));

  platform_->tick_step = 50;
  bool enabled_during_message = true;
  bool close_accepted_during_run = true;
  int progress = -1;
  platform_->on_message = [&] {
    enabled_during_message = form_->isEnabled();
    progress = Child<QProgressBar>("pbRun")->value();
    close_accepted_during_run = form_->close();
  };
  QTest::mouseClick(Child<QPushButton>("btnOK"), Qt::LeftButton);

  QVERIFY2(platform_->errors.empty(),
           platform_->errors.empty() ? "" : platform_->errors[0].c_str());
  QCOMPARE(platform_->messages.size(), size_t{1});
  QVERIFY2(QString::fromStdString(platform_->messages[0]).endsWith(" second(s) used."),
           platform_->messages[0].c_str());
  QVERIFY(!enabled_during_message);
  QCOMPARE(progress, 2);
  QVERIFY(!close_accepted_during_run);
  QVERIFY(form_->isEnabled());
  QVERIFY(Child<QProgressBar>("pbRun")->isHidden());
  QCOMPARE(platform_->opened, std::vector<fs::path>{folder / "result.htm"});
  QVERIFY(fs::file_size(folder / "result.htm") > 100);
  QVERIFY(!fs::exists(folder / "a_result.htm"));
  QCOMPARE(form_->TagSet().size(), size_t{2});
  // Nothing the run reads is changed by it.
  QCOMPARE(Ticks(), QList<bool>({true, true}));
  QCOMPARE(Status(), QString("2 file(s) selected, 2 file(s) in the list."));
  QVERIFY(Child<QPushButton>("btnOK")->isEnabled());

  QVERIFY(form_->close());
  QVERIFY(form_->TagSet().empty());
}

void Form1Test::RunThatFails() {
  const fs::path folder = MakeFolder("corpus", {"a.txt", "b.txt"});
  const fs::path tags = MakeFolder("sets", {}) / "tags.ini";
  std::ofstream(tags) << "[Entity]\nbegin=<e>\nend=</e>\n";
  ChooseFolder(folder);
  ChooseTagSet(tags);
  fs::remove(folder / "b.txt");
  QTest::mouseClick(Child<QPushButton>("btnOK"), Qt::LeftButton);

  QCOMPARE(platform_->errors.size(), size_t{1});
  const std::string& error = platform_->errors[0];
  QVERIFY2(error.rfind("Cannot open file \"" + (folder / "b.txt").string() + "\". ", 0) == 0,
           error.c_str());
  QCOMPARE(error.back(), '.');
  QVERIFY(platform_->messages.empty());
  QVERIFY(platform_->opened.empty());
  QVERIFY(form_->isEnabled());
  QVERIFY(Child<QProgressBar>("pbRun")->isHidden());
  QVERIFY(fs::exists(folder / "a_result.htm"));  // written before the failing file
}

void Form1Test::AboutPicture() {
  QImageReader reader(QStringLiteral(":/farrowdale/about.jpg"));
  QCOMPARE(reader.format(), QByteArray("jpeg"));
  const QImage picture = LoadProgramPicture();
  QVERIFY(!picture.isNull());
  QCOMPARE(picture.size(), QSize(125, 125));
  QCOMPARE(Child<QLabel>("Image1")->pixmap().size(), QSize(125, 125));
  QVERIFY(Child<QPlainTextEdit>("Memo1")->toPlainText().contains("libjpeg-turbo"));
  QVERIFY(!Child<QPlainTextEdit>("Memo1")->isReadOnly());
}

}  // namespace farrowdale

QTEST_MAIN(farrowdale::Form1Test)
#include "form1_test.moc"
