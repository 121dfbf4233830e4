#include "run/coding_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <deque>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "count/check_summary.h"
#include "count/frequency_list.h"
#include "count/marker_check.h"
#include "count/tagged_text.h"
#include "regex/pattern_engine.h"
#include "report/provenance.h"
#include "run/coding_check.h"
#include "testing/code_page_guard.h"
#include "testing/file_bytes.h"
#include "testing/reference_counts.h"
#include "testing/scratch_folder.h"
#include "testing/time_zone_guard.h"
#include "text/code_page.h"
#include "text/error.h"

namespace farrowdale {
namespace {

namespace fs = std::filesystem;

class FakeHost : public TCodingRunHost {
 public:
  void ShowInformation(const std::string& message) override { messages.push_back(message); }
  void ShellOpen(const fs::path& path) override { opened.push_back(path); }
  uint32_t TickCount() override {
    if (ticks.empty()) return 0;
    const uint32_t tick = ticks.front();
    ticks.pop_front();
    return tick;
  }
  std::chrono::system_clock::time_point Now() override { return now; }
  fs::path TemplateFolder() override { return program_folder; }
  void Progress(int files_done, int files_ticked) override {
    progress.emplace_back(files_done, files_ticked);
  }
  void Warn(const fs::path& path, const std::string& message) override {
    warnings.emplace_back(path, message);
  }
  void ShowStatus(const std::string& line) override {
    statuses.push_back(line);
    if (on_status) on_status();
  }

  bool CancelRequested() override {
    return cancel_after_files >= 0 && static_cast<int>(progress.size()) >= cancel_after_files;
  }

  int cancel_after_files = -1;  // the user presses Cancel once this many files are done

  std::deque<uint32_t> ticks;
  std::chrono::system_clock::time_point now;
  fs::path program_folder;
  std::vector<std::string> messages;
  std::vector<fs::path> opened;
  std::vector<std::pair<int, int>> progress;
  std::vector<std::pair<fs::path, std::string>> warnings;
  std::vector<std::string> statuses;
  std::function<void()> on_status;
};

constexpr char kTagSet[] =
    "[a]\r\nbegin=<e>\r\nend=</e>\r\ncolor=FF0000\r\n"
    "[-]\r\nbegin=<x>\r\nend=</x>\r\n"
    "[b]\r\nbegin=<f>\r\nend=</f>\r\n";

// Every entry of a file's sorted list of passages, as the one-file mode keeps it.
std::vector<std::u16string> SortedEntries(const TFilePassages& passages) {
  std::vector<std::u16string> entries;
  for (const TPassageRun& run : passages.Runs) {
    entries.insert(entries.end(), run.Entries, passages.Texts.at(run.Id));
  }
  return entries;
}

class CodingRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    corpus_ = root_ / "corpus";
    host_.program_folder = root_ / "program";
    fs::create_directories(corpus_);
    fs::create_directories(host_.program_folder);
    WriteFile(host_.program_folder / "result.tpl", "{@item}|{@hit}|{@table}");
    WriteFile(host_.program_folder / "resultEx.tpl", "{@table_header}|{@table}");
    WriteFile(root_ / "tags.ini", kTagSet);
    tag_set_path_ = root_ / "tags.ini";
    request_.corpus_folder = corpus_;
  }
  static void WriteFile(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
  }
  static std::string ReadBytes(const fs::path& path) { return testing_support::ReadBytes(path); }
  // A report's text (UTF-16 LE after its mark) as narrow text.
  static std::string ReadReport(const fs::path& path) {
    const std::string bytes = ReadBytes(path);
    EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE");
    std::u16string text;
    for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
      text += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                    static_cast<unsigned char>(bytes[i + 1]) << 8);
    }
    return ToNarrow(text);
  }

  void AddItem(const std::string& name, const std::string& text, bool checked = true) {
    if (!text.empty()) WriteFile(corpus_ / name, text);
    request_.items.push_back({corpus_ / name, checked});
  }

  const CodePageGuard code_page_{"windows-1252"};
  const testing_support::ScratchFolder scratch_{"coding_run"};
  const fs::path root_ = scratch_.path();
  fs::path corpus_;
  FakeHost host_;
  TCodingRunRequest request_;
  fs::path tag_set_path_;
  TRunTagSet tag_set_;  // as the last run read it

  // A run as a front end makes it: the tag set read once, then counted with.
  TRunSummary Run() {
    tag_set_ = ReadRunTagSet(tag_set_path_);
    return RunCoding(request_, tag_set_, host_);
  }
};

