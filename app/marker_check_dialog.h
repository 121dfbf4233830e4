// TMarkerCheckDialog: what "Check Markers" found: the check's summary line, its table by tag
// and kind with the problems under each row (or nothing more when clean), and Close.
#ifndef FARROWDALE_APP_MARKER_CHECK_DIALOG_H_
#define FARROWDALE_APP_MARKER_CHECK_DIALOG_H_

#include <QDialog>
#include <functional>

#include "app/platform.h"

namespace farrowdale {

class TMarkerCheckDialog : public QDialog {
  Q_OBJECT

 public:
  // A problem double-clicked in the list or the table is handed to show, when there is one.
  explicit TMarkerCheckDialog(const TMarkerCheckText& check, QWidget* parent = nullptr,
                              const std::function<void(const TProblemRow&)>& show = {});
};

}  // namespace farrowdale

#endif  // FARROWDALE_APP_MARKER_CHECK_DIALOG_H_
