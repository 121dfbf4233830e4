#include "report/passages_in_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "testing/code_page_guard.h"
#include "testing/file_bytes.h"
#include "testing/reference_text_view.h"
#include "testing/scratch_folder.h"
#include "text/code_page.h"

namespace farrowdale {
namespace {

// What the text part of a rendered section says: the text itself, the tag rows highlighting
// each of its characters, and the ids and links of the highlights.
struct TReadBack {
  std::string text;
  std::vector<std::vector<int32_t>> rows_at;  // per character, sorted
  std::vector<std::string> ids;               // in the order they appear
  std::vector<std::string> link_targets;      // in the order they appear
};

std::string AttributeValue(const std::string& tag, const std::string& name) {
  const size_t at = tag.find(" " + name + "=");
  if (at == std::string::npos) return "";
  const size_t from = at + name.size() + 2;
  return tag.substr(from, tag.find_first_of(" >", from) - from);
}

// Reads the <div class="tx"> of a section, checking that its elements nest.
TReadBack ReadBack(const std::u16string& section) {
  const std::string html = ToNarrow(section);
  const std::string start = "<div class=\"tx\">";
  size_t at = html.find(start) + start.size();
  const size_t stop = html.find("</div>\n</section>");
  TReadBack read;
  std::vector<int32_t> open_rows;
  std::vector<std::string> open_ids;  // "" for a continued piece
  std::string last_closed_id;
  while (at < stop) {
    if (html.compare(at, 5, "<mark") == 0) {
      const size_t end = html.find('>', at);
      const std::string tag = html.substr(at, end - at);
      open_rows.push_back(std::stoi(AttributeValue(tag, "class").substr(1)));
      open_ids.push_back(AttributeValue(tag, "id"));
      if (!open_ids.back().empty()) read.ids.push_back(open_ids.back());
      at = end + 1;
    } else if (html.compare(at, 7, "</mark>") == 0) {
      EXPECT_FALSE(open_rows.empty()) << "unbalanced at " << at;
      if (open_rows.empty()) return read;
      open_rows.pop_back();
      open_ids.pop_back();
      at += 7;
    } else if (html.compare(at, 9, "<a href=#") == 0) {
      const size_t end = html.find("></a>", at);
      read.link_targets.push_back(html.substr(at + 9, end - at - 9));
      EXPECT_EQ(html.compare(end + 5, 7, "</mark>"), 0) << "link not at a highlight's end";
      at = end + 5;
    } else if (html[at] == '&') {
      const size_t end = html.find(';', at);
      const std::string entity = html.substr(at, end - at + 1);
      read.text += entity == "&amp;" ? '&' : entity == "&lt;" ? '<' : '>';
      std::vector<int32_t> rows = open_rows;
      std::sort(rows.begin(), rows.end());
      read.rows_at.push_back(rows);
      at = end + 1;
    } else {
      EXPECT_NE(html[at], '<') << "unexpected markup at " << at;
      read.text += html[at++];
      std::vector<int32_t> rows = open_rows;
      std::sort(rows.begin(), rows.end());
      read.rows_at.push_back(rows);
    }
  }
  EXPECT_TRUE(open_rows.empty());
  return read;
}

// The section as a report holds it: written through a report stream, read back from the
// UTF-16 LE file with its line ends as LF again.
std::u16string Written(const std::vector<TTagPassages>& tags, const TTextWithPassages& text) {
  const testing_support::ScratchFolder folder;
  TAtomicFile file(folder / "r.htm");
  TReportStream out(file);
  WritePassagesInText(out, tags, text);
  out.Finish();
  file.Commit();
  const std::string bytes = testing_support::ReadBytes(folder / "r.htm");
  std::u16string section;
  for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
    const auto c = static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                         static_cast<unsigned char>(bytes[i + 1]) << 8);
    if (c == u'\n' && !section.empty() && section.back() == u'\r') {
      section.back() = u'\n';
    } else {
      section += c;
    }
  }
  return section;
}

std::vector<TTagPassages> Tags(int count) {
  std::vector<TTagPassages> tags;
  for (int i = 0; i < count; ++i) tags.push_back({"t" + std::to_string(i), "A0B0C0", {}});
  return tags;
}

