#include "count/passage_table.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace farrowdale {
namespace {

// Texts of every kind of code unit: ASCII, two- and three-byte characters, surrogate pairs,
// surrogates without their partner (first, last, reversed, doubled) and the zero unit; the
// empty text; texts far longer than a storage block, texts of more than 255 bytes, and texts
// kept in the same blocks by others between them, so that every stored form and its length
// come back unchanged, wherever it was kept.
TEST(PassageTableTest, EveryTextComesBackUnchangedUnderItsFirstId) {
  std::vector<std::u16string> texts = {u"",
                                       u"plain",
                                       u"Plain",
                                       std::u16string(1, u'\0'),
                                       u"caf\u00e9 \u20ac \uffff",
                                       u"\U0001F600 pair",
                                       std::u16string{0xD800},
                                       std::u16string{u'a', 0xDC00},
                                       std::u16string{0xDC00, 0xD800},
                                       std::u16string{0xD83D, 0xD83D, 0xDE00},
                                       std::u16string(200000, u'\u0416'),
                                       std::u16string(300, u'x')};
  std::mt19937 rng(7);
  for (int i = 0; i < 50000; ++i) {
    std::u16string text(rng() % 40, u' ');
    for (char16_t& unit : text) unit = static_cast<char16_t>(rng() % 4 == 0 ? rng() : rng() % 128);
    if (i % 101 == 0) text.append(300, u'y');
    texts.push_back(text);
  }
  TPassageTable table;
  std::vector<uint32_t> ids;
  for (size_t i = 0; i < texts.size(); ++i) {
    ids.push_back(table.Intern(texts[i]));
    if (i % 997 == 0) table.blocks()->Keep(u"kept by another");
  }
  // Dense ids by first sight; a text seen again keeps its id.
  uint32_t next = 0;
  for (size_t i = 0; i < texts.size(); ++i) {
    if (ids[i] == next) ++next;
    ASSERT_LT(ids[i], next) << i;
    ASSERT_EQ(table.Text(ids[i]), texts[i]) << i;
    ASSERT_EQ(table.Intern(texts[i]), ids[i]) << i;
  }
  EXPECT_EQ(table.size(), next);
  EXPECT_NE(table.Intern(u"plain"), table.Intern(u"Plain"));
}

}  // namespace
}  // namespace farrowdale
