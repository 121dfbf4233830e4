#include "report/report_sections.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "report/report_writers.h"
#include "testing/code_page_guard.h"
#include "testing/file_bytes.h"
#include "testing/scratch_folder.h"

namespace farrowdale {
namespace {

using testing_support::ReadBytes;
using testing_support::ScratchFolder;
using testing_support::WriteBytes;

TStatArray OneFile() {
  TStatArray file(2);
  file[0].Name = "a";
  file[0].Color = "FF0000";
  file[0].Freq = 2;
  file[0].Count = 1;
  file[0].Distinct = {{u"x", 2}};
  file[0].Passages = {{u"x"}, {{0, 2}}};
  file[1].Name = "b";
  return file;
}

// Everything a run can add, for the tests to see whether it comes out.
struct Additions {
  Additions() {
    provenance.code_page = "windows-1252";
    passages = {{"a", "FF0000", {{u"x", 2, {{"f.txt", {1, 4}, u"<e>", u"x", u"</e>"}}}}},
                {"b", "000000", {}}};
    cooccurrence = {{"a", "b\"<&"}, {"FF0000", "000000"}, {3, 2}, TCooccurrenceMatrix(2)};
    cooccurrence.matrix.At(0, 1) = {3, 2, 1, 0, 0, 1};
    cooccurrence.matrix.At(1, 0) = cooccurrence.matrix.At(0, 1).Mirrored();
  }
  TReportAdditions Given() const { return {&provenance, &passages, &cooccurrence}; }
  TProvenance provenance;
  std::vector<TTagPassages> passages;
  TCooccurrenceView cooccurrence;
};

// Both writers, with a template of the given text; returns the two reports' bytes.
std::pair<std::string, std::string> WriteBoth(const ScratchFolder& folder,
                                              const std::string& template_text,
                                              const TReportAdditions& additions) {
  WriteBytes(folder / "result.tpl", template_text);
  const TStatArray file = OneFile();
  const TStatArrayArray files = {file, file};
  const TTagTotalsList totals = {{4, {{u"x", 4}}}, {}};
  EXPECT_TRUE(WriteFileReport(file, FileReportTemplate(folder / "result.tpl"),
                              folder / "f_result.htm", additions));
  EXPECT_TRUE(WriteCombinedReport(files, totals, {"f.txt", "g.txt"},
                                  CombinedReportTemplate(folder / "result.tpl"),
                                  folder / "result.htm", additions));
  return {ReadBytes(folder / "f_result.htm"), ReadBytes(folder / "result.htm")};
}

TEST(ReportSectionsTest, ATemplateWithoutTheNewPlaceholdersGivesTheSameBytesAsBefore) {
  CodePageGuard code_page("windows-1252");
  const ScratchFolder folder;
  const Additions additions;
  const std::string old_template =
      "{@item}|{@hit}|{@filename}|{@table_header}|{@table}|{@copy}|{@author}|{@chart";
  const auto plain = WriteBoth(folder, old_template, {});
  EXPECT_EQ(WriteBoth(folder, old_template, additions.Given()), plain);
  // No link in the hit lists without "{@passages}".
  EXPECT_EQ(plain.first.find(std::string("h\0r\0e\0f\0", 8)), std::string::npos);
}

TEST(ReportSectionsTest, EachSectionStandsWhereItsPlaceholderIsAndHitListsLinkToPassages) {
  CodePageGuard code_page("windows-1252");
  const ScratchFolder folder;
  const Additions additions;
  const std::string with_sections = "{@table}<{@provenance}|{@passages}|{@chart}>{@passages}";
  for (const std::string& report : {WriteBoth(folder, with_sections, additions.Given()).first,
                                    WriteBoth(folder, with_sections, additions.Given()).second}) {
    const std::string text = ToNarrow(std::u16string(
        reinterpret_cast<const char16_t*>(report.data() + 2), (report.size() - 2) / 2));
    EXPECT_NE(text.find("<a href=\"#p1-1\">x</a> ("), std::string::npos);
    EXPECT_NE(text.find("<<section class=\"provenance\">"), std::string::npos);
    EXPECT_NE(text.find("</section>|<section class=\"passages\">"), std::string::npos);
    EXPECT_NE(text.find("</section>|<section class=\"charts\">"), std::string::npos);
    EXPECT_NE(text.find("</section>>{@passages}"), std::string::npos);  // the first one only
    EXPECT_NE(text.find("<mark>x</mark>"), std::string::npos);
  }

  // A run that gathered no passages leaves the placeholder empty and links nowhere.
  const auto without = WriteBoth(folder, "{@table}[{@passages}]", {&additions.provenance});
  for (const std::string& report : {without.first, without.second}) {
    EXPECT_NE(report.find(std::string("[\0]\0", 4)), std::string::npos);
    EXPECT_EQ(report.find(std::string("h\0r\0e\0f\0", 8)), std::string::npos);
  }
}

TEST(ReportSectionsTest, TheCooccurrenceMatrixShadesEachPairByItsCoefficient) {
  CodePageGuard code_page("windows-1252");
  const ScratchFolder folder;
  const Additions additions;
  const std::string report = WriteBoth(folder, "[{@cooccurrence}]", additions.Given()).second;
  const std::string text = ToNarrow(std::u16string(
      reinterpret_cast<const char16_t*>(report.data() + 2), (report.size() - 2) / 2));
  // Two pairs of three and two passages: c = 2 / 3, the shade 60 % of that.
  EXPECT_NE(text.find("<td class=\"d\">3</td><td class=\"m\" style=\"background:rgba(42,93,143,"
                      "0.40)\" title=\"a with b&quot;&lt;&amp;: identical 1, inside 0, "
                      "containing 0, crossing 1\">2<br><span class=\"k\">c 0.67</span></td>"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("title=\"b&quot;&lt;&amp; with a: identical 1, inside 0, containing 0, "
                      "crossing 1\""),
            std::string::npos);
  EXPECT_NE(text.find("<td class=\"d\">2</td></tr>"), std::string::npos);
  // Without the counts (the per-file report has no matrix) the placeholder stays empty.
  TReportAdditions none = additions.Given();
  none.cooccurrence = nullptr;
  EXPECT_EQ(WriteBoth(folder, "[{@cooccurrence}]", none), WriteBoth(folder, "[]", none));
}

TEST(ReportSectionsTest, TheTemplateHoldsAPlaceholderInItsDecodedText) {
  const ScratchFolder folder;
  WriteBytes(folder / "a.tpl", testing_support::Utf16LeFile(u"<p>{@passages}</p>"));
  WriteBytes(folder / "b.tpl", "{@passage}s");
  EXPECT_TRUE(FileReportTemplate(folder / "a.tpl").Holds(kPassagesPlaceholder));
  EXPECT_FALSE(FileReportTemplate(folder / "b.tpl").Holds(kPassagesPlaceholder));
  EXPECT_FALSE(FileReportTemplate(folder / "missing.tpl").Holds(kPassagesPlaceholder));
  EXPECT_FALSE(CombinedReportTemplate(folder.path()).Holds(kPassagesPlaceholder));
}

}  // namespace
}  // namespace farrowdale
