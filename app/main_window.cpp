#include "app/main_window.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFontDatabase>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QStyle>
#include <QTabWidget>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <chrono>
#include <exception>

#include "app/about_page.h"
#include "app/active_label.h"
#include "app/anchor_layout.h"
#include "app/compare_coders.h"
#include "app/dialog_texts.h"
#include "app/pattern_words.h"
#include "app/plain_tip.h"
#include "app/remembered_list.h"
#include "app/run_summary_text.h"
#include "app/tag_set_flags.h"
#include "app/user_guide.h"
#include "regex/pattern_engine.h"
#include "run/coding_check.h"
#include "run/coding_run.h"
#include "run/exchange_export.h"
#include "run/file_list.h"
#include "run/login_name.h"
#include "tagset/ini_file.h"
#include "tagset/tag_set_check.h"
#include "text/code_page.h"
#include "text/error.h"
#include "text/trim.h"

namespace farrowdale {

namespace {

constexpr char kFolderPickerTitle[] = "Browse for Folder";
constexpr char kTagSetFilter[] = "Morrow Farrowdale tag set (*.ini)|*.ini";
constexpr char kProjectFilter[] = "REFI-QDA project (*.qdpx)|*.qdpx";
// The pages' client area at design time; children keep their distances from it.
constexpr QSize kPageDesignSize(764, 459);
constexpr QSize kTagSetGroupSize(201, 250);

// The remembered settings' keys.
constexpr char kLastFolderKey[] = "lastFolder";
constexpr char kTagSetKey[] = "tagSet";
constexpr char kOneFileKey[] = "oneFile";
constexpr char kTablesKey[] = "writeTables";
constexpr char kSubFoldersKey[] = "includeSubFolders";
constexpr char kStrictKey[] = "strict";
constexpr char kFoldSpaceKey[] = "foldSpace";
constexpr char kFoldCaseKey[] = "foldCase";
constexpr char kGeometryKey[] = "geometry";

// Tahoma where present, else the platform's sans-serif, at a character height in pixels.
QFont WindowFont(int pixel_size, bool bold = false) {
  static const QString family =
      QFontDatabase::hasFamily(QStringLiteral("Tahoma"))
          ? QStringLiteral("Tahoma")
          : QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
  QFont font(family);
  font.setPixelSize(pixel_size);
  font.setBold(bold);
  return font;
}

void SetTextColor(QWidget* widget, QPalette::ColorRole role, const QColor& color) {
  QPalette palette = widget->palette();
  palette.setColor(QPalette::Active, role, color);
  palette.setColor(QPalette::Inactive, role, color);
  widget->setPalette(palette);
}

QString ToQString(const std::string& narrow) {
  return QString::fromStdU16String(ToUnicode(narrow));
}

QString PathText(const std::filesystem::path& path) { return ToQString(PathToNarrow(path)); }

// Paths kept in the settings in the file system's own spelling.
QString PathSetting(const std::filesystem::path& path) {
  return QFile::decodeName(QByteArray::fromStdString(path.native()));
}

std::filesystem::path SettingPath(const QVariant& value) {
  return std::filesystem::path(QFile::encodeName(value.toString()).toStdString());
}

template <typename T>
T* Named(T* object, const char* name) {
  object->setObjectName(QString::fromLatin1(name));
  return object;
}

template <typename T>
T* Tipped(T* widget, const char* tip) {
  widget->setToolTip(QString::fromLatin1(tip));
  return widget;
}

// A button that Enter presses while it has the focus.
QPushButton* Button(const char* text, const char* name, const char* tip) {
  auto* button = Tipped(Named(new QPushButton(QString::fromLatin1(text)), name), tip);
  button->setAutoDefault(true);
  return button;
}

// A square of the tag's colour (0x00BBGGRR) with a thin frame.
QIcon ColorSwatch(int32_t bgr) {
  QPixmap swatch(12, 12);
  swatch.fill(QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF));
  QPainter painter(&swatch);
  painter.setPen(Qt::darkGray);
  painter.drawRect(0, 0, 11, 11);
  return QIcon(swatch);
}

bool HasExtension(const std::filesystem::path& path, std::string_view extension) {
  std::string name = path.filename().string();
  if (name.size() <= extension.size()) return false;
  for (char& c : name) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return name.compare(name.size() - extension.size(), extension.size(), extension) == 0;
}

std::vector<std::filesystem::path> DroppedPaths(const QMimeData& data) {
  std::vector<std::filesystem::path> paths;
  for (const QUrl& url : data.urls()) {
    if (url.isLocalFile()) paths.push_back(SettingPath(url.toLocalFile()));
  }
  return paths;
}

bool IsListDrop(const std::filesystem::path& path) {
  std::error_code ec;
  return std::filesystem::is_directory(path, ec) || HasExtension(path, ".txt");
}

}  // namespace

// The host the coding run reports to: the platform's clock and template folder, the progress
// bar and the file being counted (or what the run waits for), and the Cancel button, which stays
// live while the rest of the window is disabled. The time message and the result go into the run
// summary, which the window shows when the run is over.
class TMainWindow::RunHost : public TCodingRunHost {
 public:
  // doing names what happens to each file ("Counting", "Exporting").
  RunHost(TMainWindow& window, std::vector<std::filesystem::path> ticked,
          QString doing = QStringLiteral("Counting"))
      : window_(window), ticked_(std::move(ticked)), doing_(std::move(doing)) {
    ShowCurrentFile(0);
  }
  void ShowInformation(const std::string&) override {}
  void ShellOpen(const std::filesystem::path&) override {}
  uint32_t TickCount() override { return window_.platform_.TickCount(); }
  std::chrono::system_clock::time_point Now() override { return std::chrono::system_clock::now(); }
  std::filesystem::path TemplateFolder() override { return window_.platform_.TemplateFolder(); }
  void Progress(int files_done, int files_ticked) override {
    ShowCurrentFile(static_cast<size_t>(files_done));
    window_.runProgress_->setMaximum(files_ticked);
    window_.runProgress_->setValue(files_done);
    // User input too: a click on Cancel must get through. Every other control is disabled,
    // and the handlers ignore what arrives during a run.
    QCoreApplication::processEvents();
  }
  // Shown where the file being counted is, until the next progress; painted at once, as the
  // run blocks until the other run's lock is gone.
  void ShowStatus(const std::string& line) override {
    window_.runFileLabel_->setText(ToQString(line));
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  }
  bool CancelRequested() override { return window_.cancel_requested_; }
  void Warn(const std::filesystem::path& path, const std::string& message) override {
    window_.run_warnings_.emplace_back(path, message);
  }

