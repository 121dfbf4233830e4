// A whole text file as the narrow text a coding run searches: exactly what
// ToNarrow(list.JoinedText()) gives after list.ReadTextFile(path) (every line followed by
// CR LF, the text ended at its first U+0000), made in one pass over the file without the
// list, its joined text or the file's whole bytes in memory.
#ifndef FARROWDALE_TEXT_NARROW_TEXT_FILE_H_
#define FARROWDALE_TEXT_NARROW_TEXT_FILE_H_

#include <filesystem>
#include <string>
#include <string_view>

#include "text/text_read_warning.h"

namespace farrowdale {

struct TNarrowTextFile {
  std::string text;
  TextReadWarnings warnings;  // as ReadTextFile returns them
  // The encoding the file was read in when it is not the system code page (a byte-order
  // mark's or a guess's, see TextDecoder::ReadAs); empty when it is.
  std::string read_as;
};

// Throws the file-open Error as ReadTextFile does.
TNarrowTextFile ReadNarrowJoinedText(const std::filesystem::path& path);
// The same text made from a file's bytes held in memory (standard input, say).
TNarrowTextFile NarrowJoinedTextOf(std::string_view bytes);

}  // namespace farrowdale

#endif  // FARROWDALE_TEXT_NARROW_TEXT_FILE_H_
