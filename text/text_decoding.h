// Decoding a text file's bytes piece by piece, so that a large file never needs its whole
// decoded text in memory at once. Pieces are cut where no character is split: UTF-16 between
// code units, UTF-8 between sequences, single-byte code pages anywhere; other multi-byte code
// pages are decoded in one piece.
#ifndef FARROWDALE_TEXT_TEXT_DECODING_H_
#define FARROWDALE_TEXT_TEXT_DECODING_H_

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace farrowdale {

// About 32 KiB of bytes per piece: the decoded piece stays in the cache and in one reused
// heap block.
inline constexpr size_t kDecodeBlockBytes = 32 * 1024;

// Detects the encoding by the byte-order mark, then hands the decoded text, in order, to sink
// in pieces of about block_bytes bytes until the bytes end or sink returns false.
void DecodeTextPieces(std::string_view bytes, size_t block_bytes,
                      const std::function<bool(std::u16string_view)>& sink);

}  // namespace farrowdale

#endif  // FARROWDALE_TEXT_TEXT_DECODING_H_
