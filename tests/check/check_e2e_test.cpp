// farrowdale-cli check through the built program: the coded corpus in corpus/ (one of each
// problem the check finds, and clean files) against golden/problems.txt, a clean corpus, the
// shipped examples, usage errors, and the line count prints when the check would find
// something. Every run is killed after a time bound, so no test can hang.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <string_view>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

#include "testing/file_bytes.h"
#include "testing/process_runner.h"
#include "testing/scratch_folder.h"

namespace farrowdale {
namespace {

namespace fs = std::filesystem;

const fs::path kSourceDir = FARROWDALE_CHECK_SOURCE_DIR;
const fs::path kExamplesDir = FARROWDALE_EXAMPLES_DIR;
constexpr auto kTimeBound = std::chrono::seconds(60);

using testing_support::ReadBytes;
using testing_support::WriteBytes;
using CliResult = testing_support::ProcessResult;

std::string ReplaceAll(std::string text, std::string_view from, std::string_view to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
  return text;
}

class CheckTest : public ::testing::Test {
 protected:
  // Runs farrowdale-cli with args; kills it when it outlives the time bound.
  CliResult Run(std::vector<std::string> args) {
    args.insert(args.begin(), FARROWDALE_CLI_PATH);
    testing_support::ProcessLimits limits;
    limits.time = kTimeBound;
    CliResult result = testing_support::RunProcess(args, limits);
    EXPECT_FALSE(result.timed_out) << "farrowdale-cli did not end within the time bound";
    return result;
  }

  // A copy of the coded corpus of corpus/ in the test's folder.
  fs::path CopyCodedCorpus() {
    const fs::path corpus = root_ / "corpus";
    fs::copy(kSourceDir / "corpus", corpus);
    return corpus;
  }

