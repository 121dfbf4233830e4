// TMappedBytes: a zero-filled array of bytes for a large array that lives long or is replaced
// whole (kept texts, hash slots), taken from the system in pages of its own rather than from
// the heap when it is large.
//
// Why: the heap's allocator raises, each time a large mapped block goes back to it, the size
// from which it maps blocks and the amount of free memory it keeps at the heap's top. Large
// arrays that live for a whole run, placed in the heap among each file's temporaries, then
// pin the heap's top above freed temporaries that stay resident: megabytes on a run over
// many files. Smaller arrays (below kMappedFrom) come from the heap as usual: a file's own
// kept texts, mapped and unmapped with each file, would cost more time than they save memory.
// Move-only.
#ifndef FARROWDALE_TEXT_MAPPED_BYTES_H_
#define FARROWDALE_TEXT_MAPPED_BYTES_H_

#include <cstddef>

namespace farrowdale {

class TMappedBytes {
 public:
  static constexpr size_t kMappedFrom = 256 * 1024;

  TMappedBytes() = default;
  // size zero bytes. Throws std::bad_alloc when the system has no memory for them.
  explicit TMappedBytes(size_t size);
  TMappedBytes(TMappedBytes&& other) noexcept;
  TMappedBytes& operator=(TMappedBytes&& other) noexcept;
  ~TMappedBytes();

  char* data() const { return data_; }
  size_t size() const { return size_; }

 private:
  void Release();

  char* data_ = nullptr;
  size_t size_ = 0;
};

}  // namespace farrowdale

#endif  // FARROWDALE_TEXT_MAPPED_BYTES_H_