 private:
  void ShowCurrentFile(size_t index) {
    window_.runFileLabel_->setText(index < ticked_.size()
                                       ? doing_ + QChar(' ') + PathText(ticked_[index].filename())
                                       : QStringLiteral("Writing the results"));
  }

  TMainWindow& window_;
  std::vector<std::filesystem::path> ticked_;
  QString doing_;
};

// Disables the whole window for a run and enables it again on every path out.
class TMainWindow::RunScope {
 public:
  explicit RunScope(TMainWindow& window) : window_(window) {
    window_.running_ = true;
    window_.cancel_requested_ = false;
    // Everything but the run's own controls, each to be given back its state.
    QWidget* const run_controls[] = {window_.runProgress_, window_.runFileLabel_,
                                     window_.cancelRunButton_};
    std::vector<QWidget*> controls = {window_.menuBar_, window_.pages_->tabBar()};
    for (QWidget* child :
         window_.settingsPage_->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
      if (std::find(std::begin(run_controls), std::end(run_controls), child) ==
          std::end(run_controls)) {
        controls.push_back(child);
      }
    }
    for (QWidget* control : controls) {
      disabled_.emplace_back(control, control->isEnabled());
      control->setEnabled(false);
    }
    window_.runProgress_->setRange(0, 1);
    window_.runProgress_->setValue(0);
    window_.countNowButton_->hide();
    for (QWidget* control : run_controls) control->show();
    window_.cancelRunButton_->setEnabled(true);
    window_.cancelRunButton_->setFocus();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  }
  ~RunScope() {
    window_.runProgress_->hide();
    window_.runFileLabel_->hide();
    window_.cancelRunButton_->hide();
    window_.countNowButton_->show();
    for (auto& [control, enabled] : disabled_) control->setEnabled(enabled);
    window_.running_ = false;
  }
  RunScope(const RunScope&) = delete;
  RunScope& operator=(const RunScope&) = delete;

 private:
  TMainWindow& window_;
  std::vector<std::pair<QWidget*, bool>> disabled_;
};

TMainWindow::TMainWindow(TPlatform& platform, QWidget* parent)
    : QWidget(parent),
      platform_(platform),
      marker_checker_([](const std::filesystem::path& tag_set,
                         const std::vector<std::filesystem::path>& files) {
        return CheckCoding(tag_set, files, ReadFileForCheck, TCheckOptions{});
      }) {
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(QString::fromLatin1(kProgramTitle));
  setWindowIcon(QIcon(QStringLiteral(":/farrowdale/farrowdale.png")));
  setFont(WindowFont(11));

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  BuildMenuBar();
  layout->setMenuBar(menuBar_);
  pages_ = Named(new QTabWidget(this), "pc");
  layout->addWidget(pages_);
  BuildSettingsPage();
  BuildAboutPage();
  // The old window's minimum size, plus the menu bar above the pages.
  setMinimumSize(780, 514 + std::max(menuBar_->sizeHint().height(), 24));
  resize(minimumSize());
  SetTabOrder();
  Connect();
  pages_->setCurrentWidget(settingsPage_);
  RestoreSettings();
  UpdateControls();
  chooseFolderButton_->setFocus();
}

TMainWindow::~TMainWindow() = default;

void TMainWindow::BuildMenuBar() {
  menuBar_ = Named(new QMenuBar(this), "menuBar");
  auto action = [this](QMenu* menu, const char* text, const char* name, QKeySequence keys) {
    QAction* added = menu->addAction(QString::fromLatin1(text));
    added->setObjectName(QString::fromLatin1(name));
    added->setShortcut(keys);
    return added;
  };
  QMenu* file = menuBar_->addMenu(QStringLiteral("&File"));
  actChooseFolder_ =
      action(file, "&Choose Folder...", "actChooseFolder", QKeySequence(Qt::CTRL | Qt::Key_O));
  actChooseTagSet_ =
      action(file, "Choose &Tag Set...", "actChooseTagSet", QKeySequence(Qt::CTRL | Qt::Key_T));
  actNewTagSet_ = action(file, "Ne&w Tag Set...", "actNewTagSet",
                         QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_N));
  actEditTagSet_ =
      action(file, "&Edit Tag Set...", "actEditTagSet", QKeySequence(Qt::CTRL | Qt::Key_E));
  file->addSeparator();
  actCountNow_ = action(file, "Count &Now", "actCount", QKeySequence(Qt::Key_F5));
  actCheckMarkers_ = action(file, "Check &Markers", "actCheckMarkers", QKeySequence());
  actShowCoding_ =
      action(file, "Show Co&ding", "actShowCoding", QKeySequence(Qt::CTRL | Qt::Key_D));
  actShowCoding_->setToolTip(
      QStringLiteral("The current file's text with its passages highlighted"));
  file->addSeparator();
  actCompareCoders_ = action(file, "Com&pare Coders...", "actCompareCoders", QKeySequence());
  actCompareCoders_->setToolTip(
      QStringLiteral("This folder's coding against a second coder's copy of the same texts"));
  actExportProject_ =
      action(file, "E&xport REFI-QDA Project...", "actExportProject", QKeySequence());
  actExportProject_->setToolTip(
      QStringLiteral("The ticked files' coding as a project for qualitative-analysis programs"));
  file->addSeparator();
  actQuit_ = action(file, "&Quit", "actQuit", QKeySequence(Qt::CTRL | Qt::Key_Q));
  QMenu* options = menuBar_->addMenu(QStringLiteral("O&ptions"));
  auto tick = [&](const char* text, const char* name) {
    QAction* added = action(options, text, name, QKeySequence());
    added->setCheckable(true);
    return added;
  };
  actStopOnProblem_ = tick("&Stop on Any Problem", "actStrict");
  actFoldSpace_ =
      tick("Count passages that differ only in spaces and line &breaks as one", "actFoldSpace");
  actFoldCase_ = tick("Ignore letter &case in every alphabet", "actFoldCase");
  QMenu* help = menuBar_->addMenu(QStringLiteral("&Help"));
  actUserGuide_ = action(help, "&User Guide", "actUserGuide", QKeySequence(Qt::Key_F1));
  actAbout_ = action(help, "&About", "actAbout", QKeySequence());
}

