// farrowdale-cli agree: two coders' copies of a corpus compared (CompareCoders), the pooled
// table per tag printed, agreement.htm and agreement.csv written into the output folder.
//
// stdout: the table, the files not compared (a difference as A-PATH:LINE:COL and
// B-PATH:LINE:COL with what each text holds from there) and the names of the outputs.
// Exit 0 when files were compared, 1 when none could be or a copy could not be read (the
// outputs are still written) and on errors (message on stderr), 2 on usage errors.
#include <charconv>
#include <chrono>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "cli/command_options.h"
#include "cli/commands.h"
#include "cli/terminal_text.h"
#include "report/agreement_report.h"
#include "run/coder_comparison.h"
#include "text/code_page.h"
#include "text/utf8.h"

namespace farrowdale::cli {
namespace {

namespace fs = std::filesystem;

constexpr const char* kAgreeHelp =
    "Usage: farrowdale-cli agree --tagset FILE [--tagset-b FILE] [--recursive] [--output DIR]\n"
    "                            [--min-overlap P] [--code-page NAME] FOLDER_A FOLDER_B\n"
    "Compares two coders' separately coded copies of the same texts: every text file of the\n"
    "same name in both folders, its markers removed, must hold the same text; the agreement\n"
    "of the two codings is measured per tag and file. Prints the table per tag and writes\n"
    "agreement.htm and agreement.csv.\n"
    "  --tagset FILE     the tag set (INI file) of coder A, and of B unless --tagset-b\n"
    "  --tagset-b FILE   coder B's tag set: other markers under the same tag names\n"
    "  --recursive       also the text files of sub-folders (matched by relative path)\n"
    "  --output DIR      where agreement.htm and agreement.csv go (default: the current folder)\n"
    "  --min-overlap P   passages match when their overlap is at least P of their union:\n"
    "                    a fraction (0.9, the default) or a percentage (90%)\n"
    "  --code-page NAME  the system code page (windows-1252, windows-1251, UTF-8, ...)\n"
    "Exit status: 0 compared, 1 no file could be compared or a copy could not be read (or an\n"
    "error), 2 usage error.\n";

struct AgreeOptions {
  std::optional<std::string> tag_set;
  std::optional<std::string> tag_set_b;
  std::optional<std::string> output;
  std::optional<std::string> min_overlap_text;
  std::optional<std::string> code_page;
  bool recursive = false;
  std::vector<std::string> paths;
};

// "0.9" or "90%": a share above 0 and at most 1.
std::optional<double> ParseMinOverlap(std::string text) {
  double scale = 1;
  if (!text.empty() && text.back() == '%') {
    text.pop_back();
    scale = 100;
  }
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
    return std::nullopt;
  }
  value /= scale;
  if (!(value > 0 && value <= 1)) return std::nullopt;
  return value;
}

ParseOutcome ParseAgreeArgs(const std::vector<std::string>& args, AgreeOptions& options,
                            std::string& complaint) {
  const TCommandOptions known{{{"--recursive", &options.recursive}},
                              {{"--tagset", &options.tag_set},
                               {"--tagset-b", &options.tag_set_b},
                               {"--output", &options.output},
                               {"--min-overlap", &options.min_overlap_text},
                               {"--code-page", &options.code_page}}};
  const ParseOutcome outcome = ParseCommandArgs("agree", args, known, options.paths, complaint);
  if (outcome != ParseOutcome::kRun) return outcome;
  if (!options.tag_set) {
    complaint = "agree: --tagset FILE is required";
    return ParseOutcome::kUsageError;
  }
  if (options.paths.size() != 2) {
    complaint = "agree: give two folders, FOLDER_A and FOLDER_B";
    return ParseOutcome::kUsageError;
  }
  if (options.min_overlap_text && !ParseMinOverlap(*options.min_overlap_text)) {
    complaint = "agree: --min-overlap takes a share above 0 and at most 1, as 0.9 or 90%";
    return ParseOutcome::kUsageError;
  }
  return ParseOutcome::kRun;
}

// A context as one line: backslash, line ends, tabs and other controls escaped.
std::string EscapedContext(const std::string& utf8) {
  std::string out;
  for (const char c : ToNarrow(Utf8ToUtf16(utf8))) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '\\') {
      out += "\\\\";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c == '\t') {
      out += "\\t";
    } else if (byte < 0x20 || byte == 0x7F) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", byte);
      out += hex;
    } else {
      out += c;
    }
  }
  return out;
}

