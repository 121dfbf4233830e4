#include "count/group_key_hash.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>
#include <type_traits>

#include "count/frequency_list.h"
#include "text/code_page.h"
#include "text/text_blocks.h"
#include "text/trim.h"

namespace farrowdale {
namespace {

// Passages up to this many units or bytes have their key made whole; longer ones go through
// the key in pieces of this size.
constexpr size_t kPiece = 64 * 1024;

uint64_t RotateLeft(uint64_t word, int bits) { return (word << bits) | (word >> (64 - bits)); }

// The finalizer of a well-mixed 64-bit hash: every input bit reaches every output bit.
uint64_t Avalanche(uint64_t word) {
  word ^= word >> 33;
  word *= 0xff51afd7ed558ccd;
  word ^= word >> 33;
  word *= 0xc4ceb9fe1a85ec53;
  word ^= word >> 33;
  return word;
}

bool IsTrimmed(char16_t unit) { return unit <= 0x20; }

// GroupKey made piece by piece: the Unicode text goes in in pieces, its key's bytes go to the
// hasher as they come. Trimming holds back a run of trimmed units until a unit follows that
// is kept; case folding holds back a leading surrogate until its trailing one comes.
class TKeyHasher {
 public:
  explicit TKeyHasher(ELetterCase letter_case) : letter_case_(letter_case) {}

  void Append(std::u16string_view text) {
    if (!started_) {
      while (!text.empty() && IsTrimmed(text.front())) text.remove_prefix(1);
      if (text.empty()) return;
      started_ = true;
    }
    size_t kept = text.size();
    while (kept > 0 && IsTrimmed(text[kept - 1])) --kept;
    if (kept == 0) {
      held_trimmed_.append(text);
      return;
    }
    Key(held_trimmed_);
    held_trimmed_.clear();
    Key(text.substr(0, kept));
    held_trimmed_.assign(text.substr(kept));
  }

  TGroupKeyHash Finish() {
    // A leading surrogate at the end stands alone, and folds to itself.
    Key(std::u16string_view(), /*last=*/true);
    narrow_.clear();
    encoder_.Finish(&narrow_);
    HashNarrow();
    return bytes_.Finish();
  }

 private:
  void Key(std::u16string_view text, bool last = false) {
    if (letter_case_ == ELetterCase::kEveryAlphabet) {
      folding_.append(text);
      size_t ready = folding_.size();
      if (!last && ready > 0 && (folding_[ready - 1] & 0xFC00) == 0xD800) --ready;
      const std::u16string folded =
          SimpleCaseFolded(std::u16string_view(folding_).substr(0, ready));
      folding_.erase(0, ready);
      Encode(folded);
    } else {
      Encode(text);
    }
  }

  void Encode(std::u16string_view text) {
    narrow_.clear();
    encoder_.Encode(text, &narrow_);
    if (letter_case_ == ELetterCase::kAsciiOnly) {
      for (char& c : narrow_) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
      }
    }
    HashNarrow();
  }

  void HashNarrow() { bytes_.Append(narrow_); }

  ELetterCase letter_case_;
  TNarrowEncoder encoder_;
  TByteHasher bytes_;
  bool started_ = false;         // a kept unit has come
  std::u16string held_trimmed_;  // trimmed units after the last kept one
  std::u16string folding_;       // a leading surrogate waiting for its trailing one
  std::string narrow_;
};

// The hash of the key of an ASCII text under UTF-8, made without the key: ASCII converts to
// and from UTF-8 as itself, and both ways of folding case fold only A-Z in it, so the key is
// the trimmed text with A-Z folded, made here a little at a time. Nothing for other text.
template <typename Char>
std::optional<TGroupKeyHash> AsciiKeyHash(std::basic_string_view<Char> text) {
  if (SystemCodePageKind() != ECodePageKind::kUtf8 ||
      !std::all_of(text.begin(), text.end(),
                   [](Char c) { return static_cast<std::make_unsigned_t<Char>>(c) < 0x80; })) {
    return std::nullopt;
  }
  const std::basic_string_view<Char> trimmed = Trim(text);
  TByteHasher bytes;
  std::array<char, 256> folded;
  for (size_t done = 0; done < trimmed.size(); done += folded.size()) {
    const std::basic_string_view<Char> piece = trimmed.substr(done, folded.size());
    std::transform(piece.begin(), piece.end(), folded.begin(), [](Char c) {
      return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    });
    bytes.Append(std::string_view(folded.data(), piece.size()));
  }
  return bytes.Finish();
}

}  // namespace

