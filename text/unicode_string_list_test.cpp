#include "text/unicode_string_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "text/error.h"

namespace farrowdale {
namespace {

std::vector<std::u16string> Entries(const TUnicodeStringList& list) {
  std::vector<std::u16string> entries;
  for (int i = 0; i < list.EntryCount(); ++i) entries.push_back(list.EntryAt(i));
  return entries;
}

TUnicodeStringList ListOf(std::initializer_list<std::u16string> entries) {
  TUnicodeStringList list;
  for (const auto& entry : entries) list.AddEntry(entry);
  return list;
}

using Lines = std::vector<std::u16string>;

TEST(UnicodeStringListTest, AssignTextLineRules) {
  TUnicodeStringList list;
  list.AssignText(u"a\r\nb");
  EXPECT_EQ(Entries(list), (Lines{u"a", u"b"}));
  list.AssignText(u"a\r\nb\r\n");
  EXPECT_EQ(Entries(list), (Lines{u"a", u"b"}));
  EXPECT_EQ(list.JoinedText(), u"a\r\nb\r\n");
  list.AssignText(u"a\n\nb");
  EXPECT_EQ(Entries(list), (Lines{u"a", u"", u"b"}));
  // LF CR is two line ends; a lone CR ends a line; only the last break adds no entry.
  list.AssignText(u"a\n\rb\rc\r\n\r\n");
  EXPECT_EQ(Entries(list), (Lines{u"a", u"", u"b", u"c", u""}));
  // No other character ends a line.
  list.AssignText(u"a\u0085b\u2028c\u2029d");
  EXPECT_EQ(Entries(list), (Lines{u"a\u0085b\u2028c\u2029d"}));
  list.AssignText(std::u16string(u"one\ntwo\nthr\0ee\nfour", 19));
  EXPECT_EQ(Entries(list), (Lines{u"one", u"two", u"thr"}));
  list.AssignText(u"\r\n");
  EXPECT_EQ(Entries(list), (Lines{u""}));
  list.AssignText(u"");
  EXPECT_EQ(list.EntryCount(), 0);
  EXPECT_EQ(list.JoinedText(), u"");
}

TEST(UnicodeStringListTest, EntriesAndNameValuePairs) {
  TUnicodeStringList list = ListOf({u"a=b=c", u"a = b", u"plain", u"=5", u""});
  EXPECT_EQ(list.EntryName(0), u"a");
  EXPECT_EQ(list.EntryValue(0), u"b=c");
  EXPECT_EQ(list.EntryName(1), u"a ");
  EXPECT_EQ(list.EntryValue(1), u" b");
  EXPECT_EQ(list.EntryName(2), u"");
  EXPECT_EQ(list.EntryValue(2), u"");
  EXPECT_EQ(list.EntryName(3), u"");
  EXPECT_EQ(list.EntryValue(3), u"5");
  EXPECT_EQ(list.EntryValue(-1), u"");
  EXPECT_EQ(list.AddEntry(u"x"), 5);
  try {
    list.EntryAt(6);
    FAIL() << "no error";
  } catch (const Error& error) {
    EXPECT_STREQ(error.what(), "List index out of bounds (6)");
  }
  EXPECT_THROW(list.EntryAt(-1), Error);
  EXPECT_THROW(list.EntryName(6), Error);
  list.ClearEntries();
  EXPECT_EQ(list.EntryCount(), 0);
}

TEST(UnicodeStringListTest, SortByTextIgnoresCaseUnlessAsked) {
  TUnicodeStringList list = ListOf({u"b", u"A", u"a"});
  list.SortByText();
  EXPECT_EQ(Entries(list), (Lines{u"a", u"A", u"b"}));

  list = ListOf({u"b", u"A", u"a", u"B"});
  list.SetMatchCase(true);
  list.SortByText();
  EXPECT_EQ(Entries(list), (Lines{u"a", u"A", u"b", u"B"}));
}

int Count(const TUnicodeStringList& list, int position) {
  const std::u16string value = list.EntryValue(position);
  return std::stoi(std::string(value.begin(), value.end()));
}

// Orders by the number after "=", larger first, as the frequency list does.
int ByCountDescending(const TUnicodeStringList& list, int first, int second) {
  return Count(list, second) - Count(list, first);
}

Lines Names(const TUnicodeStringList& list) {
  Lines names;
  for (int i = 0; i < list.EntryCount(); ++i) names.push_back(list.EntryName(i));
  return names;
}

TEST(UnicodeStringListTest, SortWithLeavesTiesInTheQuicksortsOrder) {
  TUnicodeStringList list = ListOf({u"a=1", u"b=1"});
  list.SortWith(ByCountDescending);
  EXPECT_EQ(Names(list), (Lines{u"b", u"a"}));

  list = ListOf({u"a=1", u"b=1", u"c=1"});
  list.SortWith(ByCountDescending);
  EXPECT_EQ(Names(list), (Lines{u"c", u"b", u"a"}));

  list = ListOf({u"a=1", u"b=1", u"c=1", u"d=1"});
  list.SortWith(ByCountDescending);
  EXPECT_EQ(Names(list), (Lines{u"c", u"d", u"a", u"b"}));

  list = ListOf({u"a=1", u"b=3", u"c=1", u"d=2"});
  list.SortWith(ByCountDescending);
  EXPECT_EQ(Names(list), (Lines{u"b", u"d", u"c", u"a"}));

  list = ListOf({u"only=1"});
  list.SortWith(ByCountDescending);
  EXPECT_EQ(Names(list), (Lines{u"only"}));
}

TEST(UnicodeStringListTest, SortWithSortsLargeInputsAndSurvivesABrokenComparison) {
  TUnicodeStringList list;
  // Organ-pipe and many-duplicate shapes stress the partitioning.
  for (int i = 0; i < 20000; ++i) {
    const int value = i < 10000 ? i : 20000 - i;
    list.AddEntry(u"x=" + std::u16string(1, static_cast<char16_t>(u'0' + value % 7)));
  }
  list.SortWith(ByCountDescending);
  for (int i = 1; i < list.EntryCount(); ++i) {
    ASSERT_GE(list.EntryValue(i - 1), list.EntryValue(i)) << i;
  }
  // A comparison that contradicts itself must not send the scans outside the list.
  list = ListOf({u"a", u"b", u"c", u"d", u"e", u"f", u"g"});
  list.SortWith([](const TUnicodeStringList&, int, int) { return -1; });
  list.SortWith([](const TUnicodeStringList&, int, int) { return 1; });
  EXPECT_EQ(list.EntryCount(), 7);
}

}  // namespace
}  // namespace farrowdale
