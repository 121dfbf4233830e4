// The coding run: tag set, then every ticked file and every tag, then the reports, the time
// message and the shell open. Each file is read and converted to narrow text once; every
// tag then searches that same narrow text.
#include "run/coding_run.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <optional>
#include <set>
#include <utility>

#include "report/csv_tables.h"
#include "report/provenance.h"
#include "report/report_sections.h"
#include "report/report_writers.h"
#include "run/frequency_list.h"
#include "run/passage_places.h"
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

// Writes a table through a temporary file in the same folder, renamed over the table's path,
// so a reader sees the old table or the new one whole and a link at the path is replaced,
// never written through. Throws the file-create Error naming path.
void WriteTableFile(const std::filesystem::path& path, std::string_view bytes) {
  // A new name of this process's own; O_EXCL never opens what exists (a link included), and
  // the mode lets the umask decide as for any file the program creates.
  static std::atomic<unsigned> serial{0};
  std::string temporary;
  int fd = -1;
  for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
    temporary = (path.parent_path() / (".farrowdale-table-" + std::to_string(::getpid()) + "-" +
                                       std::to_string(serial++)))
                    .string();
    fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) throw FileCreateError(path, errno);
  size_t written = 0;
  while (written < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    written += static_cast<size_t>(n);
  }
  const int write_error = written == bytes.size() ? 0 : (errno != 0 ? errno : EIO);
  if (::close(fd) != 0 || write_error != 0 || ::rename(temporary.c_str(), path.c_str()) != 0) {
    const int error = write_error != 0 ? write_error : errno;
    ::unlink(temporary.c_str());
    throw FileCreateError(path, error);
  }
}

// Each tag's distinct passages in one file, in tag order.
std::vector<const TFrequencyList*> DistinctLists(const TStatArray& stats) {
  std::vector<const TFrequencyList*> lists;
  for (const TStatInfo& stat : stats) lists.push_back(&stat.Distinct);
  return lists;
}

TProvenance RunProvenance(const TCodingRunRequest& request,
                          std::chrono::system_clock::time_point run_time, int files_ticked) {
  TProvenance provenance;
  provenance.run_time = run_time;
  provenance.tag_set_path = request.tag_set_path;
  provenance.tag_set_sha256 = FileSha256Hex(request.tag_set_path);
  provenance.corpus_folder = request.corpus_folder;
  provenance.file_count = files_ticked;
  provenance.one_file = request.one_file_mode;
  provenance.code_page = SystemCodePageName();
  provenance.filter = request.filter;
  return provenance;
}

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
  const auto run_time = host.Now();
  LoadTagSet(TIniFile(request.tag_set_path), tag_set);
  CheckTagPatterns(tag_set, request.tag_set_path);
  const bool one_file_mode = request.one_file_mode;
  const std::filesystem::path program_folder = host.ProgramFolder();
  const std::filesystem::path combined_report = request.corpus_folder / kCombinedReportName;

  const TListedFiles listed_files(request.items);
  int files_ticked = 0;
  for (const TFileItem& item : request.items) files_ticked += item.checked ? 1 : 0;

  const std::filesystem::path template_path =
      program_folder / (one_file_mode ? "resultEx.tpl" : "result.tpl");
  const TProvenance provenance = RunProvenance(request, run_time, files_ticked);
  // Passages in context cost memory and time: gathered only for a template that shows them.
  const bool with_passages = TemplateHolds(template_path, kPassagesPlaceholder);
  std::vector<TTagPassages> passages;
  const TReportAdditions additions{&provenance, with_passages ? &passages : nullptr};

  TStatArrayArray all_stats;
  std::vector<std::string> file_names;
  std::optional<TCsvTable> counts_table;
  if (request.write_tables) counts_table.emplace(CountsTable());
  TPassagePlaces places(request.write_tables, with_passages);
  int files_done = 0;
  for (const TFileItem& item : request.items) {
    if (!item.checked) continue;
    // The file's whole text, as its list's JoinedText would give it, converted once for all tags.
    const std::string narrow_text = ReadNarrowJoinedText(item.path);
    const std::string file_name = PathToNarrow(item.path.filename());
    std::filesystem::path report;
    if (one_file_mode) {
      file_names.push_back(file_name);
    } else {
      report = FileReportPath(item.path);
      listed_files.CheckReportPath(report);
    }
    TStatArray stats = CountTagsInText(narrow_text, tag_set, one_file_mode);
    for (const TStatInfo& stat : stats) summary.passages_found += stat.Freq;
    ++summary.files_counted;
    if (counts_table) AddCountsRecords(*counts_table, stats, file_name);
    if (counts_table || with_passages) places.AddFile(narrow_text, tag_set, file_name);
    if (one_file_mode) {
      all_stats.push_back(std::move(stats));
    } else {
      if (with_passages) passages = places.TakeTagPassages(stats, DistinctLists(stats));
      places.ForgetOccurrences();
      WriteFileReport(stats, template_path, report, additions);
      summary.reports.push_back(report);
    }
    host.Progress(++files_done, files_ticked);
  }
  if (one_file_mode) {
    listed_files.CheckReportPath(combined_report);
    const std::vector<TTagTotals> totals = CountOverAllFiles(all_stats);
    if (with_passages && !all_stats.empty()) {
      std::vector<const TFrequencyList*> distinct;
      for (const TTagTotals& total : totals) distinct.push_back(&total.Distinct);
      passages = places.TakeTagPassages(all_stats.front(), distinct);
    }
    WriteCombinedReport(all_stats, totals, file_names, template_path, combined_report, additions);
    summary.reports.push_back(combined_report);
  }
  if (counts_table) {
    const std::filesystem::path counts_path = request.corpus_folder / kCountsTableName;
    const std::filesystem::path passages_path = request.corpus_folder / kPassagesTableName;
    listed_files.CheckReportPath(counts_path);
    listed_files.CheckReportPath(passages_path);
    WriteTableFile(counts_path, counts_table->bytes());
    WriteTableFile(passages_path, places.table().bytes());
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
