// The sub-commands of farrowdale-cli. Each takes the arguments after its own name and
// returns the process exit code.
#ifndef FARROWDALE_CLI_COMMANDS_H_
#define FARROWDALE_CLI_COMMANDS_H_

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "cli/command_options.h"
#include "run/coding_run.h"
#include "run/file_list_model.h"

namespace farrowdale::cli {

int RunCountCommand(const std::vector<std::string>& args);
int RunCheckCommand(const std::vector<std::string>& args);
int RunMatchCommand(const std::vector<std::string>& args);
int RunAgreeCommand(const std::vector<std::string>& args);
int RunExportCommand(const std::vector<std::string>& args);

// Prints "farrowdale-cli (Morrow Farrowdale) VERSION" on stdout; returns exit code 0.
int PrintVersion();
// Prints complaint (when not empty) and the usage text on stderr; returns exit code 2.
int UsageError(const std::string& complaint);

// What a command does with its parsed arguments before it runs: prints help on stdout
// (exit 0), the version (exit 0) or the complaint and the usage (exit 2). nullopt when the
// command is to run.
std::optional<int> ExitBeforeRun(ParseOutcome outcome, const char* help,
                                 const std::string& complaint);

// The file list as the window would hold it after the same folder and file choices
// (count_command.cpp): folders add their *.txt entries sorted by name, files are added as
// absolute paths, a duplicate is reported on stderr and skipped, and a folder without a .txt
// file gets "FOLDER: warning: no .txt files here" on stderr.
TFileListModel BuildFileList(const std::vector<std::string>& paths,
                             EFolderScan scan = EFolderScan::kFolderOnly);
// Absolute, without "." or ".." steps and without a trailing separator.
std::filesystem::path CleanAbsolute(const std::string& given);
// The corpus folder of a run over list: --folder when given, else the folder of the last
// item added, else the current folder.
std::filesystem::path CorpusFolder(const std::optional<std::string>& folder,
                                   const TFileListModel& list);

// After a successful count: when the run's marker check found anything, prints one line on
// stderr that points to "farrowdale-cli check" (check_command.cpp).
void ReportPossibleMarkerProblems(const TRunSummary& summary);

}  // namespace farrowdale::cli

#endif  // FARROWDALE_CLI_COMMANDS_H_
