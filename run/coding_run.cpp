// The coding run: tag set, then every ticked file and every tag, then the reports, the time
// message and the shell open. Each tag is compiled once per run; each file is read and
// converted to narrow text once and scanned once for the begin markers of all tags. Files
// are read and counted on several threads; everything the user sees follows in list order.
#include "run/coding_run.h"

#include <algorithm>
#include <cstdio>
#include <exception>
#include <optional>
#include <set>
#include <unordered_map>
#include <utility>

#include "count/cooccurrence.h"
#include "count/file_counts.h"
#include "count/frequency_list.h"
#include "count/marker_check.h"
#include "count/pooled_count.h"
#include "count/stripped_text.h"
#include "count/tag_scanner.h"
#include "report/csv_tables.h"
#include "report/provenance.h"
#include "report/report_page.h"
#include "report/report_sections.h"
#include "report/report_writers.h"
#include "results/stat_info.h"
#include "run/coding_check.h"
#include "run/file_names.h"
#include "run/listed_files.h"
#include "run/ordered_workers.h"
#include "run/passage_places.h"
#include "tagset/ini_file.h"
#include "text/atomic_file.h"
#include "text/code_page.h"
#include "text/error.h"
#include "text/narrow_text_file.h"

namespace farrowdale {
namespace {

constexpr char kCombinedReportName[] = "result.htm";
// A per-file run commits its reports in batches of this many files or bytes, whichever comes
// first, so the temporaries it holds at any time stay bounded.
constexpr size_t kBatchFiles = 256;
constexpr uint64_t kBatchBytes = uint64_t{64} << 20;

// A lock holds a descriptor: a run over texts in very many folders locks the first ones only.
constexpr size_t kMaxLockedFolders = 256;

// The folders a run writes in, each locked (in one order, so two runs never wait for each
// other in a circle; at most kMaxLockedFolders) and cleared of the temporaries of killed runs.
std::vector<TFolderLock> LockOutputFolders(std::set<std::filesystem::path> folders,
                                           EFolderWait wait, TCodingRunHost& host) {
  std::vector<TFolderLock> locks;
  for (const std::filesystem::path& folder : folders) {
    if (locks.size() < kMaxLockedFolders) {
      locks.emplace_back(folder, wait, [&] {
        host.ShowStatus("waiting for another run writing in " + PathToNarrow(folder));
      });
    }
    RemoveStaleTemporaries(folder);
  }
  return locks;
}

// Batches of outputs made durable and put in place on a thread of their own while the run goes
// on; a batch's reports join the summary's (tables excepted) once it is committed. A run that
// stops leaves the batches it has not started as they were.
class TOutputCommits {
 public:
  explicit TOutputCommits(TRunSummary& summary) : summary_(summary) {}

  // Starts committing batch, once the batch before it is committed (its files held in memory
  // are written out meanwhile).
  void Start(TAtomicFileBatch& batch, std::vector<std::filesystem::path>& batch_reports) {
    thread_.Start(batch);
    TakeCommittedReports();
    committing_ = std::exchange(batch_reports, {});
  }
  // Waits until the batch started last is committed, or rethrows its failure.
  void Finish() {
    thread_.Wait();
    TakeCommittedReports();
  }

 private:
  void TakeCommittedReports() {
    summary_.reports.insert(summary_.reports.end(), committing_.begin(), committing_.end());
    committing_.clear();
  }

