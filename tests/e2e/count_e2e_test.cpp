// Whole runs through the built farrowdale-cli count: each test writes a corpus, a tag set and
// the templates into a folder of its own, runs the command and compares the reports byte for
// byte with golden/ (made from the minimal templates in templates/) or with inline bytes.
// After every test no scratch file "tmp.N" may exist anywhere in that folder, which holds
// the program's (templates) folder and the corpus folder.
#include <filesystem>
#include <iterator>
#include <string>
#include <tuple>
#include <vector>

#include "tests/e2e/e2e_support.h"

namespace {

using namespace farrowdale::e2e;

const fs::path kShippedTemplates = FARROWDALE_TEMPLATES_DIR;
const fs::path kLetters = FARROWDALE_LETTERS_DIR;

class CountTest : public CountFixture {};

constexpr char kEmotionAndPlaceTags[] =
    "[emotion]\r\nbegin=<e>\r\nend=</e>\r\ncolor=FF0000\r\n"
    "[-]\r\nbegin=<x>\r\nend=</x>\r\n"
    "[place]\r\nbegin=>>\r\nend=!!\r\ncolor=0000ff\r\n"
    "[nowhere]\r\nbegin=<n>\r\nend=</n>\r\ncolor=00AA00\r\n";

TEST_F(CountTest, PerFileReportOrdersTiesEscapesMarkersAndAlternatesRows) {
  WriteBytes(tag_set_, kEmotionAndPlaceTags);
  WriteBytes(corpus_ / "a.txt",
             "Day one: <e>bliss</e>, <e>anger</e>, <e> bliss </e>.\r\n"
             ">>Oslo!! then >>Bergen!! and >>Alta!!\r\n"
             "<e>dread</e> <e>calm</e> <e>dread</e> <e>bliss</e> <x>skipped</x>\r\n");
  ExpectSuccess(Count({"--tagset", tag_set_.string(), corpus_.string()}));
  ExpectGoldenReport(corpus_ / "a_result.htm", "per_file.htm");
}

TEST_F(CountTest, CombinedReportRecountsPooledPassages) {
  WriteBytes(tag_set_,
             "[theme]\nbegin=<t>\nend=</t>\ncolor=336699\n"
             "[story]\nbegin=<s>\nend=</s>\ncolor=993366\n"
             "[markup]\nbegin=<m>\nend=</m>\n"
             "[missing]\nbegin=<x>\nend=</x>\ncolor=666666\n");
  WriteBytes(corpus_ / "one.txt",
             "<t>home</t> and <t>home</t>.\r\n<s>first line\r\nsecond line</s>\r\n");
  WriteBytes(corpus_ / "two.txt",
             Utf16LeFile("<t>home</t>, <t>home</t>, <t>home</t>\r\n<m><b>bold</b></m>\r\n"));
  ExpectSuccess(Count({"--tagset", tag_set_.string(), "--one-file", corpus_.string()}));
  ExpectGoldenReport(corpus_ / "result.htm", "combined.htm");
  EXPECT_FALSE(fs::exists(corpus_ / "one_result.htm"));
}

// The encoded letters of tests/letters: attributes holding "=", self-closing elements, a
// same-name element nested in another, passages over several lines, a no-break space
// against a space, "&amp;" entities, and markup and "{@filename}" inside passages.
TEST_F(CountTest, LettersCorpusGivesTheGoldenReports) {
  const fs::path& letters = kLetters;
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(letters / "corpus")) {
    fs::copy_file(entry.path(), corpus_ / entry.path().filename());
    names.push_back(entry.path().stem().string());
  }
  ASSERT_EQ(names.size(), 4u);
  const std::vector<std::string> options = {"--code-page", "UTF-8", "--tagset",
                                            (letters / "tagset.ini").string()};
  std::vector<std::string> args = options;
  args.push_back(corpus_.string());
  // The markers are deliberate patterns, which the tag set's problems (printed first) name,
  // and one letter nests a name and leaves a gap open.
  const std::string tag_set = (letters / "tagset.ini").string();
  std::string kProblems;
  for (const auto& [line, column, marker] :
       std::vector<std::tuple<int, int, std::string>>{{3, 16, "persName"},
                                                      {8, 17, "placeName"},
                                                      {13, 12, "date"},
                                                      {20, 24, ""},
                                                      {25, 12, "note"},
                                                      {30, 14, "letter"},
                                                      {35, 11, "gap"}}) {
    kProblems += tag_set + ":" + std::to_string(line) + ":" + std::to_string(column) +
                 ": warning: begin marker ";
    kProblems += marker.empty()
                     ? "\"<rs type=\"person\"[^>]*>\": '[' starts a set of characters; write <rs "
                       "type=\"person\"\\[\\^>\\]\\*> to match \"<rs type=\"person\"[^>]*>\"\n"
                     : "\"<" + marker +
                           "\\b[^>]*>\": '\\b' matches at the edge of a word, not a "
                           "character; write <" +
                           marker + "\\\\b\\[\\^>\\]\\*> to match \"<" + marker + "\\b[^>]*>\"\n";
  }
  kProblems +=
      "9 possible marker problems in the tag set and 2 of 4 files; run \"farrowdale-cli check\" "
      "for the list\n";
  ExpectSuccess(Count(args), kProblems);
  for (const std::string& name : names) {
    ExpectReport(corpus_ / (name + "_result.htm"),
                 ReadBytes(letters / "golden" / (name + "_result.htm")));
    fs::remove(corpus_ / (name + "_result.htm"));
  }
  args.insert(args.begin(), "--one-file");
  ExpectSuccess(Count(args), kProblems);
  ExpectReport(corpus_ / "result.htm", ReadBytes(letters / "golden" / "result.htm"));
}