// Random texts with random passages of three tags, nested and crossing at will: the text
// reads back unchanged, each character carries exactly the highlights that cover it, every
// occurrence has one id and ends in one link, and every occurrence is linked to once. Some
// texts are long, so that the text goes out in many pieces, cut also inside a character.
TEST(PassagesInTextTest, HighlightsNestAndCrossWithoutLosingTextOrPassages) {
  std::mt19937 random(7);
  for (const char* code_page_name : {"windows-1252", "UTF-8"}) {
    CodePageGuard code_page(code_page_name);
    const std::string accented = std::string(code_page_name) == "UTF-8" ? "\xC3\xA9" : "\xE9";
    const std::vector<std::string> alphabet = {"a", "b", " ", "<", "&", ">", "\n", accented};
    // Highlights start and end on character boundaries.
    const auto boundary = [](const std::string& text, size_t at) {
      while (at < text.size() && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80) ++at;
      return at;
    };
    for (int round = 0; round < 150; ++round) {
      std::string text;
      const size_t pieces = round % 30 == 0 ? 100000 + random() % 100000 : 1 + random() % 40;
      for (size_t i = 0; i < pieces; ++i) text += alphabet[random() % alphabet.size()];
      const size_t length = text.size();
      TTextWithPassages with_passages{text, {}};
      const int highlights = static_cast<int>(random() % 8);
      for (int i = 0; i < highlights; ++i) {
        const size_t begin = boundary(text, random() % length);
        if (begin == length) continue;
        const size_t end = boundary(text, begin + 1 + random() % (length - begin));
        with_passages.highlights.push_back({begin, end, static_cast<int32_t>(1 + random() % 3),
                                            static_cast<int32_t>(1 + random() % 2)});
      }
      const TReadBack read = ReadBack(Written(Tags(3), with_passages));
      ASSERT_EQ(read.text, text) << "round " << round;
      for (size_t c = 0; c < length; ++c) {
        std::vector<int32_t> covering;
        for (const TTextHighlight& h : with_passages.highlights) {
          if (h.begin <= c && c < h.end) covering.push_back(h.tag_row);
        }
        std::sort(covering.begin(), covering.end());
        ASSERT_EQ(read.rows_at[c], covering) << "round " << round << " character " << c;
      }
      ASSERT_EQ(read.ids.size(), with_passages.highlights.size());
      const std::set<std::string> ids(read.ids.begin(), read.ids.end());
      ASSERT_EQ(ids.size(), read.ids.size()) << "an id used twice";
      // One link per occurrence, and every occurrence the target of exactly one.
      std::map<std::string, int> linked;
      for (const std::string& to : read.link_targets) ++linked[to];
      ASSERT_EQ(read.link_targets.size(), with_passages.highlights.size());
      for (const auto& [to, count] : linked) {
        EXPECT_TRUE(ids.count(to)) << "link to nowhere: " << to;
        EXPECT_EQ(count, 1) << "two links to " << to;
      }
      // Each distinct passage's first occurrence carries the id the hit list links to.
      std::set<std::pair<int32_t, int32_t>> passages;
      for (const TTextHighlight& h : with_passages.highlights) {
        passages.insert({h.tag_row, h.passage_number});
      }
      for (const auto& [row, number] : passages) {
        EXPECT_TRUE(ids.count(PassageAnchor(row, number))) << PassageAnchor(row, number);
      }
    }
  }
}

// The one-pass writer against the plain one, byte for byte: which occurrence links to which,
// the ids, the order of reopened pieces, escaping and line ends, with many tags, passage
// numbers with gaps, passages occurring many times over, twins (the same place twice) and
// highlights that begin or end between the CR and the LF of a line end.
TEST(PassagesInTextTest, SameMarkupAsThePlainWriter) {
  std::mt19937 random(11);
  for (const char* code_page_name : {"UTF-8", "windows-1252"}) {
    CodePageGuard code_page(code_page_name);
    const std::string accented = std::string(code_page_name) == "UTF-8" ? "\xC3\xA9" : "\xE9";
    // Long plain words make runs of plain ASCII that end anywhere in a block of 16.
    const std::vector<std::string> alphabet = {"a",
                                               "bc",
                                               " ",
                                               "<",
                                               "&",
                                               ">",
                                               "\r\n",
                                               "\r",
                                               "\n",
                                               accented,
                                               "plain words ",
                                               "and some more plain words"};
    for (int round = 0; round < 200; ++round) {
      std::string text;
      const size_t pieces = 1 + random() % (round % 100 == 0 ? 20000 : 60);
      for (size_t i = 0; i < pieces; ++i) text += alphabet[random() % alphabet.size()];
      TTextWithPassages with_passages{text, {}};
      const int32_t rows = static_cast<int32_t>(1 + random() % 6);
      const int32_t numbers = static_cast<int32_t>(1 + random() % 12);
      const int highlights = static_cast<int>(random() % 40);
      for (int i = 0; i < highlights; ++i) {
        size_t begin = random() % text.size();
        size_t end = begin + 1 + random() % std::min<size_t>(text.size() - begin, 30);
        // On character boundaries: never inside the two bytes of the accented letter.
        while (begin > 0 && (static_cast<unsigned char>(text[begin]) & 0xC0) == 0x80) --begin;
        while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) ++end;
        const TTextHighlight highlight{begin, end, static_cast<int32_t>(1 + random() % rows),
                                       static_cast<int32_t>(1 + random() % numbers)};
        with_passages.highlights.push_back(highlight);
        if (random() % 8 == 0) with_passages.highlights.push_back(highlight);
      }
      const std::string html = ToNarrow(Written(Tags(rows), with_passages));
      const std::string start = "<div class=\"tx\">";
      const size_t from = html.find(start) + start.size();
      ASSERT_EQ(html.substr(from, html.find("</div>\n</section>") - from),
                testing_support::ReferenceHighlightedText(with_passages))
          << code_page_name << ", round " << round;
    }
  }
}

TEST(PassagesInTextTest, ColoursLegendAndLineEndsKept) {
  CodePageGuard code_page("windows-1252");
  std::vector<TTagPassages> tags = {{"<b>", "FF8800", {{u"x", 2, {}}, {u"y", 1, {}}}},
                                    {"none", "bad\"", {}}};
  const std::u16string section =
      Written(tags, {"x\r\ny\tx", {{0, 1, 1, 1}, {3, 4, 1, 2}, {5, 6, 1, 1}}});
  const std::string html = ToNarrow(section);
  EXPECT_NE(html.find(".passages .h1{background:#FF880040;border-bottom:2px solid #FF8800}"),
            std::string::npos);
  EXPECT_NE(html.find(".passages .h2{background:#80808040;"), std::string::npos);
  EXPECT_NE(html.find("<mark class=\"h1\">&lt;b&gt;</mark> <span class=\"k\">2 distinct, 3 in "
                      "all</span>"),
            std::string::npos);
  EXPECT_NE(html.find("<div class=\"tx\"><mark class=h1 id=p1-1>x<a href=#o3></a></mark>\n"
                      "<mark class=h1 id=p1-2>y<a href=#p1-2></a></mark>\t"
                      "<mark class=h1 id=o3>x<a href=#p1-1></a></mark></div>"),
            std::string::npos)
      << html;
}

}  // namespace
}  // namespace farrowdale
