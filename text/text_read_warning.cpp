#include "text/text_read_warning.h"

namespace farrowdale {

std::string TextReadWarning::Message() const {
  switch (kind) {
    case Kind::kUtf16LeWithoutMark:
      return "no byte-order mark; read as UTF-16 LE";
    case Kind::kUtf16BeWithoutMark:
      return "no byte-order mark; read as UTF-16 BE";
    case Kind::kReadAsWindows1252:
      return "not valid UTF-8; read as windows-1252";
    case Kind::kCutAtZero:
      return "text ends at a zero byte at offset " + std::to_string(byte_offset) +
             "; the rest of the file is ignored";
  }
  return {};
}

}  // namespace farrowdale
