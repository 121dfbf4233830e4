// LineSplitter: cuts text, given in pieces of any size, into lines. CR, LF and CR LF each end
// a line (also when a CR LF is split between two pieces), LF CR is two line ends, a final line
// end gives no empty last line, and U+0000 ends the text.
#ifndef FARROWDALE_TEXT_LINE_SPLITTER_H_
#define FARROWDALE_TEXT_LINE_SPLITTER_H_

#include <string>
#include <string_view>
#include <vector>

namespace farrowdale {

// The first CR, LF or U+0000 at or after p, or end.
const char16_t* FindLineStop(const char16_t* p, const char16_t* end);

class LineSplitter {
 public:
  // Appends the lines to *lines.
  explicit LineSplitter(std::vector<std::u16string>* lines) : lines_(lines) {}

  // Takes the next piece; false once a U+0000 has ended the text (later pieces are ignored).
  bool Feed(std::u16string_view piece);
  // Adds the last line when it had no line end.
  void Finish();

 private:
  std::vector<std::u16string>* lines_;
  std::u16string partial_;  // the start of the current line, from earlier pieces
  bool after_cr_ = false;   // the last piece ended with a CR: a leading LF belongs to it
  bool ended_ = false;
};

}  // namespace farrowdale

#endif  // FARROWDALE_TEXT_LINE_SPLITTER_H_
