// The farrowdale program: the main window, opened maximised, until it is closed.
#include <QApplication>
#include <clocale>

#include "app/form1.h"
#include "app/qt_platform.h"
#include "text/code_page.h"

int main(int argc, char** argv) {
  std::setlocale(LC_ALL, "");
  farrowdale::InitSystemCodePageFromLocale();
  QApplication app(argc, argv);
  QApplication::setApplicationDisplayName(QString::fromLatin1(farrowdale::kProgramTitle));
  farrowdale::TQtPlatform platform;
  farrowdale::TForm1 form(platform);
  platform.SetDialogParent(&form);
  form.showMaximized();
  return app.exec();
}
