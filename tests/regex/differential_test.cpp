// Runs the pattern engine and PCRE2 side by side on random patterns and subjects and
// compares every match of the scan the program makes (Exec, then ExecNext while it
// matches): positions of the whole match and of every capture group, and their texts.
//
// FARROWDALE_DIFF_SEED and FARROWDALE_DIFF_PATTERNS override the fixed seed and the number
// of patterns for longer runs.
#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "regex/pattern_engine.h"
#include "regex/pattern_search.h"
#include "tests/regex/random_pattern.h"
#include "text/code_page.h"

namespace farrowdale {
namespace {

constexpr uint32_t kDefaultSeed = 20260107;
constexpr int kDefaultPatterns = 4000;
constexpr int kSubjectsPerPattern = 8;

std::string Escaped(std::string_view bytes) {
  std::string out;
  for (unsigned char c : bytes) {
    if (c == '\\') {
      out += "\\\\";
    } else if (c >= 0x20 && c < 0x7F) {
      out += static_cast<char>(c);
    } else {
      char buffer[8];
      std::snprintf(buffer, sizeof buffer, "\\x%02X", c);
      out += buffer;
    }
  }
  return out;
}

int EnvInt(const char* name, int fallback) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0' ? std::atoi(value) : fallback;
}

// One match as text: "start+length'text'" for slot 0 and every group ("-" when unset),
// start zero-based.
std::string Slot(bool set, size_t start, size_t length, std::string_view text) {
  if (!set) return "-";
  return std::to_string(start) + "+" + std::to_string(length) + "'" + Escaped(text) + "'";
}

// The engine's scan: the number of capture groups, then one line per match; an engine
// error ends it with "error: message".
std::string EngineScan(const std::string& pattern, const std::string& subject, int groups) {
  std::string out;
  try {
    TPatternEngine engine;
    engine.SetExpression(pattern);
    bool matched = engine.Exec(subject);
    out += "groups " + std::to_string(engine.CaptureGroupCount()) + "\n";
    for (; matched; matched = engine.ExecNext()) {
      for (int slot = 0; slot <= groups; ++slot) {
        const int pos = engine.MatchPos(slot);
        const int len = engine.MatchLen(slot);
        if (slot > 0) out += ' ';
        out += Slot(pos >= 1 && len >= 0, pos - 1, len, engine.MatchedText(slot));
      }
      out += '\n';
    }
  } catch (const EPatternError& e) {
    out += std::string("error: ") + e.what() + "\n";
  }
  return out;
}

struct Pcre2Deleter {
  void operator()(pcre2_code* code) const { pcre2_code_free(code); }
  void operator()(pcre2_match_data* data) const { pcre2_match_data_free(data); }
  void operator()(pcre2_match_context* context) const { pcre2_match_context_free(context); }
};

class Peer {
 public:
  explicit Peer(uint32_t match_limit) : match_limit_(match_limit) {}

