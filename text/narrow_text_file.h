// A whole text file as the narrow text a coding run searches: exactly what
// ToNarrow(list.JoinedText()) gives after list.ReadTextFile(path) (every line followed by
// CR LF, the text ended at its first U+0000), made in one pass over the file without the
// list, its joined text or the file's whole bytes in memory.
#ifndef FARROWDALE_TEXT_NARROW_TEXT_FILE_H_
#define FARROWDALE_TEXT_NARROW_TEXT_FILE_H_

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "text/text_read_warning.h"

namespace farrowdale {

// A line end of the text that is not CR LF, as the file wrote it: the index-th CR LF of the
// narrow text (0-based) stands for a lone CR or LF (written), or for no line end at all
// (written 0: the one added after a last line that had none).
struct TLoneLineEnd {
  size_t index = 0;
  char written = 0;
  bool operator==(const TLoneLineEnd&) const = default;
};

struct TNarrowTextFile {
  std::string text;
  TextReadWarnings warnings;  // as ReadTextFile returns them
  // By index; empty for a file with CR LF line ends only, and in a multi-byte code page other
  // than UTF-8 (whose text is made through the string list, which keeps no line ends).
  std::vector<TLoneLineEnd> lone_line_ends;
  // The encoding the file was read in when it is not the system code page (a byte-order
  // mark's or a guess's, see TextDecoder::ReadAs); empty when it is.
  std::string read_as;
};

// The narrow text from text.substr(start, size), a piece of a file's text, with each of its
// CR LF pairs written as the file wrote that line end. first_line_end is the index of the
// first line end at or after start (its line number less one).
std::string WithLineEndsAsWritten(std::string_view text, size_t start, size_t size,
                                  size_t first_line_end,
                                  const std::vector<TLoneLineEnd>& lone_line_ends);

// Throws the file-open Error as ReadTextFile does.
TNarrowTextFile ReadNarrowJoinedText(const std::filesystem::path& path);
// The same text made from a file's bytes held in memory (standard input, say).
TNarrowTextFile NarrowJoinedTextOf(std::string_view bytes);

}  // namespace farrowdale

#endif  // FARROWDALE_TEXT_NARROW_TEXT_FILE_H_
