// The exchange export behind "farrowdale-cli export" and the window's "Export REFI-QDA
// Project": the ticked files' coding as a project (".qdpx") and the tag set as a codebook
// (".qdc") for qualitative-analysis programs (report/qda_project.h).
//
// Each ticked file is read as a coding run reads it and stripped of the markers of its
// passages (count/stripped_text.h); the stripped text becomes the source, each passage a
// selection coded with its tag. Passages that are empty after trimming, and those whose
// visible text is nothing once other tags' markers are gone, have no characters to select:
// they are not exported and are counted in the summary.
#ifndef FARROWDALE_RUN_EXCHANGE_EXPORT_H_
#define FARROWDALE_RUN_EXCHANGE_EXPORT_H_

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "run/coding_run.h"
#include "run/file_list.h"

namespace farrowdale {

struct TExchangeExportRequest {
  std::filesystem::path tag_set_path;
  std::vector<TFileItem> items;         // the file list; the ticked items are exported
  std::filesystem::path corpus_folder;  // sources are named relative to it
  std::string coder;                    // narrow text: the user every coding is made by
  std::filesystem::path project_path;   // empty: no project
  std::filesystem::path codebook_path;  // empty: no codebook
  int jobs = 0;                         // threads that read files; 0: one per core
};

struct TExchangeExportSummary {
  int files = 0;
  int codes = 0;
  int64_t selections = 0;
  int64_t empty_passages = 0;        // empty after trimming
  int64_t marker_only_passages = 0;  // nothing left once other tags' markers are removed
  std::string message;               // as shown by ShowInformation
};

// Exports and tells the summary through host.ShowInformation; read warnings go through
// host.Warn, progress through host.Progress, the creation date is host.Now(). Every output
// path is checked first (none may replace a listed text or be a link or a folder), and
// both files are made and synced before either takes its place. Throws Error on failure (a tag set
// without tags when a codebook is asked for included).
TExchangeExportSummary ExportExchangeProject(const TExchangeExportRequest& request,
                                             TCodingRunHost& host);

}  // namespace farrowdale

#endif  // FARROWDALE_RUN_EXCHANGE_EXPORT_H_
