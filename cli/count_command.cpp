// farrowdale-cli count: the window's "Count Now!" run from the command line.
//
// Builds the file list the way the window's folder choice does (folders add their *.txt
// entries sorted by name, files are added as absolute paths, duplicates are reported and
// skipped), ticks every item or, with --filter, exactly the items whose path the pattern
// matches, and hands the list to the same RunCoding as the window. stdout carries only the
// time message; errors go to stderr (exit 1), usage errors too (exit 2).
#include <fcntl.h>
#include <spawn.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "cli/command_options.h"
#include "cli/commands.h"
#include "run/coding_run.h"
#include "run/file_list.h"
#include "run/file_list_model.h"
#include "tagset/tag_set.h"
#include "text/code_page.h"
#include "text/trim.h"

extern char** environ;

namespace farrowdale::cli {
namespace {

namespace fs = std::filesystem;

constexpr const char* kCountHelp =
    "Usage: farrowdale-cli count --tagset FILE [--one-file] [--filter PATTERN] [--folder DIR]\n"
    "                            [--templates DIR] [--code-page NAME] [--tables] [--jobs N]\n"
    "                            [--strict] [--fold-space] [--fold-case] [--open] PATH...\n"
    "Counts the passages every tag of the tag set FILE encloses in the text files and writes\n"
    "the HTML reports.\n"
    "  PATH              a text file, or a folder whose *.txt files are taken (by name)\n"
    "  --tagset FILE     the tag set (INI file)\n"
    "  --one-file        one combined report \"result.htm\" in the corpus folder instead of\n"
    "                    one \"_result.htm\" report beside each text file\n"
    "  --filter PATTERN  take only the files whose full path the pattern matches\n"
    "  --folder DIR      the corpus folder (default: the folder of the last file added)\n"
    "  --templates DIR   where result.tpl and resultEx.tpl are (default: beside the program)\n"
    "  --code-page NAME  the system code page (windows-1252, windows-1251, UTF-8, ...)\n"
    "  --tables          also write result_counts.csv and result_passages.csv (UTF-8 CSV)\n"
    "                    in the corpus folder, for spreadsheets and scripts\n"
    "  --jobs N          read and count N files at a time (default: one per processor core)\n"
    "  --strict          stop before writing anything when the tag set or the texts have\n"
    "                    any problem the marker check finds\n"
    "  --fold-space      count passages that differ only in spaces, tabs and line breaks\n"
    "                    as one (every run of them counts as one space)\n"
    "  --fold-case       count passages that differ only in letter case as one, in every\n"
    "                    alphabet (simple Unicode case folding), not only A-Z\n"
    "  --open            open the corpus folder or the combined report when done\n";

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

// The file list as the window would hold it after the same folder and file choices; each
// refused duplicate is reported on stderr with the window's message.
TFileListModel BuildFileList(const std::vector<std::string>& paths) {
  TFileListModel list;
  for (const std::string& given : paths) {
    const fs::path path = CleanAbsolute(given);
    std::error_code ec;
    const auto outcome =
        fs::is_directory(path, ec) ? list.AddFolder(path) : list.AddFile(path, ItemFolder(path));
    for (const auto& duplicate : outcome.duplicates) {
      std::cerr << DuplicateItemMessage(duplicate.offered) << '\n';
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

// Starts the desktop's default handler for path in its own session, its output discarded,
// and does not wait for it.
void OpenDetached(const fs::path& path) {
  posix_spawn_file_actions_t actions;
  posix_spawnattr_t attributes;
  posix_spawn_file_actions_init(&actions);
  posix_spawnattr_init(&attributes);
  for (int fd = 0; fd <= 2; ++fd) {
    posix_spawn_file_actions_addopen(&actions, fd, "/dev/null", fd == 0 ? O_RDONLY : O_WRONLY, 0);
  }
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
  std::string program = "xdg-open";
  std::string argument = path.native();
  char* argv[] = {program.data(), argument.data(), nullptr};
  pid_t pid;
  posix_spawnp(&pid, program.c_str(), &actions, &attributes, argv, environ);
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
}

class CliHost : public TCodingRunHost {
 public:
  CliHost(fs::path program_folder, bool open, bool show_progress)
      : program_folder_(std::move(program_folder)), open_(open), show_progress_(show_progress) {}

  void ShowInformation(const std::string& message) override {
    ClearProgress();
    std::cout << message << '\n' << std::flush;
  }
  void ShellOpen(const fs::path& path) override {
    if (open_) OpenDetached(path);
  }
  uint32_t TickCount() override {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
  }
  std::chrono::system_clock::time_point Now() override { return std::chrono::system_clock::now(); }
  fs::path ProgramFolder() override { return program_folder_; }
  void Progress(int files_done, int files_ticked) override {
    if (!show_progress_) return;
    const std::string line =
        std::to_string(files_done) + " of " + std::to_string(files_ticked) + " file(s) done";
    std::cerr << '\r' << line << std::flush;
    progress_width_ = line.size();
  }
  void Warn(const fs::path& path, const std::string& message) override {
    ClearProgress();
    std::cerr << PathToNarrow(path) << ": warning: " << message << '\n' << std::flush;
  }
  void TagSetProblem(const TCheckProblem& problem) override {
    ClearProgress();
    std::cerr << FormatCheckProblem(problem) << '\n' << std::flush;
  }
  // Removes the progress line, so that the next output starts on a clean line.
  void ClearProgress() {
    if (progress_width_ == 0) return;
    std::cerr << '\r' << std::string(progress_width_, ' ') << '\r' << std::flush;
    progress_width_ = 0;
  }

 private:
  fs::path program_folder_;
  bool open_;
  bool show_progress_;
  size_t progress_width_ = 0;
};

void PrintError(const std::exception& error) {
  const std::string message = error.what();
  std::cerr << message;
  if (message.empty() || message.back() != '\n') std::cerr << '\n';
}

}  // namespace

int RunCountCommand(const std::vector<std::string>& args) {
  CountOptions options;
  std::string complaint;
  switch (ParseCountArgs(args, options, complaint)) {
    case ParseOutcome::kHelp:
      std::cout << kCountHelp;
      return 0;
    case ParseOutcome::kUsageError:
      return UsageError(complaint);
    case ParseOutcome::kRun:
      break;
  }

  CliHost host(options.templates ? CleanAbsolute(*options.templates) : ExecutableFolder(),
               options.open, isatty(STDERR_FILENO) == 1);
  try {
    if (options.code_page) SetSystemCodePage(*options.code_page);
    TFileListModel list = BuildFileList(options.paths);
    if (options.filter) list.TickMatching(Trim(std::string_view(*options.filter)));

    TCodingRunRequest request;
    request.tag_set_path = fs::path(*options.tag_set);
    request.items = list.items();
    request.one_file_mode = options.one_file;
    request.write_tables = options.tables;
    if (options.filter) request.filter = std::string(Trim(std::string_view(*options.filter)));
    request.jobs = options.jobs;
    request.strict = options.strict;
    if (options.fold_space) request.grouping.spacing = ESpacing::kFolded;
    if (options.fold_case) request.grouping.letter_case = ELetterCase::kEveryAlphabet;
    if (options.folder) {
      request.corpus_folder = CleanAbsolute(*options.folder);
    } else if (!list.LastFolder().empty()) {
      request.corpus_folder = list.LastFolder();
    } else {
      request.corpus_folder = fs::current_path();
    }
    TTagArray tag_set;
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
