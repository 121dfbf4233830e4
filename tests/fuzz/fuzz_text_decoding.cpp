// Fuzzes the decoding of a text file's bytes (byte-order-mark detection, UTF-8, UTF-16 and
// the system code page) and the line split that follows. Input: one byte choosing the code
// page, then the file's bytes. Checks that the lines hold no line break, that joining and
// splitting them again gives the same lines, and that a cut-short warning points at a zero.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "tests/fuzz/fuzz_code_page.h"
#include "text/code_page.h"
#include "text/unicode_string_list.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  farrowdale::ChooseFuzzCodePage(data[0]);
  const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);

  farrowdale::TUnicodeStringList lines;
  // A text cut short names the offset of a zero byte (of a zero unit, in UTF-16) of the file.
  for (const farrowdale::TextReadWarning& warning : lines.LoadFromBytes(bytes)) {
    if (warning.kind != farrowdale::TextReadWarning::Kind::kCutAtZero) continue;
    if (warning.byte_offset >= bytes.size() || bytes[warning.byte_offset] != '\0') std::abort();
  }
  for (int i = 0; i < lines.EntryCount(); ++i) {
    if (lines.EntryAt(i).find_first_of(u"\r\n") != std::u16string::npos) std::abort();
  }
  farrowdale::TUnicodeStringList again;
  again.AssignText(lines.JoinedText());
  if (again.EntryCount() != lines.EntryCount()) std::abort();
  for (int i = 0; i < lines.EntryCount(); ++i) {
    if (again.EntryAt(i) != lines.EntryAt(i)) std::abort();
  }
  // The conversions every run applies to the text must take anything the decoder gives.
  const std::string narrow = farrowdale::ToNarrow(lines.JoinedText());
  farrowdale::ToUnicode(narrow);
  return 0;
}
