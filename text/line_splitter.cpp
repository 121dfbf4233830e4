// Splitting pieces of text into lines without copying whole texts.
#include "text/line_splitter.h"

namespace farrowdale {

bool LineSplitter::Feed(std::u16string_view piece) {
  if (ended_) return false;
  const char16_t* p = piece.data();
  const char16_t* const end = p + piece.size();
  if (after_cr_ && p < end) {
    after_cr_ = false;
    if (*p == u'\n') ++p;
  }
  while (p < end) {
    const char16_t* q = p;
    // All three stops lie below 0x0E, so one comparison passes nearly every character.
    while (q < end && (*q > u'\r' || (*q != u'\r' && *q != u'\n' && *q != u'\0'))) ++q;
    if (q == end || *q == u'\0') {
      partial_.append(p, q);
      if (q == end) return true;
      ended_ = true;
      return false;
    }
    if (partial_.empty()) {
      lines_->emplace_back(p, q);
    } else {
      partial_.append(p, q);
      lines_->push_back(std::move(partial_));
      partial_.clear();
    }
    if (*q == u'\r') {
      if (q + 1 == end) after_cr_ = true;
      if (q + 1 < end && q[1] == u'\n') ++q;
    }
    p = q + 1;
  }
  return true;
}

void LineSplitter::Finish() {
  if (!partial_.empty()) lines_->push_back(std::move(partial_));
  partial_.clear();
}

}  // namespace farrowdale
