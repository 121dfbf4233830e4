// The engine's own zero-terminated copy of the subject.
//
// Large subjects are copied into memory advised for huge pages: a coded corpus file of tens
// of megabytes then costs a few dozen page faults instead of thousands. The block is reused
// while it is large enough, and one released large block per thread is kept for the next
// engine.
#ifndef FARROWDALE_REGEX_SUBJECT_BUFFER_H_
#define FARROWDALE_REGEX_SUBJECT_BUFFER_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace farrowdale::regex {

class SubjectBuffer {
 public:
  SubjectBuffer() = default;
  ~SubjectBuffer();
  SubjectBuffer(const SubjectBuffer&) = delete;
  SubjectBuffer& operator=(const SubjectBuffer&) = delete;

  // Copies text up to its first zero byte, and a terminating zero.
  void Assign(std::string_view text);
  // Uses the caller's text up to its first zero byte in place, without a copy: the text must
  // stay alive and unchanged while this buffer refers to it.
  void Borrow(const std::string& text);
  bool empty() const { return data_ == nullptr; }
  const uint8_t* data() const { return data_; }
  size_t size() const { return size_; }
  std::string_view view() const {
    return std::string_view(reinterpret_cast<const char*>(data_), size_);
  }

 private:
  void Release();

  uint8_t* data_ = nullptr;
  size_t size_ = 0;
  size_t capacity_ = 0;  // bytes allocated, the terminating zero included
  bool huge_ = false;
  bool borrowed_ = false;  // data_ belongs to the caller
};

}  // namespace farrowdale::regex

#endif  // FARROWDALE_REGEX_SUBJECT_BUFFER_H_