void TMainWindow::BuildSettingsPage() {
  settingsPage_ = Named(new QWidget, "tabSettings");
  pages_->addTab(settingsPage_, QStringLiteral("&Settings"));
  auto* page = new TAnchorLayout(settingsPage_, kPageDesignSize);

  chooseFolderButton_ =
      Button("&Choose Folder", "btnChoseText", "List the .txt files of a folder (Ctrl+O)");
  page->AddWidget(chooseFolderButton_, QRect(12, 12, 99, 23), kAnchorLeftTop);

  folderLabel_ = Tipped(Named(new TActiveLabel, "lblDir"), "Click to open this folder");
  folderLabel_->setCursor(Qt::PointingHandCursor);
  folderLabel_->SetElideMiddle(true);
  page->AddWidget(folderLabel_, QRect(117, 14, 412, 20), kAnchorLeftTop | kAnchorRight);

  fileList_ = Tipped(Named(new QListWidget, "clbFileList"),
                     "Ticked files are counted; drop folders or .txt files here to add them");
  fileList_->setSelectionMode(QAbstractItemView::SingleSelection);
  fileList_->setUniformItemSizes(true);
  fileList_->setAcceptDrops(true);
  fileList_->viewport()->setAcceptDrops(true);
  page->AddWidget(fileList_, QRect(12, 40, 517, 361), kAnchorAll);

  tickControls_ = Named(new QWidget, "plSettings");
  page->AddWidget(tickControls_, QRect(3, 407, 526, 26),
                  kAnchorLeft | kAnchorRight | kAnchorBottom);
  auto* panel = new TAnchorLayout(tickControls_, QSize(526, 26));
  filterEdit_ = Tipped(Named(new QLineEdit, "edtFileFilter"),
                       "A pattern matched anywhere in each file's full path; "
                       "Filter or Enter ticks exactly the files it matches. "
                       "(?i) at its start ignores letter case.");
  filterEdit_->setPlaceholderText(QStringLiteral("Pattern matched against the path"));
  panel->AddWidget(filterEdit_, QRect(9, 2, 222, 21), kAnchorLeft | kAnchorBottom);
  filterButton_ =
      Button("Filte&r", "btnFilter", "Tick exactly the files whose path the pattern matches");
  panel->AddWidget(filterButton_, QRect(237, 2, 75, 22), kAnchorLeft | kAnchorBottom);
  tickAllButton_ = Button("Select &All", "btnSelAll", "Tick every file in the list");
  panel->AddWidget(tickAllButton_, QRect(345, 2, 77, 23), kAnchorRight | kAnchorBottom);
  untickAllButton_ = Button("Cl&ear Selection", "btnClearSel", "Untick every file in the list");
  panel->AddWidget(untickAllButton_, QRect(428, 2, 98, 23), kAnchorRight | kAnchorBottom);

  // A line of its own below the panel, as wide as the list: never under a button.
  fileCountLabel_ = Named(new QLabel, "lblFileInfo");
  SetTextColor(fileCountLabel_, QPalette::WindowText, Qt::blue);
  page->AddWidget(fileCountLabel_, QRect(12, 437, 517, 18),
                  kAnchorLeft | kAnchorRight | kAnchorBottom);

  codeList_ = Tipped(Named(new QGroupBox(QStringLiteral(" Code List ")), "gbTagSet"),
                     "Drop a tag set file (.ini) here to choose it");
  codeList_->setAcceptDrops(true);
  page->AddWidget(codeList_, QRect(548, 36, kTagSetGroupSize.width(), kTagSetGroupSize.height()),
                  kAnchorTop | kAnchorRight | kAnchorBottom);
  auto* group = new TAnchorLayout(codeList_, kTagSetGroupSize);
  // The group's title is the old name of what it holds; the subtitle says it in today's words.
  tagSetSubtitle_ = Named(new QLabel(QStringLiteral("Tag set")), "lblTagSetSubtitle");
  tagSetSubtitle_->setAlignment(Qt::AlignCenter);
  SetTextColor(tagSetSubtitle_, QPalette::WindowText, Qt::darkGray);
  group->AddWidget(tagSetSubtitle_, QRect(8, 24, 185, 12), kAnchorLeftTop);
  chooseTagSetButton_ =
      Button("Select F&ile", "btnSelTag", "Choose the tag set file (.ini) (Ctrl+T)");
  chooseTagSetButton_->setFont(WindowFont(13));
  group->AddWidget(chooseTagSetButton_, QRect(8, 37, 100, 23), kAnchorLeftTop);
  editTagSetButton_ =
      Button("E&dit...", "btnEditTagSet", "Edit the tag set, with a preview (Ctrl+E)");
  editTagSetButton_->setAccessibleName(QStringLiteral("Edit the tag set"));
  group->AddWidget(editTagSetButton_, QRect(112, 37, 81, 23), kAnchorLeftTop);
  tagSetFileLabel_ = Named(new TActiveLabel, "lbTagSetFile");
  tagSetFileLabel_->setFont(WindowFont(13));
  tagSetFileLabel_->setAlignment(Qt::AlignCenter);
  tagSetFileLabel_->SetElideMiddle(true);
  group->AddWidget(tagSetFileLabel_, QRect(8, 61, 185, 18), kAnchorLeftTop);
  tagTree_ = Tipped(Named(new QTreeWidget, "tvTags"),
                    "The tags of the chosen tag set; a problem in the tag set is shown under "
                    "the tag it concerns");
  tagTree_->setColumnCount(3);
  tagTree_->setHeaderLabels(
      {QStringLiteral("Tag"), QStringLiteral("Begin"), QStringLiteral("End")});
  tagTree_->setRootIsDecorated(false);
  tagTree_->setIndentation(12);
  // The size of the colour swatch; a problem's icon is drawn as small.
  tagTree_->setIconSize(QSize(12, 12));
  tagTree_->header()->setStretchLastSection(true);
  tagTree_->setColumnWidth(0, 80);
  tagTree_->setColumnWidth(1, 48);
  // Narrow by design: a long name or marker is cut, and its row's tooltip shows it whole.
  tagTree_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  group->AddWidget(tagTree_, QRect(8, 80, 185, 162), kAnchorAll);

  oneFileBox_ =
      Tipped(Named(new QCheckBox(QStringLiteral("Save Results as &One File")), "cbxOneFile"),
             "One combined report result.htm in the folder shown, instead of a "
             "report beside each text file");
  page->AddWidget(oneFileBox_, QRect(564, 294, 185, 17), kAnchorRight | kAnchorBottom);
  tablesBox_ = Tipped(Named(new QCheckBox(QStringLiteral("Write &Tables")), "cbxTables"),
                      "Also write the counts and the passages as CSV tables");
  page->AddWidget(tablesBox_, QRect(564, 316, 185, 17), kAnchorRight | kAnchorBottom);
  subFoldersBox_ =
      Tipped(Named(new QCheckBox(QStringLiteral("Include s&ub-folders")), "cbxSubFolders"),
             "A folder chosen or dropped also adds the .txt files of its sub-folders");
  page->AddWidget(subFoldersBox_, QRect(564, 437, 185, 17), kAnchorRight | kAnchorBottom);

  runProgress_ = Named(new QProgressBar, "pbRun");
  runProgress_->setFormat(QStringLiteral("%v of %m file(s)"));
  runProgress_->hide();
  page->AddWidget(runProgress_, QRect(564, 344, 178, 20), kAnchorRight | kAnchorBottom);

  // Shown in place of Count Now! while a run goes on.
  cancelRunButton_ = Button("Cance&l", "btnCancelRun",
                            "Stop the run after the file being counted; nothing is written (Esc)");
  cancelRunButton_->setShortcut(QKeySequence(Qt::Key_Escape));
  cancelRunButton_->setAccessibleName(QStringLiteral("Cancel the run"));
  cancelRunButton_->hide();
  page->AddWidget(cancelRunButton_, QRect(564, 372, 178, 30), kAnchorRight | kAnchorBottom);
  runFileLabel_ = Named(new QLabel, "lblRunFile");
  runFileLabel_->setWordWrap(true);
  runFileLabel_->hide();
  page->AddWidget(runFileLabel_, QRect(564, 404, 178, 30), kAnchorRight | kAnchorBottom);

  countNowButton_ =
      Button("Count &Now!", "btnOK",
             "Count the tagged passages of the ticked files and write the reports (F5)");
  countNowButton_->setFont(WindowFont(19, /*bold=*/true));
  SetTextColor(countNowButton_, QPalette::ButtonText, Qt::blue);
  page->AddWidget(countNowButton_, QRect(564, 372, 178, 61), kAnchorRight | kAnchorBottom);
}

