#include "app/form1.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFontDatabase>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <chrono>
#include <exception>

#include "app/about_page.h"
#include "app/active_label.h"
#include "app/anchor_layout.h"
#include "app/dialog_texts.h"
#include "run/coding_run.h"
#include "run/file_list.h"
#include "text/code_page.h"
#include "text/trim.h"

namespace farrowdale {

namespace {

constexpr char kFolderPickerTitle[] = "Browse for Folder";
constexpr char kTagSetFilter[] = "Morrow Tallyweave Tagset(*.ini)|*.ini";
constexpr char kClearListQuestion[] = "Clear the file list?";
constexpr char kFolderHint[] = "Double click will open the folder";
// The pages' client area at design time; children keep their distances from it.
constexpr QSize kPageDesignSize(764, 459);

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

template <typename T>
T* Named(T* object, const char* name) {
  object->setObjectName(QString::fromLatin1(name));
  return object;
}

}  // namespace

// The host the coding run reports to: the platform's boxes, shell and clock, and the
// progress bar, repainted while the window stays disabled.
class TForm1::RunHost : public TCodingRunHost {
 public:
  explicit RunHost(TForm1& form) : form_(form) {}
  void ShowInformation(const std::string& message) override {
    form_.platform_.ShowMessage(message);
  }
  void ShellOpen(const std::filesystem::path& path) override { form_.platform_.ShellOpen(path); }
  uint32_t TickCount() override { return form_.platform_.TickCount(); }
  std::chrono::system_clock::time_point Now() override { return std::chrono::system_clock::now(); }
  std::filesystem::path ProgramFolder() override { return form_.platform_.ProgramFolder(); }
  void Progress(int files_done, int files_ticked) override {
    form_.pbRun_->setMaximum(files_ticked);
    form_.pbRun_->setValue(files_done);
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  }
  void Warn(const std::filesystem::path& path, const std::string& message) override {
    form_.run_warnings_.emplace_back(path, message);
  }

 private:
  TForm1& form_;
};

// Disables the whole window for a run and enables it again on every path out.
class TForm1::RunScope {
 public:
  explicit RunScope(TForm1& form) : form_(form) {
    form_.running_ = true;
    form_.setEnabled(false);
    form_.pbRun_->setRange(0, 1);
    form_.pbRun_->setValue(0);
    form_.pbRun_->show();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  }
  ~RunScope() {
    form_.pbRun_->hide();
    form_.setEnabled(true);
    form_.running_ = false;
  }
  RunScope(const RunScope&) = delete;
  RunScope& operator=(const RunScope&) = delete;

