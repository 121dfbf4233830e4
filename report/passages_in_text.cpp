#include "report/passages_in_text.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <iterator>
#include <utility>

#include "report/markup_text.h"
#include "report/table_fragments.h"

namespace farrowdale {
namespace {

// One rule per tag: a translucent background, so that nested highlights mix their colours,
// and an underline in the full colour.
void AppendTagStyles(std::u16string& out, const std::vector<TTagPassages>& tags) {
  AppendAscii(out, "<style>");
  int32_t row = 0;
  for (const TTagPassages& tag : tags) {
    const std::string color = MarkupColor(tag.color);
    AppendAscii(out, ".passages .h" + std::to_string(++row) + "{background:" + color +
                         "40;border-bottom:2px solid " + color + "}");
  }
  AppendAscii(out, "</style>\n");
}

void AppendLegend(std::u16string& out, const std::vector<TTagPassages>& tags) {
  AppendAscii(out, "<ul class=\"legend\">\n");
  int32_t row = 0;
  for (const TTagPassages& tag : tags) {
    int64_t occurrences = 0;
    for (const TDistinctPassage& passage : tag.passages) occurrences += passage.count;
    AppendAscii(out, "<li><mark class=\"h" + std::to_string(++row) + "\">");
    AppendMarkupNarrow(out, tag.name);
    AppendAscii(out, "</mark> <span class=\"k\">");
    AppendDecimal(out, static_cast<int64_t>(tag.passages.size()));
    AppendAscii(out, " distinct, ");
    AppendDecimal(out, occurrences);
    AppendAscii(out, " in all</span></li>\n");
  }
  AppendAscii(out, "</ul>\n");
}

// Writes the text with its highlights. Attribute values are left unquoted (they are plain
// letters, digits and "-"): the markup per occurrence is most of what the section adds to
// the text, and the report is meant to stay within about twice the text's size. The text is
// escaped as narrow text ("&", "<" and ">" are never part of another character's bytes in a
// code page) by the stream, which decodes it as one text whatever the pieces, mostly in one
// pass from the text's bytes to the file's; the markup between two pieces of text is made as
// ASCII and handed to the stream at once, which writes it straight to the file's bytes where
// the code page allows.
class THighlightWriter {
 public:
  THighlightWriter(const TTextWithPassages& text, TReportStream& stream)
      : text_(text.narrow_text), highlights_(text.highlights), stream_(stream) {
    // Outer highlights open first: by start, then the longer one.
    std::sort(highlights_.begin(), highlights_.end(),
              [](const TTextHighlight& a, const TTextHighlight& b) {
                return std::tie(a.begin, b.end, a.tag_row, a.passage_number) <
                       std::tie(b.begin, a.end, b.tag_row, b.passage_number);
              });
    LinkOccurrences();
  }

  void Write() {
    size_t written = 0;
    size_t next_open = 0;
    for (;;) {
      size_t event = text_.size();
      const bool opening = next_open < highlights_.size();
      if (opening) event = highlights_[next_open].begin;
      for (const size_t open : stack_) event = std::min(event, highlights_[open].end);
      if (!opening && stack_.empty()) break;
      AppendText(written, event);
      written = event;
      CloseEndingAt(event);
      while (next_open < highlights_.size() && highlights_[next_open].begin == event) {
        Open(next_open++, /*first_piece=*/true);
      }
    }
    AppendText(written, text_.size());
  }

