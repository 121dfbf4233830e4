// Matching behaviour through the public object: preference order, anchors, classes, case,
// loops, back-references and the limits of the heap-based backtracking.
#include <string>

#include "gtest/gtest.h"
#include "regex/pattern_engine.h"
#include "testing/code_page_guard.h"

namespace farrowdale {
namespace {

// Every match of the scan Exec, ExecNext...: "pos:len" and the groups' texts in brackets.
std::string Scan(std::string_view pattern, std::string_view subject, int modifiers = -1) {
  TPatternEngine engine;
  if (modifiers >= 0) engine.SetModifierSet(modifiers);
  engine.SetExpression(pattern);
  std::string out;
  for (bool found = engine.Exec(subject); found; found = engine.ExecNext()) {
    out += std::to_string(engine.MatchPos(0)) + ":" + std::to_string(engine.MatchLen(0));
    for (int g = 1; g <= engine.CaptureGroupCount(); ++g) out += "[" + engine.MatchedText(g) + "]";
    out += " ";
  }
  return out;
}

bool Matches(std::string_view pattern, std::string_view subject) {
  TPatternEngine engine;
  engine.SetExpression(pattern);
  return engine.Exec(subject);
}

TEST(MatcherTest, PreferenceOrderNotLongestMatch) {
  EXPECT_EQ(Scan("a(.*?)b", "xa1b a2b"), "2:3[1] 6:3[2] ");
  EXPECT_EQ(Scan("a(.*)b", "a1b a2b"), "1:7[1b a2] ");
  EXPECT_EQ(Scan("<(.*?)>", "<a\r\nb>"), "1:6[a\r\nb] ");
  EXPECT_EQ(Scan("a|ab", "ab"), "1:1 ");
  EXPECT_EQ(Scan("(a|ab)(c|bcd)(d*)", "abcd"), "1:4[a][bcd][] ");
  EXPECT_EQ(Scan("(a|ab){2}c", "aabc"), "1:4[ab] ");
  EXPECT_EQ(Scan("(ab){2}", "xababab"), "2:4[ab] ");
  EXPECT_EQ(Scan("a??b", "ab"), "1:2 ");
  EXPECT_EQ(Scan("(a|b)*?c", "abc"), "1:3[b] ");
  EXPECT_EQ(Scan("(ab)+?", "abab"), "1:2[ab] 3:2[ab] ");
  EXPECT_EQ(Scan("(a)|b", "b"), "1:1[] ");
  EXPECT_EQ(Scan("x(a|b)?y", "xy xby"), "1:2[] 4:3[b] ");
  // Without g every quantifier is lazy.
  EXPECT_EQ(Scan("a+", "aaa", TPatternEngine::kModifierS), "1:1 2:1 3:1 ");
  EXPECT_EQ(Scan("(ab)+", "abab", TPatternEngine::kModifierS), "1:2[ab] 3:2[ab] ");
}

TEST(MatcherTest, EmptyMatchesStepOneFurther) {
  EXPECT_EQ(Scan("x*", "ab"), "1:0 2:0 3:0 ");
  EXPECT_EQ(Scan("x*", "xa"), "1:1 2:0 3:0 ");
}

TEST(MatcherTest, AnchorsAndLineBreaks) {
  EXPECT_EQ(Scan("^a", "aa"), "1:1 ");
  EXPECT_FALSE(Matches("a$", "a\r\n"));
  EXPECT_TRUE(Matches("a$", "ba"));
  EXPECT_TRUE(Matches("a.c", "a\nc"));
  EXPECT_FALSE(Matches("(?-s)a.c", "a\nc"));
  EXPECT_EQ(Scan("(?m)^b", "a\r\nb"), "4:1 ");
  // No line start between the CR and the LF of a pair; a lone CR or LF is a line break.
  EXPECT_EQ(Scan("(?m)^", "a\r\nb\rc\n"), "1:0 4:0 6:0 8:0 ");
  EXPECT_EQ(Scan("(?m)$", "a\r\nb\rc"), "2:0 5:0 7:0 ");
  EXPECT_EQ(Scan("(?m)^\\n", "a\r\n"), "");
  // "." without s stops at CR, LF and at the head of the pair.
  EXPECT_EQ(Scan("(?-s).+", "ab\r\ncd"), "1:2 5:2 ");
  EXPECT_EQ(Scan("\\Aa|b\\Z", "aab"), "1:1 3:1 ");
  // Without any line break, "^" under m is the subject start.
  TPatternEngine engine;
  engine.SetLineBreakSet("");
  engine.SetLinePairedSeparator("");
  engine.SetExpression("(?m)^b");
  EXPECT_FALSE(engine.Exec("a\nb"));
}

TEST(MatcherTest, WordBoundaries) {
  EXPECT_EQ(Scan("\\bfoo\\b", "a foo b"), "3:3 ");
  EXPECT_EQ(Scan("\\bfoo\\b", "foo"), "1:3 ");
  EXPECT_EQ(Scan("\\bfoo\\b", "foobar"), "");
  EXPECT_EQ(Scan("\\bfoo\\b", "_foo 1foo"), "");
  EXPECT_EQ(Scan("\\Bo\\B", "foo oo"), "2:1 ");
}

TEST(MatcherTest, ClassesAndEscapes) {
  EXPECT_EQ(Scan("[]a]+", "x]a]"), "2:3 ");
  EXPECT_EQ(Scan("[^]a]+", "]abc"), "3:2 ");
  EXPECT_EQ(Scan("[a-]+", "b-a"), "2:2 ");
  EXPECT_EQ(Scan("[a-c-e]+", "d-abce"), "2:5 ");
  EXPECT_EQ(Scan("[\\d-z]+", "a1-z2y"), "2:4 ");
  EXPECT_EQ(Scan("[\\D]", "1D"), "2:1 ");
  EXPECT_EQ(Scan("[\\x41-\\x43]+", "xABCD"), "2:3 ");
  EXPECT_EQ(Scan("\\d+\\s\\w+\\W", "ab 12 x_9!"), "4:7 ");
  EXPECT_EQ(Scan("\\x41\\x{0041}\\t", "AA\t"), "1:3 ");
  EXPECT_EQ(Scan("\\.\\(\\0", "a.(0"), "2:3 ");
  // A zero character never occurs in a subject.
  EXPECT_EQ(Scan("\\x00", "ab"), "");
  EXPECT_EQ(Scan("a\\x{}?", "ab"), "1:1 ");
}

TEST(MatcherTest, CyrillicRangesUnderR) {
  CodePageGuard code_page("windows-1251");
  EXPECT_TRUE(Matches("[\xE0-\xFF]", "\xB8"));        // the range of small letters adds yo
  EXPECT_TRUE(Matches("[\xC0-\xDF]", "\xA8"));        // capitals add capital yo
  EXPECT_TRUE(Matches("[\xE0-\xDF]", "\xA8"));        // reversed: both groups
  EXPECT_FALSE(Matches("[\xC0-\xFF]", "\xB8"));       // any other range is plain
  EXPECT_FALSE(Matches("(?-r)[\xE0-\xFF]", "\xB8"));  // and so are these without r
  EXPECT_THROW(Matches("(?-r)[\xE0-\xDF]", "a"), EPatternError);
  EXPECT_TRUE(Matches("(?i)\xE0", "\xC0"));
}

TEST(MatcherTest, CaseInsensitivityIsScoped) {
  EXPECT_FALSE(Matches("abc", "ABC"));
  EXPECT_TRUE(Matches("(?i)abc", "aBC"));
  EXPECT_TRUE(Matches("(?i)a(?-i)b", "Ab"));
  EXPECT_FALSE(Matches("(?i)a(?-i)b", "AB"));
  EXPECT_FALSE(Matches("((?i)a)b", "AB"));
  EXPECT_TRUE(Matches("((?i)a)b", "Ab"));
  EXPECT_TRUE(Matches("(?i)(a|b)c", "BC"));  // lasts across "|" to the group's end
  EXPECT_TRUE(Matches("(?i)[a-c]+x", "AbCX"));
  EXPECT_TRUE(Matches("(a)(?i)\\1", "aA"));
  EXPECT_FALSE(Matches("(a)\\1", "aA"));
}

TEST(MatcherTest, BracesAndCountedLoops) {
  EXPECT_EQ(Scan("a{2}", "aaaaa"), "1:2 3:2 ");
  EXPECT_EQ(Scan("a{,2}", "aa{,2}"), "2:5 ");
  EXPECT_EQ(Scan("a{x}", "a{x}"), "1:4 ");
  EXPECT_EQ(Scan("a{2", "aa{2"), "2:3 ");
  EXPECT_EQ(Scan("{2}", "{2}"), "1:3 ");
  EXPECT_EQ(Scan("ab*", "abbab"), "1:3 4:2 ");
  EXPECT_EQ(Scan("(ab)*", "abab"), "1:4[ab] 5:0[] ");
  EXPECT_EQ(Scan("(ab){1,}c", "ababc"), "1:5[ab] ");
  EXPECT_EQ(Scan("(a|bc){2,3}?d", "abcad"), "1:5[a] ");
  // Ten nested counted loops are allowed, an eleventh raises error 1014.
  std::string ten = "a", eleven;
  for (int i = 0; i < 10; ++i) ten = "(" + ten + "){1,2}";
  eleven = "(" + ten + "){1,2}";
  EXPECT_TRUE(Matches(ten, "a"));
  try {
    Matches(eleven, "a");
    ADD_FAILURE() << "eleven loops ran";
  } catch (const EPatternError& e) {
    EXPECT_EQ(e.ErrorNumber(), 1014);
    EXPECT_STREQ(e.what(), "Pattern(exec): Loop Stack Exceeded");
  }
}

TEST(MatcherTest, ExtendedModeAndComments) {
  EXPECT_TRUE(Matches("(?x) a b # note", "ab"));
  EXPECT_TRUE(Matches("(?x)a\\ b", "a b"));
  EXPECT_TRUE(Matches("(?x)[ ]", " "));
  EXPECT_TRUE(Matches("(?x)a # one\n b", "ab"));
  EXPECT_TRUE(Matches("a(?#note)b", "ab"));
}

TEST(MatcherTest, BackReferences) {
  EXPECT_EQ(Scan("(a)\\1", "baa"), "2:2[a] ");
  EXPECT_EQ(Scan("\\2(a)", "aa"), "");
  EXPECT_EQ(Scan("(a)\\10", "aa0"), "1:3[a] ");
  // A repeated back-reference repeats the captured text as a unit.
  EXPECT_EQ(Scan("(ab)\\1*c", "abababc"), "1:7[ab] ");
  EXPECT_EQ(Scan("(ab)\\1{2}?", "abababab"), "1:6[ab] ");
  EXPECT_EQ(Scan("(ab)\\1*?b", "abab"), "");
  // An empty capture repeated by any quantifier or loop neither hangs nor overruns.
  EXPECT_EQ(Scan("(x*)\\1*y", "y"), "1:1[] ");
  EXPECT_EQ(Scan("(x*)(\\1)*y", "y"), "1:1[][] ");
  EXPECT_EQ(Scan("(x*)(\\1)+y", "ay"), "2:1[][] ");
  EXPECT_EQ(Scan("(x*)(\\1)*?y", "y"), "1:1[][] ");
  EXPECT_EQ(Scan("(x*)(\\1){2,}z", "ay"), "");
  EXPECT_EQ(Scan("(x*)\\1{99999999}y", "y"), "1:1[] ");
}

// The backtracking state is on the heap: a loop over a group runs over a long subject.
TEST(MatcherTest, LongSubjectsDoNotExhaustTheStack) {
  std::string ab;
  ab.reserve(10 << 20);
  while (ab.size() < (10u << 20)) ab += "ab";
  TPatternEngine star;
  star.SetExpression("(ab)*");
  ASSERT_TRUE(star.Exec(ab));
  EXPECT_EQ(star.MatchLen(0), static_cast<int>(ab.size()));
  EXPECT_EQ(star.MatchPos(1), static_cast<int>(ab.size()) - 1);
  TPatternEngine plus;
  plus.SetExpression("(a|b)+$");
  ASSERT_TRUE(plus.Exec(ab));
  EXPECT_EQ(plus.MatchLen(0), static_cast<int>(ab.size()));
  EXPECT_EQ(plus.MatchedText(1), "b");
}

// Patterns that a plain backtracker takes exponential or quadratic time on finish with the
// same answers; with back-references, where failed states cannot be remembered, a search
// that runs out of its budget stops with an error instead of hanging.
TEST(MatcherTest, SearchesAreBounded) {
  const std::string as(100000, 'a');
  EXPECT_FALSE(Matches("(a|aa)+$", as + "!"));
  EXPECT_FALSE(Matches("(a+)+b", as + "!b"));
  EXPECT_EQ(Scan("(a+)*b", as + "!b"), "100002:1[] ");
  EXPECT_EQ(Scan("(a|aa)+!", "aaaaa!"), "1:6[a] ");
  EXPECT_EQ(Scan("(ab|a){2,5}?c", "abaaac"), "1:6[a] ");
  // A begin marker whose end marker never comes: one scan for the end, not one per begin.
  std::string begins;
  for (int i = 0; i < 200000; ++i) begins += "<e>text ";
  EXPECT_EQ(Scan("<e>(.*?)</e >", begins), "");
  EXPECT_EQ(Scan("<e>(.*)</e >", begins), "");
  EXPECT_EQ(Scan("<e>(.*?)</e >", begins + "</e >").substr(0, 10), "1:1600005[");
  // Nor when what must follow the repetition is no literal: each start would walk to the end.
  const std::string fewer_begins = begins.substr(0, 400000);
  EXPECT_EQ(Scan("<e>(.*?)[0-9]", fewer_begins), "");
  EXPECT_EQ(Scan("<e>(.*?)[0-9]", fewer_begins + "5").substr(0, 9), "1:400001[");
  EXPECT_EQ(Scan("(.*?)\\d!", "5!" + fewer_begins), "1:2[] ");
  EXPECT_EQ(Scan("[^!]*[0-9]", fewer_begins), "");

  // One passage of 4 MB where every cursor is tried through many program points: a search
  // that once ran out of room for its failed states (error 1018) now finishes.
  std::string passage = "<b>";
  while (passage.size() < 4'000'000) passage += "xyz w\r\n";
  const std::string many_points = "<b>(.*?)(a?a?a?a?a?a?a?a?a?a?a?a?a?a?a?a?.</f>|</e>)";
  const std::string whole = "1:" + std::to_string(passage.size() + 4) + "[";
  EXPECT_EQ(Scan(many_points, passage + "</e>").substr(0, whole.size()), whole);
  EXPECT_EQ(Scan(many_points, passage + "</e"), "");
  EXPECT_EQ(Scan("<b>(.*?)(</e>|</f>)", passage + "</f>").substr(0, whole.size()), whole);

  TPatternEngine engine;
  engine.SetExpression("(a|aa)+\\1$");
  try {
    engine.Exec(std::string(60, 'a') + "b");
    ADD_FAILURE() << "no error";
  } catch (const EPatternError& e) {
    EXPECT_EQ(e.ErrorNumber(), 1018);
    EXPECT_STREQ(e.what(), "Pattern(exec): Search Too Complex (backtracking limit reached)");
  }
}

}  // namespace
}  // namespace farrowdale