  const testing_support::ScratchFolder scratch_{"check_e2e"};
  const fs::path root_ = scratch_.path();
};

TEST_F(CheckTest, CodedCorpusGivesEveryProblemInOrder) {
  const fs::path corpus = CopyCodedCorpus();
  const CliResult result = Run({"check", "--code-page", "UTF-8", "--tagset",
                                (corpus / "tagset.ini").string(), corpus.string()});
  EXPECT_EQ(result.exit_code, 1);
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(ReplaceAll(result.out, corpus.string(), "CORPUS"),
            ReadBytes(kSourceDir / "golden" / "problems.txt"));
}

// Letters encoded with elements whose tags share their end markers: "</rs>" closes persons,
// places and organisations alike, "</hi>" every highlight. Those are one note per tag; the
// real slips (a nesting, a begin marker left open before the next, a stray "</date>", a
// "<date/>" the begin marker takes) stay problems.
TEST_F(CheckTest, SharedEndMarkersAreSetApartFromRealSlips) {
  const fs::path corpus = root_ / "corpus";
  fs::copy(kSourceDir / "letters", corpus);
  for (const auto& [option, golden] :
       {std::pair<std::string, std::string>{"--code-page", "letters.txt"},
        {"--summary", "letters_summary.txt"}}) {
    std::vector<std::string> args = {
        "check",        "--code-page", "UTF-8", "--tagset", (corpus / "tagset.ini").string(),
        corpus.string()};
    if (option == "--summary") args.insert(args.begin() + 1, option);
    const CliResult result = Run(args);
    EXPECT_EQ(result.exit_code, 1) << option;
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(ReplaceAll(result.out, corpus.string(), "CORPUS"),
              ReadBytes(kSourceDir / "golden" / golden))
        << option;
  }
}

// Twenty lines per tag and kind, counted over all files in order; --all lists every one,
// and the first twenty it lists are the ones the short listing shows. Every problem counts
// toward the exit status and the summary either way.
TEST_F(CheckTest, ListingStopsAtTwentyPerTagAndKindUnlessAll) {
  std::string strays;
  for (int line = 0; line < 15; ++line) strays += "</e> <e>x</e>\n";
  WriteBytes(root_ / "a.txt", strays);
  WriteBytes(root_ / "b.txt", strays.substr(0, strays.size() * 2 / 3) + "<e>open\n");
  WriteBytes(root_ / "tags.ini", "[emotion]\nbegin=<e>\nend=</e>\n");
  const std::vector<std::string> args = {"check", "--tagset", (root_ / "tags.ini").string(),
                                         (root_ / "b.txt").string(), (root_ / "a.txt").string()};
  const CliResult shown = Run(args);
  std::vector<std::string> all_args = args;
  all_args.insert(all_args.begin() + 1, "--all");
  const CliResult all = Run(all_args);
  EXPECT_EQ(shown.exit_code, 1);
  EXPECT_EQ(all.exit_code, 1);
  const auto lines_of = [](const std::string& out) {
    std::vector<std::string> lines;
    for (size_t at = 0; at < out.size();) {
      const size_t end = out.find('\n', at);
      lines.push_back(out.substr(at, end - at));
      at = end + 1;
    }
    return lines;
  };
  const std::vector<std::string> shown_lines = lines_of(shown.out);
  const std::vector<std::string> all_lines = lines_of(all.out);
  const std::string a = (root_ / "a.txt").string();
  const std::string b = (root_ / "b.txt").string();
  ASSERT_EQ(shown_lines.size(), 21u + 1 + 1 + 3 + 1) << shown.out;
  ASSERT_EQ(all_lines.size(), 26u + 1 + 3 + 1) << all.out;
  // a.txt's 15 strays first, then b.txt's first 5 of 10, then b.txt's open begin marker.
  for (size_t i = 0; i < 20; ++i) EXPECT_EQ(shown_lines[i], all_lines[i]) << i;
  EXPECT_EQ(shown_lines[14].rfind(a + ":15:1: warning:", 0), 0u) << shown_lines[14];
  EXPECT_EQ(shown_lines[19].rfind(b + ":5:1: warning:", 0), 0u) << shown_lines[19];
  EXPECT_EQ(shown_lines[20].rfind(b + ":11:1: warning: tag \"emotion\": \"<e>\" has no end", 0), 0u)
      << shown_lines[20];
  EXPECT_EQ(shown_lines[21], "\u2026 and 5 more: tag \"emotion\", stray end marker (use --all)");
  EXPECT_EQ(all_lines[24].rfind(b + ":10:1: warning:", 0), 0u) << all_lines[24];
  for (const std::vector<std::string>* lines : {&shown_lines, &all_lines}) {
    const size_t table = lines->size() - 3;
    EXPECT_EQ((*lines)[table], "emotion  no end marker            1      1  " + b + ":11:1");
    EXPECT_EQ((*lines)[table + 1], "emotion  stray end marker        25      2  " + a + ":1:1");
    EXPECT_EQ(lines->back(), "26 problems in 2 of 2 files");
  }
}

// A grouping note gathers passages across files as they are listed and follows the problem
// lines, before the table, in the short listing and in --summary alike; it adds no problem.
TEST_F(CheckTest, GroupingNotesFollowTheListingInEveryMode) {
  WriteBytes(root_ / "a.txt", "<e>New York</e>\n");
  WriteBytes(root_ / "b.txt", "<e>x</e> <e>New  York</e>\n</e>\n");
  WriteBytes(root_ / "tags.ini", "[emotion]\nbegin=<e>\nend=</e>\n");
  const std::string note = (root_ / "tags.ini").string() +
                           ":1:1: note: tag \"emotion\": 2 passages differ from another only in "
                           "spaces or line breaks (e.g. b.txt:1:13); --fold-space counts them "
                           "as one\n";
  const std::string stray =
      (root_ / "b.txt").string() + ":2:1: warning: tag \"emotion\": \"</e>\" has no begin marker";
  // Given in reverse: the notes follow the listing's order by path, not the arguments'.
  const CliResult listed = Run({"check", "--tagset", (root_ / "tags.ini").string(),
                                (root_ / "b.txt").string(), (root_ / "a.txt").string()});
  EXPECT_EQ(listed.exit_code, 1);
  EXPECT_EQ(listed.out.rfind(stray, 0), 0u) << listed.out;
  EXPECT_EQ(listed.out.substr(listed.out.find('\n') + 1, note.size() + 1), note + "\n")
      << listed.out;
  const CliResult summary = Run({"check", "--summary", "--tagset", (root_ / "tags.ini").string(),
                                 (root_ / "a.txt").string(), (root_ / "b.txt").string()});
  EXPECT_EQ(summary.exit_code, 1);
  EXPECT_EQ(summary.out.rfind(note, 0), 0u) << summary.out;
  EXPECT_NE(summary.out.find("1 problem in 1 of 2 files"), std::string::npos) << summary.out;
  // Without the stray end marker only the note is left: no problem, exit 0.
  WriteBytes(root_ / "b.txt", "<e>x</e> <e>New  York</e>\n");
  const CliResult notes_only = Run({"check", "--tagset", (root_ / "tags.ini").string(),
                                    (root_ / "a.txt").string(), (root_ / "b.txt").string()});
  EXPECT_EQ(notes_only.exit_code, 0);
  EXPECT_EQ(notes_only.out.rfind(note, 0), 0u) << notes_only.out;
}

TEST_F(CheckTest, CleanCorpusAndTheExamplesGiveOnlyTheSummary) {
  const fs::path corpus = CopyCodedCorpus();
  WriteBytes(root_ / "clean.ini", "[emotion]\nbegin=<e>\nend=</e>\n[place]\nbegin=<p>\nend=</p>\n");
  CliResult result =
      Run({"check", "--code-page", "UTF-8", "--tagset", (root_ / "clean.ini").string(),
           (corpus / "a_clean.txt").string(), (corpus / "g_clean.txt").string()});
  EXPECT_EQ(result.exit_code, 0);
  EXPECT_EQ(result.out, "no problems in 2 files\n");
  EXPECT_EQ(result.err, "");

  result = Run({"check", "--code-page", "UTF-8", "--tagset", (kExamplesDir / "tagset.ini").string(),
                kExamplesDir.string()});
  EXPECT_EQ(result.exit_code, 0);
  EXPECT_EQ(result.out, "no problems in 4 files\n");
}

TEST_F(CheckTest, UsageErrorsExitTwo) {
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"check", "x.txt"},
        {"check", "--tagset", "t.ini"},
        {"check", "--tagset", "t.ini", "--one-file", "x.txt"},
        {"check", "--tagset", "t.ini", "--summary", "--all", "x.txt"},
        {"check", "--tagset"},
        {"check", "--tagset", "t.ini", "--code-page", "no-such-code-page", "x.txt"}}) {
    const CliResult result = Run(args);
    EXPECT_EQ(result.exit_code, 2) << args.back();
    EXPECT_EQ(result.out, "");
    EXPECT_NE(result.err, "");
  }
  const CliResult help = Run({"check", "--help"});
  EXPECT_EQ(help.exit_code, 0);
  EXPECT_EQ(help.out.rfind("Usage: farrowdale-cli check --tagset FILE", 0), 0u);
}