  // Compiles with '.' matching every byte and '$' only at the very end; false on error.
  bool Compile(const std::string& pattern, std::string* error) {
    int code = 0;
    PCRE2_SIZE offset = 0;
    code_.reset(pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.data()), pattern.size(),
                              PCRE2_DOTALL | PCRE2_DOLLAR_ENDONLY, &code, &offset, nullptr));
    if (!code_) {
      PCRE2_UCHAR buffer[256];
      pcre2_get_error_message(code, buffer, sizeof buffer);
      *error = reinterpret_cast<char*>(buffer) + std::string(" at ") + std::to_string(offset);
      return false;
    }
    data_.reset(pcre2_match_data_create_from_pattern(code_.get(), nullptr));
    // Room for the long subjects: backtracking over 100,000 iterations needs a large heap.
    context_.reset(pcre2_match_context_create(nullptr));
    pcre2_set_heap_limit(context_.get(), 4u << 20);  // KiB
    pcre2_set_match_limit(context_.get(), match_limit_);
    return true;
  }

  // The same scan as EngineScan: after a match, the next search starts at its end, one
  // further when it was empty. False when PCRE2 gave up (match limit).
  bool Scan(const std::string& subject, int groups, std::string* out) {
    uint32_t count = 0;
    pcre2_pattern_info(code_.get(), PCRE2_INFO_CAPTURECOUNT, &count);
    *out += "groups " + std::to_string(count) + "\n";
    size_t offset = 0;
    while (offset <= subject.size()) {
      const int rc = pcre2_match(code_.get(), reinterpret_cast<PCRE2_SPTR>(subject.data()),
                                 subject.size(), offset, 0, data_.get(), context_.get());
      if (rc == PCRE2_ERROR_NOMATCH) break;
      if (rc < 0) return false;
      const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(data_.get());
      for (int slot = 0; slot <= groups; ++slot) {
        const bool set = slot < rc && ovector[2 * slot] != PCRE2_UNSET;
        const size_t start = set ? ovector[2 * slot] : 0;
        const size_t length = set ? ovector[2 * slot + 1] - start : 0;
        if (slot > 0) *out += ' ';
        *out += Slot(set, start, length, std::string_view(subject).substr(start, length));
      }
      *out += '\n';
      offset = ovector[1] + (ovector[0] == ovector[1] ? 1 : 0);
    }
    return true;
  }

 private:
  std::unique_ptr<pcre2_code, Pcre2Deleter> code_;
  std::unique_ptr<pcre2_match_data, Pcre2Deleter> data_;
  std::unique_ptr<pcre2_match_context, Pcre2Deleter> context_;
  uint32_t match_limit_;
};

class DifferentialTest : public ::testing::Test {
 protected:
  // Case mapping follows the code page; ASCII letters are all the generator relies on.
  void SetUp() override { SetSystemCodePage("windows-1252"); }

  // Compares one pattern on the subjects; returns false after reporting a mismatch.
  bool Compare(const std::string& context, const std::string& pattern,
               const std::string& peer_pattern, int groups,
               const std::vector<std::string>& subjects) {
    Peer peer(peer_match_limit_);
    std::string error;
    if (!peer.Compile(peer_pattern, &error)) {
      ADD_FAILURE() << context << "\n  pattern: " << Escaped(pattern)
                    << "\n  PCRE2 pattern: " << Escaped(peer_pattern)
                    << "\n  PCRE2 cannot compile it: " << error;
      return false;
    }
    for (const std::string& subject : subjects) {
      std::string expected;
      if (!peer.Scan(subject, groups, &expected)) {
        ++peer_gave_up_;
        continue;
      }
      const std::string actual = EngineScan(pattern, subject, groups);
      ++compared_;
      if (expected.find('\n') + 1 < expected.size()) ++with_matches_;
      if (actual != expected) {
        ADD_FAILURE() << context << "\n  pattern: " << Escaped(pattern)
                      << "\n  PCRE2 pattern: " << Escaped(peer_pattern)
                      << "\n  subject: " << Escaped(subject) << "\n  engine matches:\n"
                      << actual << "  PCRE2 matches:\n"
                      << expected;
        return false;
      }
    }
    return true;
  }

  void CompareRandomPatterns(int patterns) {
    const uint32_t seed = static_cast<uint32_t>(EnvInt("FARROWDALE_DIFF_SEED", kDefaultSeed));
    RandomPatternGenerator generator(seed);
    int mismatches = 0;
    for (int i = 0; i < patterns && mismatches < 10; ++i) {
      const GeneratedPattern generated = generator.NextPattern();
      std::vector<std::string> subjects;
      for (int s = 0; s < kSubjectsPerPattern; ++s) {
        subjects.push_back(generator.NextSubject(generated));
      }
      const std::string context =
          "seed " + std::to_string(seed) + ", pattern #" + std::to_string(i);
      if (!Compare(context, generated.pattern, generated.peer_pattern, generated.group_count,
                   subjects)) {
        ++mismatches;
      }
    }
    // The comparison means something only when nearly every case ran on both sides.
    EXPECT_GE(compared_, patterns * kSubjectsPerPattern * 95 / 100)
        << "PCRE2 gave up on " << peer_gave_up_;
    EXPECT_GE(with_matches_, compared_ / 3) << "too few subjects match to compare anything";
    std::printf("seed %u: %d scans compared, %d with matches, PCRE2 gave up on %d\n", seed,
                compared_, with_matches_, peer_gave_up_);
  }

