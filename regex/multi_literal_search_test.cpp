#include "regex/multi_literal_search.h"

#include <random>
#include <string>
#include <vector>

#include "gtest/gtest.h"

namespace farrowdale::regex {
namespace {

// Every start of literal in text, overlapping ones included.
std::vector<size_t> NaivePositions(const std::string& text, const std::string& literal) {
  std::vector<size_t> positions;
  for (size_t at = 0; at + literal.size() <= text.size(); ++at) {
    if (text.compare(at, literal.size(), literal) == 0) positions.push_back(at);
  }
  return positions;
}

std::string RandomText(std::mt19937& rng, size_t size, const std::string& alphabet) {
  std::string text(size, ' ');
  for (char& c : text) c = alphabet[rng() % alphabet.size()];
  return text;
}

void ExpectAgreesWithNaive(const std::vector<std::string>& literals, const std::string& text) {
  const std::vector<std::vector<size_t>> found = MultiLiteralSearch(literals).FindAll(text);
  ASSERT_EQ(found.size(), literals.size());
  for (size_t n = 0; n < literals.size(); ++n) {
    ASSERT_EQ(found[n], NaivePositions(text, literals[n]))
        << "literal \"" << literals[n] << "\" in \"" << text << "\"";
  }
}

// Random literal sets (prefixes of each other, duplicates, one-byte literals, bytes above
// 0x7F and zero bytes, which the nibble lookups must not confuse) over random texts long
// enough for the 32-position steps and short enough for the byte-at-a-time tail.
TEST(MultiLiteralSearchTest, AgreesWithNaiveSearchOnRandomData) {
  const std::string alphabet("<>/tT0e\x8e\xe9\xc9\xdf\x00", 12);
  std::mt19937 rng(11);
  for (int round = 0; round < 3000; ++round) {
    std::vector<std::string> literals(1 + rng() % 12);
    for (std::string& literal : literals) literal = RandomText(rng, 1 + rng() % 10, alphabet);
    if (rng() % 4 == 0) literals.push_back(literals[rng() % literals.size()]);
    ExpectAgreesWithNaive(literals, RandomText(rng, rng() % 300, alphabet));
  }
}

// Marker-shaped literals in marker-shaped text: 80 begin markers sharing "<t", end markers
// that must not be taken for them, occurrences on every offset of a 32-byte step and at the
// very end of the text.
TEST(MultiLiteralSearchTest, FindsEveryMarkerOfManyTags) {
  std::vector<std::string> literals;
  for (int tag = 0; tag < 80; ++tag) literals.push_back("<t" + std::to_string(10 + tag) + ">");
  std::mt19937 rng(3);
  std::string text;
  while (text.size() < 5000) {
    const std::string number = std::to_string(10 + rng() % 85);
    text += RandomText(rng, rng() % 40, "ab c\r\n<");
    text += rng() % 2 == 0 ? "<t" + number + ">" : "</t" + number + ">";
    if (rng() % 7 == 0) text += "<T" + number + ">";
  }
  text += "<t10>";
  ExpectAgreesWithNaive(literals, text);
  for (size_t cut = text.size() - 40; cut <= text.size(); ++cut) {
    ExpectAgreesWithNaive(literals, text.substr(0, cut));
  }
}

TEST(MultiLiteralSearchTest, NoLiteralsFindNothing) {
  EXPECT_TRUE(MultiLiteralSearch({}).FindAll("<e>text</e>").empty());
}

}  // namespace
}  // namespace farrowdale::regex
