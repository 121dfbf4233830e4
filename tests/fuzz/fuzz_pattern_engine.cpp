// Fuzzes the pattern engine: compile, then the scan the program makes (Exec, then ExecNext
// while it matches). Input: the pattern, a zero byte, the subject. Compile and run-time
// errors are expected outcomes; anything else that escapes, or a sanitizer report, is a
// finding. The subject is capped so that one input stays fast even for patterns whose
// backtracking is exponential by nature.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "regex/pattern_engine.h"

namespace {

constexpr size_t kMaxSubject = 256;
constexpr int kMaxMatches = 300;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const size_t zero = input.find('\0');
  const std::string_view pattern = input.substr(0, zero);
  std::string_view subject =
      zero == std::string_view::npos ? std::string_view() : input.substr(zero + 1);
  if (subject.size() > kMaxSubject) subject = subject.substr(0, kMaxSubject);
  try {
    farrowdale::TPatternEngine engine;
    engine.SetExpression(pattern);
    int matches = 0;
    for (bool matched = engine.Exec(subject); matched && matches < kMaxMatches;
         matched = engine.ExecNext(), ++matches) {
      // Every slot must lie inside the subject and agree with its text.
      for (int slot = -1; slot <= 15; ++slot) {
        const int pos = engine.MatchPos(slot);
        const int len = engine.MatchLen(slot);
        const std::string text = engine.MatchedText(slot);
        if (pos == -1) {
          if (!text.empty()) std::abort();
          continue;
        }
        if (pos < 1 || len < 0 || static_cast<size_t>(pos - 1 + len) > subject.size() ||
            text != subject.substr(pos - 1, len)) {
          std::abort();
        }
      }
    }
  } catch (const farrowdale::EPatternError&) {
  }
  return 0;
}
