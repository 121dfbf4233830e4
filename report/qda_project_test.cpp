#include "report/qda_project.h"

#include <gtest/gtest.h>

#include <regex>

#include "report/name_based_uuid.h"
#include "testing/qda_documents.h"
#include "text/error.h"

namespace farrowdale {
namespace {

using testing_support::QdaSchema;
using testing_support::QdaSchemaErrors;
using testing_support::ReadZipEntries;

// A corpus with what escaping and the format's limits must survive: markup characters,
// quotes, a control character and an emoji in names, a repeated tag name, a source without
// selections.
TQdaProject SampleProject(std::chrono::system_clock::time_point created) {
  TQdaProject project;
  project.name = "corpus & <co>";
  project.coder = "Ann \"A\" O'Neil";
  project.created = created;
  project.codes = {{"emotion", "<e>", "</e>", 0x2B39C0},
                   {"place\x01", "[p", "p]", 0x8D611F},
                   {"emotion", "{e", "e}", 0}};
  TQdaSource first{"sub/a.txt", "x\xF0\x9F\x98\x80 joy \"and\" here\n", {}};
  first.selections = {{1, 7, 12, "here"}, {0, 2, 5, "joy < & >"}, {2, 2, 5, "joy"}};
  project.sources = {first, {"b.txt", "", {}}};
  return project;
}

std::chrono::system_clock::time_point At(int64_t seconds) {
  return std::chrono::system_clock::time_point(std::chrono::seconds(seconds));
}

TEST(NameBasedUuidTest, AgreesWithAnIndependentVersion5) {
  // Values from another implementation of RFC 4122 version 5 under the same namespace.
  EXPECT_EQ(NameBasedUuid(""), "2692527d-528d-5198-8f47-d3003111686c");
  EXPECT_EQ(NameBasedUuid("code\nemotion"), "885a1a5e-d190-56e0-b908-c6e42c118b99");
  EXPECT_EQ(NameBasedUuid("\xC3\x84rger \xF0\x9F\x98\x80"), "5f45ace2-71ea-5871-87be-2f19d03ce71a");
}

TEST(QdaDocumentTest, ExportsValidateAgainstTheSchemas) {
  const TQdaProject project = SampleProject(At(1796000000));
  const std::string document = QdaProjectXml(project);
  EXPECT_EQ(QdaSchemaErrors(QdaSchema::kProject, document), "") << document;
  EXPECT_EQ(QdaSchemaErrors(QdaSchema::kCodebook, QdaCodebookXml(project.codes)), "");
  // No code and no source: the lists that need one item at least are left out.
  EXPECT_EQ(QdaSchemaErrors(QdaSchema::kProject, QdaProjectXml(TQdaProject{})), "");
  EXPECT_THROW(QdaCodebookXml({}), Error);

  EXPECT_NE(document.find("creationDateTime=\"2026-11-30T00:53:20Z\""), std::string::npos);
  EXPECT_NE(document.find("origin=\"Morrow Farrowdale 1.0\""), std::string::npos);
  EXPECT_NE(document.find("color=\"#C0392B\""), std::string::npos);
  EXPECT_NE(document.find("name=\"place\xEF\xBF\xBD\""), std::string::npos);
  EXPECT_NE(document.find("<Description>begin=&lt;e&gt;\nend=&lt;/e&gt;</Description>"),
            std::string::npos);
  EXPECT_EQ(document.find("richTextPath"), std::string::npos);
}

TEST(QdaDocumentTest, TheValidationRejectsWhatTheFormatForbids) {
  const std::string project = QdaProjectXml(SampleProject(At(0)));
  const std::string codebook = QdaCodebookXml(SampleProject(At(0)).codes);
  const auto broken = [](std::string text, const std::string& from, const std::string& to) {
    const size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
  };
  const std::string guid = NameBasedUuid("code\nemotion");
  for (const auto& [from, to] : std::vector<std::pair<std::string, std::string>>{
           {"color=\"#C0392B\"", "color=\"#C0392G\""},
           {"isCodable=\"true\" ", ""},
           {"guid=\"" + guid + "\"", "guid=\"" + guid.substr(1) + "\""}}) {
    EXPECT_NE(QdaSchemaErrors(QdaSchema::kProject, broken(project, from, to)), "") << to;
    EXPECT_NE(QdaSchemaErrors(QdaSchema::kCodebook, broken(codebook, from, to)), "") << to;
  }
  // Users after the code book: out of the schema's order.
  const size_t users_end = project.find("</Users>") + std::string("</Users>").size();
  const size_t users = project.find("<Users>");
  std::string misplaced = project;
  const std::string users_element = project.substr(users, users_end - users);
  misplaced.erase(users, users_end - users);
  misplaced.insert(misplaced.find("</CodeBook>") + std::string("</CodeBook>").size(),
                   users_element);
  EXPECT_NE(QdaSchemaErrors(QdaSchema::kProject, misplaced), "");
}

TEST(QdaDocumentTest, GuidsAreUniqueAndReferencesResolve) {
  const std::string document = QdaProjectXml(SampleProject(At(0)));
  std::set<std::string> defined;
  const std::regex guid_attribute("\\bguid=\"([^\"]+)\"");
  for (auto it = std::sregex_iterator(document.begin(), document.end(), guid_attribute);
       it != std::sregex_iterator(); ++it) {
    EXPECT_TRUE(defined.insert((*it)[1]).second) << "defined twice: " << (*it)[1];
  }
  const std::regex reference("(?:targetGUID|creatingUser|creatingUserGUID)=\"([^\"]+)\"");
  size_t references = 0;
  for (auto it = std::sregex_iterator(document.begin(), document.end(), reference);
       it != std::sregex_iterator(); ++it, ++references) {
    EXPECT_TRUE(defined.contains((*it)[1])) << "dangling: " << (*it)[1];
  }
  EXPECT_EQ(references, 1u + 3 * 2 + 2 + 3);  // project, selections and codings, sources, refs
}

TEST(QdaArchiveTest, HoldsTheDocumentAndEachTextAndDiffersOnlyInDates) {
  const TQdaProject earlier = SampleProject(At(1796000000));
  const TQdaProject later = SampleProject(At(1796086461));
  const auto entries = ReadZipEntries(QdaProjectArchive(earlier));
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].first, "project.qde");
  EXPECT_EQ(entries[0].second, QdaProjectXml(earlier));
  for (size_t i = 0; i < 2; ++i) {
    EXPECT_EQ(entries[i + 1].first, "sources/" + QdaSourceGuid(earlier.sources[i]) + ".txt");
    EXPECT_EQ(entries[i + 1].second, earlier.sources[i].text_utf8);
    EXPECT_NE(entries[0].second.find("plainTextPath=\"internal://" +
                                     QdaSourceGuid(earlier.sources[i]) + ".txt\""),
              std::string::npos);
  }
  const auto again = ReadZipEntries(QdaProjectArchive(later));
  ASSERT_EQ(again.size(), entries.size());
  const std::string undated = std::regex_replace(
      entries[0].second, std::regex("2026-11-30T00:53:20Z"), "2026-12-01T00:54:21Z");
  EXPECT_EQ(again[0].second, undated);
  EXPECT_NE(again[0].second, entries[0].second);
  for (size_t i = 1; i < entries.size(); ++i) EXPECT_EQ(again[i], entries[i]);
}

TEST(QdaArchiveTest, AnInternalFileOverTheLimitIsAnErrorNamingIt) {
  EXPECT_NO_THROW(CheckInternalFileSize("sources/x.txt", "a.txt", kMaxInternalFileBytes));
  try {
    CheckInternalFileSize("sources/x.txt", "big/a.txt", kMaxInternalFileBytes + 1);
    FAIL() << "no error";
  } catch (const Error& error) {
    EXPECT_NE(std::string(error.what()).find("\"big/a.txt\""), std::string::npos) << error.what();
    EXPECT_NE(std::string(error.what()).find("2147483648 bytes"), std::string::npos);
  }
}

}  // namespace
}  // namespace farrowdale