TEST_F(CheckTest, CountPointsToTheCheckOnStderrOnly) {
  const fs::path corpus = CopyCodedCorpus();
  WriteBytes(root_ / "tags.ini", "[emotion]\nbegin=<e>\nend=</e>\n");
  const std::vector<std::string> count = {
      "count", "--templates", FARROWDALE_TEMPLATES_DIR,     "--code-page",
      "UTF-8", "--tagset",    (root_ / "tags.ini").string()};
  std::vector<std::string> args = count;
  args.push_back(corpus.string());
  CliResult result = Run(args);
  EXPECT_EQ(result.exit_code, 0);
  EXPECT_EQ(result.out.find("second(s) used.\n"), result.out.size() - 16) << result.out;
  EXPECT_EQ(
      result.err,
      "4 possible marker problems in 4 of 7 files; run \"farrowdale-cli check\" for the list\n");

  // A clean corpus: nothing on stderr.
  args = count;
  args.push_back((corpus / "a_clean.txt").string());
  result = Run(args);
  EXPECT_EQ(result.exit_code, 0);
  EXPECT_EQ(result.err, "");
}

// The line count prints, worked out from check's last line: the same number of problems,
// with the tag set named apart from the files in the same words.
std::string PointerLineFromCheckOutput(const std::string& check_out) {
  const size_t summary = check_out.rfind('\n', check_out.size() - 2) + 1;
  std::string line = check_out.substr(summary, check_out.size() - 1 - summary);
  const size_t noun = line.find(' ') + 1;
  line.insert(noun, "possible marker ");
  return line + "; run \"farrowdale-cli check\" for the list\n";
}