// Passages that differ only in letter case outside A-Z (Ö/ö, É/é, Σ/σ, М/м; ß against SS,
// which simple folding keeps apart) or only in spacing: counted apart by default, and as one
// with --fold-case and --fold-space, whose hit lists show what was folded.
TEST_F(CountTest, AlphabetsCorpusGroupsByCaseAndSpacingOnlyWhenAsked) {
  const fs::path alphabets = kLetters / "alphabets";
  for (const auto& entry : fs::directory_iterator(alphabets / "corpus")) {
    fs::copy_file(entry.path(), corpus_ / entry.path().filename());
  }
  const std::vector<std::string> options = {
      "--code-page",   "UTF-8", "--one-file", "--tagset", (alphabets / "tagset.ini").string(),
      corpus_.string()};
  ExpectSuccess(Count(options));
  ExpectReport(corpus_ / "result.htm", ReadBytes(alphabets / "golden" / "result_plain.htm"));
  std::vector<std::string> folded = options;
  folded.insert(folded.begin(), {"--fold-space", "--fold-case"});
  ExpectSuccess(Count(folded));
  ExpectReport(corpus_ / "result.htm", ReadBytes(alphabets / "golden" / "result_folded.htm"));
}

TEST_F(CountTest, EmptyTagSetGivesNoFileReportsButACombinedReport) {
  WriteBytes(tag_set_, "; no tags yet\r\n");
  WriteBytes(corpus_ / "a.txt", "<e>x</e>\r\n");
  WriteBytes(corpus_ / "b.txt", "");
  const std::string warning =
      tag_set_.string() + ": warning: the tag set has no tags; nothing is counted\n";
  ExpectSuccess(Count({"--tagset", tag_set_.string(), corpus_.string()}), warning);
  EXPECT_FALSE(fs::exists(corpus_ / "a_result.htm"));
  EXPECT_FALSE(fs::exists(corpus_ / "b_result.htm"));

  ExpectSuccess(Count({"--tagset", tag_set_.string(), "--one-file", corpus_.string()}), warning);
  ExpectGoldenReport(corpus_ / "result.htm", "combined_empty_tag_set.htm");
}

TEST_F(CountTest, TemplatesAreFilledAsTheyAre) {
  WriteBytes(tag_set_, "[e]\r\nbegin=<e>\r\nend=</e>\r\n");
  WriteBytes(corpus_ / "a.txt", "<e>x</e>\r\n");
  const fs::path report = corpus_ / "a_result.htm";
  const auto run_with_template = [&](std::string_view bytes) {
    WriteBytes(programs_ / "result.tpl", bytes);
    ExpectSuccess(Count({"--tagset", tag_set_.string(), (corpus_ / "a.txt").string()}));
  };

  run_with_template("{@item}|{@item}|{@hit}|{@table_header}");
  ExpectReport(report, Utf16LeFile("1|{@item}|1|{@table_header}\r\n"));

  run_with_template("<p>no placeholder</p>\n<p>lone\rbreaks</p>");
  ExpectReport(report, Utf16LeFile("<p>no placeholder</p>\r\n<p>lone\r\nbreaks</p>\r\n"));

  run_with_template("\xFF\xFE");
  ExpectReport(report, "\xFF\xFE");

  // A UTF-16 template passes through the code page: the Cyrillic letter has no form in
  // windows-1252, the accented one has.
  run_with_template(Utf16LeFile(u"\u00E9 \u0416 {@hit}\r\n"));
  ExpectReport(report, Utf16LeFile(u"\u00E9 ? 1\r\n"));
}