void PrintTable(const TCoderComparison& comparison) {
  std::printf("%-16s %10s %9s %9s %7s %7s %7s %6s %6s %7s\n", "tag", "characters", "agreement",
              "on coded", "kappa", "alpha", "alpha_u", "A pass", "B pass", "matched");
  for (const TAgreementRow& row : comparison.pooled) {
    const auto percent = [](const std::optional<double>& value) {
      return value ? MeasureText(*value * 100, 1, "") + "%" : std::string("undef");
    };
    const auto measure = [](const std::optional<double>& value) {
      return MeasureText(value, 3, "undef");
    };
    const TAgreementCounts& c = row.counts;
    std::printf("%-16s %10lld %9s %9s %7s %7s %7s %6lld %6lld %7lld\n",
                row.tag == "*" ? "(all tags)" : TerminalText(row.tag).c_str(),
                static_cast<long long>(c.characters), percent(row.percent_all).c_str(),
                percent(row.percent_coded).c_str(), measure(row.kappa).c_str(),
                measure(row.alpha).c_str(), measure(row.alpha_u).c_str(),
                static_cast<long long>(c.a_passages), static_cast<long long>(c.b_passages),
                static_cast<long long>(c.matched));
  }
}

std::string Place(const fs::path& folder, const std::string& file, const TTextPosition& place) {
  return TerminalText(PathToNarrow(folder / NarrowToPath(file))) + ":" +
         std::to_string(place.line) + ":" + std::to_string(place.column);
}

// The files not compared, one line each (a difference on two more); returns whether a copy
// could not be read.
bool PrintNotCompared(const TCoderComparison& comparison, const TCoderComparisonRequest& request) {
  bool unreadable = false;
  for (const TFileComparison& file : comparison.files) {
    const std::string shown = TerminalText(file.file);
    switch (file.outcome) {
      case EFileComparison::kCompared:
        break;
      case EFileComparison::kOnlyInA:
        std::printf("%s: only in A, not compared\n", shown.c_str());
        break;
      case EFileComparison::kOnlyInB:
        std::printf("%s: only in B, not compared\n", shown.c_str());
        break;
      case EFileComparison::kUnreadable:
        std::printf("%s: not compared: %s\n", shown.c_str(), TerminalText(file.error).c_str());
        unreadable = true;
        break;
      case EFileComparison::kTextDiffers:
        std::printf("%s: the texts differ, not compared\n  %s: \"%s\"\n  %s: \"%s\"\n",
                    shown.c_str(),
                    Place(request.folder_a, file.file, file.difference.a_place).c_str(),
                    EscapedContext(file.difference.a_context).c_str(),
                    Place(request.folder_b, file.file, file.difference.b_place).c_str(),
                    EscapedContext(file.difference.b_context).c_str());
        break;
    }
  }
  return unreadable;
}

}  // namespace

int RunAgreeCommand(const std::vector<std::string>& args) {
  AgreeOptions options;
  std::string complaint;
  if (const std::optional<int> exit_code =
          ExitBeforeRun(ParseAgreeArgs(args, options, complaint), kAgreeHelp, complaint)) {
    return *exit_code;
  }
  const auto started = std::chrono::system_clock::now();
  try {
    if (options.code_page) SetSystemCodePage(*options.code_page);
    TCoderComparisonRequest request;
    request.folder_a = CleanAbsolute(options.paths[0]);
    request.folder_b = CleanAbsolute(options.paths[1]);
    request.tag_set_a = CleanAbsolute(*options.tag_set);
    request.tag_set_b = options.tag_set_b ? CleanAbsolute(*options.tag_set_b) : request.tag_set_a;
    request.recursive = options.recursive;
    if (options.min_overlap_text) request.min_overlap = *ParseMinOverlap(*options.min_overlap_text);
    const TCoderComparison comparison = CompareCoders(request);

    const fs::path output = CleanAbsolute(options.output.value_or("."));
    WriteAgreementOutputs(comparison,
                          {started, request.folder_a, request.folder_b, request.tag_set_a,
                           request.tag_set_b, SystemCodePageName()},
                          output);
    PrintTable(comparison);
    const bool unreadable = PrintNotCompared(comparison, request);
    std::printf("%d of %zu files compared; wrote %s and %s\n", comparison.files_compared,
                comparison.files.size(),
                TerminalText(PathToNarrow(output / kAgreementPageName)).c_str(),
                TerminalText(PathToNarrow(output / kAgreementTableName)).c_str());
    std::fflush(stdout);
    if (comparison.files_compared == 0) {
      std::cerr << "farrowdale-cli: agree: no file could be compared\n";
      return 1;
    }
    return unreadable ? 1 : 0;
  } catch (const std::exception& error) {
    std::cerr << "farrowdale-cli: agree: " << TerminalText(ExceptionText(error)) << '\n';
    return 1;
  }
}

}  // namespace farrowdale::cli
