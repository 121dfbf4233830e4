// TAgreementDialog: what "Compare Coders" found: the summary line, the pooled table per tag,
// the files not compared (when there are any), "Open Report" and Close.
#ifndef FARROWDALE_APP_AGREEMENT_DIALOG_H_
#define FARROWDALE_APP_AGREEMENT_DIALOG_H_

#include <QDialog>
#include <filesystem>
#include <functional>

#include "app/platform.h"

namespace farrowdale {

class TAgreementDialog : public QDialog {
  Q_OBJECT

 public:
  // "Open Report" hands agreement.report to open; the dialog stays open.
  TAgreementDialog(const TAgreementText& agreement,
                   const std::function<void(const std::filesystem::path&)>& open,
                   QWidget* parent = nullptr);
};

}  // namespace farrowdale

#endif  // FARROWDALE_APP_AGREEMENT_DIALOG_H_
