#include "run/coder_comparison.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "report/agreement_report.h"
#include "report/provenance.h"
#include "testing/code_page_guard.h"
#include "testing/error_text.h"
#include "testing/file_bytes.h"
#include "testing/scratch_folder.h"

namespace farrowdale {

using testing_support::ErrorText;
using testing_support::ReadBytes;
using testing_support::ScratchFolder;

namespace {

namespace fs = std::filesystem;

void Write(const fs::path& path, const std::string& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
}

class CoderComparisonTest : public ::testing::Test {
 protected:
  CoderComparisonTest() {
    Write(root() / "a.ini", "[who]\nbegin=<w>\nend=</w>\n[-]\n[what]\nbegin=<t>\nend=</t>\n");
    // Coder B marks the same tags with markers of its own, and has one tag more.
    Write(
        root() / "b.ini",
        "[what]\nbegin=@t@\nend=@/t@\n[extra]\nbegin=<x>\nend=</x>\n[who]\nbegin=@w@\nend=@/w@\n");
    request_.folder_a = root() / "A";
    request_.folder_b = root() / "B";
    request_.tag_set_a = root() / "a.ini";
    request_.tag_set_b = root() / "b.ini";
    request_.jobs = 2;
  }
  const fs::path& root() const { return scratch_.path(); }

