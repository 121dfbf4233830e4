#include "regex/pattern_search.h"

#include <optional>
#include <random>
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

// Every match, slots 0 to 2, as "pos:len" pieces; "error N" when the search throws.
std::string AllMatches(TPatternSearch& search, bool found) {
  std::string out;
  try {
    for (; found; found = search.ExecNext()) {
      for (int slot = 0; slot <= 2; ++slot) {
        out += std::to_string(search.MatchPos(slot)) + ":" + std::to_string(search.MatchLen(slot)) +
               " ";
      }
      out += "| ";
    }
  } catch (const EPatternError& e) {
    out += "error " + std::to_string(e.ErrorNumber());
  }
  return out;
}

std::vector<size_t> Occurrences(const std::string& text, std::string_view literal) {
  std::vector<size_t> at;
  for (size_t p = text.find(literal); p != std::string::npos; p = text.find(literal, p + 1)) {
    at.push_back(p);
  }
  return at;
}

// The answers to the typed questions hold on random subjects: a search among the first
// literal's occurrences finds what Exec finds, a plain literal's matches are its
// non-overlapping occurrences, and a literal pair's matches pair each begin with the next end.
TEST(PatternSearchTest, TypedAnswersAgreeWithTheSearchOnRandomSubjects) {
  const std::vector<std::string> patterns = {
      "<e>(.*?)</e>", "<e>(.*)</e>",      "<e>(.*?)e",     "ee",
      "\\<e",         "<e>|<f>",          "(?i)<e>",       "e(e*?)(<)",
      "<(e|f)>\\1",   "<e>(.*?)\\x00",    "e\\x00",        "x*",
      "e{2}(.?)",     "<e>(e?)(.*?)</e>", "^<e>(.*?)</e>", "<e>([^<]*)</e>",
      "e\\(",         "<e>(.*?)</e>|x"};
  const std::string alphabet = "<>/eEfx(";
  std::mt19937 rng(11);
  for (const std::string& pattern : patterns) {
    const auto compiled = TCompiledPattern::Compile(pattern, TPatternSettings{});
    const std::string_view first = compiled->FirstLiteral();
    const std::optional<std::string> plain = compiled->PlainLiteral();
    const std::optional<TCompiledPattern::LiteralPair> pair = compiled->AsLiteralPair();
    for (int round = 0; round < 300; ++round) {
      std::string subject(rng() % 40, ' ');
      for (char& c : subject) c = alphabet[rng() % alphabet.size()];
      TPatternSearch search(compiled);
      const std::string expected = AllMatches(search, search.Exec(subject));
      const std::vector<size_t> candidates = Occurrences(subject, first);
      TPatternSearch among(compiled);
      ASSERT_EQ(AllMatches(among, among.ExecAmong(subject, candidates)), expected)
          << pattern << " in \"" << subject << "\"";
      std::string derived;
      if (plain) {
        size_t free_from = 0;
        for (const size_t at : Occurrences(subject, *plain)) {
          if (at < free_from) continue;
          free_from = at + plain->size();
          derived +=
              std::to_string(at + 1) + ":" + std::to_string(plain->size()) + " -1:-1 -1:-1 | ";
        }
      } else if (pair) {
        size_t free_from = 0;
        for (const size_t at : Occurrences(subject, pair->begin)) {
          if (at < free_from) continue;
          const size_t text = at + pair->begin.size();
          const size_t end = subject.find(pair->end, text);
          if (end == std::string::npos) break;
          free_from = end + pair->end.size();
          derived += std::to_string(at + 1) + ":" + std::to_string(free_from - at) + " " +
                     std::to_string(text + 1) + ":" + std::to_string(end - text) + " -1:-1 | ";
        }
      } else {
        continue;
      }
      ASSERT_EQ(derived, expected) << pattern << " in \"" << subject << "\"";
    }
  }
  // Which patterns have which shape; a literal with a zero character never matches, so it is
  // neither.
  EXPECT_EQ(TCompiledPattern::Compile("\\<e", {})->PlainLiteral(), "<e");
  EXPECT_EQ(TCompiledPattern::Compile("e\\x00", {})->PlainLiteral(), std::nullopt);
  EXPECT_EQ(TCompiledPattern::Compile("(?i)<e>", {})->PlainLiteral(), std::nullopt);
  EXPECT_EQ(TCompiledPattern::Compile("<e>(.*?)</e>", {})->AsLiteralPair()->end, "</e>");
  EXPECT_FALSE(TCompiledPattern::Compile("<e>(.*?)\\x00", {})->AsLiteralPair());
  EXPECT_FALSE(TCompiledPattern::Compile("<e>(.*)</e>", {})->AsLiteralPair());
  EXPECT_EQ(TCompiledPattern::Compile("<e>|<f>", {})->FirstLiteral(), "");
}

}  // namespace
}  // namespace farrowdale
