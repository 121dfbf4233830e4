#include "count/cooccurrence.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "count/stripped_text.h"
#include "count/tag_scanner.h"
#include "count/test_tags.h"
#include "testing/code_page_guard.h"

namespace farrowdale {
namespace {

std::vector<TInterval> Intervals(std::initializer_list<std::pair<int64_t, int64_t>> list) {
  std::vector<TInterval> out;
  for (const auto& [start, end] : list) out.push_back({start, end});
  return out;
}

// The intervals the stripped text gives, without their passages.
std::vector<std::vector<TInterval>> IntervalsOf(const TStrippedText& stripped) {
  std::vector<std::vector<TInterval>> out;
  for (const std::vector<TCodedInterval>& tag : stripped.tags) {
    out.emplace_back();
    for (const TCodedInterval& interval : tag) out.back().push_back({interval.start, interval.end});
  }
  return out;
}

TEST(CooccurrenceTest, EachRelationByHand) {
  // A: [10,20). B, one passage per case; touching and empty intervals share no character.
  const auto a = Intervals({{10, 20}});
  const auto count = [&](int64_t start, int64_t end) {
    return CountPairs(a, Intervals({{start, end}}));
  };
  EXPECT_EQ(count(10, 20), (TPairCounts{1, 1, 1, 0, 0, 0}));
  EXPECT_EQ(count(5, 20), (TPairCounts{1, 1, 0, 1, 0, 0}));
  EXPECT_EQ(count(10, 25), (TPairCounts{1, 1, 0, 1, 0, 0}));
  EXPECT_EQ(count(12, 18), (TPairCounts{1, 1, 0, 0, 1, 0}));
  EXPECT_EQ(count(10, 11), (TPairCounts{1, 1, 0, 0, 1, 0}));
  EXPECT_EQ(count(19, 30), (TPairCounts{1, 1, 0, 0, 0, 1}));
  EXPECT_EQ(count(0, 11), (TPairCounts{1, 1, 0, 0, 0, 1}));
  EXPECT_EQ(count(20, 30), (TPairCounts{1, 1, 0, 0, 0, 0}));
  EXPECT_EQ(count(0, 10), (TPairCounts{1, 1, 0, 0, 0, 0}));
  EXPECT_EQ(count(15, 15), (TPairCounts{1, 1, 0, 0, 0, 0}));

  // Pairs are counted, not passages: n1 = 2, n2 = 3, n12 = 3, so c exceeds 1.
  const TPairCounts several =
      CountPairs(Intervals({{0, 4}, {6, 12}}), Intervals({{1, 2}, {3, 7}, {12, 14}}));
  EXPECT_EQ(several, (TPairCounts{2, 3, 0, 0, 1, 2}));
  EXPECT_DOUBLE_EQ(several.CCoefficient(), 3.0 / 2.0);
  EXPECT_EQ(several.Mirrored(), (TPairCounts{3, 2, 0, 1, 0, 2}));
  EXPECT_EQ(CountPairs({}, {}).CCoefficient(), 0.0);
  EXPECT_DOUBLE_EQ(count(10, 20).CCoefficient(), 1.0);
}

TEST(CooccurrenceTest, TheMatrixOfACodedTextSkipsSeparatorsAndMirrors) {
  const CodePageGuard utf8("UTF-8");
  TTagArray tags(4);
  tags[0] = {"a", "<a>", "</a>", 0, "000000"};
  tags[1] = {"-", "", "", 0, ""};
  tags[2] = {"b", "<b>", "</b>", 0, "000000"};
  tags[3] = {"c", "<c>", "</c>", 0, "000000"};
  const std::string text = "<a>one <b>two</a> three</b> <c><a>four</a></c> <a>five</a>";
  const TCooccurrenceMatrix matrix = CountCooccurrence(
      StrippedIntervals(text, tags, TTagScanner(tags, "tags.ini").ScanWithMarkerHits(text)), tags);
  ASSERT_EQ(matrix.size(), 3u);
  EXPECT_EQ(matrix.At(0, 1), (TPairCounts{3, 1, 0, 0, 0, 1}));
  EXPECT_EQ(matrix.At(1, 0), (TPairCounts{1, 3, 0, 0, 0, 1}));
  EXPECT_EQ(matrix.At(0, 2), (TPairCounts{3, 1, 1, 0, 0, 0}));
  EXPECT_EQ(matrix.At(1, 2), (TPairCounts{1, 1, 0, 0, 0, 0}));
  EXPECT_EQ(matrix.At(0, 0), TPairCounts{});
}

// Random passages of two tags as the stripped text gives them: each tag's in order, none
// overlapping another of its own tag, some empty, some touching; compared with every pair
// classified by the length of what the two share.
TEST(CooccurrenceTest, AgreesWithEveryPairClassifiedByItsSharedLength) {
  std::mt19937 random(24);
  const auto random_tag = [&] {
    std::vector<TInterval> tag;
    int64_t at = std::uniform_int_distribution<int64_t>(0, 3)(random);
    const int passages = std::uniform_int_distribution<int>(0, 12)(random);
    for (int i = 0; i < passages; ++i) {
      at += std::uniform_int_distribution<int64_t>(0, 4)(random);
      const int64_t length = std::uniform_int_distribution<int64_t>(0, 6)(random);
      tag.push_back({at, at + length});
      at += length;
    }
    return tag;
  };
  for (int round = 0; round < 3000; ++round) {
    const std::vector<TInterval> a = random_tag();
    const std::vector<TInterval> b = random_tag();
    TPairCounts expected{static_cast<int64_t>(a.size()), static_cast<int64_t>(b.size())};
    for (const TInterval& x : a) {
      for (const TInterval& y : b) {
        const int64_t shared = std::min(x.end, y.end) - std::max(x.start, y.start);
        if (shared <= 0) continue;
        const int64_t x_length = x.end - x.start;
        const int64_t y_length = y.end - y.start;
        if (shared == x_length && shared == y_length) {
          ++expected.identical;
        } else if (shared == x_length) {
          ++expected.a_inside_b;
        } else if (shared == y_length) {
          ++expected.b_inside_a;
        } else {
          ++expected.crossing;
        }
      }
    }
    ASSERT_EQ(CountPairs(a, b), expected) << "round " << round;
    ASSERT_EQ(CountPairs(b, a), expected.Mirrored()) << "round " << round;
  }
}

// The count made from the scan alone agrees with the one made from the stripped text, on
// random codings with nested, crossing, empty and stray markers of several tags (one whose
// two markers are the same, one whose begin marker is a pattern), blanks that markers hide at
// passage edges, CR LF split by markers, a zero byte, and under three code pages (one decoded
// by ICU); some texts are long enough to be decoded in several chunks.
TEST(CooccurrenceTest, TheCountFromTheScanEqualsTheCountFromTheStrippedText) {
  const TTagArray tags = {NamedTag("a", "<a>", "</a>"), NamedTag("-", "", ""),
                          NamedTag("b", "<b>", "</b>"), NamedTag("q", "#", "#"),
                          NamedTag("c", "<c\\d>", "</c>")};
  const std::vector<std::string> pieces = {"<a>",
                                           "</a>",
                                           "<b>",
                                           "</b>",
                                           "<c7>",
                                           "</c>",
                                           "#",
                                           "word",
                                           " ",
                                           "\t",
                                           "\r",
                                           "\n",
                                           "\r\n",
                                           "x",
                                           "\xC3",
                                           "\xA9\xE2",
                                           "\x82",
                                           "\xAC",
                                           "\xF0\x9F\x98\x80"};
  std::mt19937 random(25);
  for (const char* code_page : {"UTF-8", "windows-1252", "Shift_JIS"}) {
    const CodePageGuard guard(code_page);
    const TTagScanner scanner(tags, "tags.ini");
    for (int round = 0; round < 3000; ++round) {
      std::string narrow;
      const int length = static_cast<int>(round % 100 == 0 ? 30000 : random() % 30);
      for (int i = 0; i < length; ++i) narrow += pieces[random() % pieces.size()];
      if (round % 50 == 1) narrow.insert(random() % (narrow.size() + 1), 1, '\0');
      SCOPED_TRACE(code_page + (" round " + std::to_string(round)));
      const TScannedText scanned = scanner.ScanWithMarkerHits(narrow);
      const auto expected = IntervalsOf(StripMarkers(narrow, tags, scanned));
      const auto got = StrippedIntervals(narrow, tags, scanned);
      ASSERT_EQ(got, expected) << narrow;
      ASSERT_EQ(CountCooccurrence(got, tags), CountCooccurrence(expected, tags));
    }
  }
}

}  // namespace
}  // namespace farrowdale
