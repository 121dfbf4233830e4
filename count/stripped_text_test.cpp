#include "count/stripped_text.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "count/tagged_text.h"
#include "count/test_tags.h"
#include "testing/code_page_guard.h"
#include "text/code_page.h"
#include "text/trim.h"
#include "text/utf8.h"

namespace farrowdale {
namespace {

// Tags a and b with literal markers, a separator, and c whose begin marker is a pattern.
TTagArray Tags() {
  return {NamedTag("a", "<a>", "</a>"), NamedTag("b", "<b>", "</b>"), NamedTag("-", "", ""),
          NamedTag("c", "<c\\d>", "</c>")};
}

TStrippedText Strip(const std::string& text, const TTagArray& tags = Tags()) {
  return StripMarkers(text, tags, TTagScanner(tags, "tags.ini"));
}

std::u32string U32(std::string_view utf8) {
  std::u32string out;
  const std::u16string units = Utf8ToUtf16(utf8);
  for (size_t i = 0; i < units.size(); ++i) {
    char32_t c = units[i];
    if (c >= 0xD800 && c <= 0xDBFF) c = 0x10000 + ((c - 0xD800) << 10) + (units[++i] - 0xDC00);
    out.push_back(c);
  }
  return out;
}

std::string IntervalText(const TStrippedText& stripped, const TCodedInterval& interval) {
  TStrippedText part;
  part.text = stripped.text.substr(static_cast<size_t>(interval.start),
                                   static_cast<size_t>(interval.end - interval.start));
  return part.Utf8();
}

class StrippedTextTest : public ::testing::Test {
 protected:
  CodePageGuard utf8_{"UTF-8"};
};

TEST_F(StrippedTextTest, NestedAndCrossingMarkersOfSeveralTagsAllGo) {
  const TStrippedText s = Strip("<a>one <b>two</a> three</b> <c1>four</c>");
  EXPECT_EQ(s.Utf8(), "one two three four");
  ASSERT_EQ(s.tags.size(), 4u);
  EXPECT_EQ(s.tags[0], (std::vector<TCodedInterval>{{0, 7, "one <b>two"}}));
  EXPECT_EQ(s.tags[1], (std::vector<TCodedInterval>{{4, 13, "two</a> three"}}));
  EXPECT_TRUE(s.tags[2].empty());  // the separator
  EXPECT_EQ(s.tags[3], (std::vector<TCodedInterval>{{14, 18, "four"}}));
  EXPECT_TRUE(s.stray_markers.empty());
  // A passage that starts with another tag's marker starts where its visible text does.
  const TStrippedText edge = Strip("<a><b> x</b></a>");
  EXPECT_EQ(edge.tags[0], (std::vector<TCodedInterval>{{1, 2, "<b> x</b>"}}));
  EXPECT_EQ(edge.tags[1], (std::vector<TCodedInterval>{{1, 2, "x"}}));
}

TEST_F(StrippedTextTest, PositionsCountCodePointsNotUnitsOrBytes) {
  // U+1F600 is two UTF-16 units and four bytes; e + U+0301 is two code points.
  const TStrippedText s = Strip("\xF0\x9F\x98\x80 <a>e\xCC\x81</a>x <b>\xC3\xA9</b>");
  EXPECT_EQ(s.text, U32("\xF0\x9F\x98\x80 e\xCC\x81x \xC3\xA9"));
  EXPECT_EQ(s.tags[0], (std::vector<TCodedInterval>{{2, 4, "e\xCC\x81"}}));
  EXPECT_EQ(s.tags[1], (std::vector<TCodedInterval>{{6, 7, "\xC3\xA9"}}));
  EXPECT_EQ(s.OriginalPlace(6), (TTextPosition{1, 17}));
  // A single-byte code page: one byte, one character.
  const CodePageGuard legacy("windows-1252");
  const TStrippedText w = Strip("caf\xE9 <a>\x80x</a>");
  EXPECT_EQ(w.text, U"caf\u00E9 \u20ACx");
  EXPECT_EQ(w.tags[0], (std::vector<TCodedInterval>{{5, 7, "\x80x"}}));
}

TEST_F(StrippedTextTest, EmptyPassagesLoseTheirMarkersStrayMarkersStay) {
  const TStrippedText empty = Strip("x<a> \t</a>y<b></b>");
  EXPECT_EQ(empty.Utf8(), "x \ty");
  EXPECT_EQ(empty.empty_passages, 2);
  EXPECT_TRUE(empty.tags[0].empty());

  // A begin without an end, a same-tag begin inside a passage, an end without a begin.
  const TStrippedText stray = Strip("<a>x <a>y</a> </b> <a>z\n<c1>w");
  EXPECT_EQ(stray.Utf8(), "x <a>y </b> <a>z\n<c1>w");
  EXPECT_EQ(stray.tags[0], (std::vector<TCodedInterval>{{0, 6, "x <a>y"}}));
  ASSERT_EQ(stray.stray_markers.size(), 4u);
  const std::vector<std::pair<TTextPosition, size_t>> expected = {
      {{1, 6}, 0}, {{1, 15}, 1}, {{1, 20}, 0}, {{2, 1}, 3}};
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(stray.stray_markers[i].place, expected[i].first) << i;
    EXPECT_EQ(stray.stray_markers[i].tag, expected[i].second) << i;
  }
  // A tag whose two markers are the same: an unpaired one is one stray marker, not two.
  const TTagArray same = {NamedTag("q", "#", "#")};
  EXPECT_EQ(Strip("#x# y #z", same).stray_markers.size(), 1u);
}

TEST_F(StrippedTextTest, LineEndsBecomeLfAndPlacesAreThoseOfTheOriginal) {
  const TStrippedText s = Strip("l1\r\n<a>l2\r\nl3</a>\r\nl4\rl5");
  EXPECT_EQ(s.Utf8(), "l1\nl2\nl3\nl4\nl5");
  EXPECT_EQ(s.tags[0], (std::vector<TCodedInterval>{{3, 8, "l2\r\nl3"}}));
  EXPECT_EQ(s.OriginalPlace(0), (TTextPosition{1, 1}));
  EXPECT_EQ(s.OriginalPlace(2), (TTextPosition{1, 3}));  // the line end: where its CR stood
  EXPECT_EQ(s.OriginalPlace(3), (TTextPosition{2, 4}));  // after the removed <a>
  EXPECT_EQ(s.OriginalPlace(9), (TTextPosition{4, 1}));
  EXPECT_EQ(s.OriginalPlace(12), (TTextPosition{5, 1}));  // after a lone CR
  EXPECT_EQ(s.OriginalPlace(14), (TTextPosition{5, 3}));  // the end of the text
  // A CR and an LF that meet once a marker between them is gone are one line end.
  EXPECT_EQ(Strip("x\r<a></a>\ny").Utf8(), "x\ny");
}

// What the stripped text must be, worked out character by character from each tag's own
// search: the bytes of every marker of a passage removed, CR LF and CR made LF.
struct TReference {
  std::u32string text;
  std::vector<TTextPosition> places;  // of every stripped offset and the end
};

TReference ReferenceStrip(const std::string& narrow, const std::vector<bool>& removed) {
  // The original's code points, with their byte offsets and places.
  std::vector<std::pair<size_t, char32_t>> chars;
  for (size_t i = 0; i < narrow.size();) {
    size_t length = 1;
    while (i + length < narrow.size() && (narrow[i + length] & 0xC0) == 0x80) ++length;
    chars.push_back({i, U32(narrow.substr(i, length))[0]});
    i += length;
  }
  std::vector<TTextPosition> original_places;
  TTextPosition place;
  for (size_t i = 0; i < chars.size(); ++i) {
    original_places.push_back(place);
    const char32_t c = chars[i].second;
    const bool line_end =
        c == U'\n' || (c == U'\r' && (i + 1 == chars.size() || chars[i + 1].second != U'\n'));
    place =
        line_end ? TTextPosition{place.line + 1, 1} : TTextPosition{place.line, place.column + 1};
  }
  original_places.push_back(place);
  TReference ref;
  for (size_t i = 0; i < chars.size(); ++i) {
    if (removed[chars[i].first]) continue;
    const char32_t c = chars[i].second;
    if (c == U'\n' && !ref.text.empty() && ref.text.back() == U'\r') {
      ref.text.back() = U'\n';
      continue;
    }
    ref.text.push_back(c);
    ref.places.push_back(original_places[i]);
  }
  for (char32_t& c : ref.text) c = c == U'\r' ? U'\n' : c;
  // The end maps to the place after the last original character kept or removed.
  ref.places.push_back(original_places.back());
  return ref;
}

TEST_F(StrippedTextTest, MatchesACharacterByCharacterReferenceOnRandomCodings) {
  const std::vector<std::string> pieces = {
      "<a>", "</a>", "<b>",  "</b>", "<c7>", "</c>",     "#",         "word",
      " ",   "\t",   "\r\n", "\r",   "\n",   "\xC3\xA9", "e\xCC\x81", "\xF0\x9F\x98\x80"};
  // Tags a, b and c; then a with a tag whose two markers are the same, so that passages of
  // two tags cross and share their edges.
  const std::vector<TTagArray> tag_sets = {Tags(),
                                           {NamedTag("a", "<a>", "</a>"), NamedTag("q", "#", "#")}};
  std::mt19937 random(23);
  for (int round = 0; round < 4000; ++round) {
    const TTagArray& tags = tag_sets[round % 2];
    const TTagScanner scanner(tags, "tags.ini");
    std::string narrow;
    // Now and then a text long enough to be decoded in several chunks.
    const int length = static_cast<int>(round % 500 == 0 ? 20000 : random() % 24);
    for (int i = 0; i < length; ++i) narrow += pieces[random() % pieces.size()];
    SCOPED_TRACE(narrow.substr(0, 200));

    std::vector<bool> removed(narrow.size(), false);
    std::vector<std::vector<TPassageSpan>> spans(tags.size());
    for (size_t t = 0; t < tags.size(); ++t) {
      if (IsSkippedTag(tags[t])) continue;
      ForEachTaggedSpan(narrow, tags[t], [&](const TPassageSpan& span) {
        spans[t].push_back(span);
        for (size_t i = span.begin_marker; i < span.text_begin; ++i) removed[i] = true;
        for (size_t i = span.text_end; i < span.end_marker_end; ++i) removed[i] = true;
      });
    }
    const TReference ref = ReferenceStrip(narrow, removed);
    const TStrippedText s = StripMarkers(narrow, tags, scanner);
    ASSERT_EQ(s.text, ref.text);
    for (size_t i = 0; i <= s.text.size(); ++i) {
      ASSERT_EQ(s.OriginalPlace(static_cast<int64_t>(i)), ref.places[i]) << "offset " << i;
    }
    // Each passage's interval holds exactly its trimmed text without the removed markers.
    for (size_t t = 0; t < tags.size(); ++t) {
      std::vector<std::string> expected;
      for (const TPassageSpan& span : spans[t]) {
        std::string visible;
        for (size_t i = span.text_begin; i < span.text_end; ++i) {
          if (!removed[i]) visible += narrow[i];
        }
        if (Trim(std::string_view(narrow).substr(span.text_begin, span.text_end - span.text_begin))
                .empty()) {
          continue;
        }
        TStrippedText part;
        part.text = ReferenceStrip(visible, std::vector<bool>(visible.size())).text;
        expected.push_back(std::string(Trim(part.Utf8())));
      }
      std::vector<std::string> got;
      for (const TCodedInterval& interval : s.tags[t]) got.push_back(IntervalText(s, interval));
      ASSERT_EQ(got, expected) << "tag " << t;
    }
  }
}

// A text far longer than the chunks it is decoded in comes out as its whole decoding, under
// code pages whose characters span chunk edges (one decoded by ICU, with lead bytes).
TEST(StrippedTextChunksTest, ALongTextDecodesAsItsWholeDecoding) {
  std::mt19937 random(29);
  for (const char* code_page : {"UTF-8", "windows-1252", "Shift_JIS"}) {
    const CodePageGuard guard(code_page);
    std::string narrow(300'000, ' ');
    for (char& byte : narrow) {
      do byte = static_cast<char>(random());
      while (byte == '\0' || byte == '\r' || byte == '<' || byte == '#');
    }
    const std::u16string units = ToUnicode(narrow);
    std::u32string expected;
    for (size_t i = 0; i < units.size(); ++i) {
      char32_t c = units[i];
      if (c >= 0xD800 && c <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
          units[i + 1] <= 0xDFFF) {
        c = 0x10000 + ((c - 0xD800) << 10) + (units[++i] - 0xDC00);
      }
      expected.push_back(c);
    }
    EXPECT_TRUE(Strip(narrow).text == expected) << code_page;
  }
}

}  // namespace
}  // namespace farrowdale
