// Runs through farrowdale-cli count that try to hurt the user's files or to hang: planted
// links, things that are not files, writes that fail half-way, two runs at once, two texts
// with one report name, and files that can only be read by a guess. Every case compares the
// corpus before and after, and every run is bounded in time.
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <map>
#include <string>
#include <vector>

#include "tests/e2e/e2e_support.h"

namespace {

using namespace farrowdale::e2e;

constexpr char kTags[] = "[e]\r\nbegin=<e>\r\nend=</e>\r\n";
constexpr char kCounts[] = "result_counts.csv";
constexpr char kPassages[] = "result_passages.csv";
constexpr char kOneTagSetProblem[] =
    "1 possible marker problem in the tag set and 0 of 1 file; run \"farrowdale-cli check\" for "
    "the list\n";
// Short enough that a hang shows as a failure long before CI's own limit.
const RunLimits kQuick = [] {
  RunLimits limits;
  limits.time = std::chrono::seconds(20);
  return limits;
}();

class FileSafetyTest : public CountFixture {
 protected:
  void SetUp() override {
    CountFixture::SetUp();
    WriteBytes(tag_set_, kTags);
  }
  // The error a run must stop with, nothing on stdout.
  void ExpectError(const CliResult& result, const std::string& message) {
    EXPECT_EQ(result.exit_code, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, message + "\n");
  }
  std::string Path(const std::string& name) const { return (corpus_ / name).string(); }
};

TEST_F(FileSafetyTest, APlantedLinkIsNeverWrittenThrough) {
  fs::create_directory(corpus_ / "sub");
  WriteBytes(corpus_ / "sub" / "interview2.txt", "<e>mine</e>\r\n");
  WriteBytes(corpus_ / "a.txt", "<e>x</e>\r\n");
  WriteBytes(corpus_ / "b.txt", "<e>y</e>\r\n");
  fs::create_symlink(corpus_ / "sub" / "interview2.txt", corpus_ / "b_result.htm");
  fs::create_symlink(corpus_ / "sub" / "interview2.txt", corpus_ / "result.htm");
  const auto before = Snapshot(corpus_);

  // Checked before anything is written: not even a's report appears.
  ExpectError(Count({"--tagset", tag_set_.string(), corpus_.string()}, kQuick),
              "Cannot create file \"" + Path("b_result.htm") +
                  "\". It is a symbolic link, not a regular file.");
  ExpectError(Count({"--tagset", tag_set_.string(), "--one-file", corpus_.string()}, kQuick),
              "Cannot create file \"" + Path("result.htm") +
                  "\". It is a symbolic link, not a regular file.");
  EXPECT_EQ(ChangedNames(before, Snapshot(corpus_)), "");
}

TEST_F(FileSafetyTest, AWriteThatFailsHalfWayLeavesThePreviousReport) {
  WriteBytes(corpus_ / "a.txt", "<e>x</e>\r\n");
  for (const bool one_file : {false, true}) {
    const std::string report = Path(one_file ? "result.htm" : "a_result.htm");
    std::vector<std::string> args = {"--tagset", tag_set_.string(), corpus_.string()};
    if (one_file) args.push_back("--one-file");
    ExpectSuccess(Count(args, kQuick));
    const auto before = Snapshot(corpus_);
    ASSERT_LT(before.at(fs::path(report).filename().string()).size(), 4000u);

    // The new report outgrows the file-size limit, as on a disk that fills up.
    WriteBytes(corpus_ / "a.txt", "<e>" + std::string(3000, 'y') + "</e>\r\n");
    RunLimits limits = kQuick;
    limits.file_size = 4000;
    ExpectError(Count(args, limits), "Cannot create file \"" + report + "\". File too large");
    auto after = Snapshot(corpus_);
    after["a.txt"] = before.at("a.txt");
    EXPECT_EQ(ChangedNames(before, after), "") << "old report changed or temporary file left";
    WriteBytes(corpus_ / "a.txt", "<e>x</e>\r\n");
  }
}

// Two runs that write different combined reports and tables into one folder at once: the
// outputs left are one run's three files whole, never a mix of the two runs, a cut or a
// report with two endings. A run that finds the folder busy waits and says so.
TEST_F(FileSafetyTest, TwoRunsAtOnceLeaveOneRunsOutputsWhole) {
  for (int i = 0; i < 40; ++i) {
    WriteBytes(corpus_ / ("t" + std::to_string(i) + ".txt"),
               "<e>" + std::string(2000 + i, 'w') + "</e>\r\n");
  }
  const std::vector<std::string> all = {"--code-page",     "windows-1252", "--tagset",
                                        tag_set_.string(), "--one-file",   "--tables",
                                        corpus_.string()};
  std::vector<std::string> some = all;
  some.insert(some.end(), {"--filter", "t1"});
  const char* outputs[] = {"result.htm", kCounts, kPassages};
  std::string alone[2];
  for (int i = 0; i < 2; ++i) {
    ExpectSuccess(Run(CountCommand(i == 0 ? all : some), kQuick));
    for (const char* output : outputs) alone[i] += ReadBytes(corpus_ / output) + "|";
  }
  ASSERT_NE(alone[0], alone[1]);
  auto texts = Snapshot(corpus_);
  for (const char* output : outputs) texts.erase(output);
  const std::string waiting = "waiting for another run writing in " + corpus_.string() + "\n";
  // Many rounds, bounded in time: a race shows in a few of them, if at all.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  int waited = 0;
  for (int round = 0; round < 30 && std::chrono::steady_clock::now() < deadline; ++round) {
    const auto results = RunConcurrently({CountCommand(all), CountCommand(some)}, kQuick);
    for (const CliResult& result : results) {
      ExpectSuccess(result, result.err == waiting ? waiting : "");
      waited += result.err == waiting ? 1 : 0;
    }
    std::string left;
    for (const char* output : outputs) left += ReadBytes(corpus_ / output) + "|";
    EXPECT_TRUE(left == alone[0] || left == alone[1]) << "round " << round << ": mixed outputs";
    auto after = Snapshot(corpus_);
    for (const char* output : outputs) after.erase(output);
    EXPECT_EQ(ChangedNames(texts, after), "") << "round " << round;
  }
  // With --no-wait a run that finds the folder busy stops; whether one does is up to timing.
  for (const CliResult& result : RunConcurrently({CountCommand(all), CountCommand([&] {
                                                    auto args = some;
                                                    args.push_back("--no-wait");
                                                    return args;
                                                  }())},
                                                 kQuick)) {
    if (result.exit_code != 0) {
      EXPECT_EQ(result.err, "Another run is writing in " + corpus_.string() + ".\n");
    }
  }
  RecordProperty("rounds_that_waited", waited);
}

// A disk that fills up while the passages table is written: the report and the counts table
// of the same run were complete, yet all three keep the previous run's bytes.
TEST_F(FileSafetyTest, AFullDiskDuringTheTablesLeavesEveryOutputAsItWas) {
  WriteBytes(corpus_ / "a.txt", "<e>once</e>\r\n");
  const std::vector<std::string> args = {"--tagset", tag_set_.string(), "--one-file", "--tables",
                                         corpus_.string()};
  ExpectSuccess(Count(args, kQuick));
  const auto before = Snapshot(corpus_);
  std::string many;
  for (int i = 0; i < 2000; ++i) many += "<e>the same passage</e>\r\n";
  WriteBytes(corpus_ / "a.txt", many);
  RunLimits limits = kQuick;
  limits.file_size = 20000;  // the report and counts fit, the passages table does not
  ExpectError(Count(args, limits),
              "Cannot create file \"" + Path(kPassages) + "\". File too large");
  auto after = Snapshot(corpus_);
  after["a.txt"] = before.at("a.txt");
  EXPECT_EQ(ChangedNames(before, after), "") << "an output changed or a temporary was left";
}

// A run killed while it writes leaves its temporaries; the next run in that folder removes
// them, and only temporaries of processes that are gone.
TEST_F(FileSafetyTest, ARunAfterAKilledOneRemovesItsTemporaries) {
  for (int i = 0; i < 3000; ++i) {
    WriteBytes(corpus_ / ("t" + std::to_string(10000 + i) + ".txt"),
               "<e>" + std::to_string(i) + "</e> <e>x</e>\r\n");
  }
  farrowdale::testing_support::ChildProcess child(
      CountCommand({"--tagset", tag_set_.string(), "--jobs", "1", corpus_.string()}), kQuick);
  const auto is_temporary = [](const fs::path& path) {
    return path.filename().string().rfind(".farrowdale-", 0) == 0;
  };
  const auto temporaries = [&] {
    size_t count = 0;
    for (const auto& entry : fs::directory_iterator(corpus_)) count += is_temporary(entry.path());
    return count;
  };
  bool seen = false;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!seen && std::chrono::steady_clock::now() < deadline) {
    seen = temporaries() > 0;
    if (!seen && child.Ended()) break;
  }
  child.Kill();
  ASSERT_TRUE(seen) << "the run ended before it could be killed while writing";
  ASSERT_GT(temporaries(), 0u);
  // Names like ours that are not stale stay: this process's, and one that is no temporary.
  const std::string mine = ".farrowdale-" + std::to_string(::getpid()) + "-0123456789abcdef.tmp";
  WriteBytes(corpus_ / mine, "alive");
  WriteBytes(corpus_ / ".farrowdale-1-notours.tmp", "user file");

