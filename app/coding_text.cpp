#include "app/coding_text.h"

#include <QTextBlock>
#include <QTextCursor>
#include <algorithm>
#include <exception>

#include "count/tag_scanner.h"
#include "text/code_page.h"
#include "text/narrow_text_file.h"

namespace farrowdale {

namespace {

QColor TagColor(int32_t bgr) { return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF); }

// A light tint of the tag's colour, so that black text stays readable on it.
QColor Tint(const QColor& color) {
  return QColor::fromRgbF(0.75 + 0.25 * color.redF(), 0.75 + 0.25 * color.greenF(),
                          0.75 + 0.25 * color.blueF());
}

// Byte offsets of the narrow text mapped to positions in the shown text: decoded, and with
// the CR of every CR LF left out (the document breaks lines at LF). Offsets must be asked
// for in increasing order; each piece between two is decoded once.
class TOffsetMap {
 public:
  explicit TOffsetMap(std::string_view text) : text_(text) {}
  int ShownPosition(size_t offset) {
    offset = std::min(offset, text_.size());
    const std::string_view piece = text_.substr(offset_, offset - offset_);
    position_ += static_cast<int>(ToUnicode(piece).size()) -
                 static_cast<int>(std::count(piece.begin(), piece.end(), '\r'));
    offset_ = offset;
    return position_;
  }

 private:
  std::string_view text_;
  size_t offset_ = 0;
  int position_ = 0;
};

struct TMark {
  size_t from;
  size_t to;
  size_t tag;
  bool is_marker;
};

}  // namespace

TCodingText::TCodingText(QWidget* parent) : QPlainTextEdit(parent) {
  setReadOnly(true);
  // Selectable and reachable by keyboard, so the user can move about and copy.
  setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  setLineWrapMode(QPlainTextEdit::WidgetWidth);
}

void TCodingText::ShowFile(const std::filesystem::path& file, const TTagArray& tag_set,
                           const std::filesystem::path& tag_set_file) {
  ShowText(ReadNarrowJoinedText(file).text, tag_set, tag_set_file);
}

void TCodingText::ShowText(const std::string& narrow_text, const TTagArray& tag_set,
                           const std::filesystem::path& tag_set_file) {
  tags_.clear();
  for (const TTagInfo& tag : tag_set) {
    if (!IsSkippedTag(tag)) tags_.push_back(tag);
  }
  counts_.assign(tags_.size(), 0);
  markers_.clear();
  problem_.clear();
  std::u16string shown = ToUnicode(narrow_text);
  std::erase(shown, u'\r');
  setPlainText(QString::fromStdU16String(shown));

  std::vector<std::vector<TPassageSpan>> spans;
  try {
    spans = TTagScanner(tag_set, tag_set_file).Scan(narrow_text);
  } catch (const std::exception& e) {
    problem_ = e.what();
    return;
  }
  std::vector<TMark> marks;
  for (size_t tag = 0; tag < spans.size(); ++tag) {
    counts_[tag] = static_cast<int>(spans[tag].size());
    for (const TPassageSpan& span : spans[tag]) {
      marks.push_back({span.begin_marker, span.text_begin, tag, true});
      marks.push_back({span.text_begin, span.text_end, tag, false});
      marks.push_back({span.text_end, span.end_marker_end, tag, true});
    }
  }
  // Every offset in increasing order, each mark's two ends resolved in one pass.
  std::vector<std::pair<size_t, int*>> ends;
  std::vector<std::array<int, 2>> positions(marks.size());
  for (size_t i = 0; i < marks.size(); ++i) {
    ends.emplace_back(marks[i].from, &positions[i][0]);
    ends.emplace_back(marks[i].to, &positions[i][1]);
  }
  std::sort(ends.begin(), ends.end(),
            [](const auto& a, const auto& b) { return a.first < b.first; });
  TOffsetMap map(narrow_text);
  for (auto& [offset, position] : ends) *position = map.ShownPosition(offset);

  QTextCursor cursor(document());
  for (size_t i = 0; i < marks.size(); ++i) {
    if (positions[i][0] == positions[i][1]) continue;
    if (marks[i].is_marker) markers_.emplace_back(positions[i][0], positions[i][1]);
    const QColor color = TagColor(tags_[marks[i].tag].ColorValue);
    QTextCharFormat format;
    if (marks[i].is_marker) {
      format.setForeground(color.lightness() > 200 ? color.darker(160) : color);
      format.setFontWeight(QFont::Bold);
    } else {
      format.setBackground(Tint(color));
    }
    format.setToolTip(QString::fromStdU16String(ToUnicode(tags_[marks[i].tag].Name)));
    cursor.setPosition(positions[i][0]);
    cursor.setPosition(positions[i][1], QTextCursor::KeepAnchor);
    cursor.mergeCharFormat(format);
  }
  std::sort(markers_.begin(), markers_.end());
}

int TCodingText::PositionOf(int line, int column) const {
  if (line <= 0) return 0;
  QTextBlock block = document()->findBlockByNumber(line - 1);
  if (!block.isValid()) block = document()->lastBlock();
  // Columns count characters: a pair of surrogates is one.
  const QString text = block.text();
  int at = 0;
  for (int counted = 1; counted < column && at < text.size(); ++counted) {
    at += text[at].isHighSurrogate() && at + 1 < text.size() ? 2 : 1;
  }
  return block.position() + at;
}

void TCodingText::GoTo(int line, int column) {
  const int start = PositionOf(line, column);
  int length = line > 0 ? 1 : 0;
  const auto found = std::lower_bound(markers_.begin(), markers_.end(), std::pair(start, 0));
  if (found != markers_.end() && found->first == start) {
    length = found->second - start;
  } else {
    // A marker outside any passage (a stray end marker, say): the longest tag marker written
    // at the place, read as plain text.
    const QTextBlock block = document()->findBlock(start);
    const QString rest = block.text().mid(start - block.position());
    for (const TTagInfo& tag : tags_) {
      for (const std::string* marker : {&tag.BeginMark, &tag.EndMark}) {
        const QString text = QString::fromStdU16String(ToUnicode(*marker));
        if (!text.isEmpty() && rest.startsWith(text)) {
          length = std::max(length, static_cast<int>(text.size()));
        }
      }
    }
  }
  QTextCursor cursor(document());
  cursor.setPosition(start);
  cursor.setPosition(std::min(start + length, document()->characterCount() - 1),
                     QTextCursor::KeepAnchor);
  setTextCursor(cursor);
  centerCursor();
}

}  // namespace farrowdale