void TMainWindow::BuildAboutPage() {
  aboutPage_ = Named(new QWidget, "About");
  pages_->addTab(aboutPage_, QStringLiteral("A&bout"));
  auto* page = new TAnchorLayout(aboutPage_, kPageDesignSize);
  programPicture_ = Named(new QLabel, "Image1");
  programPicture_->setPixmap(QPixmap::fromImage(LoadProgramPicture()));
  page->AddWidget(programPicture_, QRect(20, 24, 125, 125), kAnchorLeftTop);
  aboutText_ = Named(new QPlainTextEdit(AboutText()), "Memo1");
  aboutText_->setReadOnly(true);
  aboutText_->setFrameShape(QFrame::NoFrame);
  // Flat on the page: the page's own background shows through.
  QPalette palette = aboutText_->palette();
  palette.setColor(QPalette::Base, Qt::transparent);
  aboutText_->setPalette(palette);
  page->AddWidget(aboutText_, QRect(160, 24, 589, 417), kAnchorAll);
}

void TMainWindow::SetTabOrder() {
  // The order of the work: files, which of them, the tag set, the options, the run.
  QWidget* chain[] = {
      chooseFolderButton_, fileList_,           filterEdit_,       filterButton_, tickAllButton_,
      untickAllButton_,    chooseTagSetButton_, editTagSetButton_, tagTree_,      oneFileBox_,
      tablesBox_,          countNowButton_,     cancelRunButton_,  subFoldersBox_};
  for (size_t i = 1; i < std::size(chain); ++i) QWidget::setTabOrder(chain[i - 1], chain[i]);
}

