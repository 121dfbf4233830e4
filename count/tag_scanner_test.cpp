#include "count/tag_scanner.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "count/tagged_text.h"
#include "count/test_tags.h"
#include "regex/pattern_engine.h"
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

// Where a marker alone matches as the engine's search, restarted after each match, finds it,
// empty matches left out: what the marker check takes.
std::string EngineMarkerHits(const std::string& text, const std::string& marker) {
  TPatternEngine engine;
  engine.SetExpression(marker);
  std::string hits;
  for (bool found = engine.ExecInPlace(text); found; found = engine.ExecNext()) {
    if (engine.MatchLen(0) <= 0) continue;
    const int start = engine.MatchPos(0) - 1;
    hits += std::to_string(start) + "-" + std::to_string(start + engine.MatchLen(0)) + ";";
  }
  return hits;
}

std::string DescribedHits(const std::vector<TMarkerHit>* hits) {
  if (hits == nullptr) return "searched alone";
  std::string text;
  for (const TMarkerHit& hit : *hits) {
    text += std::to_string(hit.start) + "-" + std::to_string(hit.end) + ";";
  }
  return text;
}

// The scan's marker hits, marker by marker: "begin|end" per tag.
std::string ScannedMarkerHits(const TScannedText& scanned) {
  std::string text;
  for (size_t k = 0; k < scanned.spans.size(); ++k) {
    text += "[" + DescribedHits(scanned.BeginMarkerHits(k)) + "|" +
            DescribedHits(scanned.EndMarkerHits(k)) + "]";
  }
  return text;
}

// Markers of every kind a tag set holds: literal ones sharing brackets, prefixes of each
// other, overlapping themselves, parentheses (escaped in a begin marker), an end marker that
// would repeat the passage's group, real patterns, an empty begin marker (no
// literal at all), end markers that can match empty, and a separator entry that is skipped.
TEST(TagScannerTest, FindsWhatOneEnginePerTagFindsOnRandomTagSetsAndTexts) {
  SetSystemCodePage("windows-1252");
  const std::vector<std::pair<std::string, std::string>> markers = {
      {"<e>", "</e>"},    {"<e", ">"},        {"<ee>", "</e>"}, {"(?i)<E>", "</e>"},
      {"<[ef]>", "</f>"}, {"", "</e>"},       {"e", "e"},       {"<e>|<f>", "</f>"},
      {"(e)", "/e"},      {"<f>", "</f>?"},   {"^<e>", "</e>"}, {"<e>", "(</e>|\r\n)"},
      {"\xe9", "\xc9"},   {"<f>", "(?i)</F"}, {"[e", "</e>"},   {"", ""},
      {"ee", "ee"},       {"\\<e", "e\\>"},   {"ee", "e"},      {"<e>", "{2}"},
      {"<e>", "e?"}};
  const std::string alphabet = "<>/eEfF \r\n\xe9\xc9x";
  std::mt19937 rng(7);
  int compared = 0;
  int markers_compared = 0;
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
    const TTagScanner scanner(tags, "tags.ini");
    const TScannedText scanned = scanner.ScanWithMarkerHits(text);
    ASSERT_EQ(Described(scanner.Scan(text)), OneEnginePerTag(text, tags))
        << "text \"" << text << "\", first tag " << tags[0].BeginMark;
    ASSERT_EQ(Described(scanned.spans), OneEnginePerTag(text, tags));
    size_t k = 0;
    for (const TTagInfo& tag : tags) {
      if (IsSkippedTag(tag)) continue;
      for (const auto& [hits, marker] :
           {std::pair(scanned.BeginMarkerHits(k), BeginMarkerPattern(tag)),
            std::pair(scanned.EndMarkerHits(k), tag.EndMark)}) {
        if (hits == nullptr) continue;
        ++markers_compared;
        ASSERT_EQ(DescribedHits(hits), EngineMarkerHits(text, marker))
            << "text \"" << text << "\", marker " << marker;
      }
      ++k;
    }
  }
  EXPECT_GT(compared, 1000);
  EXPECT_GT(markers_compared, 2000);
}

