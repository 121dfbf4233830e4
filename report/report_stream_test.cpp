#include "report/report_stream.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "report/table_fragments.h"
#include "testing/code_page_guard.h"
#include "testing/file_bytes.h"
#include "testing/scratch_folder.h"
#include "text/unicode_string_list.h"

namespace farrowdale {
namespace {

using testing_support::ReadBytes;
using testing_support::ScratchFolder;
using testing_support::Utf16LeFile;

// A piece of a page: narrow text, or Unicode text (Unicode pieces in a row are one value).
// Narrow text to escape stands in the page escaped by EscapeHtml; ASCII markup (narrow and
// text alike) is Unicode text handed to the stream as ASCII.
struct Piece {
  bool unicode = false;
  std::string narrow;
  std::u16string text;
  bool escaped = false;
  bool ascii_markup = false;
};

// The report the page gave when it was built whole: every value through the code page at
// once, the narrow page decoded at once, cut into lines and joined with CR LF.
std::string WholePage(const std::vector<Piece>& pieces) {
  std::string narrow;
  std::u16string value;
  for (const Piece& piece : pieces) {
    if (piece.unicode) {
      value += piece.text;
      continue;
    }
    narrow += ToNarrow(value) + (piece.escaped ? EscapeHtml(piece.narrow) : piece.narrow);
    value.clear();
  }
  narrow += ToNarrow(value);
  TUnicodeStringList page;
  page.AssignText(ToUnicode(narrow));
  return Utf16LeFile(page.JoinedText());
}

std::string Streamed(const ScratchFolder& folder, const std::vector<Piece>& pieces) {
  TAtomicFile file(folder / "r.htm");
  TReportStream out(file);
  for (const Piece& piece : pieces) {
    if (piece.escaped) {
      out.AppendEscapedNarrow(piece.narrow);
    } else if (piece.ascii_markup) {
      out.AppendAsciiMarkup(piece.narrow);
    } else if (!piece.unicode) {
      out.AppendNarrow(piece.narrow);
    } else if (piece.text.size() % 2 == 0) {
      out.AppendUnicode(piece.text);
    } else {
      out.unicode() += piece.text;
      out.Drain();
    }
  }
  out.Finish();
  file.Commit();
  return ReadBytes(folder / "r.htm");
}

Piece Narrow(std::string narrow) { return {false, std::move(narrow), {}}; }
Piece Unicode(std::u16string text) { return {true, {}, std::move(text)}; }

// Narrow text as two pieces, cut at a random byte (also inside a character's bytes).
void AddCutNarrow(std::vector<Piece>& pieces, const std::string& narrow, std::mt19937& random) {
  const size_t cut = narrow.empty() ? 0 : random() % narrow.size();
  pieces.push_back(Narrow(narrow.substr(0, cut)));
  pieces.push_back(Narrow(narrow.substr(cut)));
}

// The pieces streamed against the page built whole; on a difference, where it starts.
testing::AssertionResult StreamsAsThePageBuiltWhole(const ScratchFolder& folder,
                                                    const std::vector<Piece>& pieces) {
  const std::string streamed = Streamed(folder, pieces);
  const std::string whole = WholePage(pieces);
  if (streamed == whole) return testing::AssertionSuccess();
  const auto differ = std::mismatch(streamed.begin(), streamed.end(), whole.begin(), whole.end());
  return testing::AssertionFailure() << "differs from byte " << (differ.first - streamed.begin());
}

TEST(ReportStreamTest, ALineEndCutBetweenTwoPiecesIsOneLineEnd) {
  CodePageGuard code_page("windows-1252");
  const ScratchFolder folder;
  EXPECT_EQ(Streamed(folder, {Narrow("a\r"), Narrow("\nb\n"), Narrow("\rc\r"), Unicode(u"\nd")}),
            Utf16LeFile(u"a\r\nb\r\n\r\nc\r\nd\r\n"));
  EXPECT_EQ(Streamed(folder, {Narrow("a\r"), Narrow(""), Unicode(u""), Narrow("\n")}),
            Utf16LeFile(u"a\r\n"));
  // U+0000 ends the text; the line it cuts still ends with CR LF.
  EXPECT_EQ(Streamed(folder, {Narrow("a\r\nb"), Narrow(std::string("c\0d", 3)), Narrow("\re")}),
            Utf16LeFile(u"a\r\nbc\r\n"));
  EXPECT_EQ(Streamed(folder, {}), "\xFF\xFE");
}

TEST(ReportStreamTest, ASequenceCutBetweenTwoPiecesDecodesAsUncut) {
  CodePageGuard code_page("UTF-8");
  const ScratchFolder folder;
  // U+20AC in three pieces, U+1D11E as a surrogate pair in two values' worth of appends.
  EXPECT_EQ(Streamed(folder, {Narrow("\xE2"), Narrow("\x82"), Narrow("\xAC|\xE2\x82"), Narrow("<"),
                              Unicode(u"\xD834"), Unicode(u"\xDD1E")}),
            Utf16LeFile(u"\u20AC|\uFFFD<\U0001D11E\r\n"));
}

// Random pages, cut into pieces anywhere (also inside a character's bytes), against the
// page built whole, under code pages of one byte, of several bytes and with state.
TEST(ReportStreamTest, PiecesGiveTheBytesOfThePageBuiltWhole) {
  const ScratchFolder folder;
  const std::u16string alphabet = u"ab<>&\r\n\r\n\u00E9\u20AC\u0416\u3042\u6F22\xD834\xDD1E\xDC00 ";
  std::mt19937 random(7);
  for (const char* name : {"windows-1252", "UTF-8", "ISO-8859-5", "Shift_JIS", "ISO-2022-JP"}) {
    CodePageGuard code_page(name);
    for (int page = 0; page < 60; ++page) {
      std::vector<Piece> pieces;
      const int count = 1 + static_cast<int>(random() % 12);
      for (int p = 0; p < count; ++p) {
        // Now and then a piece longer than the stream's buffers.
        const size_t length = random() % 9 == 0 ? 20000 + random() % 50000 : random() % 40;
        std::u16string text;
        for (size_t i = 0; i < length; ++i) text += alphabet[random() % alphabet.size()];
        if (random() % 50 == 0) text += u'\0';
        if (random() % 2 == 0) {
          pieces.push_back(Unicode(std::move(text)));
          continue;
        }
        std::string narrow = ToNarrow(text);
        if (random() % 5 == 0) narrow += "\xE3\x81";  // cut short, or a lead byte
        const size_t cut = narrow.empty() ? 0 : random() % narrow.size();
        pieces.push_back(Narrow(narrow.substr(0, cut)));
        pieces.push_back(Narrow(narrow.substr(cut)));
      }
      const std::string streamed = Streamed(folder, pieces);
      const std::string whole = WholePage(pieces);
      const auto differ =
          std::mismatch(streamed.begin(), streamed.end(), whole.begin(), whole.end());
      ASSERT_TRUE(streamed == whole) << name << ", page " << page << ": differs from byte "
                                     << (differ.first - streamed.begin());
    }
  }
}

// Pages made to switch often between text the code page gives back unchanged, which skips the
// conversion, and text that must go through it: ASCII runs long and short, characters with
// and without a byte in the code page, surrogate pairs whole and cut between pieces or at the
// stream's 16,384-unit chunks, lone surrogates, line ends and U+0000 at the edges of pieces,
// narrow pieces cut inside a sequence. Each page must give the bytes of the page built whole.
TEST(ReportStreamTest, SkippingTheCodePageChangesNoByte) {
  const ScratchFolder folder;
  const std::vector<std::u16string> segments = {u"abcdefghijklmnopqrstuvwxyz <p>&amp;",
                                                u"x",
                                                u"\u00E9",
                                                u"\u00E0\u00E9\u00EE\u00F5\u00FC",
                                                u"\u20AC",
                                                u"\u0100",
                                                u"\u0416\u0436",
                                                u"\u6F22\u3042",
                                                u"\xD834\xDD1E",
                                                u"\xD834",
                                                u"\xDD1E",
                                                u"\r",
                                                u"\n",
                                                u"\r\n",
                                                u"\n\r",
                                                u"\xFFFD"};
  std::mt19937 random(11);
  const auto random_text = [&](size_t segment_count) {
    std::u16string text;
    for (size_t i = 0; i < segment_count; ++i) text += segments[random() % segments.size()];
    return text;
  };
  for (const char* name : {"UTF-8", "windows-1252", "windows-1251", "Shift_JIS"}) {
    CodePageGuard code_page(name);
    for (int page = 0; page < 80; ++page) {
      std::vector<Piece> pieces;
      const int count = 1 + static_cast<int>(random() % 16);
      for (int p = 0; p < count; ++p) {
        std::u16string text = random_text(random() % 8);
        if (random() % 8 == 0) {
          // After a narrow piece the stream's Unicode text starts afresh: the segments then
          // stand just before, across or after the end of its first chunk.
          pieces.push_back(Narrow(""));
          text = std::u16string(16384 - random() % 4, u'a') + text;
        }
        if (random() % 40 == 0) text += u'\0';
        if (random() % 3 != 0) {
          pieces.push_back(Unicode(std::move(text)));
          continue;
        }
        AddCutNarrow(pieces, ToNarrow(text), random);
      }
      ASSERT_TRUE(StreamsAsThePageBuiltWhole(folder, pieces)) << name << ", page " << page;
    }
  }
}

// Narrow text escaped on the way in, in one pass where the code page allows it, against the
// escaped copy decoded whole: runs of plain ASCII long and short, markup characters, every line end
// and U+0000, bytes that are no character (stray, cut short, or a lead byte cut from its sequence
// at a piece's end), pieces longer than the stream's buffers, and Unicode markup between the
// pieces.
TEST(ReportStreamTest, EscapedNarrowTextGivesTheBytesOfItsEscapedCopy) {
  const ScratchFolder folder;
  const std::vector<std::string> bytes = {"a",
                                          "b c",
                                          "&",
                                          "<",
                                          ">",
                                          "\r",
                                          "\n",
                                          "\t",
                                          "\xC3",
                                          "\xA9",
                                          "\xE2\x82",
                                          "\xAC",
                                          "\xF0\x9D\x84\x9E",
                                          "\xFF",
                                          "\x80",
                                          "\x9D"};
  std::mt19937 random(5);
  for (const char* name : {"UTF-8", "windows-1252", "windows-1251", "Shift_JIS"}) {
    CodePageGuard code_page(name);
    for (int page = 0; page < 60; ++page) {
      std::vector<Piece> pieces;
      const int count = 1 + static_cast<int>(random() % 12);
      for (int p = 0; p < count; ++p) {
        if (random() % 3 == 0) {
          pieces.push_back(Unicode(random() % 2 == 0 ? u"<mark>\r" : u"\n\u00E9</mark>"));
          continue;
        }
        if (random() % 3 == 0) {
          const std::string markup = random() % 2 == 0 ? "<mark id=p1-2>\r" : "\n</mark>";
          pieces.push_back({.unicode = true,
                            .narrow = markup,
                            .text = std::u16string(markup.begin(), markup.end()),
                            .ascii_markup = true});
          continue;
        }
        const size_t length = random() % 6 == 0 ? 10000 + random() % 30000 : random() % 30;
        std::string narrow;
        while (narrow.size() < length) narrow += bytes[random() % bytes.size()];
        if (random() % 60 == 0) narrow += std::string(1, '\0') + "after";
        pieces.push_back(
            {.narrow = std::move(narrow), .text = {}, .escaped = true, .ascii_markup = false});
      }
      ASSERT_TRUE(StreamsAsThePageBuiltWhole(folder, pieces)) << name << ", page " << page;
    }
  }
}

}  // namespace
}  // namespace farrowdale
