// The matcher's backtracking state, kept on the heap instead of the native stack: a stack of
// small frames in fixed-size blocks (no copying as it grows). Growing past 1 GiB throws
// error 1016, so a search that would need more stops cleanly.
#ifndef FARROWDALE_REGEX_BACKTRACK_STACK_H_
#define FARROWDALE_REGEX_BACKTRACK_STACK_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "regex/error_text.h"

namespace farrowdale::regex {

struct Frame {
  int32_t op;
  int32_t a;
  int32_t b;
  int32_t c;
};

class BacktrackStack {
 public:
  // The first block is small (most searches need few frames); later ones are large.
  static constexpr size_t kFirstBlockFrames = 256;
  static constexpr size_t kBlockFrames = size_t{1} << 16;
  static constexpr size_t kMaxBytes = size_t{1} << 30;
  static constexpr size_t kMaxBlocks = kMaxBytes / (kBlockFrames * sizeof(Frame));

  // Empties the stack, keeping its first block.
  void Clear() {
    if (blocks_.empty()) {
      blocks_.push_back(std::make_unique_for_overwrite<Frame[]>(kFirstBlockFrames));
    }
    Enter(0);
    top_ = begin_;
  }
  // Frees every block but the first (after a search that needed many).
  void ReleaseSpare() {
    if (blocks_.size() > 1) blocks_.resize(1);
    if (block_ >= blocks_.size()) block_ = 0;
  }

  void Push(int32_t op, int32_t a, int32_t b, int32_t c = 0) {
    if (top_ == end_) NextBlock();
    *top_++ = Frame{op, a, b, c};
  }
  // False when the stack is empty.
  bool Pop(Frame& frame) {
    if (top_ == begin_) {
      if (block_ == 0) return false;
      Enter(block_ - 1);
      top_ = end_;
    }
    frame = *--top_;
    return true;
  }

 private:
  void Enter(size_t block) {
    block_ = block;
    begin_ = blocks_[block].get();
    end_ = begin_ + (block == 0 ? kFirstBlockFrames : kBlockFrames);
  }
  void NextBlock() {
    if (block_ + 1 >= kMaxBlocks) throw MakePatternError(kErrBacktrackMemoryExceeded, 0);
    if (block_ + 1 == blocks_.size()) {
      blocks_.push_back(std::make_unique_for_overwrite<Frame[]>(kBlockFrames));
    }
    Enter(block_ + 1);
    top_ = begin_;
  }

  std::vector<std::unique_ptr<Frame[]>> blocks_;
  size_t block_ = 0;
  Frame* begin_ = nullptr;
  Frame* end_ = nullptr;
  Frame* top_ = nullptr;
};

}  // namespace farrowdale::regex

#endif  // FARROWDALE_REGEX_BACKTRACK_STACK_H_
