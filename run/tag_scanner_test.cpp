#include "run/tag_scanner.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "regex/pattern_engine.h"
#include "run/tagged_text.h"
#include "text/code_page.h"

namespace farrowdale {
namespace {

TTagInfo Tag(std::string begin, std::string end) {
  TTagInfo tag;
  tag.Name = "t";
  tag.BeginMark = std::move(begin);
  tag.EndMark = std::move(end);
  return tag;
}

// Each tag's passages as a separate engine per tag finds them, or the error it raises.
std::vector<std::vector<std::u16string>> OneEnginePerTag(const std::string& text,
                                                         const TTagArray& tags) {
  std::vector<std::vector<std::u16string>> all;
  for (const TTagInfo& tag : tags) {
    if (IsSkippedTag(tag)) continue;
    TUnicodeStringList list;
    CollectTaggedTextsNarrow(text, tag, list);
    std::vector<std::u16string>& passages = all.emplace_back();
    for (int i = 0; i < list.EntryCount(); ++i) passages.push_back(list.EntryAt(i));
  }
  return all;
}

std::vector<std::vector<std::u16string>> Scanned(const std::string& text, const TTagArray& tags) {
  std::vector<std::vector<std::u16string>> all;
  for (const std::vector<std::string_view>& views : TTagScanner(tags).Scan(text)) {
    std::vector<std::u16string>& passages = all.emplace_back();
    for (std::string_view view : views) passages.push_back(ToUnicode(view));
  }
  return all;
}

// The outcome of a call as text: its result or its error message.
template <typename F>
std::string OutcomeOf(F f) {
  try {
    std::string outcome;
    for (const auto& passages : f()) {
      outcome += "[";
      for (const std::u16string& passage : passages) outcome += ToNarrow(passage) + "|";
      outcome += "]";
    }
    return outcome;
  } catch (const EPatternError& error) {
    return std::string("error: ") + error.what();
  }
}

// Markers of every kind a tag set holds: literal ones sharing brackets, prefixes of each
// other, parentheses (escaped in a begin marker), real patterns, an empty begin marker (no
// literal at all), ones that do not compile, and a separator entry that is skipped.
TEST(TagScannerTest, FindsWhatOneEnginePerTagFindsOnRandomTagSetsAndTexts) {
  SetSystemCodePage("windows-1252");
  const std::vector<std::pair<std::string, std::string>> markers = {
      {"<e>", "</e>"},    {"<e", ">"},       {"<ee>", "</e>"}, {"(?i)<E>", "</e>"},
      {"<[ef]>", "</f>"}, {"", "</e>"},      {"e", "e"},       {"<e>|<f>", "</f>"},
      {"(e)", "/e"},      {"<f>", "</f>?"},  {"^<e>", "</e>"}, {"<e>", "(</e>|\r\n)"},
      {"\xe9", "\xc9"},   {"(?i)\xe9", "e"}, {"[e", "</e>"},   {"<f>", "</f"}};
  const std::string alphabet = "<>/eEf \r\n\xe9\xc9x";
  std::mt19937 rng(7);
  for (int round = 0; round < 2000; ++round) {
    TTagArray tags;
    for (size_t n = 1 + rng() % 6; n > 0; --n) {
      const auto& [begin, end] = markers[rng() % markers.size()];
      tags.push_back(Tag(begin, end));
    }
    if (rng() % 5 == 0) tags.insert(tags.begin() + rng() % tags.size(), Tag("", ""));
    if (rng() % 5 == 0) tags[rng() % tags.size()].Name = "-";
    std::string text(rng() % 120, ' ');
    for (char& c : text) c = alphabet[rng() % alphabet.size()];
    if (rng() % 10 == 0) text[rng() % (text.size() + 1) / 2] = '\0';
    ASSERT_EQ(OutcomeOf([&] { return Scanned(text, tags); }),
              OutcomeOf([&] { return OneEnginePerTag(text, tags); }))
        << "text \"" << text << "\", first tag " << tags[0].BeginMark;
  }
}

// A text where the hits of one tag lie inside another tag's passages and its own: the tags
// are independent, and within one tag a hit inside a passage starts nothing.
TEST(TagScannerTest, TagsAreSearchedIndependentlyOverTheSameHits) {
  SetSystemCodePage("UTF-8");
  const TTagArray tags = {Tag("<a>", "</a>"), Tag("<a", ">"), Tag("<", "(?i)</B>"),
                          Tag("<a>", "</a>")};
  const std::string text = "<a> x <a>y</a> <b>z</b><B> w </B></a>";
  const std::string want = "[x <a>y|][][a> x <a>y</a> <b>z|B> w|][x <a>y|]";
  EXPECT_EQ(OutcomeOf([&] { return Scanned(text, tags); }), want);
  EXPECT_EQ(OutcomeOf([&] { return OneEnginePerTag(text, tags); }), want);
}

}  // namespace
}  // namespace farrowdale