void TMainWindow::Connect() {
  auto on = [this](auto* sender, auto signal, void (TMainWindow::*handler)()) {
    connect(sender, signal, this,
            [this, handler] { Guarded([this, handler] { (this->*handler)(); }); });
  };
  on(chooseFolderButton_, &QPushButton::clicked, &TMainWindow::ChooseFolder);
  on(actChooseFolder_, &QAction::triggered, &TMainWindow::ChooseFolder);
  on(folderLabel_, &TActiveLabel::Clicked, &TMainWindow::OpenShownFolder);
  on(filterButton_, &QPushButton::clicked, &TMainWindow::ApplyFilter);
  on(tickAllButton_, &QPushButton::clicked, &TMainWindow::TickAll);
  on(untickAllButton_, &QPushButton::clicked, &TMainWindow::UntickAll);
  on(chooseTagSetButton_, &QPushButton::clicked, &TMainWindow::ChooseTagSet);
  on(actChooseTagSet_, &QAction::triggered, &TMainWindow::ChooseTagSet);
  on(countNowButton_, &QPushButton::clicked, &TMainWindow::CountNow);
  on(actCountNow_, &QAction::triggered, &TMainWindow::CountNow);
  on(actCheckMarkers_, &QAction::triggered, &TMainWindow::CheckMarkers);
  on(actCompareCoders_, &QAction::triggered, &TMainWindow::CompareCoders);
  on(actExportProject_, &QAction::triggered, &TMainWindow::ExportProject);
  on(actUserGuide_, &QAction::triggered, &TMainWindow::OpenUserGuide);
  on(actAbout_, &QAction::triggered, &TMainWindow::ShowAbout);
  on(actShowCoding_, &QAction::triggered, &TMainWindow::ShowCodingOfCurrentItem);
  on(actNewTagSet_, &QAction::triggered, &TMainWindow::NewTagSet);
  on(actEditTagSet_, &QAction::triggered, &TMainWindow::EditTagSet);
  on(editTagSetButton_, &QPushButton::clicked, &TMainWindow::EditTagSet);
  connect(cancelRunButton_, &QPushButton::clicked, this, [this] {
    cancel_requested_ = true;
    runFileLabel_->setText(QStringLiteral("Cancelling..."));
  });
  fileList_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(fileList_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
    if (fileList_->itemAt(at) == nullptr) return;
    MakeCurrent(fileList_->row(fileList_->itemAt(at)));
    UpdateControls();
    QMenu menu;
    menu.addAction(actShowCoding_);
    menu.exec(fileList_->viewport()->mapToGlobal(at));
  });
  connect(actQuit_, &QAction::triggered, this, &QWidget::close);
  connect(filterEdit_, &QLineEdit::textChanged, this, [this] { UpdateControls(); });
  connect(filterEdit_, &QLineEdit::returnPressed, this, [this] {
    if (filterButton_->isEnabled()) filterButton_->click();
  });
  auto remember = [](const char* key) {
    return [key](bool checked) { QSettings().setValue(QString::fromLatin1(key), checked); };
  };
  connect(oneFileBox_, &QCheckBox::toggled, this, remember(kOneFileKey));
  connect(tablesBox_, &QCheckBox::toggled, this, remember(kTablesKey));
  connect(subFoldersBox_, &QCheckBox::toggled, this, remember(kSubFoldersKey));
  connect(actStopOnProblem_, &QAction::toggled, this, remember(kStrictKey));
  connect(actFoldSpace_, &QAction::toggled, this, remember(kFoldSpaceKey));
  connect(actFoldCase_, &QAction::toggled, this, remember(kFoldCaseKey));
  // Only the user's own changes run the list handlers; the handlers' changes do not.
  // Selection, not the current item: focus arriving in the list makes its first item current
  // without the user choosing it.
  auto user_pick = [this] {
    if (!setting_from_program_) Guarded([this] { ShowFolderOfCurrentItem(); });
  };
  connect(fileList_, &QListWidget::itemSelectionChanged, this, user_pick);
  connect(fileList_, &QListWidget::itemClicked, this, user_pick);
  connect(fileList_, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
    if (!setting_from_program_) Guarded([this, item] { ApplyUserTick(item); });
  });
  fileList_->viewport()->installEventFilter(this);
  codeList_->installEventFilter(this);
}

