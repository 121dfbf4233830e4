#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "testing/process_runner.h"
#include "testing/scratch_folder.h"

namespace {

using Result = farrowdale::testing_support::ProcessResult;

class CliMatchTest : public ::testing::Test {
 protected:
  std::string WriteInput(const std::string& bytes) {
    const std::filesystem::path path = dir_ / "input.txt";
    std::ofstream(path, std::ios::binary) << bytes;
    return path.string();
  }

  // Runs "farrowdale-cli match ARGS" with stdin_bytes on standard input.
  Result Match(const std::vector<std::string>& args, const std::string& stdin_bytes = "") {
    const std::filesystem::path in = dir_ / "stdin";
    std::ofstream(in, std::ios::binary) << stdin_bytes;
    return MatchReading(in, args);
  }

  // Runs "farrowdale-cli match ARGS" with standard input opened from in; killed after 60 s.
  Result MatchReading(const std::filesystem::path& in, const std::vector<std::string>& args) {
    std::vector<std::string> command = {FARROWDALE_CLI_PATH, "match"};
    command.insert(command.end(), args.begin(), args.end());
    farrowdale::testing_support::ProcessLimits limits;
    limits.standard_input = in;
    Result r = farrowdale::testing_support::RunProcess(command, limits);
    EXPECT_FALSE(r.timed_out) << "farrowdale-cli match did not end within the time bound";
    return r;
  }

  static std::string LastLine(const std::string& text) {
    std::string t = text;
    if (!t.empty() && t.back() == '\n') t.pop_back();
    return t.substr(t.rfind('\n') == std::string::npos ? 0 : t.rfind('\n') + 1);
  }