TEST_F(CountTest, MissingTemplatesWriteNothingAndTheRunGoesOn) {
  fs::remove(programs_ / "result.tpl");
  fs::remove(programs_ / "resultEx.tpl");
  fs::create_directory(programs_ / "resultEx.tpl");  // a folder of that name does not count
  WriteBytes(tag_set_, "[e]\r\nbegin=<e>\r\nend=</e>\r\n");
  WriteBytes(corpus_ / "a.txt", "<e>x</e>\r\n");
  WriteBytes(corpus_ / "b.txt", "<e>y</e>\r\n");
  ExpectSuccess(Count({"--tagset", tag_set_.string(), corpus_.string()}),
                (programs_ / "result.tpl").string() +
                    ": warning: template not found; no report is written\n");
  ExpectSuccess(Count({"--tagset", tag_set_.string(), "--one-file", corpus_.string()}),
                (programs_ / "resultEx.tpl").string() +
                    ": warning: template not found; no report is written\n");
  EXPECT_EQ(std::distance(fs::directory_iterator(corpus_), fs::directory_iterator()), 2);
}

TEST_F(CountTest, AReportNeverReplacesItsText) {
  WriteBytes(tag_set_, "[e]\r\nbegin=<e>\r\nend=</e>\r\n");
  WriteBytes(corpus_ / "A.TXT", "<e>x</e>\r\n");
  ExpectSuccess(Count({"--tagset", tag_set_.string(), corpus_.string()}));
  EXPECT_EQ(ReadBytes(corpus_ / "A.TXT"), "<e>x</e>\r\n");
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(corpus_)) {
    names.push_back(entry.path().filename().string());
  }
  ASSERT_EQ(names.size(), 2u);
  const std::string report = names[0] == "A.TXT" ? names[1] : names[0];
  EXPECT_NE(report.find("_result.htm"), std::string::npos) << report;
}

TEST_F(CountTest, FilesFoldersDuplicatesAndTheFilter) {
  WriteBytes(tag_set_, "[e]\r\nbegin=<e>\r\nend=</e>\r\n");
  WriteBytes(programs_ / "result.tpl", "{@filename}");
  WriteBytes(corpus_ / "a.txt", "");
  WriteBytes(corpus_ / "b.txt", "");
  WriteBytes(corpus_ / "notes.md", "");
  fs::create_directory(root_ / "other");
  WriteBytes(root_ / "other" / "c.txt", "");

  const fs::path a = corpus_ / "a.txt";
  CliResult result = Count({"--tagset", tag_set_.string(), corpus_.string(), a.string()});
  EXPECT_EQ(result.exit_code, 0);
  EXPECT_EQ(result.err, "The file \"" + a.string() + "\" has already in the list!\n");
  EXPECT_TRUE(fs::exists(corpus_ / "a_result.htm"));
  EXPECT_TRUE(fs::exists(corpus_ / "b_result.htm"));
  EXPECT_FALSE(fs::exists(corpus_ / "notes_result.htm"));
  fs::remove(corpus_ / "a_result.htm");
  fs::remove(corpus_ / "b_result.htm");

  // The filter matches the whole path; the combined report goes to the folder of the last
  // item added unless --folder says otherwise.
  WriteBytes(programs_ / "resultEx.tpl", "{@filename}");
  ExpectSuccess(Count({"--tagset", tag_set_.string(), "--filter", "[bc]\\.txt$", "--one-file",
                       corpus_.string(), (root_ / "other" / "c.txt").string()}));
  ExpectReport(root_ / "other" / "result.htm", Utf16LeFile("result.htm\r\n"));
  EXPECT_FALSE(fs::exists(corpus_ / "result.htm"));
  WriteBytes(programs_ / "resultEx.tpl", "{@table_header}");
  ExpectSuccess(
      Count({"--tagset", tag_set_.string(), "--filter", "[bc]\\.txt$", "--one-file", "--folder",
             corpus_.string(), corpus_.string(), (root_ / "other" / "c.txt").string()}));
  const std::string header = ReadBytes(corpus_ / "result.htm");
  EXPECT_NE(header.find(Utf16LeFile("<td class=\"f\">b.txt</td><td class=\"f\">c.txt</td><td "
                                    "class=\"co\">")
                            .substr(2)),
            std::string::npos)
      << ReadableUtf16Le(header);
}