TEST_F(CodingRunTest, CountTagsInTextFillsOneRecordPerTagNotSkipped) {
  TTagArray tags;
  LoadTagSet(TIniFile(root_ / "tags.ini"), tags);
  const TTagScanner scanner(tags, root_ / "tags.ini");
  const std::string text = "<e>a</e> <e>b</e> <e>a</e>\r\n<e> a </e>\r\n";

  const TStatArray per_file = CountTagsInText(text, tags, scanner, false);
  ASSERT_EQ(per_file.size(), 2u);
  EXPECT_EQ(per_file[0].Name, "a");
  EXPECT_EQ(per_file[0].Markers, "<e>...</e>");
  EXPECT_EQ(per_file[0].Color, "FF0000");
  EXPECT_EQ(per_file[0].Freq, 4);
  EXPECT_EQ(per_file[0].Count, 2);
  ASSERT_EQ(per_file[0].Distinct.size(), 2u);
  EXPECT_EQ(per_file[0].Distinct[0].Text, u"a");
  EXPECT_EQ(per_file[0].Distinct[0].Count, 3);
  EXPECT_TRUE(per_file[0].Passages.Runs.empty());
  EXPECT_EQ(per_file[1].Name, "b");
  EXPECT_EQ(per_file[1].Color, "000000");
  EXPECT_EQ(per_file[1].Freq, 0);
  EXPECT_EQ(per_file[1].Count, 0);
  EXPECT_TRUE(per_file[1].Distinct.empty());

  // One-file mode also keeps the extracted texts, whole, in sorted order.
  const TStatArray one_file = CountTagsInText(text, tags, scanner, true);
  ASSERT_EQ(one_file.size(), 2u);
  EXPECT_EQ(one_file[0].Freq, 4);
  EXPECT_EQ(one_file[0].Count, 2);
  EXPECT_EQ(SortedEntries(one_file[0].Passages),
            (std::vector<std::u16string>{u"a", u"a", u"a", u"b"}));
  EXPECT_TRUE(one_file[1].Passages.Runs.empty());

  // "Abc" and "abc" are one text.
  const TStatArray folded = CountTagsInText("<e>Abc</e><e>abc</e>", tags, scanner, false);
  EXPECT_EQ(folded[0].Count, 1);
  EXPECT_EQ(folded[0].Freq, 2);
  EXPECT_EQ(folded[0].Distinct[0].Text, u"Abc");
}

// The counts of one tag as the list of every occurrence gives them: extraction by an engine
// of its own, the collation quicksort of every passage, grouping by key.
struct TOccurrenceCount {
  TStatInfo stat;
  std::vector<std::u16string> sorted;  // every passage, as the quicksort left them
};
TOccurrenceCount CountedOccurrenceByOccurrence(const std::string& text, const TTagInfo& tag) {
  TOccurrenceCount count;
  TUnicodeStringList extracted;
  CollectTaggedTextsNarrow(text, tag, extracted);
  count.stat.Freq = extracted.EntryCount();
  count.stat.Distinct = CountDistinctTexts(extracted, true);
  for (int i = 0; i < count.stat.Freq; ++i) count.sorted.push_back(extracted.EntryAt(i));
  return count;
}

// Tallying distinct passages first gives the same frequency list (tie orders included) and the
// same sorted passages as counting every occurrence: on passages that differ only in case or
// by a no-break space (collation ties, where the run falls back to the quicksort of every
// occurrence) and on passages without ties, under UTF-8 and windows-1252.
TEST_F(CodingRunTest, CountsAreThoseOfSortingEveryOccurrence) {
  const std::vector<std::string> pieces = {"a",        "b", "ab",       "A",    "\xc3\xa9",
                                           "\xc3\x89", " ", "\xc2\xa0", "\r\n", "z"};
  std::mt19937 rng(5);
  for (const char* code_page : {"UTF-8", "windows-1252"}) {
    SetSystemCodePage(code_page);
    TTagInfo tag;
    tag.Name = "e";
    tag.BeginMark = "<e>";
    tag.EndMark = "</e>";
    const TTagScanner scanner({tag}, "tags.ini");
    for (int round = 0; round < 400; ++round) {
      // Fewer pieces make ties rarer, so both ways of counting are taken.
      const size_t alphabet = 2 + rng() % (pieces.size() - 1);
      std::string text;
      for (size_t n = rng() % 40; n > 0; --n) {
        text += "<e>";
        for (size_t k = 1 + rng() % 3; k > 0; --k) text += pieces[rng() % alphabet];
        text += "</e> ";
      }
      const auto [want, want_sorted] = CountedOccurrenceByOccurrence(text, tag);
      const TStatInfo got = CountTagsInText(text, {tag}, scanner, true).at(0);
      ASSERT_EQ(got.Freq, want.Freq) << text;
      ASSERT_EQ(got.Count, static_cast<int32_t>(want.Distinct.size())) << text;
      for (size_t i = 0; i < want.Distinct.size(); ++i) {
        ASSERT_EQ(got.Distinct[i].Text, want.Distinct[i].Text) << code_page << " " << text;
        ASSERT_EQ(got.Distinct[i].Count, want.Distinct[i].Count) << code_page << " " << text;
      }
      ASSERT_EQ(SortedEntries(got.Passages), want_sorted) << code_page << " " << text;
    }
  }
}

