// farrowdale-cli match [--first] [--count] [--bytes] [--code-page NAME] PATTERN [FILE]
//
// Runs a fresh engine (default modifiers) over FILE, or over standard input when FILE is
// absent or "-": Exec, then ExecNext while it matches (--first: Exec only). The subject is the
// text as "count" searches it (byte-order marks, UTF-16 without a mark, the windows-1252
// fallback, line ends as CR LF, cut at a zero character), with the same read warnings on
// stderr; each match prints "LINE:COLUMN" (1-based, characters). With --bytes the subject is
// the raw bytes and each match prints "START:LENGTH" (1-based, bytes). Then a TAB and the text
// of group 0 and of every capture group of the pattern, escaped. Exit 0 when something
// matched, 1 when nothing did, 2 on an engine or input error (its message is the last line
// on stderr) and on usage errors.
//
// A FILE is read only when it is a regular file, and no further than the size it had when it
// was opened; standard input may also be a pipe or a terminal, and is read up to the largest
// subject the engine takes.
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <iostream>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/terminal_text.h"
#include "regex/pattern_engine.h"
#include "text/code_page.h"
#include "text/error.h"
#include "text/narrow_text_file.h"
#include "text/regular_file.h"
#include "text/text_position.h"

namespace farrowdale::cli {
namespace {

constexpr const char* kMatchHelp =
    "Usage: farrowdale-cli match [--first] [--count] [--bytes] [--code-page NAME] PATTERN "
    "[FILE]\n"
    "Searches the text of FILE (standard input when absent or \"-\"), read as \"count\" reads\n"
    "it, for PATTERN and prints one line per match: LINE:COLUMN (1-based, in characters),\n"
    "then a TAB and the text of the match and of every capture group, with \\\\, \\t, \\n,\n"
    "\\r and \\xHH escapes.\n"
    "  --first           only the first match\n"
    "  --count           only the number of matches\n"
    "  --bytes           search the raw bytes, undecoded; positions as START:LENGTH in bytes\n"
    "  --code-page NAME  the system code page (windows-1252, windows-1251, UTF-8, ...)\n"
    "  --version         print the version and stop\n"
    "  --help            print this text and stop\n"
    "Exit status: 0 matched, 1 no match, 2 usage, input or pattern error.\n";

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

// How much of standard input one read asks for.
constexpr size_t kReadChunkBytes = size_t{1} << 16;
// The largest subject the engine takes, in bytes.
constexpr size_t kMaxSubjectBytes = std::numeric_limits<int32_t>::max() - 2;

// The bytes of a FILE operand: a regular file only, up to the size it had when opened.
std::string ReadFileBytes(const std::filesystem::path& path) {
  const TRegularFile file(path);
  std::string bytes;
  bytes.reserve(static_cast<size_t>(file.size()));
  AdviseHugePages(bytes.data(), bytes.capacity());
  file.ReadChunks([&bytes](std::string_view chunk) { bytes.append(chunk); });
  return bytes;
}

// The bytes of standard input from where it stands. A regular file is read no further than
// the size it had when looked at; a pipe or a terminal up to kMaxSubjectBytes, past which it is
// refused; anything else (a device such as /dev/zero, a folder) is refused before a byte is
// read.
std::string ReadStandardInput() {
  struct stat info;
  if (::fstat(STDIN_FILENO, &info) != 0) throw Error("Cannot read the standard input.");
  const bool regular = S_ISREG(info.st_mode);
  if (!regular && !S_ISFIFO(info.st_mode) && !S_ISSOCK(info.st_mode) &&
      ::isatty(STDIN_FILENO) != 1) {
    throw Error("Cannot read the standard input. " + NotRegularFileText(info.st_mode));
  }
  const uint64_t limit = regular ? static_cast<uint64_t>(info.st_size) : kMaxSubjectBytes;
  std::string bytes;
  if (regular) {
    bytes.reserve(static_cast<size_t>(limit));
    AdviseHugePages(bytes.data(), bytes.capacity());
  }
  std::unique_ptr<char[]> buffer(new char[kReadChunkBytes]);
  while (!regular || bytes.size() < limit) {
    const size_t wanted =
        regular ? static_cast<size_t>(std::min<uint64_t>(kReadChunkBytes, limit - bytes.size()))
                : kReadChunkBytes;
    const ssize_t got = ::read(STDIN_FILENO, buffer.get(), wanted);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) throw Error("Cannot read the standard input.");
    if (got == 0) break;
    if (bytes.size() + static_cast<size_t>(got) > kMaxSubjectBytes) {
      throw Error("Cannot read the standard input. It holds more than " +
                  std::to_string(kMaxSubjectBytes) + " bytes, more than a subject can hold.");
    }
    bytes.append(buffer.get(), static_cast<size_t>(got));
  }
  return bytes;
}

bool IsStandardInput(const std::optional<std::string>& file) { return !file || *file == "-"; }

// The subject as the coding run searches it; read warnings go to stderr, "PATH: warning: ...".
std::string ReadDecodedSubject(const std::optional<std::string>& file) {
  TNarrowTextFile text = IsStandardInput(file)
                             ? NarrowJoinedTextOf(ReadStandardInput())
                             : ReadNarrowJoinedText(std::filesystem::absolute(*file));
  const std::string shown = IsStandardInput(file) ? "standard input" : *file;
  for (const TextReadWarning& warning : text.warnings) {
    std::cerr << TerminalText(shown) << ": warning: " << TerminalText(warning.Message()) << '\n';
  }
  return std::move(text.text);
}

std::string ReadRawSubject(const std::optional<std::string>& file) {
  return IsStandardInput(file) ? ReadStandardInput()
                               : ReadFileBytes(std::filesystem::absolute(*file));
}

}  // namespace

int RunMatchCommand(const std::vector<std::string>& args) {
  bool first_only = false;
  bool count_only = false;
  bool raw_bytes = false;
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
    } else if (arg == "--bytes") {
      raw_bytes = true;
    } else if (arg == "--version") {
      return PrintVersion();
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
    const std::string subject = raw_bytes ? ReadRawSubject(file) : ReadDecodedSubject(file);
    TTextPositionCursor positions(subject);
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
      if (raw_bytes) {
        out += std::to_string(engine.MatchPos(0)) + ":" + std::to_string(engine.MatchLen(0));
      } else {
        const TTextPosition at = positions.PositionOf(static_cast<size_t>(engine.MatchPos(0) - 1));
        out += std::to_string(at.line) + ":" + std::to_string(at.column);
      }
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
  } catch (const std::exception& e) {
    // Error carries its message; anything else (memory running out) is named as it is.
    std::fflush(stdout);
    std::cerr << TerminalText(e.what()) << "\n";
    return 2;
  }
}

}  // namespace farrowdale::cli