// Files are named by their path in the corpus, so that two files of one name stay two
// columns and two table rows; names in a legacy code page keep their bytes; --recursive takes
// the texts of sub-folders, by relative path, without following a link to a folder.
TEST_F(CountTest, FilesAreNamedByTheirPathInTheCorpus) {
  WriteBytes(tag_set_, "[e]\r\nbegin=<e>\r\nend=</e>\r\n");
  for (const char* folder : {"wave1", "wave2", "wave2/deep"})
    fs::create_directories(corpus_ / folder);
  for (const char* name : {"wave1/interview_01.txt", "wave2/interview_01.txt", "wave2/deep/x.txt",
                           "top.txt", "caf\xE9.txt", "caf\xE8.txt"}) {
    WriteBytes(corpus_ / name, "<e>x</e>\r\n");
  }
  fs::create_directory_symlink(corpus_, corpus_ / "loop");
  WriteBytes(programs_ / "resultEx.tpl", "{@table_header}");
  const auto header_of = [](const std::vector<std::string>& names) {
    std::string cells;
    for (const std::string& name : names) cells += "<td class=\"f\">" + name + "</td>";
    return Utf16LeFile(cells).substr(2);
  };

  ExpectSuccess(Count({"--tagset", tag_set_.string(), "--one-file", corpus_.string()}));
  std::string report = ReadBytes(corpus_ / "result.htm");
  EXPECT_NE(report.find(header_of({"caf\\xE8.txt", "caf\\xE9.txt", "top.txt"}) +
                        Utf16LeFile("<td class=\"co\">").substr(2)),
            std::string::npos)
      << ReadableUtf16Le(report);

  ExpectSuccess(Count(
      {"--tagset", tag_set_.string(), "--one-file", "--tables", "--recursive", corpus_.string()}));
  report = ReadBytes(corpus_ / "result.htm");
  EXPECT_NE(
      report.find(header_of({"caf\\xE8.txt", "caf\\xE9.txt", "top.txt", "wave1/interview_01.txt",
                             "wave2/deep/x.txt", "wave2/interview_01.txt"}) +
                  Utf16LeFile("<td class=\"co\">").substr(2)),
      std::string::npos)
      << ReadableUtf16Le(report);
  const std::string counts = ReadBytes(corpus_ / "result_counts.csv");
  for (const char* name : {"wave1/interview_01.txt", "wave2/interview_01.txt", "caf\\xE9.txt"}) {
    EXPECT_NE(counts.find(std::string("e,") + name + ",1,1\r\n"), std::string::npos) << counts;
  }

  // A file from another folder, named like one in the corpus: one more part of its path.
  fs::create_directories(root_ / "elsewhere" / "wave1");
  WriteBytes(root_ / "elsewhere" / "wave1" / "interview_01.txt", "<e>y</e>\r\n");
  ExpectSuccess(Count({"--tagset", tag_set_.string(), "--one-file", "--recursive", "--folder",
                       corpus_.string(), (corpus_ / "wave1").string(),
                       (root_ / "elsewhere" / "wave1" / "interview_01.txt").string()}));
  report = ReadBytes(corpus_ / "result.htm");
  EXPECT_NE(report.find(header_of({"wave1/interview_01.txt", "elsewhere/wave1/interview_01.txt"})),
            std::string::npos)
      << ReadableUtf16Le(report);
}