  const farrowdale::testing_support::ScratchFolder scratch_{"cli_match"};
  const std::filesystem::path dir_ = scratch_.path();
};

TEST_F(CliMatchTest, EveryMatchWithGroupsAndEscapedBytes) {
  const std::string file = WriteInput("<e>a\tb</e> <e>\r\n\\\x01\x7F\xE9</e><e></e>");
  Result r = Match({"--bytes", "<e>(.*?)</e>", file});
  EXPECT_EQ(r.exit_code, 0);
  EXPECT_EQ(r.out,
            "1:10\t<e>a\\tb</e>\ta\\tb\n"
            "12:13\t<e>\\r\\n\\\\\\x01\\x7F\\xE9</e>\t\\r\\n\\\\\\x01\\x7F\\xE9\n"
            "25:7\t<e></e>\t\n");
  EXPECT_EQ(r.err, "");
  // --first: Exec only.
  r = Match({"--bytes", "--first", "<e>(.*?)</e>", file});
  EXPECT_EQ(r.out, "1:10\t<e>a\\tb</e>\ta\\tb\n");
}

TEST_F(CliMatchTest, EmptyMatchesAndGroupsOutsideTheMatch) {
  Result r = Match({"--bytes", "x*"}, "ab");
  EXPECT_EQ(r.exit_code, 0);
  EXPECT_EQ(r.out, "1:0\t\n2:0\t\n3:0\t\n");
  // Every capture group of the pattern gets a column, also one that took no part.
  r = Match({"--bytes", "(a)|(b)", "-"}, "b");
  EXPECT_EQ(r.out, "1:1\tb\t\tb\n");
}

TEST_F(CliMatchTest, ExitCodesAndMessages) {
  Result r = Match({"z"}, "abc");
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_EQ(r.out, "");
  r = Match({"a)"}, "abc");
  EXPECT_EQ(r.exit_code, 2);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(LastLine(r.err), "Pattern(comp): ParseReg Unmatched () (pos 1)");
  r = Match({""}, "abc");
  EXPECT_EQ(r.exit_code, 2);
  EXPECT_EQ(LastLine(r.err), "Pattern(exec): Not Assigned Expression Property");
  EXPECT_EQ(Match({}).exit_code, 2);
  EXPECT_EQ(Match({"--bogus", "a"}).exit_code, 2);
  EXPECT_EQ(Match({"a", "b", "c"}).exit_code, 2);
  r = Match({"a", (dir_ / "missing.txt").string()});
  EXPECT_EQ(r.exit_code, 2);
  EXPECT_EQ(LastLine(r.err).rfind("Cannot open file \"", 0), 0u);
  // --help is an answer, not a usage error: the usage on stdout, exit 0.
  r = Match({"--help"}, "");
  EXPECT_EQ(r.exit_code, 0);
  EXPECT_EQ(r.out.rfind("Usage: farrowdale-cli match ", 0), 0u);
  EXPECT_EQ(r.err, "");
}

TEST_F(CliMatchTest, CountPrintsOnlyTheNumberOfMatches) {
  Result r = Match({"--count", "<e>(.*?)</e>"}, "<e>a</e> <e>\tb</e> <e>");
  EXPECT_EQ(r.exit_code, 0);
  EXPECT_EQ(r.out, "2\n");
  EXPECT_EQ(r.err, "");
  r = Match({"--count", "z"}, "abc");
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_EQ(r.out, "0\n");
  EXPECT_EQ(Match({"--first", "--count", "a"}, "aaa").out, "1\n");
  // A search with a back-reference that runs out of its budget: the error, no count.
  r = Match({"--count", "(a|aa)+\\1$"}, std::string(60, 'a') + "b");
  EXPECT_EQ(r.exit_code, 2);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(LastLine(r.err), "Pattern(exec): Search Too Complex (backtracking limit reached)");
}

TEST_F(CliMatchTest, SubjectsAreReadWholeFromFilesAndStandardInputButNotFolders) {
  // Large enough for the subject to be read into huge pages; the subject ends at its first
  // zero byte, so the passage after it does not count, from a file or from standard input.
  std::string big;
  for (int i = 0; i < 300000; ++i) big += "line <e>" + std::to_string(i) + "</e> rest\r\n";
  big += std::string(1, '\0') + "<e>after</e>";
  EXPECT_EQ(Match({"--count", "<e>(.*?)</e>", WriteInput(big)}).out, "300000\n");
  EXPECT_EQ(Match({"--count", "<e>(.*?)</e>"}, big).out, "300000\n");
  // A folder is no subject: an error naming it, not an empty subject without a match.
  const Result r = Match({"--count", "a", dir_.string()});
  EXPECT_EQ(r.exit_code, 2);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(LastLine(r.err).find(dir_.string()), std::string::npos) << r.err;
}

TEST_F(CliMatchTest, CodePageDecidesCaseFolding) {
  // In windows-1251, 0xC0 and 0xE0 are the two cases of one letter.
  Result r = Match({"--bytes", "--code-page", "windows-1251", "(?i)\xE0+"}, "x\xC0\xE0");
  EXPECT_EQ(r.exit_code, 0);
  EXPECT_EQ(r.out, "2:2\t\\xC0\\xE0\n");
  r = Match({"--code-page", "no-such-code-page", "a"}, "a");
  EXPECT_EQ(r.exit_code, 2);
}

TEST_F(CliMatchTest, TextIsDecodedAsCountReadsItAndPlacedByLineAndColumn) {
  // UTF-8 (line ends as CR LF, columns in characters, the matched text as UTF-8 bytes).
  Result r = Match({"<e>(.*?)</e>", "-"}, "\xC3\xA9t\xC3\xA9\n\xC3\xA9 <e>a\nb</e> <e></e>");
  EXPECT_EQ(r.exit_code, 0);
  EXPECT_EQ(r.out, "2:3\t<e>a\\r\\nb</e>\ta\\r\\nb\n3:7\t<e></e>\t\n");
  EXPECT_EQ(r.err, "");
  // The same text in UTF-16 LE with a mark, in UTF-16 BE without one, and in windows-1252:
  // the same lines, columns and matched text; the guesses are warned about, naming FILE.
  const std::string expected = "2:2\t<\\xC3\\xA9>\n";
  EXPECT_EQ(
      Match({"<\xC3\xA9>", WriteInput(std::string("\xFF\xFE\n\0\xE9\0<\0\xE9\0>\0", 12))}).out,
      expected);
  const std::string file = WriteInput(std::string("\0\n\0\xE9\0<\0\xE9\0>", 10));
  r = Match({"<\xC3\xA9>", file});
  EXPECT_EQ(r.out, expected);
  EXPECT_EQ(r.err, file + ": warning: no byte-order mark; read as UTF-16 BE\n");
  r = Match({"<\xC3\xA9>", "-"}, "\r\xE9<\xE9>");
  EXPECT_EQ(r.out, expected);
  EXPECT_EQ(r.err, "standard input: warning: not valid UTF-8; read as windows-1252\n");
  // --bytes searches the same windows-1252 bytes as they are.
  EXPECT_EQ(Match({"--bytes", "<\xE9>"}, "\r\xE9<\xE9>").out, "3:3\t<\\xE9>\n");
}

TEST_F(CliMatchTest, OnlyRegularFilesPipesAndTerminalsAreRead) {
  // A FIFO with no writer, and a device that never ends, as FILE: refused at once, named.
  const std::filesystem::path fifo = dir_ / "fifo";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  for (const std::string& file : {fifo.string(), std::string("/dev/zero")}) {
    for (const char* mode : {"--count", "--bytes"}) {
      const Result r = Match({mode, "x", file});
      EXPECT_EQ(r.exit_code, 2) << file << " " << mode;
      EXPECT_EQ(r.out, "");
      EXPECT_NE(LastLine(r.err).find("Cannot open file \"" + file + "\""), std::string::npos)
          << r.err;
    }
  }
  // The same device as standard input.
  const Result r = MatchReading("/dev/zero", {"--count", "x"});
  EXPECT_EQ(r.exit_code, 2);
  EXPECT_EQ(LastLine(r.err).rfind("Cannot read the standard input. ", 0), 0u) << r.err;
}

}  // namespace