  TRunSummary& summary_;
  TBatchCommitThread thread_;
  std::vector<std::filesystem::path> committing_;
};

// Every ticked text's report path, in list order, worked out before anything is written: a
// report that would replace a listed text, or one that two texts would share, stops the run
// here. Linear in the number of texts.
std::vector<std::filesystem::path> PlanFileReports(const std::vector<TFileItem>& items,
                                                   const TListedFiles& listed_files) {
  std::vector<std::filesystem::path> reports;
  std::unordered_map<std::filesystem::path::string_type, const std::filesystem::path*> texts;
  for (const TFileItem& item : items) {
    if (!item.checked) continue;
    const std::filesystem::path& report = reports.emplace_back(FileReportPath(item.path));
    listed_files.CheckReportPath(report);
    const auto [found, added] = texts.emplace(report.lexically_normal().native(), &item.path);
    if (!added) {
      throw FileCreateError(report, "It would be the report of both \"" +
                                        PathToNarrow(*found->second) + "\" and \"" +
                                        PathToNarrow(item.path) + "\".");
    }
  }
  return reports;
}

// Tells the user when the run can produce nothing: no tag to count, or no template to fill.
void WarnWhenNothingCanBeReported(const std::filesystem::path& tag_set_path,
                                  const TTagArray& tag_set,
                                  const std::filesystem::path& template_path,
                                  TCodingRunHost& host) {
  if (std::all_of(tag_set.begin(), tag_set.end(), IsSkippedTag)) {
    host.Warn(tag_set_path, tag_set_path.empty() ? "no tag set chosen; nothing is counted"
                                                 : "the tag set has no tags; nothing is counted");
  }
  if (!TemplateFileExists(template_path)) {
    host.Warn(template_path, "template not found; no report is written");
  }
}

// Each tag's distinct passages in one file, in tag order.
std::vector<const TFrequencyList*> DistinctLists(const TStatArray& stats) {
  std::vector<const TFrequencyList*> lists;
  for (const TStatInfo& stat : stats) lists.push_back(&stat.Distinct);
  return lists;
}

TProvenance RunProvenance(const TCodingRunRequest& request,
                          const std::filesystem::path& tag_set_path, std::string tag_set_sha256,
                          std::chrono::system_clock::time_point run_time, int files_ticked) {
  TProvenance provenance;
  provenance.run_time = run_time;
  provenance.tag_set_path = tag_set_path;
  provenance.tag_set_sha256 = std::move(tag_set_sha256);
  provenance.corpus_folder = request.corpus_folder;
  provenance.file_count = files_ticked;
  provenance.one_file = request.one_file_mode;
  provenance.code_page = SystemCodePageName();
  provenance.filter = request.filter;
  provenance.grouping = request.grouping;
  return provenance;
}

// A strict run's check of the tag set and every ticked text, before anything is written:
// throws when it finds any problem. Each text is read once more for it, the tag set not.
void StopOnAnyProblem(const TMarkerCheck& marker_check,
                      const std::vector<std::filesystem::path>& files, int jobs) {
  TCheckOptions options;
  options.lines_per_group = 0;  // counted, not listed
  options.jobs = static_cast<unsigned>(jobs);
  options.grouping_notes = false;
  const TCheckResult check = CheckCoding(marker_check, files, ReadFileForCheck, options);
  if (check.problem_count == 0) return;
  throw Error("Nothing was written: the strict run found " + FormatCheckSummary(check) +
              " (the marker check lists them)");
}

// One file's part of a run, done on a worker: the text's read warnings and its counts, or
// the error counting raised (told after the warnings, as a run one file at a time does), and
// the text itself with its matches when the tables or the passages section need them.
struct TFileOutcome {
  TextReadWarnings warnings;
  std::string read_as;
  TStatArray stats;
  TFileProblems problems;
  TFileCheck check;  // the marker check of the text, on the scan the counts came from
  std::exception_ptr count_error;
  std::string text;
  std::vector<TLoneLineEnd> lone_line_ends;  // of text
  // Where each tag's matches lie in text: the scan the counts came from, for the passages
  // table and section, which then search nothing again.
  std::vector<std::vector<TPassageSpan>> spans;
  // How the file's tags co-occur, when the tables or the combined report want it.
  TCooccurrenceMatrix cooccurrence;
  // Per-file mode without passages in context: the report, rendered on the worker (its
  // write-back started), or the error that stopped it; batched or told in list order.
  std::optional<TAtomicFile> report;
  std::exception_ptr report_error;
};

// What one file's reading and the run's check of it give to the problems section: its read
// notes, and its marker problems (none when the tag set has no tag to search), counted, the
// first few worded and named by the file's name in the run.
TFileProblems FileProblems(const std::string& name, const TNarrowTextFile& file,
                           const TFileCheck& check) {
  TFileProblems problems;
  problems.file_name = name;
  for (const TextReadWarning& warning : file.warnings) {
    problems.read_notes.push_back(warning.Message());
  }
  problems.marker_problems = check.problem_count();
  for (TCheckProblem& problem : check.FirstProblems(kListedProblemsPerFile)) {
    problem.path = NarrowToPath(name);
    problems.first_problems.push_back(FormatCheckProblem(problem));
  }
  return problems;
}

// The marker check a run makes of its files: listed as a check with its default options
// lists it, with grouping notes when the front end asks for them.
TCheckOptions RunCheckOptions(const TCodingRunRequest& request) {
  TCheckOptions options;
  options.grouping_notes = request.grouping_notes;
  return options;
}

// A report's additions with its own file's problems and provenance, in per-file mode.
struct TFileAdditions {
  TFileAdditions(const TReportAdditions& run_additions, const TRunProblems& run_problems,
                 const TFileProblems& file_problems, const std::string& read_as)
      : provenance(*run_additions.provenance), additions(run_additions) {
    problems.tag_set_problems = run_problems.tag_set_problems;
    if (file_problems.marker_problems > 0 || !file_problems.read_notes.empty()) {
      problems.files.push_back(file_problems);
    }
    if (!read_as.empty()) provenance.files_read_as.emplace_back(file_problems.file_name, read_as);
    additions.provenance = &provenance;
    additions.problems = &problems;
  }
  TFileAdditions(const TFileAdditions&) = delete;
  TFileAdditions& operator=(const TFileAdditions&) = delete;

