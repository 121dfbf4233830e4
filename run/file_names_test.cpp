#include "run/file_names.h"

#include <gtest/gtest.h>

#include <random>
#include <set>
#include <string>
#include <vector>

#include "testing/code_page_guard.h"

namespace farrowdale {
namespace {

namespace fs = std::filesystem;

bool EndsWithParts(const fs::path& path, const std::string& name) {
  const std::string whole = path.native();
  return whole == name || (whole.size() > name.size() &&
                           whole.compare(whole.size() - name.size(), name.size(), name) == 0 &&
                           whole[whole.size() - name.size() - 1] == '/');
}

// Random file sets from a few folder and file names, some inside the corpus folder and some
// beside it: every name is unique; a file inside is named by its relative path; a file
// outside by trailing parts of its path that end no other file's path, or its whole path.
TEST(CorpusFileNamesTest, NamesAreUniqueAndTellFilesApartByTheirPath) {
  const std::vector<std::string> parts = {"wave1", "wave2", "site", "corpus"};
  const std::vector<std::string> leaves = {"a.txt", "b.txt", "interview_01.txt"};
  const fs::path corpus = "/data/corpus";
  std::mt19937 rng(7);
  const auto below = [&rng](size_t n) {
    return std::uniform_int_distribution<size_t>(0, n - 1)(rng);
  };
  for (int round = 0; round < 300; ++round) {
    std::set<fs::path> chosen;
    for (size_t n = below(8) + 1; n > 0; --n) {
      fs::path file = below(3) == 0 ? fs::path("/data") : corpus;
      for (size_t depth = below(3); depth > 0; --depth) file /= parts[below(parts.size())];
      chosen.insert(file / leaves[below(leaves.size())]);
    }
    const std::vector<fs::path> files(chosen.begin(), chosen.end());
    const std::vector<std::string> names = CorpusFileNames(files, corpus);
    ASSERT_EQ(names.size(), files.size());
    EXPECT_EQ(std::set<std::string>(names.begin(), names.end()).size(), names.size());
    for (size_t i = 0; i < files.size(); ++i) {
      const fs::path relative = files[i].lexically_relative(corpus);
      if (*relative.begin() != "..") {
        EXPECT_EQ(names[i], relative.native());
        continue;
      }
      ASSERT_TRUE(EndsWithParts(files[i], names[i])) << names[i];
      if (names[i] == files[i].native()) continue;
      for (size_t j = 0; j < files.size(); ++j) {
        EXPECT_TRUE(j == i || !EndsWithParts(files[j], names[i]))
            << names[i] << " ends " << files[j];
      }
    }
  }
}

TEST(CorpusFileNamesTest, BytesThatAreNoCharacterKeepTheirValue) {
  const CodePageGuard utf8("UTF-8");
  EXPECT_EQ(CorpusFileNames({"/c/caf\xE9.txt", "/c/caf\xE8.txt", "/c/w/caf\xC3\xA9.txt"}, "/c"),
            (std::vector<std::string>{"caf\\xE9.txt", "caf\\xE8.txt", "w/caf\xC3\xA9.txt"}));
  const CodePageGuard windows("windows-1252");
  EXPECT_EQ(NarrowNameWithoutLoss("caf\xC3\xA9-\xFF.txt"), "caf\xE9-\\xFF.txt");
}

}  // namespace
}  // namespace farrowdale
