// TTextBlocks: many Unicode texts kept compactly, each written once and never moved, so that
// a text is named by one pointer for as long as its blocks live.
//
// A text is kept as its length followed by a UTF-8 form that also carries lone surrogates
// (one byte per ASCII character, at most three per UTF-16 code unit), so that every UTF-16
// text comes back unchanged. Texts go back to back into blocks that grow from a few KiB to
// 1 MiB, so that a handful of short texts costs a few KiB and millions cost no more than their
// bytes; a long text gets a block of its own. A text is named by its place, 32 bits: each
// block takes 1 MiB of places (a long one as many MiB as it needs), at least half of them
// used, so that the blocks hold at least 2 GiB of text. Large blocks are pages of their own
// (text/mapped_bytes.h), outside the heap. Not thread-safe.
#ifndef FARROWDALE_TEXT_TEXT_BLOCKS_H_
#define FARROWDALE_TEXT_TEXT_BLOCKS_H_

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "text/mapped_bytes.h"

namespace farrowdale {

// Appends text's kept form (without its length) to out.
void AppendKeptForm(std::u16string_view text, std::string& out);
// Appends the Unicode text of a kept form to out.
void AppendFromKeptForm(std::string_view kept, std::u16string& out);

class TTextBlocks {
 public:
  TTextBlocks() = default;
  TTextBlocks(const TTextBlocks&) = delete;
  TTextBlocks& operator=(const TTextBlocks&) = delete;

  // Keeps a copy of text; returns its place. Throws std::length_error when the places are
  // all taken.
  uint32_t Keep(std::u16string_view text);
  // Keeps a copy of a kept form (as AppendKeptForm writes it).
  uint32_t KeepForm(std::string_view kept);
  // Keeps the Unicode text of narrow text in the code page in force (what Keep(ToUnicode(
  // narrow)) keeps); a long text is decoded piece by piece, never held whole as UTF-16.
  uint32_t KeepNarrow(std::string_view narrow);

  // The kept form at a place Keep returned.
  std::string_view FormAt(uint32_t place) const;
  // The text at a place Keep returned.
  std::u16string TextAt(uint32_t place) const;

 private:
  // A new block of this many bytes, at the next free places; returns its first place.
  uint32_t AddBlock(size_t bytes);
  // Gives a text to its visitor in pieces, none of which ends inside a surrogate pair.
  using TPieces = std::function<void(const std::function<void(std::u16string_view)>& visit)>;
  // Keeps a long text that pieces gives (twice: once to size its block, once to fill it),
  // each piece converted on its own, so that the text is never held whole.
  uint32_t KeepLong(const TPieces& pieces);

  std::vector<TMappedBytes> blocks_;  // by place / 1 MiB; empty within a long block
  size_t next_block_bytes_ = 4096;    // the size of the next shared block
  uint32_t free_place_ = 0;           // the free end of the block being filled
  size_t free_bytes_ = 0;             // and its size
  std::string scratch_;               // the kept form of the text being kept
  std::u16string wide_scratch_;       // a short narrow text being kept, decoded
};

}  // namespace farrowdale

#endif  // FARROWDALE_TEXT_TEXT_BLOCKS_H_
