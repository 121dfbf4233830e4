// Whole runs through the built farrowdale-cli count: each test writes a corpus, a tag set and
// the templates into a folder of its own, runs the command and compares the reports byte for
// byte with golden/ (made from the minimal templates in templates/) or with inline bytes.
// After every test no scratch file "tmp.N" may exist anywhere in that folder, which holds
// the program's (templates) folder and the corpus folder.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <string>
#include <string_view>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;

const fs::path kSourceDir = FARROWDALE_E2E_SOURCE_DIR;
const fs::path kShippedTemplates = FARROWDALE_TEMPLATES_DIR;
constexpr char kTimeMessage[] = R"(^[0-9]+([.,][0-9]+)? second\(s\) used\.\n$)";

std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const fs::path& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// A UTF-16 LE file with byte-order mark holding UTF-16 text.
std::string Utf16Le(std::u16string_view text) {
  std::string bytes = "\xFF\xFE";
  for (char16_t c : text) {
    bytes += static_cast<char>(c & 0xFF);
    bytes += static_cast<char>(c >> 8);
  }
  return bytes;
}

std::string Utf16Le(std::string_view ascii) {
  return Utf16Le(std::u16string(ascii.begin(), ascii.end()));
}

// A UTF-16 LE report as readable text, for failure messages.
std::string Readable(const std::string& bytes) {
  std::string text;
  for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
    const unsigned code =
        static_cast<unsigned char>(bytes[i]) | (static_cast<unsigned char>(bytes[i + 1]) << 8);
    if (code < 0x80) {
      text += static_cast<char>(code);
    } else {
      char escaped[12];
      std::snprintf(escaped, sizeof escaped, "\\u%04X", code);
      text += escaped;
    }
  }
  return text;
}

struct CliResult {
  int exit_code = -1;
  std::string out;
  std::string err;
};

class CountTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    root_ =
        fs::path(::testing::TempDir()) / ("e2e_" + std::to_string(getpid()) + "_" + info->name());
    fs::remove_all(root_);
    fs::create_directories(corpus_ = root_ / "corpus");
    fs::create_directories(programs_ = root_ / "program");
    for (const char* name : {"result.tpl", "resultEx.tpl"}) {
      fs::copy_file(kSourceDir / "templates" / name, programs_ / name);
    }
    tag_set_ = root_ / "tagset.ini";
  }

  void TearDown() override {
    for (const auto& entry : fs::recursive_directory_iterator(root_)) {
      EXPECT_NE(entry.path().filename().string().rfind("tmp.", 0), 0u)
          << "scratch file left: " << entry.path();
    }
    if (!HasFailure()) fs::remove_all(root_);
  }

  // farrowdale-cli count with the test's templates and windows-1252, then args.
  CliResult Count(std::vector<std::string> args) {
    std::vector<std::string> full = {FARROWDALE_CLI_PATH, "count",       "--templates",
                                     programs_.string(),  "--code-page", "windows-1252"};
    full.insert(full.end(), args.begin(), args.end());
    return Run(full);
  }

  CliResult Run(const std::vector<std::string>& args) {
    const fs::path out = root_ / "stdout.log";
    const fs::path err = root_ / "stderr.log";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::vector<char*> argv;
    std::vector<std::string> copies = args;
    for (std::string& arg : copies) argv.push_back(arg.data());
    argv.push_back(nullptr);
    pid_t pid;
    CliResult result;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) {
      int status = 0;
      waitpid(pid, &status, 0);
      result.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    result.out = ReadBytes(out);
    result.err = ReadBytes(err);
    fs::remove(out);
    fs::remove(err);
    return result;
  }

  // A run that ends normally: the time message alone on stdout, and on stderr exactly
  // expected_err (the marker-problem pointer, when the corpus has problems).
  void ExpectSuccess(const CliResult& result, std::string_view expected_err = "") {
    EXPECT_EQ(result.exit_code, 0) << result.err;
    EXPECT_TRUE(std::regex_match(result.out, std::regex(kTimeMessage))) << result.out;
    EXPECT_EQ(result.err, expected_err);
  }

  void ExpectReport(const fs::path& report, std::string_view expected) {
    const std::string actual = ReadBytes(report);
    if (actual != expected) {
      ADD_FAILURE() << "report " << report << " differs";
      EXPECT_EQ(Readable(actual), Readable(std::string(expected)));
    }
  }

  void ExpectGoldenReport(const fs::path& report, const char* golden) {
    ExpectReport(report, ReadBytes(kSourceDir / "golden" / golden));
  }

  fs::path root_, corpus_, programs_, tag_set_;
};

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
             Utf16Le("<t>home</t>, <t>home</t>, <t>home</t>\r\n<m><b>bold</b></m>\r\n"));
  ExpectSuccess(Count({"--tagset", tag_set_.string(), "--one-file", corpus_.string()}));
  ExpectGoldenReport(corpus_ / "result.htm", "combined.htm");
  EXPECT_FALSE(fs::exists(corpus_ / "one_result.htm"));
}

