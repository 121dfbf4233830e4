#include "report/passages_section.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "testing/code_page_guard.h"
#include "testing/file_bytes.h"
#include "text/code_page.h"

namespace farrowdale {
namespace {

using testing_support::U16;

size_t CountOf(const std::u16string& text, std::u16string_view piece) {
  size_t count = 0;
  for (size_t at = text.find(piece); at != std::u16string::npos; at = text.find(piece, at + 1)) {
    ++count;
  }
  return count;
}

TPassageOccurrence Occurrence(int32_t line, int32_t column) {
  return {"f.txt", {line, column}, u"before ", u"passage", u" after"};
}

TEST(PassagesSectionTest, EachDistinctPassageListsItsOccurrencesInContextEscaped) {
  CodePageGuard code_page("windows-1252");
  TTagPassages tag{"<b>emotion</b>", "FF8800", {}};
  tag.passages.push_back(
      {u"x<y & \"z\"",
       2,
       {{"a&b.txt", {3, 15}, u"said \"a\r\nb\" <i>", u"x<y & \"z\"", u"</i>\tthen"},
        {"caf\xE9.txt", {1, 1}, u"", u"X<Y & \"Z\"", u""}}});
  const std::u16string section = RenderPassagesSection({tag});
  EXPECT_EQ(
      section,
      U16("<section class=\"passages\">\n<h2>Passages in context</h2>\n"
          "<details class=\"tag\" open><summary><span class=\"sw\" style=\"background:#FF8800\">"
          "</span> <strong>&lt;b&gt;emotion&lt;/b&gt;</strong> <span class=\"k\">1 distinct "
          "passage, 2 occurrences</span></summary>\n"
          "<details class=\"psg\" id=\"p1-1\" open><summary><mark>x&lt;y &amp; &quot;z&quot;"
          "</mark> <span class=\"k\">(2)</span></summary>\n<ol class=\"kwic\">\n"
          "<li><span class=\"w\">a&amp;b.txt:3:15</span> <span class=\"l\">said &quot;a  b&quot; "
          "&lt;i&gt;</span><mark>x&lt;y &amp; &quot;z&quot;</mark><span class=\"r\">&lt;/i&gt; "
          "then</span></li>\n"
          "<li><span class=\"w\">caf") +
          u"\u00E9" +
          U16(".txt:1:1</span> <span class=\"l\"></span><mark>X&lt;Y &amp; &quot;Z&quot;</mark>"
              "<span class=\"r\"></span></li>\n</ol>\n</details>\n</details>\n</section>"));
}

TEST(PassagesSectionTest, LongListsFoldAndPastTenOccurrencesTheRestIsCounted) {
  TDistinctPassage few{u"few", kOpenOccurrences, {}};
  TDistinctPassage many{u"many", 13, {}};
  TDistinctPassage kept_ten{u"kept", 11, {}};
  for (int i = 0; i < kOpenOccurrences; ++i) few.occurrences.push_back(Occurrence(i + 1, 1));
  for (int i = 0; i < 13; ++i) many.occurrences.push_back(Occurrence(i + 1, 1));
  for (int i = 0; i < kListedOccurrences; ++i) {
    kept_ten.occurrences.push_back(Occurrence(i + 1, 1));
  }
  const std::u16string section =
      RenderPassagesSection({{"t1", "000000", {few}}, {"t2", "000000", {many, kept_ten}}});
  EXPECT_NE(section.find(u"id=\"p1-1\" open>"), std::u16string::npos);
  EXPECT_NE(section.find(u"id=\"p2-1\">"), std::u16string::npos);
  EXPECT_NE(section.find(u"id=\"p2-2\">"), std::u16string::npos);
  EXPECT_EQ(CountOf(section, u"<li>"), static_cast<size_t>(kOpenOccurrences + 2 * 10));
  EXPECT_NE(section.find(u"f.txt:10:1<"), std::u16string::npos);
  EXPECT_EQ(section.find(u"f.txt:11:1<"), std::u16string::npos);
  EXPECT_NE(section.find(u"<p class=\"more\">and 3 more occurrences, all listed in "
                         u"result_passages.csv when tables are written</p>"),
            std::u16string::npos);
  EXPECT_NE(section.find(u"<p class=\"more\">and 1 more occurrence, all"), std::u16string::npos);
  EXPECT_NE(section.find(u"2 distinct passages, 24 occurrences"), std::u16string::npos);
}

TEST(PassagesSectionTest, PastTheListedPassagesOfATagTheRestAreCounted) {
  TTagPassages tag{"t", "000000", {}};
  for (int i = 0; i < kListedPassages + 3; ++i) tag.passages.push_back({u"p", 1, {}});
  const std::u16string section = RenderPassagesSection({tag});
  EXPECT_EQ(CountOf(section, u"<details class=\"psg\""), static_cast<size_t>(kListedPassages));
  EXPECT_NE(section.find(u"id=\"p1-" + U16(std::to_string(kListedPassages)) + u"\""),
            std::u16string::npos);
  EXPECT_NE(section.find(u"<p class=\"more\">and 3 more distinct passages, all listed in "
                         u"result_passages.csv when tables are written</p>\n</details>"),
            std::u16string::npos);
}

TEST(PassagesSectionTest, TagsWithoutPassagesAndAnchors) {
  EXPECT_EQ(RenderPassagesSection({{"none", "zz\"", {}}}),
            U16("<section class=\"passages\">\n<h2>Passages in context</h2>\n"
                "<details class=\"tag\" open><summary><span class=\"sw\" style=\"background:"
                "#808080\"></span> <strong>none</strong> <span class=\"k\">0 distinct passages, 0 "
                "occurrences</span></summary>\n</details>\n</section>"));
  EXPECT_EQ(PassageAnchor(12, 3), "p12-3");
}

}  // namespace
}  // namespace farrowdale
