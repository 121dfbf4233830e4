// The problems of a run or a marker check as a scrollable list: one row per problem with
// an icon for its severity, the file's name (its full path as the tooltip), the line and
// column, and the message, wrapped to the width of the list.
#ifndef FARROWDALE_APP_PROBLEM_LIST_VIEW_H_
#define FARROWDALE_APP_PROBLEM_LIST_VIEW_H_

#include <QTreeWidget>
#include <functional>
#include <vector>

#include "app/platform.h"

namespace farrowdale {

// A read-only list named "problemList" holding rows, in the order given.
QTreeWidget* NewProblemList(const std::vector<TProblemRow>& rows, QWidget* parent = nullptr);
// Calls show with the row behind an item of list (made by NewProblemList from rows) that the
// user double-clicks or presses Enter on.
void OnProblemActivated(QTreeWidget* list, const std::vector<TProblemRow>& rows,
                        const std::function<void(const TProblemRow&)>& show);

}  // namespace farrowdale

#endif  // FARROWDALE_APP_PROBLEM_LIST_VIEW_H_
