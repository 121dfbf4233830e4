// The text view's highlighted text (what a per-file report's "passages in context" holds
// between <div class="tx"> and </div>) made the plain way, for the tests of the writer that
// does it in one pass: one step per byte of the text, the links kept in a map of lists, every
// id made as a string. The text is taken as ASCII and UTF-8 and comes back as narrow text,
// escaped, with every line end (CR, LF, CR LF; markup between a CR and an LF parts them) as
// one LF.
#ifndef FARROWDALE_TESTING_REFERENCE_TEXT_VIEW_H_
#define FARROWDALE_TESTING_REFERENCE_TEXT_VIEW_H_

#include <string>

#include "report/passages_in_text.h"

namespace farrowdale::testing_support {

std::string ReferenceHighlightedText(const TTextWithPassages& text);

}  // namespace farrowdale::testing_support

#endif  // FARROWDALE_TESTING_REFERENCE_TEXT_VIEW_H_
