// farrowdale-cli: headless coding runs ("count"), the marker check ("check"), a pattern
// tester ("match"), the comparison of two coders ("agree") and the exchange export
// ("export").
#include <clocale>
#include <cstdio>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/terminal_text.h"
#include "text/code_page.h"

namespace farrowdale::cli {
namespace {

constexpr const char* kUsage =
    "Usage:\n"
    "  farrowdale-cli count --tagset FILE [--one-file] [--filter PATTERN] [--folder DIR]\n"
    "                       [--templates DIR] [--code-page NAME] [--tables] [--jobs N]\n"
    "                       [--recursive] [--open] [--no-wait] PATH...\n"
    "      Counts the tagged passages of the text files in PATH (folders add their *.txt\n"
    "      files) and writes the reports.\n"
    "  farrowdale-cli check --tagset FILE [--code-page NAME] [--recursive] PATH...\n"
    "      Lists unclosed, stray and nested markers, empty passages and tag set mistakes.\n"
    "  farrowdale-cli export --tagset FILE [--qdpx OUT.qdpx] [--qdc OUT.qdc] [--coder NAME]\n"
    "                        [--filter PATTERN] [--folder DIR] [--code-page NAME]\n"
    "                        [--recursive] PATH...\n"
    "      Exports the coding as a REFI-QDA project and the tag set as a codebook.\n"
    "  farrowdale-cli match [--first] [--count] [--code-page NAME] PATTERN [FILE]\n"
    "      Prints every match of PATTERN in FILE (standard input when absent or \"-\");\n"
    "      --count prints only their number.\n"
    "  farrowdale-cli agree --tagset FILE [--tagset-b FILE] [--recursive] [--output DIR]\n"
    "                       [--min-overlap P] [--code-page NAME] FOLDER_A FOLDER_B\n"
    "      Compares two coders' copies of the same texts and measures their agreement per\n"
    "      tag; writes agreement.htm and agreement.csv.\n"
    "  farrowdale-cli --help | --version\n";

}  // namespace

int PrintVersion() {
  std::cout << "farrowdale-cli (Morrow Farrowdale) " FARROWDALE_VERSION "\n";
  return 0;
}

int UsageError(const std::string& complaint) {
  if (!complaint.empty()) std::cerr << "farrowdale-cli: " << TerminalText(complaint) << "\n";
  std::cerr << kUsage;
  return 2;
}

std::optional<int> ExitBeforeRun(ParseOutcome outcome, const char* help,
                                 const std::string& complaint) {
  switch (outcome) {
    case ParseOutcome::kHelp:
      std::cout << help;
      return 0;
    case ParseOutcome::kVersion:
      return PrintVersion();
    case ParseOutcome::kUsageError:
      return UsageError(complaint);
    case ParseOutcome::kRun:
      break;
  }
  return std::nullopt;
}

namespace {

int RunCommand(std::vector<std::string> args) {
  if (args.empty()) return UsageError("");
  const std::string command = args.front();
  args.erase(args.begin());
  if (command == "--help" || command == "-h" || command == "help") {
    std::cout << kUsage;
    return 0;
  }
  if (command == "--version") return PrintVersion();
  if (command == "count") return RunCountCommand(args);
  if (command == "check") return RunCheckCommand(args);
  if (command == "match") return RunMatchCommand(args);
  if (command == "agree") return RunAgreeCommand(args);
  if (command == "export") return RunExportCommand(args);
  return UsageError("unknown command \"" + command + "\"");
}

}  // namespace
}  // namespace farrowdale::cli

int main(int argc, char** argv) {
  using namespace farrowdale::cli;
  std::setlocale(LC_ALL, "");
  farrowdale::InitSystemCodePageFromLocale();
  int exit_code = 1;
  // Whatever a command does not handle itself (memory running out included) ends it with
  // its message, never with an abort.
  try {
    exit_code = RunCommand(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const std::exception& error) {
    std::cerr << "farrowdale-cli: " << TerminalText(ExceptionText(error)) << '\n';
    exit_code = 1;
  }
  return FinishOutput(exit_code);
}
