// farrowdale-cli check: the marker check from the command line, and the one-line pointer to
// it that count prints.
//
// Takes the same paths as count (folders add their *.txt files), writes nothing, and prints
// each problem as "PATH:LINE:COLUMN: warning: MESSAGE" (or "error:") on stdout, sorted by
// file and line, then a summary line. Exit 0 when clean, 1 when it found problems, 2 on usage
// errors and when the check cannot start (an unknown code page, a folder it cannot list).
#include <cstdint>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "cli/command_options.h"
#include "cli/commands.h"
#include "run/marker_check.h"
#include "text/code_page.h"

namespace farrowdale::cli {
namespace {

namespace fs = std::filesystem;

constexpr const char* kCheckHelp =
    "Usage: farrowdale-cli check --tagset FILE [--code-page NAME] PATH...\n"
    "Checks the tag set FILE and the coding of the text files: unclosed, stray and nested\n"
    "markers, empty passages, markers that hold pattern characters, tag set typos. Writes\n"
    "nothing; prints PATH:LINE:COLUMN: warning: MESSAGE per problem, then a summary.\n"
    "  PATH              a text file, or a folder whose *.txt files are taken (by name)\n"
    "  --tagset FILE     the tag set (INI file)\n"
    "  --code-page NAME  the system code page (windows-1252, windows-1251, UTF-8, ...)\n"
    "Exit status: 0 no problems, 1 problems found, 2 usage error.\n";

struct CheckOptions {
  std::optional<std::string> tag_set;
  std::optional<std::string> code_page;
  std::vector<std::string> paths;
};

ParseOutcome ParseCheckArgs(const std::vector<std::string>& args, CheckOptions& options,
                            std::string& complaint) {
  const TCommandOptions known{
      {}, {{"--tagset", &options.tag_set}, {"--code-page", &options.code_page}}};
  const ParseOutcome outcome = ParseCommandArgs("check", args, known, options.paths, complaint);
  if (outcome != ParseOutcome::kRun) return outcome;
  if (!options.tag_set) {
    complaint = "check: --tagset FILE is required";
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

}  // namespace

int RunCheckCommand(const std::vector<std::string>& args) {
  CheckOptions options;
  std::string complaint;
  switch (ParseCheckArgs(args, options, complaint)) {
    case ParseOutcome::kHelp:
      std::cout << kCheckHelp;
      return 0;
    case ParseOutcome::kUsageError:
      return UsageError(complaint);
    case ParseOutcome::kRun:
      break;
  }
  std::vector<fs::path> files;
  try {
    if (options.code_page) SetSystemCodePage(*options.code_page);
    files = PathsOf(BuildFileList(options.paths).items());
  } catch (const std::exception& error) {
    std::cerr << "farrowdale-cli: check: " << error.what() << '\n';
    return 2;
  }
  const TCheckResult result = CheckCoding(fs::path(*options.tag_set), files);
  for (const TCheckProblem& problem : result.problems) {
    std::cout << FormatCheckProblem(problem) << '\n';
  }
  std::cout << FormatCheckSummary(result) << '\n' << std::flush;
  return result.problems.empty() ? 0 : 1;
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
