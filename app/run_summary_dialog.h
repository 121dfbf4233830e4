// TRunSummaryDialog: the dialog that says what a finished run did: the facts, every file
// written (reports and tables) with "Open" for the chosen one and "Open Folder", then the
// run's warnings in a scrollable list and the marker check's table by tag and kind with its
// problems under each row (or "No problems found."), and Close. Opening a file or
// double-clicking a problem leaves the dialog open.
#ifndef FARROWDALE_APP_RUN_SUMMARY_DIALOG_H_
#define FARROWDALE_APP_RUN_SUMMARY_DIALOG_H_

#include <QDialog>

#include "app/platform.h"

namespace farrowdale {

class TRunSummaryDialog : public QDialog {
  Q_OBJECT

 public:
  TRunSummaryDialog(const TRunSummaryText& summary, const TResultHooks& hooks,
                    QWidget* parent = nullptr);
};

}  // namespace farrowdale

#endif  // FARROWDALE_APP_RUN_SUMMARY_DIALOG_H_
