#include "tagset/tag_set_check.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "testing/code_page_guard.h"
#include "testing/scratch_folder.h"

namespace farrowdale {
namespace {

class TagSetCheckTest : public ::testing::Test {
 protected:
  // Each problem as "LINE:COLUMN: warning|error: MESSAGE".
  std::vector<std::string> Problems(const std::string& ini_text) {
    const std::filesystem::path path = dir_ / "tags.ini";
    std::ofstream(path, std::ios::binary) << ini_text;
    std::vector<std::string> lines;
    for (const TTagSetProblem& problem : CheckTagSet(TIniFile(path)).problems) {
      lines.push_back(std::to_string(problem.line) + ":" + std::to_string(problem.column) +
                      (problem.severity == ECheckSeverity::kError ? ": error: " : ": warning: ") +
                      problem.message);
    }
    return lines;
  }

  const testing_support::ScratchFolder scratch_{"tag_set_check"};
  const std::filesystem::path dir_ = scratch_.path();
};

using Lines = std::vector<std::string>;

TEST_F(TagSetCheckTest, CleanTagSetAndSeparatorsGiveNothing) {
  CodePageGuard code_page("windows-1252");
  EXPECT_EQ(Problems("; comment\r\n[emotion]\r\nbegin=<e>\r\nEND=</e>\r\ncolor=C0392B\r\n"
                     "[-]\r\nbegn=x\r\n[place]\r\nbegin=\\[P\\]\r\nend=\\[/P\\]\r\n"),
            Lines{});
}

TEST_F(TagSetCheckTest, KeyTyposAndMissingMarkersPointAtTheirLines) {
  CodePageGuard code_page("windows-1252");
  EXPECT_EQ(Problems("[a]\nbegn=<a>\nend=</a>\n[b]\nBegin:=<b>\nend=</b>\n[c]\nbegin=<c>\n"
                     "colour=00FF00\nnote=x\n[d]\nbgn=\n[e]\nend=</e>\n"),
            (Lines{
                "1:1: error: tag \"a\" has an end marker but no begin marker, and a run stops on "
                "it (line 2 has \"begn\"; did you mean \"begin\"?)",
                "2:1: warning: key \"begn\" is not read (a tag has only \"begin\", \"end\" and "
                "\"color\"); did you mean \"begin\"?",
                "4:1: error: tag \"b\" has an end marker but no begin marker, and a run stops on "
                "it (line 5 has \"Begin:\"; did you mean \"begin\"?)",
                "5:1: warning: key \"Begin:\" is not read (a tag has only \"begin\", \"end\" and "
                "\"color\"); did you mean \"begin\"?",
                "7:1: warning: tag \"c\" has no end marker (no \"end\" key, or an empty value)",
                "9:1: warning: key \"colour\" is not read (a tag has only \"begin\", \"end\" and "
                "\"color\"); did you mean \"color\"?",
                "10:1: warning: key \"note\" is not read (a tag has only \"begin\", \"end\" and "
                "\"color\")",
                "11:1: warning: tag \"d\" has no begin marker (no \"begin\" key, or an empty "
                "value)",
                "11:1: warning: tag \"d\" has no end marker (no \"end\" key, or an empty value)",
                "12:1: warning: key \"bgn\" is not read (a tag has only \"begin\", \"end\" and "
                "\"color\"); did you mean \"begin\"?",
                "13:1: error: tag \"e\" has an end marker but no begin marker, and a run stops on "
                "it",
            }));
}

TEST_F(TagSetCheckTest, SectionsReadAsOneRepeatedKeysAndSameMarkers) {
  CodePageGuard code_page("windows-1252");
  EXPECT_EQ(
      Problems("[emotion]\nbegin=<e>\nend=</e>\nbegin=<f>\n[Emotion]\nbegin=<x>\nend=</x>\n"
               "[feeling]\nbegin=<e>\nend=</e>\n"),
      (Lines{
          "4:1: warning: key \"begin\" repeats the one at line 2; only that one is read",
          "5:1: warning: section [Emotion] differs only in letter case from [emotion] at line 1: "
          "the reader takes both as one, so this tag uses that section's markers and its own "
          "keys are ignored",
          "8:1: warning: tag \"feeling\" has the same markers as tag \"emotion\" at line 1; both "
          "count the same passages",
      }));
}

TEST_F(TagSetCheckTest, ColoursThatStopARunAreErrorsAtTheValue) {
  CodePageGuard code_page("windows-1252");
  const Lines problems = Problems(
      "[a]\nbegin=<a>\nend=</a>\ncolor = 12345\n[b]\nbegin=<b>\nend=</b>\ncolor=FF0000AA\n"
      "[c]\nbegin=<c>\nend=</c>\ncolor=ff00ff\n");
  EXPECT_EQ(problems,
            (Lines{"4:9: error: colour \"12345\" of tag \"a\" is not six hexadecimal digits "
                   "(RRGGBB), and a run stops on it: '$53412' is not a valid integer value",
                   "8:13: warning: colour \"FF0000AA\" of tag \"b\" has 2 characters after its six "
                   "digits; they are ignored"}));
}

TEST_F(TagSetCheckTest, MarkersWithPatternCharactersSayHowToWriteThem) {
  CodePageGuard code_page("UTF-8");
  EXPECT_EQ(
      Problems("[emo]\nbegin=[EMO]\nend = \"«[/EMO]»\"\n[code]\nbegin={{c1}}\nend=\\d.\n"
               "[paren]\nbegin=(a)\nend=(a)\n[fine]\nbegin=\\[x\\]\nend=a\\.b\n"
               "[mod]\nbegin=(?i)(a)\nend=x\n"),
      (Lines{
          "2:7: warning: begin marker \"[EMO]\": '[' starts a set of characters; write \\[EMO\\] "
          "to match \"[EMO]\"",
          // The quote and "«" are one character each.
          "3:9: warning: end marker \"«[/EMO]»\": '[' starts a set of characters; write "
          "«\\[/EMO\\]» to match \"«[/EMO]»\"",
          "5:7: warning: begin marker \"{{c1}}\": '{' can start a repeat count such as {2}; write "
          "\\{\\{c1\\}\\} to match \"{{c1}}\"",
          "6:5: warning: end marker \"\\d.\": '\\d' stands for a whole class of characters; write "
          "\\\\d\\. to match \"\\d.\"",
          // A begin marker's parentheses are taken literally by the run; an end marker's not.
          "9:5: warning: end marker \"(a)\": '(' starts a group; write \\(a\\) to match \"(a)\"",
          // Except a modifier group, which the run keeps as a group.
          "14:7: warning: begin marker \"(?i)(a)\": '(' starts a group; write \\(\\?i\\)(a) to "
          "match \"(?i)(a)\"",
      }));
}

TEST_F(TagSetCheckTest, WhatTheReadersLimitsCutIsReported) {
  CodePageGuard code_page("windows-1252");
  const std::string long_value(3000, 'x');
  std::string many_sections;
  for (int i = 0; i < 1700; ++i) many_sections += "[section" + std::to_string(1000 + i) + "]\n";
  const Lines problems = Problems("[abc]\nbegin=" + long_value + "\nend=</a>\n" + many_sections);
  auto has = [&](const std::string& line) {
    return std::find(problems.begin(), problems.end(), line) != problems.end();
  };
  EXPECT_TRUE(
      has("2:1: warning: value of \"begin\" is cut to 2047 bytes by the reader's 2047-byte "
          "limit"));
  // After "abc", 12 bytes per name: the 16384-byte list ends inside the 1365th (line 1368).
  EXPECT_TRUE(
      has("1368:1: warning: section name [section2364] is cut to [section236] by the "
          "16384-byte limit of the section list"));
  EXPECT_TRUE(
      has("1369:1: warning: section [section2365] lies beyond the 16384-byte limit of "
          "the section list and is not read"));
}

TEST_F(TagSetCheckTest, MissingOrEmptyTagSet) {
  CodePageGuard code_page("windows-1252");
  EXPECT_EQ(CheckTagSet(TIniFile(dir_ / "none.ini")).problems.front().message,
            "the tag set file cannot be read: Cannot open file \"" + (dir_ / "none.ini").string() +
                "\". No such file or directory");
  EXPECT_EQ(Problems("; nothing\n[-]\n"),
            Lines{"1:1: warning: no tags: the file has no section with markers"});
}

}  // namespace
}  // namespace farrowdale

