// farrowdale-cli check: the marker check from the command line, and the one-line pointer to
// it that count prints.
//
// Takes the same paths as count (folders add their *.txt files), writes nothing, and prints
// each problem as "PATH:LINE:COLUMN: warning: MESSAGE" (or "error:", or "note:" for how a
// file was read, which changes no count) on stdout, sorted by file and line and streamed file
// by file, at most 20 per tag and kind unless --all; then a line for each tag and kind with
// more, the notes on grouping, the table by tag and kind, the notes on shared end markers and
// a summary line (--summary: only these). Exit 0 when clean or with notes only, 1 when it
// found problems (every one counts, listed or not), 2 on usage errors and when the check
// cannot start (an unknown code page, a folder it cannot list).
#include <cstdint>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "cli/command_options.h"
#include "cli/commands.h"
#include "cli/terminal_text.h"
#include "count/check_summary.h"
#include "count/marker_check.h"
#include "run/coding_check.h"
#include "text/code_page.h"

namespace farrowdale::cli {
namespace {

namespace fs = std::filesystem;

constexpr const char* kCheckHelp =
    "Usage: farrowdale-cli check --tagset FILE [--code-page NAME] [--recursive]\n"
    "                            [--summary | --all] PATH...\n"
    "Checks the tag set FILE and the coding of the text files: unclosed, stray and nested\n"
    "markers, empty passages, markers that hold pattern characters, tag set typos. Writes\n"
    "nothing; prints PATH:LINE:COLUMN: warning: MESSAGE per problem (at most 20 per tag and\n"
    "kind; note: for how a file was read, which changes no count), one note per tag where\n"
    "--fold-space or --fold-case would count differently, a table by tag and kind and a\n"
    "summary line.\n"
    "  PATH              a text file, or a folder whose *.txt files are taken (by name)\n"
    "  --recursive       take the *.txt files of every sub-folder too (by relative path)\n"
    "  --tagset FILE     the tag set (INI file)\n"
    "  --code-page NAME  the system code page (windows-1252, windows-1251, UTF-8, ...)\n"
    "  --summary         print only the table by tag and kind, the notes and the summary\n"
    "  --all             list every problem\n"
    "  --version         print the version and stop\n"
    "  --help            print this text and stop\n"
    "Exit status: 0 no problems (notes allowed), 1 problems found, 2 usage error.\n";

struct CheckOptions {
  std::optional<std::string> tag_set;
  std::optional<std::string> code_page;
  bool recursive = false;
  bool summary_only = false;
  bool all = false;
  std::vector<std::string> paths;
};

ParseOutcome ParseCheckArgs(const std::vector<std::string>& args, CheckOptions& options,
                            std::string& complaint) {
  const TCommandOptions known{
      {{"--recursive", &options.recursive},
       {"--summary", &options.summary_only},
       {"--all", &options.all}},
      {{"--tagset", &options.tag_set}, {"--code-page", &options.code_page}}};
  const ParseOutcome outcome = ParseCommandArgs("check", args, known, options.paths, complaint);
  if (outcome != ParseOutcome::kRun) return outcome;
  if (!options.tag_set) {
    complaint = "check: --tagset FILE is required";
    return ParseOutcome::kUsageError;
  }
  if (options.summary_only && options.all) {
    complaint = "check: --summary and --all exclude each other";
    return ParseOutcome::kUsageError;
  }
  if (options.paths.empty()) {
    complaint = "check: no PATH given";
    return ParseOutcome::kUsageError;
  }
  return ParseOutcome::kRun;
}

std::vector<fs::path> PathsOf(const std::vector<TFileItem>& items) {
  std::vector<fs::path> paths;
  for (const TFileItem& item : items) {
    if (item.checked) paths.push_back(item.path);
  }
  return paths;
}

// One problem, one line, whatever its file or tag names hold.
void PrintProblem(const TCheckProblem& problem) {
  std::cout << TerminalText(FormatCheckProblem(problem)) << '\n';
}

// What follows the listing: a line for each tag and kind with more problems than it shows,
// the grouping notes, the table by tag and kind, the notes on shared end markers, and the
// summary line.
void PrintSummary(const TCheckResult& result, bool after_listing) {
  for (const TCheckGroup& group : result.groups) {
    const std::string unlisted = FormatUnlistedLine(group);
    if (after_listing && !unlisted.empty()) std::cout << TerminalText(unlisted) << '\n';
  }
  for (const TCheckProblem& note : result.grouping_notes) {
    std::cout << TerminalText(FormatCheckProblem(note)) << '\n';
  }
  const std::vector<std::string> table = FormatCheckTable(result.groups);
  if (after_listing && !table.empty()) std::cout << '\n';
  for (const std::string& line : table) std::cout << TerminalText(line) << '\n';
  for (const TSharedEndNote& note : result.notes) {
    std::cout << TerminalText(FormatSharedEndNote(note)) << '\n';
  }
  PrintLines(std::cout, FormatCheckSummary(result));
}

}  // namespace

int RunCheckCommand(const std::vector<std::string>& args) {
  CheckOptions options;
  std::string complaint;
  if (const std::optional<int> exit_code =
          ExitBeforeRun(ParseCheckArgs(args, options, complaint), kCheckHelp, complaint)) {
    return *exit_code;
  }
  std::vector<fs::path> files;
  try {
    if (options.code_page) SetSystemCodePage(*options.code_page);
    files = PathsOf(BuildFileList(options.paths, options.recursive ? EFolderScan::kWithSubFolders
                                                                   : EFolderScan::kFolderOnly)
                        .items());
  } catch (const std::exception& error) {
    std::cerr << "farrowdale-cli: check: " << TerminalText(ExceptionText(error)) << '\n';
    return 2;
  }
  TCheckOptions check_options;
  check_options.lines_per_group =
      options.all ? kAllLines : (options.summary_only ? 0 : kDefaultLinesPerGroup);
  check_options.on_listed = PrintProblem;
  const TCheckResult result =
      CheckCoding(fs::path(*options.tag_set), files, ReadFileForCheck, check_options);
  PrintSummary(result, !options.summary_only);
  // Notes (how files were read) are no problems and leave the exit status 0.
  return result.problem_count == 0 ? 0 : 1;
}

void ReportPossibleMarkerProblems(const TRunSummary& summary) {
  if (summary.marker_problems == 0) return;
  const int64_t problems = summary.marker_problems;
  std::cerr << problems << " possible marker " << (problems == 1 ? "problem" : "problems") << " in "
            << ProblemPlacesText(summary.tag_set_has_marker_problems,
                                 summary.files_with_marker_problems, summary.files_counted)
            << "; run \"farrowdale-cli check\" for the list\n"
            << std::flush;
}

}  // namespace farrowdale::cli
