#include "app/qt_platform.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>
#include <chrono>

#include "app/agreement_dialog.h"
#include "app/coding_view.h"
#include "app/dialog_texts.h"
#include "app/marker_check_dialog.h"
#include "app/problem_list_view.h"
#include "app/run_summary_dialog.h"
#include "app/tag_set_editor.h"
#include "text/code_page.h"

namespace farrowdale {

namespace {

QString ToQString(const std::string& narrow) {
  return QString::fromStdU16String(ToUnicode(narrow));
}

QString PathToQString(const std::filesystem::path& path) {
  return QFile::decodeName(QByteArray::fromStdString(path.native()));
}

std::filesystem::path QStringToPath(const QString& text) {
  return std::filesystem::path(QFile::encodeName(text).toStdString());
}

void ShowBox(QWidget* parent, QMessageBox::Icon icon, const QString& text) {
  QMessageBox box(icon, QString::fromLatin1(kProgramTitle), text, QMessageBox::Ok, parent);
  // Messages quote tag names and file names: text, never markup.
  box.setTextFormat(Qt::PlainText);
  box.exec();
}

}  // namespace

std::optional<std::filesystem::path> TQtPlatform::ChooseFolder(const std::string& title,
                                                               const std::filesystem::path& start) {
  const QString folder =
      QFileDialog::getExistingDirectory(parent_, ToQString(title), PathToQString(start));
  if (folder.isEmpty()) return std::nullopt;
  return QStringToPath(folder);
}

std::optional<std::filesystem::path> TQtPlatform::ChooseFileToOpen(
    const std::filesystem::path& initial_folder, const std::string& filter) {
  const QString file = QFileDialog::getOpenFileName(
      parent_, QString(), PathToQString(initial_folder), ToQString(DialogFilter(filter)));
  if (file.isEmpty()) return std::nullopt;
  return QStringToPath(file);
}

std::optional<std::filesystem::path> TQtPlatform::ChooseFileToSave(
    const std::string& title, const std::filesystem::path& suggested, const std::string& filter) {
  const QString file = QFileDialog::getSaveFileName(
      parent_, ToQString(title), PathToQString(suggested), ToQString(DialogFilter(filter)));
  if (file.isEmpty()) return std::nullopt;
  return QStringToPath(file);
}

void TQtPlatform::ShowMessage(const std::string& text) {
  ShowBox(parent_, QMessageBox::NoIcon, ToQString(text));
}

void TQtPlatform::ShowError(const std::string& text) {
  ShowBox(parent_, QMessageBox::Critical, ToQString(text));
}

TListChoice TQtPlatform::AskReplaceOrAdd(const std::string& question) {
  QMessageBox box(QMessageBox::Question, QString::fromLatin1(kProgramTitle), ToQString(question),
                  QMessageBox::NoButton, parent_);
  box.setTextFormat(Qt::PlainText);
  const QAbstractButton* replace =
      box.addButton(QStringLiteral("&Replace List"), QMessageBox::DestructiveRole);
  const QAbstractButton* add =
      box.addButton(QStringLiteral("&Add to List"), QMessageBox::AcceptRole);
  box.setDefaultButton(static_cast<QPushButton*>(box.addButton(QMessageBox::Cancel)));
  box.setEscapeButton(QMessageBox::Cancel);
  box.exec();
  if (box.clickedButton() == replace) return TListChoice::kReplace;
  if (box.clickedButton() == add) return TListChoice::kAdd;
  return TListChoice::kCancel;
}

void TQtPlatform::ShowRunSummary(const TRunSummaryText& summary, const TResultHooks& hooks) {
  TRunSummaryDialog dialog(summary, hooks, parent_);
  // Modal to the main window only, so that the coding view and the help window it opens
  // take input.
  dialog.setWindowModality(Qt::WindowModal);
  dialog.exec();
}

void TQtPlatform::ShowMarkerCheck(const TMarkerCheckText& check, const TResultHooks& hooks) {
  TMarkerCheckDialog dialog(check, parent_, hooks.show_problem);
  dialog.setWindowModality(Qt::WindowModal);
  dialog.exec();
}

void TQtPlatform::ShowAgreement(const TAgreementText& agreement, const TResultHooks& hooks) {
  TAgreementDialog dialog(agreement, hooks.open, parent_);
  dialog.setWindowModality(Qt::WindowModal);
  dialog.exec();
}

std::optional<std::filesystem::path> TQtPlatform::EditTagSet(
    const std::filesystem::path& tag_set, const std::vector<std::filesystem::path>& preview_files) {
  TTagSetEditor editor(tag_set, preview_files, parent_);
  if (editor.exec() != QDialog::Accepted) return std::nullopt;
  return editor.Path();
}

TTagSetProblemChoice TQtPlatform::AskCountDespiteProblems(
    const std::vector<TProblemRow>& problems) {
  QDialog dialog(parent_);
  dialog.setObjectName(QStringLiteral("TagSetProblemsBeforeRun"));
  dialog.setWindowTitle(QString::fromLatin1(kProgramTitle));
  auto* layout = new QVBoxLayout(&dialog);
  layout->addWidget(new QLabel(
      QStringLiteral("The tag set has %1 problem(s); the counts of the tags concerned may not "
                     "be what you meant:")
          .arg(problems.size())));
  layout->addWidget(NewProblemList(problems));
  auto* buttons = new QDialogButtonBox;
  TTagSetProblemChoice choice = TTagSetProblemChoice::kCancel;
  auto add = [&](const QString& text, QDialogButtonBox::ButtonRole role,
                 TTagSetProblemChoice chosen) {
    QPushButton* button = buttons->addButton(text, role);
    QObject::connect(button, &QPushButton::clicked, &dialog, [&choice, &dialog, chosen] {
      choice = chosen;
      dialog.accept();
    });
    return button;
  };
  add(QStringLiteral("C&ount Anyway"), QDialogButtonBox::AcceptRole,
      TTagSetProblemChoice::kCountAnyway);
  add(QStringLiteral("&Edit Tag Set..."), QDialogButtonBox::ActionRole,
      TTagSetProblemChoice::kEditTagSet)
      ->setDefault(true);
  QObject::connect(buttons->addButton(QDialogButtonBox::Cancel), &QPushButton::clicked, &dialog,
                   &QDialog::reject);
  layout->addWidget(buttons);
  dialog.resize(720, 320);
  dialog.exec();
  return choice;
}

bool TQtPlatform::ShellOpen(const std::filesystem::path& path) {
  // A path that has gone cannot be opened; the desktop would say nothing, or start an
  // unrelated program.
  std::error_code ec;
  if (!std::filesystem::exists(path, ec)) return false;
  return QDesktopServices::openUrl(QUrl::fromLocalFile(PathToQString(path)));
}

void TQtPlatform::ShowOpenFailed(const std::filesystem::path& path) {
  const QString shown = PathToQString(path);
  QMessageBox box(
      QMessageBox::Warning, QString::fromLatin1(kProgramTitle),
      QStringLiteral("The desktop could not open this; open it yourself:\n\n%1").arg(shown),
      QMessageBox::Ok, parent_);
  box.setTextInteractionFlags(Qt::TextSelectableByMouse);
  QPushButton* copy = box.addButton(QStringLiteral("&Copy Path"), QMessageBox::ActionRole);
  // The copy button would close the box; it copies and the box stays until OK.
  copy->disconnect();
  QObject::connect(copy, &QPushButton::clicked, &box,
                   [shown] { QGuiApplication::clipboard()->setText(shown); });
  box.exec();
}

void TQtPlatform::ShowUserGuide(const std::filesystem::path& guide) {
  if (help_ == nullptr) {
    help_ = new THelpWindow;
    help_->setAttribute(Qt::WA_DeleteOnClose);
  }
  help_->Load(guide);
  help_->show();
  help_->raise();
  help_->activateWindow();
}

void TQtPlatform::ShowCodingView(const TCodingViewTarget& target) {
  // A window of its own, with no parent: it takes input while a summary is up.
  auto* view = new TCodingView(target);
  view->setAttribute(Qt::WA_DeleteOnClose);
  view->show();
}

uint32_t TQtPlatform::TickCount() {
  const auto now = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

std::filesystem::path TQtPlatform::TemplateFolder() {
  return QStringToPath(QCoreApplication::applicationDirPath());
}

}  // namespace farrowdale
