// farrowdale_screenshots OUTPUT_DIR CORPUS_DIR: walks the window through its main states
// with a scripted platform and saves each as a PNG, for looking at the layout by eye and for
// the user guide: window-start.png, window-tagset.png (a listed folder, the tag set and its
// tags), run-summary.png (the summary dialog after a run), check-markers.png (the Check
// Markers dialog), run-progress.png (a run after its first file, with Cancel),
// coding-view.png (the view opened from a problem), tag-set-editor.png (with its preview),
// help-window.png and window-smallest.png. The corpus (a folder of .txt files and
// tagset.ini) is copied to a temporary folder first, so the run's reports never land in it.
// Two slips a coder makes are put into the copy, so that the pictures show what the window
// does with them: a key typo in the tag set ("colour" for "color" in [time]) and an end
// marker left out in interview_bruno.txt ("<e>lonely" without "</e>"). Every problem shown
// is what the real run and check find in that copy.
// The guide's pictures come from:
//   cmake --build build --target farrowdale_screenshots
//   xvfb-run -a -s "-screen 0 1280x800x24" build/bin/farrowdale_screenshots docs/images examples
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDir>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

#include "app/coding_view.h"
#include "app/fake_platform.h"
#include "app/help_window.h"
#include "app/main_window.h"
#include "app/marker_check_dialog.h"
#include "app/run_summary_dialog.h"
#include "app/tag_set_editor.h"
#include "app/user_guide.h"
#include "text/code_page.h"

namespace {

void Save(QWidget& widget, const QString& folder, const char* name) {
  QCoreApplication::processEvents();
  const QString path = folder + "/" + name;
  widget.grab().save(path);
  std::cout << path.toStdString() << "\n";
}

// Shows a dialog without waiting for it, saves it and closes it; false when it never showed.
bool SaveDialog(QDialog& dialog, const QString& folder, const char* name) {
  dialog.show();
  if (!QTest::qWaitForWindowExposed(&dialog)) return false;
  Save(dialog, folder, name);
  dialog.close();
  return true;
}

template <typename T>
T* Child(QWidget& window, const char* name) {
  return window.findChild<T*>(QString::fromLatin1(name));
}

// Replaces the first `from` in the file by `to`; false when the file does not hold it.
bool ReplaceInFile(const std::filesystem::path& file, const std::string& from,
                   const std::string& to) {
  std::string text;
  {
    std::ifstream in(file, std::ios::binary);
    text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  const size_t at = text.find(from);
  if (at == std::string::npos) return false;
  text.replace(at, from.size(), to);
  std::ofstream(file, std::ios::binary) << text;
  return true;
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
  if (!ReplaceInFile(corpus / "tagset.ini", "color=B9770E", "colour=B9770E") ||
      !ReplaceInFile(corpus / "interview_bruno.txt", "<e>lonely</e>", "<e>lonely")) {
    std::cerr << "the corpus is not the example corpus: the slips cannot be put in\n";
    return 1;
  }

  farrowdale::TFakePlatform platform;
  platform.template_folder = QCoreApplication::applicationDirPath().toStdString();
  platform.tick_step = 40;
  farrowdale::TMainWindow window(platform);
  window.resize(1024, 640);
  window.show();
  if (!QTest::qWaitForWindowExposed(&window)) return 1;
  Save(window, out, "window-start.png");

  platform.folder_answers.push_back(corpus);
  Child<QPushButton>(window, "btnChoseText")->click();
  platform.file_answers.push_back(corpus / "tagset.ini");
  Child<QPushButton>(window, "btnSelTag")->click();
  Child<QCheckBox>(window, "cbxOneFile")->setChecked(true);
  Save(window, out, "window-tagset.png");

  // The run caught after its first file, with the file being counted and Cancel.
  bool progress_saved = false;
  QObject::connect(Child<QProgressBar>(window, "pbRun"), &QProgressBar::valueChanged, &window,
                   [&](int value) {
                     if (value != 1 || progress_saved) return;
                     Save(window, out, "run-progress.png");
                     progress_saved = true;
                   });
  Child<QPushButton>(window, "btnOK")->click();
  for (const auto& error : platform.errors) std::cerr << "error: " << error << "\n";
  if (platform.summaries.empty() || !progress_saved) return 1;
  farrowdale::TRunSummaryDialog summary(platform.summaries.back(), platform.hooks, &window);
  if (!SaveDialog(summary, out, "run-summary.png")) return 1;

  // The coding view opened from the unclosed marker in interview_bruno.txt.
  const auto& problems = platform.summaries.back().problems;
  const auto bruno = std::find_if(problems.begin(), problems.end(), [](const auto& row) {
    return row.path.ends_with("interview_bruno.txt") && row.line > 0;
  });
  if (bruno == problems.end()) return 1;
  platform.hooks.show_problem(*bruno);
  farrowdale::TCodingView view(platform.coding_views.back());
  view.resize(900, 560);
  view.show();
  if (!QTest::qWaitForWindowExposed(&view)) return 1;
  Save(view, out, "coding-view.png");
  view.close();

  // The tag set editor on the same tag set, previewing the first file.
  farrowdale::TTagSetEditor editor(corpus / "tagset.ini",
                                   {corpus / "interview_anna.txt", corpus / "interview_bruno.txt"},
                                   &window);
  editor.resize(980, 620);
  if (!SaveDialog(editor, out, "tag-set-editor.png")) return 1;

  // The help window on the guide.
  farrowdale::THelpWindow help;
  for (const auto& guide : farrowdale::UserGuideCandidates(platform.template_folder)) {
    if (std::filesystem::is_regular_file(guide)) {
      help.Load(guide);
      break;
    }
  }
  help.resize(900, 640);
  help.show();
  if (!QTest::qWaitForWindowExposed(&help)) return 1;
  help.ShowHeading("counting-in-the-window");
  Save(help, out, "help-window.png");
  help.close();

  window.findChild<QAction*>(QStringLiteral("actCheckMarkers"))->trigger();
  if (platform.checks.empty()) return 1;
  farrowdale::TMarkerCheckDialog check(platform.checks.back(), &window);
  if (!SaveDialog(check, out, "check-markers.png")) return 1;

  window.resize(window.minimumSize());
  Save(window, out, "window-smallest.png");
  return platform.errors.empty() ? 0 : 1;
}
