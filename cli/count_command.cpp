// farrowdale-cli count: the window's "Count Now!" run from the command line.
//
// Builds the file list the way the window's folder choice does (folders add their *.txt
// entries sorted by name, files are added as absolute paths, duplicates are reported and
// skipped), ticks every item or, with --filter, exactly the items whose path the pattern
// matches, and hands the list to the same RunCoding as the window. stdout carries only the
// time message; errors go to stderr (exit 1), usage errors too (exit 2).
#include <unistd.h>

#include <exception>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "cli/cli_host.h"
#include "cli/command_options.h"
#include "cli/commands.h"
#include "cli/terminal_text.h"
#include "run/coding_run.h"
#include "run/file_list.h"
#include "run/file_list_model.h"
#include "tagset/tag_set.h"
#include "text/code_page.h"
#include "text/trim.h"

namespace farrowdale::cli {
namespace {

namespace fs = std::filesystem;

constexpr const char* kCountHelp =
    "Usage: farrowdale-cli count --tagset FILE [--one-file] [--filter PATTERN] [--folder DIR]\n"
    "                            [--templates DIR] [--code-page NAME] [--tables] [--jobs N]\n"
    "                            [--recursive] [--strict] [--fold-space] [--fold-case]\n"
    "                            [--open] [--no-wait] PATH...\n"
    "Counts the passages every tag of the tag set FILE encloses in the text files and writes\n"
    "the HTML reports.\n"
    "  PATH              a text file, or a folder whose *.txt files are taken (by name)\n"
    "  --recursive       take the *.txt files of every sub-folder too (by relative path)\n"
    "  --tagset FILE     the tag set (INI file)\n"
    "  --one-file        one combined report \"result.htm\" in the corpus folder instead of\n"
    "                    one \"_result.htm\" report beside each text file\n"
    "  --filter PATTERN  take only the files whose full path the pattern matches\n"
    "  --folder DIR      the corpus folder (default: the folder of the last file added)\n"
    "  --templates DIR   where result.tpl and resultEx.tpl are (default: beside the program)\n"
    "  --code-page NAME  the system code page (windows-1252, windows-1251, UTF-8, ...)\n"
    "  --tables          also write result_counts.csv, result_passages.csv and\n"
    "                    result_cooccurrence.csv (UTF-8 CSV) in the corpus folder, for\n"
    "                    spreadsheets and scripts\n"
    "  --jobs N          read and count N files at a time (default: one per processor core)\n"
    "  --strict          stop before writing anything when the tag set or the texts have\n"
    "                    any problem the marker check finds\n"
    "  --fold-space      count passages that differ only in spaces, tabs and line breaks\n"
    "                    as one (every run of them counts as one space)\n"
    "  --fold-case       count passages that differ only in letter case as one, in every\n"
    "                    alphabet (simple Unicode case folding), not only A-Z\n"
    "  --open            open the corpus folder or the combined report when done\n"
    "  --no-wait         stop at once when another run is writing in one of the folders\n"
    "                    (default: wait for it)\n"
    "  --version         print the version and stop\n"
    "  --help            print this text and stop\n";

struct CountOptions {
  std::optional<std::string> tag_set;
  bool one_file = false;
  std::optional<std::string> filter;
  std::optional<std::string> folder;
  std::optional<std::string> templates;
  std::optional<std::string> code_page;
  bool tables = false;
  std::optional<std::string> jobs_text;
  int jobs = 0;  // 0: one per core
  bool open = false;
  bool no_wait = false;
  bool recursive = false;
  bool strict = false;
  bool fold_space = false;
  bool fold_case = false;
  std::vector<std::string> paths;
};

// A thread count as written: decimal digits only, from 1 to 1024.
std::optional<int> ParseJobs(std::string_view text) {
  if (text.empty() || text.size() > 4) return std::nullopt;
  int jobs = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    jobs = jobs * 10 + (c - '0');
  }
  if (jobs < 1 || jobs > 1024) return std::nullopt;
  return jobs;
}

ParseOutcome ParseCountArgs(const std::vector<std::string>& args, CountOptions& options,
                            std::string& complaint) {
  const TCommandOptions known{{{"--one-file", &options.one_file},
                               {"--open", &options.open},
                               {"--tables", &options.tables},
                               {"--no-wait", &options.no_wait},
                               {"--recursive", &options.recursive},
                               {"--strict", &options.strict},
                               {"--fold-space", &options.fold_space},
                               {"--fold-case", &options.fold_case}},
                              {{"--tagset", &options.tag_set},
                               {"--filter", &options.filter},
                               {"--folder", &options.folder},
                               {"--templates", &options.templates},
                               {"--code-page", &options.code_page},
                               {"--jobs", &options.jobs_text}}};
  const ParseOutcome outcome = ParseCommandArgs("count", args, known, options.paths, complaint);
  if (outcome != ParseOutcome::kRun) return outcome;
  if (!options.tag_set) {
    complaint = "count: --tagset FILE is required";
    return ParseOutcome::kUsageError;
  }
  if (options.filter && Trim(std::string_view(*options.filter)).empty()) {
    complaint = "count: --filter needs a pattern that is not blank";
    return ParseOutcome::kUsageError;
  }
  if (options.jobs_text) {
    const std::optional<int> jobs = ParseJobs(*options.jobs_text);
    if (!jobs) {
      complaint = "count: --jobs needs a number of threads from 1 to 1024";
      return ParseOutcome::kUsageError;
    }
    options.jobs = *jobs;
  }
  if (options.paths.empty()) {
    complaint = "count: no PATH given";
    return ParseOutcome::kUsageError;
  }
  return ParseOutcome::kRun;
}

}  // namespace