TEST_F(CodingRunTest, PerFileRunWritesAReportBesideEachTickedFile) {
  AddItem("one.txt", "<e>a</e><e>a</e><e>b</e><e>a</e>");
  AddItem("TWO.TXT", "nothing here");
  AddItem("three.txt", "<e>a</e>", false);
  host_.ticks = {1000, 1050};
  const TRunSummary summary = Run();
  EXPECT_EQ(summary.files_counted, 2);
  EXPECT_EQ(summary.passages_found, 4);
  EXPECT_EQ(summary.reports,
            (std::vector<fs::path>{corpus_ / "one_result.htm", corpus_ / "TWO_result.htm"}));
  EXPECT_EQ(summary.time_message, "0.05 second(s) used.");

  ASSERT_EQ(tag_set_.check.tags.size(), 3u);
  EXPECT_EQ(tag_set_.check.tags[0].Name, "a");
  const std::string one = ReadReport(corpus_ / "one_result.htm");
  EXPECT_EQ(one.substr(0, 8), "2|1|<tr>");
  EXPECT_NE(one.find("<td class=\"co\">2</td><td class=\"f\">4</td>"
                     "<td class=\"c\">a (3) <br>b (1) <br></td>"),
            std::string::npos);
  EXPECT_EQ(ReadReport(corpus_ / "TWO_result.htm").substr(0, 8), "2|0|<tr>");
  EXPECT_FALSE(fs::exists(corpus_ / "three_result.htm"));
  EXPECT_FALSE(fs::exists(corpus_ / "result.htm"));

  EXPECT_EQ(host_.messages, std::vector<std::string>{"0.05 second(s) used."});
  EXPECT_EQ(host_.opened, std::vector<fs::path>{corpus_});
  EXPECT_EQ(host_.progress, (std::vector<std::pair<int, int>>{{1, 2}, {2, 2}}));
}

TEST_F(CodingRunTest, OneFileRunWritesTheCombinedReportAndOpensIt) {
  AddItem("one.txt", "<e>a</e><e>a</e><e>b</e><e>a</e>");
  AddItem("two.txt", "<e>A</e>");
  AddItem("skipped.txt", "<e>a</e>", false);
  request_.one_file_mode = true;
  request_.corpus_folder = corpus_.string() + "/";
  const TRunSummary summary = Run();
  EXPECT_EQ(summary.files_counted, 2);
  EXPECT_EQ(summary.passages_found, 5);
  ASSERT_EQ(summary.reports.size(), 1u);
  EXPECT_EQ(summary.reports[0].string(), corpus_.string() + "/result.htm");

  const std::string report = ReadReport(corpus_ / "result.htm");
  EXPECT_NE(
      report.find("<td class=\"f\">one.txt</td><td class=\"f\">two.txt</td><td class=\"co\">"),
      std::string::npos);
  EXPECT_EQ(report.find("skipped.txt"), std::string::npos);
  EXPECT_NE(report.find("<td><span class=\"c\">2</span>/<span class=\"f\">4</span></td>"
                        "<td><span class=\"c\">1</span>/<span class=\"f\">1</span></td>"),
            std::string::npos);
  EXPECT_FALSE(fs::exists(corpus_ / "one_result.htm"));
  ASSERT_EQ(host_.opened.size(), 1u);
  EXPECT_EQ(host_.opened[0].string(), corpus_.string() + "/result.htm");
  EXPECT_EQ(host_.messages, std::vector<std::string>{"0 second(s) used."});
}

TEST_F(CodingRunTest, TablesAreWrittenOnlyWhenAskedAndNeverOverAListedFileOrALink) {
  AddItem("one.txt", "x <e>a</e>\r\n <e>b</e> <f>c</f>");
  Run();
  EXPECT_FALSE(fs::exists(corpus_ / "result_counts.csv"));
  EXPECT_FALSE(fs::exists(corpus_ / "result_passages.csv"));

  // Both modes write them, and a second run replaces them.
  request_.write_tables = true;
  for (const bool one_file : {false, true}) {
    request_.one_file_mode = one_file;
    Run();
    EXPECT_EQ(ReadBytes(corpus_ / "result_counts.csv"),
              "\xEF\xBB\xBFtag,file,passages,distinct passages\r\n"
              "a,one.txt,2,2\r\nb,one.txt,1,1\r\n");
    EXPECT_EQ(ReadBytes(corpus_ / "result_passages.csv"),
              "\xEF\xBB\xBFtag,file,line,column,passage\r\n"
              "a,one.txt,1,6,a\r\na,one.txt,2,5,b\r\nb,one.txt,2,14,c\r\n");
  }

  // A link at a table's place stops the run before any report is written: nothing is
  // written through it.
  fs::remove(corpus_ / "result.htm");
  fs::remove(corpus_ / "result_passages.csv");
  WriteFile(root_ / "elsewhere.csv", "not ours");
  fs::create_symlink(root_ / "elsewhere.csv", corpus_ / "result_passages.csv");
  EXPECT_THROW(Run(), Error);
  EXPECT_EQ(ReadBytes(root_ / "elsewhere.csv"), "not ours");
  EXPECT_TRUE(fs::is_symlink(corpus_ / "result_passages.csv"));
  EXPECT_FALSE(fs::exists(corpus_ / "result.htm"));

  // So does a listed file named like a table.
  fs::remove(corpus_ / "result_passages.csv");
  AddItem("result_counts.csv", "my own counts");
  EXPECT_THROW(Run(), Error);
  EXPECT_EQ(ReadBytes(corpus_ / "result_counts.csv"), "my own counts");
}

