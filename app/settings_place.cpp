#include "app/settings_place.h"

#include <sys/stat.h>

#include <QCoreApplication>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <cerrno>
#include <cstdio>

namespace farrowdale {

std::unique_ptr<QTemporaryDir> UseRegularSettingsFile() {
  // The place QSettings' native format takes on Linux for the user's scope.
  const QString file = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                       QChar('/') + QCoreApplication::organizationName() + QChar('/') +
                       QCoreApplication::applicationName() + QStringLiteral(".conf");
  const QByteArray native = QFile::encodeName(file);
  struct stat info;
  if (::stat(native.constData(), &info) != 0 || S_ISREG(info.st_mode)) return nullptr;
  std::fprintf(stderr, "%s: warning: not a regular file; settings are not remembered this time\n",
               native.constData());
  auto fallback = std::make_unique<QTemporaryDir>();
  if (fallback->isValid()) {
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, fallback->path());
  }
  return fallback;
}

}  // namespace farrowdale
