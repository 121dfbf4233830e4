// The coding run: tag set, then every ticked file and every tag, then the reports, the time
// message and the shell open. Each file is read and converted to narrow text once; every
// tag then searches that same narrow text.
#include "run/coding_run.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <optional>
#include <set>
#include <utility>

#include "report/report_writers.h"
#include "run/frequency_list.h"
#include "run/pooled_count.h"
#include "run/stat_info.h"
#include "run/tagged_text.h"
#include "text/code_page.h"
#include "text/error.h"
#include "text/narrow_text_file.h"
#include "text/unicode_string_list.h"

namespace farrowdale {
namespace {

constexpr char kCombinedReportName[] = "result.htm";

// The files of the list, by name and by identity (links), so that no report is ever written
// over one of them: the user's texts are only ever read.
class TListedFiles {
 public:
  explicit TListedFiles(const std::vector<TFileItem>& items) {
    for (const TFileItem& item : items) {
      names_.insert(item.path.lexically_normal());
      if (const auto id = FileId(item.path)) ids_.insert(*id);
    }
  }

  // Throws the file-create error when report would replace a listed file.
  void CheckReportPath(const std::filesystem::path& report) const {
    const auto id = FileId(report);
    if (names_.contains(report.lexically_normal()) || (id && ids_.contains(*id))) {
      throw FileCreateError(report, EEXIST);
    }
  }

 private:
  using TFileId = std::pair<dev_t, ino_t>;
  static std::optional<TFileId> FileId(const std::filesystem::path& path) {
    struct stat info;
    if (::stat(path.c_str(), &info) != 0) return std::nullopt;
    return TFileId{info.st_dev, info.st_ino};
  }

  std::set<std::filesystem::path> names_;
  std::set<TFileId> ids_;
};

}  // namespace

TStatArray CountTagsInText(const std::string& narrow_text, const TTagArray& tag_set,
                           bool one_file_mode) {
  TStatArray stats;
  TUnicodeStringList extracted;
  for (const TTagInfo& tag : tag_set) {
    if (IsSkippedTag(tag)) continue;
    extracted.ClearEntries();
    TStatInfo& stat = stats.emplace_back();
    stat.Name = tag.Name;
    stat.Markers = tag.BeginMark + "..." + tag.EndMark;
    stat.Color = tag.Color;
    CollectTaggedTextsNarrow(narrow_text, tag, extracted);
    // Read before CountDistinctTexts appends its closing empty entry.
    stat.Freq = extracted.EntryCount();
    stat.Distinct = CountDistinctTexts(extracted, true);
    stat.Count = static_cast<int32_t>(stat.Distinct.size());
    if (one_file_mode) {
      // The sorted passages without the closing empty entry CountDistinctTexts appended.
      for (int i = 0; i < stat.Freq; ++i) stat.Passages.push_back(extracted.EntryAt(i));
    }
  }
  return stats;
}

TRunSummary RunCoding(const TCodingRunRequest& request, TTagArray& tag_set, TCodingRunHost& host) {
  TRunSummary summary;
  const uint32_t start = host.TickCount();
  LoadTagSet(TIniFile(request.tag_set_path), tag_set);
  CheckTagPatterns(tag_set, request.tag_set_path);
  const bool one_file_mode = request.one_file_mode;
  const std::filesystem::path program_folder = host.ProgramFolder();
  const std::filesystem::path combined_report = request.corpus_folder / kCombinedReportName;

  const TListedFiles listed_files(request.items);
  int files_ticked = 0;
  for (const TFileItem& item : request.items) files_ticked += item.checked ? 1 : 0;

  TStatArrayArray all_stats;
  std::vector<std::string> file_names;
  int files_done = 0;
  for (const TFileItem& item : request.items) {
    if (!item.checked) continue;
    // The file's whole text, as its list's JoinedText would give it, converted once for all tags.
    const std::string narrow_text = ReadNarrowJoinedText(item.path);
    std::filesystem::path report;
    if (one_file_mode) {
      file_names.push_back(PathToNarrow(item.path.filename()));
    } else {
      report = FileReportPath(item.path);
      listed_files.CheckReportPath(report);
    }
    TStatArray stats = CountTagsInText(narrow_text, tag_set, one_file_mode);
    for (const TStatInfo& stat : stats) summary.passages_found += stat.Freq;
    ++summary.files_counted;
    if (one_file_mode) {
      all_stats.push_back(std::move(stats));
    } else {
      WriteFileReport(stats, program_folder / "result.tpl", report);
      summary.reports.push_back(report);
    }
    host.Progress(++files_done, files_ticked);
  }
  if (one_file_mode) {
    listed_files.CheckReportPath(combined_report);
    WriteCombinedReport(all_stats, CountOverAllFiles(all_stats), file_names,
                        program_folder / "resultEx.tpl", combined_report);
    summary.reports.push_back(combined_report);
  }

  const auto elapsed = static_cast<int32_t>(host.TickCount() - start);
  summary.time_message = FormatElapsedMessage(elapsed);
  host.ShowInformation(summary.time_message);
  host.ShellOpen(one_file_mode ? combined_report : request.corpus_folder);
  return summary;
}

std::string FormatElapsedMessage(int32_t milliseconds) {
  // General format with at most 15 significant digits and no trailing zeros; printf takes the
  // decimal separator from the locale (what localeconv reports) and never groups digits.
  char seconds[64];
  std::snprintf(seconds, sizeof seconds, "%.15g", milliseconds / 1000.0);
  return std::string(seconds) + " second(s) used.";
}

std::filesystem::path FileReportPath(const std::filesystem::path& text_file) {
  // A name ending in ".txt" in any letter case (the folder scan takes "A.TXT") loses it;
  // any other name keeps its whole name. Either way the report ends in "_result.htm" and so
  // is never the text file itself.
  std::string name = text_file.filename().string();
  if (name.size() >= 4) {
    std::string extension = name.substr(name.size() - 4);
    for (char& c : extension) {
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    if (extension == ".txt") name.resize(name.size() - 4);
  }
  return text_file.parent_path() / (name + "_result.htm");
}

}  // namespace farrowdale
