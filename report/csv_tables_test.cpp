#include "report/csv_tables.h"

#include <gtest/gtest.h>

#include <string>

#include "testing/code_page_guard.h"

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

}  // namespace
}  // namespace farrowdale