// The passages table gives each passage's line ends as the text has them, lone CR and LF
// included, while lines still count every kind.
TEST_F(CodingRunTest, PassagesInTheTableKeepTheirLineEnds) {
  AddItem("one.txt", "<e>a\rb</e>\n<e>c\nd\r\ne</e>\r<f>\rf\r</f>");
  request_.write_tables = true;
  Run();
  EXPECT_EQ(ReadBytes(corpus_ / "result_passages.csv"),
            "\xEF\xBB\xBFtag,file,line,column,passage\r\n"
            "a,one.txt,1,4,\"a\rb\"\r\na,one.txt,3,4,\"c\nd\r\ne\"\r\nb,one.txt,7,1,f\r\n");
}

// The report's text with the scratch folder's path (which differs per run) as "ROOT",
// compared with golden/NAME; FARROWDALE_UPDATE_GOLDEN=1 writes the golden file instead.
void ExpectGolden(const std::string& report, const fs::path& root, const std::string& name) {
  std::string text = report;
  const std::string scratch = root.string();
  for (size_t at = text.find(scratch); at != std::string::npos; at = text.find(scratch, at)) {
    text.replace(at, scratch.size(), "ROOT");
  }
  const fs::path golden = fs::path(FARROWDALE_RUN_GOLDEN_DIR) / name;
  if (std::getenv("FARROWDALE_UPDATE_GOLDEN") != nullptr) {
    std::ofstream(golden, std::ios::binary) << text;
    return;
  }
  std::ifstream in(golden, std::ios::binary);
  EXPECT_EQ(text, std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()))
      << name;
}

// A corpus with a passage over two lines, markup and an accent in passages, a passage found in
// both files and one found in another letter case.
class ReportSectionsTest : public CodingRunTest {
 protected:
  void SetUp() override {
    CodingRunTest::SetUp();
    constexpr char kSections[] = "\r\n{@chart}\r\n{@passages}\r\n{@provenance}\r\n";
    WriteFile(host_.program_folder / "result.tpl", std::string("{@table}") + kSections);
    WriteFile(host_.program_folder / "resultEx.tpl",
              std::string("{@table_header}|{@table}") + kSections);
    AddItem("one.txt",
            "Intro\r\n<e>a & b</e> then <e>A & B</e>\r\nx <e>caf\xE9 <b></e> <f>two\r\n"
            "lines</f>\r\n");
    AddItem("two.txt", "<e>a & b</e>\r\n");
    request_.filter = "o\\.txt";
    host_.now = std::chrono::system_clock::from_time_t(1772407805);  // 2026-03-01T23:30:05Z
  }
  testing_support::TimeZoneGuard zone_{"UTC0"};
};

TEST_F(ReportSectionsTest, PerFileReportsShowChartPassagesInContextAndProvenance) {
  Run();
  ExpectGolden(ReadReport(corpus_ / "one_result.htm"), root_, "sections_one_result.txt");
}

TEST_F(ReportSectionsTest, CombinedReportShowsChartsPassagesOverAllFilesAndProvenance) {
  request_.one_file_mode = true;
  Run();
  ExpectGolden(ReadReport(corpus_ / "result.htm"), root_, "sections_result.txt");
}

// The report names the tag set the run counted with: a file replaced between reading the tag
// set and running is neither counted nor hashed. No file read, no hash.
TEST_F(ReportSectionsTest, ProvenanceHashesTheTagSetBytesCountedNotTheFileOnDiskLater) {
  request_.one_file_mode = true;
  const std::string counted = ReadBytes(tag_set_path_);
  tag_set_ = ReadRunTagSet(tag_set_path_);
  WriteFile(tag_set_path_, std::string(kTagSet) + "[later]\r\nbegin=<f>\r\nend=</f>\r\n");
  RunCoding(request_, tag_set_, host_);
  const std::string report = ReadReport(corpus_ / "result.htm");
  EXPECT_NE(report.find(Sha256Hex(counted)), std::string::npos);
  EXPECT_EQ(report.find(Sha256Hex(ReadBytes(tag_set_path_))), std::string::npos);
  EXPECT_EQ(report.find("later"), std::string::npos);

  EXPECT_EQ(ReadRunTagSet("").sha256, "");
  EXPECT_EQ(ReadRunTagSet(root_ / "absent.ini").sha256, "");
}

TEST_F(ReportSectionsTest, PastTenOccurrencesOfAPassageTheRestAreCounted) {
  request_.items.clear();
  std::string many;
  for (int i = 0; i < 60; ++i) many += "<e>x</e>\r\n";
  AddItem("many.txt", many);
  request_.one_file_mode = true;
  Run();
  const std::string report = ReadReport(corpus_ / "result.htm");
  EXPECT_NE(report.find("many.txt:10:4<"), std::string::npos);
  EXPECT_EQ(report.find("many.txt:11:4<"), std::string::npos);
  EXPECT_NE(report.find("<p class=\"more\">and 50 more occurrences, all"), std::string::npos);
}

