#include "regex/search_hints.h"

#include "gtest/gtest.h"
#include "regex/pattern_engine.h"

namespace farrowdale::regex {
namespace {

SearchHints HintsOf(std::string_view pattern, Program& program) {
  CompileSettings settings;
  settings.modifiers = TPatternEngine::kDefaultModifiers;
  settings.whitespace_set = " ";
  settings.word_character_set = "a";
  program = Compile(pattern, settings);
  return ComputeSearchHints(program);
}

TEST(SearchHintsTest, StartCharAnchoredAndMustContain) {
  Program p;
  SearchHints h = HintsOf("<e>(.*?)</e>", p);
  EXPECT_EQ(h.start_char, '<');
  EXPECT_EQ(h.start_literal, "<e>");
  EXPECT_TRUE(h.must_contain.empty());  // only for patterns that begin with a repetition
  h = HintsOf("^ab", p);
  EXPECT_TRUE(h.anchored);
  EXPECT_EQ(h.start_char, 0);
  // The longest literal of the top-level chain; of equal lengths the later one.
  h = HintsOf("a*xyz(bcde)q+fgh\\.ijk", p);
  EXPECT_EQ(h.must_contain, "ijk");
  h = HintsOf("(a+|b)cc", p);
  EXPECT_EQ(h.must_contain, "cc");
  // Several top-level alternatives: no start character, anchor or required literal.
  h = HintsOf("ab|cd", p);
  EXPECT_EQ(h.start_char, 0);
  EXPECT_FALSE(h.anchored);
  EXPECT_TRUE(h.must_contain.empty());
}

TEST(SearchHintsTest, LeadCharacters) {
  Program p;
  SearchHints h = HintsOf("(?i)x|[0-1]?y+z|\\bw*$", p);
  for (char c : {'x', 'X', '0', '1', 'y', 'Y', 'w', 'W', '\0'})
    EXPECT_TRUE(h.lead_chars.Has(static_cast<uint8_t>(c))) << c;
  EXPECT_FALSE(h.lead_chars.Has('z'));
  EXPECT_FALSE(h.lead_chars.Has('2'));
  EXPECT_EQ(h.lead_chars.Count(), 9);
  // Loops pass on only when they may repeat zero times.
  EXPECT_EQ(HintsOf("(ab){0,2}c|(de){1,2}f", p).lead_chars.Count(), 3);
  EXPECT_TRUE(HintsOf("a|.", p).lead_chars.IsFull());
  EXPECT_TRUE(HintsOf("a|(b)\\1", p).lead_chars.Has('b'));
  // A line end may stand before any line break, whatever the modifiers: no restriction.
  EXPECT_TRUE(HintsOf("a|(?m)$", p).lead_chars.IsFull());
}

}  // namespace
}  // namespace farrowdale::regex
