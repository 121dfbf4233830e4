#include "run/tag_scanner.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "regex/pattern_engine.h"
#include "run/tagged_text.h"
#include "run/test_tags.h"
#include "text/code_page.h"

namespace farrowdale {
namespace {

std::string Described(const std::vector<std::vector<TPassageSpan>>& all) {
  std::string text;
  for (const std::vector<TPassageSpan>& spans : all) {
    text += "[";
    for (const TPassageSpan& span : spans) {
      text += std::to_string(span.begin_marker) + "," + std::to_string(span.text_begin) + "," +
              std::to_string(span.text_end) + "," + std::to_string(span.end_marker_end) + ";";
    }
    text += "]";
  }
  return text;
}

// Each tag's matches as a separate engine per tag finds them.
std::string OneEnginePerTag(const std::string& text, const TTagArray& tags) {
  std::vector<std::vector<TPassageSpan>> all;
  for (const TTagInfo& tag : tags) {
    if (IsSkippedTag(tag)) continue;
    std::vector<TPassageSpan>& spans = all.emplace_back();
    ForEachTaggedSpan(text, tag, [&](const TPassageSpan& span) { spans.push_back(span); });
  }
  return Described(all);
}

std::string Scanned(const std::string& text, const TTagArray& tags) {
  return Described(TTagScanner(tags, "tags.ini").Scan(text));
}

bool Compiles(const TTagArray& tags) {
  try {
    TTagScanner(tags, "tags.ini");
    return true;
  } catch (const EPatternError&) {
    return false;
  }
}

// Markers of every kind a tag set holds: literal ones sharing brackets, prefixes of each
// other, parentheses (escaped in a begin marker), real patterns, an empty begin marker (no
// literal at all), end markers that can match empty, and a separator entry that is skipped.
TEST(TagScannerTest, FindsWhatOneEnginePerTagFindsOnRandomTagSetsAndTexts) {
  SetSystemCodePage("windows-1252");
  const std::vector<std::pair<std::string, std::string>> markers = {
      {"<e>", "</e>"},    {"<e", ">"},        {"<ee>", "</e>"}, {"(?i)<E>", "</e>"},
      {"<[ef]>", "</f>"}, {"", "</e>"},       {"e", "e"},       {"<e>|<f>", "</f>"},
      {"(e)", "/e"},      {"<f>", "</f>?"},   {"^<e>", "</e>"}, {"<e>", "(</e>|\r\n)"},
      {"\xe9", "\xc9"},   {"<f>", "(?i)</F"}, {"[e", "</e>"},   {"", ""}};
  const std::string alphabet = "<>/eEfF \r\n\xe9\xc9x";
  std::mt19937 rng(7);
  int compared = 0;
  for (int round = 0; round < 2000; ++round) {
    TTagArray tags;
    for (size_t n = 1 + rng() % 6; n > 0; --n) {
      const auto& [begin, end] = markers[rng() % markers.size()];
      tags.push_back(Tag(begin, end));
    }
    if (rng() % 5 == 0) tags[rng() % tags.size()].Name = "-";
    if (!Compiles(tags)) continue;
    std::string text(rng() % 120, ' ');
    for (char& c : text) c = alphabet[rng() % alphabet.size()];
    if (rng() % 10 == 0) text[rng() % (text.size() + 1) / 2] = '\0';
    ++compared;
    ASSERT_EQ(Scanned(text, tags), OneEnginePerTag(text, tags))
        << "text \"" << text << "\", first tag " << tags[0].BeginMark;
  }
  EXPECT_GT(compared, 1000);
}

// The hits of one tag's begin marker inside another tag's passages and inside its own: tags
// are independent, and within one tag a hit inside a passage starts nothing.
TEST(TagScannerTest, TagsAreSearchedIndependentlyOverTheSameHits) {
  SetSystemCodePage("UTF-8");
  const TTagArray tags = {Tag("<a>", "</a>"), Tag("<a", ">"), Tag("<", "(?i)</B>"),
                          Tag("<a>", "</a>")};
  const std::string text = "<a> x <a>y</a> <b>z</b><B> w </B></a>";
  const std::string want = "[0,3,10,14;][0,2,2,3;6,8,8,9;][0,1,19,23;23,24,29,33;][0,3,10,14;]";
  EXPECT_EQ(Scanned(text, tags), want);
  EXPECT_EQ(OneEnginePerTag(text, tags), want);
}

TEST(TagScannerTest, CompileErrorNamesTheTagTheFileAndTheWholePattern) {
  SetSystemCodePage("windows-1252");
  TTagArray tags = {Tag("<e>", "</e>"), Tag("[EMO", "\\[/EMO\\]"), Tag("x)", "y")};
  tags[1].Name = "emotion";
  tags.insert(tags.begin(), TTagInfo{"-", "[", "", 0, ""});  // skipped, never compiled
  try {
    TTagScanner(tags, "/data/tags.ini");
    FAIL() << "no error";
  } catch (const EPatternError& error) {
    EXPECT_STREQ(error.what(),
                 "Tag \"emotion\" in /data/tags.ini, pattern \"[EMO(.*?)\\[/EMO\\]\": "
                 "Pattern(comp): Unmatched [] (pos 17)");
    EXPECT_EQ(error.ErrorPosition(), 17);
  }
  TTagScanner({Tag("<e>", "</e>"), Tag("(a", "(b)")}, "/data/tags.ini");
}

}  // namespace
}  // namespace farrowdale
