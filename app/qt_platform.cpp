#include "app/qt_platform.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>
#include <chrono>

#include "app/dialog_texts.h"
#include "app/marker_check_dialog.h"
#include "app/run_summary_dialog.h"
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

TSummaryAction TQtPlatform::ShowRunSummary(const TRunSummaryText& summary) {
  TRunSummaryDialog dialog(summary, parent_);
  dialog.exec();
  return dialog.Action();
}

void TQtPlatform::ShowMarkerCheck(const TMarkerCheckText& check) {
  TMarkerCheckDialog dialog(check, parent_);
  dialog.exec();
}

void TQtPlatform::ShellOpen(const std::filesystem::path& path) {
  QDesktopServices::openUrl(QUrl::fromLocalFile(PathToQString(path)));
}

uint32_t TQtPlatform::TickCount() {
  const auto now = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

std::filesystem::path TQtPlatform::ProgramFolder() {
  return QStringToPath(QCoreApplication::applicationDirPath());
}

}  // namespace farrowdale
