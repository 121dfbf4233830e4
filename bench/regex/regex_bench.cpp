// The pattern engine against PCRE2 (JIT and interpreter) and a memchr/memmem floor, on the
// same data in the same run:
// - Extract: '<e>(.*?)</e>' over a 50 MB synthetic coded text, Exec then ExecNext over
//   every match, as the run's passage extraction does ('.' matches line breaks);
// - Filter: a literal and a case-insensitive pattern, each tried once on each of 100,000
//   file paths, as the file-list filter does.
// Every benchmark reports the number of matches it found ("matches"); they must agree.
#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>
#include <strings.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "benchmark/benchmark.h"
#include "regex/pattern_engine.h"
#include "text/code_page.h"

namespace farrowdale {
namespace {

constexpr size_t kTextBytes = 50u << 20;
constexpr int kPathCount = 100000;
constexpr char kExtraction[] = "<e>(.*?)</e>";
constexpr char kFilterLiteral[] = "Group_00";
constexpr char kFilterNoCase[] = "(?i)group_00";

// Words with a Zipf-like frequency: word k drawn with weight 1 / (k + 1).
class Vocabulary {
 public:
  explicit Vocabulary(std::mt19937& rng) : rng_(rng) {
    std::uniform_int_distribution<int> length(2, 9);
    std::uniform_int_distribution<int> letter('a', 'z');
    double total = 0;
    for (int k = 0; k < 3000; ++k) {
      std::string word;
      for (int n = length(rng_); n > 0; --n) word += static_cast<char>(letter(rng_));
      words_.push_back(word);
      total += 1.0 / (k + 1);
      cumulative_.push_back(total);
    }
  }
  const std::string& Next() {
    const double u = std::uniform_real_distribution<double>(0, cumulative_.back())(rng_);
    const size_t k =
        std::lower_bound(cumulative_.begin(), cumulative_.end(), u) - cumulative_.begin();
    return words_[std::min(k, words_.size() - 1)];
  }

 private:
  std::mt19937& rng_;
  std::vector<std::string> words_;
  std::vector<double> cumulative_;
};

// A coded text: CR LF lines of words, passages of six tags ("e" and t01..t05), some
// running over a line break.
const std::string& CodedText() {
  static const std::string text = [] {
    std::mt19937 rng(42);
    Vocabulary vocabulary(rng);
    std::string out;
    out.reserve(kTextBytes + 256);
    std::uniform_int_distribution<int> chance(0, 99);
    std::uniform_int_distribution<int> tag(0, 5);
    std::uniform_int_distribution<int> span(1, 8);
    std::string open_end;
    int words_left = 0;
    int column = 0;
    while (out.size() < kTextBytes) {
      if (words_left == 0 && chance(rng) < 3) {
        const int t = tag(rng);
        const std::string name = t == 0 ? "e" : "t0" + std::to_string(t);
        out += "<" + name + ">";
        open_end = "</" + name + ">";
        words_left = span(rng);
      }
      out += vocabulary.Next();
      column += 8;
      if (words_left > 0 && --words_left == 0) out += open_end;
      if (column > 70) {
        out += "\r\n";
        column = 0;
      } else {
        out += ' ';
      }
    }
    return out;
  }();
  return text;
}

const std::vector<std::string>& FilePaths() {
  static const std::vector<std::string> paths = [] {
    std::mt19937 rng(7);
    static const char* kProjects[] = {"migration", "healthcare", "schools", "elections"};
    static const char* kKinds[] = {"Interview", "Focus_Group", "FieldNotes", "Diary"};
    std::vector<std::string> out;
    for (int i = 0; i < kPathCount; ++i) {
      char name[160];
      std::snprintf(name, sizeof name, "/home/researcher/corpora/%s/wave%d/%s_%05d.txt",
                    kProjects[rng() % 4], static_cast<int>(rng() % 5) + 1, kKinds[rng() % 4],
                    static_cast<int>(rng() % 20000));
      out.push_back(name);
    }
    return out;
  }();
  return paths;
}

struct Pcre2 {
  Pcre2(const char* pattern, uint32_t options, bool use_jit) : jit(use_jit) {
    int error = 0;
    PCRE2_SIZE offset = 0;
    code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern), PCRE2_ZERO_TERMINATED, options,
                         &error, &offset, nullptr);
    if (code == nullptr) std::abort();
    if (jit && pcre2_jit_compile(code, PCRE2_JIT_COMPLETE) != 0) std::abort();
    data = pcre2_match_data_create_from_pattern(code, nullptr);
  }
  ~Pcre2() {
    pcre2_match_data_free(data);
    pcre2_code_free(code);
  }
  int Match(std::string_view subject, size_t offset) {
    return (jit ? pcre2_jit_match : pcre2_match)(code, reinterpret_cast<PCRE2_SPTR>(subject.data()),
                                                 subject.size(), offset, 0, data, nullptr);
  }
  pcre2_code* code;
  pcre2_match_data* data;
  bool jit;
};