bool TMainWindow::eventFilter(QObject* watched, QEvent* event) {
  const bool on_list = watched == fileList_->viewport();
  if (!on_list && watched != codeList_) return QWidget::eventFilter(watched, event);
  if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove) {
    auto* drag = static_cast<QDropEvent*>(event);
    const auto paths = DroppedPaths(*drag->mimeData());
    const bool wanted = on_list ? std::any_of(paths.begin(), paths.end(), IsListDrop)
                                : paths.size() == 1 && HasExtension(paths[0], ".ini");
    if (wanted) {
      drag->acceptProposedAction();
    } else {
      drag->ignore();
    }
    return true;
  }
  if (event->type() == QEvent::Drop) {
    auto* drop = static_cast<QDropEvent*>(event);
    const auto paths = DroppedPaths(*drop->mimeData());
    drop->acceptProposedAction();
    if (on_list) {
      Guarded([this, paths] { AddDropped(paths); });
    } else if (paths.size() == 1) {
      Guarded([this, paths] { UseTagSetFile(paths[0]); });
    }
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

void TMainWindow::Guarded(const std::function<void()>& handler) {
  // What reaches the window during a run (a shortcut, a drop) waits for its end: the run
  // reads the list and the tag set.
  if (running_) return;
  try {
    handler();
  } catch (const std::exception& e) {
    platform_.ShowError(ErrorBoxText(e.what()));
  }
}

void TMainWindow::closeEvent(QCloseEvent* event) {
  // The run works on the tag table; the window cannot go away under it.
  if (running_) {
    event->ignore();
    return;
  }
  QSettings().setValue(QString::fromLatin1(kGeometryKey), saveGeometry());
  tag_set_.clear();
  event->accept();
}

void TMainWindow::ShowAsLastTime() {
  if (restoreGeometry(QSettings().value(QString::fromLatin1(kGeometryKey)).toByteArray())) {
    show();
  } else {
    showMaximized();
  }
}

void TMainWindow::RestoreSettings() {
  const QSettings settings;
  last_folder_ = SettingPath(settings.value(QString::fromLatin1(kLastFolderKey)));
  oneFileBox_->setChecked(settings.value(QString::fromLatin1(kOneFileKey)).toBool());
  tablesBox_->setChecked(settings.value(QString::fromLatin1(kTablesKey)).toBool());
  subFoldersBox_->setChecked(settings.value(QString::fromLatin1(kSubFoldersKey)).toBool());
  actStopOnProblem_->setChecked(settings.value(QString::fromLatin1(kStrictKey)).toBool());
  actFoldSpace_->setChecked(settings.value(QString::fromLatin1(kFoldSpaceKey)).toBool());
  actFoldCase_->setChecked(settings.value(QString::fromLatin1(kFoldCaseKey)).toBool());
  const auto tag_set = SettingPath(settings.value(QString::fromLatin1(kTagSetKey)));
  std::error_code ec;
  // A remembered tag set that has gone since is forgotten quietly.
  if (!tag_set.empty() && std::filesystem::is_regular_file(tag_set, ec)) {
    Guarded([this, tag_set] { UseTagSetFile(tag_set); });
  }
  RestoreList();
  restoring_ = false;
}

void TMainWindow::RestoreList() {
  const TRememberedList list = RecallFileList();
  RestoreFileList(list, model_);
  TFileListModel::TAddOutcome restored;
  restored.added = model_.size();
  ShowAdded(restored);
  if (!model_.empty()) SetFolder(list.shown_folder);
  if (!list.missing.empty()) platform_.ShowMessage(MissingFilesMessage(list.missing));
}

std::filesystem::path TMainWindow::DialogStartFolder() const {
  if (!last_folder_.empty()) return last_folder_;
  return SettingPath(QDir::homePath());
}

void TMainWindow::ShowAdded(const TFileListModel::TAddOutcome& outcome) {
  const bool was = std::exchange(setting_from_program_, true);
  for (size_t i = model_.size() - outcome.added; i < model_.size(); ++i) {
    auto* item = new QListWidgetItem(ToQString(model_.DisplayName(i)));
    item->setToolTip(PlainTip(PathText(model_.item(i).path)));
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    item->setCheckState(model_.item(i).checked ? Qt::Checked : Qt::Unchecked);
    fileList_->addItem(item);
  }
  setting_from_program_ = was;
  if (outcome.added > 0) SetFolder(model_.LastFolder());
  if (outcome.duplicates.empty()) return;
  std::vector<std::filesystem::path> offered;
  for (const auto& duplicate : outcome.duplicates) offered.push_back(duplicate.offered);
  platform_.ShowMessage(DuplicatesMessage(offered));
  MakeCurrent(static_cast<int>(outcome.duplicates.back().existing));
}

void TMainWindow::ClearList() {
  const bool was = std::exchange(setting_from_program_, true);
  fileList_->clear();
  setting_from_program_ = was;
  model_.Clear();
}

void TMainWindow::ShowTicks() {
  const bool was = std::exchange(setting_from_program_, true);
  for (int i = 0; i < fileList_->count(); ++i) {
    fileList_->item(i)->setCheckState(model_.item(i).checked ? Qt::Checked : Qt::Unchecked);
  }
  setting_from_program_ = was;
}

void TMainWindow::MakeCurrent(int row) {
  const bool was = std::exchange(setting_from_program_, true);
  fileList_->setCurrentRow(row);
  setting_from_program_ = was;
}

void TMainWindow::SetFolder(const std::filesystem::path& folder) {
  folder_ = folder;
  folderLabel_->setText(PathText(folder));
  folderLabel_->setToolTip(
      folder.empty() ? QString()
                     : PlainTip(PathText(folder) + QStringLiteral("\nClick to open this folder")));
}

void TMainWindow::ShowTags(const TTagSetFlags& flags) {
  tagTree_->clear();
  if (tag_set_path_.empty()) return;
  // The tag set's own problems hang under the tags they spoil, each with its line.
  for (size_t i = 0; i < tag_set_.size(); ++i) {
    const TTagInfo& tag = tag_set_[i];
    if (IsSkippedTag(tag)) continue;
    auto* row = new QTreeWidgetItem(
        tagTree_, {ToQString(tag.Name), ToQString(tag.BeginMark), ToQString(tag.EndMark)});
    row->setIcon(0, ColorSwatch(tag.ColorValue));
    QString whole = ToQString(tag.Name + "  " + tag.BeginMark + "..." + tag.EndMark);
    if (i < flags.by_tag.size()) {
      for (const TTagSetProblem& problem : flags.by_tag[i]) {
        AddTagSetProblemRow(row, problem);
        whole += QChar('\n') + ToQString(TagSetProblemText(problem));
      }
    }
    for (int column = 0; column < 3; ++column) row->setToolTip(column, PlainTip(whole));
  }
  if (tagTree_->topLevelItemCount() == 0) {
    auto* row = new QTreeWidgetItem(tagTree_, {QStringLiteral("No tags in this file")});
    row->setForeground(0, Qt::red);
    row->setFirstColumnSpanned(true);
    return;
  }
  for (const TTagSetProblem& problem : flags.elsewhere) AddTagSetProblemRow(nullptr, problem);
  tagTree_->expandAll();
}

void TMainWindow::AddTagSetProblemRow(QTreeWidgetItem* tag_row, const TTagSetProblem& problem) {
  const QString text = ToQString(TagSetProblemText(problem));
  auto* row = tag_row != nullptr ? new QTreeWidgetItem(tag_row, {text})
                                 : new QTreeWidgetItem(tagTree_, {text});
  row->setFirstColumnSpanned(true);
  row->setIcon(0, style()->standardIcon(problem.severity == ECheckSeverity::kError
                                            ? QStyle::SP_MessageBoxCritical
                                            : QStyle::SP_MessageBoxWarning));
  row->setToolTip(0, PlainTip(text));
  row->setFlags(Qt::ItemIsEnabled);
}

bool TMainWindow::CanCount() const { return !tag_set_path_.empty() && model_.CheckedCount() > 0; }

void TMainWindow::UpdateControls() {
  const size_t ticked = model_.CheckedCount();
  fileCountLabel_->setText(QStringLiteral("%1 file(s) selected, %2 file(s) in the list.")
                               .arg(ticked)
                               .arg(model_.size()));
  oneFileBox_->setVisible(ticked > 1);
  tickControls_->setEnabled(!model_.empty());
  filterButton_->setEnabled(!model_.empty() && !TrimmedFilter().empty());
  folderLabel_->setEnabled(!folder_.empty());
  countNowButton_->setEnabled(CanCount());
  actCountNow_->setEnabled(CanCount());
  actCheckMarkers_->setEnabled(CanCount());
  actCompareCoders_->setEnabled(!tag_set_path_.empty() && !folder_.empty());
  actExportProject_->setEnabled(CanCount());
  actShowCoding_->setEnabled(fileList_->currentRow() >= 0);
  actEditTagSet_->setEnabled(!tag_set_path_.empty());
  editTagSetButton_->setEnabled(!tag_set_path_.empty());
  if (!restoring_) RememberFileList(model_, folder_);
}

EFolderScan TMainWindow::FolderScan() const {
  return subFoldersBox_->isChecked() ? EFolderScan::kWithSubFolders : EFolderScan::kFolderOnly;
}

std::string TMainWindow::TrimmedFilter() const {
  return ToNarrow(Trim(std::u16string_view(filterEdit_->text().toStdU16String())));
}

void TMainWindow::ChooseFolder() {
  const auto folder = platform_.ChooseFolder(kFolderPickerTitle, DialogStartFolder());
  if (!folder) return;
  last_folder_ = *folder;
  QSettings().setValue(QString::fromLatin1(kLastFolderKey), PathSetting(*folder));
  // Listed before the question, so that a folder that cannot be read changes nothing.
  const auto files = ListTextFilesOfFolder(*folder, FolderScan());
  if (files.empty()) {
    platform_.ShowMessage(NoTextFilesMessage(*folder, model_.size()));
    return;
  }
  if (!model_.empty()) {
    const std::string question = "The list holds " + std::to_string(model_.size()) +
                                 " file(s). Replace them with the " + std::to_string(files.size()) +
                                 " .txt file(s) of \"" + PathToNarrow(*folder) +
                                 "\", or add these to the list?";
    switch (platform_.AskReplaceOrAdd(question)) {
      case TListChoice::kCancel:
        return;
      case TListChoice::kReplace:
        ClearList();
        SetFolder(*folder);
        break;
      case TListChoice::kAdd:
        break;
    }
  } else {
    SetFolder(*folder);
  }
  ShowAdded(model_.AddFiles(files, *folder));
  UpdateControls();
}

void TMainWindow::AddDropped(const std::vector<std::filesystem::path>& paths) {
  std::vector<std::string> refused;
  for (const auto& path : paths) {
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
      ShowAdded(model_.AddFolder(path, FolderScan()));
    } else if (HasExtension(path, ".txt")) {
      ShowAdded(model_.AddFile(path, ItemFolder(path)));
    } else {
      refused.push_back(PathToNarrow(path));
    }
  }
  UpdateControls();
  if (!refused.empty()) {
    std::string message = "Only folders and .txt files can be added to the list. Not added:";
    for (const auto& name : refused) message += "\n" + name;
    platform_.ShowMessage(message);
  }
}

