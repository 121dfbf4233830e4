// farrowdale-cli export: the ticked files' coding as an exchange project (--qdpx) and the tag
// set as a codebook (--qdc), for qualitative-analysis programs.
//
// The file list is built and ticked as "count" builds it; the summary line goes to stdout,
// warnings and errors to stderr (exit 1), usage errors too (exit 2).
#include <unistd.h>

#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "cli/cli_host.h"
#include "cli/command_options.h"
#include "cli/commands.h"
#include "run/exchange_export.h"
#include "run/login_name.h"
#include "text/code_page.h"
#include "text/trim.h"

namespace farrowdale::cli {
namespace {

namespace fs = std::filesystem;

constexpr const char* kExportHelp =
    "Usage: farrowdale-cli export --tagset FILE [--qdpx OUT.qdpx] [--qdc OUT.qdc]\n"
    "                             [--coder NAME] [--filter PATTERN] [--folder DIR]\n"
    "                             [--code-page NAME] [--recursive] PATH...\n"
    "Exports the coding of the text files as a REFI-QDA project, for qualitative-analysis\n"
    "programs: each file's text without the markers of its passages, and each passage as a\n"
    "selection coded with its tag.\n"
    "  PATH              a text file, or a folder whose *.txt files are taken (by name)\n"
    "  --tagset FILE     the tag set (INI file); its tags become the codes\n"
    "  --qdpx OUT.qdpx   write the project (texts, codes and codings) to OUT.qdpx\n"
    "  --qdc OUT.qdc     write the codebook alone (the codes) to OUT.qdc\n"
    "  --coder NAME      the user the codings are made by (default: your login name)\n"
    "  --filter PATTERN  take only the files whose full path the pattern matches\n"
    "  --folder DIR      the corpus folder, which names the project and which the texts are\n"
    "                    named relative to (default: the folder of the last file added)\n"
    "  --code-page NAME  the system code page (windows-1252, windows-1251, UTF-8, ...)\n"
    "  --recursive       take the *.txt files of every sub-folder too (by relative path)\n"
    "At least one of --qdpx and --qdc is required.\n";

struct ExportOptions {
  std::optional<std::string> tag_set;
  std::optional<std::string> project;
  std::optional<std::string> codebook;
  std::optional<std::string> coder;
  std::optional<std::string> filter;
  std::optional<std::string> folder;
  std::optional<std::string> code_page;
  bool recursive = false;
  std::vector<std::string> paths;
};

ParseOutcome ParseExportArgs(const std::vector<std::string>& args, ExportOptions& options,
                             std::string& complaint) {
  const TCommandOptions known{{{"--recursive", &options.recursive}},
                              {{"--tagset", &options.tag_set},
                               {"--qdpx", &options.project},
                               {"--qdc", &options.codebook},
                               {"--coder", &options.coder},
                               {"--filter", &options.filter},
                               {"--folder", &options.folder},
                               {"--code-page", &options.code_page}}};
  const ParseOutcome outcome = ParseCommandArgs("export", args, known, options.paths, complaint);
  if (outcome != ParseOutcome::kRun) return outcome;
  if (!options.tag_set) {
    complaint = "export: --tagset FILE is required";
  } else if (!options.project && !options.codebook) {
    complaint = "export: --qdpx OUT.qdpx or --qdc OUT.qdc is required";
  } else if (options.filter && Trim(std::string_view(*options.filter)).empty()) {
    complaint = "export: --filter needs a pattern that is not blank";
  } else if (options.coder && Trim(std::string_view(*options.coder)).empty()) {
    complaint = "export: --coder needs a name that is not blank";
  } else if (options.project && options.paths.empty()) {
    complaint = "export: no PATH given";
  } else {
    return ParseOutcome::kRun;
  }
  return ParseOutcome::kUsageError;
}

}  // namespace

int RunExportCommand(const std::vector<std::string>& args) {
  ExportOptions options;
  std::string complaint;
  if (const std::optional<int> exit_code =
          ExitBeforeRun(ParseExportArgs(args, options, complaint), kExportHelp, complaint)) {
    return *exit_code;
  }

  CliHost host({}, false, isatty(STDERR_FILENO) == 1);
  try {
    if (options.code_page) SetSystemCodePage(*options.code_page);
    TFileListModel list = BuildFileList(
        options.paths, options.recursive ? EFolderScan::kWithSubFolders : EFolderScan::kFolderOnly);
    if (options.filter) list.TickMatching(Trim(std::string_view(*options.filter)));

    TExchangeExportRequest request;
    request.tag_set_path = fs::path(*options.tag_set);
    request.items = list.items();
    request.corpus_folder = CorpusFolder(options.folder, list);
    request.coder = options.coder ? std::string(Trim(std::string_view(*options.coder)))
                                  : PathToNarrow(fs::path(LoginName()));
    if (options.project) request.project_path = CleanAbsolute(*options.project);
    if (options.codebook) request.codebook_path = CleanAbsolute(*options.codebook);
    ExportExchangeProject(request, host);
    host.ClearProgress();
    return 0;
  } catch (const std::exception& error) {
    host.ClearProgress();
    PrintError(error);
    return 1;
  }
}

}  // namespace farrowdale::cli