  ExpectSuccess(Count({"--tagset", tag_set_.string(), corpus_.string()}, kQuick));
  EXPECT_EQ(temporaries(), 2u);
  EXPECT_EQ(ReadBytes(corpus_ / mine), "alive");
  EXPECT_EQ(ReadBytes(corpus_ / ".farrowdale-1-notours.tmp"), "user file");
  fs::remove(corpus_ / mine);
}

// The temporary name does not grow with the report's: a report name of 250 bytes, close to
// the file system's limit of 255, is written.
TEST_F(FileSafetyTest, ALongReportNameIsWritten) {
  const std::string stem(239, 'n');
  WriteBytes(corpus_ / (stem + ".txt"), "<e>x</e>\r\n");
  ASSERT_EQ((stem + "_result.htm").size(), 250u);
  ExpectSuccess(Count({"--tagset", tag_set_.string(), corpus_.string()}, kQuick));
  EXPECT_TRUE(fs::exists(corpus_ / (stem + "_result.htm")));
}

// A shared tag set cannot place markup in a report: not through a tag's name, nor through
// what follows a colour's six digits. The check names the tail.
TEST_F(FileSafetyTest, TagSetTextNeverBecomesMarkupInAReport) {
  WriteBytes(tag_set_,
             "[<meta http-equiv=\"refresh\" content=\"0;url=evil.html\">]\r\nbegin=<e>\r\n"
             "end=</e>\r\ncolor=C0392B\"><b id=x>\r\n");
  WriteBytes(corpus_ / "a.txt", "<e>x</e>\r\n");
  const std::string tail_problem = tag_set_.string() +
                                   ":4:13: warning: colour \"C0392B\"><b id=x>\" of tag \"<meta "
                                   "http-equiv=\"refresh\" content=\"0;url=evil.html\">\" has 10 "
                                   "characters after its six digits; they are ignored\n";
  for (const bool one_file : {false, true}) {
    std::vector<std::string> args = {"--tagset", tag_set_.string(), corpus_.string()};
    if (one_file) args.push_back("--one-file");
    // The count prints the tag set's problem first, as the check does.
    ExpectSuccess(Count(args, kQuick), tail_problem + kOneTagSetProblem);
    const std::string report =
        ReadableUtf16Le(ReadBytes(corpus_ / (one_file ? "result.htm" : "a_result.htm")));
    EXPECT_EQ(report.find("<meta"), std::string::npos);
    EXPECT_EQ(report.find("<b id"), std::string::npos);
    EXPECT_NE(report.find("&lt;meta http-equiv"), std::string::npos);
    EXPECT_NE(report.find("color=\"#C0392B\">"), std::string::npos);
  }
  const CliResult check =
      Run({CountCommand({})[0], "check", "--tagset", tag_set_.string(), Path("a.txt")}, kQuick);
  EXPECT_NE(check.out.find(tail_problem), std::string::npos) << check.out;
}

