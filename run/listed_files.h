// The files of a run's list, by name and by identity (links), so that nothing a run writes
// (a report, a table, an export) ever replaces one of them: the user's texts are only read.
#ifndef FARROWDALE_RUN_LISTED_FILES_H_
#define FARROWDALE_RUN_LISTED_FILES_H_

#include <filesystem>
#include <set>
#include <unordered_set>
#include <vector>

#include "run/file_list.h"
#include "text/atomic_file.h"

namespace farrowdale {

class TListedFiles {
 public:
  explicit TListedFiles(const std::vector<TFileItem>& items);

  // Throws the file-create error when output would replace a listed file, or could not be
  // replaced at all (a link, a folder).
  void CheckReportPath(const std::filesystem::path& output) const;

 private:
  std::unordered_set<std::filesystem::path::string_type> names_;  // normal forms
  std::set<TFileIdentity> ids_;
};

}  // namespace farrowdale

#endif  // FARROWDALE_RUN_LISTED_FILES_H_