// What one pass of an extraction found; every contender must find the same.
struct Extracted {
  int64_t matches = 0;
  size_t passage_bytes = 0;
};

// Times scan(text) over the coded text and reports what its last pass found.
template <typename Scan>
void MeasureExtraction(benchmark::State& state, Scan scan) {
  const std::string& text = CodedText();
  Extracted found;
  for (auto _ : state) {
    found = scan(text);
    benchmark::DoNotOptimize(found.passage_bytes);
  }
  state.counters["matches"] = static_cast<double>(found.matches);
  state.SetBytesProcessed(state.iterations() * text.size());
}

// in_place: ExecInPlace, as the coding run searches a file's text, instead of Exec's copy.
void ExtractEngine(benchmark::State& state, bool in_place) {
  MeasureExtraction(state, [in_place](const std::string& text) {
    Extracted found;
    TPatternEngine engine;
    engine.SetExpression(kExtraction);
    const bool first = in_place ? engine.ExecInPlace(text) : engine.Exec(text);
    for (bool matched = first; matched; matched = engine.ExecNext()) {
      ++found.matches;
      found.passage_bytes += engine.MatchLen(1);
    }
    return found;
  });
}

void ExtractPcre2(benchmark::State& state, bool jit) {
  Pcre2 pcre2(kExtraction, PCRE2_DOTALL, jit);
  MeasureExtraction(state, [&pcre2](const std::string& text) {
    Extracted found;
    size_t offset = 0;
    while (offset <= text.size() && pcre2.Match(text, offset) > 0) {
      const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(pcre2.data);
      ++found.matches;
      found.passage_bytes += ovector[3] - ovector[2];
      offset = ovector[1] + (ovector[0] == ovector[1] ? 1 : 0);
    }
    return found;
  });
}
void BM_Extract_Pcre2Jit(benchmark::State& state) { ExtractPcre2(state, true); }
void BM_Extract_Pcre2Interpreted(benchmark::State& state) { ExtractPcre2(state, false); }

// The floor: find "<e>", then the next "</e>" after it, with a plain finder of markers.
template <typename Find>
void ExtractFloor(benchmark::State& state, Find find) {
  MeasureExtraction(state, [find](const std::string& text) {
    Extracted found;
    const char* p = text.data();
    const char* end = text.data() + text.size();
    for (;;) {
      const char* open = find(p, end, "<e>");
      if (open == nullptr) break;
      const char* close = find(open + 3, end, "</e>");
      if (close == nullptr) break;
      ++found.matches;
      found.passage_bytes += close - open - 3;
      p = close + 4;
    }
    return found;
  });
}

const char* FindMarkerMemmem(const char* p, const char* end, std::string_view marker) {
  return static_cast<const char*>(memmem(p, end - p, marker.data(), marker.size()));
}

