// WriteFileAtomically: creates or replaces a file so that anyone who opens it sees either the
// old file whole or the new one whole, never part of one, and never writes through a link.
//
// The bytes go to a new temporary file in the same folder (created exclusively, never
// following a link), are synced to the disk, and the temporary file is then renamed over the
// file. On any failure the temporary file is removed and the old file is left exactly as it
// was. Two writers at once each leave a complete file; the last rename wins.
#ifndef FARROWDALE_TEXT_ATOMIC_FILE_H_
#define FARROWDALE_TEXT_ATOMIC_FILE_H_

#include <filesystem>
#include <string_view>

namespace farrowdale {

// Throws the file-create Error naming path: with the platform's text for a failure to
// create, write, sync or rename, or, when path exists and is not a regular file (a link, a
// folder, a device), saying what it is.
void WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes);

// Throws the error WriteFileAtomically gives for a path that exists and is not a regular
// file, so that a caller can check all its paths before it writes any.
void CheckReplaceableFile(const std::filesystem::path& path);

}  // namespace farrowdale

#endif  // FARROWDALE_TEXT_ATOMIC_FILE_H_