TEST_F(CodingRunTest, FailureStopsTheRunWritesNothingAndShowsNothing) {
  AddItem("one.txt", "<e>a</e>");
  AddItem("missing.txt", "");
  AddItem("three.txt", "<e>a</e>");
  EXPECT_THROW(Run(), Error);
  // The reports of a run take their place together, or not at all.
  EXPECT_FALSE(fs::exists(corpus_ / "one_result.htm"));
  EXPECT_FALSE(fs::exists(corpus_ / "three_result.htm"));
  EXPECT_TRUE(host_.messages.empty());
  EXPECT_TRUE(host_.opened.empty());

  // One-file mode: no combined report at all.
  request_.one_file_mode = true;
  EXPECT_THROW(Run(), Error);
  EXPECT_FALSE(fs::exists(corpus_ / "result.htm"));

  // A malformed colour stops the run before any file is read.
  WriteFile(root_ / "tags.ini", "[a]\r\nbegin=<e>\r\nend=</e>\r\ncolor=GG0000\r\n");
  request_.one_file_mode = false;
  try {
    Run();
    FAIL() << "no error";
  } catch (const Error& error) {
    EXPECT_EQ(error.what(), "Tag \"a\" in " + (root_ / "tags.ini").string() +
                                ", color \"GG0000\": '$0000GG' is not a valid integer value");
  }
  EXPECT_FALSE(fs::exists(corpus_ / "one_result.htm"));
  EXPECT_TRUE(host_.messages.empty());
  EXPECT_TRUE(host_.opened.empty());

  // So does a marker that forms no pattern, even when no file is ticked.
  WriteFile(root_ / "tags.ini",
            "[ok]\r\nbegin=<e>\r\nend=</e>\r\n[emo]\r\nbegin=[EMO\r\nend=x\r\n");
  request_.items.clear();
  try {
    Run();
    FAIL() << "no error";
  } catch (const EPatternError& error) {
    EXPECT_EQ(error.what(), "Tag \"emo\" in " + (root_ / "tags.ini").string() +
                                ", pattern \"[EMO(.*?)x\": Pattern(comp): Unmatched [] (pos 10)");
  }
  EXPECT_TRUE(host_.messages.empty());

  // A tag with an end marker and no begin marker would count from the start of the text: it
  // stops the run before anything is written, pointing at the key typo.
  AddItem("one.txt", "<e>a</e>");
  WriteFile(root_ / "tags.ini",
            "[ok]\r\nbegin=<e>\r\nend=</e>\r\n[emotion]\r\nbegn=<e>\r\nend=</e>\r\n");
  try {
    Run();
    FAIL() << "no error";
  } catch (const Error& error) {
    EXPECT_EQ(error.what(), "Tag \"emotion\" in " + (root_ / "tags.ini").string() +
                                " has an end marker but no begin marker (line 5 has \"begn\"; "
                                "did you mean \"begin\"?)");
  }
  EXPECT_FALSE(fs::exists(corpus_ / "one_result.htm"));
  EXPECT_TRUE(host_.messages.empty());
}

// Files before the failing one were counted and their reports rendered, but none replaces
// what was there before, and no temporary file stays.
TEST_F(CodingRunTest, AFailureLeavesEveryPreviousReportAsItWas) {
  AddItem("a.txt", "<e>a</e>");
  AddItem("b.txt", "");
  WriteFile(corpus_ / "a_result.htm", "the previous report");
  std::vector<std::string> expected = {"a.txt", "a_result.htm"};
  for (int i = 0; i < 12; ++i) {
    AddItem("c" + std::to_string(i) + ".txt", "<e>c</e>");
    expected.push_back("c" + std::to_string(i) + ".txt");
  }
  std::sort(expected.begin(), expected.end());
  for (const int jobs : {1, 4}) {
    request_.jobs = jobs;
    host_.progress.clear();
    EXPECT_THROW(Run(), Error);
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(corpus_)) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, expected) << jobs << " jobs";
    EXPECT_EQ(ReadBytes(corpus_ / "a_result.htm"), "the previous report");
    EXPECT_EQ(host_.progress, (std::vector<std::pair<int, int>>{{1, 14}}));
  }
}

// Per-file reports commit in batches of 256: a failure after the first batch leaves that
// batch written and nothing of the next, not even a temporary file.
TEST_F(CodingRunTest, PerFileReportsCommitInBoundedBatches) {
  for (int i = 0; i < 300; ++i) {
    AddItem("t" + std::to_string(1000 + i) + ".txt", i == 280 ? "" : "<e>t</e>");
  }
  EXPECT_THROW(Run(), Error);
  size_t reports = 0;
  for (const auto& entry : fs::directory_iterator(corpus_)) {
    const std::string name = entry.path().filename().string();
    ASSERT_NE(name[0], '.') << "temporary left: " << name;
    if (name.ends_with("_result.htm")) {
      ++reports;
      EXPECT_LT(name, "t1256") << name;
    }
  }
  EXPECT_EQ(reports, 256u);
}

