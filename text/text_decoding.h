// TextDecoder: decodes a text file's bytes, given in chunks of any size, and hands the
// decoded text to a sink piece by piece, so that a large file never needs its whole bytes or
// its whole decoded text in memory at once. The result is the same however the bytes are cut:
// the byte-order mark is detected on the file's first bytes, and a character split between
// chunks (a UTF-16 code unit, a UTF-8 sequence) is held back until its end arrives. Other
// multi-byte code pages may be stateful, so their text is decoded in one piece at the end.
#ifndef FARROWDALE_TEXT_TEXT_DECODING_H_
#define FARROWDALE_TEXT_TEXT_DECODING_H_

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "text/unicode_string_list.h"

namespace farrowdale {

// Bytes per chunk when reading: the decoded piece stays in the cache and in one reused heap
// block.
inline constexpr size_t kDecodeChunkBytes = 32 * 1024;

class TextDecoder {
 public:
  // Receives each decoded piece in order; returning false stops the decoding.
  using Sink = std::function<bool(std::u16string_view)>;

  explicit TextDecoder(Sink sink) : sink_(std::move(sink)) {}

  void Feed(std::string_view bytes);
  // Decodes whatever was held back; call once, after the last chunk.
  void Finish();

 private:
  enum class Cut { kAnywhere, kUtf16, kUtf8, kAtEnd };

  void Detect();
  void Decode(std::string_view bytes, bool at_end);

  Sink sink_;
  bool detected_ = false;
  bool stopped_ = false;
  TextEncoding encoding_ = TextEncoding::SystemCodePage;
  Cut cut_ = Cut::kAnywhere;
  // Bytes not decoded yet: the file's start until its mark is known, the start of a character
  // split between chunks, or all of a multi-byte code page's text.
  std::string pending_;
  // The decoded piece, its storage reused from chunk to chunk.
  std::u16string decoded_;
};

}  // namespace farrowdale

#endif  // FARROWDALE_TEXT_TEXT_DECODING_H_