  int compared_ = 0;
  int with_matches_ = 0;  // scans that found at least one match
  int peer_gave_up_ = 0;
  uint32_t peer_match_limit_ = 100000000;
};

TEST_F(DifferentialTest, RandomPatternsMatchLikePcre2) {
  CompareRandomPatterns(EnvInt("FARROWDALE_DIFF_PATTERNS", kDefaultPatterns));
}

// The same patterns with failed states remembered from the first backtrack on, so that the
// memo that bounds long searches is checked on every kind of pattern.
TEST_F(DifferentialTest, RandomPatternsMatchLikePcre2WithEveryFailedStateRemembered) {
  regex::SetMemoThresholdForTesting(1);
  CompareRandomPatterns(EnvInt("FARROWDALE_DIFF_PATTERNS", kDefaultPatterns));
  regex::SetMemoThresholdForTesting(0);
}

// The engine against itself: failed states remembered from the first backtrack, and only
// after the usual many (on these subjects mostly never), give the same scans. Long subjects
// made of short ones are included, where PCRE2 is no help (it gives up on some) and where
// the memo meets many states per program point.
TEST_F(DifferentialTest, RememberingFailedStatesChangesNoScan) {
  const uint32_t seed = static_cast<uint32_t>(EnvInt("FARROWDALE_DIFF_SEED", kDefaultSeed));
  RandomPatternGenerator generator(seed + 1);
  const int patterns = EnvInt("FARROWDALE_DIFF_PATTERNS", kDefaultPatterns) / 2;
  int mismatches = 0;
  for (int i = 0; i < patterns && mismatches < 10; ++i) {
    const GeneratedPattern generated = generator.NextPattern();
    std::vector<std::string> subjects;
    std::string long_subject;
    for (int s = 0; s < kSubjectsPerPattern; ++s) {
      subjects.push_back(generator.NextSubject(generated));
      for (int copies = 0; copies < 4; ++copies) long_subject += subjects.back();
    }
    subjects.push_back(long_subject);
    for (const std::string& subject : subjects) {
      regex::SetMemoThresholdForTesting(1);
      const std::string remembered = EngineScan(generated.pattern, subject, generated.group_count);
      regex::SetMemoThresholdForTesting(0);
      const std::string plain = EngineScan(generated.pattern, subject, generated.group_count);
      if (remembered != plain) {
        ++mismatches;
        ADD_FAILURE() << "seed " << seed + 1 << ", pattern #" << i
                      << "\n  pattern: " << Escaped(generated.pattern)
                      << "\n  subject: " << Escaped(subject) << "\n  with the memo:\n"
                      << remembered << "  without:\n"
                      << plain;
        break;
      }
    }
  }
}

// Long subjects: a repeated group backtracks over each of its iterations, so these need the
// engine's backtracking state to grow far beyond what a recursion per iteration could hold.
TEST_F(DifferentialTest, LongSubjectsMatchLikePcre2) {
  std::string ab;
  std::string mixed;
  for (int i = 0; i < 100000; ++i) {
    ab += "ab";
    mixed += (i * 7919) % 3 == 0 ? "b" : "a";
  }
  std::string passage = "<e>";
  for (int i = 0; i < 20000; ++i) passage += "line of text\r\n";
  passage += "</e> tail <e>x</e>";
  EXPECT_TRUE(Compare("long subject", "(ab)*", "(ab)*", 1, {ab, ab + "a"}));
  EXPECT_TRUE(Compare("long subject", "(a|b)+c?", "(a|b)+c?", 1, {mixed}));
  EXPECT_TRUE(Compare("long subject", "((a|b)b?)*?$", "((a|b)b?)*?$", 2, {mixed}));
  EXPECT_TRUE(Compare("long subject", "(ab){2,}a", "(ab){2,}a", 1, {ab + "a"}));
  EXPECT_TRUE(Compare("long subject", "<e>(.*?)</e>", "<e>(.*?)</e>", 1, {passage}));
  EXPECT_TRUE(Compare("long subject", "<e>((.)*?)</e>", "<e>((.)*?)</e>", 2, {passage}));
  EXPECT_EQ(peer_gave_up_, 0);
}

