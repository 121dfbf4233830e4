#include "report/report_stream.h"

#include "text/line_splitter.h"

namespace farrowdale {
namespace {

// Enough text per write to keep the system calls and conversions few, little enough to stay
// in the caches.
constexpr size_t kUnicodeChunk = 16 * 1024;
constexpr size_t kByteChunk = 64 * 1024;

}  // namespace

TReportStream::TReportStream(TAtomicFile& file) : file_(file) {
  bytes_.reserve(kByteChunk + 2 * kUnicodeChunk);
  bytes_ = "\xFF\xFE";
}

void TReportStream::AppendNarrow(std::string_view narrow) {
  WriteUnicode(/*value_ends=*/true);
  WriteNarrow(narrow);
}

void TReportStream::AppendUnicode(std::u16string_view text) {
  unicode_.append(text);
  Drain();
}

void TReportStream::Drain() {
  if (unicode_.size() >= kUnicodeChunk) WriteUnicode(/*value_ends=*/false);
}

void TReportStream::Finish() {
  WriteUnicode(/*value_ends=*/true);
  decoded_.clear();
  decoder_.Finish(&decoded_);
  WriteDecoded(decoded_);
  if (in_line_) AppendLineEnd();
  in_line_ = false;
  WriteBytes();
}

void TReportStream::WriteUnicode(bool value_ends) {
  for (size_t done = 0; done < unicode_.size(); done += kUnicodeChunk) {
    narrow_.clear();
    encoder_.Encode(std::u16string_view(unicode_).substr(done, kUnicodeChunk), &narrow_);
    WriteNarrow(narrow_);
  }
  unicode_.clear();
  if (value_ends) {
    narrow_.clear();
    encoder_.Finish(&narrow_);
    WriteNarrow(narrow_);
  }
}

void TReportStream::WriteNarrow(std::string_view narrow) {
  decoded_.clear();
  decoder_.Decode(narrow, &decoded_);
  WriteDecoded(decoded_);
}

void TReportStream::WriteDecoded(std::u16string_view text) {
  const char16_t* p = text.data();
  const char16_t* const end = p + text.size();
  while (p < end && !ended_) {
    if (after_cr_) {
      after_cr_ = false;
      if (*p == u'\n') {
        ++p;
        continue;
      }
    }
    const char16_t* stop = FindLineStop(p, end);
    AppendUnits(p, stop);
    if (stop != p) in_line_ = true;
    if (stop == end) break;
    if (*stop == u'\0') {
      ended_ = true;
    } else {
      AppendLineEnd();
      after_cr_ = *stop == u'\r';
    }
    p = stop + 1;
  }
  if (bytes_.size() >= kByteChunk) WriteBytes();
}

void TReportStream::AppendLineEnd() {
  bytes_.append("\r\0\n\0", 4);
  in_line_ = false;
}

void TReportStream::AppendUnits(const char16_t* begin, const char16_t* end) {
  const size_t start = bytes_.size();
  bytes_.resize(start + 2 * static_cast<size_t>(end - begin));
  char* out = bytes_.data() + start;
  for (const char16_t* p = begin; p < end; ++p) {
    *out++ = static_cast<char>(*p & 0xFF);
    *out++ = static_cast<char>(*p >> 8);
  }
}

void TReportStream::WriteBytes() {
  file_.Append(bytes_);
  bytes_.clear();
}

}  // namespace farrowdale
