// The problems of a run or a marker check as scrollable lists: one row per problem with an
// icon for its severity, the file's name (its full path as the tooltip), the line and
// column, and the message, wrapped to the width of the list; and the check's table by tag
// and kind, its problems listed under each row.
#ifndef FARROWDALE_APP_PROBLEM_LIST_VIEW_H_
#define FARROWDALE_APP_PROBLEM_LIST_VIEW_H_

#include <QBoxLayout>
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
// A read-only table named "problemTable": a row per group (tag, kind, problems, files, first
// place) with the group's rows under it, collapsed, then its "… and N more" line.
QTreeWidget* NewProblemTable(const std::vector<TProblemGroup>& groups,
                             const std::vector<TProblemRow>& rows, QWidget* parent = nullptr);
// Adds to layout what there is of: the rows no group holds as a problem list, the table, and
// the notes as a label named "problemNotes". Returns how many widgets it added. A problem
// double-clicked in the list or the table is handed to show, when there is one.
int AddProblemViews(QBoxLayout* layout, const std::vector<TProblemRow>& rows,
                    const std::vector<TProblemGroup>& groups, const std::vector<std::string>& notes,
                    const std::function<void(const TProblemRow&)>& show = {});

}  // namespace farrowdale

#endif  // FARROWDALE_APP_PROBLEM_LIST_VIEW_H_