// A marker a user may write when the markers hold pattern characters on purpose or escaped:
// escaped pattern characters, classes, alternations and (?i), never a bare group (a begin
// marker's bare "(" stands for itself, so only such markers read the same in any pattern).
std::string RandomMarker(std::mt19937& rng) {
  static const std::vector<std::string> pieces = {
      "<",    ">",    "/",   "q",   "Q",   "e",   "\\(", "\\)", "\\[", "\\]",
      "\\{",  "\\}",  "\\.", "\\*", "\\+", "\\?", "\\|", "\\^", "\\$", "\\\\",
      "[qe]", "[^<]", ".",   "q?",  "e+",  "|",   "]",   "}"};
  std::string marker = rng() % 6 == 0 ? "(?i)" : "";
  for (size_t n = 1 + rng() % 5; n > 0; --n) marker += pieces[rng() % pieces.size()];
  return marker;
}

// Every match the run counts is one of the engine's own search with the pattern the user
// would try with "match": begin marker, "(.*?)", end marker, as written.
TEST(TagScannerTest, CountsWhatTheEngineFindsForMarkersAsWritten) {
  SetSystemCodePage("windows-1252");
  std::vector<std::pair<std::string, std::string>> markers = {{"\\(q\\)", "\\(/q\\)"},
                                                              {"\\[EMO\\]", "\\[/EMO\\]"},
                                                              {"\\{\\{c1\\}\\}", "\\{\\{/c1\\}\\}"},
                                                              {"\\*note\\*", "\\*/note\\*"},
                                                              {"<q>", "</q>"},
                                                              {"\\$a\\.", "\\$/a\\."},
                                                              {"(?i)<q>", "</q>"},
                                                              {"<q>|<e>", "</q>"},
                                                              {"[<{]q[>}]", "</q>"}};
  const std::string alphabet = "<>/qQeE()[]{}.*+?|^$\\ \r\nc1EMOnot";
  std::mt19937 rng(19);
  int compared = 0;
  for (int round = 0; round < 3000; ++round) {
    TTagArray tags;
    for (size_t n = 1 + rng() % 3; n > 0; --n) {
      if (rng() % 2 == 0) {
        const auto& [begin, end] = markers[rng() % markers.size()];
        tags.push_back(Tag(begin, end));
      } else {
        tags.push_back(Tag(RandomMarker(rng), RandomMarker(rng)));
      }
    }
    if (!Compiles(tags)) continue;
    std::string text;
    // Real marker text between random bytes, so the markers occur often.
    for (size_t n = rng() % 12; n > 0; --n) {
      const std::string sample = "<q>[EMO]{{c1}}*note*(q)$a.</q>[/EMO]{{/c1}}*/note*(/q)$/a.";
      const size_t from = rng() % sample.size();
      text += rng() % 2 == 0 ? sample.substr(from, 1 + rng() % 7)
                             : std::string(1, alphabet[rng() % alphabet.size()]);
    }
    std::vector<std::vector<TPassageSpan>> by_engine;
    for (const TTagInfo& tag : tags) {
      TPatternEngine engine;
      engine.SetExpression(tag.BeginMark + "(.*?)" + tag.EndMark);
      std::vector<TPassageSpan>& spans = by_engine.emplace_back();
      for (bool found = engine.ExecInPlace(text); found; found = engine.ExecNext()) {
        const auto start = static_cast<size_t>(engine.MatchPos(0) - 1);
        const auto end = start + static_cast<size_t>(engine.MatchLen(0));
        const int group = engine.MatchPos(1);
        const size_t text_begin = group < 0 ? end : static_cast<size_t>(group - 1);
        spans.push_back(
            {start, text_begin, group < 0 ? end : text_begin + engine.MatchLen(1), end});
      }
    }
    ++compared;
    ASSERT_EQ(Scanned(text, tags), Described(by_engine))
        << "text \"" << text << "\", begin " << tags[0].BeginMark << " end " << tags[0].EndMark;
  }
  EXPECT_GT(compared, 1500);
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

// Plain literals (escaped characters and the parentheses a begin marker escapes included) are
// found in the scan; a marker with any pattern syntax, a case-insensitive one, or an empty
// one is left to its own search. Overlapping occurrences count as the engine takes them: one
// after the other, each where the last one ends; nothing after the text's zero byte counts.
TEST(TagScannerTest, MarkerHitsOfPlainLiteralsAreTheEnginesOwn) {
  SetSystemCodePage("windows-1252");
  const TTagArray tags = {Tag("aa", "aa"),    Tag("<e>", "</e>"), Tag("(?i)<E>", "</e>"),
                          Tag("(e)", "e\\)"), Tag("\\.", "x|y"),  Tag("", "aa"),
                          Tag("<e>", "aa")};
  const TTagScanner scanner(tags, "tags.ini");
  const std::string text = std::string("aaa<e>.(e) e)</e>aaaa") + '\0' + "aa<e></e>";
  const TScannedText scanned = scanner.ScanWithMarkerHits(text);
  EXPECT_EQ(ScannedMarkerHits(scanned),
            "[0-2;17-19;19-21;|0-2;17-19;19-21;][3-6;|13-17;][searched alone|13-17;]"
            "[7-10;|8-10;11-13;][6-7;|searched alone][searched alone|0-2;17-19;19-21;]"
            "[3-6;|0-2;17-19;19-21;]");
  EXPECT_EQ(Described(scanned.spans), Described(scanner.Scan(text)));
  for (size_t k = 0; k < tags.size(); ++k) {
    if (const auto* hits = scanned.BeginMarkerHits(k)) {
      EXPECT_EQ(DescribedHits(hits), EngineMarkerHits(text, BeginMarkerPattern(tags[k])));
    }
    if (const auto* hits = scanned.EndMarkerHits(k)) {
      EXPECT_EQ(DescribedHits(hits), EngineMarkerHits(text, tags[k].EndMark));
    }
  }
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

// A search error in a text keeps the engine's number and text, and names the tag, the file
// and the line and column (in characters) where the failing attempt started.
TEST(TagScannerTest, SearchErrorsSayWhereInWhichFile) {
  SetSystemCodePage("UTF-8");
  const EPatternError cause("Pattern(exec): Search Too Complex (backtracking limit reached)", 1018,
                            0);
  const ETagSearchError error(cause, "heavy", 12);
  EXPECT_EQ(error.ErrorNumber(), 1018);
  EXPECT_STREQ(error.what(),
               "Tag \"heavy\": Pattern(exec): Search Too Complex (backtracking limit reached)");
  EXPECT_STREQ(error.InFile("/data/one.txt", "first\r\n\xC3\xA9\xC3\xA9 <x>aab").what(),
               "Tag \"heavy\" in /data/one.txt, passage from line 2, column 4: Pattern(exec): "
               "Search Too Complex (backtracking limit reached)");
}

// A search too complex for the engine (a back-reference that would take exponential time) is
// the same error when the scanner tries the tag only at its begin literal's hits, and it says
// where the failing attempt began.
TEST(TagScannerTest, ASearchTooComplexIsTheEnginesError) {
  SetSystemCodePage("windows-1252");
  const std::string text = "first line\n<e>" + std::string(60, 'a') + "b";
  const TTagInfo tag = Tag("<e>", "(a|aa)+\\2$");
  int engine_error = 0;
  try {
    ForEachTaggedSpan(text, tag, [](const TPassageSpan&) {});
  } catch (const EPatternError& error) {
    engine_error = error.ErrorNumber();
  }
  EXPECT_EQ(engine_error, 1018);
  try {
    TTagScanner(TTagArray{tag}, "tags.ini").Scan(text);
    ADD_FAILURE() << "no error";
  } catch (const ETagSearchError& error) {
    EXPECT_EQ(error.ErrorNumber(), 1018);
    const std::string message = error.InFile("one.txt", text).what();
    EXPECT_NE(message.find("passage from line 2, column 1: "), std::string::npos) << message;
  }
}

}  // namespace
}  // namespace farrowdale