 private:
  TForm1& form_;
};

TForm1::TForm1(TPlatform& platform, QWidget* parent) : QWidget(parent), platform_(platform) {
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(QString::fromLatin1(kProgramTitle));
  setWindowIcon(QIcon(QStringLiteral(":/farrowdale/farrowdale.png")));
  setMinimumSize(780, 514);
  resize(780, 514);
  setFont(WindowFont(11));

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  pc_ = Named(new QTabWidget(this), "pc");
  layout->addWidget(pc_);
  BuildSettingsPage();
  BuildAboutPage();
  SetTabOrder();
  Connect();
  FormCreate();
}

TForm1::~TForm1() = default;

void TForm1::BuildSettingsPage() {
  tabSettings_ = Named(new QWidget, "tabSettings");
  pc_->addTab(tabSettings_, QStringLiteral("Settings"));
  auto* page = new TAnchorLayout(tabSettings_, kPageDesignSize);

  btnChoseText_ = Named(new QPushButton(QStringLiteral("Choose Folder")), "btnChoseText");
  page->AddWidget(btnChoseText_, QRect(12, 12, 99, 23), kAnchorLeftTop);

  lblDir_ = Named(new TActiveLabel, "lblDir");
  lblDir_->setCursor(Qt::PointingHandCursor);
  lblDir_->setToolTip(QString::fromLatin1(kFolderHint));
  page->AddWidget(lblDir_, QRect(117, 17, 0, 0), kAnchorLeftTop);

  clbFileList_ = Named(new QListWidget, "clbFileList");
  clbFileList_->setSelectionMode(QAbstractItemView::SingleSelection);
  clbFileList_->setUniformItemSizes(true);
  page->AddWidget(clbFileList_, QRect(12, 40, 517, 361), kAnchorAll);

  plSettings_ = Named(new QWidget, "plSettings");
  page->AddWidget(plSettings_, QRect(3, 407, 526, 26), kAnchorLeft | kAnchorRight | kAnchorBottom);
  auto* panel = new TAnchorLayout(plSettings_, QSize(526, 26));
  edtFileFilter_ = Named(new QLineEdit, "edtFileFilter");
  panel->AddWidget(edtFileFilter_, QRect(9, 2, 121, 21), kAnchorLeft | kAnchorBottom);
  btnFilter_ = Named(new QPushButton(QStringLiteral("Filter")), "btnFilter");
  panel->AddWidget(btnFilter_, QRect(136, 2, 75, 22), kAnchorLeft | kAnchorBottom);
  // The status line comes before the buttons so that they stay on top of a long text.
  lblFileInfo_ = Named(new QLabel, "lblFileInfo");
  SetTextColor(lblFileInfo_, QPalette::WindowText, Qt::blue);
  panel->AddWidget(lblFileInfo_, QRect(226, 6, 0, 0), kAnchorLeft | kAnchorBottom);
  btnSelAll_ = Named(new QPushButton(QStringLiteral("Select All")), "btnSelAll");
  panel->AddWidget(btnSelAll_, QRect(345, 2, 77, 23), kAnchorRight | kAnchorBottom);
  btnClearSel_ = Named(new QPushButton(QStringLiteral("Clear Selection")), "btnClearSel");
  panel->AddWidget(btnClearSel_, QRect(433, 2, 93, 23), kAnchorRight | kAnchorBottom);

  pbRun_ = Named(new QProgressBar, "pbRun");
  pbRun_->setFormat(QStringLiteral("%v of %m file(s)"));
  pbRun_->hide();
  page->AddWidget(pbRun_, QRect(564, 344, 178, 20), kAnchorRight | kAnchorBottom);

  btnOK_ = Named(new QPushButton(QStringLiteral("Count Now!")), "btnOK");
  btnOK_->setFont(WindowFont(19, /*bold=*/true));
  SetTextColor(btnOK_, QPalette::ButtonText, Qt::blue);
  page->AddWidget(btnOK_, QRect(564, 372, 178, 61), kAnchorRight | kAnchorBottom);

  gbTagSet_ = Named(new QGroupBox(QStringLiteral(" Code List ")), "gbTagSet");
  page->AddWidget(gbTagSet_, QRect(548, 36, 201, 113), kAnchorTop | kAnchorRight);
  auto* group = new TAnchorLayout(gbTagSet_, QSize(201, 113));
  btnSelTag_ = Named(new QPushButton(QStringLiteral("Select File")), "btnSelTag");
  btnSelTag_->setFont(WindowFont(13));
  group->AddWidget(btnSelTag_, QRect(48, 36, 109, 29), kAnchorLeftTop);
  lbTagSetFile_ = Named(new TActiveLabel, "lbTagSetFile");
  lbTagSetFile_->setFont(WindowFont(13));
  lbTagSetFile_->setAlignment(Qt::AlignCenter);
  lbTagSetFile_->SetElideMiddle(true);
  SetTextColor(lbTagSetFile_, QPalette::WindowText, Qt::red);
  group->AddWidget(lbTagSetFile_, QRect(20, 76, 165, 25), kAnchorLeftTop);

  cbxOneFile_ = Named(new QCheckBox(QStringLiteral("Save Results as One File")), "cbxOneFile");
  page->AddWidget(cbxOneFile_, QRect(564, 160, 185, 17), kAnchorTop | kAnchorRight);
}

void TForm1::BuildAboutPage() {
  About_ = Named(new QWidget, "About");
  pc_->addTab(About_, QStringLiteral("About"));
  auto* page = new TAnchorLayout(About_, kPageDesignSize);
  Image1_ = Named(new QLabel, "Image1");
  Image1_->setPixmap(QPixmap::fromImage(LoadProgramPicture()));
  page->AddWidget(Image1_, QRect(20, 24, 125, 125), kAnchorLeftTop);
  Memo1_ = Named(new QPlainTextEdit(AboutText()), "Memo1");
  Memo1_->setFrameShape(QFrame::NoFrame);
  // Flat on the page: the page's own background shows through.
  QPalette palette = Memo1_->palette();
  palette.setColor(QPalette::Base, Qt::transparent);
  Memo1_->setPalette(palette);
  page->AddWidget(Memo1_, QRect(160, 24, 589, 417), kAnchorAll);
}

void TForm1::SetTabOrder() {
  const QWidget* chain[] = {btnChoseText_, clbFileList_, btnFilter_, edtFileFilter_, btnClearSel_,
                            btnSelAll_,    btnOK_,       btnSelTag_, cbxOneFile_};
  for (size_t i = 1; i < std::size(chain); ++i) {
    QWidget::setTabOrder(const_cast<QWidget*>(chain[i - 1]), const_cast<QWidget*>(chain[i]));
  }
}

void TForm1::Connect() {
  auto on = [this](auto* sender, auto signal, void (TForm1::*handler)()) {
    connect(sender, signal, this, [this, handler] { Guarded(handler); });
  };
  on(btnChoseText_, &QPushButton::clicked, &TForm1::btnChoseTextClick);
  on(lblDir_, &TActiveLabel::Clicked, &TForm1::lblDirClick);
  on(btnFilter_, &QPushButton::clicked, &TForm1::btnFilterClick);
  on(btnSelAll_, &QPushButton::clicked, &TForm1::btnSelAllClick);
  on(btnClearSel_, &QPushButton::clicked, &TForm1::btnClearSelClick);
  on(btnSelTag_, &QPushButton::clicked, &TForm1::btnSelTagClick);
  on(btnOK_, &QPushButton::clicked, &TForm1::btnOKClick);
  on(lbTagSetFile_, &TActiveLabel::MouseEntered, &TForm1::lbTagSetFileMouseEnter);
  on(edtFileFilter_, &QLineEdit::textChanged, &TForm1::edtFileFilterChange);
  // Only the user's own changes run the list handlers; the handlers' changes do not.
  auto user_click = [this] {
    if (!setting_from_program_) Guarded(&TForm1::clbFileListClick);
  };
  // Selection, not the current item: focus arriving in the list makes its first item current
  // without the user choosing it.
  connect(clbFileList_, &QListWidget::itemSelectionChanged, this, user_click);
  connect(clbFileList_, &QListWidget::itemClicked, this, user_click);
  connect(clbFileList_, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
    if (setting_from_program_) return;
    // A click on an item's box makes it current, as a click anywhere on the item does (the
    // list view alone would toggle it and leave the current item as it was).
    if (clbFileList_->currentItem() != item) clbFileList_->setCurrentItem(item);
    Guarded(&TForm1::clbFileListClickCheck);
  });
  edtFileFilter_->installEventFilter(this);
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
  if (watched == edtFileFilter_ && event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
      edtFileFilterKeyPress('\r');
    } else if (!key->text().isEmpty()) {
      edtFileFilterKeyPress(key->text().at(0).toLatin1());
    }
  }
  return QWidget::eventFilter(watched, event);  // the edit box still receives the key
}

