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
#include "count/distinct_passages.h"
#include "count/frequency_list.h"
#include "count/marker_check.h"
#include "count/pooled_count.h"
#include "count/stat_info.h"
#include "count/stripped_text.h"
#include "count/tag_scanner.h"
#include "count/tagged_text.h"
#include "report/csv_tables.h"
#include "report/provenance.h"
#include "report/report_page.h"
#include "report/report_sections.h"
#include "report/report_writers.h"
#include "run/coding_check.h"
#include "run/file_names.h"
#include "run/listed_files.h"
#include "run/ordered_workers.h"
#include "run/passage_places.h"
#include "text/atomic_file.h"
#include "text/code_page.h"
#include "text/error.h"
#include "text/narrow_text_file.h"
#include "text/trim.h"

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

  // Starts committing batch, once the batch before it is committed.
  void Start(TAtomicFileBatch& batch, std::vector<std::filesystem::path>& batch_reports) {
    Finish();
    thread_.Start(batch);
    committing_ = std::exchange(batch_reports, {});
  }
  // Waits until the batch started last is committed, or rethrows its failure.
  void Finish() {
    thread_.Wait();
    summary_.reports.insert(summary_.reports.end(), committing_.begin(), committing_.end());
    committing_.clear();
  }

 private:
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

// The passages of one tag's matches, trimmed; blank ones are left out.
std::vector<std::string_view> TrimmedPassages(std::string_view text,
                                              const std::vector<TPassageSpan>& spans) {
  std::vector<std::string_view> passages;
  passages.reserve(spans.size());
  for (const TPassageSpan& span : spans) {
    const std::string_view passage =
        Trim(text.substr(span.text_begin, span.text_end - span.text_begin));
    if (!passage.empty()) passages.push_back(passage);
  }
  return passages;
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
  provenance.grouping = request.grouping;
  return provenance;
}

// One tag's counts in one file: Freq, Distinct, Count and, in one-file mode, Passages in
// collation order. Each distinct passage is converted and collated once; only when two
// different passages tie under the collation does the order depend on the list's quicksort
// of every occurrence, which then runs over ids.
void CountPassages(const std::vector<std::string_view>& passages, bool one_file_mode,
                   ELetterCase letter_case, TStatInfo& stat) {
  stat.Freq = static_cast<int32_t>(passages.size());
  TPassageTally tally = TallyPassages(passages);
  bool texts_tie = false;
  std::vector<TPassageRun> runs = SortLikeTheList(tally.texts, tally.occurrences, [&] {
    texts_tie = true;
    return std::move(tally.sequence);
  });
  if (one_file_mode) {
    stat.Distinct = GroupPassageRuns(runs, tally.texts, texts_tie, letter_case);
    stat.Passages = {std::move(tally.texts), std::move(runs)};
  } else {
    stat.Distinct = GroupPassageRuns(runs, std::move(tally.texts), texts_tie, letter_case);
  }
  stat.Count = static_cast<int32_t>(stat.Distinct.size());
}

// A strict run's check of the tag set and every ticked text, before anything is written:
// throws when it finds any problem. Each text is read once more for it.
void StopOnAnyProblem(const std::filesystem::path& tag_set_path,
                      const std::vector<const TFileItem*>& ticked, int jobs) {
  std::vector<std::filesystem::path> files;
  for (const TFileItem* item : ticked) files.push_back(item->path);
  TCheckOptions options;
  options.lines_per_group = 0;  // counted, not listed
  options.jobs = static_cast<unsigned>(jobs);
  options.grouping_notes = false;
  const TCheckResult check = CheckCoding(tag_set_path, files, ReadFileForCheck, options);
  if (check.problem_count == 0) return;
  throw Error("Nothing was written: the strict run found " + FormatCheckSummary(check) +
              " (the marker check lists them)");
}

