// Texts the window hands to dialogs, in the form the dialogs need them.
#ifndef FARROWDALE_APP_DIALOG_TEXTS_H_
#define FARROWDALE_APP_DIALOG_TEXTS_H_

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace farrowdale {

// The text of the standard error box: the message with a full stop appended when its last
// character's code (as an unsigned byte) is above that of ".".
std::string ErrorBoxText(std::string_view message);

// A "description|pattern|description|pattern..." filter as a file dialog filter list:
// entries separated by ";;", each "description (patterns)" with the patterns separated by
// spaces. A parenthesised pattern list already ending the description is replaced, so
// "Tag set(*.ini)|*.ini" gives "Tag set (*.ini)".
std::string DialogFilter(std::string_view filter);

// The one message for the files a choice offered that were listed already: the list's own
// message for one; for more, their number and the first ten paths, so that a folder added
// twice gives one box, not one per file.
std::string DuplicatesMessage(const std::vector<std::filesystem::path>& offered);

// Said when a chosen folder holds no .txt file, instead of offering to replace a list of
// listed_count files with nothing.
std::string NoTextFilesMessage(const std::filesystem::path& folder, size_t listed_count);

// The files of the remembered list that have gone since the last session, named like the
// duplicates (the first ten and how many more).
std::string MissingFilesMessage(const std::vector<std::filesystem::path>& missing);

}  // namespace farrowdale

#endif  // FARROWDALE_APP_DIALOG_TEXTS_H_
