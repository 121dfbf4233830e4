// TRunSummaryDialog: the dialog that says what a finished run did (the facts, then the
// run's warnings in a scrollable list and the marker check's table by tag and kind with its
// problems under each row, or "No problems found.") with "Open Report", "Open Folder" and
// Close.
#ifndef FARROWDALE_APP_RUN_SUMMARY_DIALOG_H_
#define FARROWDALE_APP_RUN_SUMMARY_DIALOG_H_

#include <QDialog>

#include "app/platform.h"

namespace farrowdale {

class TRunSummaryDialog : public QDialog {
  Q_OBJECT

 public:
  TRunSummaryDialog(const TRunSummaryText& summary, QWidget* parent = nullptr);
  // The button the user pressed; kClose until one of the open buttons is.
  TSummaryAction Action() const { return action_; }

 private:
  TSummaryAction action_ = TSummaryAction::kClose;
};

}  // namespace farrowdale

#endif  // FARROWDALE_APP_RUN_SUMMARY_DIALOG_H_