// "{@problems}" carries what may make a report's counts differ from what was meant: the tag
// set's problems, each text's marker problems (the first few listed) and read notes, or one
// line saying there were none; "{@provenance}" names the files read in another encoding.
TEST_F(CountTest, ReportsCarryTheirProblemsAndHowFilesWereRead) {
  WriteBytes(tag_set_, "[e]\nbegin=<e>\nend=</e>\n[again]\nbegin=<e>\nend=</e>\n");
  WriteBytes(corpus_ / "a.txt", "<e>x</e>\n");
  std::string strays;
  for (int i = 0; i < 7; ++i) strays += "a</e>\n";
  WriteBytes(corpus_ / "b.txt", strays);
  WriteBytes(corpus_ / "legacy.txt", "caf\xE9 <e>y</e>\n");
  for (const char* name : {"result.tpl", "resultEx.tpl"}) {
    WriteBytes(programs_ / name, "{@problems}{@provenance}");
  }
  const auto count = [&](std::vector<std::string> args) {
    args.insert(args.begin(), {"--code-page", "UTF-8", "--templates", programs_.string(),
                               "--tagset", tag_set_.string(), corpus_.string()});
    const CliResult result = Run(CountCommand(args));
    EXPECT_EQ(result.exit_code, 0) << result.err;
  };
  count({"--one-file"});
  std::string report = ReadableUtf16Le(ReadBytes(corpus_ / "result.htm"));
  for (const char* expected :
       {"<h3>Tag set</h3>", "has the same markers as tag", "<h3>b.txt</h3>",
        "<li>7 marker problems; the first 5:</li>", "<li>b.txt:5:2: warning: tag",
        "<h3>legacy.txt</h3>", "<li>note: not valid UTF-8; read as windows-1252</li>",
        "<dt>Read otherwise</dt><dd>legacy.txt: windows-1252</dd>"}) {
    EXPECT_NE(report.find(expected), std::string::npos) << expected << "\n" << report;
  }
  EXPECT_EQ(report.find("b.txt:6:2"), std::string::npos) << report;
  EXPECT_EQ(report.find("<h3>a.txt</h3>"), std::string::npos) << report;

  // A report of one text tells its own problems only.
  count({});
  report = ReadableUtf16Le(ReadBytes(corpus_ / "a_result.htm"));
  EXPECT_NE(report.find("has the same markers as tag"), std::string::npos) << report;
  EXPECT_EQ(report.find("b.txt"), std::string::npos) << report;
  EXPECT_EQ(report.find("Read otherwise"), std::string::npos) << report;
  EXPECT_NE(ReadableUtf16Le(ReadBytes(corpus_ / "legacy_result.htm"))
                .find("<dt>Read otherwise</dt><dd>legacy.txt: windows-1252</dd>"),
            std::string::npos);

  // Nothing to say: one line.
  WriteBytes(tag_set_, "[e]\nbegin=<e>\nend=</e>\n");
  fs::remove(corpus_ / "b.txt");
  fs::remove(corpus_ / "legacy.txt");
  count({"--one-file"});
  report = ReadableUtf16Le(ReadBytes(corpus_ / "result.htm"));
  EXPECT_NE(report.find("<p>None: the tag set and every text were read and checked without a "
                        "problem.</p>"),
            std::string::npos)
      << report;
}

TEST_F(CountTest, ErrorsGoToStderrWithTheirExitCodes) {
  WriteBytes(corpus_ / "a.txt", "<e>x</e>\r\n");
  WriteBytes(corpus_ / "b.txt", "<e>x</e>\r\n");

  WriteBytes(tag_set_, "[bad]\r\nbegin=x)\r\nend=</e>\r\n");
  CliResult result = Count({"--tagset", tag_set_.string(), corpus_.string()});
  EXPECT_EQ(result.exit_code, 1);
  EXPECT_EQ(result.out, "");
  // Tag set errors name the tag, the file and the setting, then the engine's or the
  // conversion's own text.
  EXPECT_EQ(result.err, "Tag \"bad\" in " + tag_set_.string() +
                            ", pattern \"x)(.*?)</e>\": Pattern(comp): ParseReg Unmatched () "
                            "(pos 1)\n");

  WriteBytes(tag_set_, "[e]\r\nbegin=<e>\r\nend=</e>\r\ncolor=GG0000\r\n");
  result = Count({"--tagset", tag_set_.string(), corpus_.string()});
  EXPECT_EQ(result.exit_code, 1);
  EXPECT_EQ(result.err, "Tag \"e\" in " + tag_set_.string() +
                            ", color \"GG0000\": '$0000GG' is not a valid integer value\n");

  // A report path in the way (a folder) stops the run before any report is written.
  WriteBytes(tag_set_, "[e]\r\nbegin=<e>\r\nend=</e>\r\n");
  fs::create_directory(corpus_ / "b_result.htm");
  result = Count({"--tagset", tag_set_.string(), corpus_.string()});
  EXPECT_EQ(result.exit_code, 1);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err, "Cannot create file \"" + (corpus_ / "b_result.htm").string() +
                            "\". It is a folder, not a regular file.\n");
  EXPECT_FALSE(fs::exists(corpus_ / "a_result.htm"));

  result = Count({"--tagset", tag_set_.string(), "--filter", "(a", corpus_.string()});
  EXPECT_EQ(result.exit_code, 1);
  EXPECT_EQ(result.err, "Pattern(comp): ParseReg Unmatched () (pos 2)\n");

  result = Count({corpus_.string(), "--tagset"});
  EXPECT_EQ(result.exit_code, 2);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err.rfind("farrowdale-cli: count: --tagset needs a value\n", 0), 0u)
      << result.err;
  EXPECT_NE(result.err.find("Usage"), std::string::npos);

  EXPECT_EQ(Count({"--tagset", tag_set_.string()}).exit_code, 2);
  EXPECT_EQ(Count({"--tagset", tag_set_.string(), "--bogus", corpus_.string()}).exit_code, 2);
  result = Count({"--help"});
  EXPECT_EQ(result.exit_code, 0);
  EXPECT_EQ(result.out.rfind("Usage: farrowdale-cli count", 0), 0u) << result.out;
  EXPECT_EQ(result.err, "");
}