// Names from the file system cannot forge a line of output or drive the terminal, and output
// that cannot be written is an error, never a silent success.
TEST_F(FileSafetyTest, OutputIsOneLinePerProblemAndItsFailureIsAnError) {
  const std::string name = "a\nforged.txt:9:9: error: fake\x1B[2J.txt";
  WriteBytes(corpus_ / name, "<e>open\r\n");
  const std::string cli = CountCommand({})[0];
  const CliResult check =
      Run({cli, "check", "--tagset", tag_set_.string(), corpus_.string()}, kQuick);
  EXPECT_EQ(check.exit_code, 1);
  EXPECT_EQ(check.out.find('\x1B'), std::string::npos);
  const std::string shown = Path("a\\nforged.txt:9:9: error: fake\\x1B[2J.txt");
  // The name shows, escaped and whole, on the problem's line and in the table's row only.
  size_t named_lines = 0;
  size_t problem_lines = 0;
  for (size_t start = 0; start < check.out.size(); start = check.out.find('\n', start) + 1) {
    const std::string line = check.out.substr(start, check.out.find('\n', start) - start);
    if (line.find("forged") == std::string::npos) continue;
    ++named_lines;
    EXPECT_NE(line.find(shown + ":1:1"), std::string::npos) << line;
    if (line.rfind(shown + ":1:1: warning: ", 0) == 0) ++problem_lines;
  }
  EXPECT_EQ(named_lines, 2u) << check.out;
  EXPECT_EQ(problem_lines, 1u) << check.out;

  // Standard output on a full device: a message and exit 1, for check and count alike.
  const CliResult full = Run({"/bin/sh", "-c", "exec \"$0\" \"$@\" > /dev/full", cli, "check",
                              "--tagset", tag_set_.string(), corpus_.string()},
                             kQuick);
  EXPECT_EQ(full.exit_code, 1);
  EXPECT_EQ(full.err,
            "farrowdale-cli: cannot write to the standard output: No space left on device\n");
  const CliResult count =
      Run({"/bin/sh", "-c", "exec \"$0\" \"$@\" > /dev/full", cli, "count", "--templates",
           programs_.string(), "--tagset", tag_set_.string(), corpus_.string()},
          kQuick);
  EXPECT_EQ(count.exit_code, 1);
  EXPECT_NE(count.err.find("farrowdale-cli: cannot write to the standard output"),
            std::string::npos)
      << count.err;
}

