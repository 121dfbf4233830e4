#include "count/passage_occurrences.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "count/tag_scanner.h"
#include "count/test_tags.h"
#include "testing/code_page_guard.h"

namespace farrowdale {
namespace {

struct Seen {
  size_t tag;
  std::string passage;
  TTextPosition position;
  std::u16string text;
  bool operator==(const Seen&) const = default;
};

std::vector<Seen> Occurrences(const std::string& text, const TTagArray& tags,
                              TPassageGrouping grouping = {}) {
  const TTagScanner scanner(tags, "t.ini");
  std::vector<Seen> seen;
  ForEachPassageOccurrence(text, scanner.Scan(text), grouping, [&](const TPassageOccurrenceAt& at) {
    EXPECT_EQ(text.substr(at.start, at.passage.size()), at.passage);
    seen.push_back({at.tag, std::string(at.passage), at.position, at.text});
  });
  return seen;
}

// The second tag's passages stand before the first tag's last one: positions are asked for
// out of text order across tags, and columns count characters, not bytes.
TEST(PassageOccurrencesTest, ListsTrimmedPassagesTagByTagWithTheirPlaces) {
  const CodePageGuard utf8("UTF-8");
  const TTagArray tags = {Tag("<a>", "</a>"), Tag("<b>", "</b>")};
  const std::string text =
      "\xc3\xa9<b> x </b><a> one\r\n</a>\r\n\xc3\xa9<a>  </a><b>y\r\nz</b><a>two</a>";
  EXPECT_EQ(Occurrences(text, tags), (std::vector<Seen>{{0, "one", {1, 16}, u"one"},
                                                        {0, "two", {4, 9}, u"two"},
                                                        {1, "x", {1, 6}, u"x"},
                                                        {1, "y\r\nz", {3, 14}, u"y\r\nz"}}));
}

TEST(PassageOccurrencesTest, FoldedSpacingChangesTheTextNotThePassage) {
  const CodePageGuard utf8("UTF-8");
  const std::vector<Seen> seen =
      Occurrences("<a> y \r\n\tz </a>", {Tag("<a>", "</a>")}, {.spacing = ESpacing::kFolded});
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].passage, "y \r\n\tz");
  EXPECT_EQ(seen[0].text, u"y z");
}

}  // namespace
}  // namespace farrowdale
