#include "run/coding_check.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "count/check_summary.h"
#include "count/tag_scanner.h"
#include "tagset/ini_file.h"
#include "tagset/tag_set_check.h"
#include "testing/code_page_guard.h"
#include "testing/scratch_folder.h"
#include "text/error.h"

namespace farrowdale {
namespace {

namespace fs = std::filesystem;

// Checks in-memory texts (as a run's narrow text: every line ended by CR LF) with a tag set
// written to a scratch file; problems come back as the command line prints them, with the
// texts' names in place of paths.
class MarkerCheckTest : public ::testing::Test {
 protected:
  TCheckResult Check(const std::string& ini_text, const std::vector<std::string>& names,
                     unsigned jobs = 0) {
    std::ofstream(dir_ / "tags.ini", std::ios::binary) << ini_text;
    return CheckCoding(dir_ / "tags.ini", std::vector<fs::path>(names.begin(), names.end()),
                       Reader(), jobs);
  }

  // Reads texts_ by name, with the read warnings of warnings_.
  TCheckFileReader Reader() {
    return [this](const fs::path& path) {
      const auto found = texts_.find(path.string());
      if (found == texts_.end()) throw Error("Cannot open file \"" + path.string() + "\".");
      TCheckedFile file{found->second, {}};
      if (const auto warned = warnings_.find(path.string()); warned != warnings_.end()) {
        file.read_warnings.push_back(warned->second);
      }
      return file;
    };
  }

  std::string Line(const TCheckProblem& problem) {
    std::string line = FormatCheckProblem(problem);
    const std::string tag_set = (dir_ / "tags.ini").string();
    if (line.rfind(tag_set, 0) == 0) line = "tags.ini" + line.substr(tag_set.size());
    return line;
  }

  std::vector<std::string> Listing(const TCheckResult& result) {
    std::vector<std::string> lines;
    for (const TCheckProblem& problem : result.problems) lines.push_back(Line(problem));
    for (const TSharedEndNote& note : result.notes) lines.push_back(SharedEndNoteMessage(note));
    lines.push_back(FormatCheckSummary(result));
    return lines;
  }