void TForm1::Guarded(void (TForm1::*handler)()) {
  try {
    (this->*handler)();
  } catch (const std::exception& e) {
    platform_.ShowError(ErrorBoxText(e.what()));
  }
}

void TForm1::closeEvent(QCloseEvent* event) {
  // The run works on the tag table; the window cannot go away under it.
  if (running_) {
    event->ignore();
    return;
  }
  FormClose();
  event->accept();
}

std::filesystem::path TForm1::ItemPath(const QListWidgetItem& item) {
  return std::filesystem::path(item.data(Qt::UserRole).toByteArray().toStdString());
}

int TForm1::CountChecked() const {
  int n = 0;
  for (int i = 0; i < clbFileList_->count(); ++i) {
    if (clbFileList_->item(i)->checkState() == Qt::Checked) ++n;
  }
  return n;
}

void TForm1::SetItemChecked(QListWidgetItem* item, bool checked) {
  const bool was = std::exchange(setting_from_program_, true);
  item->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
  setting_from_program_ = was;
}

void TForm1::SetAllChecked(bool checked) {
  for (int i = 0; i < clbFileList_->count(); ++i) SetItemChecked(clbFileList_->item(i), checked);
}

void TForm1::MakeCurrent(QListWidgetItem* item) {
  const bool was = std::exchange(setting_from_program_, true);
  clbFileList_->setCurrentItem(item);
  setting_from_program_ = was;
}

