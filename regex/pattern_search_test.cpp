#include "regex/pattern_search.h"

#include <string>
#include <thread>
#include <vector>

#include "gtest/gtest.h"

namespace farrowdale {
namespace {

// Every match's group 1 and its place, as "pos:len:text " pieces.
std::string Passages(TPatternSearch& search, const std::string& subject) {
  std::string out;
  for (bool found = search.Exec(subject); found; found = search.ExecNext()) {
    out += std::to_string(search.MatchPos(1)) + ":" + std::to_string(search.MatchLen(1)) + ":" +
           std::string(search.MatchedView(1)) + " ";
  }
  return out;
}

// What TPatternEngine finds in the same subject.
std::string EnginePassages(const std::string& pattern, const std::string& subject) {
  TPatternEngine engine;
  engine.SetExpression(pattern);
  std::string out;
  for (bool found = engine.Exec(subject); found; found = engine.ExecNext()) {
    out += std::to_string(engine.MatchPos(1)) + ":" + std::to_string(engine.MatchLen(1)) + ":" +
           engine.MatchedText(1) + " ";
  }
  return out;
}

TEST(PatternSearchTest, OneCompiledPatternSearchedBySeveralThreads) {
  const std::string pattern = "<e>(.*?)</e>";
  const auto compiled = TCompiledPattern::Compile(pattern, TPatternSettings{});
  std::vector<std::string> subjects;
  for (int t = 0; t < 4; ++t) {
    std::string subject;
    for (int i = 0; i < 2000 + t; ++i) subject += "x <e>p" + std::to_string(i * t) + "</e>\r\n";
    subject += "<e>open";  // a begin marker without its end
    subjects.push_back(subject);
  }
  std::vector<std::string> results(subjects.size());
  std::vector<std::thread> threads;
  for (size_t t = 0; t < subjects.size(); ++t) {
    threads.emplace_back([&, t] {
      TPatternSearch search(compiled);
      results[t] = Passages(search, subjects[t]);
      results[t] += "| " + Passages(search, subjects[t]);  // a second subject, same object
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (size_t t = 0; t < subjects.size(); ++t) {
    const std::string expected = EnginePassages(pattern, subjects[t]);
    EXPECT_EQ(results[t], expected + "| " + expected) << "thread " << t;
  }
  EXPECT_EQ(compiled->CaptureGroupCount(), 1);
}

TEST(PatternSearchTest, SettingsAreFixedAtCompileTime) {
  TPatternSettings settings;
  settings.modifiers = TPatternEngine::kModifierM | TPatternEngine::kModifierG;
  settings.line_paired_separator = "";
  settings.line_breaks = "|";
  const auto lines = TCompiledPattern::Compile("^(.)", settings);
  TPatternSearch search(lines);
  EXPECT_EQ(Passages(search, "ab|cd\n|e"), "1:1:a 4:1:c 8:1:e ");
  EXPECT_EQ(TCompiledPattern::Compile("a\0b", {})->Dump(),
            "1 Alternative -> 13\n6 Literal \"a\" -> 13\n13 End -> end\n");

  settings.line_paired_separator = "aa";
  try {
    TCompiledPattern::Compile("x", settings);
    ADD_FAILURE() << "no error";
  } catch (const EPatternError& e) {
    EXPECT_EQ(e.ErrorNumber(), 128);
  }
  try {
    TCompiledPattern::Compile("(x", {});
    ADD_FAILURE() << "no error";
  } catch (const EPatternError& e) {
    EXPECT_STREQ(e.what(), "Pattern(comp): ParseReg Unmatched () (pos 2)");
  }
}

TEST(PatternSearchTest, MatchesAreUnsetBeforeAndAfterAFailedSearch) {
  TPatternSearch search(TCompiledPattern::Compile("(b)", {}));
  EXPECT_EQ(search.MatchPos(0), -1);
  EXPECT_EQ(search.MatchedView(1), "");
  const std::string subject = "ab";
  ASSERT_TRUE(search.Exec(subject));
  EXPECT_EQ(search.MatchedView(1).data(), subject.data() + 1);  // a view into the subject
  EXPECT_FALSE(search.ExecNext());
  EXPECT_EQ(search.MatchPos(1), -1);
  EXPECT_EQ(search.MatchLen(0), -1);
  // An empty subject is a subject: only an empty match can be found in it.
  EXPECT_FALSE(search.Exec(std::string()));
  TPatternSearch empty_match(TCompiledPattern::Compile("x*", {}));
  ASSERT_TRUE(empty_match.Exec(std::string()));
  EXPECT_EQ(empty_match.MatchPos(0), 1);
  EXPECT_EQ(empty_match.MatchLen(0), 0);
}

}  // namespace
}  // namespace farrowdale
