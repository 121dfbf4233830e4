#include "regex/pattern_engine.h"

#include <string>

#include "gtest/gtest.h"

namespace farrowdale {
namespace {

// Runs f and returns the message of the EPatternError it raises ("" when none).
template <typename F>
std::string ErrorOf(F f) {
  try {
    f();
  } catch (const EPatternError& e) {
    return e.what();
  }
  return "";
}

// Every match of pattern, as "start:length:group1" pieces, by Exec or by ExecInPlace.
std::string AllMatches(const std::string& pattern, const std::string& subject, bool in_place) {
  TPatternEngine engine;
  engine.SetExpression(pattern);
  std::string result;
  bool found = in_place ? engine.ExecInPlace(subject) : engine.Exec(subject);
  for (; found; found = engine.ExecNext()) {
    result += std::to_string(engine.MatchPos(0)) + ":" + std::to_string(engine.MatchLen(0)) + ":" +
              engine.MatchedText(1) + " ";
  }
  return result;
}

TEST(PatternEngineTest, InPlaceSearchFindsWhatTheCopyingSearchFinds) {
  const std::pair<std::string, std::string> cases[] = {
      {"<e>(.*?)</e>", "x <e> a </e> y <e>b</e><e></e>"},
      {"(a*)", "baab"},
      {"(b)$", std::string("ab\0b", 4)},  // the subject ends at its zero byte
      {"(x)", ""},
  };
  for (const auto& [pattern, subject] : cases) {
    EXPECT_EQ(AllMatches(pattern, subject, true), AllMatches(pattern, subject, false)) << pattern;
  }
  EXPECT_EQ(AllMatches("(b)$", std::string("ab\0b", 4), true), "2:1:b ");
  // The required literal "zz" stops occurring before the last "a": the scan ends there.
  EXPECT_EQ(AllMatches("a(.*?)zz", "a1zz a2 azz3 a", true), "1:4:1 6:6:2 a ");
  // A copying Exec after an in-place one must not write into the caller's text.
  const std::string text = "abc";
  TPatternEngine engine;
  engine.SetExpression("b");
  ASSERT_TRUE(engine.ExecInPlace(text));
  ASSERT_TRUE(engine.Exec("zzb"));
  EXPECT_EQ(text, "abc");
  EXPECT_EQ(engine.MatchPos(0), 3);
}

TEST(PatternEngineTest, ExtractionScanAndSlots) {
  TPatternEngine engine;
  engine.SetExpression("a(.*?)b");
  ASSERT_TRUE(engine.Exec("xa1b a2b"));
  EXPECT_EQ(engine.MatchedText(0), "a1b");
  EXPECT_EQ(engine.MatchedText(1), "1");
  EXPECT_EQ(engine.MatchPos(1), 3);
  EXPECT_EQ(engine.MatchLen(1), 1);
  EXPECT_EQ(engine.CaptureGroupCount(), 1);
  EXPECT_EQ(engine.MatchedText(2), "");
  EXPECT_EQ(engine.MatchedText(15), "");
  EXPECT_EQ(engine.MatchedText(-1), "");
  EXPECT_EQ(engine.MatchPos(15), -1);
  ASSERT_TRUE(engine.ExecNext());
  EXPECT_EQ(engine.MatchedText(1), "2");
  EXPECT_FALSE(engine.ExecNext());
  // A false search leaves every slot unset.
  EXPECT_EQ(engine.MatchedText(0), "");
  EXPECT_EQ(ErrorOf([&] { engine.ExecNext(); }), "Pattern(exec): ExecNext Without Exec[Pos]");
  EXPECT_EQ(engine.LastError(), 1007);
  // A new subject with the same pattern.
  ASSERT_TRUE(engine.Exec("ab"));
  EXPECT_EQ(engine.MatchedText(0), "ab");
}

TEST(PatternEngineTest, SearchFromOffsets) {
  TPatternEngine engine;
  engine.SetExpression("x*");
  EXPECT_EQ(ErrorOf([&] { engine.SearchFrom(1); }), "Pattern(exec): No Input String Specified");
  ASSERT_TRUE(engine.Exec("ab"));
  EXPECT_TRUE(engine.SearchFrom(3));  // the end: an empty match
  EXPECT_EQ(engine.MatchPos(0), 3);
  EXPECT_FALSE(engine.SearchFrom(4));
  EXPECT_EQ(ErrorOf([&] { engine.SearchFrom(0); }), "Pattern(exec): Offset Must Be Greater Then 0");
  // "^" is the subject start, not the search start; "\b" sees the character before it.
  engine.SetExpression("^a");
  ASSERT_TRUE(engine.Exec("aa"));
  EXPECT_FALSE(engine.ExecNext());
  engine.SetExpression("\\ba");
  ASSERT_TRUE(engine.Exec("aa"));
  EXPECT_FALSE(engine.SearchFrom(2));
}

TEST(PatternEngineTest, TextsEndAtTheirFirstZeroByte) {
  TPatternEngine engine;
  engine.SetExpression(std::string_view("b\0c", 3));
  EXPECT_EQ(engine.Expression(), "b");
  EXPECT_FALSE(engine.Exec(std::string_view("a\0b", 3)));
  engine.SetExpression("$");
  ASSERT_TRUE(engine.Exec(std::string_view("ab\0cd", 5)));
  EXPECT_EQ(engine.MatchPos(0), 3);
}

TEST(PatternEngineTest, MissingPatternAndCompileErrors) {
  TPatternEngine fresh;
  EXPECT_EQ(ErrorOf([&] { fresh.Exec("a"); }), "Pattern(exec): Not Assigned Expression Property");
  EXPECT_EQ(fresh.LastError(), 1003);
  // Setting the empty text after a pattern leaves no program either.
  TPatternEngine reused;
  reused.SetExpression("a");
  EXPECT_TRUE(reused.Exec("a"));
  reused.SetExpression("");
  EXPECT_EQ(ErrorOf([&] { reused.Exec("a"); }), "Pattern(exec): Not Assigned Expression Property");
  // A failed compilation leaves no program: every search raises the error again.
  TPatternEngine bad;
  bad.SetExpression("(a");
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(ErrorOf([&] { bad.Exec("a"); }), "Pattern(comp): ParseReg Unmatched () (pos 2)");
  }
  EXPECT_EQ(bad.LastError(), 103);
  EXPECT_EQ(bad.CaptureGroupCount(), 0);
}

TEST(PatternEngineTest, ModifiersAndTheirChanges) {
  TPatternEngine engine;
  EXPECT_EQ(engine.ModifierSet(),
            TPatternEngine::kModifierR | TPatternEngine::kModifierS | TPatternEngine::kModifierG);
  engine.SetExpression("a.c");
  EXPECT_TRUE(engine.Exec("a\nc"));
  // A change of ModifierSet recompiles at the next search.
  engine.SetModifierSet(engine.ModifierSet() & ~TPatternEngine::kModifierS);
  EXPECT_FALSE(engine.Exec("a\nc"));
  engine.SetModifierSet(engine.ModifierSet() | TPatternEngine::kModifierI |
                        TPatternEngine::kModifierM);
  engine.SetExpression("^B");
  ASSERT_TRUE(engine.Exec("a\nb"));
  EXPECT_EQ(engine.MatchPos(0), 3);
}

TEST(PatternEngineTest, LinePairedSeparator) {
  TPatternEngine engine;
  EXPECT_EQ(engine.LinePairedSeparator(), "\r\n");
  for (std::string_view bad : {"a", "aa", "abc"}) {
    EXPECT_EQ(ErrorOf([&] { engine.SetLinePairedSeparator(bad); }),
              "Pattern(comp): LinePairedSeparator must countain two different chars or no chars "
              "at all (pos 0)");
  }
  EXPECT_EQ(engine.LastError(), 128);
  EXPECT_EQ(engine.LinePairedSeparator(), "\r\n");
  engine.SetExpression("(?m)^b");
  ASSERT_TRUE(engine.Exec("a\r\n\nb"));
  EXPECT_EQ(engine.MatchPos(0), 5);
  // With no pair, a CR then an LF are two line breaks.
  engine.SetLinePairedSeparator("");
  engine.SetExpression("(?m)^");
  ASSERT_TRUE(engine.Exec("a\r\nb"));
  ASSERT_TRUE(engine.ExecNext());
  EXPECT_EQ(engine.MatchPos(0), 3);
  // Any pair of two characters works, also ones outside LineBreakSet.
  engine.SetLinePairedSeparator("xy");
  engine.SetExpression("(?m)b$");
  ASSERT_TRUE(engine.Exec("abxyc"));
  EXPECT_EQ(engine.MatchPos(0), 2);
}

TEST(PatternEngineTest, ErrorTexts) {
  EXPECT_EQ(TPatternEngine::ErrorText(0), "No errors");
  EXPECT_EQ(TPatternEngine::ErrorText(106), "Pattern(comp): *+ Operand Could Be Empty");
  EXPECT_EQ(TPatternEngine::ErrorText(1008), "Pattern(exec): GetInputString Without InputString");
  EXPECT_EQ(TPatternEngine::ErrorText(1011), "Pattern(dump): Corrupted Opcode");
  EXPECT_EQ(TPatternEngine::ErrorText(1015), "Pattern(exec): Loop Without LoopEntry !");
  EXPECT_EQ(TPatternEngine::ErrorText(2000), "Pattern(misc): Bad p-code imported");
  EXPECT_EQ(TPatternEngine::ErrorText(117), "Unknown error");
}

}  // namespace
}  // namespace farrowdale