int TForm1::FindItem(const std::filesystem::path& path) const {
  for (int i = 0; i < clbFileList_->count(); ++i) {
    if (SameItemPath(ItemPath(*clbFileList_->item(i)), path)) return i;
  }
  return -1;
}

void TForm1::AppendItem(const std::filesystem::path& path) {
  auto* item = new QListWidgetItem(PathText(path));
  item->setData(Qt::UserRole, QByteArray::fromStdString(path.native()));
  item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
  item->setCheckState(Qt::Checked);
  const bool was = std::exchange(setting_from_program_, true);
  clbFileList_->addItem(item);
  setting_from_program_ = was;
}

void TForm1::SetFolder(const std::filesystem::path& folder) {
  folder_ = folder;
  lblDir_->setText(PathText(folder));
}

void TForm1::WriteStatus(int checked) {
  lblFileInfo_->setText(QStringLiteral("%1 file(s) selected, %2 file(s) in the list.")
                            .arg(checked)
                            .arg(clbFileList_->count()));
}

int TForm1::Refresh() {
  const int n = CountChecked();
  checked_count_ = n;
  WriteStatus(n);
  cbxOneFile_->setVisible(n > 1);
  return n;
}

std::string TForm1::TrimmedFilter() const {
  return ToNarrow(Trim(std::u16string_view(edtFileFilter_->text().toStdU16String())));
}

void TForm1::FormCreate() {
  lblDir_->setText(QString());
  lblFileInfo_->setText(QString());
  lblDir_->setEnabled(false);
  plSettings_->setEnabled(false);
  btnFilter_->setEnabled(false);
  btnOK_->setEnabled(false);
  gbTagSet_->setEnabled(false);
  cbxOneFile_->setVisible(false);
  cbxOneFile_->setChecked(false);
  pc_->setCurrentWidget(tabSettings_);
}

void TForm1::btnChoseTextClick() {
  const auto folder = platform_.ChooseFolder(kFolderPickerTitle, platform_.ProgramFolder());
  if (folder) {
    const auto entries = ListTextFilesOfFolder(*folder);
    if (clbFileList_->count() > 0 && platform_.Confirm(kClearListQuestion)) {
      const bool was = std::exchange(setting_from_program_, true);
      clbFileList_->clear();
      setting_from_program_ = was;
    }
    for (const auto& path : entries) {
      const int existing = FindItem(path);
      if (existing < 0) {
        AppendItem(path);
        SetFolder(*folder);
      } else {
        platform_.ShowMessage(DuplicateItemMessage(path));
        MakeCurrent(clbFileList_->item(existing));
      }
    }
  }
  if (clbFileList_->count() > 0) {
    lblDir_->setEnabled(true);
    plSettings_->setEnabled(true);
    gbTagSet_->setEnabled(Refresh() > 0);
  } else if (folder) {
    // The list is empty after a folder choice (emptied by "Yes", nothing found): nothing is
    // ticked any more, so nothing may stay enabled that needs ticked files.
    Refresh();
    gbTagSet_->setEnabled(false);
    btnOK_->setEnabled(false);
  }
}