fs::path CleanAbsolute(const std::string& given) {
  fs::path path = fs::absolute(fs::path(given)).lexically_normal();
  if (!path.has_filename() && path.has_relative_path()) path = path.parent_path();
  return path;
}

fs::path CorpusFolder(const std::optional<std::string>& folder, const TFileListModel& list) {
  if (folder) return CleanAbsolute(*folder);
  if (!list.LastFolder().empty()) return list.LastFolder();
  return fs::current_path();
}

// The file list as the window would hold it after the same folder and file choices; each
// refused duplicate is reported on stderr with the window's message.
TFileListModel BuildFileList(const std::vector<std::string>& paths, EFolderScan scan) {
  TFileListModel list;
  for (const std::string& given : paths) {
    const fs::path path = CleanAbsolute(given);
    std::error_code ec;
    const bool folder = fs::is_directory(path, ec);
    const auto outcome = folder ? list.AddFolder(path, scan) : list.AddFile(path, ItemFolder(path));
    for (const auto& duplicate : outcome.duplicates) {
      std::cerr << TerminalText(DuplicateItemMessage(duplicate.offered)) << '\n';
    }
    if (folder && outcome.added == 0 && outcome.duplicates.empty()) {
      std::cerr << TerminalText(PathToNarrow(path)) << ": warning: no .txt files here\n";
    }
  }
  return list;
}

namespace {

fs::path ExecutableFolder() {
  std::error_code ec;
  const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  return ec ? fs::current_path() : exe.parent_path();
}

}  // namespace

int RunCountCommand(const std::vector<std::string>& args) {
  CountOptions options;
  std::string complaint;
  if (const std::optional<int> exit_code =
          ExitBeforeRun(ParseCountArgs(args, options, complaint), kCountHelp, complaint)) {
    return *exit_code;
  }

  CliHost host(options.templates ? CleanAbsolute(*options.templates) : ExecutableFolder(),
               options.open, isatty(STDERR_FILENO) == 1);
  try {
    if (options.code_page) SetSystemCodePage(*options.code_page);
    TFileListModel list = BuildFileList(
        options.paths, options.recursive ? EFolderScan::kWithSubFolders : EFolderScan::kFolderOnly);
    if (options.filter) list.TickMatching(Trim(std::string_view(*options.filter)));

    // Read once: the counts and the marker check of the run both take this reading.
    const TRunTagSet tag_set = ReadRunTagSet(fs::path(*options.tag_set));
    TCodingRunRequest request;
    request.items = list.items();
    request.one_file_mode = options.one_file;
    request.write_tables = options.tables;
    if (options.filter) request.filter = std::string(Trim(std::string_view(*options.filter)));
    request.jobs = options.jobs;
    request.folder_wait = options.no_wait ? EFolderWait::kDoNotWait : EFolderWait::kWait;
    request.strict = options.strict;
    if (options.fold_space) request.grouping.spacing = ESpacing::kFolded;
    if (options.fold_case) request.grouping.letter_case = ELetterCase::kEveryAlphabet;
    request.corpus_folder = CorpusFolder(options.folder, list);
    const TRunSummary summary = RunCoding(request, tag_set, host);
    host.ClearProgress();
    ReportPossibleMarkerProblems(summary);
    return 0;
  } catch (const std::exception& error) {
    host.ClearProgress();
    PrintError(error);
    return 1;
  }
}

}  // namespace farrowdale::cli
