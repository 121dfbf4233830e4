#include "regex/subject_buffer.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

namespace farrowdale::regex {
namespace {

constexpr size_t kHugePage = size_t{2} << 20;
// Below this size a plain allocation is as cheap.
constexpr size_t kHugeThreshold = size_t{4} << 20;
// The largest block kept for the next engine on this thread.
constexpr size_t kMaxSpare = size_t{256} << 20;

// One released large block per thread: the run makes a fresh engine for every tag of a
// file, each copying the same text; reusing the block spares the page faults of a new one.
struct SpareBlock {
  uint8_t* data = nullptr;
  size_t capacity = 0;
  ~SpareBlock() { std::free(data); }
};
thread_local SpareBlock spare;

uint8_t* TakeHugeBlock(size_t needed, size_t* capacity) {
  if (spare.data != nullptr && spare.capacity >= needed) {
    uint8_t* block = spare.data;
    *capacity = spare.capacity;
    spare.data = nullptr;
    spare.capacity = 0;
    return block;
  }
  const size_t rounded = (needed + kHugePage - 1) / kHugePage * kHugePage;
  auto* block = static_cast<uint8_t*>(std::aligned_alloc(kHugePage, rounded));
  if (block == nullptr) throw std::bad_alloc();
  madvise(block, rounded, MADV_HUGEPAGE);  // advice only: failure changes nothing
  *capacity = rounded;
  return block;
}

void GiveBackHugeBlock(uint8_t* block, size_t capacity) {
  if (capacity <= kMaxSpare && capacity > spare.capacity) {
    std::swap(block, spare.data);
    spare.capacity = capacity;
  }
  std::free(block);
}

}  // namespace

SubjectBuffer::~SubjectBuffer() { Release(); }

void SubjectBuffer::Release() {
  if (borrowed_) {
    borrowed_ = false;
  } else if (huge_) {
    GiveBackHugeBlock(data_, capacity_);
  } else {
    delete[] data_;
  }
  data_ = nullptr;
  capacity_ = 0;
  size_ = 0;
}

void SubjectBuffer::Borrow(const std::string& text) {
  Release();
  // A std::string is always followed by a zero, which the matcher reads as the end.
  data_ = reinterpret_cast<uint8_t*>(const_cast<char*>(text.c_str()));
  const void* zero = std::memchr(data_, 0, text.size());
  size_ = zero ? static_cast<const uint8_t*>(zero) - data_ : text.size();
  borrowed_ = true;
}

void SubjectBuffer::Assign(std::string_view text) {
  const size_t needed = text.size() + 1;
  if (data_ == nullptr || borrowed_ || needed > capacity_) {
    Release();
    if (needed >= kHugeThreshold) {
      data_ = TakeHugeBlock(needed, &capacity_);
      huge_ = true;
    } else {
      data_ = new uint8_t[needed];
      huge_ = false;
      capacity_ = needed;
    }
  }
  // Copied in cache-sized pieces, each scanned for a zero byte just before it is copied.
  constexpr size_t kPiece = size_t{64} << 10;
  size_t copied = 0;
  while (copied < text.size()) {
    const size_t piece = std::min(kPiece, text.size() - copied);
    const char* from = text.data() + copied;
    const void* zero = std::memchr(from, 0, piece);
    const size_t length = zero ? static_cast<const char*>(zero) - from : piece;
    std::memcpy(data_ + copied, from, length);
    copied += length;
    if (zero) break;
  }
  data_[copied] = 0;
  size_ = copied;
}

}  // namespace farrowdale::regex
