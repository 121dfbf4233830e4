#include "run/exchange_export.h"

#include <exception>
#include <optional>
#include <utility>

#include "count/stripped_text.h"
#include "count/tag_scanner.h"
#include "report/qda_project.h"
#include "run/file_names.h"
#include "run/listed_files.h"
#include "run/ordered_workers.h"
#include "tagset/tag_set.h"
#include "text/atomic_file.h"
#include "text/code_page.h"
#include "text/error.h"
#include "text/narrow_text_file.h"

namespace farrowdale {
namespace {

// One file's part, made on a worker: its source, or the error that stopped it, after its
// read warnings.
struct TSourceOutcome {
  TextReadWarnings warnings;
  TQdaSource source;
  int64_t empty_passages = 0;
  int64_t marker_only_passages = 0;
  std::exception_ptr error;
};

// The codes in tag order, and for each tag of the set its code's index (none for a skipped
// tag).
struct TCodes {
  std::vector<TQdaCode> codes;
  std::vector<std::optional<size_t>> of_tag;
};

TCodes CodesOf(const TTagArray& tag_set) {
  TCodes codes;
  for (const TTagInfo& tag : tag_set) {
    if (IsSkippedTag(tag)) {
      codes.of_tag.emplace_back();
      continue;
    }
    codes.of_tag.emplace_back(codes.codes.size());
    codes.codes.push_back({tag.Name, tag.BeginMark, tag.EndMark, tag.ColorValue});
  }
  return codes;
}

void FillSource(const TStrippedText& stripped, const TCodes& codes, TSourceOutcome& outcome) {
  outcome.source.text_utf8 = stripped.Utf8();
  outcome.empty_passages = stripped.empty_passages;
  for (size_t tag = 0; tag < stripped.tags.size(); ++tag) {
    for (const TCodedInterval& interval : stripped.tags[tag]) {
      if (interval.start == interval.end) {
        ++outcome.marker_only_passages;
        continue;
      }
      outcome.source.selections.push_back(
          {*codes.of_tag[tag], interval.start, interval.end, interval.passage});
    }
  }
}

std::string SummaryMessage(const TExchangeExportRequest& request,
                           const TExchangeExportSummary& summary) {
  std::string message;
  if (!request.project_path.empty()) {
    message = "Exported " + std::to_string(summary.selections) + " passage(s) of " +
              std::to_string(summary.files) + " file(s) and " + std::to_string(summary.codes) +
              " tag(s) to \"" + PathToNarrow(request.project_path) + "\".";
  }
  if (!request.codebook_path.empty()) {
    if (!message.empty()) message += ' ';
    message += "Exported the codebook of " + std::to_string(summary.codes) + " tag(s) to \"" +
               PathToNarrow(request.codebook_path) + "\".";
  }
  if (summary.empty_passages > 0) {
    message += ' ' + std::to_string(summary.empty_passages) +
               " passage(s) empty after trimming not exported.";
  }
  if (summary.marker_only_passages > 0) {
    message += ' ' + std::to_string(summary.marker_only_passages) +
               " passage(s) holding nothing but other tags' markers not exported.";
  }
  return message;
}

std::string ProjectName(const std::filesystem::path& corpus_folder) {
  const std::filesystem::path name = corpus_folder.filename();
  return PathToNarrow(name.empty() ? corpus_folder : name);
}

}  // namespace

TExchangeExportSummary ExportExchangeProject(const TExchangeExportRequest& request,
                                             TCodingRunHost& host) {
  TTagArray tag_set;
  LoadTagSet(TIniFile(request.tag_set_path), tag_set);
  const TTagScanner scanner(tag_set, request.tag_set_path);
  const TCodes codes = CodesOf(tag_set);
  if (codes.codes.empty())
    host.Warn(request.tag_set_path, "the tag set has no tags; nothing is coded");
  // A codebook needs a code (QdaCodebookXml throws without one): found out before any file is
  // read.
  if (!request.codebook_path.empty()) QdaCodebookXml(codes.codes);
  if (!request.project_path.empty() &&
      request.project_path.lexically_normal() == request.codebook_path.lexically_normal()) {
    throw FileCreateError(request.codebook_path, "It would be the project as well.");
  }
  const TListedFiles listed_files(request.items);
  for (const std::filesystem::path* output : {&request.project_path, &request.codebook_path}) {
    if (!output->empty()) listed_files.CheckReportPath(*output);
  }

  TExchangeExportSummary summary;
  summary.codes = static_cast<int>(codes.codes.size());
  TQdaProject project;
  project.name = ProjectName(request.corpus_folder);
  project.coder = request.coder;
  project.created = host.Now();
  project.codes = codes.codes;
  std::vector<const TFileItem*> ticked;
  std::vector<std::filesystem::path> ticked_paths;
  for (const TFileItem& item : request.items) {
    if (!item.checked) continue;
    ticked.push_back(&item);
    ticked_paths.push_back(item.path);
  }
  // Sources are named as a run names its files, so the names match the reports and tables.
  const std::vector<std::string> source_names =
      CorpusFileNames(ticked_paths, request.corpus_folder);
  if (!request.project_path.empty()) {
    ProcessInOrder<TSourceOutcome>(
        ticked.size(), request.jobs > 0 ? request.jobs : DefaultJobCount(),
        [&](size_t index) {
          TSourceOutcome outcome;
          try {
            TNarrowTextFile file = ReadNarrowJoinedText(ticked[index]->path);
            outcome.warnings = std::move(file.warnings);
            outcome.source.name = source_names[index];
            FillSource(StripMarkers(file.text, tag_set, scanner), codes, outcome);
          } catch (...) {
            outcome.error = std::current_exception();
          }
          return outcome;
        },
        [&](size_t index, TSourceOutcome&& outcome) {
          for (const TextReadWarning& warning : outcome.warnings) {
            host.Warn(ticked[index]->path, warning.Message());
          }
          if (outcome.error) std::rethrow_exception(outcome.error);
          ++summary.files;
          summary.selections += static_cast<int64_t>(outcome.source.selections.size());
          summary.empty_passages += outcome.empty_passages;
          summary.marker_only_passages += outcome.marker_only_passages;
          project.sources.push_back(std::move(outcome.source));
          host.Progress(static_cast<int>(index) + 1, static_cast<int>(ticked.size()));
        });
  }
  // Both files made and synced before either takes its place.
  std::vector<TAtomicFile> outputs;
  if (!request.project_path.empty()) {
    outputs.push_back(RenderQdaProject(request.project_path, project));
  }
  if (!request.codebook_path.empty()) {
    outputs.push_back(RenderQdaCodebook(request.codebook_path, codes.codes));
  }
  for (TAtomicFile& output : outputs) output.Commit();

  summary.message = SummaryMessage(request, summary);
  host.ShowInformation(summary.message);
  return summary;
}

}  // namespace farrowdale
