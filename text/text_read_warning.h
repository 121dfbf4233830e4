// TextReadWarning: something the user should know about how a text file was read (an
// encoding guessed, the text cut short), which does not stop anything. The readers return
// them as data; the coding run passes them to its host, a checker can list them.
#ifndef FARROWDALE_TEXT_TEXT_READ_WARNING_H_
#define FARROWDALE_TEXT_TEXT_READ_WARNING_H_

#include <cstdint>
#include <string>
#include <vector>

namespace farrowdale {

struct TextReadWarning {
  enum class Kind { kUtf16LeWithoutMark, kUtf16BeWithoutMark, kReadAsWindows1252, kCutAtZero };
  Kind kind;
  // kCutAtZero: the offset in the file of the zero byte (of the zero unit, in UTF-16 text).
  uint64_t byte_offset = 0;

  // The text the user sees, e.g. "not valid UTF-8; read as windows-1252".
  std::string Message() const;
  bool operator==(const TextReadWarning&) const = default;
};

using TextReadWarnings = std::vector<TextReadWarning>;

}  // namespace farrowdale

#endif  // FARROWDALE_TEXT_TEXT_READ_WARNING_H_