namespace farrowdale {
namespace {

// A run that takes its tags from the check stops exactly where LoadTagSet would have thrown,
// with its message: a colour that does not read (the first of two), a file that cannot be
// read; a clean file and no file at all stop nothing.
TEST_F(TagSetCheckTest, LoadErrorIsWhatLoadTagSetThrows) {
  const auto thrown = [](const std::filesystem::path& path) -> std::optional<std::string> {
    try {
      TTagArray tags;
      LoadTagSet(TIniFile(path), tags);
      return std::nullopt;
    } catch (const Error& error) {
      return error.what();
    }
  };
  const std::filesystem::path path = dir_ / "tags.ini";
  for (const std::string& text :
       {std::string("[a]\r\nbegin=<a>\r\nend=</a>\r\ncolor=12345G\r\n[b]\r\ncolor=xyz\r\n"),
        std::string("[a]\r\nbegin=<a>\r\nend=</a>\r\n")}) {
    std::ofstream(path, std::ios::binary) << text;
    EXPECT_EQ(CheckTagSet(TIniFile(path)).load_error, thrown(path)) << text;
    EXPECT_EQ(thrown(path).has_value(), text.find("12345G") != std::string::npos) << text;
  }
  EXPECT_EQ(CheckTagSet(TIniFile(dir_ / "absent.ini")).load_error, thrown(dir_ / "absent.ini"));
  EXPECT_TRUE(thrown(dir_ / "absent.ini").has_value());
  EXPECT_EQ(CheckTagSet(TIniFile("")).load_error, std::nullopt);
}

}  // namespace
}  // namespace farrowdale
