// A 128-bit hash of a passage's grouping key (GroupKey with letter case folded, as the
// frequency lists group passages): passages of one group hash alike, and two different keys
// share a hash only by an accident of 128-bit odds. It lets the places of passages be grouped
// by distinct passage without a copy of any passage: a long passage's key is made and hashed
// piece by piece, so memory stays at a few small buffers however long it is, and a short
// one's is made whole, exactly as GroupKey makes it.
#ifndef FARROWDALE_COUNT_GROUP_KEY_HASH_H_
#define FARROWDALE_COUNT_GROUP_KEY_HASH_H_

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "text/passage_grouping.h"

namespace farrowdale {

struct TGroupKeyHash {
  uint64_t high = 0;
  uint64_t low = 0;
  bool operator==(const TGroupKeyHash&) const = default;
};

struct TGroupKeyHashHasher {
  size_t operator()(const TGroupKeyHash& hash) const { return static_cast<size_t>(hash.low); }
};

// Hashes bytes given in pieces: any cut of the same bytes gives the same hash.
class TByteHasher {
 public:
  void Append(std::string_view bytes);
  TGroupKeyHash Finish() const;

 private:
  void Mix(uint64_t word);

  uint64_t high_ = 0x243f6a8885a308d3;
  uint64_t low_ = 0x13198a2e03707344;
  uint64_t length_ = 0;
  char tail_[8] = {};  // the bytes of the unfinished word
  size_t tail_size_ = 0;
};

// A text's key, GroupKey(text, fold_case, letter_case), made a piece at a time from the
// Unicode text or from its kept form (text/text_blocks.h), so that a long text's key is never
// held whole. The text must outlive the reader.
struct TKeptForm {
  std::string_view form;
};
class TGroupKeyReader {
 public:
  TGroupKeyReader(std::u16string_view text, bool fold_case, ELetterCase letter_case);
  TGroupKeyReader(TKeptForm kept, bool fold_case, ELetterCase letter_case);
  ~TGroupKeyReader();
  TGroupKeyReader(const TGroupKeyReader&) = delete;
  TGroupKeyReader& operator=(const TGroupKeyReader&) = delete;

  // The next bytes of the key, never empty before its end, valid until the next call; empty
  // once the key has been read whole.
  std::string_view Next();

 private:
  class Impl;
  std::unique_ptr<Impl> impl_;
};

// Whether two keys given piece by piece (as TGroupKeyReader::Next gives them: empty at the
// end, each piece valid until the next call) are the same bytes, read in step.
bool SameKeyPieces(const std::function<std::string_view()>& next_a,
                   const std::function<std::string_view()>& next_b);

// The hash of GroupKey(text, true, letter_case).
TGroupKeyHash GroupKeyHash(std::u16string_view text, ELetterCase letter_case);
// The same for the text of a kept form (text/text_blocks.h), read piece by piece.
TGroupKeyHash KeptGroupKeyHash(std::string_view kept, ELetterCase letter_case);
// The hash of the key of a narrow passage as the counts take it: decoded, with its spacing
// folded when the grouping folds it (GroupKey(ToUnicode(FoldedSpaces(narrow))) then).
TGroupKeyHash NarrowGroupKeyHash(std::string_view narrow, TPassageGrouping grouping);

}  // namespace farrowdale

#endif  // FARROWDALE_COUNT_GROUP_KEY_HASH_H_
