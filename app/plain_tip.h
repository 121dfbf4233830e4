// Tooltips that show text from files (names, paths, messages) as text. A tooltip has no
// text format of its own: Qt renders it as rich text whenever it looks like markup, so text
// that does is handed over escaped.
#ifndef FARROWDALE_APP_PLAIN_TIP_H_
#define FARROWDALE_APP_PLAIN_TIP_H_

#include <QString>

namespace farrowdale {

// text as a tooltip shows it literally: unchanged unless Qt would take it for markup, then
// escaped with its line breaks kept.
QString PlainTip(const QString& text);

}  // namespace farrowdale

#endif  // FARROWDALE_APP_PLAIN_TIP_H_