  const testing_support::ScratchFolder scratch_{"marker_check"};
  const fs::path dir_ = scratch_.path();
  std::map<std::string, std::string> texts_;
  std::map<std::string, std::string> warnings_;
};

using Lines = std::vector<std::string>;

constexpr char kQuoteTag[] = "[quote]\nbegin=<q>\nend=</q>\n";

TEST_F(MarkerCheckTest, EachMarkerProblemWhereTheRunPutsIt) {
  CodePageGuard code_page("windows-1252");
  texts_["unclosed"] = "<q>one\r\ntwo <q>three</q> four\r\n";
  texts_["nested"] = "<q>outer <q>inner</q> rest</q>\r\n";
  texts_["stray"] = "text</q> and <q>fine</q>\r\n";
  texts_["open"] = "<q>fine</q> then <q>never closed\r\n";
  texts_["empty"] = "<q> \r\n </q><q>x</q>\r\n";
  texts_["clean"] = "<q>a</q> <q>b\r\nc</q>\r\n";
  const std::vector<std::string> names = {"unclosed", "nested", "stray", "open", "empty", "clean"};
  const Lines one_thread = Listing(Check(kQuoteTag, names, 1));
  EXPECT_EQ(Listing(Check(kQuoteTag, names, 4)), one_thread);
  EXPECT_EQ(one_thread,
            (Lines{
                "empty:1:1: warning: tag \"quote\": empty passage between \"<q>\" and \"</q>\"; "
                "the run skips it",
                "nested:1:10: warning: tag \"quote\": \"<q>\" inside a passage of the same tag "
                "that starts at 1:1 (nesting): the run ends that passage at the first \"</q>\" at "
                "1:18, so the inner passage is lost and the \"</q>\" at 1:27 closes nothing",
                "open:1:18: warning: tag \"quote\": \"<q>\" has no end marker \"</q>\" after it; "
                "the run takes no passage from here",
                "stray:1:5: warning: tag \"quote\": \"</q>\" has no begin marker \"<q>\" before it",
                "unclosed:1:1: warning: tag \"quote\": \"<q>\" has no end marker before the next "
                "\"<q>\" at 2:5; the run ends this passage only at the \"</q>\" at 2:13",
                "5 problems in 5 of 6 files",
            }));
}

TEST_F(MarkerCheckTest, ColumnsCountCharactersOfTheDecodedText) {
  CodePageGuard code_page("UTF-8");
  texts_["a"] =
      "caf\xC3\xA9 \xE2\x80\x9C\xF0\x9F\x98\x80 \xC2\xAB"
      "cope\xC2\xBB never closed\r\n";
  EXPECT_EQ(Listing(Check("[cope]\nbegin=\xC2\xAB"
                          "cope\xC2\xBB\nend=\xC2\xAB/cope\xC2\xBB\n",
                          {"a"})),
            (Lines{"a:1:9: warning: tag \"cope\": \"\xC2\xAB"
                   "cope\xC2\xBB\" has no end marker "
                   "\"\xC2\xAB/cope\xC2\xBB\" after it; the run takes no passage from here",
                   "1 problem in 1 of 1 file"}));
}

TEST_F(MarkerCheckTest, SameBeginAndEndMarkerIsOneProblemNotTwo) {
  CodePageGuard code_page("windows-1252");
  texts_["a"] = "\"said\" and \"asked\r\n";
  EXPECT_EQ(Listing(Check("[speech]\nbegin=\"\"\"\nend=\"\"\"\n", {"a"})),
            (Lines{"a:1:12: warning: tag \"speech\": \"\"\" has no end marker \"\"\" after it; the "
                   "run takes no passage from here",
                   "1 problem in 1 of 1 file"}));
}

TEST_F(MarkerCheckTest, TagSetErrorsReadWarningsAndUnreadableFiles) {
  CodePageGuard code_page("windows-1252");
  texts_["a"] = "<q>x</q> {{c1}}y{{/c1}}\r\n";
  texts_["b"] = "<q>x</q>\r\n";
  warnings_["b"] = "not valid UTF-8; read as windows-1252";
  const TCheckResult result = Check(std::string(kQuoteTag) +
                                        "[code]\nbegin={{c1}}\nend={{/c1}}\n"
                                        "[again]\nbegin=<q>\nend=</q>\n",
                                    {"a", "b", "missing"});
  EXPECT_EQ(
      Listing(result),
      (Lines{
          "tags.ini:4:1: error: tag \"code\": pattern \"{{c1}}(.*?){{/c1}}\" does not "
          "compile, and a run stops on it: Pattern(comp): *+ Operand Could Be Empty (pos 11)",
          "tags.ini:5:7: warning: begin marker \"{{c1}}\": '{' can start a repeat count such "
          "as {2}; write \\{\\{c1\\}\\} to match \"{{c1}}\"",
          "tags.ini:6:5: warning: end marker \"{{/c1}}\": '{' can start a repeat count such "
          "as {2}; write \\{\\{/c1\\}\\} to match \"{{/c1}}\"",
          "tags.ini:7:1: warning: tag \"again\" has the same markers as tag \"quote\" at line "
          "1; both count the same passages",
          "b:1:1: note: not valid UTF-8; read as windows-1252",
          "missing:1:1: error: Cannot open file \"missing\".",
          "5 problems in the tag set and 1 of 3 files",
      }));
  EXPECT_EQ(result.tags_searched, 1);
}

// A file that cannot be read and one whose markers cannot be searched (a search too complex
// for the engine) are errors of their files in groups of their own; the tags searched before
// the failure keep their problems.
TEST_F(MarkerCheckTest, ReadAndSearchFailuresAreGroupsOfTheirOwn) {
  CodePageGuard code_page("windows-1252");
  texts_["heavy"] = "</q>\r\n" + std::string(60, 'a') + "b\r\n";
  const TCheckResult result =
      Check(std::string(kQuoteTag) + "[heavy]\nbegin=<h>\nend=(a|aa)+\\1$\n", {"heavy", "missing"});
  std::vector<TCheckGroup> file_groups;
  for (const TCheckGroup& group : result.groups) {
    if (group.kind != ECheckKind::kTagSet) file_groups.push_back(group);
  }
  EXPECT_EQ(FormatCheckTable(file_groups),
            (Lines{"tag    kind              problems  files  first at",
                   "-      reading                  1      1  missing:1:1",
                   "-      marker search            1      1  heavy:1:1",
                   "quote  stray end marker         1      1  heavy:1:1"}));
}

TEST_F(MarkerCheckTest, RunMatchesGiveWhatTheCheckFindsOnItsOwn) {
  CodePageGuard code_page("windows-1252");
  const fs::path tag_set = dir_ / "tags.ini";
  std::ofstream(tag_set, std::ios::binary) << kQuoteTag << "[place]\nbegin=<p>\nend=</p>\n";
  const TMarkerCheck check(tag_set);
  // The run's tags in another order, with a separator and a tag the check does not know;
  // "quote" is missing, so the check searches it alone.
  const TTagArray run_tags = {{"other", "<z>", "</z>", 0, "000000"},
                              {"-", "", "", 0, "000000"},
                              {"place", "<p>", "</p>", 0, "000000"}};
  const TTagScanner scanner(run_tags, tag_set);
  const std::vector<std::string> read_warnings = {"not valid UTF-8; read as windows-1252"};
  for (const std::string text :
       {"<q>one <q>two</q> <p>a <p>b</p> c</p>\r\n", "<p> </p></q> <q>x <z>y</z>\r\n",
        "</q> </q> </q> <p>\r\n", "<p>fine</p> <q>fine</q>\r\n"}) {
    std::vector<std::string> own;
    for (const TCheckProblem& problem : check.CheckText("t", text, read_warnings)) {
      own.push_back(FormatCheckProblem(problem));
    }
    const TScannedText scan = scanner.ScanWithMarkerHits(text);
    std::vector<std::string> from_run;
    for (const TCheckProblem& problem :
         check.CheckScannedText("t", text, read_warnings, run_tags, scan)) {
      from_run.push_back(FormatCheckProblem(problem));
    }
    EXPECT_EQ(from_run, own) << text;
    if (text.find("fine") == std::string::npos) {
      EXPECT_GT(own.size(), 2u) << text;
    }
    EXPECT_EQ(own.front(), "t:1:1: note: not valid UTF-8; read as windows-1252");
    // The run's tally: every problem but the note, and the first three by place as listed,
    // though a listing of one problem per tag and kind keeps fewer of some kinds.
    const Lines problems(own.begin() + 1, own.end());
    TCheckOptions one_each;
    one_each.lines_per_group = 1;
    const TCodingCheck coding(check, one_each);
    const TFileCheck file = coding.CheckScannedFile(0, "t", text, run_tags, scan, 3);
    EXPECT_EQ(file.problem_count(), std::ssize(problems));
    Lines first_lines;
    for (const TCheckProblem& problem : file.FirstProblems(3)) {
      first_lines.push_back(FormatCheckProblem(problem));
    }
    EXPECT_EQ(first_lines,
              Lines(problems.begin(), problems.begin() + std::min<size_t>(3, problems.size())))
        << text;
  }
  EXPECT_EQ(check.tags_searched(), 2);
  EXPECT_TRUE(check.tag_set_problems().empty());
}

// The problems of one text as a list of lines, with the marker hits the scan found and with
// every marker searched alone (a run that scanned no tag gives the check nothing).
std::pair<Lines, Lines> BothWays(const TMarkerCheck& check, const std::string& text) {
  Lines scanned, searched;
  for (const TCheckProblem& problem : check.CheckText("t", text, {})) {
    scanned.push_back(FormatCheckProblem(problem));
  }
  for (const TCheckProblem& problem : check.CheckScannedText("t", text, {}, {}, {})) {
    searched.push_back(FormatCheckProblem(problem));
  }
  return {scanned, searched};
}

// Where the scan's literal hits could part from each marker's own search: overlapping
// occurrences, a tag whose two markers are the same, markers after the text's zero byte,
// markers two tags share, a literal marker beside a pattern marker in one tag.
TEST_F(MarkerCheckTest, MarkerHitsFromTheScanGiveWhatEachMarkersOwnSearchGives) {
  CodePageGuard code_page("windows-1252");
  const fs::path tag_set = dir_ / "tags.ini";
  std::ofstream(tag_set, std::ios::binary) << "[pair]\nbegin=aa\nend=zz\n"
                                              "[same]\nbegin=%\nend=%\n"
                                              "[quote]\nbegin=<q>\nend=</q>\n"
                                              "[cite]\nbegin=</q>\nend=<q>\n"
                                              "[mixed]\nbegin=<m>\nend=</m *>\n";
  const TMarkerCheck check(tag_set);
  const std::vector<std::pair<std::string, Lines>> cases = {
      {"aaa",
       {"t:1:1: warning: tag \"pair\": \"aa\" has no end marker \"zz\" after it; the run "
        "takes no passage from here"}},
      {"aaaa zz zz",
       {"t:1:3: warning: tag \"pair\": \"aa\" inside a passage of the same tag that starts "
        "at 1:1 (nesting): the run ends that passage at the first \"zz\" at 1:6, so the inner "
        "passage is lost and the \"zz\" at 1:9 closes nothing"}},
      {"%a% %b",
       {"t:1:5: warning: tag \"same\": \"%\" has no end marker \"%\" after it; the run takes "
        "no passage from here"}},
      {std::string("%a%") + '\0' + " % aaa <q> </q>", {}},
      {"x</q>y",
       {"t:1:2: warning: tag \"quote\": \"</q>\" has no begin marker \"<q>\" before it",
        "t:1:2: warning: tag \"cite\": \"</q>\" has no end marker \"<q>\" after it; the run "
        "takes no passage from here"}},
      {"<m>a</m  > </m> <m>",
       {"t:1:12: warning: tag \"mixed\": \"</m *>\" has no begin marker \"<m>\" before it",
        "t:1:17: warning: tag \"mixed\": \"<m>\" has no end marker \"</m *>\" after it; the run "
        "takes no passage from here"}},
  };
  for (const auto& [text, problems] : cases) {
    const auto [scanned, searched] = BothWays(check, text);
    EXPECT_EQ(scanned, problems) << text;
    EXPECT_EQ(searched, problems) << text;
  }
}

TEST_F(MarkerCheckTest, MarkerHitsFromTheScanGiveWhatEachMarkersOwnSearchGivesOnRandomTexts) {
  CodePageGuard code_page("windows-1252");
  const std::vector<std::pair<std::string, std::string>> markers = {
      {"<e>", "</e>"}, {"<e", "e>"},  {"(?i)<E>", "</e>"}, {"<[ef]>", "</f>"}, {"<e>", "</e>|f"},
      {"(e)", "/e"},   {"e", "e"},    {"ee", "ee"},        {"<f>", "</f>?"},   {"\\<", "\\>"},
      {"</e>", "<e>"}, {"<f>", "/f"}, {"", "</e>"}};
  const std::string alphabet = "<>/eEf ()\r\n";
  std::mt19937 rng(14);
  for (int round = 0; round < 300; ++round) {
    std::string ini;
    for (size_t n = 1 + rng() % 4; n > 0; --n) {
      const auto& [begin, end] = markers[rng() % markers.size()];
      ini += "[t" + std::to_string(n) + "]\nbegin=" + begin + "\nend=" + end + "\n";
    }
    std::ofstream(dir_ / "tags.ini", std::ios::binary | std::ios::trunc) << ini;
    const TMarkerCheck check(dir_ / "tags.ini");
    for (int text_round = 0; text_round < 5; ++text_round) {
      std::string text(rng() % 80, ' ');
      for (char& c : text) c = alphabet[rng() % alphabet.size()];
      if (rng() % 10 == 0) text[rng() % (text.size() + 1) / 2] = '\0';
      const auto [scanned, searched] = BothWays(check, text);
      ASSERT_EQ(scanned, searched) << ini << "text \"" << text << "\"";
    }
  }
}

// An end marker "</NAME>" whose begin marker opens NAME also closes the NAME elements the
// begin marker does not open: a stray one that closes such an opening is a note, not a
// problem. "<rs .../>" and "<rsx>" open no rs element; an opening after the end marker
// cannot be closed by it; one that closes the tag's own opening is a nesting, or a passage
// cut short by another element's end inside it; a tag whose begin marker opens another
// element keeps every stray end marker.
TEST_F(MarkerCheckTest, EndMarkersThatCloseOtherElementsAreSetApart) {
  CodePageGuard code_page("windows-1252");
  const std::string person = "[person]\nbegin=<rs type=\"p\">\nend=</rs>\n";
  texts_["a"] = "<rs type=\"l\">a</rs> <rs type=\"l\"><rs type=\"o\">b</rs></rs></rs>\r\n";
  texts_["b"] = "<rs type=\"l\"/></rs> <rsx>c</rs> </rs><rs type=\"l\">\r\n";
  texts_["c"] = "<rs type=\"l\">\r\n<rs type=\"p\">A <rs type=\"p\">B</rs></rs> C</rs>\r\n";
  texts_["e"] = "<rs type=\"p\">A <rs type=\"l\">B</rs> C</rs>\r\n";
  EXPECT_EQ(Listing(Check(person, {"a", "b", "c", "e"})),
            (Lines{"a:1:58: warning: tag \"person\": \"</rs>\" has no begin marker \"<rs "
                   "type=\"p\">\" before it",
                   "b:1:15: warning: tag \"person\": \"</rs>\" has no begin marker \"<rs "
                   "type=\"p\">\" before it",
                   "b:1:27: warning: tag \"person\": \"</rs>\" has no begin marker \"<rs "
                   "type=\"p\">\" before it",
                   "b:1:33: warning: tag \"person\": \"</rs>\" has no begin marker \"<rs "
                   "type=\"p\">\" before it",
                   "c:2:16: warning: tag \"person\": \"<rs type=\"p\">\" inside a passage of the "
                   "same tag that starts at 2:1 (nesting): the run ends that passage at the "
                   "first \"</rs>\" at 2:30, so the inner passage is lost and the \"</rs>\" at "
                   "2:35 closes nothing",
                   "e:1:37: warning: tag \"person\": \"</rs>\" closes the passage that starts at "
                   "1:1, but the run ends that passage at the \"</rs>\" at 1:30 of another "
                   "element inside it, so the passage is cut short",
                   "tag \"person\": 4 \"</rs>\" close other <rs> elements; not counted as problems",
                   "6 problems in 4 of 4 files"}));
  const std::string begins_other = "[person]\nbegin=<name>\nend=</rs>\n";
  texts_["d"] = "<rs type=\"l\">a</rs>\r\n";
  EXPECT_EQ(Listing(Check(begins_other, {"d"})),
            (Lines{"d:1:15: warning: tag \"person\": \"</rs>\" has no begin marker \"<name>\" "
                   "before it",
                   "1 problem in 1 of 1 file"}));
}

// The listing's limit, its streaming and its workers change what is shown, never what is
// found: every problem is counted by tag and kind with its files and first place, and the
// listed ones are the first of each tag and kind in the full listing's order.
TEST_F(MarkerCheckTest, LimitedListingShowsTheFirstOfEachTagAndKindAndCountsEveryOne) {
  CodePageGuard code_page("windows-1252");
  const std::string ini =
      "[person]\nbegin=<rs type=\"p\">\nend=</rs>\n[place]\nbegin=<rs type=\"l\">\nend=</rs>\n"
      "[hi]\nbegin=<hi>\nend=</hi>\n[x]\nbegin=x\nend=x\n";
  const std::vector<std::string> pieces = {
      "<rs type=\"p\">", "<rs type=\"l\">", "<rs>", "</rs>", "<hi>",
      "</hi>",           "<hi/>",           "x",    " ",     "\r\n"};
  std::mt19937 rng(27);
  std::vector<std::string> names;
  for (int file = 0; file < 12; ++file) {
    std::string text;
    for (size_t n = rng() % 60; n > 0; --n) text += pieces[rng() % pieces.size()];
    names.push_back("f" + std::to_string(file));
    texts_[names.back()] = text;
  }
  texts_["f3"] += "\xff";
  warnings_["f3"] = "read as windows-1252";
  names.push_back("missing");
  const TCheckResult full = Check(ini, names, 1);

  constexpr int64_t kLimit = 2;
  using TKey = std::pair<std::string, ECheckKind>;
  std::map<TKey, int64_t> counts;
  std::map<TKey, std::set<fs::path>> files;
  std::map<TKey, std::string> first;
  Lines expected_listing;
  int64_t counted = 0;
  for (const TCheckProblem& problem : full.problems) {
    // A note (how a file was read) is listed whatever the limit, in no group, counted nowhere.
    if (!ChangesCounts(problem)) {
      expected_listing.push_back(Line(problem));
      continue;
    }
    ++counted;
    const TKey key{problem.tag, problem.kind};
    if (counts[key]++ < kLimit) expected_listing.push_back(Line(problem));
    if (problem.kind != ECheckKind::kTagSet) files[key].insert(problem.path);
    first.emplace(key, Line(problem));
  }
  ASSERT_GT(counts.size(), 6u);
  ASSERT_FALSE(full.notes.empty());

  for (const int64_t limit : {kLimit, int64_t{0}}) {
    TCheckOptions options;
    options.lines_per_group = limit;
    options.jobs = 3;
    Lines streamed;
    options.on_listed = [&](const TCheckProblem& problem) { streamed.push_back(Line(problem)); };
    const TCheckResult limited = CheckCoding(
        dir_ / "tags.ini", std::vector<fs::path>(names.begin(), names.end()), Reader(), options);
    EXPECT_TRUE(limited.problems.empty());
    EXPECT_EQ(streamed, limit == 0 ? Lines{} : expected_listing);
    EXPECT_EQ(limited.problem_count, counted);
    EXPECT_EQ(full.problem_count, counted);
    EXPECT_EQ(FormatCheckSummary(limited), FormatCheckSummary(full));
    ASSERT_EQ(limited.groups.size(), counts.size());
    for (const TCheckGroup& group : limited.groups) {
      const TKey key{group.tag, group.kind};
      EXPECT_EQ(group.count, counts[key]) << group.tag << CheckKindName(group.kind);
      EXPECT_EQ(group.files, static_cast<int>(files[key].size())) << group.tag;
      EXPECT_EQ(Line(group.first), first[key]);
      EXPECT_EQ(group.listed, std::min(limit, group.count));
    }
    ASSERT_EQ(limited.notes.size(), full.notes.size());
    for (size_t i = 0; i < full.notes.size(); ++i) {
      EXPECT_EQ(SharedEndNoteMessage(limited.notes[i]), SharedEndNoteMessage(full.notes[i]));
    }
  }

  // A check made once from the tag set as read (as a strict run and the window hand it in)
  // lists what the check from the path lists, also when it checks the corpus a second time.
  const TMarkerCheck made(dir_ / "tags.ini", CheckTagSet(TIniFile(dir_ / "tags.ini")));
  TCheckOptions every;
  every.lines_per_group = kAllLines;
  every.jobs = 3;
  for (int round = 0; round < 2; ++round) {
    const TCheckResult again =
        CheckCoding(made, std::vector<fs::path>(names.begin(), names.end()), Reader(), every);
    EXPECT_EQ(Listing(again), Listing(full)) << "round " << round;
    EXPECT_EQ(again.tags_searched, full.tags_searched);
  }
}

}  // namespace
}  // namespace farrowdale