void TMainWindow::OpenShownFolder() {
  if (!folder_.empty()) OpenExternally(folder_);
}

void TMainWindow::OpenExternally(const std::filesystem::path& path) {
  if (!platform_.ShellOpen(path)) platform_.ShowOpenFailed(path);
}

TResultHooks TMainWindow::ResultHooks() {
  return {[this](const std::filesystem::path& path) { OpenExternally(path); },
          [this](const TProblemRow& row) {
            platform_.ShowCodingView({SettingPath(ToQString(row.path)), tag_set_path_, row.line,
                                      row.column, row.message});
          }};
}

void TMainWindow::ShowCodingOfCurrentItem() {
  const int row = fileList_->currentRow();
  if (row < 0) return;
  platform_.ShowCodingView({model_.item(static_cast<size_t>(row)).path, tag_set_path_, 0, 0, {}});
}

void TMainWindow::ShowFolderOfCurrentItem() {
  const int row = fileList_->currentRow();
  if (row < 0) return;
  SetFolder(ItemFolder(model_.item(static_cast<size_t>(row)).path));
  UpdateControls();
}

void TMainWindow::ApplyUserTick(QListWidgetItem* item) {
  const int row = fileList_->row(item);
  if (row < 0) return;
  // A click on an item's box makes it current, as a click anywhere on the item does (the
  // list view alone would toggle it and leave the current item as it was).
  if (fileList_->currentItem() != item) fileList_->setCurrentItem(item);
  model_.SetChecked(static_cast<size_t>(row), item->checkState() == Qt::Checked);
  UpdateControls();
}

void TMainWindow::ApplyFilter() {
  const std::string pattern = TrimmedFilter();
  if (model_.empty() || pattern.empty()) return;
  // Throws before any tick changes when the pattern does not compile; the engine's terse
  // message is explained, since a filter is typed like a file search more often than not.
  std::optional<size_t> last;
  try {
    last = model_.TickMatching(pattern);
  } catch (const EPatternError& error) {
    throw Error(PatternErrorInWords(pattern, error));
  }
  ShowTicks();
  if (last) {
    MakeCurrent(static_cast<int>(*last));
    SetFolder(ItemFolder(model_.item(*last).path));
  }
  UpdateControls();
}

void TMainWindow::TickAll() {
  model_.SetAllChecked(true);
  ShowTicks();
  UpdateControls();
}

void TMainWindow::UntickAll() {
  model_.SetAllChecked(false);
  ShowTicks();
  UpdateControls();
}

void TMainWindow::ChooseTagSet() {
  const std::filesystem::path start =
      tag_set_path_.empty() ? DialogStartFolder() : tag_set_path_.parent_path();
  const auto file = platform_.ChooseFileToOpen(start, kTagSetFilter);
  if (file) UseTagSetFile(*file);
}

