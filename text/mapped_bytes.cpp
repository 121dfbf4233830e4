#include "text/mapped_bytes.h"

#include <sys/mman.h>

#include <cstring>
#include <new>
#include <utility>

namespace farrowdale {

TMappedBytes::TMappedBytes(size_t size) : size_(size) {
  if (size == 0) return;
  if (size < kMappedFrom) {
    // Raw storage, as from the system, so that it may hold an array of any type.
    data_ = static_cast<char*>(::operator new(size));
    std::memset(data_, 0, size);
    return;
  }
  void* pages = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (pages == MAP_FAILED) throw std::bad_alloc();
  data_ = static_cast<char*>(pages);
}

TMappedBytes::TMappedBytes(TMappedBytes&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)) {}

TMappedBytes& TMappedBytes::operator=(TMappedBytes&& other) noexcept {
  if (this != &other) {
    Release();
    data_ = std::exchange(other.data_, nullptr);
    size_ = std::exchange(other.size_, 0);
  }
  return *this;
}

TMappedBytes::~TMappedBytes() { Release(); }

void TMappedBytes::Release() {
  if (data_ == nullptr) return;
  if (size_ < kMappedFrom) {
    ::operator delete(data_);
  } else {
    munmap(data_, size_);
  }
  data_ = nullptr;
  size_ = 0;
}

}  // namespace farrowdale