  TProvenance provenance;
  TRunProblems problems;
  TReportAdditions additions;
};

}  // namespace

namespace {

// The tags of a tag set a run may count with: LoadTagSet's own error stops the run first, as
// it did when the run read the tag set itself.
const TTagArray& CountedTags(const TRunTagSet& tag_set) {
  if (tag_set.check.load_error) throw Error(*tag_set.check.load_error);
  return tag_set.check.tags;
}

// One run in its four stages: the plan (the constructor: paths, checks, locks and what to
// gather), the production of each file's outcome on a worker (Produce), its consumption in
// list order on the calling thread (Consume), and the finish (the combined report, the
// tables, the last commit and the summary).
class TCodingRun {
 public:
  TCodingRun(const TCodingRunRequest& request, const TRunTagSet& tag_set, TCodingRunHost& host);
  TCodingRun(const TCodingRun&) = delete;
  TCodingRun& operator=(const TCodingRun&) = delete;

  size_t files_ticked() const { return ticked_.size(); }
  // Reads, scans and counts one ticked file; safe on several threads at once.
  TFileOutcome Produce(size_t index) const;
  // Takes one file's outcome, in list order: warnings, tables, pooled counts, its report.
  void Consume(size_t index, TFileOutcome&& outcome);
  TRunSummary Finish();

 private:
  void PlanChecks(const TRunTagSet& tag_set);
  void PlanOutputs();
  void PlanGathering();
  // The marker check's result into the summary, once every file is consumed.
  void FinishCheck();
  void ConsumeForCombinedReport(TFileOutcome& outcome, const std::string& file_name);
  void ConsumeForFileReport(size_t index, TFileOutcome& outcome);
  // Leaves the batch uncommitted: its temporaries go with it. The batch already being
  // committed finishes first, and its reports count among those written.
  void StopIfCancelled() {
    if (!host_.CancelRequested()) return;
    commits_.Finish();
    throw ERunCancelled(summary_.reports.size());
  }

  const TCodingRunRequest& request_;
  TCodingRunHost& host_;
  const std::filesystem::path tag_set_path_;
  const std::string tag_set_sha256_;  // of the bytes counted
  const TTagArray& tag_set_;
  const uint32_t start_;
  const std::chrono::system_clock::time_point run_time_;
  // Every tag compiled once for the whole run; a marker that does not compile stops it here.
  const TTagScanner scanner_;
  const bool one_file_mode_;
  const std::filesystem::path template_path_;
  const std::filesystem::path combined_report_;
  const std::filesystem::path counts_table_path_;
  const std::filesystem::path passages_table_path_;
  const std::filesystem::path cooccurrence_table_path_;
  std::optional<TMarkerCheck> marker_check_;
  std::optional<TRunFilesCheck> files_check_;  // of the ticked files, with marker_check_
  TRunSummary summary_;

