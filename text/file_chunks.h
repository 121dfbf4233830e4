// Reads a whole file in chunks, handing each to a callback, so a large file never has to be
// in memory at once.
#ifndef FARROWDALE_TEXT_FILE_CHUNKS_H_
#define FARROWDALE_TEXT_FILE_CHUNKS_H_

#include <filesystem>
#include <functional>
#include <string_view>

namespace farrowdale {

// Calls feed with every chunk of the file, in order. A file that cannot be opened or read
// (missing, no access, a folder, an I/O error) throws the file-open Error.
void ReadFileChunks(const std::filesystem::path& path,
                    const std::function<void(std::string_view)>& feed);

}  // namespace farrowdale

#endif  // FARROWDALE_TEXT_FILE_CHUNKS_H_
