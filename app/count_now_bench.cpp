// farrowdale_count_now_bench CORPUS_DIR TAG_SET: the window's Count Now on a corpus, scripted
// with the test platform, for timing it and for counting the files it opens
// (bench/run/count_now_bench.sh runs it under strace). Lists the folder's texts, chooses the
// tag set, presses Count Now (per-file reports beside the texts) and prints how long Count
// Now took, from the press until the summary was handed over, and what the summary shows.
// Settings go to a temporary folder; the window is never shown (any Qt platform will do).
#include <QApplication>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <chrono>
#include <filesystem>
#include <iostream>

#include "app/fake_platform.h"
#include "app/main_window.h"
#include "text/code_page.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc != 3) {
    std::cerr << "usage: farrowdale_count_now_bench CORPUS_DIR TAG_SET\n";
    return 2;
  }
  farrowdale::SetSystemCodePage("UTF-8");
  QTemporaryDir settings;
  QSettings::setDefaultFormat(QSettings::IniFormat);
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settings.path());

  farrowdale::TFakePlatform platform;
  platform.template_folder = QCoreApplication::applicationDirPath().toStdString();
  farrowdale::TMainWindow window(platform);
  platform.folder_answers.push_back(std::filesystem::absolute(argv[1]));
  window.findChild<QPushButton*>("btnChoseText")->click();
  platform.file_answers.push_back(std::filesystem::absolute(argv[2]));
  window.findChild<QPushButton*>("btnSelTag")->click();

  const auto start = std::chrono::steady_clock::now();
  window.findChild<QPushButton*>("btnOK")->click();
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
  for (const auto& error : platform.errors) std::cerr << "error: " << error << "\n";
  if (platform.summaries.size() != 1) return 1;
  const farrowdale::TRunSummaryText& summary = platform.summaries.front();
  std::cout << "Count Now: " << took.count() << " s\n";
  for (const std::string& fact : summary.facts) std::cout << fact << "\n";
  std::cout << "problem rows: " << summary.problems.size() << ", groups: " << summary.groups.size()
            << ", notes: " << summary.notes.size() << "\n";
  return 0;
}
