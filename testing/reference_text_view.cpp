#include "testing/reference_text_view.h"

#include <algorithm>
#include <map>
#include <tuple>
#include <utility>
#include <vector>

namespace farrowdale::testing_support {

std::string ReferenceHighlightedText(const TTextWithPassages& text) {
  std::vector<TTextHighlight> highlights = text.highlights;
  // Outer highlights open first: by start, then the longer one.
  std::sort(highlights.begin(), highlights.end(),
            [](const TTextHighlight& a, const TTextHighlight& b) {
              return std::tie(a.begin, b.end, a.tag_row, a.passage_number) <
                     std::tie(b.begin, a.end, b.tag_row, b.passage_number);
            });
  std::map<std::pair<int32_t, int32_t>, std::vector<size_t>> by_passage;
  for (size_t i = 0; i < highlights.size(); ++i) {
    by_passage[{highlights[i].tag_row, highlights[i].passage_number}].push_back(i);
  }
  const auto id = [&](size_t i) {
    const TTextHighlight& h = highlights[i];
    if (by_passage.at({h.tag_row, h.passage_number}).front() == i) {
      return "p" + std::to_string(h.tag_row) + "-" + std::to_string(h.passage_number);
    }
    return "o" + std::to_string(i + 1);
  };
  const auto next = [&](size_t i) {
    const std::vector<size_t>& all =
        by_passage.at({highlights[i].tag_row, highlights[i].passage_number});
    const auto at = std::find(all.begin(), all.end(), i);
    return at + 1 == all.end() ? all.front() : *(at + 1);
  };
  const auto open = [&](size_t i, bool first_piece) {
    std::string markup = "<mark class=h" + std::to_string(highlights[i].tag_row);
    if (first_piece) markup += " id=" + id(i);
    return markup + ">";
  };

  std::string out;
  std::vector<size_t> stack;
  bool after_cr = false;
  for (size_t at = 0; at <= text.narrow_text.size(); ++at) {
    const size_t size_before_markup = out.size();
    // Close what ends here; what was opened inside it and goes on is closed and reopened.
    size_t depth = stack.size();
    for (size_t k = 0; k < stack.size(); ++k) {
      if (highlights[stack[k]].end == at) {
        depth = k;
        break;
      }
    }
    std::vector<size_t> going_on;  // in the order they were opened
    while (stack.size() > depth) {
      const size_t i = stack.back();
      stack.pop_back();
      if (highlights[i].end == at) {
        out += "<a href=#" + id(next(i)) + "></a>";
      } else {
        going_on.insert(going_on.begin(), i);
      }
      out += "</mark>";
    }
    for (const size_t i : going_on) {
      out += open(i, false);
      stack.push_back(i);
    }
    for (size_t i = 0; i < highlights.size(); ++i) {
      if (highlights[i].begin != at) continue;
      out += open(i, true);
      stack.push_back(i);
    }
    if (at == text.narrow_text.size()) break;
    // Markup between a CR and an LF parts them: each is a line end of its own.
    if (out.size() != size_before_markup) after_cr = false;
    const char c = text.narrow_text[at];
    const bool swallowed = after_cr && c == '\n';
    after_cr = c == '\r';
    if (swallowed) continue;
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '\r':
        out += '\n';
        break;
      default:
        out += c;
    }
  }
  return out;
}

}  // namespace farrowdale::testing_support
