#include "text/ascii_collation.h"

#include <gtest/gtest.h>
#include <unicode/uset.h>

#include <memory>
#include <random>

namespace farrowdale {
namespace {

using CollatorPtr = std::unique_ptr<UCollator, decltype(&ucol_close)>;

CollatorPtr OpenCollator(const char* locale, UColAttributeValue strength) {
  UErrorCode status = U_ZERO_ERROR;
  CollatorPtr collator(ucol_open(locale, &status), &ucol_close);
  EXPECT_TRUE(U_SUCCESS(status)) << locale;
  ucol_setStrength(collator.get(), strength);
  return collator;
}

// Texts that meet the collator's hard cases: letters of both cases, the letter pairs some
// locales collate as one letter, digits, punctuation, spaces, tabs and control characters
// it ignores, and now and then any ASCII character.
std::u16string RandomAsciiText(std::mt19937& random) {
  static constexpr char kCommon[] = "aAbBcChHlLsSzZdDyYoO 0129-.,'\t\r\x01\x7f";
  std::u16string text;
  const int length = std::uniform_int_distribution<int>(0, 8)(random);
  for (int i = 0; i < length; ++i) {
    if (random() % 4 == 0) {
      text += static_cast<char16_t>(random() % 128);
    } else {
      text += static_cast<char16_t>(kCommon[random() % (sizeof kCommon - 1)]);
    }
  }
  return text;
}

// The table orders texts as the collator does, and so do the prefixes where they differ,
// under every locale that allows it; root and English must (the count's fast path depends on
// them).
TEST(AsciiCollationTest, OrdersAsTheCollatorUnderManyLocales) {
  for (const char* locale : {"", "en", "en_US_POSIX", "da", "cs", "cy", "hu", "es", "fr", "de",
                             "sv", "fi", "lt", "pl", "tr", "ja", "th", "ru"}) {
    const CollatorPtr collator = OpenCollator(locale, UCOL_SECONDARY);
    const std::optional<TAsciiCollation> ascii = TAsciiCollation::For(collator.get());
    if (std::string_view(locale).empty() || std::string_view(locale) == "en") {
      EXPECT_TRUE(ascii.has_value()) << locale;
    }
    if (!ascii) continue;
    std::mt19937 random(7);
    for (int round = 0; round < 20000; ++round) {
      const std::u16string a = RandomAsciiText(random);
      std::u16string b = round % 3 == 0 ? a : RandomAsciiText(random);
      if (round % 3 == 0 && !b.empty()) b[random() % b.size()] ^= 0x20;  // case, or not a letter
      const int expected = ucol_strcoll(
          collator.get(), reinterpret_cast<const UChar*>(a.data()), static_cast<int32_t>(a.size()),
          reinterpret_cast<const UChar*>(b.data()), static_cast<int32_t>(b.size()));
      ASSERT_EQ(ascii->Compare(a, b), expected) << "locale \"" << locale << "\", round " << round;
      // The same texts as bytes (as they are kept) compare and key alike.
      const std::string bytes_a(a.begin(), a.end());
      const std::string bytes_b(b.begin(), b.end());
      ASSERT_EQ(ascii->Compare(bytes_a, bytes_b), expected) << locale << " bytes, round " << round;
      const uint64_t prefix_a = ascii->Prefix(a);
      const uint64_t prefix_b = ascii->Prefix(b);
      ASSERT_EQ(ascii->Prefix(bytes_a), prefix_a) << locale << " bytes, round " << round;
      if (prefix_a != prefix_b) {
        ASSERT_EQ(prefix_a < prefix_b ? -1 : 1, expected)
            << "prefixes, locale \"" << locale << "\", round " << round;
      }
    }
  }
}

// The table looks only at a locale's own rules: the root collation must give every ASCII
// character one collation element and have no contraction of ASCII characters alone, in the
// data installed here.
TEST(AsciiCollationTest, RootCollationKeepsAsciiCharactersApart) {
  const CollatorPtr root = OpenCollator("", UCOL_SECONDARY);
  UErrorCode status = U_ZERO_ERROR;
  const std::unique_ptr<USet, decltype(&uset_close)> contractions(uset_openEmpty(), &uset_close);
  const std::unique_ptr<USet, decltype(&uset_close)> expansions(uset_openEmpty(), &uset_close);
  ucol_getContractionsAndExpansions(root.get(), contractions.get(), expansions.get(), true,
                                    &status);
  ASSERT_TRUE(U_SUCCESS(status));
  for (UChar32 c = 0; c < 0x80; ++c) EXPECT_FALSE(uset_contains(expansions.get(), c)) << c;
  const int32_t items = uset_getItemCount(contractions.get());
  EXPECT_GT(items, 0);
  for (int32_t i = 0; i < items; ++i) {
    UChar32 first = 0;
    UChar32 last = 0;
    char16_t text[64];
    status = U_ZERO_ERROR;
    const int32_t length = uset_getItem(contractions.get(), i, &first, &last, text, 64, &status);
    ASSERT_TRUE(U_SUCCESS(status));
    if (length > 0) {
      EXPECT_FALSE(TAsciiCollation::Covers(std::u16string_view(text, static_cast<size_t>(length))))
          << "item " << i;
    }
  }
}

TEST(AsciiCollationTest, NoKeysWhereCharactersDoNotCollateAlone) {
  // Contractions of ASCII letters, letter case, numeric order, ignored punctuation.
  EXPECT_FALSE(TAsciiCollation::For(OpenCollator("cs", UCOL_SECONDARY).get()));
  EXPECT_FALSE(TAsciiCollation::For(OpenCollator("", UCOL_TERTIARY).get()));
  EXPECT_FALSE(TAsciiCollation::For(OpenCollator("en-u-kn", UCOL_SECONDARY).get()));
  EXPECT_FALSE(TAsciiCollation::For(OpenCollator("en-u-ka-shifted", UCOL_SECONDARY).get()));
}

TEST(AsciiCollationTest, CoversAsciiTextsOnly) {
  EXPECT_TRUE(TAsciiCollation::Covers(u""));
  EXPECT_TRUE(TAsciiCollation::Covers(u"Cafe\x7f\t"));
  EXPECT_FALSE(TAsciiCollation::Covers(u"caf\u00E9"));
  EXPECT_FALSE(TAsciiCollation::Covers(u"x\U0001F600"));
  EXPECT_TRUE(TAsciiCollation::Covers(std::string_view("Cafe\x7f\t")));
  EXPECT_FALSE(TAsciiCollation::Covers(std::string_view("caf\xc3\xa9")));
}

}  // namespace
}  // namespace farrowdale