 private:
  // Links each occurrence to the next occurrence of its passage in text order (the order of
  // highlights_), the last one back to the first, in one pass: a slot per (tag row, passage
  // number) holds the first and the latest occurrence seen. The slots of a tag row are as
  // many as its highest passage number, which is its count of distinct passages.
  void LinkOccurrences() {
    std::vector<size_t> row_start;  // per tag row, the index of its number 1's slot
    for (const TTextHighlight& highlight : highlights_) {
      const size_t row = static_cast<size_t>(highlight.tag_row);
      if (row_start.size() <= row) row_start.resize(row + 1, 0);
      row_start[row] = std::max(row_start[row], static_cast<size_t>(highlight.passage_number));
    }
    size_t slots = 0;
    for (size_t& start : row_start) slots += std::exchange(start, slots);
    constexpr size_t kNone = SIZE_MAX;
    std::vector<size_t> first(slots, kNone);
    std::vector<size_t> latest(slots, kNone);
    next_.resize(highlights_.size());
    first_.assign(highlights_.size(), false);
    for (size_t index = 0; index < highlights_.size(); ++index) {
      const TTextHighlight& highlight = highlights_[index];
      const size_t slot = row_start[static_cast<size_t>(highlight.tag_row)] +
                          static_cast<size_t>(highlight.passage_number) - 1;
      if (first[slot] == kNone) {
        first[slot] = index;
        first_[index] = true;
      } else {
        next_[latest[slot]] = index;
      }
      latest[slot] = index;
    }
    for (size_t slot = 0; slot < slots; ++slot) {
      if (first[slot] != kNone) next_[latest[slot]] = first[slot];
    }
  }

  // The first occurrence of a passage is its PassageAnchor, every other one "o" and its
  // 1-based index.
  void AppendId(size_t index) {
    const TTextHighlight& highlight = highlights_[index];
    if (first_[index]) {
      AppendPassageAnchor(markup_, highlight.tag_row, highlight.passage_number);
    } else {
      markup_ += 'o';
      AppendNumber(index + 1);
    }
  }

  void AppendNumber(size_t number) {
    char digits[24];
    const auto [end, error] = std::to_chars(std::begin(digits), std::end(digits), number);
    markup_.append(digits, end);
  }

  // The markup made since the last piece of text goes out before the next one.
  void AppendText(size_t from, size_t to) {
    stream_.AppendAsciiMarkup(markup_);
    markup_.clear();
    stream_.AppendEscapedNarrow(text_.substr(from, to - from));
  }

  void Open(size_t index, bool first_piece) {
    markup_ += "<mark class=h";
    AppendNumber(static_cast<size_t>(highlights_[index].tag_row));
    if (first_piece) {
      markup_ += " id=";
      AppendId(index);
    }
    markup_ += '>';
    stack_.push_back(index);
  }

  // Closes every highlight that ends at `at` and, to keep the elements nested, closes and
  // reopens the ones opened inside them that go on past it.
  void CloseEndingAt(size_t at) {
    const auto deepest = std::find_if(stack_.begin(), stack_.end(),
                                      [&](size_t open) { return highlights_[open].end == at; });
    if (deepest == stack_.end()) return;
    const size_t depth = static_cast<size_t>(deepest - stack_.begin());
    std::vector<size_t> going_on;
    while (stack_.size() > depth) {
      const size_t index = stack_.back();
      stack_.pop_back();
      if (highlights_[index].end == at) {
        markup_ += "<a href=#";
        AppendId(next_[index]);
        markup_ += "></a>";
      } else {
        going_on.push_back(index);
      }
      markup_ += "</mark>";
    }
    for (auto it = going_on.rbegin(); it != going_on.rend(); ++it) {
      Open(*it, /*first_piece=*/false);
    }
  }

  std::string_view text_;
  std::vector<TTextHighlight> highlights_;
  TReportStream& stream_;
  std::string markup_;  // ASCII markup not yet handed to the stream
  std::vector<size_t> next_;
  std::vector<bool> first_;
  std::vector<size_t> stack_;  // the open highlights, innermost last
};

}  // namespace

void WritePassagesInText(TReportStream& out, const std::vector<TTagPassages>& tags,
                         const TTextWithPassages& text) {
  std::u16string& markup = out.unicode();
  AppendSectionStart(markup, "passages", "Passages in context");
  AppendTagStyles(markup, tags);
  AppendLegend(markup, tags);
  AppendAscii(markup, "<div class=\"tx\">");
  THighlightWriter(text, out).Write();
  AppendAscii(markup, "</div>\n");
  AppendAscii(markup, kSectionEnd);
}

}  // namespace farrowdale
