#include "report/csv_tables.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>

#include "testing/code_page_guard.h"
#include "testing/file_bytes.h"
#include "testing/scratch_folder.h"

namespace farrowdale {
namespace {

TEST(CsvTablesTest, CountsTableHasItsHeaderAndOneRecordPerTagOfEachFile) {
  CodePageGuard code_page("windows-1252");
  TCsvTable table = CountsTable();
  TStatArray file(2);
  file[0].Name = "emotion";
  file[0].Freq = 5;
  file[0].Count = 3;
  file[1].Name = "caf\xE9, \"bar\"";
  AddCountsRecords(table, file, "a.txt");
  EXPECT_EQ(table.bytes(),
            "\xEF\xBB\xBFtag,file,passages,distinct passages\r\n"
            "emotion,a.txt,5,3\r\n"
            "\"caf\xC3\xA9, \"\"bar\"\"\",a.txt,0,0\r\n");
}

TEST(CsvTablesTest, PassagesAreQuotedOnlyWhereNeededAndKeptExactly) {
  CodePageGuard code_page("UTF-8");
  TCsvTable table = PassagesTable();
  AddPassageRecord(table, "t", "x.txt", {3, 14}, u"plain text");
  AddPassageRecord(table, "t", "x,y.txt", {1, 1}, u"two\r\nlines");
  AddPassageRecord(table, "t", "x.txt", {2, 7}, u" say \"hi\"\u00A0\U0001F600");
  AddPassageRecord(table, "t", "x.txt", {2, 9}, u"lone\xD800");
  EXPECT_EQ(table.bytes(),
            "\xEF\xBB\xBFtag,file,line,column,passage\r\n"
            "t,x.txt,3,14,plain text\r\n"
            "t,\"x,y.txt\",1,1,\"two\r\nlines\"\r\n"
            "t,x.txt,2,7,\" say \"\"hi\"\"\xC2\xA0\xF0\x9F\x98\x80\"\r\n"
            "t,x.txt,2,9,lone?\r\n");
}

// Every text field a spreadsheet would run as a formula is made text; numbers, and fields
// that only hold such a character later on, are written as they are.
TEST(CsvTablesTest, FieldsThatAFormulaCouldStartGetAnApostrophe) {
  CodePageGuard code_page("UTF-8");
  TCsvTable table = PassagesTable();
  AddPassageRecord(table, "=cmd", "+1.txt", {1, 2}, u"=HYPERLINK(\"http://x\",\"y\")");
  AddPassageRecord(table, "-a", "@b.txt", {3, 4}, u"\tx");
  AddPassageRecord(table, "a=b", "x.txt", {5, 6}, u"\rline");
  EXPECT_EQ(table.bytes(),
            "\xEF\xBB\xBFtag,file,line,column,passage\r\n"
            "'=cmd,'+1.txt,1,2,\"'=HYPERLINK(\"\"http://x\"\",\"\"y\"\")\"\r\n"
            "'-a,'@b.txt,3,4,'\tx\r\n"
            "a=b,x.txt,5,6,\"'\rline\"\r\n");
}

// The co-occurrence table's names take the same care; its numbers, the coefficient among
// them, never start with an apostrophe.
TEST(CsvTablesTest, CooccurrenceNamesThatAFormulaCouldStartGetAnApostrophe) {
  CodePageGuard code_page("UTF-8");
  TCsvTable table = CooccurrenceTable();
  const std::string header(table.bytes());
  AddCooccurrenceRecords(table, {"=a", "b"}, TCooccurrenceMatrix(2), "-f.txt");
  EXPECT_EQ(table.bytes().substr(header.size()),
            "'=a,b,'-f.txt,0,0,0,0,0,0,0,0.0000\r\n"
            "b,'=a,'-f.txt,0,0,0,0,0,0,0,0.0000\r\n");
}

// A table streamed into its file in pieces of any size, fields and records crossing the piece
// boundaries, holds the bytes of the same table built in memory.
TEST(CsvTablesTest, AStreamedTableHoldsTheBytesOfTheTableBuiltWhole) {
  CodePageGuard code_page("UTF-8");
  testing_support::ScratchFolder folder;
  std::mt19937 random(20261208);
  const std::u16string alphabet = u"ab ,\"\r\n=-+@\t\u00E9\U0001F600";
  const auto random_text = [&](size_t max_length) {
    std::u16string text(random() % (max_length + 1), u'a');
    for (char16_t& c : text) c = alphabet[random() % alphabet.size()];
    return text;
  };
  for (const size_t piece_bytes : {size_t{1}, size_t{2}, size_t{7}, size_t{64}, size_t{1000}}) {
    const std::filesystem::path path = folder / ("t" + std::to_string(piece_bytes) + ".csv");
    TCsvTable whole = PassagesTable();
    TCsvTable streamed({"tag", "file", "line", "column", "passage"}, TAtomicFile(path),
                       piece_bytes);
    for (int record = 0; record < 300; ++record) {
      const std::u16string passage = random_text(record % 50 == 0 ? 3000 : 40);
      const TTextPosition position{static_cast<int32_t>(random() % 100000), record};
      for (TCsvTable* table : {&whole, &streamed}) {
        AddPassageRecord(*table, "tag", "f,\"1\".txt", position, passage);
      }
    }
    streamed.TakeFile().Commit();
    EXPECT_EQ(testing_support::ReadBytes(path), whole.bytes()) << "pieces of " << piece_bytes;
  }
}

}  // namespace
}  // namespace farrowdale