  // The plan's outputs: per-file report paths, the ticked files and their names in reports.
  std::vector<std::filesystem::path> reports_;
  std::vector<const TFileItem*> ticked_;
  std::vector<std::string> shown_names_;
  std::vector<TFolderLock> locks_;
  TAtomicFileBatch batch_;
  std::vector<std::filesystem::path> batch_reports_;
  // Destroyed before the locks: a batch being committed is finished while they are held.
  TOutputCommits commits_{summary_};

  // What the run gathers beside the counts, and for which outputs.
  TProvenance provenance_;
  std::optional<TReportTemplate> report_template_;
  bool with_passages_ = false;
  bool reports_on_workers_ = false;
  bool keep_texts_ = false;
  bool with_cooccurrence_ = false;
  std::vector<TTagPassages> passages_;
  TRunProblems run_problems_;
  TTextWithPassages text_with_passages_;
  TReportAdditions additions_;
  std::optional<TCsvTable> counts_table_;
  std::optional<TCsvTable> cooccurrence_table_;
  std::optional<TPassagePlaces> places_;
  TCooccurrenceView cooccurrence_;

  // What the consumer collects for the combined report.
  TStatArrayArray all_stats_;
  TPooledPassages pooled_;
  std::vector<std::string> file_names_;
};

TCodingRun::TCodingRun(const TCodingRunRequest& request, const TRunTagSet& tag_set,
                       TCodingRunHost& host)
    : request_(request),
      host_(host),
      tag_set_path_(tag_set.path),
      tag_set_sha256_(tag_set.sha256),
      tag_set_(CountedTags(tag_set)),
      start_(host.TickCount()),
      run_time_(host.Now()),
      scanner_(tag_set_, tag_set_path_),
      one_file_mode_(request.one_file_mode),
      template_path_(host.TemplateFolder() /
                     (request.one_file_mode ? "resultEx.tpl" : "result.tpl")),
      combined_report_(request.corpus_folder / kCombinedReportName),
      counts_table_path_(request.corpus_folder / kCountsTableName),
      passages_table_path_(request.corpus_folder / kPassagesTableName),
      cooccurrence_table_path_(request.corpus_folder / kCooccurrenceTableName),
      pooled_(request.grouping.letter_case) {
  WarnWhenNothingCanBeReported(tag_set_path_, tag_set_, template_path_, host_);
  PlanChecks(tag_set);
  PlanOutputs();
  PlanGathering();
}

// The tag set's problems go to the host and the summary; a mistake that stops every run
// stops this one, and a strict run stops on any problem of the tag set or a ticked text.
void TCodingRun::PlanChecks(const TRunTagSet& tag_set) {
  marker_check_.emplace(tag_set.path, tag_set.check);
  // Without a tag to search there is no marker to check.
  const bool checked = marker_check_->tags_searched() > 0;
  if (checked) {
    for (const TCheckProblem& problem : marker_check_->tag_set_problems()) {
      host_.TagSetProblem(problem);
    }
  }
  if (const auto& stop = marker_check_->tag_set_check().run_stop) throw Error(*stop);
  if (checked) summary_.tag_set_problems = marker_check_->tag_set_problems();
}

// Every output path is worked out and checked before anything is read, then the folders
// written in are locked.
void TCodingRun::PlanOutputs() {
  const TListedFiles listed_files(request_.items);
  if (one_file_mode_) {
    listed_files.CheckReportPath(combined_report_);
  } else {
    reports_ = PlanFileReports(request_.items, listed_files);
  }
  if (request_.write_tables) {
    for (const std::filesystem::path& table :
         {counts_table_path_, passages_table_path_, cooccurrence_table_path_}) {
      listed_files.CheckReportPath(table);
      CheckReplaceableFile(table);
    }
  }
  for (const TFileItem& item : request_.items) {
    if (item.checked) ticked_.push_back(&item);
  }
  std::vector<std::filesystem::path> ticked_paths;
  for (const TFileItem* item : ticked_) ticked_paths.push_back(item->path);
  // The files' names in reports and tables: their paths in the corpus.
  shown_names_ = CorpusFileNames(ticked_paths, request_.corpus_folder);
  files_check_.emplace(*marker_check_, RunCheckOptions(request_), ticked_paths);
  if (request_.strict) StopOnAnyProblem(*marker_check_, ticked_paths, request_.jobs);

  std::set<std::filesystem::path> output_folders;
  if (one_file_mode_ || request_.write_tables) output_folders.insert(request_.corpus_folder);
  for (const std::filesystem::path& report : reports_) output_folders.insert(report.parent_path());
  locks_ = LockOutputFolders(std::move(output_folders), request_.folder_wait, host_);
}

// The template decides what is gathered besides the counts: passages in context cost memory
// and time, co-occurrence a stripped copy of each file.
void TCodingRun::PlanGathering() {
  provenance_ = RunProvenance(request_, tag_set_path_, tag_set_sha256_, run_time_,
                              static_cast<int>(ticked_.size()));
  // Read once for every report of the run.
  report_template_.emplace(one_file_mode_ ? CombinedReportTemplate(template_path_)
                                          : FileReportTemplate(template_path_));
  with_passages_ = report_template_->Holds(kPassagesPlaceholder);
  // Their places come from the in-order state of the calling thread; every other per-file
  // report is written on the worker that counted its file.
  reports_on_workers_ = !one_file_mode_ && !with_passages_;
  // The tag set's problems, then those of each file with something to say.
  for (const TCheckProblem& problem : marker_check_->tag_set_problems()) {
    run_problems_.tag_set_problems.push_back(FormatCheckProblem(problem));
  }
  // A per-file report shows its text once with the passages highlighted; the combined one
  // lists the first occurrences of each distinct passage in context.
  additions_ = {.provenance = &provenance_,
                .passages = with_passages_ ? &passages_ : nullptr,
                .problems = &run_problems_};
  if (with_passages_ && !one_file_mode_) additions_.text_with_passages = &text_with_passages_;
  // The tables grow into their temporary files as the files are counted, so a folder that
  // cannot take them stops the run here, before any file is counted.
  std::optional<TAtomicFile> passages_table_file;
  if (request_.write_tables) {
    counts_table_.emplace(CountsTable(TAtomicFile(counts_table_path_)));
    passages_table_file.emplace(passages_table_path_);
    cooccurrence_table_.emplace(CooccurrenceTable(TAtomicFile(cooccurrence_table_path_)));
  }
  places_.emplace(std::move(passages_table_file),
                  !with_passages_  ? TPassagesKept::kNone
                  : one_file_mode_ ? TPassagesKept::kOccurrencesInContext
                                   : TPassagesKept::kPlacesInText,
                  request_.grouping);
  keep_texts_ = counts_table_ || with_passages_;
  with_cooccurrence_ = request_.write_tables ||
                       (one_file_mode_ && report_template_->Holds(kCooccurrencePlaceholder));
  for (const TTagInfo& tag : tag_set_) {
    if (IsSkippedTag(tag)) continue;
    cooccurrence_.names.push_back(tag.Name);
    cooccurrence_.colors.push_back(tag.Color);
  }
  cooccurrence_.passages.resize(cooccurrence_.names.size());
  cooccurrence_.matrix = TCooccurrenceMatrix(cooccurrence_.names.size());
}

TFileOutcome TCodingRun::Produce(size_t index) const {
  // The file's whole text, as its list's JoinedText would give it, converted once for all
  // tags and scanned once for all of them.
  TNarrowTextFile file = ReadNarrowJoinedText(ticked_[index]->path);
  TFileOutcome outcome;
  try {
    TScannedText scanned = scanner_.ScanWithMarkerHits(file.text);
    outcome.stats =
        CountTagsInSpans(file.text, tag_set_, scanned.spans, one_file_mode_, request_.grouping);
    outcome.check =
        files_check_->CheckScannedFile(index, file.text, tag_set_, scanned, kListedProblemsPerFile);
    outcome.problems = FileProblems(shown_names_[index], file, outcome.check);
    if (with_cooccurrence_) {
      outcome.cooccurrence =
          CountCooccurrence(StrippedIntervals(file.text, tag_set_, scanned), tag_set_);
    }
    if (keep_texts_) outcome.spans = std::move(scanned.spans);
  } catch (const ETagSearchError& error) {
    outcome.count_error = std::make_exception_ptr(error.InFile(ticked_[index]->path, file.text));
  } catch (...) {
    outcome.count_error = std::current_exception();
  }
  if (reports_on_workers_ && !outcome.count_error) {
    try {
      const TFileAdditions own(additions_, run_problems_, outcome.problems, file.read_as);
      outcome.report = RenderFileReport(outcome.stats, *report_template_, reports_[index],
                                        own.additions, EAtomicFileStart::kAtCommit);
    } catch (...) {
      outcome.report_error = std::current_exception();
    }
    // The distinct passages were for the report alone: they are freed here, on the thread
    // that made them, whose allocator then has their memory at hand for the next file,
    // instead of on the consumer's thread.
    for (TStatInfo& stat : outcome.stats) stat.Distinct = TFrequencyList();
  }
  outcome.warnings = std::move(file.warnings);
  outcome.read_as = std::move(file.read_as);
  if (keep_texts_) {
    outcome.text = std::move(file.text);
    outcome.lone_line_ends = std::move(file.lone_line_ends);
  }
  return outcome;
}

void TCodingRun::Consume(size_t index, TFileOutcome&& outcome) {
  StopIfCancelled();
  const TFileItem& item = *ticked_[index];
  for (const TextReadWarning& warning : outcome.warnings) host_.Warn(item.path, warning.Message());
  if (outcome.count_error) std::rethrow_exception(outcome.count_error);
  const TStatArray& stats = outcome.stats;
  for (const TStatInfo& stat : stats) summary_.passages_found += stat.Freq;
  if (outcome.problems.marker_problems > 0) {
    // Named in the summary by the file's path, not by its name in the reports.
    summary_.file_problems.push_back({item.path, outcome.problems.marker_problems,
                                      outcome.check.FirstProblems(kListedProblemsPerFile)});
  }
  files_check_->Add(index, std::move(outcome.check));
  ++summary_.files_counted;
  const std::string& file_name = shown_names_[index];
  if (counts_table_) AddCountsRecords(*counts_table_, stats, file_name);
  if (keep_texts_) {
    places_->AddFile(outcome.text, outcome.lone_line_ends, tag_set_, outcome.spans, file_name);
  }
  if (with_cooccurrence_) {
    if (cooccurrence_table_) {
      AddCooccurrenceRecords(*cooccurrence_table_, cooccurrence_.names, outcome.cooccurrence,
                             file_name);
    }
    cooccurrence_.matrix += outcome.cooccurrence;
    for (size_t tag = 0; tag < stats.size(); ++tag) cooccurrence_.passages[tag] += stats[tag].Freq;
  }
  if (one_file_mode_) {
    ConsumeForCombinedReport(outcome, file_name);
  } else {
    ConsumeForFileReport(index, outcome);
  }
  host_.Progress(static_cast<int>(index) + 1, static_cast<int>(ticked_.size()));
}

void TCodingRun::ConsumeForCombinedReport(TFileOutcome& outcome, const std::string& file_name) {
  if (outcome.problems.marker_problems > 0 || !outcome.problems.read_notes.empty()) {
    run_problems_.files.push_back(std::move(outcome.problems));
  }
  if (!outcome.read_as.empty()) provenance_.files_read_as.emplace_back(file_name, outcome.read_as);
  file_names_.push_back(file_name);
  pooled_.AddFile(outcome.stats);
  // The combined report shows each file's Count and Freq only; its distinct texts are in the
  // pool.
  for (TStatInfo& stat : outcome.stats) stat.Distinct = TFrequencyList();
  all_stats_.push_back(std::move(outcome.stats));
}

void TCodingRun::ConsumeForFileReport(size_t index, TFileOutcome& outcome) {
  const TStatArray& stats = outcome.stats;
  if (with_passages_) {
    passages_ = places_->TakeTagPassages(stats, DistinctLists(stats));
    text_with_passages_ = {outcome.text, places_->TakeHighlights(DistinctLists(stats))};
  }
  places_->ForgetOccurrences();
  if (with_passages_) {
    const TFileAdditions own(additions_, run_problems_, outcome.problems, outcome.read_as);
    outcome.report = RenderFileReport(stats, *report_template_, reports_[index], own.additions,
                                      EAtomicFileStart::kAtCommit);
  }
  if (outcome.report_error) std::rethrow_exception(outcome.report_error);
  if (!outcome.report) return;
  batch_.Add(std::move(*outcome.report));
  batch_reports_.push_back(reports_[index]);
  if (batch_.file_count() >= kBatchFiles || batch_.byte_count() >= kBatchBytes) {
    // A cancel pressed while this file was handled still keeps the batch out.
    StopIfCancelled();
    commits_.Start(batch_, batch_reports_);
  }
}

void TCodingRun::FinishCheck() {
  summary_.check = files_check_->Finish();
  // Without a tag to search there is no marker to check.
  if (marker_check_->tags_searched() == 0) return;
  summary_.marker_problems = summary_.check.problem_count;
  summary_.tag_set_has_marker_problems = summary_.check.tag_set_has_problems;
  summary_.files_with_marker_problems = summary_.check.files_with_problems;
}

TRunSummary TCodingRun::Finish() {
  StopIfCancelled();
  FinishCheck();
  if (one_file_mode_) {
    // Every tag's totals are counted before the report is written.
    pooled_.CountTotals();
    if (with_passages_ && !all_stats_.empty()) {
      std::vector<const TFrequencyList*> distinct;
      for (size_t tag = 0; tag < pooled_.tag_count(); ++tag)
        distinct.push_back(&pooled_.Totals(tag).Distinct);
      passages_ = places_->TakeTagPassages(all_stats_.front(), distinct);
    }
    TReportAdditions combined_additions = additions_;
    combined_additions.cooccurrence = &cooccurrence_;
    if (std::optional<TAtomicFile> report =
            RenderCombinedReport(all_stats_, pooled_, file_names_, *report_template_,
                                 combined_report_, combined_additions)) {
      batch_.Add(std::move(*report));
      batch_reports_.push_back(combined_report_);
    }
  }
  if (counts_table_) {
    AddCooccurrenceRecords(*cooccurrence_table_, cooccurrence_.names, cooccurrence_.matrix, "*");
    batch_.Add(counts_table_->TakeFile());
    batch_.Add(places_->TakeTableFile());
    batch_.Add(cooccurrence_table_->TakeFile());
    summary_.tables = {counts_table_path_, passages_table_path_, cooccurrence_table_path_};
  }
  StopIfCancelled();
  commits_.Start(batch_, batch_reports_);
  commits_.Finish();

  const auto elapsed = static_cast<int32_t>(host_.TickCount() - start_);
  summary_.time_message = FormatElapsedMessage(elapsed);
  host_.ShowInformation(summary_.time_message);
  host_.ShellOpen(one_file_mode_ ? combined_report_ : request_.corpus_folder);
  return std::move(summary_);
}

}  // namespace

TRunTagSet ReadRunTagSet(const std::filesystem::path& path) {
  const TIniFile ini = TIniFile::ReadOnce(path);
  const std::string* bytes = ini.HeldBytes();
  return {path, CheckTagSet(ini), bytes != nullptr ? Sha256Hex(*bytes) : std::string()};
}

TRunSummary RunCoding(const TCodingRunRequest& request, const TRunTagSet& tag_set,
                      TCodingRunHost& host) {
  TCodingRun run(request, tag_set, host);
  // Workers read and count the files; reports, tables, warnings and progress follow in list
  // order on this thread, exactly as one file after the other.
  ProcessInOrder<TFileOutcome>(
      run.files_ticked(), request.jobs > 0 ? request.jobs : DefaultJobCount(),
      [&run](size_t index) { return run.Produce(index); },
      [&run](size_t index, TFileOutcome&& outcome) { run.Consume(index, std::move(outcome)); });
  return run.Finish();
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
