#include "text/code_page.h"

#include <gtest/gtest.h>
#include <unicode/ucnv.h>

#include <clocale>
#include <cstdint>
#include <iterator>
#include <string>
#include <utility>

#include "testing/code_page_guard.h"
#include "text/error.h"

namespace farrowdale {
namespace {

std::string Narrow(std::u16string_view text) { return ToNarrow(text); }

// Every byte of a Windows table decodes (ASCII as itself) and comes back unchanged.
void ExpectEveryByteDecodesAsciiAsAsciiAndRoundTrips() {
  std::string all;
  std::u16string ascii;
  for (int byte = 0; byte < 256; ++byte) all += static_cast<char>(byte);
  for (char16_t c = 0; c < 128; ++c) ascii += c;
  EXPECT_EQ(ToUnicode(all).substr(0, 128), ascii);
  EXPECT_EQ(ToNarrow(ToUnicode(all)), all);
}

TEST(CodePageTest, Windows1252EncodesWithBestFitAndOneQuestionMarkPerUnit) {
  CodePageGuard guard("windows-1252");
  EXPECT_EQ(SystemCodePageName(), "windows-1252");
  EXPECT_FALSE(SystemCodePageIsMultiByte());
  EXPECT_EQ(Narrow(u"\u0100"), "A");
  EXPECT_EQ(Narrow(u"\u2260"), "?");
  EXPECT_EQ(Narrow(u"\u0416"), "?");
  EXPECT_EQ(Narrow(u"\u4E2D"), "?");
  EXPECT_EQ(Narrow(u"\U0001F600"), "??");
  EXPECT_EQ(Narrow(u"\u221E"), "8");
  EXPECT_EQ(Narrow(u"\uFF21"), "A");
  EXPECT_EQ(Narrow(u"\u0141"), "L");
  EXPECT_EQ(Narrow(u"\u2032\u2033"), "'?");
  EXPECT_EQ(Narrow(u"\u00E4\u20AC"), "\xE4\x80");
  // A default-ignorable character is written as "?", not dropped.
  EXPECT_EQ(Narrow(u"\u2764\uFE0E"), "??");
  // A U+0000 inside is converted like any other character.
  EXPECT_EQ(Narrow(std::u16string(u"a\0b", 3)), std::string("a\0b", 3));
}

TEST(CodePageTest, Windows1252DecodesEveryByteAndRoundTrips) {
  CodePageGuard guard("windows-1252");
  EXPECT_EQ(ToUnicode("\x81\x8D\x8F\x90\x9D"), u"\u0081\u008D\u008F\u0090\u009D");
  EXPECT_EQ(ToUnicode("\x80\x9F\xE9"), u"\u20AC\u0178\u00E9");
  EXPECT_EQ(ToUnicode("\xC3\xA9"), u"\u00C3\u00A9");
  ExpectEveryByteDecodesAsciiAsAsciiAndRoundTrips();
}

TEST(CodePageTest, Windows1251) {
  CodePageGuard guard("cp1251");
  EXPECT_EQ(SystemCodePageName(), "windows-1251");
  EXPECT_EQ(Narrow(u"\u0100"), "A");
  EXPECT_EQ(Narrow(u"\u2260"), "?");
  EXPECT_EQ(Narrow(u"\u0416\u0440"), "\xC6\xF0");
  EXPECT_EQ(Narrow(u"\u00E4"), "a");
  EXPECT_EQ(Narrow(u"\u4E2D"), "?");
  EXPECT_EQ(Narrow(u"\U0001F600"), "??");
  EXPECT_EQ(Narrow(u"\u221E"), "?");
  EXPECT_EQ(Narrow(u"\uFF21"), "A");
  EXPECT_EQ(ToUnicode("\x98\xC6"), u"\u0098\u0416");
  ExpectEveryByteDecodesAsciiAsAsciiAndRoundTrips();
}

TEST(CodePageTest, Utf8) {
  CodePageGuard guard("utf8");
  EXPECT_EQ(SystemCodePageName(), "UTF-8");
  EXPECT_TRUE(SystemCodePageIsMultiByte());
  EXPECT_EQ(Narrow(u"\u00E9\u0416\U0001F600"), "\xC3\xA9\xD0\x96\xF0\x9F\x98\x80");
  EXPECT_EQ(Narrow(u"a\xD800"
                   u"b\xDC00"),
            "a?b?");
  EXPECT_EQ(ToUnicode("\xF0\x9F\x98\x80"), u"\U0001F600");
  // Each ill-formed part becomes one U+FFFD and decoding goes on.
  EXPECT_EQ(ToUnicode("\xC3 x"), u"\uFFFD x");
  EXPECT_EQ(ToUnicode("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD");
  EXPECT_EQ(ToUnicode("\xE0\x80"), u"\uFFFD\uFFFD");
  EXPECT_EQ(ToUnicode("\xF0\x9F\x98\r\n"), u"\uFFFD\r\n");
  EXPECT_EQ(ToUnicode("abc\xE2\x82"), u"abc\uFFFD");
  EXPECT_EQ(ToUnicode("\xF4\x90\x80\x80\xFF"), u"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD");
  // Past the eight-bytes-at-a-time ASCII loop.
  EXPECT_EQ(ToUnicode("abcdefghi\xC3\xA9jklmnopqrstuvw"), u"abcdefghi\u00E9jklmnopqrstuvw");
}

// ICU's UTF-8 converter replaces each maximal ill-formed part with one U+FFFD, as ours must.
std::u16string IcuUtf8ToUtf16(const std::string& bytes) {
  UErrorCode status = U_ZERO_ERROR;
  UConverter* converter = ucnv_open("UTF-8", &status);
  std::u16string text(bytes.size() + 1, u'\0');
  const int32_t length =
      ucnv_toUChars(converter, reinterpret_cast<UChar*>(text.data()), text.size(), bytes.data(),
                    static_cast<int32_t>(bytes.size()), &status);
  ucnv_close(converter);
  text.resize(length);
  return text;
}

TEST(CodePageTest, Utf8DecodingAgreesWithIcuOnRandomBytes) {
  CodePageGuard guard("UTF-8");
  // Bytes drawn mostly from the lead and continuation ranges, where the faults would be.
  const unsigned char kBytes[] = {0x41, 0x00, 0x7F, 0x80, 0x8F, 0x90, 0x9F, 0xA0,
                                  0xBF, 0xC0, 0xC1, 0xC2, 0xDF, 0xE0, 0xE1, 0xED,
                                  0xEE, 0xEF, 0xF0, 0xF1, 0xF4, 0xF5, 0xFF};
  uint32_t state = 1;
  for (int round = 0; round < 20000; ++round) {
    std::string bytes;
    const int length = round % 12;
    for (int i = 0; i < length; ++i) {
      state = state * 1103515245u + 12345u;
      bytes += static_cast<char>(kBytes[(state >> 16) % std::size(kBytes)]);
    }
    ASSERT_EQ(ToUnicode(bytes), IcuUtf8ToUtf16(bytes)) << testing::PrintToString(bytes);
  }
}

// ICU's UTF-16 -> UTF-8, with "?" for unpaired surrogates, as the UTF-8 code page writes.
std::string IcuUtf16ToUtf8(const std::u16string& text) {
  UErrorCode status = U_ZERO_ERROR;
  UConverter* converter = ucnv_open("UTF-8", &status);
  ucnv_setSubstChars(converter, "?", 1, &status);
  std::string bytes(text.size() * 3 + 1, '\0');
  const int32_t length =
      ucnv_fromUChars(converter, bytes.data(), static_cast<int32_t>(bytes.size()),
                      reinterpret_cast<const UChar*>(text.data()), text.size(), &status);
  ucnv_close(converter);
  bytes.resize(length);
  return bytes;
}

TEST(CodePageTest, Utf8EncodingAgreesWithIcuOnRandomText) {
  CodePageGuard guard("UTF-8");
  // Long ASCII runs (the sixteen-at-a-time loop) broken by units of every width, pairs and
  // lone surrogates, and units from 0x8000 up, whose top bit a signed test would miss.
  const char16_t kUnits[] = {u'a',   u'\r',  0x7F,   0x80,   0x7FF,  0x800,  0x8000,
                             0xD83D, 0xDE00, 0xDBFF, 0xDC00, 0xFFFD, 0xFFFF, 0x00E9};
  uint32_t state = 7;
  for (int round = 0; round < 5000; ++round) {
    std::u16string text;
    const int length = round % 60;
    for (int i = 0; i < length; ++i) {
      state = state * 1103515245u + 12345u;
      const int pick = (state >> 16) % (2 * std::size(kUnits));
      text += pick < static_cast<int>(std::size(kUnits)) ? kUnits[pick] : u'x';
    }
    ASSERT_EQ(ToNarrow(text), IcuUtf16ToUtf8(text)) << round;
    std::string appended = "before";
    AppendNarrow(text, &appended);
    ASSERT_EQ(appended, "before" + IcuUtf16ToUtf8(text)) << round;
  }
}

TEST(CodePageTest, OtherCodePagesGoThroughIcu) {
  CodePageGuard guard("ISO-8859-5");
  EXPECT_EQ(SystemCodePageName(), "ISO-8859-5");
  EXPECT_EQ(Narrow(u"\u0416\u4E2D\U0001F600"), "\xB6???");
  EXPECT_EQ(ToUnicode("\xB6"), u"\u0416");
  EXPECT_EQ(SwapCase(0xB6), 0xD6);
  EXPECT_EQ(SwapCase(0xD6), 0xB6);
}

TEST(CodePageTest, UnknownOrWideCodePageIsRejectedAndNothingChanges) {
  CodePageGuard guard("windows-1251");
  EXPECT_THROW(SetSystemCodePage("no-such-code-page"), Error);
  EXPECT_THROW(SetSystemCodePage("UTF-16"), Error);
  EXPECT_THROW(SetSystemCodePage(""), Error);
  EXPECT_EQ(SystemCodePageName(), "windows-1251");
}

TEST(CodePageTest, InitFromLocaleTakesAsciiAsUtf8) {
  CodePageGuard guard("windows-1251");
  struct LocaleGuard {
    std::string saved = std::setlocale(LC_ALL, nullptr);
    ~LocaleGuard() { std::setlocale(LC_ALL, saved.c_str()); }
  } locale_guard;
  ASSERT_NE(std::setlocale(LC_ALL, "C"), nullptr);
  InitSystemCodePageFromLocale();
  EXPECT_EQ(SystemCodePageName(), "UTF-8");
  SetSystemCodePage("windows-1251");
  ASSERT_NE(std::setlocale(LC_ALL, "POSIX"), nullptr);
  InitSystemCodePageFromLocale();
  EXPECT_EQ(SystemCodePageName(), "UTF-8");
  ASSERT_NE(std::setlocale(LC_ALL, "C.UTF-8"), nullptr);
  InitSystemCodePageFromLocale();
  EXPECT_EQ(SystemCodePageName(), "UTF-8");
}

// Expected case partners: CharUpperA/CharLowerA pairs besides a-z <-> A-Z.
std::array<unsigned char, 256> ExpectedSwaps(std::initializer_list<std::pair<int, int>> pairs,
                                             std::initializer_list<std::pair<int, int>> ranges,
                                             std::initializer_list<int> excluded) {
  std::array<unsigned char, 256> table;
  for (int byte = 0; byte < 256; ++byte) table[byte] = static_cast<unsigned char>(byte);
  auto link = [&](int upper, int lower) {
    table[upper] = static_cast<unsigned char>(lower);
    table[lower] = static_cast<unsigned char>(upper);
  };
  for (int c = 'A'; c <= 'Z'; ++c) link(c, c + 32);
  for (auto [upper, lower] : pairs) link(upper, lower);
  for (auto [first_upper, first_lower] : ranges) {
    for (int i = 0; i < 32; ++i) {
      if (std::find(excluded.begin(), excluded.end(), first_upper + i) == excluded.end() &&
          std::find(excluded.begin(), excluded.end(), first_lower + i) == excluded.end()) {
        link(first_upper + i, first_lower + i);
      }
    }
  }
  return table;
}

// A text cut in two anywhere, inside a character's bytes or a surrogate pair too, converts
// in pieces exactly as it converts whole, also where the code page carries a shift state.
TEST(CodePageTest, StreamsConvertPiecesAsTheirConcatenation) {
  const std::u16string text =
      u"a\u20AC\u3042\U0001D11E\xD800"
      u"b\u6F22 \u00E9";
  for (const char* name : {"windows-1252", "UTF-8", "Shift_JIS", "ISO-2022-JP"}) {
    CodePageGuard code_page(name);
    const std::string narrow = ToNarrow(text) + "\xE3";
    for (size_t cut = 0; cut <= narrow.size(); ++cut) {
      TNarrowDecoder decoder;
      std::u16string decoded;
      decoder.Decode(narrow.substr(0, cut), &decoded);
      decoder.Decode(narrow.substr(cut), &decoded);
      decoder.Finish(&decoded);
      EXPECT_EQ(decoded, ToUnicode(narrow)) << name << ", cut at byte " << cut;
    }
    TNarrowEncoder encoder;
    for (size_t cut = 0; cut <= text.size(); ++cut) {
      std::string encoded;
      encoder.Encode(text.substr(0, cut), &encoded);
      encoder.Encode(text.substr(cut), &encoded);
      encoder.Finish(&encoded);
      EXPECT_EQ(encoded, ToNarrow(text)) << name << ", cut at unit " << cut;
    }
  }
}

// Every unit the encoder calls unchanged comes back unchanged through the code page, alone and
// in the text around it; the prefix stops at the first one that does not.
TEST(CodePageTest, TheUnchangedPrefixComesBackUnchanged) {
  for (const char* name : {"windows-1252", "windows-1251", "UTF-8"}) {
    CodePageGuard code_page(name);
    const TNarrowEncoder encoder;
    std::u16string claimed;
    for (uint32_t unit = 0; unit <= 0xFFFF; ++unit) {
      const std::u16string text(1, static_cast<char16_t>(unit));
      if (encoder.UnchangedPrefix(text) == 0) continue;
      ASSERT_EQ(ToUnicode(ToNarrow(text)), text) << name << ", U+" << std::hex << unit;
      claimed += text;
    }
    EXPECT_EQ(encoder.UnchangedPrefix(claimed), claimed.size()) << name;
    EXPECT_EQ(ToUnicode(ToNarrow(claimed)), claimed) << name;
  }
  const std::u16string text = u"a\u00E9\u0416\U0001D11E\u3042b\xDC00\u00E9";
  const std::u16string cut_pair = u"abcdefghijklmnopqrs\xD834";  // longer than a vector
  {
    CodePageGuard code_page("UTF-8");
    const TNarrowEncoder encoder;
    EXPECT_EQ(encoder.UnchangedPrefix(text), 7u);
    EXPECT_EQ(encoder.UnchangedPrefix(cut_pair), cut_pair.size() - 1);
  }
  {
    CodePageGuard code_page("windows-1252");
    const TNarrowEncoder encoder;
    EXPECT_EQ(encoder.UnchangedPrefix(text), 2u);       // U+0416 has no byte in windows-1252
    EXPECT_EQ(encoder.UnchangedPrefix(u"\u0100"), 0u);  // its best fit "A" is another letter
  }
  {
    CodePageGuard code_page("windows-1251");
    EXPECT_EQ(TNarrowEncoder().UnchangedPrefix(text), 1u);
  }
  for (const char* name : {"ISO-8859-5", "Shift_JIS", "ISO-2022-JP"}) {
    CodePageGuard code_page(name);
    EXPECT_EQ(TNarrowEncoder().UnchangedPrefix(u"abc"), 0u) << name;
    EXPECT_TRUE(TNarrowEncoder().HoldsBack()) << name;
    EXPECT_TRUE(TNarrowDecoder().HoldsBack()) << name;
  }
}

// What the encoder and decoder hold back between pieces: half a surrogate pair, a UTF-8
// sequence at the end; nothing once a piece shows how it ends, or after Finish.
TEST(CodePageTest, HoldsBackOnlyWhileAPieceIsUnfinished) {
  CodePageGuard code_page("UTF-8");
  TNarrowEncoder encoder;
  std::string narrow;
  EXPECT_FALSE(encoder.HoldsBack());
  encoder.Encode(u"a\xD834", &narrow);
  EXPECT_TRUE(encoder.HoldsBack());
  encoder.Encode(u"\xDD1E", &narrow);
  EXPECT_FALSE(encoder.HoldsBack());
  encoder.Encode(u"\xD834", &narrow);
  encoder.Finish(&narrow);
  EXPECT_FALSE(encoder.HoldsBack());
  EXPECT_EQ(narrow, "a\xF0\x9D\x84\x9E?");

  TNarrowDecoder decoder;
  std::u16string text;
  decoder.Decode("a\xE2\x82", &text);
  EXPECT_TRUE(decoder.HoldsBack());
  decoder.Decode("\xAC", &text);
  EXPECT_TRUE(decoder.HoldsBack());  // a sequence at the very end waits for the next byte
  decoder.Decode("b", &text);
  EXPECT_FALSE(decoder.HoldsBack());
  decoder.Decode("\xE2", &text);
  decoder.Finish(&text);
  EXPECT_FALSE(decoder.HoldsBack());
  EXPECT_EQ(text, u"a\u20ACb\uFFFD");

  CodePageGuard single_byte("windows-1252");
  TNarrowEncoder table_encoder;
  table_encoder.Encode(u"\xD834", &narrow);
  EXPECT_FALSE(table_encoder.HoldsBack());  // each unit converts on its own
}

TEST(CodePageTest, SwapCaseTables) {
  {
    CodePageGuard guard("windows-1252");
    // C0-DE <-> E0-FE except D7 x and F7 /, and DF (sharp s) has no partner.
    const auto expected = ExpectedSwaps({{0x8A, 0x9A}, {0x8C, 0x9C}, {0x8E, 0x9E}, {0x9F, 0xFF}},
                                        {{0xC0, 0xE0}}, {0xD7, 0xF7, 0xDF, 0xFF});
    for (int byte = 0; byte < 256; ++byte) {
      EXPECT_EQ(SwapCase(static_cast<unsigned char>(byte)), expected[byte]) << "byte " << byte;
    }
    EXPECT_EQ(SwapCase(0xB5), 0xB5);
    EXPECT_EQ(SwapCase(0x83), 0x83);
  }
  {
    CodePageGuard guard("windows-1251");
    const auto expected = ExpectedSwaps({{0x81, 0x83},
                                         {0x80, 0x90},
                                         {0x8A, 0x9A},
                                         {0x8C, 0x9C},
                                         {0x8D, 0x9D},
                                         {0x8E, 0x9E},
                                         {0x8F, 0x9F},
                                         {0xA1, 0xA2},
                                         {0xA3, 0xBC},
                                         {0xA5, 0xB4},
                                         {0xA8, 0xB8},
                                         {0xAA, 0xBA},
                                         {0xAF, 0xBF},
                                         {0xB2, 0xB3},
                                         {0xBD, 0xBE}},
                                        {{0xC0, 0xE0}}, {});
    for (int byte = 0; byte < 256; ++byte) {
      EXPECT_EQ(SwapCase(static_cast<unsigned char>(byte)), expected[byte]) << "byte " << byte;
    }
  }
  {
    CodePageGuard guard("UTF-8");
    EXPECT_EQ(SwapCase('q'), 'Q');
    EXPECT_EQ(SwapCase('Q'), 'q');
    EXPECT_EQ(SwapCase(0xC3), 0xC3);
    EXPECT_EQ(SwapCase(0xA9), 0xA9);
  }
}

TEST(CodePageTest, PathsBetweenNativeBytesAndNarrowText) {
  {
    CodePageGuard guard("UTF-8");
    EXPECT_EQ(PathToNarrow("/tmp/caf\xC3\xA9/\xFF.txt"), "/tmp/caf\xC3\xA9/\xFF.txt");
    EXPECT_EQ(NarrowToPath("/tmp/\xFF").native(), "/tmp/\xFF");
  }
  {
    CodePageGuard guard("windows-1252");
    EXPECT_EQ(PathToNarrow("/tmp/caf\xC3\xA9/\xFF\xD0\x96.txt"), "/tmp/caf\xE9/??.txt");
    EXPECT_EQ(NarrowToPath("/tmp/caf\xE9").native(), "/tmp/caf\xC3\xA9");
  }
}

// The kind follows the code page chosen, not the spelling of its name, and agrees with the
// multi-byte flag.
TEST(CodePageTest, KindFollowsTheCodePageWhateverItsName) {
  const std::pair<const char*, ECodePageKind> cases[] = {
      {"windows-1252", ECodePageKind::kSingleByte},
      {"cp1251", ECodePageKind::kSingleByte},
      {"ISO-8859-5", ECodePageKind::kSingleByte},
      {"utf8", ECodePageKind::kUtf8},
      {"UTF-8", ECodePageKind::kUtf8},
      {"Shift_JIS", ECodePageKind::kOtherMultiByte},
      {"GB18030", ECodePageKind::kOtherMultiByte},
      {"ISO-2022-JP", ECodePageKind::kOtherMultiByte},
  };
  for (const auto& [name, kind] : cases) {
    CodePageGuard guard(name);
    EXPECT_EQ(SystemCodePageKind(), kind) << name;
    EXPECT_EQ(SystemCodePageIsMultiByte(), kind != ECodePageKind::kSingleByte) << name;
  }
}

}  // namespace
}  // namespace farrowdale