// Patterns that backtrack exponentially or quadratically in a plain backtracker: the engine
// finishes (each within the test's time) and agrees with PCRE2 wherever PCRE2 finishes.
TEST_F(DifferentialTest, BlowUpPatternsMatchLikePcre2) {
  peer_match_limit_ = 1000000;  // PCRE2 gives up on the exponential ones at once
  const std::string as(100000, 'a');
  std::string begins_without_end;
  for (int i = 0; i < 1000; ++i) begins_without_end += "<e> some passage text ";
  EXPECT_TRUE(Compare("blow-up", "(a|aa)+$", "(a|aa)+$", 1, {as, as + "!", "aaa!aa"}));
  EXPECT_TRUE(Compare("blow-up", "(a|aa)+!", "(a|aa)+!", 1, {as + "b", as + "!"}));
  EXPECT_TRUE(Compare("blow-up", "(a+)+b", "(a+)+b", 1, {as + "!b", as + "b", as}));
  EXPECT_TRUE(Compare("blow-up", "(a|a)*c", "(a|a)*c", 1, {as.substr(0, 5000) + "!c"}));
  EXPECT_TRUE(Compare("blow-up", "<e>(.*?)</e >", "<e>(.*?)</e >", 1,
                      {begins_without_end, begins_without_end + "</e >"}));
  EXPECT_TRUE(Compare("blow-up", "<e>(.*)</e >", "<e>(.*)</e >", 1, {begins_without_end}));
  EXPECT_TRUE(Compare("blow-up", "(ab|a){2,5}?c", "(ab|a){2,5}?c", 1, {as.substr(0, 3000)}));
  // A repetition followed by something that is not a literal and never comes (an end marker
  // that is a class, a digit): every start would walk to the end of the subject.
  const std::string digit_then_as = "7" + as.substr(0, 2000) + "<e>";
  EXPECT_TRUE(Compare("blow-up", "<e>(.*?)[0-9]", "<e>(.*?)[0-9]", 1,
                      {begins_without_end, "<e>1" + begins_without_end + "<e>2"}));
  EXPECT_TRUE(Compare("blow-up", "(.*?)[0-9]", "(.*?)[0-9]", 1, {digit_then_as}));
  EXPECT_TRUE(Compare("blow-up", "a*\\d", "a*\\d", 0, {digit_then_as}));
  EXPECT_TRUE(Compare("blow-up", "([^<]*?)<[0-9]", "([^<]*?)<[0-9]", 1,
                      {digit_then_as + "<5", begins_without_end}));
  EXPECT_GE(compared_, 16) << "PCRE2 gave up on " << peer_gave_up_;
}

