// Texts the window hands to dialogs, in the form the dialogs need them.
#ifndef FARROWDALE_APP_DIALOG_TEXTS_H_
#define FARROWDALE_APP_DIALOG_TEXTS_H_

#include <string>
#include <string_view>

namespace farrowdale {

// The text of the standard error box: the message with a full stop appended when its last
// character's code (as an unsigned byte) is above that of ".".
std::string ErrorBoxText(std::string_view message);

// A "description|pattern|description|pattern..." filter as a file dialog filter list:
// entries separated by ";;", each "description (patterns)" with the patterns separated by
// spaces. A parenthesised pattern list already ending the description is replaced, so
// "Tag set(*.ini)|*.ini" gives "Tag set (*.ini)".
std::string DialogFilter(std::string_view filter);

}  // namespace farrowdale

#endif  // FARROWDALE_APP_DIALOG_TEXTS_H_
