#include "report/agreement_report.h"

#include <gtest/gtest.h>

#include "testing/code_page_guard.h"

namespace farrowdale {
namespace {

TCoderComparison SmallComparison() {
  TCoderComparison comparison;
  comparison.min_overlap = 0.9;
  comparison.files_compared = 1;
  TAgreementRow row;
  row.tag = "who, \"really\"";
  row.file = "a<b>.txt";
  row.counts = {10, 4, 3, 3, 2, 1, 1, 0, 0};
  row.percent_all = 0.9;
  row.kappa = -1e-12;  // prints as 0, not -0
  TFileComparison file;
  file.file = row.file;
  file.rows = {row};
  TFileComparison differs;
  differs.file = "<script>.txt";
  differs.outcome = EFileComparison::kTextDiffers;
  differs.difference = {{2, 3}, {2, 1}, "a\tb & c\n", "<i>"};
  comparison.files = {file, differs};
  row.file = "*";
  comparison.pooled = {row};
  return comparison;
}

TEST(AgreementReportTest, TableHasTheHeaderQuotesFieldsAndLeavesUndefinedEmpty) {
  const CodePageGuard utf8("UTF-8");
  EXPECT_EQ(AgreementTableBytes(SmallComparison()),
            "\xEF\xBB\xBFtag,file,characters,a_chars,b_chars,both_chars,percent_all,"
            "percent_coded,kappa,alpha,alpha_u,a_passages,b_passages,matched,a_only,b_only\r\n"
            "\"who, \"\"really\"\"\",a<b>.txt,10,4,3,3,0.900000,,0.000000,,,2,1,1,1,0\r\n"
            "\"who, \"\"really\"\"\",*,10,4,3,3,0.900000,,0.000000,,,2,1,1,1,0\r\n");
  EXPECT_EQ(MeasureText(0.7125, 3, "-"), "0.713");
  EXPECT_EQ(MeasureText(std::nullopt, 3, "-"), "-");
}

TEST(AgreementReportTest, PageEscapesNamesAndContextsAndForbidsScripts) {
  const CodePageGuard utf8("UTF-8");
  const std::string page =
      AgreementPageBytes(SmallComparison(), {{}, "/c/A", "/c/B", "/c/t.ini", "/c/t.ini", "UTF-8"});
  EXPECT_NE(page.find("<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none';"),
            std::string::npos);
  EXPECT_EQ(page.find("<script"), std::string::npos);
  EXPECT_EQ(page.find("<i>"), std::string::npos);
  EXPECT_NE(page.find("/c/A/&lt;script&gt;.txt:2:3</span> <code class=\"context\">a\xE2\x86\x92"
                      "b\xC2\xB7&amp;\xC2\xB7"
                      "c\xE2\x86\xB5</code>"),
            std::string::npos);
  EXPECT_NE(page.find("who, &quot;really&quot;"), std::string::npos);
  EXPECT_NE(page.find("<td class=\"undefined\">undefined</td>"), std::string::npos);
}

TEST(AgreementReportTest, DifferencesMarkThePassageInItsContextAndCountWhatIsNotListed) {
  const CodePageGuard utf8("UTF-8");
  TCoderComparison comparison = SmallComparison();
  const TPassageSide side{{1, 5}, "x <", {"a b", 7, "z"}, "\n"};
  comparison.files[0].differences = {{"<who>", 3, {{side, std::nullopt}}}};
  TFileComparison later = comparison.files[0];
  later.file = "z.txt";
  later.differences = {{"who", 4, {}}};  // past the listing's end
  comparison.files.push_back(later);
  const std::string page =
      AgreementPageBytes(comparison, {{}, "/c/A", "/c/B", "/c/t.ini", "/c/t.ini", "UTF-8"});
  EXPECT_NE(page.find("<tr class=\"a-only\"><td class=\"name\">&lt;who&gt;</td><td "
                      "class=\"name\">A only</td><td class=\"side\"><span "
                      "class=\"place\">/c/A/a&lt;b&gt;.txt:1:5</span><br><code "
                      "class=\"context\">x\xC2\xB7&lt;<mark>a\xC2\xB7"
                      "b<span class=\"omitted\">[&hellip; 7 characters &hellip;]</span>z</mark>"
                      "\xE2\x86\xB5</code></td><td class=\"side none\">none</td></tr>"),
            std::string::npos);
  EXPECT_NE(page.find("and 2 differences more, not listed"), std::string::npos);
  EXPECT_EQ(page.find("<h3>z.txt</h3>", page.find("<section class=\"differences\">")),
            std::string::npos);
  EXPECT_NE(page.find("<p class=\"more\">4 differences in 1 more file, not listed.</p>"),
            std::string::npos);
}

TEST(AgreementReportTest, ManyFilesGiveOneRowPerFile) {
  const CodePageGuard utf8("UTF-8");
  TCoderComparison comparison = SmallComparison();
  comparison.files.resize(1);
  comparison.files.resize(kFilesWithTagTables + 1, comparison.files[0]);
  comparison.files_compared = kFilesWithTagTables + 1;
  const TAgreementProvenance provenance{{}, "/A", "/B", "/t.ini", "/t.ini", "UTF-8"};
  const std::string page = AgreementPageBytes(comparison, provenance);
  EXPECT_EQ(page.find("<h3>"), std::string::npos);
  EXPECT_NE(page.find("<th class=\"name\">File</th>"), std::string::npos);
  comparison.files_compared = kFilesWithTagTables;
  EXPECT_NE(AgreementPageBytes(comparison, provenance).find("<h3>a&lt;b&gt;.txt</h3>"),
            std::string::npos);
}

}  // namespace
}  // namespace farrowdale
