// The farrowdale program: the main window, where it was last time (maximised the first
// time), until it is closed.
#include <QApplication>
#include <clocale>

#include "app/main_window.h"
#include "app/qt_platform.h"
#include "app/settings_place.h"
#include "text/code_page.h"

int main(int argc, char** argv) {
  std::setlocale(LC_ALL, "");
  farrowdale::InitSystemCodePageFromLocale();
  QApplication app(argc, argv);
  // The remembered settings' place: ~/.config/Morrow Farrowdale/Farrowdale.conf on Linux.
  QApplication::setOrganizationName(QStringLiteral("Morrow Farrowdale"));
  QApplication::setOrganizationDomain(QStringLiteral("morrowfarrowdale.org"));
  QApplication::setApplicationName(QStringLiteral("Farrowdale"));
  QApplication::setDesktopFileName(QStringLiteral("org.morrowfarrowdale.Farrowdale"));
  QApplication::setApplicationDisplayName(QString::fromLatin1(farrowdale::kProgramTitle));
  const auto settings_fallback = farrowdale::UseRegularSettingsFile();
  farrowdale::TQtPlatform platform;
  farrowdale::TMainWindow window(platform);
  platform.SetDialogParent(&window);
  window.ShowAsLastTime();
  return app.exec();
}