// What a script tests for: notes about how a file was read leave check's exit code 0 (so
// "check && count" goes on), a folder without texts is said out loud, and every command
// answers --version.
TEST_F(CheckTest, ExitCodesAndMessagesAScriptCanRelyOn) {
  const fs::path corpus = root_ / "texts";
  fs::create_directories(corpus / "empty");
  WriteBytes(corpus / "legacy.txt", "<e>caf\xe9</e>\n");
  WriteBytes(root_ / "tags.ini", "[emotion]\nbegin=<e>\nend=</e>\n");
  const std::vector<std::string> check = {"check", "--code-page", "UTF-8", "--tagset",
                                          (root_ / "tags.ini").string()};
  std::vector<std::string> args = check;
  args.push_back(corpus.string());
  CliResult result = Run(args);
  EXPECT_EQ(result.exit_code, 0) << result.out;
  EXPECT_EQ(result.out.substr(0, result.out.find('\n')),
            (corpus / "legacy.txt").string() + ":1:1: note: not valid UTF-8; read as windows-1252");
  // The same note beside a problem that changes a count: exit 1.
  WriteBytes(corpus / "stray.txt", "a</e>\n");
  EXPECT_EQ(Run(args).exit_code, 1);

  args = {"count",
          "--templates",
          FARROWDALE_TEMPLATES_DIR,
          "--tagset",
          (root_ / "tags.ini").string(),
          (corpus / "empty").string()};
  result = Run(args);
  EXPECT_EQ(result.exit_code, 0);
  EXPECT_EQ(result.err, (corpus / "empty").string() + ": warning: no .txt files here\n");

  for (const std::vector<std::string>& version : {std::vector<std::string>{"--version"},
                                                  {"count", "--version"},
                                                  {"check", "--version"},
                                                  {"match", "--version"}}) {
    result = Run(version);
    EXPECT_EQ(result.exit_code, 0) << version.front();
    EXPECT_EQ(result.out, "farrowdale-cli (Morrow Farrowdale) 1.0\n") << version.front();
  }
}