// The encoded letters of tests/letters: attributes holding "=", self-closing elements, a
// same-name element nested in another, passages over several lines, a no-break space
// against a space, "&amp;" entities, and markup and "{@filename}" inside passages.
TEST_F(CountTest, LettersCorpusGivesTheGoldenReports) {
  const fs::path letters = kSourceDir.parent_path() / "letters";
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
  // The markers are deliberate patterns, and one letter nests a name and leaves a gap open.
  constexpr std::string_view kProblems =
      "9 possible marker problems in 3 files; run \"farrowdale-cli check\" for the list\n";
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

TEST_F(CountTest, EmptyTagSetGivesNoFileReportsButACombinedReport) {
  WriteBytes(tag_set_, "; no tags yet\r\n");
  WriteBytes(corpus_ / "a.txt", "<e>x</e>\r\n");
  WriteBytes(corpus_ / "b.txt", "");
  ExpectSuccess(Count({"--tagset", tag_set_.string(), corpus_.string()}));
  EXPECT_FALSE(fs::exists(corpus_ / "a_result.htm"));
  EXPECT_FALSE(fs::exists(corpus_ / "b_result.htm"));

  // A tag set file that does not exist is an empty tag set too.
  ExpectSuccess(Count({"--tagset", (root_ / "none.ini").string(), "--one-file", corpus_.string()}));
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
  ExpectReport(report, Utf16Le("1|{@item}|1|{@table_header}\r\n"));

  run_with_template("<p>no placeholder</p>\n<p>lone\rbreaks</p>");
  ExpectReport(report, Utf16Le("<p>no placeholder</p>\r\n<p>lone\r\nbreaks</p>\r\n"));

  run_with_template("\xFF\xFE");
  ExpectReport(report, "\xFF\xFE");

  // A UTF-16 template passes through the code page: the Cyrillic letter has no form in
  // windows-1252, the accented one has.
  run_with_template(Utf16Le(u"\u00E9 \u0416 {@hit}\r\n"));
  ExpectReport(report, Utf16Le(u"\u00E9 ? 1\r\n"));
}

TEST_F(CountTest, MissingTemplatesWriteNothingAndTheRunGoesOn) {
  fs::remove(programs_ / "result.tpl");
  fs::remove(programs_ / "resultEx.tpl");
  fs::create_directory(programs_ / "resultEx.tpl");  // a folder of that name does not count
  WriteBytes(tag_set_, "[e]\r\nbegin=<e>\r\nend=</e>\r\n");
  WriteBytes(corpus_ / "a.txt", "<e>x</e>\r\n");
  WriteBytes(corpus_ / "b.txt", "<e>y</e>\r\n");
  ExpectSuccess(Count({"--tagset", tag_set_.string(), corpus_.string()}));
  ExpectSuccess(Count({"--tagset", tag_set_.string(), "--one-file", corpus_.string()}));
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
  ExpectReport(root_ / "other" / "result.htm", Utf16Le("result.htm\r\n"));
  EXPECT_FALSE(fs::exists(corpus_ / "result.htm"));
  WriteBytes(programs_ / "resultEx.tpl", "{@table_header}");
  ExpectSuccess(
      Count({"--tagset", tag_set_.string(), "--filter", "[bc]\\.txt$", "--one-file", "--folder",
             corpus_.string(), corpus_.string(), (root_ / "other" / "c.txt").string()}));
  const std::string header = ReadBytes(corpus_ / "result.htm");
  EXPECT_NE(header.find(Utf16Le("<td class=\"f\">b.txt</td><td class=\"f\">c.txt</td><td "
                                "class=\"co\">")
                            .substr(2)),
            std::string::npos)
      << Readable(header);
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

  // A report that cannot be created ends the run; the earlier file's report stays.
  WriteBytes(tag_set_, "[e]\r\nbegin=<e>\r\nend=</e>\r\n");
  fs::create_directory(corpus_ / "b_result.htm");
  result = Count({"--tagset", tag_set_.string(), corpus_.string()});
  EXPECT_EQ(result.exit_code, 1);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(
      result.err.rfind("Cannot create file \"" + (corpus_ / "b_result.htm").string() + "\". ", 0),
      0u)
      << result.err;
  EXPECT_TRUE(fs::exists(corpus_ / "a_result.htm"));

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
    const std::string text = Readable(ReadBytes(corpus_ / report));
    EXPECT_EQ(text.find("{@"), std::string::npos) << report;
    EXPECT_NE(
        text.find("<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none';"),
        std::string::npos)
        << report;
    EXPECT_NE(text.find("&lt;script&gt;alert(1)&lt;/script&gt;"), std::string::npos) << report;
  }
}

}  // namespace
