// The problems of a run or a marker check as scrollable lists: one row per problem with an
// icon for its severity, the file's name (its full path as the tooltip), the line and
// column, and the message, wrapped to the width of the list; and the check's table by tag
// and kind, its problems listed under each row.
#ifndef FARROWDALE_APP_PROBLEM_LIST_VIEW_H_
#define FARROWDALE_APP_PROBLEM_LIST_VIEW_H_

#include <QBoxLayout>
#include <QTreeWidget>
#include <vector>

#include "app/platform.h"

namespace farrowdale {

// A read-only list named "problemList" holding rows, in the order given.
QTreeWidget* NewProblemList(const std::vector<TProblemRow>& rows, QWidget* parent = nullptr);
// A read-only table named "problemTable": a row per group (tag, kind, problems, files, first
// place) with the group's rows under it, collapsed, then its "… and N more" line.
QTreeWidget* NewProblemTable(const std::vector<TProblemGroup>& groups,
                             const std::vector<TProblemRow>& rows, QWidget* parent = nullptr);
// Adds to layout what there is of: the rows no group holds as a problem list, the table, and
// the notes as a label named "problemNotes". Returns how many widgets it added.
int AddProblemViews(QBoxLayout* layout, const std::vector<TProblemRow>& rows,
                    const std::vector<TProblemGroup>& groups,
                    const std::vector<std::string>& notes);

}  // namespace farrowdale

#endif  // FARROWDALE_APP_PROBLEM_LIST_VIEW_H_
