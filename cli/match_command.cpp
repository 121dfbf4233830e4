// farrowdale-cli match [--first] [--count] [--code-page NAME] PATTERN [FILE]
//
// Runs a fresh engine (default modifiers) over the raw bytes of FILE, or of standard input
// when FILE is absent or "-": Exec, then ExecNext while it matches (--first: Exec only).
// Each match prints "start:length" (1-based, bytes of group 0), then a TAB and the text of
// group 0 and of every capture group of the pattern, escaped. Exit 0 when something
// matched, 1 when nothing did, 2 on an engine or input error (its message is the last line
// on stderr) and on usage errors.
#include <sys/mman.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/terminal_text.h"
#include "regex/pattern_engine.h"
#include "text/code_page.h"
#include "text/error.h"

namespace farrowdale::cli {
namespace {

constexpr const char* kMatchHelp =
    "Usage: farrowdale-cli match [--first] [--count] [--code-page NAME] PATTERN [FILE]\n"
    "Searches the raw bytes of FILE (standard input when absent or \"-\") for PATTERN and\n"
    "prints one line per match: START:LENGTH, then a TAB and the text of the match and of\n"
    "every capture group, with \\\\, \\t, \\n, \\r and \\xHH escapes.\n"
    "  --first           only the first match\n"
    "  --count           only the number of matches\n"
    "  --code-page NAME  the system code page (windows-1252, windows-1251, UTF-8, ...)\n"
    "Exit status: 0 matched, 1 no match, 2 usage or pattern error.\n";

// Bytes as one printable line: \\, \t, \n, \r, and \xHH for other control bytes, 0x7F and
// every byte from 0x80.
std::string EscapeBytes(std::string_view bytes) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(bytes.size());
  for (const char ch : bytes) {
    const auto c = static_cast<unsigned char>(ch);
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      default:
        if (c < 0x20 || c >= 0x7F) {
          out += "\\x";
          out += kHex[c >> 4];
          out += kHex[c & 0xF];
        } else {
          out += ch;
        }
    }
  }
  return out;
}

// Asks for the pages of a large block to be backed by huge pages before it is first touched:
// a 50 MB subject then costs a few dozen page faults instead of thousands. Advice only.
void AdviseHugePages(char* data, size_t size) {
  constexpr uintptr_t kHugePage = uintptr_t{2} << 20;
  if (size < 2 * kHugePage) return;
  const uintptr_t begin = (reinterpret_cast<uintptr_t>(data) + kHugePage - 1) & ~(kHugePage - 1);
  const uintptr_t end = (reinterpret_cast<uintptr_t>(data) + size) & ~(kHugePage - 1);
  if (end > begin) ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
}

// All bytes of stream: a regular file's size read straight into place, then whatever else
// there is (all of a pipe), 64 KiB at a time.
std::string ReadAll(std::FILE* stream) {
  std::string bytes;
  struct stat info;
  if (::fstat(::fileno(stream), &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0) {
    bytes.reserve(static_cast<size_t>(info.st_size));
    AdviseHugePages(bytes.data(), bytes.capacity());
    bytes.resize(static_cast<size_t>(info.st_size));
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), stream));
  }
  char buffer[1 << 16];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, stream)) > 0) bytes.append(buffer, n);
  return bytes;
}

std::string ReadSubject(const std::optional<std::string>& file) {
  if (!file || *file == "-") {
    std::string bytes = ReadAll(stdin);
    if (std::ferror(stdin)) throw Error("Cannot read the standard input.");
    return bytes;
  }
  const std::filesystem::path path(*file);
  const std::unique_ptr<std::FILE, int (*)(std::FILE*)> stream(std::fopen(path.c_str(), "rb"),
                                                               &std::fclose);
  if (!stream) throw FileOpenError(std::filesystem::absolute(path), errno);
  std::string bytes = ReadAll(stream.get());
  if (std::ferror(stream.get()))
    throw FileOpenError(std::filesystem::absolute(path), errno != 0 ? errno : EIO);
  return bytes;
}

}  // namespace

int RunMatchCommand(const std::vector<std::string>& args) {
  bool first_only = false;
  bool count_only = false;
  std::optional<std::string> code_page;
  std::vector<std::string> operands;
  bool options_done = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (options_done || arg.size() < 2 || arg.compare(0, 2, "--") != 0) {
      operands.push_back(arg);
      options_done = true;  // options come before PATTERN
    } else if (arg == "--") {
      options_done = true;
    } else if (arg == "--help") {
      std::cout << kMatchHelp;
      return 0;
    } else if (arg == "--first") {
      first_only = true;
    } else if (arg == "--count") {
      count_only = true;
    } else if (arg == "--code-page") {
      if (i + 1 == args.size()) return UsageError("--code-page needs a code page name");
      code_page = args[++i];
    } else {
      return UsageError("match: unknown option \"" + arg + "\"");
    }
  }
  if (operands.empty()) return UsageError("match: PATTERN is missing");
  if (operands.size() > 2) return UsageError("match: too many arguments");
  const std::string& pattern = operands[0];
  const std::optional<std::string> file =
      operands.size() == 2 ? std::optional<std::string>(operands[1]) : std::nullopt;

  try {
    if (code_page) SetSystemCodePage(*code_page);
    const std::string subject = ReadSubject(file);
    TPatternEngine engine;
    engine.SetExpression(pattern);
    std::string out;
    bool matched = false;
    int64_t matches = 0;
    for (bool found = engine.ExecInPlace(subject); found;
         found = !first_only && engine.ExecNext()) {
      matched = true;
      ++matches;
      if (count_only) continue;
      out += std::to_string(engine.MatchPos(0)) + ":" + std::to_string(engine.MatchLen(0));
      for (int group = 0; group <= engine.CaptureGroupCount(); ++group) {
        out += '\t';
        out += EscapeBytes(engine.MatchedText(group));
      }
      out += '\n';
      if (out.size() >= (1 << 16)) {
        std::fwrite(out.data(), 1, out.size(), stdout);
        out.clear();
      }
    }
    if (count_only) out = std::to_string(matches) + "\n";
    std::fwrite(out.data(), 1, out.size(), stdout);
    std::fflush(stdout);
    return matched ? 0 : 1;
  } catch (const Error& e) {
    std::fflush(stdout);
    std::cerr << TerminalText(e.what()) << "\n";
    return 2;
  }
}

}  // namespace farrowdale::cli