// The scans the program itself makes, and the dialect's corners, spelled out.
TEST_F(DifferentialTest, FixedCasesMatchLikePcre2) {
  struct Case {
    const char* pattern;
    const char* peer_pattern;
    int groups;
    std::vector<std::string> subjects;
  };
  const Case cases[] = {
      {"<e>(.*?)</e>",
       "<e>(.*?)</e>",
       1,
       {"x <e> a </e> y <e>b</e>", "<e>a\r\nb</e><e></e>", "<e>a<e>b</e>c</e>", "<e>open"}},
      {"a(.*?)b", "a(.*?)b", 1, {"xa1b a2b", "ab", "aab"}},
      {"a(.*)b", "a(.*)b", 1, {"a1b a2b"}},
      {"(.*?)", "(.*?)", 1, {"", "abc"}},
      {"x*", "x*", 0, {"ab", "xa", "", "xx"}},
      {"^a", "^a", 0, {"aa", "ba"}},
      {"a$", "a$", 0, {"a\r\n", "aa"}},
      {"(a|ab){2}c", "(a|ab){2}c", 1, {"aabc", "ababc"}},
      {"(ab){2}", "(ab){2}", 1, {"xababab"}},
      {"(a)|b", "(a)|b", 1, {"b", "ab"}},
      {"\\bfoo\\b", "\\bfoo\\b", 0, {"a foo b", "foo", "foobar", "_foo", "9foo"}},
      {"[]a]+[^]a]", "[]a]+[^]a]", 0, {"]a]b", "aa"}},
      {"[a-c-e]+", "[a-c\\-e]+", 0, {"abc-e d"}},
      {"a{,2}", "a\\{,2\\}", 0, {"a{,2}", "aa"}},
      {"a{2", "a\\{2", 0, {"a{2", "aa"}},
      {"{2}", "\\{2\\}", 0, {"{2}"}},
      {"(?i)a(?-i)b", "(?i)a(?-i)b", 0, {"Ab", "AB"}},
      {"((?i)a)b", "((?i)a)b", 1, {"Ab", "AB"}},
      {"(?-g)a+b*", "a+?b*?", 0, {"aabb"}},
      {"[\xe0-\xff]+", "[\\xE0-\\xFF\\xB8]+", 0, {"\xb8\xe0\xff\xa8"}},
      {"[\xc0-\xdf]", "[\\xC0-\\xDF\\xA8]", 0, {"\xa8\xb8\xc0"}},
      {"[\xe0-\xdf]+", "[\\xC0-\\xFF\\xA8\\xB8]+", 0, {"\xa8\xb8\xc0\xff"}},
      {"(a)\\1", "(a)\\g{1}", 1, {"aa", "ab"}},
      {"\\2(a)", "(*FAIL)(a)", 1, {"aa"}},
      {"(x*)?a", "(x*)?a", 1, {"a", "xxa"}},
      {"(a{1,3})*b", "(a{1,3})*b", 1, {"aaaab"}},
      {"a??a", "a??a", 0, {"aa"}},
      {"x(?#note)y", "x(?#note)y", 0, {"xy"}},
      {"(?m)$", "(?:\\z|(?=[\\r\\n])(?!(?<=\\r)\\n))", 0, {"a\r\nb\nc\r", "\r\n\r\n"}},
      {"(?m)^", "(?:(?<![^\\r\\n])(?!(?<=\\r)\\n))", 0, {"a\r\nb\nc\r", "\r\n\r\n"}},
      {"(?m)^b|x$",
       "(?:(?<![^\\r\\n])(?!(?<=\\r)\\n))b|x(?:\\z|(?=[\\r\\n])(?!(?<=\\r)\\n))",
       0,
       {"a\r\nb", "x\r\n"}},
      {"(?-s)a.c", "a[^\\r\\n]c", 0, {"abc a\nc a\rc"}},
      {"(?x) a b # note", "(?x) a b # note", 0, {"ab a b"}},
      // After a repetition, an alternation: the leftmost branch occurrence is the candidate.
      {"<b>(.*?)(</e>|</f>)",
       "<b>(.*?)(</e>|</f>)",
       2,
       {"<b>x</f>y</e> <b>z</e>", "<b>a</e</f>", "<b><b></e>", "<b>a</e"}},
      {"(.*?)(ab|b|c)", "(.*?)(ab|b|c)", 2, {"xxabc", "cab", ""}},
      {"a(.*)(x|y[0-9])", "a(.*)(x|y[0-9])", 2, {"ay1xay2", "axy", "ay"}},
      {"a(.*?)([0-9]|</e>)", "a(.*?)([0-9]|</e>)", 2, {"a</e5", "ab</e>1", "a"}},
      {"a+?(b|\\d)", "a+?(b|\\d)", 1, {"aaa1", "aab", "ab5"}},
  };
  for (const Case& c : cases) {
    Compare("fixed case", c.pattern, c.peer_pattern, c.groups, c.subjects);
  }
}

