// TextDecoder: decodes a text file's bytes, given in chunks of any size, and hands the
// decoded text to a sink piece by piece, so that a large file never needs its whole bytes or
// its whole decoded text in memory at once. The result is the same however the bytes are cut:
// the encoding is judged on the file's first bytes, and a character split between chunks (a
// UTF-16 code unit, a UTF-8 sequence) is held back until its end arrives. Other multi-byte
// code pages may be stateful, so their text is decoded in one piece at the end.
//
// Beyond the byte-order marks, two guesses keep text from being lost, each with a warning:
// bytes without a mark that look like UTF-16 (see TextDecoder::Detect) are read as UTF-16,
// and under the UTF-8 code page, bytes without a mark that are not UTF-8 (judged on all of
// them, bytes after a zero byte included) are read as windows-1252. The text ends at its first
// zero character, with a warning naming the byte offset.
#ifndef FARROWDALE_TEXT_TEXT_DECODING_H_
#define FARROWDALE_TEXT_TEXT_DECODING_H_

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "text/text_read_warning.h"
#include "text/unicode_string_list.h"

namespace farrowdale {

// Bytes per chunk when reading: the decoded piece stays in the cache and in one reused heap
// block.
inline constexpr size_t kDecodeChunkBytes = 32 * 1024;
// How many of a file's first bytes decide whether a file without a mark is UTF-16.
inline constexpr size_t kUtf16SniffBytes = 4096;

// Receives the chunks of some bytes in order.
using ChunkFeed = std::function<void(std::string_view)>;
// Hands all the chunks of some bytes, from the start, to its argument; may be called again.
using ChunkSource = std::function<void(const ChunkFeed&)>;

class TextDecoder {
 public:
  // Receives each decoded piece in order; returning false stops the decoding.
  using Sink = std::function<bool(std::u16string_view)>;
  // Receives, in place of a decoded piece, bytes that are already text in the system code
  // page: well-formed UTF-8 read under the UTF-8 code page, which decoding and converting
  // back would only copy. Returning false stops the decoding.
  using NarrowSink = std::function<bool(std::string_view)>;
  // How text without a byte-order mark that is not UTF-16 is read.
  enum class Unmarked { kSystemCodePage, kWindows1252 };

  explicit TextDecoder(Sink sink, Unmarked unmarked = Unmarked::kSystemCodePage,
                       NarrowSink narrow_sink = nullptr)
      : sink_(std::move(sink)), narrow_sink_(std::move(narrow_sink)), unmarked_(unmarked) {}

  void Feed(std::string_view bytes);
  // Decodes whatever was held back; call once, after the last chunk.
  void Finish();

  // True once unmarked text under the UTF-8 code page has proved not to be UTF-8: what the
  // sink received is void, and the bytes must be decoded anew with Unmarked::kWindows1252.
  bool NotUtf8() const { return not_utf8_; }
  // What the user should be told about the bytes so far, in the order it was found.
  const TextReadWarnings& Warnings() const { return warnings_; }
  // The encoding the text was read in when it is not the system code page ("UTF-16 LE",
  // "UTF-8", "windows-1252"); empty when it is, or while nothing was read.
  std::string ReadAs() const;

 private:
  enum class Decoding { kUtf16Le, kUtf16Be, kUtf8, kWindows1252, kSingleByteCodePage, kAtEnd };

  // Tells the encoding from the file's first bytes; returns the length of its byte-order mark.
  size_t Detect(std::string_view start);
  void Decode(std::string_view bytes, bool at_end);
  // Cuts bytes before the first zero character; true when there was one.
  bool CutAtZero(std::string_view& bytes) const;

  Sink sink_;
  NarrowSink narrow_sink_;
  Unmarked unmarked_;
  bool detected_ = false;
  Decoding decoding_ = Decoding::kSingleByteCodePage;
  bool check_utf8_ = false;  // unmarked text under the UTF-8 code page
  bool utf8_code_page_ = false;
  bool not_utf8_ = false;
  bool text_ended_ = false;  // by a zero character or the sink
  // The file offset of the next byte Decode takes.
  uint64_t offset_ = 0;
  // Bytes not decoded yet: the file's start until its encoding is known, the start of a
  // character split between chunks, or all of a multi-byte code page's text.
  std::string pending_;
  // The decoded piece, its storage reused from chunk to chunk.
  std::u16string decoded_;
  TextReadWarnings warnings_;
};

// Decodes the bytes of source, handing the pieces to sink. When the bytes have to be decoded
// anew (see TextDecoder::NotUtf8), restart is called first so that the sink can forget what it
// received, and source is read a second time. Returns the warnings of the decoding that
// counts. A narrow_sink, when given, takes the pieces that need no decoding (see
// TextDecoder::NarrowSink) in their place in the order. read_as, when given, receives
// TextDecoder::ReadAs of the decoding that counts.
TextReadWarnings DecodeTextChunks(const ChunkSource& source, const TextDecoder::Sink& sink,
                                  const std::function<void()>& restart,
                                  const TextDecoder::NarrowSink& narrow_sink = nullptr,
                                  std::string* read_as = nullptr);

}  // namespace farrowdale

#endif  // FARROWDALE_TEXT_TEXT_DECODING_H_
