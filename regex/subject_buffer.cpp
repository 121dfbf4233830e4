#include "regex/subject_buffer.h"

#include <sys/mman.h>

#include <cstdlib>
#include <cstring>
#include <new>

namespace farrowdale::regex {
namespace {

constexpr size_t kHugePage = size_t{2} << 20;
// Below this size a plain allocation is as cheap.
constexpr size_t kHugeThreshold = size_t{4} << 20;

}  // namespace

SubjectBuffer::~SubjectBuffer() { Release(); }

void SubjectBuffer::Release() {
  if (huge_) {
    std::free(data_);
  } else {
    delete[] data_;
  }
  data_ = nullptr;
  capacity_ = 0;
  size_ = 0;
}

void SubjectBuffer::Assign(std::string_view text) {
  const size_t needed = text.size() + 1;
  if (data_ == nullptr || needed > capacity_) {
    Release();
    if (needed >= kHugeThreshold) {
      const size_t rounded = (needed + kHugePage - 1) / kHugePage * kHugePage;
      data_ = static_cast<uint8_t*>(std::aligned_alloc(kHugePage, rounded));
      if (data_ == nullptr) throw std::bad_alloc();
      madvise(data_, rounded, MADV_HUGEPAGE);  // advice only: failure changes nothing
      huge_ = true;
      capacity_ = rounded;
    } else {
      data_ = new uint8_t[needed];
      huge_ = false;
      capacity_ = needed;
    }
  }
  if (!text.empty()) std::memcpy(data_, text.data(), text.size());
  data_[text.size()] = 0;
  size_ = text.size();
}

}  // namespace farrowdale::regex