// One run at a time writes in a folder: a run that finds it locked stops at once when told
// not to wait, and otherwise says so and waits until the lock is gone.
TEST_F(CodingRunTest, ASecondRunWaitsForTheFolderOrStops) {
  AddItem("a.txt", "<e>a</e>");
  std::optional<TFolderLock> other(std::in_place, corpus_, EFolderWait::kWait, [] {});
  request_.folder_wait = EFolderWait::kDoNotWait;
  try {
    Run();
    FAIL() << "no error";
  } catch (const Error& error) {
    EXPECT_EQ(error.what(), "Another run is writing in " + corpus_.string() + ".");
  }
  EXPECT_FALSE(fs::exists(corpus_ / "a_result.htm"));

  request_.folder_wait = EFolderWait::kWait;
  std::thread releaser;
  host_.on_status = [&] {
    releaser = std::thread([&] {
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
      other.reset();
    });
  };
  Run();
  releaser.join();
  EXPECT_EQ(host_.statuses,
            std::vector<std::string>{"waiting for another run writing in " + corpus_.string()});
  EXPECT_TRUE(fs::exists(corpus_ / "a_result.htm"));
}

// Cancel between files, in either mode and with any number of threads: the run stops with
// ERunCancelled, every earlier output is as it was, and no temporary file is left.
TEST_F(CodingRunTest, CancelLeavesEveryEarlierOutputAsItWas) {
  for (int i = 0; i < 6; ++i) AddItem("t" + std::to_string(i) + ".txt", "<e>a</e>");
  request_.write_tables = true;
  const std::vector<std::string> outputs = {"t0_result.htm", "t1_result.htm", "result.htm",
                                            "result_counts.csv"};
  for (const std::string& name : outputs) WriteFile(corpus_ / name, "old " + name);
  for (const bool one_file : {false, true}) {
    for (const int jobs : {1, 3}) {
      for (const int cancel_after : {0, 2, 6}) {
        request_.one_file_mode = one_file;
        request_.jobs = jobs;
        host_.progress.clear();
        host_.cancel_after_files = cancel_after;
        EXPECT_THROW(Run(), ERunCancelled);
        EXPECT_EQ(host_.progress.size(), static_cast<size_t>(cancel_after));
        size_t files = 0;
        for ([[maybe_unused]] const auto& entry : fs::directory_iterator(corpus_)) ++files;
        EXPECT_EQ(files, 6 + outputs.size()) << one_file << jobs << cancel_after;
        for (const std::string& name : outputs) EXPECT_EQ(ReadBytes(corpus_ / name), "old " + name);
      }
    }
  }
  EXPECT_TRUE(host_.messages.empty());
  EXPECT_TRUE(host_.opened.empty());
}

// A cancel after the first batch of per-file reports keeps that batch, says so, and leaves
// nothing of the next, not even a temporary file.
TEST_F(CodingRunTest, CancelAfterABatchKeepsThatBatchOnlyAndSaysSo) {
  for (int i = 0; i < 300; ++i) AddItem("t" + std::to_string(1000 + i) + ".txt", "<e>t</e>");
  host_.cancel_after_files = 270;
  try {
    Run();
    FAIL() << "not cancelled";
  } catch (const ERunCancelled& cancelled) {
    EXPECT_STREQ(cancelled.what(),
                 "The run was cancelled; 256 report(s) were written before it, no other report "
                 "or table.");
  }
  size_t reports = 0;
  for (const auto& entry : fs::directory_iterator(corpus_)) {
    const std::string name = entry.path().filename().string();
    ASSERT_NE(name[0], '.') << "temporary left: " << name;
    if (name.ends_with("_result.htm")) ++reports;
  }
  EXPECT_EQ(reports, 256u);
}

TEST_F(CodingRunTest, EmptyTagSetStillLoadsEveryTickedFileAndSaysSo) {
  AddItem("one.txt", "<e>a</e>");
  AddItem("missing.txt", "");
  tag_set_path_.clear();
  EXPECT_THROW(Run(), Error);

  EXPECT_EQ(host_.warnings, (std::vector<std::pair<fs::path, std::string>>{
                                {"", "no tag set chosen; nothing is counted"}}));
  request_.items.pop_back();
  host_.warnings.clear();
  WriteFile(root_ / "empty.ini", "; no tags yet\r\n[-]\r\n");
  tag_set_path_ = root_ / "empty.ini";
  Run();
  EXPECT_EQ(tag_set_.check.tags.size(), 1u);
  EXPECT_FALSE(fs::exists(corpus_ / "one_result.htm"));
  EXPECT_EQ(host_.messages.size(), 1u);
  EXPECT_EQ(host_.opened, std::vector<fs::path>{corpus_});
  EXPECT_EQ(host_.warnings,
            (std::vector<std::pair<fs::path, std::string>>{
                {root_ / "empty.ini", "the tag set has no tags; nothing is counted"}}));

  // A path that names no file is a mistake, not an empty tag set.
  tag_set_path_ = root_ / "absent.ini";
  EXPECT_THROW(Run(), Error);
  EXPECT_EQ(host_.messages.size(), 1u);
}

