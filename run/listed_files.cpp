#include "run/listed_files.h"

#include <sys/stat.h>

#include <cerrno>
#include <optional>

#include "text/error.h"

namespace farrowdale {
namespace {

std::optional<TFileIdentity> FileId(const std::filesystem::path& path) {
  struct stat info;
  if (::stat(path.c_str(), &info) != 0) return std::nullopt;
  return TFileIdentity{info.st_dev, info.st_ino};
}

}  // namespace

TListedFiles::TListedFiles(const std::vector<TFileItem>& items) {
  for (const TFileItem& item : items) {
    names_.insert(item.path.lexically_normal().native());
    if (const auto id = FileId(item.path)) ids_.insert(*id);
  }
}

void TListedFiles::CheckReportPath(const std::filesystem::path& output) const {
  const std::optional<TFileIdentity> id = CheckReplaceableFile(output);
  if (names_.contains(output.lexically_normal().native()) || (id && ids_.contains(*id))) {
    throw FileCreateError(output, EEXIST);
  }
}

}  // namespace farrowdale