void TByteHasher::Append(std::string_view bytes) {
  length_ += bytes.size();
  if (tail_size_ > 0) {
    const size_t taken = std::min(bytes.size(), sizeof tail_ - tail_size_);
    std::memcpy(tail_ + tail_size_, bytes.data(), taken);
    tail_size_ += taken;
    bytes.remove_prefix(taken);
    if (tail_size_ < sizeof tail_) return;
    uint64_t word;
    std::memcpy(&word, tail_, sizeof word);
    Mix(word);
    tail_size_ = 0;
  }
  while (bytes.size() >= sizeof(uint64_t)) {
    uint64_t word;
    std::memcpy(&word, bytes.data(), sizeof word);
    Mix(word);
    bytes.remove_prefix(sizeof word);
  }
  std::memcpy(tail_, bytes.data(), bytes.size());
  tail_size_ = bytes.size();
}

void TByteHasher::Mix(uint64_t word) {
  // Two lanes, each a bijection of its state for a given word, with unrelated constants.
  high_ = RotateLeft((high_ ^ word) * 0x9e3779b97f4a7c15, 31) + 0x94d049bb133111eb;
  low_ = RotateLeft((low_ + RotateLeft(word, 29)) * 0xbf58476d1ce4e5b9, 27) ^ 0xd6e8feb86659fd93;
}

TGroupKeyHash TByteHasher::Finish() const {
  TByteHasher last = *this;
  uint64_t word = 0;
  std::memcpy(&word, tail_, tail_size_);
  last.Mix(word);
  last.Mix(length_);
  return {Avalanche(last.high_ ^ RotateLeft(last.low_, 17)), Avalanche(last.low_ + last.high_)};
}

TGroupKeyHash GroupKeyHash(std::u16string_view text, ELetterCase letter_case) {
  if (const std::optional<TGroupKeyHash> hash = AsciiKeyHash(text)) return *hash;
  TByteHasher bytes;
  if (text.size() <= kPiece) {
    bytes.Append(GroupKey(text, true, letter_case));
    return bytes.Finish();
  }
  TKeyHasher key(letter_case);
  for (size_t done = 0; done < text.size(); done += kPiece) key.Append(text.substr(done, kPiece));
  return key.Finish();
}

TGroupKeyHash KeptGroupKeyHash(std::string_view kept, ELetterCase letter_case) {
  // An ASCII text's kept form is the text itself.
  if (const std::optional<TGroupKeyHash> hash = AsciiKeyHash(kept)) return *hash;
  std::u16string text;
  if (kept.size() <= kPiece) {
    AppendFromKeptForm(kept, text);
    return GroupKeyHash(text, letter_case);
  }
  TKeyHasher key(letter_case);
  for (size_t done = 0; done < kept.size();) {
    // Pieces are cut before a character's first byte, never inside it.
    size_t end = std::min(kept.size(), done + kPiece);
    while (end < kept.size() && (static_cast<unsigned char>(kept[end]) & 0xC0) == 0x80) ++end;
    text.clear();
    AppendFromKeptForm(kept.substr(done, end - done), text);
    key.Append(text);
    done = end;
  }
  return key.Finish();
}

TGroupKeyHash NarrowGroupKeyHash(std::string_view narrow, TPassageGrouping grouping) {
  const bool fold_spaces = grouping.spacing == ESpacing::kFolded;
  if (!fold_spaces) {
    if (const std::optional<TGroupKeyHash> hash = AsciiKeyHash(narrow)) return *hash;
  }
  if (narrow.size() <= kPiece) {
    return GroupKeyHash(ToUnicode(fold_spaces ? FoldedSpaces(narrow) : std::string(narrow)),
                        grouping.letter_case);
  }
  TKeyHasher key(grouping.letter_case);
  TNarrowDecoder decoder;
  std::u16string decoded;
  bool after_space = false;  // the last piece ended in a run of folded spaces
  for (size_t done = 0; done < narrow.size(); done += kPiece) {
    const std::string_view raw = narrow.substr(done, kPiece);
    std::string_view piece = raw;
    std::string folded;
    if (fold_spaces) {
      // A run of spaces cut between two pieces is still one space.
      folded = FoldedSpaces(raw);
      piece = folded;
      if (after_space && IsFoldedSpace(static_cast<unsigned char>(raw.front()))) {
        piece.remove_prefix(1);
      }
      after_space = IsFoldedSpace(static_cast<unsigned char>(raw.back()));
    }
    decoded.clear();
    decoder.Decode(piece, &decoded);
    key.Append(decoded);
  }
  decoded.clear();
  decoder.Finish(&decoded);
  key.Append(decoded);
  return key.Finish();
}

}  // namespace farrowdale