// The check notes a tag exactly when --fold-space or --fold-case would count fewer distinct
// passages than the default grouping: random texts of passages that differ in case (inside
// and outside A-Z) and in spacing, counted both ways and checked.
TEST_F(CodingRunTest, CheckNotesATagExactlyWhenAFoldingOptionChangesItsCount) {
  SetSystemCodePage("UTF-8");
  WriteFile(root_ / "tags.ini", "[a]\r\nbegin=<e>\r\nend=</e>\r\n");
  TTagArray tags;
  LoadTagSet(TIniFile(root_ / "tags.ini"), tags);
  const TTagScanner scanner(tags, root_ / "tags.ini");
  const std::vector<std::string> pieces = {"a", "A", "\xC3\xB6", "\xC3\x96", " ", "  ", "\r\n"};
  std::mt19937 rng(19);
  int notes_seen = 0;
  for (int round = 0; round < 300; ++round) {
    std::string text;
    for (size_t n = 2 + rng() % 5; n > 0; --n) {
      text += "<e>x";
      for (size_t k = rng() % 3; k > 0; --k) text += pieces[rng() % pieces.size()];
      text += "x</e>\r\n";
    }
    WriteFile(corpus_ / "a.txt", text);
    const TCheckResult check = CheckCoding(root_ / "tags.ini", {corpus_ / "a.txt"});
    ASSERT_TRUE(check.problems.empty());
    const auto count = [&](TPassageGrouping grouping) {
      return CountTagsInText(text, tags, scanner, false, grouping).at(0).Count;
    };
    const int32_t plain = count({});
    const auto noted = [&](const char* option) {
      return std::any_of(check.grouping_notes.begin(), check.grouping_notes.end(),
                         [&](const TCheckProblem& note) {
                           return note.severity == ECheckSeverity::kNote &&
                                  note.message.find(option) != std::string::npos;
                         });
    };
    EXPECT_EQ(noted("--fold-space"), count({ELetterCase::kAsciiOnly, ESpacing::kFolded}) < plain)
        << text;
    EXPECT_EQ(noted("--fold-case"), count({ELetterCase::kEveryAlphabet, ESpacing::kExact}) < plain)
        << text;
    notes_seen += static_cast<int>(check.grouping_notes.size());
  }
  EXPECT_GT(notes_seen, 50);
}

TEST_F(CodingRunTest, ElapsedTimeMessage) {
  EXPECT_EQ(FormatElapsedMessage(0), "0 second(s) used.");
  EXPECT_EQ(FormatElapsedMessage(50), "0.05 second(s) used.");
  EXPECT_EQ(FormatElapsedMessage(1234), "1.234 second(s) used.");
  EXPECT_EQ(FormatElapsedMessage(2000), "2 second(s) used.");
  EXPECT_EQ(FormatElapsedMessage(1234567890), "1234567.89 second(s) used.");
  EXPECT_EQ(FormatElapsedMessage(-1500), "-1.5 second(s) used.");
  // The tick count wraps; the difference is taken in 32 bits.
  host_.ticks = {0xFFFFFFF0u, 0x10u};
  Run();
  EXPECT_EQ(host_.messages, std::vector<std::string>{"0.032 second(s) used."});
}

TEST_F(CodingRunTest, NoReportReplacesAListedFile) {
  EXPECT_EQ(FileReportPath("/c/a.txt"), fs::path("/c/a_result.htm"));
  EXPECT_EQ(FileReportPath("/c/A.TXT"), fs::path("/c/A_result.htm"));
  EXPECT_EQ(FileReportPath("/c.txt/a.Txt"), fs::path("/c.txt/a_result.htm"));
  EXPECT_EQ(FileReportPath("/c/a.txt.md"), fs::path("/c/a.txt.md_result.htm"));
  EXPECT_EQ(FileReportPath("/c/notes"), fs::path("/c/notes_result.htm"));
  EXPECT_EQ(FileReportPath("/c/x_result.htm"), fs::path("/c/x_result.htm_result.htm"));

  // A listed file that bears another file's report name stops the run untouched.
  AddItem("notes.md", "<e>a</e>");
  AddItem("notes.md_result.htm", "my own notes");
  EXPECT_THROW(Run(), Error);
  EXPECT_EQ(ReadBytes(corpus_ / "notes.md_result.htm"), "my own notes");

  // So does a link to a listed file.
  request_.items.clear();
  AddItem("text.txt", "the text");
  AddItem("other.md", "<e>a</e>");
  fs::create_hard_link(corpus_ / "text.txt", corpus_ / "other.md_result.htm");
  EXPECT_THROW(Run(), Error);
  EXPECT_EQ(ReadBytes(corpus_ / "text.txt"), "the text");

  // And the combined report's name.
  request_.items.clear();
  AddItem("result.htm", "<e>a</e>");
  request_.one_file_mode = true;
  EXPECT_THROW(Run(), Error);
  EXPECT_EQ(ReadBytes(corpus_ / "result.htm"), "<e>a</e>");
  EXPECT_TRUE(host_.opened.empty());
}

}  // namespace
}  // namespace farrowdale