// One file's part of a run, done on a worker: the text's read warnings and its counts, or
// the error counting raised (told after the warnings, as a run one file at a time does), and
// the text itself when the tables or the passages section need it.
struct TFileOutcome {
  TextReadWarnings warnings;
  std::string read_as;
  TStatArray stats;
  TFileProblems problems;
  std::exception_ptr count_error;
  std::string text;
  std::vector<TLoneLineEnd> lone_line_ends;  // of text
  // How the file's tags co-occur, when the tables or the combined report want it.
  TCooccurrenceMatrix cooccurrence;
  // Per-file mode without passages in context: the report, rendered on the worker (its
  // write-back started), or the error that stopped it; batched or told in list order.
  std::optional<TAtomicFile> report;
  std::exception_ptr report_error;
};

// What one file's reading and the run's scan of it give to the problems section: its read
// notes, and its marker problems (none when the tag set has no tag to search), counted
// without being made but for the first few, named by the file's name in the run.
TFileProblems FileProblems(const TMarkerCheck& check, const std::string& name,
                           const TNarrowTextFile& file, const TTagArray& tag_set,
                           const TScannedText& scanned) {
  TFileProblems problems;
  problems.file_name = name;
  for (const TextReadWarning& warning : file.warnings) {
    problems.read_notes.push_back(warning.Message());
  }
  if (check.tags_searched() == 0) return problems;
  std::vector<TCheckProblem> first;
  problems.marker_problems = check.CountScannedTextProblems(
      file.text, tag_set, scanned, kListedProblemsPerFile, NarrowToPath(name), &first);
  for (const TCheckProblem& problem : first) {
    problems.first_problems.push_back(FormatCheckProblem(problem));
  }
  return problems;
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

TStatArray CountTagsInText(const std::string& narrow_text, const TTagArray& tag_set,
                           const TTagScanner& scanner, bool one_file_mode,
                           TPassageGrouping grouping) {
  return CountTagsInSpans(narrow_text, tag_set, scanner.Scan(narrow_text), one_file_mode, grouping);
}

TStatArray CountTagsInSpans(const std::string& narrow_text, const TTagArray& tag_set,
                            const std::vector<std::vector<TPassageSpan>>& spans, bool one_file_mode,
                            TPassageGrouping grouping) {
  TStatArray stats;
  for (const TTagInfo& tag : tag_set) {
    if (IsSkippedTag(tag)) continue;
    TStatInfo& stat = stats.emplace_back();
    stat.Name = tag.Name;
    stat.Markers = tag.BeginMark + "..." + tag.EndMark;
    stat.Color = tag.Color;
    std::vector<std::string_view> passages = TrimmedPassages(narrow_text, spans[stats.size() - 1]);
    std::vector<std::string> folded;  // owns the passages while they are counted
    if (grouping.spacing == ESpacing::kFolded) {
      for (const std::string_view passage : passages) folded.push_back(FoldedSpaces(passage));
      passages.assign(folded.begin(), folded.end());
    }
    CountPassages(passages, one_file_mode, grouping.letter_case, stat);
  }
  return stats;
}

TRunSummary RunCoding(const TCodingRunRequest& request, TTagArray& tag_set, TCodingRunHost& host) {
  TRunSummary summary;
  const uint32_t start = host.TickCount();
  const auto run_time = host.Now();
  LoadTagSet(TIniFile(request.tag_set_path), tag_set);
  // Every tag compiled once for the whole run; a marker that does not compile stops it here.
  const TTagScanner scanner(tag_set, request.tag_set_path);
  const bool one_file_mode = request.one_file_mode;
  const std::filesystem::path program_folder = host.TemplateFolder();
  const std::filesystem::path template_path =
      program_folder / (one_file_mode ? "resultEx.tpl" : "result.tpl");
  const std::filesystem::path combined_report = request.corpus_folder / kCombinedReportName;
  WarnWhenNothingCanBeReported(request.tag_set_path, tag_set, template_path, host);
  // Without a tag to search there is no marker to check.
  const TMarkerCheck marker_check(request.tag_set_path);
  if (marker_check.tags_searched() > 0) {
    for (const TCheckProblem& problem : marker_check.tag_set_problems()) {
      host.TagSetProblem(problem);
    }
  }
  if (const auto& stop = marker_check.tag_set_check().run_stop) throw Error(*stop);
  if (marker_check.tags_searched() > 0 && !marker_check.tag_set_problems().empty()) {
    summary.marker_problems = static_cast<int64_t>(marker_check.tag_set_problems().size());
    summary.tag_set_has_marker_problems = true;
  }

  const TListedFiles listed_files(request.items);
  std::vector<std::filesystem::path> reports;
  if (one_file_mode) {
    listed_files.CheckReportPath(combined_report);
  } else {
    reports = PlanFileReports(request.items, listed_files);
  }
  const std::filesystem::path counts_table_path = request.corpus_folder / kCountsTableName;
  const std::filesystem::path passages_table_path = request.corpus_folder / kPassagesTableName;
  const std::filesystem::path cooccurrence_table_path =
      request.corpus_folder / kCooccurrenceTableName;
  if (request.write_tables) {
    for (const std::filesystem::path& table :
         {counts_table_path, passages_table_path, cooccurrence_table_path}) {
      listed_files.CheckReportPath(table);
      CheckReplaceableFile(table);
    }
  }
  std::vector<const TFileItem*> ticked;
  for (const TFileItem& item : request.items) {
    if (item.checked) ticked.push_back(&item);
  }
  const int files_ticked = static_cast<int>(ticked.size());
  std::vector<std::filesystem::path> ticked_paths;
  for (const TFileItem* item : ticked) ticked_paths.push_back(item->path);
  // The files' names in reports and tables: their paths in the corpus.
  const std::vector<std::string> shown_names = CorpusFileNames(ticked_paths, request.corpus_folder);
  if (request.strict) StopOnAnyProblem(request.tag_set_path, ticked, request.jobs);

  std::set<std::filesystem::path> output_folders;
  if (one_file_mode || request.write_tables) output_folders.insert(request.corpus_folder);
  for (const std::filesystem::path& report : reports) output_folders.insert(report.parent_path());
  const std::vector<TFolderLock> locks =
      LockOutputFolders(std::move(output_folders), request.folder_wait, host);
  TAtomicFileBatch batch;
  std::vector<std::filesystem::path> batch_reports;
  // Destroyed before the locks: a batch being committed is finished while they are held.
  TOutputCommits commits(summary);

  TProvenance provenance = RunProvenance(request, run_time, files_ticked);
  // Read once for every report of the run.
  const TReportTemplate report_template =
      one_file_mode ? CombinedReportTemplate(template_path) : FileReportTemplate(template_path);
  // Passages in context cost memory and time: gathered only for a template that shows them.
  const bool with_passages = report_template.Holds(kPassagesPlaceholder);
  // Their places come from the in-order state of the calling thread; every other per-file
  // report is written on the worker that counted its file.
  const bool reports_on_workers = !one_file_mode && !with_passages;
  std::vector<TTagPassages> passages;
  // The tag set's problems, then those of each file with something to say.
  TRunProblems run_problems;
  for (const TCheckProblem& problem : marker_check.tag_set_problems()) {
    run_problems.tag_set_problems.push_back(FormatCheckProblem(problem));
  }
  // A per-file report shows its text once with the passages highlighted; the combined one
  // lists the first occurrences of each distinct passage in context.
  TTextWithPassages text_with_passages;
  TReportAdditions additions{.provenance = &provenance,
                             .passages = with_passages ? &passages : nullptr,
                             .problems = &run_problems};
  if (with_passages && !one_file_mode) additions.text_with_passages = &text_with_passages;
  std::optional<TCsvTable> counts_table;
  if (request.write_tables) counts_table.emplace(CountsTable());
  TPassagePlaces places(request.write_tables,
                        !with_passages  ? TPassagesKept::kNone
                        : one_file_mode ? TPassagesKept::kOccurrencesInContext
                                        : TPassagesKept::kPlacesInText,
                        request.grouping);
  const bool keep_texts = counts_table || with_passages;
  // Co-occurrence needs each file stripped of its markers: done only when asked for.
  const bool with_cooccurrence =
      request.write_tables || (one_file_mode && report_template.Holds(kCooccurrencePlaceholder));
  std::optional<TCsvTable> cooccurrence_table;
  if (request.write_tables) cooccurrence_table.emplace(CooccurrenceTable());
  TCooccurrenceView cooccurrence;
  for (const TTagInfo& tag : tag_set) {
    if (IsSkippedTag(tag)) continue;
    cooccurrence.names.push_back(tag.Name);
    cooccurrence.colors.push_back(tag.Color);
  }
  cooccurrence.passages.resize(cooccurrence.names.size());
  cooccurrence.matrix = TCooccurrenceMatrix(cooccurrence.names.size());

  // Workers read and count the files; reports, tables, warnings and progress follow in list
  // order on this thread, exactly as one file after the other.
  TStatArrayArray all_stats;
  TPooledPassages pooled(request.grouping.letter_case);
  // Leaves the batch uncommitted: its temporaries go with it.
  auto stop_if_cancelled = [&host, &summary, &commits] {
    if (!host.CancelRequested()) return;
    commits.Finish();
    throw ERunCancelled(summary.reports.size());
  };
  std::vector<std::string> file_names;
  ProcessInOrder<TFileOutcome>(
      ticked.size(), request.jobs > 0 ? request.jobs : DefaultJobCount(),
      [&](size_t index) {
        // The file's whole text, as its list's JoinedText would give it, converted once for
        // all tags.
        TNarrowTextFile file = ReadNarrowJoinedText(ticked[index]->path);
        TFileOutcome outcome;
        try {
          const TScannedText scanned = scanner.ScanWithMarkerHits(file.text);
          outcome.stats =
              CountTagsInSpans(file.text, tag_set, scanned.spans, one_file_mode, request.grouping);
          outcome.problems = FileProblems(marker_check, shown_names[index], file, tag_set, scanned);
          if (with_cooccurrence) {
            outcome.cooccurrence =
                CountCooccurrence(StripMarkers(file.text, tag_set, scanner), tag_set);
          }
        } catch (const ETagSearchError& error) {
          outcome.count_error =
              std::make_exception_ptr(error.InFile(ticked[index]->path, file.text));
        } catch (...) {
          outcome.count_error = std::current_exception();
        }
        if (reports_on_workers && !outcome.count_error) {
          try {
            const TFileAdditions own(additions, run_problems, outcome.problems, file.read_as);
            outcome.report =
                RenderFileReport(outcome.stats, report_template, reports[index], own.additions);
          } catch (...) {
            outcome.report_error = std::current_exception();
          }
          // The distinct passages were for the report alone: they are freed here, on the
          // thread that made them, whose allocator then has their memory at hand for the next
          // file, instead of on the consumer's thread.
          for (TStatInfo& stat : outcome.stats) stat.Distinct = TFrequencyList();
        }
        outcome.warnings = std::move(file.warnings);
        outcome.read_as = std::move(file.read_as);
        if (keep_texts) {
          outcome.text = std::move(file.text);
          outcome.lone_line_ends = std::move(file.lone_line_ends);
        }
        return outcome;
      },
      [&](size_t index, TFileOutcome&& outcome) {
        stop_if_cancelled();
        const TFileItem& item = *ticked[index];
        for (const TextReadWarning& warning : outcome.warnings) {
          host.Warn(item.path, warning.Message());
        }
        if (outcome.count_error) std::rethrow_exception(outcome.count_error);
        TStatArray& stats = outcome.stats;
        for (const TStatInfo& stat : stats) summary.passages_found += stat.Freq;
        if (outcome.problems.marker_problems > 0) {
          summary.marker_problems += outcome.problems.marker_problems;
          ++summary.files_with_marker_problems;
        }
        ++summary.files_counted;
        const std::string& file_name = shown_names[index];
        if (counts_table) AddCountsRecords(*counts_table, stats, file_name);
        if (keep_texts) places.AddFile(outcome.text, outcome.lone_line_ends, tag_set, file_name);
        if (with_cooccurrence) {
          if (cooccurrence_table) {
            AddCooccurrenceRecords(*cooccurrence_table, cooccurrence.names, outcome.cooccurrence,
                                   file_name);
          }
          cooccurrence.matrix += outcome.cooccurrence;
          for (size_t tag = 0; tag < stats.size(); ++tag)
            cooccurrence.passages[tag] += stats[tag].Freq;
        }
        if (one_file_mode) {
          if (outcome.problems.marker_problems > 0 || !outcome.problems.read_notes.empty()) {
            run_problems.files.push_back(std::move(outcome.problems));
          }
          if (!outcome.read_as.empty())
            provenance.files_read_as.emplace_back(file_name, outcome.read_as);
          file_names.push_back(file_name);
          pooled.AddFile(stats);
          // The combined report shows each file's Count and Freq only; its distinct texts
          // are in the pool.
          for (TStatInfo& stat : stats) stat.Distinct = TFrequencyList();
          all_stats.push_back(std::move(stats));
        } else {
          if (with_passages) {
            passages = places.TakeTagPassages(stats, DistinctLists(stats));
            text_with_passages = {outcome.text, places.TakeHighlights(DistinctLists(stats))};
          }
          places.ForgetOccurrences();
          if (with_passages) {
            const TFileAdditions own(additions, run_problems, outcome.problems, outcome.read_as);
            outcome.report =
                RenderFileReport(stats, report_template, reports[index], own.additions);
          }
          if (outcome.report_error) std::rethrow_exception(outcome.report_error);
          if (outcome.report) {
            batch.Add(std::move(*outcome.report));
            batch_reports.push_back(reports[index]);
            if (batch.file_count() >= kBatchFiles || batch.byte_count() >= kBatchBytes) {
              // A cancel pressed while this file was handled still keeps the batch out.
              stop_if_cancelled();
              commits.Start(batch, batch_reports);
            }
          }
        }
        host.Progress(static_cast<int>(index) + 1, files_ticked);
      });
  stop_if_cancelled();
  if (one_file_mode) {
    // Counted row by row as the report is written, unless the passages section needs every
    // tag's totals first.
    TTagTotalsList totals(pooled);
    if (with_passages && !all_stats.empty()) {
      std::vector<TTagTotals> counted;
      for (size_t tag = 0; tag < pooled.tag_count(); ++tag) counted.push_back(pooled.CountTag(tag));
      std::vector<const TFrequencyList*> distinct;
      for (const TTagTotals& total : counted) distinct.push_back(&total.Distinct);
      passages = places.TakeTagPassages(all_stats.front(), distinct);
      totals = std::move(counted);
    }
    TReportAdditions combined_additions = additions;
    combined_additions.cooccurrence = &cooccurrence;
    if (std::optional<TAtomicFile> report = RenderCombinedReport(
            all_stats, totals, file_names, report_template, combined_report, combined_additions)) {
      batch.Add(std::move(*report));
      batch_reports.push_back(combined_report);
    }
  }
  if (counts_table) {
    AddCooccurrenceRecords(*cooccurrence_table, cooccurrence.names, cooccurrence.matrix, "*");
    for (const auto& [path, bytes] :
         {std::pair{&counts_table_path, &counts_table->bytes()},
          std::pair{&passages_table_path, &places.table().bytes()},
          std::pair{&cooccurrence_table_path, &cooccurrence_table->bytes()}}) {
      TAtomicFile table(*path);
      table.Append(*bytes);
      batch.Add(std::move(table));
    }
    summary.tables = {counts_table_path, passages_table_path, cooccurrence_table_path};
  }
  stop_if_cancelled();
  commits.Start(batch, batch_reports);
  commits.Finish();

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
