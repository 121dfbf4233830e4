// The farrowdale program: the main window, where it was last time (maximised the first
// time), until it is closed.
#include <QApplication>
#include <clocale>

#include "app/form1.h"
#include "app/qt_platform.h"
#include "run/marker_check.h"
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
  farrowdale::TQtPlatform platform;
  farrowdale::TForm1 form(platform);
  platform.SetDialogParent(&form);
  // "Check Markers" runs the same check as "farrowdale-cli check": a line per problem.
  form.SetMarkerChecker(
      [](const std::filesystem::path& tag_set, const std::vector<std::filesystem::path>& files) {
        std::vector<std::string> lines;
        for (const auto& problem : farrowdale::CheckCoding(tag_set, files).problems) {
          lines.push_back(farrowdale::FormatCheckProblem(problem));
        }
        return lines;
      });
  form.ShowAsLastTime();
  return app.exec();
}
