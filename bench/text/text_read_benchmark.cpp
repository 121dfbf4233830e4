// Reading a 100 MB text file in each of the four encodings (ReadTextFile + JoinedText),
// side by side with a plain read of the same bytes. The files are generated at start, with
// deterministic lines of a coded interview, in a temporary folder removed at the end.
//
// Run: text_read_benchmark --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "text/code_page.h"
#include "text/unicode_string_list.h"
#include "text/utf8.h"

namespace farrowdale {
namespace {

namespace fs = std::filesystem;

constexpr size_t kFileBytes = 100u << 20;

// Interview lines with tags around passages, some accented and typographic characters (all of
// them in windows-1252, so every encoding carries the same text).
std::u16string InterviewText(size_t characters) {
  static const char16_t* const kWords[] = {u"the",
                                           u"clinic",
                                           u"we",
                                           u"never",
                                           u"caf\u00E9",
                                           u"M\u00FCller",
                                           u"and",
                                           u"felt",
                                           u"na\u00EFve",
                                           u"waiting",
                                           u"\u201Cfine\u201D",
                                           u"\u20AC20",
                                           u"because",
                                           u"nurse",
                                           u"\u2014",
                                           u"again",
                                           u"home",
                                           u"r\u00E9sum\u00E9",
                                           u"so",
                                           u"time",
                                           u"money",
                                           u"family",
                                           u"I",
                                           u"it"};
  static const char16_t* const kTags[][2] = {
      {u"[EMO]", u"[/EMO]"}, {u"<care>", u"</care>"}, {u"{cost}", u"{/cost}"}};
  std::u16string text;
  text.reserve(characters + 256);
  uint32_t state = 12345;
  auto next = [&state](uint32_t range) {
    state = state * 1664525u + 1013904223u;
    return (state >> 8) % range;
  };
  int line = 0;
  while (text.size() < characters) {
    text += (++line % 2) ? u"I: " : u"R: ";
    const uint32_t words = 6 + next(20);
    const uint32_t tagged_from = next(words);
    const uint32_t tagged_to = tagged_from + 1 + next(4);
    const uint32_t tag = next(3);
    for (uint32_t w = 0; w < words; ++w) {
      if (w == tagged_from) text += kTags[tag][0];
      text += kWords[next(std::size(kWords))];
      if (w + 1 == tagged_to || (w + 1 == words && tagged_to > words)) text += kTags[tag][1];
      text += w + 1 == words ? u"." : u" ";
    }
    text += u"\r\n";
  }
  return text;
}

std::string Utf16Bytes(std::u16string_view text, bool big_endian) {
  std::string bytes(big_endian ? "\xFE\xFF" : "\xFF\xFE");
  bytes.reserve(2 + text.size() * 2);
  for (char16_t unit : text) {
    const char high = static_cast<char>(unit >> 8);
    const char low = static_cast<char>(unit & 0xFF);
    bytes += big_endian ? high : low;
    bytes += big_endian ? low : high;
  }
  return bytes;
}

struct BenchFile {
  const char* name;
  fs::path path;
  size_t size = 0;
};

fs::path bench_dir;
std::vector<BenchFile> files;

// Writes the bytes up to the last whole line that ends within kFileBytes.
void WriteFile(const char* name, std::string bytes, std::string_view line_end) {
  bytes.resize(bytes.rfind(line_end, kFileBytes - line_end.size()) + line_end.size());
  const fs::path path = bench_dir / (std::string(name) + ".txt");
  std::ofstream(path, std::ios::binary).write(bytes.data(), bytes.size());
  files.push_back({name, path, bytes.size()});
}

void GenerateFiles() {
  bench_dir = fs::temp_directory_path() / ("farrowdale_text_bench_" + std::to_string(getpid()));
  fs::create_directories(bench_dir);
  const std::u16string text = InterviewText(kFileBytes);
  WriteFile("windows-1252", ToNarrow(text), "\r\n");
  WriteFile("utf-8", "\xEF\xBB\xBF" + Utf16ToUtf8(text, '?'), "\r\n");
  WriteFile("utf-16le", Utf16Bytes(text, false), std::string_view("\r\0\n\0", 4));
  WriteFile("utf-16be", Utf16Bytes(text, true), std::string_view("\0\r\0\n", 4));
}

// The baseline: the file's bytes into memory, nothing more.
void PlainRead(benchmark::State& state, const BenchFile* file) {
  for (auto _ : state) {
    const int fd = ::open(file->path.c_str(), O_RDONLY);
    struct stat info;
    ::fstat(fd, &info);
    std::unique_ptr<char[]> bytes(new char[info.st_size]);
    size_t used = 0;
    while (used < static_cast<size_t>(info.st_size)) {
      const ssize_t got = ::read(fd, bytes.get() + used, info.st_size - used);
      if (got <= 0) break;
      used += got;
    }
    ::close(fd);
    benchmark::DoNotOptimize(bytes.get());
  }
  state.SetBytesProcessed(state.iterations() * file->size);
}

void ReadTextFileJoined(benchmark::State& state, const BenchFile* file) {
  int lines = 0;
  for (auto _ : state) {
    TUnicodeStringList list;
    list.ReadTextFile(file->path);
    const std::u16string text = list.JoinedText();
    benchmark::DoNotOptimize(text.data());
    lines = list.EntryCount();
  }
  state.SetBytesProcessed(state.iterations() * file->size);
  state.counters["lines"] = lines;
}

}  // namespace
}  // namespace farrowdale

int main(int argc, char** argv) {
  using namespace farrowdale;
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  SetSystemCodePage("windows-1252");
  GenerateFiles();
  for (const BenchFile& file : files) {
    benchmark::RegisterBenchmark((std::string("PlainRead/") + file.name).c_str(), PlainRead, &file)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark((std::string("ReadTextFileJoined/") + file.name).c_str(),
                                 ReadTextFileJoined, &file)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::filesystem::remove_all(bench_dir);
  return 0;
}
