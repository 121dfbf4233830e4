// Files as bytes, for tests that compare outputs byte for byte: reading and writing a file's
// exact bytes, UTF-16 LE files with a byte-order mark as the reports are written, and such a
// file made readable for a failure message.
#ifndef FARROWDALE_TESTING_FILE_BYTES_H_
#define FARROWDALE_TESTING_FILE_BYTES_H_

#include <filesystem>
#include <string>
#include <string_view>

namespace farrowdale::testing_support {

// The file's bytes; empty when it cannot be read (the comparison that follows says so).
std::string ReadBytes(const std::filesystem::path& path);
// Replaces the file with exactly bytes.
void WriteBytes(const std::filesystem::path& path, std::string_view bytes);

// The bytes of a UTF-16 LE file with byte-order mark holding text (or ASCII text).
std::string Utf16LeFile(std::u16string_view text);
std::string Utf16LeFile(std::string_view ascii);
// ASCII text as UTF-16.
std::u16string U16(std::string_view ascii);
// The text of a UTF-16 LE file after its byte-order mark, ASCII as it is and every other
// code unit as "\uXXXX": a report as readable text.
std::string ReadableUtf16Le(std::string_view bytes);

}  // namespace farrowdale::testing_support

#endif  // FARROWDALE_TESTING_FILE_BYTES_H_
