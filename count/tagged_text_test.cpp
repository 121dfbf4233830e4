#include "count/tagged_text.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "count/test_tags.h"
#include "regex/pattern_engine.h"
#include "testing/reference_counts.h"
#include "text/code_page.h"

namespace farrowdale {
namespace {

std::vector<std::u16string> Collect(std::u16string_view text, const TTagInfo& tag) {
  TUnicodeStringList list;
  CollectTaggedTexts(text, tag, list);
  std::vector<std::u16string> entries;
  for (int i = 0; i < list.EntryCount(); ++i) entries.push_back(list.EntryAt(i));
  return entries;
}

using Texts = std::vector<std::u16string>;

TEST(TaggedTextTest, PatternEscapesTheBeginMarkersBareParenthesesOnlyWhenItHoldsAnOpeningOne) {
  EXPECT_EQ(TaggedTextPattern(Tag("<e>", "</e>")), "<e>(.*?)</e>");
  EXPECT_EQ(TaggedTextPattern(Tag("(e)", "/e")), "\\(e\\)(.*?)/e");
  EXPECT_EQ(TaggedTextPattern(Tag("((x)", "(y)")), "\\(\\(x\\)(.*?)(y)");
  EXPECT_EQ(TaggedTextPattern(Tag("e)", "")), "e)(.*?)");
  // Escaped parentheses and modifier groups are read as in any pattern; a "(?" never closed
  // is taken literally like any other "(".
  EXPECT_EQ(TaggedTextPattern(Tag("\\(q\\)", "\\(/q\\)")), "\\(q\\)(.*?)\\(/q\\)");
  EXPECT_EQ(TaggedTextPattern(Tag("(?i)<q>(", "")), "(?i)<q>\\((.*?)");
  EXPECT_EQ(TaggedTextPattern(Tag("\\\\(q", "")), "\\\\\\(q(.*?)");
  EXPECT_EQ(TaggedTextPattern(Tag("(?i", "")), "\\(?i(.*?)");
  EXPECT_EQ(TaggedTextPattern(Tag("", "")), "(.*?)");
}

// Plain-text markers of random operator characters: the tag made of them finds exactly the
// text typed, whichever parentheses the begin marker holds.
TEST(TaggedTextTest, PlainTextMarkersFindTheirTextAsTyped) {
  SetSystemCodePage("windows-1252");
  const std::string_view alphabet = "\\^$.|?*+()[]{}<>/ae";
  std::mt19937 random(7);
  auto text = [&] {
    std::string made;
    for (size_t n = 1 + random() % 6; made.size() < n;)
      made += alphabet[random() % alphabet.size()];
    return made;
  };
  for (int round = 0; round < 2000; ++round) {
    const std::string begin = text();
    const std::string end = text();
    const std::string subject = "ZZ" + begin + "MID" + end + "YY";
    const TTagInfo tag =
        Tag(PlainTextMarker(begin, EMarkerSide::kBegin), PlainTextMarker(end, EMarkerSide::kEnd));
    std::vector<TPassageSpan> spans;
    ForEachTaggedSpan(subject, tag, [&](const TPassageSpan& span) { spans.push_back(span); });
    ASSERT_FALSE(spans.empty()) << begin << " " << end;
    EXPECT_EQ(spans[0].begin_marker, 2u) << begin << " " << end;
    EXPECT_EQ(spans[0].text_begin, 2 + begin.size()) << begin << " " << end;
    EXPECT_EQ(subject.substr(spans[0].text_begin, 3), "MID") << begin << " " << end;
    EXPECT_EQ(spans[0].end_marker_end, 2 + begin.size() + 3 + end.size()) << begin << " " << end;
  }
  EXPECT_EQ(PlainTextMarker("[EMO]", EMarkerSide::kBegin), "\\[EMO\\]");
  EXPECT_EQ(PlainTextMarker("(q)", EMarkerSide::kBegin), "(q)");
  EXPECT_EQ(PlainTextMarker("(q)", EMarkerSide::kEnd), "\\(q\\)");
}

TEST(TaggedTextTest, PassagesAreTrimmedNonEmptyAndInOrder) {
  SetSystemCodePage("windows-1252");
  const TTagInfo e = Tag("<e>", "</e>");
  EXPECT_EQ(Collect(u"x <e> a </e> y <e>b</e>", e), (Texts{u"a", u"b"}));
  EXPECT_EQ(Collect(u"<e>  </e><e>\r\n</e>", e), Texts{});
  // A passage may span lines; only its ends are trimmed.
  EXPECT_EQ(Collect(u"<e> one\r\ntwo\r\n</e>", e), Texts{u"one\r\ntwo"});
  // No overlap: a begin marker inside a passage starts nothing.
  EXPECT_EQ(Collect(u"<e>a<e>b</e>c</e>", e), Texts{u"a<e>b"});
  EXPECT_EQ(Collect(u"<e>open ended", e), Texts{});
  EXPECT_EQ(Collect(u"<E>upper</E>", e), Texts{});
  EXPECT_EQ(Collect(u"anything at all", Tag("", "")), Texts{});
}

TEST(TaggedTextTest, ParenthesesAreLiteralInTheBeginMarkerButNotInTheEndMarker) {
  SetSystemCodePage("windows-1252");
  EXPECT_EQ(Collect(u"(a) one </e> a two </e>", Tag("(a)", "</e>")), Texts{u"one"});
  // "(a)" as end marker is a group matching "a": the passage stops before the "a".
  EXPECT_EQ(Collect(u"<e>one (a)", Tag("<e>", "(a)")), Texts{u"one ("});
}

TEST(TaggedTextTest, NarrowConversionBothWays) {
  SetSystemCodePage("windows-1252");
  // U+0101 has no windows-1252 character; its best fit is "a". The euro sign round-trips.
  EXPECT_EQ(Collect(u"<e>\u0101\u20AC</e>", Tag("<e>", "</e>")), Texts{u"a\u20AC"});
  EXPECT_EQ(Collect(u"<a>x</a>", Tag("<\x80>", "</\x80>")), Texts{});
  EXPECT_EQ(Collect(u"<\u20AC>x</\u20AC>", Tag("<\x80>", "</\x80>")), Texts{u"x"});
  // The narrow entry point gives what the Unicode one gives.
  TUnicodeStringList list;
  CollectTaggedTextsNarrow("<e>\x80</e>", Tag("<e>", "</e>"), list);
  ASSERT_EQ(list.EntryCount(), 1);
  EXPECT_EQ(list.EntryAt(0), u"\u20AC");
}

TEST(TaggedTextTest, InvalidMarkerRaisesTheCompileErrorAndAppendsNothing) {
  SetSystemCodePage("windows-1252");
  TUnicodeStringList list;
  list.AddEntry(u"kept");
  try {
    CollectTaggedTexts(u"x) y", Tag("x)", "y"), list);
    FAIL() << "no error";
  } catch (const EPatternError& error) {
    EXPECT_EQ(error.ErrorNumber(), 104);
    EXPECT_EQ(std::string(error.what()).rfind("Pattern(comp): ParseReg Unmatched ()", 0), 0u);
  }
  EXPECT_THROW(CollectTaggedTexts(u"", Tag("[x", "y"), list), EPatternError);
  ASSERT_EQ(list.EntryCount(), 1);
  EXPECT_EQ(list.EntryAt(0), u"kept");
}

}  // namespace
}  // namespace farrowdale
