// farrowdale_screenshots OUTPUT_DIR CORPUS_DIR: walks the window through its main states
// with a scripted platform and saves each as a PNG, for looking at the layout by eye. The
// corpus (a folder of .txt files and tagset.ini) is copied to a temporary folder first, so
// the run's reports never land in it.
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <filesystem>
#include <iostream>

#include "app/fake_platform.h"
#include "app/form1.h"
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
  const std::filesystem::path corpus = std::filesystem::path(temp.path().toStdString()) / "corpus";
  std::filesystem::copy(argv[2], corpus, std::filesystem::copy_options::recursive);

  farrowdale::TFakePlatform platform;
  platform.program_folder = QCoreApplication::applicationDirPath().toStdString();
  platform.tick_step = 40;
  farrowdale::TForm1 form(platform);
  form.resize(1024, 640);
  form.show();
  if (!QTest::qWaitForWindowExposed(&form)) return 1;
  Save(form, out, "1_start.png");

  platform.folder_answers.push_back(corpus);
  Child<QPushButton>(form, "btnChoseText")->click();
  Save(form, out, "2_listed.png");

  platform.file_answers.push_back(corpus / "tagset.ini");
  Child<QPushButton>(form, "btnSelTag")->click();
  Child<QCheckBox>(form, "cbxOneFile")->setChecked(true);
  Save(form, out, "3_ready.png");

  platform.on_message = [&] { Save(form, out, "4_running.png"); };
  Child<QPushButton>(form, "btnOK")->click();
  for (const auto& error : platform.errors) std::cerr << "error: " << error << "\n";
  for (const auto& message : platform.messages) std::cout << "message: " << message << "\n";
  Save(form, out, "5_after_run.png");
  for (const auto& opened : platform.opened) {
    const auto copy = std::filesystem::path(out.toStdString()) / opened.filename();
    std::filesystem::copy_file(opened, copy, std::filesystem::copy_options::overwrite_existing);
    std::cout << copy.string() << "\n";
  }

  Child<QTabWidget>(form, "pc")->setCurrentIndex(1);
  Save(form, out, "6_about.png");
  return platform.errors.empty() ? 0 : 1;
}