// Files are read and counted on several threads, yet every report byte, every warning and
// its place among the others, and the time message's line are what one thread gives.
TEST_F(CountTest, AnyNumberOfJobsGivesTheSameReportsAndWarnings) {
  WriteBytes(tag_set_, kEmotionAndPlaceTags);
  for (int i = 0; i < 12; ++i) {
    std::string text;
    for (int k = 0; k <= i; ++k) text += "<e>mood " + std::to_string(k % 4) + "</e> >>town!! ";
    // Every third file ends at a zero byte: a warning each, in list order.
    if (i % 3 == 1) text += std::string("\0<e>never</e>", 14);
    WriteBytes(corpus_ / ("f" + std::to_string(10 + i) + ".txt"), text);
  }
  std::string first_err;
  std::vector<std::string> first_reports;
  for (const char* jobs : {"1", "2", "5"}) {
    const CliResult result =
        Count({"--tagset", tag_set_.string(), "--jobs", jobs, corpus_.string()});
    ASSERT_EQ(result.exit_code, 0) << result.err;
    std::vector<std::string> reports;
    for (int i = 0; i < 12; ++i) {
      reports.push_back(ReadBytes(corpus_ / ("f" + std::to_string(10 + i) + "_result.htm")));
    }
    if (first_reports.empty()) {
      first_err = result.err;
      first_reports = reports;
      EXPECT_NE(first_err.find("f11.txt: warning: text ends at a zero byte"), std::string::npos)
          << first_err;
      continue;
    }
    EXPECT_EQ(result.err, first_err) << jobs << " jobs";
    EXPECT_EQ(reports, first_reports) << jobs << " jobs";
  }
  for (const char* jobs : {"0", "-1", "x", "1025", ""}) {
    const CliResult result =
        Count({"--tagset", tag_set_.string(), "--jobs", jobs, corpus_.string()});
    EXPECT_EQ(result.exit_code, 2) << jobs;
    EXPECT_EQ(result.err.rfind("farrowdale-cli: count: --jobs needs a number of threads", 0), 0u)
        << result.err;
  }
}

TEST_F(CountTest, TheShippedTemplatesFillEveryPlaceholderAndForbidScripts) {
  for (const char* name : {"result.tpl", "resultEx.tpl"}) {
    const std::string bytes = ReadBytes(kShippedTemplates / name);
    // Read as system code page text: only ASCII reads the same in every code page.
    for (char c : bytes) ASSERT_EQ(static_cast<unsigned char>(c) & 0x80, 0) << name;
    fs::copy_file(kShippedTemplates / name, programs_ / name, fs::copy_options::overwrite_existing);
  }
  WriteBytes(tag_set_, kEmotionAndPlaceTags);
  WriteBytes(corpus_ / "a.txt", "<e>x</e> <e><script>alert(1)</script></e>\r\n");
  WriteBytes(corpus_ / "b.txt", ">>Oslo!!\r\n");
  ExpectSuccess(Count({"--tagset", tag_set_.string(), corpus_.string()}));
  ExpectSuccess(Count({"--tagset", tag_set_.string(), "--one-file", corpus_.string()}));
  for (const char* report : {"a_result.htm", "result.htm"}) {
    const std::string text = ReadableUtf16Le(ReadBytes(corpus_ / report));
    EXPECT_EQ(text.find("{@"), std::string::npos) << report;
    EXPECT_NE(
        text.find("<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none';"),
        std::string::npos)
        << report;
    EXPECT_NE(text.find("&lt;script&gt;alert(1)&lt;/script&gt;"), std::string::npos) << report;
  }
}

}  // namespace
