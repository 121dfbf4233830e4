#include "app/marker_check_dialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/problem_list_view.h"
#include "text/code_page.h"

namespace farrowdale {

TMarkerCheckDialog::TMarkerCheckDialog(const TMarkerCheckText& check, QWidget* parent,
                                       const std::function<void(const TProblemRow&)>& show)
    : QDialog(parent) {
  setObjectName(QStringLiteral("MarkerCheck"));
  setWindowTitle(QStringLiteral("Check Markers - %1").arg(QString::fromLatin1(kProgramTitle)));
  auto* layout = new QVBoxLayout(this);
  // The summary starts lower-case, as on the command line; a sentence here.
  QString summary = QString::fromStdU16String(ToUnicode(check.summary));
  if (!summary.isEmpty()) summary[0] = summary[0].toUpper();
  auto* label = new QLabel(summary + QChar('.'));
  label->setObjectName(QStringLiteral("checkSummary"));
  label->setTextFormat(Qt::PlainText);
  layout->addWidget(label);
  if (AddProblemViews(layout, check.problems, check.groups, check.notes, show) > 0)
    resize(820, 360);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
}

}  // namespace farrowdale