  CodePageGuard utf8_{"UTF-8"};
  ScratchFolder scratch_{"coder_comparison_test"};
  TCoderComparisonRequest request_;
};

TEST_F(CoderComparisonTest, ComparesCommonFilesListsTheRestAndPoolsInPathOrder) {
  Write(root() / "A/one.txt", "<w>Ann</w> said <t>yes</t>.\r\n");
  Write(root() / "B/one.txt", "@w@Ann@/w@ said @t@yes@/t@.\n");  // the same coding
  Write(root() / "A/two.txt", "<w>Bo</w> and Cy<t> left</t>\n");
  Write(root() / "B/two.txt", "Bo and @w@Cy@/w@ <x>left</x>\n");
  Write(root() / "A/three.txt", "first line\nsecond <w>line</w>\n");
  Write(root() / "B/three.txt", "first line\nsecond lime\n");
  Write(root() / "A/only_a.txt", "x\n");
  Write(root() / "B/sub/deep.txt", "y\n");

  const TCoderComparison result = CompareCoders(request_);
  ASSERT_EQ(result.files.size(), 4u);  // sub/ is not looked into
  EXPECT_EQ(result.files[0].file, "one.txt");
  EXPECT_EQ(result.files[1].file, "only_a.txt");
  EXPECT_EQ(result.files[1].outcome, EFileComparison::kOnlyInA);
  EXPECT_EQ(result.files[2].outcome, EFileComparison::kTextDiffers);
  const TTextDifference& difference = result.files[2].difference;
  EXPECT_EQ(difference.a_place, (TTextPosition{2, 13}));
  EXPECT_EQ(difference.b_place, (TTextPosition{2, 10}));
  EXPECT_EQ(difference.a_context, "ne\n");
  EXPECT_EQ(difference.b_context, "me\n");
  EXPECT_EQ(result.files_compared, 2);

  // one.txt: full agreement on both tags.
  const std::vector<TAgreementRow>& one = result.files[0].rows;
  ASSERT_EQ(one.size(), 3u);
  EXPECT_EQ(one[0].tag, "who");
  EXPECT_EQ(one[1].tag, "what");
  EXPECT_EQ(one[2].tag, "*");
  EXPECT_EQ(one[0].kappa, 1.0);
  EXPECT_EQ(one[1].alpha_u, 1.0);
  EXPECT_EQ(one[2].counts.characters, 2 * 14);

  // two.txt: "who" coded on different words; "what" only by A.
  const std::vector<TAgreementRow>& two = result.files[3].rows;
  EXPECT_EQ(two[0].counts.both_chars, 0);
  EXPECT_EQ(two[0].counts.matched, 0);
  EXPECT_EQ(two[1].counts.a_chars, 4);
  EXPECT_EQ(two[1].counts.b_chars, 0);

  // Pooled: counts add up, the unitized alpha is the one of the two texts end to end.
  ASSERT_EQ(result.pooled.size(), 3u);
  EXPECT_EQ(result.pooled[0].file, "*");
  EXPECT_EQ(result.pooled[0].counts.characters, 14 + 15);
  EXPECT_EQ(result.pooled[0].counts.a_passages, 2);
  EXPECT_EQ(result.pooled[0].counts.matched, 1);
  EXPECT_EQ(result.pooled[2].counts.characters, 2 * (14 + 15));
  EXPECT_NE(result.pooled[1].alpha_u, two[1].alpha_u);

  request_.recursive = true;
  const TCoderComparison deep = CompareCoders(request_);
  ASSERT_EQ(deep.files.size(), 5u);
  EXPECT_EQ(deep.files[2].file, "sub/deep.txt");
  EXPECT_EQ(deep.files[2].outcome, EFileComparison::kOnlyInB);
}

TEST_F(CoderComparisonTest, ProblemsStayWithTheirCoderAndFile) {
  Write(root() / "A/f.txt", "<w>a</w> <w> </w> <t>b\n");
  Write(root() / "B/f.txt", "a   <t>b\n");
  fs::create_directories(root() / "A/g.txt");  // a folder named like a text file
  Write(root() / "B/g.txt", "z\n");
  const TCoderComparison result = CompareCoders(request_);
  ASSERT_EQ(result.files.size(), 2u);
  EXPECT_EQ(result.files[0].outcome, EFileComparison::kCompared);
  const std::vector<TCodingProblem>& problems = result.files[0].problems;
  ASSERT_EQ(problems.size(), 2u);
  EXPECT_EQ(problems[0].coder, 'A');
  EXPECT_EQ(problems[0].place, (TTextPosition{1, 19}));
  EXPECT_EQ(problems[1].message, "1 empty passage (\"farrowdale-cli check\" lists where)");
  // B's "<t>" is not a marker of B's: plain text, and no problem. A folder is no text file.
  EXPECT_EQ(result.files[1].outcome, EFileComparison::kOnlyInB);
}

TEST_F(CoderComparisonTest, ListedDifferencesStayWithinTheirBudgetAndAllAreCounted) {
  // Per file, 60 passages of each tag that only A marked: more than a tag lists, and over
  // the files more than the comparison lists, in path order.
  std::string coded;
  std::string plain;
  for (int i = 0; i < 60; ++i) {
    coded += "<w>w</w> <t>t</t> ";
    plain += "w t ";
  }
  const int files = kListedDifferencesInAll / (2 * kListedDifferencesPerTag) + 2;
  for (int f = 0; f < files; ++f) {
    const std::string name = "f" + std::to_string(100 + f) + ".txt";
    Write(root() / "A" / name, coded);
    Write(root() / "B" / name, plain);
  }
  const TCoderComparison result = CompareCoders(request_);
  size_t listed = 0;
  for (const TFileComparison& file : result.files) {
    ASSERT_EQ(file.differences.size(), 2u);
    for (const TTagDifferences& tag : file.differences) {
      EXPECT_EQ(tag.total, 60);
      EXPECT_LE(tag.listed.size(), static_cast<size_t>(kListedDifferencesPerTag));
      listed += tag.listed.size();
    }
  }
  EXPECT_EQ(listed, static_cast<size_t>(kListedDifferencesInAll));
  EXPECT_EQ(result.files.front().differences[1].listed.size(),
            static_cast<size_t>(kListedDifferencesPerTag));
  EXPECT_TRUE(result.files.back().differences[0].listed.empty());
  // The last listed passage of the first file: the 50th "t", after 49 units of 18 characters
  // and the 12 of "<w>w</w> <t>".
  const TPassageSide& last = *result.files.front().differences[1].listed.back().a;
  EXPECT_EQ(last.place, (TTextPosition{1, 49 * 18 + 12 + 1}));
  EXPECT_EQ(last.passage.head, "t");
  EXPECT_EQ(last.before.size(), static_cast<size_t>(kDifferenceContext));
}

// The page names the tag sets the comparison read: files replaced between comparing and
// reporting are neither compared nor hashed. B without a tag set of its own has A's.
TEST_F(CoderComparisonTest, PageHashesTheTagSetBytesComparedNotTheFilesOnDiskLater) {
  Write(root() / "A" / "t.txt", "<w>a</w> <t>b</t>");
  Write(root() / "B" / "t.txt", "@w@a@/w@ @t@b@/t@");
  const std::string compared_a = ReadBytes(request_.tag_set_a);
  const std::string compared_b = ReadBytes(request_.tag_set_b);
  const TCoderComparison result = CompareCoders(request_);
  Write(request_.tag_set_a, compared_a + "[later]\nbegin=<l>\nend=</l>\n");
  Write(request_.tag_set_b, compared_b + "[later]\nbegin=<l>\nend=</l>\n");
  const std::string page = AgreementPageBytes(
      result,
      {{}, request_.folder_a, request_.folder_b, request_.tag_set_a, request_.tag_set_b, "UTF-8"});
  EXPECT_NE(page.find(Sha256Hex(compared_a)), std::string::npos);
  EXPECT_NE(page.find(Sha256Hex(compared_b)), std::string::npos);
  EXPECT_EQ(page.find(Sha256Hex(ReadBytes(request_.tag_set_a))), std::string::npos);
  EXPECT_EQ(page.find(Sha256Hex(ReadBytes(request_.tag_set_b))), std::string::npos);

  request_.tag_set_b.clear();
  const TCoderComparison own = CompareCoders(request_);
  EXPECT_EQ(own.tag_set_a_sha256, Sha256Hex(ReadBytes(request_.tag_set_a)));
  EXPECT_EQ(own.tag_set_b_sha256, own.tag_set_a_sha256);
}

TEST_F(CoderComparisonTest, TagSetsMustShareTheTagNames) {
  Write(root() / "c.ini", "[who]\nbegin=<w>\nend=</w>\n");
  fs::create_directories(root() / "A");
  fs::create_directories(root() / "B");
  request_.tag_set_b = root() / "c.ini";
  EXPECT_EQ(
      ErrorText([&] { CompareCoders(request_); }),
      "Tag \"what\" is not in the tag set \"" + (root() / "c.ini").string() + "\" of coder B");
  Write(root() / "empty.ini", "[-]\n");
  request_.tag_set_a = root() / "empty.ini";
  EXPECT_NE(ErrorText([&] { CompareCoders(request_); }).find("has no tag to compare"),
            std::string::npos);
}

}  // namespace
}  // namespace farrowdale
