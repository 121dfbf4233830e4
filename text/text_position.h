// Where a passage sits in the narrow text of its file: its 1-based line and column, and the
// text around it, for reports that show passages in context and tables that name their place.
//
// Lines end at CR, LF or CR LF (the line ends the file's text was joined with). Columns count
// characters, that is code points of the decoded text, as an editor shows them: one per byte
// in a single-byte code page, one per UTF-8 sequence, and for other multi-byte code pages what
// the code page's decoder makes of the bytes.
//
// REQUIRES for everything here: the system code page is the one the text was converted to,
// and it does not change while a cursor lives.
#ifndef FARROWDALE_TEXT_TEXT_POSITION_H_
#define FARROWDALE_TEXT_TEXT_POSITION_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace farrowdale {

struct TTextPosition {
  int32_t line = 1;
  int32_t column = 1;
  bool operator==(const TTextPosition&) const = default;
};

// Maps byte offsets of one narrow text to lines and columns. The line starts are found once,
// when the first offset is asked for (a cursor nobody asks costs nothing); within a line,
// offsets asked for in increasing order cost only the bytes between them (so a tag's
// passages in order of occurrence cost one pass over the text), and any other offset costs a
// binary search and a count from its line's start. In a code page whose characters
// cannot be counted from the middle of a line (a stateful multi-byte one), every column is
// counted from its line's start. The cursor keeps a view of the text: the text must outlive
// it.
class TTextPositionCursor {
 public:
  explicit TTextPositionCursor(std::string_view narrow_text);

  // REQUIRES: offset <= the text's size.
  TTextPosition PositionOf(size_t offset);

 private:
  // Finds the line starts and whether columns can be counted on from the last offset.
  void IndexLines();

  std::string_view text_;
  bool incremental_ = false;
  std::vector<size_t> line_starts_;  // byte offsets, the first one 0; empty until indexed
  size_t line_index_ = 0;            // of the last offset asked for
  size_t offset_ = 0;                // the last offset asked for
  int64_t column_ = 1;               // of offset_
};

inline constexpr int kContextCharacters = 60;

// Up to `characters` characters of the decoded text on each side of a passage, as they stand
// (line ends included); fewer where the text begins or ends.
struct TPassageContext {
  std::u16string before;
  std::u16string after;
};

// REQUIRES: start + length <= the text's size.
TPassageContext ContextAround(std::string_view narrow_text, size_t start, size_t length,
                              int characters = kContextCharacters);

}  // namespace farrowdale

#endif  // FARROWDALE_TEXT_TEXT_POSITION_H_
