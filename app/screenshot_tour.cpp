// farrowdale_screenshots OUTPUT_DIR CORPUS_DIR: walks the window through its main states
// with a scripted platform and saves each as a PNG, for looking at the layout by eye and for
// the user guide: window-start.png, window-tagset.png (a listed folder, the tag set and its
// tags), run-summary.png (the summary dialog after a run) and window-smallest.png. The
// corpus (a folder of .txt files and tagset.ini) is copied to a temporary folder first, so
// the run's reports never land in it. When the run itself reported no problems, the summary
// is shown with two example read warnings, so that the picture shows the problems list.
// The guide's pictures come from:
//   cmake --build build --target farrowdale_screenshots
//   xvfb-run -a -s "-screen 0 1280x800x24" build/bin/farrowdale_screenshots docs/images examples
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <filesystem>
#include <iostream>

#include "app/fake_platform.h"
#include "app/form1.h"
#include "app/run_summary_dialog.h"
#include "text/code_page.h"

namespace {

void Save(QWidget& widget, const QString& folder, const char* name) {
  QCoreApplication::processEvents();
  const QString path = folder + "/" + name;
  widget.grab().save(path);
  std::cout << path.toStdString() << "\n";
}

template <typename T>
T* Child(QWidget& form, const char* name) {
  return form.findChild<T*>(QString::fromLatin1(name));
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc != 3) {
    std::cerr << "usage: farrowdale_screenshots OUTPUT_DIR CORPUS_DIR\n";
    return 2;
  }
  farrowdale::SetSystemCodePage("UTF-8");
  const QString out = QString::fromLocal8Bit(argv[1]);
  QDir().mkpath(out);
  QTemporaryDir temp;
  // Settings of the tour's own, so that nothing the user remembered shows.
  QSettings::setDefaultFormat(QSettings::IniFormat);
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, temp.path());
  const std::filesystem::path corpus = std::filesystem::path(temp.path().toStdString()) / "corpus";
  std::filesystem::copy(argv[2], corpus, std::filesystem::copy_options::recursive);

  farrowdale::TFakePlatform platform;
  platform.program_folder = QCoreApplication::applicationDirPath().toStdString();
  platform.tick_step = 40;
  farrowdale::TForm1 form(platform);
  form.resize(1024, 640);
  form.show();
  if (!QTest::qWaitForWindowExposed(&form)) return 1;
  Save(form, out, "window-start.png");

  platform.folder_answers.push_back(corpus);
  Child<QPushButton>(form, "btnChoseText")->click();
  platform.file_answers.push_back(corpus / "tagset.ini");
  Child<QPushButton>(form, "btnSelTag")->click();
  Child<QCheckBox>(form, "cbxOneFile")->setChecked(true);
  Save(form, out, "window-tagset.png");

  Child<QPushButton>(form, "btnOK")->click();
  for (const auto& error : platform.errors) std::cerr << "error: " << error << "\n";
  if (platform.summaries.empty()) return 1;
  farrowdale::TRunSummaryText summary = platform.summaries.back();
  if (summary.problems.empty()) {
    summary.problems = {
        (corpus / "field_notes.txt").string() + ": not valid UTF-8; read as windows-1252 (example)",
        (corpus / "interview_chen.txt").string() + ": text cut short at a zero byte (example)"};
  }
  farrowdale::TRunSummaryDialog dialog(summary, &form);
  dialog.show();
  if (!QTest::qWaitForWindowExposed(&dialog)) return 1;
  Save(dialog, out, "run-summary.png");
  dialog.close();

  form.resize(form.minimumSize());
  Save(form, out, "window-smallest.png");
  return platform.errors.empty() ? 0 : 1;
}