void TMainWindow::UseTagSetFile(const std::filesystem::path& file) {
  // One reading of the file gives the tags and their flags. Read first: a tag set that
  // cannot be read, or whose colour does not read, is not chosen.
  TTagSetCheck check = CheckTagSet(TIniFile::ReadOnce(file));
  if (check.load_error) throw Error(*check.load_error);
  tag_set_ = check.tags;
  tag_set_path_ = file;
  QSettings().setValue(QString::fromLatin1(kTagSetKey), PathSetting(file));
  tagSetFileLabel_->setText(PathText(file.filename()));
  tagSetFileLabel_->setToolTip(PlainTip(PathText(file)));
  ShowTags(FlagTagSetProblems(check));
  UpdateControls();
}

void TMainWindow::NewTagSet() { EditTagSetFile({}); }

void TMainWindow::EditTagSet() {
  if (!tag_set_path_.empty()) EditTagSetFile(tag_set_path_);
}

void TMainWindow::EditTagSetFile(const std::filesystem::path& file) {
  const auto saved = platform_.EditTagSet(file, TickedFiles());
  if (saved) UseTagSetFile(*saved);
}

bool TMainWindow::ConfirmTagSetDespiteProblems(const TTagSetFlags& flags) {
  std::vector<TProblemRow> rows;
  auto add = [&](const TTagSetProblem& problem) {
    rows.push_back({PathToNarrow(tag_set_path_), problem.line, problem.column,
                    problem.severity == ECheckSeverity::kError, problem.message});
  };
  for (const auto& problems : flags.by_tag) std::for_each(problems.begin(), problems.end(), add);
  std::for_each(flags.elsewhere.begin(), flags.elsewhere.end(), add);
  if (rows.empty()) return true;
  switch (platform_.AskCountDespiteProblems(rows)) {
    case TTagSetProblemChoice::kCountAnyway:
      return true;
    case TTagSetProblemChoice::kEditTagSet:
      EditTagSet();
      return false;
    case TTagSetProblemChoice::kCancel:
      return false;
  }
  return false;
}

void TMainWindow::CountNow() {
  if (!CanCount()) return;
  // One reading of the tag set feeds the question before the run, the run's counts and
  // check, and the tags shown after it.
  const TRunTagSet tag_set = ReadRunTagSet(tag_set_path_);
  const TTagSetFlags flags = FlagTagSetProblems(tag_set.check);
  if (!ConfirmTagSetDespiteProblems(flags)) return;
  tag_set_ = tag_set.check.tags;
  TCodingRunRequest request;
  request.items = model_.items();
  request.one_file_mode = !oneFileBox_->isHidden() && oneFileBox_->isChecked();
  request.write_tables = tablesBox_->isChecked();
  request.strict = actStopOnProblem_->isChecked();
  request.grouping = {
      actFoldCase_->isChecked() ? ELetterCase::kEveryAlphabet : ELetterCase::kAsciiOnly,
      actFoldSpace_->isChecked() ? ESpacing::kFolded : ESpacing::kExact};
  request.corpus_folder = folder_;
  request.grouping_notes = true;
  run_warnings_.clear();
  TRunSummary summary;
  try {
    RunHost host(*this, TickedFiles());
    RunScope scope(*this);
    summary = RunCoding(request, tag_set, host);
  } catch (const ERunCancelled& cancelled) {
    platform_.ShowMessage(cancelled.what());
    return;
  }
  ShowTags(flags);
  // The run checked every file's markers on its own reading and search of it.
  TProblemTable problems = RunSummaryProblems(run_warnings_, summary.check);
  platform_.ShowRunSummary(MakeRunSummaryText(summary, std::move(problems)), ResultHooks());
}

std::vector<std::filesystem::path> TMainWindow::TickedFiles() const {
  std::vector<std::filesystem::path> files;
  for (const TFileItem& item : model_.items()) {
    if (item.checked) files.push_back(item.path);
  }
  return files;
}

void TMainWindow::CheckMarkers() {
  if (!CanCount()) return;
  platform_.ShowMarkerCheck(MakeMarkerCheckText(marker_checker_(tag_set_path_, TickedFiles())),
                            ResultHooks());
}

void TMainWindow::CompareCoders() {
  if (tag_set_path_.empty() || folder_.empty()) return;
  const auto second = platform_.ChooseFolder("Choose the second coder's folder", folder_);
  if (!second) return;
  platform_.ShowAgreement(
      CompareCodersIntoFirstFolder(folder_, *second, tag_set_path_, subFoldersBox_->isChecked()),
      ResultHooks());
}

void TMainWindow::ExportProject() {
  if (!CanCount()) return;
  const std::filesystem::path corpus = folder_.empty() ? model_.LastFolder() : folder_;
  std::filesystem::path name = corpus.filename().empty() ? "project" : corpus.filename();
  name += ".qdpx";
  const auto target =
      platform_.ChooseFileToSave("Export REFI-QDA Project", corpus / name, kProjectFilter);
  if (!target) return;
  TExchangeExportRequest request;
  request.tag_set_path = tag_set_path_;
  request.items = model_.items();
  request.corpus_folder = corpus;
  request.coder = LoginName();
  request.project_path = *target;
  run_warnings_.clear();
  TExchangeExportSummary summary;
  {
    RunHost host(*this, TickedFiles(), QStringLiteral("Exporting"));
    RunScope scope(*this);
    // The export runs to its end: nothing to cancel.
    cancelRunButton_->setEnabled(false);
    summary = ExportExchangeProject(request, host);
  }
  std::string message = summary.message;
  for (const auto& [file, warning] : run_warnings_) {
    message += "\n" + PathToNarrow(file) + ": " + warning;
  }
  platform_.ShowMessage(message);
}

void TMainWindow::OpenUserGuide() {
  const auto candidates = UserGuideCandidates(platform_.TemplateFolder());
  std::string looked;
  for (const auto& guide : candidates) {
    std::error_code ec;
    if (std::filesystem::is_regular_file(guide, ec)) {
      platform_.ShowUserGuide(guide);
      return;
    }
    looked += (looked.empty() ? "\"" : ", \"") + PathToNarrow(guide) + "\"";
  }
  throw Error("The user guide was not found; looked for " + looked);
}

void TMainWindow::ShowAbout() { pages_->setCurrentWidget(aboutPage_); }

}  // namespace farrowdale
