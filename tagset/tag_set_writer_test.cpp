#include "tagset/tag_set_writer.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include "tagset/tag_set.h"
#include "testing/code_page_guard.h"
#include "testing/scratch_folder.h"
#include "text/code_page.h"
#include "text/error.h"

namespace farrowdale {
namespace {

class TagSetWriterTest : public ::testing::Test {
 protected:
  TTagArray Load() const {
    TTagArray tags;
    LoadTagSet(TIniFile(path_), tags);
    return tags;
  }
  std::string Bytes() const {
    std::ifstream in(path_, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  const CodePageGuard code_page_{"UTF-8"};
  const testing_support::ScratchFolder scratch_{"tag_set_writer"};
  const std::filesystem::path dir_ = scratch_.path();
  const std::filesystem::path path_ = dir_ / "tags.ini";
};

// Random tags over the characters that trouble an INI file or a pattern (quotes, "=", ";",
// "[", brackets, backslashes, spaces inside, non-ASCII): saved, loaded, saved again, they
// come back as written, separators ("-" or an empty name) in their places among them, and
// the file does not change on the second save.
TEST_F(TagSetWriterTest, RoundTripOfRandomTags) {
  const std::string alphabet[] = {"a", "Z", "0",  " ",  "=", ";",        "#",
                                  "[", "'", "\"", "\\", "(", ")",        "{",
                                  "}", "*", "<",  "/",  ">", "\xC3\xA9", "\xE2\x82\xAC"};
  std::mt19937 random(20261207);
  auto text = [&](size_t max, bool name) {
    std::string made;
    const size_t length = 1 + random() % max;
    while (made.size() < length) {
      const std::string& piece = alphabet[random() % std::size(alphabet)];
      if (name && piece == "[") continue;
      made += piece;
    }
    // The reader trims every value, so neither end may be a space.
    while (!made.empty() && made.front() == ' ') made.erase(0, 1);
    while (!made.empty() && made.back() == ' ') made.pop_back();
    return made.empty() ? std::string("x") : made;
  };
  for (int round = 0; round < 60; ++round) {
    std::vector<TTagEntry> tags;
    for (size_t i = 0, n = 1 + random() % 5; i < n; ++i) {
      if (random() % 3 == 0) tags.push_back({random() % 2 == 0 ? "-" : "", "", "", ""});
      // Names are distinct: the reader's lookups see only the first of two equal sections.
      tags.push_back(
          {text(8, true) + "#" + std::to_string(i), text(12, false), text(12, false), "0A0B0C"});
    }
    SaveTagSet(path_, tags);
    const TTagArray loaded = Load();
    ASSERT_EQ(loaded.size(), tags.size()) << Bytes();
    for (size_t i = 0; i < tags.size(); ++i) {
      EXPECT_EQ(loaded[i].Name, tags[i].name) << Bytes();
      EXPECT_EQ(loaded[i].BeginMark, tags[i].begin) << Bytes();
      EXPECT_EQ(loaded[i].EndMark, tags[i].end) << Bytes();
      EXPECT_EQ(loaded[i].Color, tags[i].color);
    }
    const std::string first = Bytes();
    SaveTagSet(path_, tags);
    EXPECT_EQ(Bytes(), first);
  }
}

TEST_F(TagSetWriterTest, SavingOverAFileKeepsCommentsAndUnknownKeys) {
  std::ofstream(path_, std::ios::binary)
      << "; coded by the team\r\n\r\n[EMO]\r\n; feelings\r\nBegin=<e>\r\nnote=keep me\r\n"
         "begin=<second>\r\ncolor=FF0000\r\n\r\n[gone]\r\nbegin=<g>\r\nend=</g>\r\n";
  SaveTagSet(path_,
             {{"EMO", "\\[EMO\\]", "\\[/EMO\\]", "00FF00"}, {"new", "<n>", "</n>", "000000"}});
  EXPECT_EQ(
      Bytes(),
      "; coded by the team\r\n\r\n[EMO]\r\n; feelings\r\nbegin=\\[EMO\\]\r\nnote=keep me\r\n"
      "color=00FF00\r\nend=\\[/EMO\\]\r\n\r\n[new]\r\nbegin=<n>\r\nend=</n>\r\ncolor=000000\r\n");
  // Each separator keeps its own comments and keys wherever it is moved; one left out takes
  // its lines with it.
  std::ofstream(path_, std::ios::binary)
      << "[a]\r\nbegin=<a>\r\nend=</a>\r\n[-]\r\n; group one\r\nbegin=ignored\r\n[]\r\n"
         "; empty name\r\n[ - ]\r\n; group two\r\n[-]\r\n; group three\r\n";
  SaveTagSet(
      path_,
      {{"-", "", "", ""}, {"", "", "", ""}, {"-", "", "", ""}, {"a", "<a>", "</a>", "000000"}});
  EXPECT_EQ(Bytes(),
            "[-]\r\n; group one\r\nbegin=ignored\r\n[]\r\n; empty name\r\n[-]\r\n; group two\r\n"
            "[a]\r\nbegin=<a>\r\nend=</a>\r\ncolor=000000\r\n");
  // No temporary file is left beside it.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_),
                          std::filesystem::directory_iterator()),
            1);
}

TEST_F(TagSetWriterTest, WhatNoIniFileCanHoldIsRefusedAndTheFileLeftAlone) {
  std::ofstream(path_, std::ios::binary) << "[a]\r\nbegin=<a>\r\n";
  for (const TTagEntry& bad :
       {TTagEntry{"a]b", "<a>", "</a>", "000000"}, TTagEntry{"a", "<a>\n", "</a>", "000000"},
        TTagEntry{"a", " <a>", "</a>", "000000"}}) {
    EXPECT_THROW(SaveTagSet(path_, {bad}), Error);
  }
  EXPECT_EQ(Bytes(), "[a]\r\nbegin=<a>\r\n");
}

}  // namespace
}  // namespace farrowdale
