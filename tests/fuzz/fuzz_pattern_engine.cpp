// Fuzzes the pattern engine: compile, then the scan the program makes (Exec, then ExecNext
// while it matches). Input: the pattern, a zero byte, the subject. Compile and run-time
// errors are expected outcomes; anything else that escapes, or a sanitizer report, is a
// finding. The same scan through a compiled pattern and its search state, once plainly and
// once remembering failed states from the first backtrack on, must give the same matches.
// The subject is capped so that one input stays fast.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "regex/pattern_engine.h"
#include "regex/pattern_search.h"

namespace {

constexpr size_t kMaxSubject = 256;
constexpr int kMaxMatches = 300;

// The engine's scan as "pos:len" of every slot, checking each slot against the subject.
std::string EngineScan(std::string_view pattern, std::string_view subject) {
  std::string out;
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
        out += std::to_string(pos) + ":" + std::to_string(len) + " ";
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
  } catch (const farrowdale::EPatternError& e) {
    out += "error " + std::to_string(e.ErrorNumber());
  }
  return out;
}

// The same scan through TCompiledPattern and TPatternSearch.
std::string CompiledScan(std::string_view pattern, const std::string& subject) {
  std::string out;
  try {
    farrowdale::TPatternSearch search(
        farrowdale::TCompiledPattern::Compile(pattern, farrowdale::TPatternSettings{}));
    int matches = 0;
    for (bool matched = search.Exec(subject); matched && matches < kMaxMatches;
         matched = search.ExecNext(), ++matches) {
      for (int slot = -1; slot <= 15; ++slot) {
        out += std::to_string(search.MatchPos(slot)) + ":" + std::to_string(search.MatchLen(slot)) +
               " ";
      }
    }
  } catch (const farrowdale::EPatternError& e) {
    out += "error " + std::to_string(e.ErrorNumber());
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const size_t zero = input.find('\0');
  const std::string_view pattern = input.substr(0, zero);
  std::string_view subject =
      zero == std::string_view::npos ? std::string_view() : input.substr(zero + 1);
  if (subject.size() > kMaxSubject) subject = subject.substr(0, kMaxSubject);
  const std::string scan = EngineScan(pattern, subject);
  // A compiled pattern's subject has no zero byte inside; the engine's ends at the first.
  const std::string text(subject.substr(0, subject.find('\0')));
  if (CompiledScan(pattern, text) != scan) std::abort();
  farrowdale::regex::SetMemoThresholdForTesting(1);
  const std::string remembered = CompiledScan(pattern, text);
  farrowdale::regex::SetMemoThresholdForTesting(0);
  if (remembered != scan) std::abort();
  return 0;
}