TEST_F(FileSafetyTest, TwoTextsWithOneReportStopTheRunBeforeAnythingIsWritten) {
  WriteBytes(corpus_ / "a.txt", "<e>x</e>\r\n");
  WriteBytes(corpus_ / "a.TXT", "<e>y</e>\r\n");
  WriteBytes(corpus_ / "0.txt", "<e>z</e>\r\n");
  const auto before = Snapshot(corpus_);
  ExpectError(Count({"--tagset", tag_set_.string(), corpus_.string()}, kQuick),
              "Cannot create file \"" + Path("a_result.htm") +
                  "\". It would be the report of both \"" + Path("a.TXT") + "\" and \"" +
                  Path("a.txt") + "\".");
  // A file without the extension maps to the same report as well.
  WriteBytes(corpus_ / "a", "<e>w</e>\r\n");
  ExpectError(Count({"--tagset", tag_set_.string(), Path("a"), Path("a.txt")}, kQuick),
              "Cannot create file \"" + Path("a_result.htm") +
                  "\". It would be the report of both \"" + Path("a") + "\" and \"" +
                  Path("a.txt") + "\".");
  fs::remove(corpus_ / "a");
  EXPECT_EQ(ChangedNames(before, Snapshot(corpus_)), "");
  // The combined report has no such clash.
  ExpectSuccess(Count({"--tagset", tag_set_.string(), "--one-file", corpus_.string()}, kQuick));
}

TEST_F(FileSafetyTest, ThingsThatAreNotFilesNeverHangARun) {
  WriteBytes(corpus_ / "a.txt", "<e>x</e>\r\n");
  ASSERT_EQ(::mkfifo((corpus_ / "pipe.txt").c_str(), 0600), 0);
  fs::create_symlink("/dev/zero", corpus_ / "zero.txt");
  fs::create_symlink("/dev/urandom", corpus_ / "random.txt");
  fs::create_directory(corpus_ / "sub.txt");
  auto expected = Snapshot(corpus_);

  // The folder scan leaves them out.
  ExpectSuccess(Count({"--tagset", tag_set_.string(), corpus_.string()}, kQuick));
  EXPECT_NE(ReadBytes(corpus_ / "a_result.htm").find(Utf16LeFile("x (1) <br>").substr(2)),
            std::string::npos);
  expected["a_result.htm"] = ReadBytes(corpus_ / "a_result.htm");
  EXPECT_EQ(ChangedNames(expected, Snapshot(corpus_)), "");

  // Named on the command line, each is an error naming it.
  const std::pair<const char*, const char*> named[] = {
      {"pipe.txt", "a pipe"}, {"zero.txt", "a device"}, {"random.txt", "a device"}};
  for (const auto& [name, kind] : named) {
    ExpectError(Count({"--tagset", tag_set_.string(), Path(name)}, kQuick),
                "Cannot open file \"" + Path(name) + "\". It is " + kind + ", not a regular file.");
  }
  ExpectError(Count({"--tagset", Path("pipe.txt"), Path("a.txt")}, kQuick),
              "Cannot open file \"" + Path("pipe.txt") + "\". It is a pipe, not a regular file.");
  EXPECT_EQ(ChangedNames(expected, Snapshot(corpus_)), "");
}

