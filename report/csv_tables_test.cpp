#include "report/csv_tables.h"

#include <gtest/gtest.h>

#include "text/code_page_guard.h"

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

}  // namespace
}  // namespace farrowdale