// memchr for the marker's first byte and a comparison at each hit (glibc's memmem is slow
// for needles this short).
const char* FindMarkerMemchr(const char* p, const char* end, std::string_view marker) {
  while ((p = static_cast<const char*>(memchr(p, marker[0], end - p))) != nullptr) {
    if (static_cast<size_t>(end - p) >= marker.size() &&
        memcmp(p, marker.data(), marker.size()) == 0) {
      return p;
    }
    ++p;
  }
  return nullptr;
}

void BM_Extract_MemmemFloor(benchmark::State& state) { ExtractFloor(state, FindMarkerMemmem); }
void BM_Extract_MemchrFloor(benchmark::State& state) { ExtractFloor(state, FindMarkerMemchr); }

// The engine as the filter uses it here: one object, one compilation, one Exec per path.
void FilterEngine(benchmark::State& state, const char* pattern) {
  const std::vector<std::string>& paths = FilePaths();
  int64_t matches = 0;
  for (auto _ : state) {
    matches = 0;
    TPatternEngine engine;
    engine.SetExpression(pattern);
    for (const std::string& path : paths) matches += engine.Exec(path) ? 1 : 0;
  }
  state.counters["matches"] = static_cast<double>(matches);
  state.SetItemsProcessed(state.iterations() * paths.size());
}
// The program's own way: a fresh object (and compilation) for every path.
void FilterEngineFreshObject(benchmark::State& state, const char* pattern) {
  const std::vector<std::string>& paths = FilePaths();
  int64_t matches = 0;
  for (auto _ : state) {
    matches = 0;
    for (const std::string& path : paths) {
      TPatternEngine engine;
      engine.SetExpression(pattern);
      matches += engine.Exec(path) ? 1 : 0;
    }
  }
  state.counters["matches"] = static_cast<double>(matches);
  state.SetItemsProcessed(state.iterations() * paths.size());
}
void FilterPcre2(benchmark::State& state, const char* pattern, bool jit) {
  const std::vector<std::string>& paths = FilePaths();
  Pcre2 pcre2(pattern, 0, jit);
  int64_t matches = 0;
  for (auto _ : state) {
    matches = 0;
    for (const std::string& path : paths) matches += pcre2.Match(path, 0) > 0 ? 1 : 0;
  }
  state.counters["matches"] = static_cast<double>(matches);
  state.SetItemsProcessed(state.iterations() * paths.size());
}
void FilterFloor(benchmark::State& state, bool no_case) {
  const std::vector<std::string>& paths = FilePaths();
  int64_t matches = 0;
  for (auto _ : state) {
    matches = 0;
    for (const std::string& path : paths) {
      matches += (no_case ? strcasestr(path.c_str(), "group_00") != nullptr
                          : memmem(path.data(), path.size(), kFilterLiteral,
                                   sizeof kFilterLiteral - 1) != nullptr)
                     ? 1
                     : 0;
    }
  }
  state.counters["matches"] = static_cast<double>(matches);
  state.SetItemsProcessed(state.iterations() * paths.size());
}

BENCHMARK_CAPTURE(ExtractEngine, Copy, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ExtractEngine, InPlace, true)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Extract_Pcre2Jit)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Extract_Pcre2Interpreted)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Extract_MemmemFloor)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Extract_MemchrFloor)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(FilterEngine, Literal, kFilterLiteral)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(FilterEngineFreshObject, Literal, kFilterLiteral)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(FilterPcre2, LiteralJit, kFilterLiteral, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(FilterPcre2, LiteralInterpreted, kFilterLiteral, false)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(FilterFloor, LiteralMemmem, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(FilterEngine, NoCase, kFilterNoCase)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(FilterEngineFreshObject, NoCase, kFilterNoCase)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(FilterPcre2, NoCaseJit, kFilterNoCase, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(FilterPcre2, NoCaseInterpreted, kFilterNoCase, false)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(FilterFloor, NoCaseStrcasestr, true)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace farrowdale

int main(int argc, char** argv) {
  // The filter's case-insensitive pattern folds case by the code page's table.
  farrowdale::SetSystemCodePage("UTF-8");
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
