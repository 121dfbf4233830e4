#include "app/remembered_list.h"

#include <QFile>
#include <QSettings>
#include <QStringList>
#include <QVariantList>

namespace farrowdale {

namespace {

constexpr char kListKey[] = "fileList/paths";
constexpr char kTicksKey[] = "fileList/ticks";
constexpr char kRootKey[] = "fileList/root";
constexpr char kShownKey[] = "fileList/shownFolder";

// Paths in the file system's own spelling, whatever the code page.
QString PathSetting(const std::filesystem::path& path) {
  return QFile::decodeName(QByteArray::fromStdString(path.native()));
}

std::filesystem::path SettingPath(const QString& value) {
  return std::filesystem::path(QFile::encodeName(value).toStdString());
}

}  // namespace

void RememberFileList(const TFileListModel& model, const std::filesystem::path& shown_folder) {
  QStringList paths;
  QVariantList ticks;
  paths.reserve(static_cast<qsizetype>(model.size()));
  ticks.reserve(static_cast<qsizetype>(model.size()));
  for (const TFileItem& item : model.items()) {
    paths << PathSetting(item.path);
    ticks << item.checked;
  }
  QSettings settings;
  settings.setValue(QString::fromLatin1(kListKey), paths);
  settings.setValue(QString::fromLatin1(kTicksKey), ticks);
  settings.setValue(QString::fromLatin1(kRootKey), PathSetting(model.RootFolder()));
  settings.setValue(QString::fromLatin1(kShownKey), PathSetting(shown_folder));
}

TRememberedList RecallFileList() {
  const QSettings settings;
  const QStringList paths = settings.value(QString::fromLatin1(kListKey)).toStringList();
  const QVariantList ticks = settings.value(QString::fromLatin1(kTicksKey)).toList();
  TRememberedList list;
  list.root_folder = SettingPath(settings.value(QString::fromLatin1(kRootKey)).toString());
  list.shown_folder = SettingPath(settings.value(QString::fromLatin1(kShownKey)).toString());
  for (qsizetype i = 0; i < paths.size(); ++i) {
    const std::filesystem::path path = SettingPath(paths[i]);
    std::error_code ec;
    if (std::filesystem::exists(path, ec)) {
      // A list stored without its ticks (written by hand) counts every item as ticked.
      list.items.push_back({path, i < ticks.size() ? ticks[i].toBool() : true});
    } else {
      list.missing.push_back(path);
    }
  }
  return list;
}

void RestoreFileList(const TRememberedList& list, TFileListModel& model) {
  std::vector<std::filesystem::path> paths;
  paths.reserve(list.items.size());
  for (const TFileItem& item : list.items) paths.push_back(item.path);
  model.AddFiles(paths, list.root_folder);
  // AddFiles refuses duplicates, so the model's items follow the list's without gaps only
  // when the stored list had none; match them up by path.
  for (const TFileItem& item : list.items) {
    if (const auto index = model.Find(item.path)) model.SetChecked(*index, item.checked);
  }
}

}  // namespace farrowdale
