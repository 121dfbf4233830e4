#include "regex/literal_search.h"

#include <cstring>
#include <random>
#include <string>

#include "gtest/gtest.h"

namespace farrowdale::regex {
namespace {

const uint8_t* Bytes(const std::string& s) { return reinterpret_cast<const uint8_t*>(s.data()); }

// Agrees with memmem on every placement near block edges and on random texts.
TEST(LiteralSearchTest, AgreesWithMemmem) {
  std::mt19937 rng(5);
  for (int round = 0; round < 20000; ++round) {
    // Digits and capitals make the middle probe byte differ from the first and last ones.
    std::string text(rng() % 200, 'a');
    for (char& c : text) c = "ab<e>/07T"[rng() % 9];
    std::string needle(1 + rng() % 8, 'a');
    for (char& c : needle) c = "ab<e>/07T"[rng() % 9];
    const void* want = memmem(text.data(), text.size(), needle.data(), needle.size());
    const uint8_t* got = FindLiteral(Bytes(text), text.size(), Bytes(needle), needle.size());
    ASSERT_EQ(static_cast<const void*>(got), want) << text << " / " << needle;
    const size_t last = text.rfind(needle);
    const uint8_t* got_last =
        FindLastLiteral(Bytes(text), text.size(), Bytes(needle), needle.size());
    ASSERT_EQ(got_last, last == std::string::npos ? nullptr : Bytes(text) + last)
        << text << " / " << needle;
  }
  const std::string text = std::string(40, 'x') + "</e>";
  for (size_t n = 0; n <= text.size(); ++n) {
    const uint8_t* got = FindLiteral(Bytes(text), n, Bytes(std::string("</e>")), 4);
    EXPECT_EQ(got, n == text.size() ? Bytes(text) + 40 : nullptr) << n;
  }
}

}  // namespace
}  // namespace farrowdale::regex
