#include "regex/multi_literal_search.h"

#include <random>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "text/code_page.h"

namespace farrowdale::regex {
namespace {

// Every start of needle in text, compared byte by byte as the engine's literals compare.
std::vector<size_t> NaivePositions(const std::string& text, const LiteralNeedle& needle) {
  std::vector<size_t> positions;
  for (size_t at = 0; at + needle.text.size() <= text.size(); ++at) {
    bool match = true;
    for (size_t k = 0; k < needle.text.size() && match; ++k) {
      const auto want = static_cast<unsigned char>(needle.text[k]);
      const auto got = static_cast<unsigned char>(text[at + k]);
      match = got == want || (needle.ignore_case && got == SwapCase(want));
    }
    if (match) positions.push_back(at);
  }
  return positions;
}

std::string RandomText(std::mt19937& rng, size_t size, const std::string& alphabet) {
  std::string text(size, ' ');
  for (char& c : text) c = alphabet[rng() % alphabet.size()];
  return text;
}

void ExpectAgreesWithNaive(const std::vector<LiteralNeedle>& needles, const std::string& text) {
  const std::vector<std::vector<size_t>> found = MultiLiteralSearch(needles).FindAll(text);
  ASSERT_EQ(found.size(), needles.size());
  for (size_t n = 0; n < needles.size(); ++n) {
    ASSERT_EQ(found[n], NaivePositions(text, needles[n]))
        << "needle \"" << needles[n].text << "\" (ignore case " << needles[n].ignore_case
        << ") in \"" << text << "\"";
  }
}

// Random literal sets (prefixes of each other, duplicates, one-byte literals, mixed case
// flags) over random texts long enough for the 32-position steps and short enough for the
// byte-at-a-time tail; letters with and without a case partner in windows-1252.
TEST(MultiLiteralSearchTest, AgreesWithNaiveSearchOnRandomData) {
  SetSystemCodePage("windows-1252");
  const std::string alphabet = "<>/tT0eE\xe9\xc9\xdf\x00";
  std::mt19937 rng(11);
  for (int round = 0; round < 3000; ++round) {
    std::vector<LiteralNeedle> needles(1 + rng() % 12);
    for (LiteralNeedle& needle : needles) {
      needle.text = RandomText(rng, 1 + rng() % 5, alphabet);
      needle.ignore_case = rng() % 3 == 0;
    }
    if (rng() % 4 == 0) needles.push_back(needles[rng() % needles.size()]);
    ExpectAgreesWithNaive(needles, RandomText(rng, rng() % 300, alphabet));
  }
}

// Marker-shaped literals in marker-shaped text: 80 begin markers sharing "<t", end markers
// that must not be taken for them, occurrences on every offset of a 32-byte step and at the
// very end of the text.
TEST(MultiLiteralSearchTest, FindsEveryMarkerOfManyTags) {
  SetSystemCodePage("UTF-8");
  std::vector<LiteralNeedle> needles;
  for (int tag = 0; tag < 80; ++tag) {
    needles.push_back({"<t" + std::to_string(10 + tag) + ">", tag % 5 == 0});
  }
  std::mt19937 rng(3);
  std::string text;
  while (text.size() < 5000) {
    const std::string number = std::to_string(10 + rng() % 85);
    text += RandomText(rng, rng() % 40, "ab c\r\n<");
    text += rng() % 2 == 0 ? "<t" + number + ">" : "</t" + number + ">";
    if (rng() % 7 == 0) text += "<T" + number + ">";
  }
  text += "<t10>";
  ExpectAgreesWithNaive(needles, text);
  for (size_t cut = text.size() - 40; cut <= text.size(); ++cut) {
    ExpectAgreesWithNaive(needles, text.substr(0, cut));
  }
}

TEST(MultiLiteralSearchTest, NoLiteralsFindNothing) {
  EXPECT_TRUE(MultiLiteralSearch({}).FindAll("<e>text</e>").empty());
}

}  // namespace
}  // namespace farrowdale::regex
