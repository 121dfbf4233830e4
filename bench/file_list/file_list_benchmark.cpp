// Adding 40,000 files to the file-list model: from paths already in memory (the duplicate
// lookup alone), from a folder holding them (the listing included), and the same paths
// offered a second time (every one a duplicate); against the old list's linear scan. The folder is
// made once in a temporary folder and removed at the end.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "run/file_list_model.h"
#include "text/code_page.h"

namespace {

namespace fs = std::filesystem;

constexpr int kFiles = 40000;

std::vector<fs::path> MakePaths(const fs::path& folder) {
  std::vector<fs::path> paths;
  paths.reserve(kFiles);
  for (int i = 0; i < kFiles; ++i) {
    paths.push_back(folder / ("interview_" + std::to_string(i) + ".txt"));
  }
  return paths;
}

const fs::path& CorpusFolder() {
  static const fs::path folder = [] {
    fs::path made = fs::temp_directory_path() / "file_list_benchmark_corpus";
    fs::remove_all(made);
    fs::create_directories(made);
    for (const fs::path& path : MakePaths(made)) std::ofstream(path) << "x";
    return made;
  }();
  return folder;
}

void AddPaths(benchmark::State& state) {
  const fs::path folder = "/data/corpus";
  const std::vector<fs::path> paths = MakePaths(folder);
  for (auto _ : state) {
    farrowdale::TFileListModel model;
    for (const fs::path& path : paths) model.AddFile(path, folder);
    benchmark::DoNotOptimize(model.CheckedCount());
  }
  state.counters["files"] = kFiles;
}
BENCHMARK(AddPaths)->Unit(benchmark::kMillisecond);

// The list as it was kept before the model: each new path compared with every listed one.
void AddPathsComparingEach(benchmark::State& state) {
  const std::vector<fs::path> paths = MakePaths("/data/corpus");
  for (auto _ : state) {
    std::vector<fs::path> listed;
    for (const fs::path& path : paths) {
      bool known = false;
      for (const fs::path& other : listed) known = known || farrowdale::SameItemPath(other, path);
      if (!known) listed.push_back(path);
    }
    benchmark::DoNotOptimize(listed.size());
  }
  state.counters["files"] = kFiles;
}
BENCHMARK(AddPathsComparingEach)->Unit(benchmark::kMillisecond)->Iterations(1);

void AddFolder(benchmark::State& state) {
  const fs::path& folder = CorpusFolder();
  for (auto _ : state) {
    farrowdale::TFileListModel model;
    benchmark::DoNotOptimize(model.AddFolder(folder).added);
  }
  state.counters["files"] = kFiles;
}
BENCHMARK(AddFolder)->Unit(benchmark::kMillisecond);

void AddFolderTwice(benchmark::State& state) {
  const fs::path& folder = CorpusFolder();
  for (auto _ : state) {
    farrowdale::TFileListModel model;
    model.AddFolder(folder);
    benchmark::DoNotOptimize(model.AddFolder(folder).duplicates.size());
  }
  state.counters["files"] = 2 * kFiles;
}
BENCHMARK(AddFolderTwice)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  farrowdale::SetSystemCodePage("UTF-8");
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::filesystem::remove_all(std::filesystem::temp_directory_path() /
                              "file_list_benchmark_corpus");
  return 0;
}