namespace farrowdale {
namespace {

// A check result as lines, every field in its order, so that two results compare whole.
std::vector<std::string> ResultLines(const TCheckResult& result) {
  std::vector<std::string> lines;
  const auto problem_line = [](const TCheckProblem& problem) {
    return FormatCheckProblem(problem) + " [" + problem.tag + " " +
           std::to_string(static_cast<int>(problem.kind)) + "]";
  };
  for (const TCheckProblem& problem : result.problems) lines.push_back(problem_line(problem));
  for (const TCheckGroup& group : result.groups) {
    lines.push_back("group " + std::to_string(group.count) + " in " + std::to_string(group.files) +
                    ", " + std::to_string(group.listed) + " listed, first " +
                    problem_line(group.first));
  }
  for (const TSharedEndNote& note : result.notes) lines.push_back(FormatSharedEndNote(note));
  for (const TCheckProblem& note : result.grouping_notes) lines.push_back(problem_line(note));
  lines.push_back(FormatCheckSummary(result) + ", " + std::to_string(result.tags_searched) +
                  " tags searched");
  return lines;
}

// The summary carries the marker check of the same tag set and texts, as a check of its own
// lists it (problems, groups, notes on shared end markers and on grouping), and the problems
// per file that the reports show: random texts with stray, nested, unclosed and empty
// markers of three tags, passages that differ only in spacing or letter case, end markers
// that close other elements, in a list order that is not the check's, on two workers.
TEST_F(CodingRunTest, SummaryCarriesTheMarkerCheckOfItsOwnFiles) {
  WriteFile(root_ / "tags.ini", std::string(kTagSet) +
                                    "[c]\r\nend=</g>\r\nbegin=<g>\r\n"
                                    "[name]\r\nbegin=<rs type=\"p\">\r\nend=</rs>\r\n");
  const std::vector<std::string> pieces = {"<e>",  "</e>", "<f>",  "</f>",
                                           "<g>",  "x",    "\xE9", "\xC9",
                                           "\r\n", " ",    "<rs>", "<rs type=\"p\">",
                                           "</rs>"};
  const char* const tails[] = {"x \xE9", "x  \xE9", "\xC9 x", "\xE9 x"};
  std::mt19937 rng(5);
  std::vector<fs::path> files;
  for (int f = 0; f < 16; ++f) {
    std::string text;
    for (size_t n = rng() % 60; n > 0; --n) text += pieces[rng() % pieces.size()];
    // Four passages apart from the rest, which differ in spacing or letter case alone.
    if (f < 4) text += std::string("</e><e>") + tails[f] + "</e>";
    files.push_back(corpus_ / ("t" + std::to_string(10 + f) + ".txt"));
    WriteFile(files.back(), text + "\r\n");
  }
  std::vector<fs::path> list_order = files;
  std::shuffle(list_order.begin(), list_order.end(), rng);
  for (const fs::path& file : list_order) request_.items.push_back({file, true});
  request_.jobs = 2;
  request_.grouping_notes = true;
  const TRunSummary summary = Run();

  const std::vector<std::string> run_check = ResultLines(summary.check);
  const std::vector<std::string> own_check =
      ResultLines(CheckCoding(tag_set_path_, files, ReadFileForCheck, TCheckOptions{}));
  EXPECT_EQ(run_check.size(), own_check.size());
  for (size_t i = 0; i < std::min(run_check.size(), own_check.size()); ++i) {
    ASSERT_EQ(run_check[i], own_check[i]) << "line " << i;
  }
  for (const char* expected : {"nesting", "has no begin marker", "empty passage",
                               "differ from another only in spaces", "letter case", "</rs>"}) {
    EXPECT_TRUE(std::any_of(run_check.begin(), run_check.end(), [&](const std::string& line) {
      return line.find(expected) != std::string::npos;
    })) << expected;
  }

  TCheckOptions all;
  all.lines_per_group = kAllLines;
  const TCheckResult check = CheckCoding(tag_set_path_, files, ReadFileForCheck, all);
  std::vector<TRunSummary::TFileCheckProblems> expected;
  for (const TCheckProblem& problem : check.problems) {
    if (problem.kind == ECheckKind::kTagSet) continue;
    if (expected.empty() || expected.back().path != problem.path) {
      expected.push_back({problem.path, 0, {}});
    }
    ++expected.back().count;
    if (expected.back().first.size() < 5) expected.back().first.push_back(problem);
  }
  // The summary lists files in the run's order.
  std::vector<TRunSummary::TFileCheckProblems> file_problems = summary.file_problems;
  std::sort(file_problems.begin(), file_problems.end(),
            [](const auto& a, const auto& b) { return a.path < b.path; });
  ASSERT_FALSE(expected.empty());
  ASSERT_EQ(file_problems.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(file_problems[i].path, expected[i].path);
    EXPECT_EQ(file_problems[i].count, expected[i].count);
    ASSERT_EQ(file_problems[i].first.size(), expected[i].first.size());
    for (size_t k = 0; k < expected[i].first.size(); ++k) {
      EXPECT_EQ(FormatCheckProblem(file_problems[i].first[k]),
                FormatCheckProblem(expected[i].first[k]));
    }
  }
  EXPECT_EQ(summary.marker_problems, check.problem_count);
  EXPECT_EQ(summary.files_with_marker_problems, check.files_with_problems);
  EXPECT_EQ(summary.tag_set_has_marker_problems, check.tag_set_has_problems);
}

}  // namespace
}  // namespace farrowdale