TEST_F(CheckTest, CountFindsWhatCheckListsWithoutASecondPass) {
  const fs::path corpus = CopyCodedCorpus();
  // The coded corpus with a text read in a guessed encoding and the letters beside it, once
  // with the corpus's faulty tag set (its colour and its tag without a begin marker mended,
  // so that a run takes it), once with a tag set that has only file problems to show, and
  // once with the letters' tag set, whose shared end markers count in neither.
  WriteBytes(corpus / "h_guessed.txt", "<e>caf\xe9</e> <e>open\n");
  for (const char* letter : {"letter_a.txt", "letter_b.txt", "letter_c.txt"}) {
    fs::copy_file(kSourceDir / "letters" / letter, corpus / letter);
  }
  WriteBytes(root_ / "faulty.ini", ReplaceAll(ReplaceAll(ReadBytes(corpus / "tagset.ini"),
                                                         "color=93C7D\r\n", "color=93C7D0\r\n"),
                                              "[note]\r\nend=", "[note]\r\nbegin=<n>\r\nend="));
  WriteBytes(root_ / "tags.ini", "[place]\nbegin=<p>\nend=</p>\n[emotion]\nbegin=<e>\nend=</e>\n");
  for (const fs::path& tag_set :
       {root_ / "faulty.ini", root_ / "tags.ini", kSourceDir / "letters" / "tagset.ini"}) {
    const CliResult check =
        Run({"check", "--code-page", "UTF-8", "--tagset", tag_set.string(), corpus.string()});
    ASSERT_EQ(check.exit_code, 1) << check.err;
    const std::string expected = PointerLineFromCheckOutput(check.out);
    for (const char* jobs : {"1", "3"}) {
      const CliResult count =
          Run({"count", "--templates", FARROWDALE_TEMPLATES_DIR, "--code-page", "UTF-8", "--jobs",
               jobs, "--tagset", tag_set.string(), corpus.string()});
      EXPECT_EQ(count.exit_code, 0) << tag_set << " --jobs " << jobs;
      const size_t line = count.err.find(" possible marker ");
      ASSERT_NE(line, std::string::npos) << count.err;
      EXPECT_EQ(count.err.substr(count.err.rfind('\n', line) + 1), expected)
          << tag_set << " --jobs " << jobs;
      // The tag set's problems come first, in full, as check words them (its listing opens
      // with them; its notes come later).
      std::string tag_set_lines;
      for (size_t at = 0;
           check.out.compare(at, tag_set.string().size() + 1, tag_set.string() + ":") == 0 &&
           check.out.find(": note: ", at) > check.out.find('\n', at);
           at = check.out.find('\n', at) + 1) {
        tag_set_lines += check.out.substr(at, check.out.find('\n', at) + 1 - at);
      }
      EXPECT_EQ(count.err.substr(0, tag_set_lines.size()), tag_set_lines) << tag_set;
    }
  }
}

// --strict: any problem in the tag set or in a text stops the run with nothing written.
TEST_F(CheckTest, StrictCountWritesNothingWhenTheCheckFindsAnything) {
  const fs::path corpus = CopyCodedCorpus();
  WriteBytes(root_ / "tags.ini", "[emotion]\nbegin=<e>\nend=</e>\n");
  WriteBytes(root_ / "typo.ini", "[emotion]\nbegin=<e>\nend=</e>\ncolour=FF0000\n");
  auto strict_count = [&](const fs::path& tag_set, const fs::path& path) {
    return Run({"count", "--strict", "--one-file", "--tables", "--templates",
                FARROWDALE_TEMPLATES_DIR, "--code-page", "UTF-8", "--tagset", tag_set.string(),
                path.string()});
  };
  for (const auto& [tag_set, path, summary] :
       {std::tuple(root_ / "tags.ini", corpus, "4 problems in 4 of 7 files"),
        std::tuple(root_ / "typo.ini", corpus / "a_clean.txt",
                   "1 problem in the tag set and 0 of 1 file")}) {
    const CliResult result = strict_count(tag_set, path);
    EXPECT_EQ(result.exit_code, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_NE(result.err.find(std::string("strict run found ") + summary), std::string::npos)
        << result.err;
    for (const fs::directory_entry& entry : fs::directory_iterator(corpus)) {
      const fs::path extension = entry.path().extension();
      EXPECT_TRUE(extension == ".txt" || extension == ".ini") << entry.path();
    }
  }
  const CliResult clean = strict_count(root_ / "tags.ini", corpus / "a_clean.txt");
  EXPECT_EQ(clean.exit_code, 0) << clean.err;
  EXPECT_TRUE(fs::exists(corpus / "result.htm"));
}

}  // namespace
}  // namespace farrowdale
