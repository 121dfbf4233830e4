// farrowdale-cli export through the built command line: the command's contract (usage
// errors, the summary on stdout, the codebook alone) and the written files validated
// against the exchange format's schemas.
#include <string>
#include <vector>

#include "testing/qda_documents.h"
#include "tests/e2e/e2e_support.h"

namespace {

using namespace farrowdale::e2e;
using farrowdale::testing_support::QdaSchema;
using farrowdale::testing_support::QdaSchemaErrors;
using farrowdale::testing_support::ReadZipEntries;

class ExportTest : public CountFixture {
 protected:
  CliResult Export(std::vector<std::string> args) {
    args.insert(args.begin(), {FARROWDALE_CLI_PATH, "export", "--code-page", "UTF-8"});
    return Run(args);
  }
};

TEST_F(ExportTest, WritesAValidProjectAndCodebookAndSaysWhatItLeftOut) {
  WriteBytes(tag_set_,
             "[emotion]\nbegin=<e>\nend=</e>\ncolor=C0392B\n[-]\n[place]\nbegin=<p>\nend=</p>\n");
  WriteBytes(corpus_ / "a.txt", "<e>joy <p>home</p></e> <e> </e>\r\n");
  WriteBytes(corpus_ / "b.txt", "<p>Oslo</p>\r\n");
  const fs::path project = root_ / "out.qdpx";
  const fs::path codebook = root_ / "out.qdc";
  const CliResult result =
      Export({"--tagset", tag_set_.string(), "--qdpx", project.string(), "--qdc", codebook.string(),
              "--coder", "Ann", "--filter", "a\\.txt", corpus_.string()});
  EXPECT_EQ(result.exit_code, 0) << result.err;
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(result.out, "Exported 2 passage(s) of 1 file(s) and 2 tag(s) to \"" + project.string() +
                            "\". Exported the codebook of 2 tag(s) to \"" + codebook.string() +
                            "\". 1 passage(s) empty after trimming not exported.\n");
  const auto entries = ReadZipEntries(ReadBytes(project));
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(QdaSchemaErrors(QdaSchema::kProject, entries[0].second), "");
  EXPECT_NE(entries[0].second.find("name=\"corpus\""), std::string::npos);
  EXPECT_NE(entries[0].second.find("<User guid=\""), std::string::npos);
  EXPECT_NE(entries[0].second.find("name=\"Ann\""), std::string::npos);
  EXPECT_EQ(entries[1].second, "joy home  \n");
  EXPECT_EQ(QdaSchemaErrors(QdaSchema::kCodebook, ReadBytes(codebook)), "");
}

TEST_F(ExportTest, UsageAndFailuresKeepTheirExitCodes) {
  WriteBytes(tag_set_, "[-]\n");
  EXPECT_EQ(Export({"--tagset", tag_set_.string(), corpus_.string()}).exit_code, 2);
  EXPECT_EQ(Export({"--qdc", "x.qdc"}).exit_code, 2);
  EXPECT_EQ(Export({"--tagset", tag_set_.string(), "--qdpx", "x.qdpx"}).exit_code, 2);
  const CliResult help = Export({"--help"});
  EXPECT_EQ(help.exit_code, 0);
  EXPECT_NE(help.out.find("--coder NAME"), std::string::npos);
  // A codebook without a tag is an error, and nothing is written.
  const CliResult empty =
      Export({"--tagset", tag_set_.string(), "--qdc", (root_ / "x.qdc").string()});
  EXPECT_EQ(empty.exit_code, 1);
  EXPECT_NE(empty.err.find("no tags"), std::string::npos);
  EXPECT_FALSE(fs::exists(root_ / "x.qdc"));
}

}  // namespace
