// TMarkerCheckDialog: what "Check Markers" found: the check's summary line, its table by tag
// and kind with the problems under each row (or nothing more when clean), and Close.
#ifndef FARROWDALE_APP_MARKER_CHECK_DIALOG_H_
#define FARROWDALE_APP_MARKER_CHECK_DIALOG_H_

#include <QDialog>

#include "app/platform.h"

namespace farrowdale {

class TMarkerCheckDialog : public QDialog {
  Q_OBJECT

 public:
  explicit TMarkerCheckDialog(const TMarkerCheckText& check, QWidget* parent = nullptr);
};

}  // namespace farrowdale

#endif  // FARROWDALE_APP_MARKER_CHECK_DIALOG_H_