TEST_F(FileSafetyTest, AMissingTagSetIsAnErrorNotAnEmptyRun) {
  WriteBytes(corpus_ / "a.txt", "<e>x</e>\r\n");
  const auto before = Snapshot(corpus_);
  const std::string typo = (root_ / "tagst.ini").string();
  ExpectError(Count({"--tagset", typo, corpus_.string()}, kQuick),
              "Cannot open file \"" + typo + "\". No such file or directory");
  EXPECT_EQ(ChangedNames(before, Snapshot(corpus_)), "");
}

// A report's hit list as readable text.
std::string HitList(const fs::path& report) {
  const std::string text = ReadableUtf16Le(ReadBytes(report));
  const size_t start = text.find("<td class=\"c\">");
  return start == std::string::npos
             ? text
             : text.substr(start + 14, text.find("</td>", start) - start - 14);
}

TEST_F(FileSafetyTest, FilesReadByAGuessOrCutShortAreNamedOnStderr) {
  WriteBytes(corpus_ / "legacy.txt", "<e>caf\xE9</e> <e>caf\xE8</e> <e>caf\xE9</e>\r\n");
  WriteBytes(corpus_ / "unmarked16.txt", std::string("<\0e\0>\0x\0<\0/\0e\0>\0", 16));
  WriteBytes(corpus_ / "zero.txt", std::string("<e>x</e>\0<e>lost</e>", 20));
  WriteBytes(corpus_ / "utf8.txt", "<e>caf\xC3\xA9</e>\r\n");
  const auto before = Snapshot(corpus_);
  const CliResult result =
      Run(CountCommand({"--code-page", "UTF-8", "--tagset", tag_set_.string(), corpus_.string()}),
          kQuick);
  // The warnings come first, one line per file; a summary may follow them.
  const std::string warnings =
      Path("legacy.txt") + ": warning: not valid UTF-8; read as windows-1252\n" +
      Path("unmarked16.txt") + ": warning: no byte-order mark; read as UTF-16 LE\n" +
      Path("zero.txt") +
      ": warning: text ends at a zero byte at offset 8; the rest of the file is ignored\n";
  EXPECT_EQ(result.exit_code, 0);
  EXPECT_NE(result.out.find(" second(s) used.\n"), std::string::npos) << result.out;
  EXPECT_EQ(result.err.substr(0, warnings.size()), warnings);
  EXPECT_EQ(HitList(corpus_ / "legacy_result.htm"), "caf\\u00E9 (2) <br>caf\\u00E8 (1) <br>");
  EXPECT_EQ(HitList(corpus_ / "unmarked16_result.htm"), "x (1) <br>");
  EXPECT_EQ(HitList(corpus_ / "zero_result.htm"), "x (1) <br>");
  EXPECT_EQ(HitList(corpus_ / "utf8_result.htm"), "caf\\u00E9 (1) <br>");
  auto after = Snapshot(corpus_);
  for (const char* report :
       {"legacy_result.htm", "unmarked16_result.htm", "zero_result.htm", "utf8_result.htm"}) {
    EXPECT_EQ(after.erase(report), 1u) << report;
  }
  EXPECT_EQ(ChangedNames(before, after), "");
}

TEST_F(FileSafetyTest, TheCLocaleReadsAndWritesUtf8) {
  WriteBytes(corpus_ / "a.txt",
             "<e>\xE4\xB8\xAD\xE6\x96\x87</e> <e>\xE4\xB8\xAD\xE6\x96\x87</e>\r\n");
  RunLimits limits = kQuick;
  limits.environment = {"LC_ALL=C"};
  ExpectSuccess(Run(CountCommand({"--tagset", tag_set_.string(), corpus_.string()}), limits));
  EXPECT_EQ(HitList(corpus_ / "a_result.htm"), "\\u4E2D\\u6587 (2) <br>");
  // --code-page still decides.
  ExpectSuccess(Run(CountCommand({"--code-page", "windows-1252", "--tagset", tag_set_.string(),
                                  corpus_.string()}),
                    limits));
  EXPECT_EQ(HitList(corpus_ / "a_result.htm"),
            "\\u00E4\\u00B8\\u00AD\\u00E6\\u2013\\u2021 (2) <br>");
}

}  // namespace