// Under the UTF-8 code page, "(?i)" takes every letter's case variants (simple case folding),
// and a quantifier repeats a whole character:
// random letters of several scripts (some with three variants, some whose variants differ in
// length, like "k" and the Kelvin sign), in runs, alternations, groups and under quantifiers,
// scanned side by side with PCRE2 in its UTF mode.
TEST_F(DifferentialTest, CaseInsensitiveLettersOfEveryScriptMatchLikePcre2) {
  SetSystemCodePage("UTF-8");
  // Letters grouped with their case variants; a subject mostly takes the letters of its
  // pattern's groups, in any case, so that most scans find something.
  const std::vector<std::vector<std::string>> variants = {{"a", "A"},
                                                          {"i", "I"},
                                                          {"x"},
                                                          {"k", "K", "\u212A"},
                                                          {"s", "S", "\u017F"},
                                                          {"\u00E9", "\u00C9"},
                                                          {"\u00DF", "\u1E9E"},
                                                          {"\u03C3", "\u03C2", "\u03A3"},
                                                          {"\u01C4", "\u01C5", "\u01C6"},
                                                          {"\u0436", "\u0416"},
                                                          {"\u00B5", "\u03BC", "\u039C"},
                                                          {"\u03C9", "\u03A9", "\u2126"},
                                                          {"\u00E5", "\u00C5", "\u212B"},
                                                          {"\U00010400", "\U00010428"},
                                                          {"\u0130"},
                                                          {"\u0131"},
                                                          {"\u20AC"}};
  const std::vector<std::string> quantifiers = {"", "", "", "?", "+", "*", "{1,2}", "+?"};
  const std::vector<std::string> kept_quantifiers = {"", "", "+", "{1,2}", "+?"};
  std::mt19937 rng(kDefaultSeed);
  const auto below = [&rng](size_t n) {
    return std::uniform_int_distribution<size_t>(0, n - 1)(rng);
  };
  const auto pick = [&below](const auto& from) { return from[below(from.size())]; };
  for (int i = 0; i < 1500; ++i) {
    std::vector<std::vector<std::string>> used;
    const auto letter = [&] {
      used.push_back(pick(variants));
      return pick(used.back());
    };
    std::string pattern;
    int groups = 0;
    for (size_t alternative = below(3) + 1; alternative-- > 0;) {
      bool piece_is_first = true;
      for (size_t piece = below(3) + 1; piece-- > 0;) {
        if (below(5) == 0 && groups < 3) {
          ++groups;
          pattern += "(" + letter() + "|" + letter() + letter() + ")";
        } else {
          pattern += letter();
        }
        // The first piece is never optional: an empty match would be followed by a search
        // one byte on, inside a character, where the two cannot be compared.
        pattern += pick(piece_is_first ? kept_quantifiers : quantifiers);
        piece_is_first = false;
      }
      if (alternative > 0) pattern += "|";
    }
    std::vector<std::string> subjects;
    for (int s = 0; s < 6; ++s) {
      std::string subject;
      for (size_t length = below(14); length > 0; --length) {
        subject += below(5) == 0 ? " " : pick(below(4) == 0 ? pick(variants) : pick(used));
      }
      subjects.push_back(subject);
    }
    // Every fourth pattern without "(?i)": letters then match only themselves, and a
    // quantifier still repeats a whole character.
    const std::string modifier = i % 4 == 3 ? "" : "(?i)";
    if (!Compare("UTF-8 pattern #" + std::to_string(i), modifier + pattern,
                 "(*UTF)" + modifier + pattern, groups, subjects)) {
      break;
    }
  }
  EXPECT_GE(compared_, 1500 * 6 * 95 / 100) << "PCRE2 gave up on " << peer_gave_up_;
  EXPECT_GE(with_matches_, compared_ / 3) << "too few subjects match to compare anything";
  std::printf("UTF-8: %d scans compared, %d with matches\n", compared_, with_matches_);
  // In a single-byte code page, the bytes of a UTF-8 letter are characters of their own.
  SetSystemCodePage("windows-1252");
  EXPECT_TRUE(Compare("windows-1252 bytes", "(?i)\xC3\xA9", "\xC3\xA9", 0, {"\xC3\x89\xC3\xA9"}));
}

}  // namespace
}  // namespace farrowdale
