#include "count/group_key_hash.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <functional>
#include <memory>
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

// GroupKey made piece by piece: the Unicode text goes in in pieces, its key's bytes come out
// as they are complete. Trimming holds back a run of trimmed units until a unit follows that
// is kept; case folding holds back a leading surrogate until its trailing one comes.
class TKeyMaker {
 public:
  TKeyMaker(bool fold_case, ELetterCase letter_case)
      : fold_case_(fold_case), letter_case_(letter_case) {}

  // Appends to *key what the next piece of the text adds to it.
  void Append(std::u16string_view text, std::string* key) {
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
    Key(held_trimmed_, key);
    held_trimmed_.clear();
    Key(text.substr(0, kept), key);
    held_trimmed_.assign(text.substr(kept));
  }

  // The text ends: appends to *key what was held back.
  void Finish(std::string* key) {
    // A leading surrogate at the end stands alone, and folds to itself.
    Key(std::u16string_view(), key, /*last=*/true);
    const size_t start = key->size();
    encoder_.Finish(key);
    FoldAscii(key, start);
  }

 private:
  void Key(std::u16string_view text, std::string* key, bool last = false) {
    if (fold_case_ && letter_case_ == ELetterCase::kEveryAlphabet) {
      folding_.append(text);
      size_t ready = folding_.size();
      if (!last && ready > 0 && (folding_[ready - 1] & 0xFC00) == 0xD800) --ready;
      const std::u16string folded =
          SimpleCaseFolded(std::u16string_view(folding_).substr(0, ready));
      folding_.erase(0, ready);
      Encode(folded, key);
    } else {
      Encode(text, key);
    }
  }

  void Encode(std::u16string_view text, std::string* key) {
    const size_t start = key->size();
    encoder_.Encode(text, key);
    FoldAscii(key, start);
  }

  // A-Z folded in the key's bytes from start on, when the key folds them.
  void FoldAscii(std::string* key, size_t start) const {
    if (!fold_case_ || letter_case_ != ELetterCase::kAsciiOnly) return;
    for (size_t i = start; i < key->size(); ++i) {
      char& c = (*key)[i];
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
  }

  bool fold_case_;
  ELetterCase letter_case_;
  TNarrowEncoder encoder_;
  bool started_ = false;         // a kept unit has come
  std::u16string held_trimmed_;  // trimmed units after the last kept one
  std::u16string folding_;       // a leading surrogate waiting for its trailing one
};

TGroupKeyHash HashOfKey(TGroupKeyReader& reader) {
  TByteHasher bytes;
  for (std::string_view piece = reader.Next(); !piece.empty(); piece = reader.Next()) {
    bytes.Append(piece);
  }
  return bytes.Finish();
}

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

class TGroupKeyReader::Impl {
 public:
  Impl(std::u16string_view text, std::string_view kept, bool fold_case, ELetterCase letter_case)
      : text_(text), kept_(kept), maker_(fold_case, letter_case) {}

  std::string_view Next() {
    key_.clear();
    while (key_.empty() && !finished_) {
      if (done_ == Size()) {
        maker_.Finish(&key_);
        finished_ = true;
      } else {
        maker_.Append(NextPiece(), &key_);
      }
    }
    return key_;
  }

 private:
  size_t Size() const { return text_.empty() ? kept_.size() : text_.size(); }

  std::u16string_view NextPiece() {
    if (!text_.empty()) {
      const std::u16string_view piece = text_.substr(done_, kPiece);
      done_ += piece.size();
      return piece;
    }
    // A kept form is cut before a character's first byte, never inside it.
    size_t end = std::min(kept_.size(), done_ + kPiece);
    while (end < kept_.size() && (static_cast<unsigned char>(kept_[end]) & 0xC0) == 0x80) ++end;
    decoded_.clear();
    AppendFromKeptForm(kept_.substr(done_, end - done_), decoded_);
    done_ = end;
    return decoded_;
  }

  std::u16string_view text_;
  std::string_view kept_;
  TKeyMaker maker_;
  size_t done_ = 0;
  bool finished_ = false;
  std::u16string decoded_;
  std::string key_;
};

TGroupKeyReader::TGroupKeyReader(std::u16string_view text, bool fold_case, ELetterCase letter_case)
    : impl_(std::make_unique<Impl>(text, std::string_view(), fold_case, letter_case)) {}

TGroupKeyReader::TGroupKeyReader(TKeptForm kept, bool fold_case, ELetterCase letter_case)
    : impl_(std::make_unique<Impl>(std::u16string_view(), kept.form, fold_case, letter_case)) {}

TGroupKeyReader::~TGroupKeyReader() = default;

std::string_view TGroupKeyReader::Next() { return impl_->Next(); }

bool SameKeyPieces(const std::function<std::string_view()>& next_a,
                   const std::function<std::string_view()>& next_b) {
  std::string_view a;
  std::string_view b;
  while (true) {
    if (a.empty()) a = next_a();
    if (b.empty()) b = next_b();
    if (a.empty() || b.empty()) return a.empty() && b.empty();
    const size_t common = std::min(a.size(), b.size());
    if (a.substr(0, common) != b.substr(0, common)) return false;
    a.remove_prefix(common);
    b.remove_prefix(common);
  }
}

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
  if (text.size() <= kPiece) {
    TByteHasher bytes;
    bytes.Append(GroupKey(text, true, letter_case));
    return bytes.Finish();
  }
  TGroupKeyReader key(text, true, letter_case);
  return HashOfKey(key);
}

TGroupKeyHash KeptGroupKeyHash(std::string_view kept, ELetterCase letter_case) {
  // An ASCII text's kept form is the text itself.
  if (const std::optional<TGroupKeyHash> hash = AsciiKeyHash(kept)) return *hash;
  if (kept.size() <= kPiece) {
    std::u16string text;
    AppendFromKeptForm(kept, text);
    return GroupKeyHash(text, letter_case);
  }
  TGroupKeyReader key(TKeptForm{kept}, true, letter_case);
  return HashOfKey(key);
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
  TKeyMaker key(/*fold_case=*/true, grouping.letter_case);
  TByteHasher bytes;
  std::string key_piece;
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
    key_piece.clear();
    key.Append(decoded, &key_piece);
    bytes.Append(key_piece);
  }
  decoded.clear();
  decoder.Finish(&decoded);
  key_piece.clear();
  key.Append(decoded, &key_piece);
  key.Finish(&key_piece);
  bytes.Append(key_piece);
  return bytes.Finish();
}

}  // namespace farrowdale