void TForm1::lblDirClick() { platform_.ShellOpen(folder_); }

void TForm1::clbFileListClick() {
  if (const QListWidgetItem* item = clbFileList_->currentItem()) {
    SetFolder(ItemFolder(ItemPath(*item)));
  }
}

void TForm1::clbFileListClickCheck() {
  if (clbFileList_->currentItem() == nullptr) return;
  btnOK_->setEnabled(Refresh() > 0);
}

void TForm1::edtFileFilterChange() { btnFilter_->setEnabled(!TrimmedFilter().empty()); }

void TForm1::edtFileFilterKeyPress(char key) {
  if (key == '\r' && !TrimmedFilter().empty()) btnFilter_->click();
}

void TForm1::btnFilterClick() {
  if (clbFileList_->count() == 0) return;
  SetAllChecked(false);
  try {
    for (int i = 0; i < clbFileList_->count(); ++i) {
      QListWidgetItem* item = clbFileList_->item(i);
      const auto path = ItemPath(*item);
      if (MatchesFilter(TrimmedFilter(), PathToNarrow(path))) {
        SetItemChecked(item, true);
        MakeCurrent(item);
        SetFolder(ItemFolder(path));
      }
    }
  } catch (...) {
    // Every item is unticked by now: the count, the status line and "Count Now!" say so
    // before the pattern's error is shown.
    btnOK_->setEnabled(Refresh() > 0);
    throw;
  }
  btnOK_->setEnabled(Refresh() > 0);
}

void TForm1::btnSelAllClick() {
  SetAllChecked(true);
  btnOK_->setEnabled(Refresh() > 0);
}

void TForm1::btnClearSelClick() {
  SetAllChecked(false);
  checked_count_ = 0;
  btnOK_->setEnabled(false);
  WriteStatus(0);
  cbxOneFile_->setVisible(false);
}

void TForm1::btnSelTagClick() {
  const auto file = platform_.ChooseFileToOpen(platform_.ProgramFolder(), kTagSetFilter);
  if (!file) return;
  tag_set_path_ = *file;
  tag_set_caption_ = PathToNarrow(file->filename());
  lbTagSetFile_->setText(ToQString(tag_set_caption_));
  if (tag_set_hint_shown_) lbTagSetFile_->setToolTip(PathText(tag_set_path_));
  btnOK_->setEnabled(!Trim(std::string_view(tag_set_caption_)).empty() && checked_count_ > 0);
}

void TForm1::lbTagSetFileMouseEnter() {
  tag_set_hint_shown_ = !Trim(std::string_view(tag_set_caption_)).empty();
  lbTagSetFile_->setToolTip(tag_set_hint_shown_ ? PathText(tag_set_path_) : QString());
}

void TForm1::btnOKClick() {
  TCodingRunRequest request;
  request.tag_set_path = tag_set_path_;
  for (int i = 0; i < clbFileList_->count(); ++i) {
    const QListWidgetItem* item = clbFileList_->item(i);
    request.items.push_back({ItemPath(*item), item->checkState() == Qt::Checked});
  }
  request.one_file_mode = !cbxOneFile_->isHidden() && cbxOneFile_->isChecked();
  request.corpus_folder = folder_;
  run_warnings_.clear();
  RunHost host(*this);
  RunScope scope(*this);
  RunCoding(request, tag_set_, host);
}

void TForm1::FormClose() { tag_set_.clear(); }

}  // namespace farrowdale
