// Runs through farrowdale-cli count that try to hurt the user's files or to hang: planted
// links, things that are not files, writes that fail half-way, two runs at once, two texts
// with one report name, and files that can only be read by a guess. Every case compares the
// corpus before and after, and every run is bounded in time.
#include <sys/stat.h>

#include <map>
#include <string>
#include <vector>

#include "tests/e2e/e2e_support.h"

namespace {

using namespace farrowdale::e2e;

constexpr char kTags[] = "[e]\r\nbegin=<e>\r\nend=</e>\r\n";
// Short enough that a hang shows as a failure long before CI's own limit.
const RunLimits kQuick{std::chrono::seconds(20), std::nullopt, {}};

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

// Two runs that write different combined reports into one folder at once: the report left is
// one of the two whole, never a mix, a cut or a report with two endings.
TEST_F(FileSafetyTest, TwoRunsAtOnceEachLeaveCompleteReports) {
  for (int i = 0; i < 40; ++i) {
    WriteBytes(corpus_ / ("t" + std::to_string(i) + ".txt"),
               "<e>" + std::string(2000 + i, 'w') + "</e>\r\n");
  }
  const std::vector<std::string> all = {"--code-page",     "windows-1252", "--tagset",
                                        tag_set_.string(), "--one-file",   corpus_.string()};
  std::vector<std::string> some = all;
  some.insert(some.end(), {"--filter", "t1"});
  std::string alone[2];
  for (int i = 0; i < 2; ++i) {
    ExpectSuccess(Run(CountCommand(i == 0 ? all : some), kQuick));
    alone[i] = ReadBytes(corpus_ / "result.htm");
  }
  ASSERT_NE(alone[0], alone[1]);
  auto texts = Snapshot(corpus_);
  texts.erase("result.htm");
  for (int round = 0; round < 5; ++round) {
    const auto results = RunConcurrently(
        {CountCommand(all), CountCommand(some), CountCommand(all), CountCommand(some)}, root_,
        kQuick);
    for (const CliResult& result : results) ExpectSuccess(result);
    const std::string left = ReadBytes(corpus_ / "result.htm");
    EXPECT_TRUE(left == alone[0] || left == alone[1]) << "round " << round << ": " << left.size();
    auto after = Snapshot(corpus_);
    after.erase("result.htm");
    EXPECT_EQ(ChangedNames(texts, after), "") << "round " << round;
  }
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
  EXPECT_NE(ReadBytes(corpus_ / "a_result.htm").find(Utf16Le("x (1) <br>").substr(2)),
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
  const std::string text = Readable(ReadBytes(report));
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
