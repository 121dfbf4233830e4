#include "cli/terminal_text.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <new>

namespace farrowdale::cli {
namespace {

void AppendHex(std::string& out, unsigned char c) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  out += "\\x";
  out += kHex[c >> 4];
  out += kHex[c & 0xF];
}

// Flushes stream and its stdio file: 0 when all was written, else the errno of the failure,
// or -1 when an earlier write failed and its errno is gone.
int FlushError(std::ostream& stream, std::FILE* file) {
  errno = 0;
  stream.flush();
  const bool flushed = std::fflush(file) == 0;
  const int error = errno;
  if (flushed && !std::ferror(file) && stream.good()) return 0;
  return error != 0 ? error : -1;
}

}  // namespace

std::string TerminalText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c == '\t') {
      out += "\\t";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c < 0x20 || c == 0x7F) {
      AppendHex(out, c);
    } else if (c == 0xC2 && i + 1 < text.size() &&
               static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
               static_cast<unsigned char>(text[i + 1]) <= 0x9F) {
      // U+0080 to U+009F: CSI (U+009B) among them starts a sequence on some terminals.
      AppendHex(out, c);
      AppendHex(out, static_cast<unsigned char>(text[++i]));
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

void PrintLines(std::ostream& out, std::string_view text) {
  for (;;) {
    const size_t end = text.find('\n');
    out << TerminalText(text.substr(0, end)) << '\n';
    if (end == std::string_view::npos || end + 1 == text.size()) return;
    text.remove_prefix(end + 1);
  }
}

std::string ExceptionText(const std::exception& error) {
  if (dynamic_cast<const std::bad_alloc*>(&error) != nullptr) {
    return "There is not enough memory to finish.";
  }
  return error.what();
}

int FinishOutput(int exit_code) {
  const int out_error = FlushError(std::cout, stdout);
  if (out_error != 0) {
    std::cerr << "farrowdale-cli: cannot write to the standard output"
              << (out_error > 0 ? std::string(": ") + std::strerror(out_error) : std::string())
              << '\n';
  }
  const int err_error = FlushError(std::cerr, stderr);
  return out_error != 0 || err_error != 0 ? 1 : exit_code;
}

}  // namespace farrowdale::cli
