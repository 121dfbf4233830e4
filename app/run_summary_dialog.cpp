#include "app/run_summary_dialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/problem_list_view.h"
#include "text/code_page.h"

namespace farrowdale {

namespace {

QString JoinedLines(const std::vector<std::string>& lines) {
  QStringList joined;
  for (const std::string& line : lines) joined << QString::fromStdU16String(ToUnicode(line));
  return joined.join(QChar('\n'));
}

}  // namespace

TRunSummaryDialog::TRunSummaryDialog(const TRunSummaryText& summary, QWidget* parent)
    : QDialog(parent) {
  setObjectName(QStringLiteral("RunSummary"));
  setWindowTitle(QString::fromLatin1(kProgramTitle));
  auto* layout = new QVBoxLayout(this);
  auto* facts = new QLabel(JoinedLines(summary.facts));
  facts->setTextInteractionFlags(Qt::TextSelectableByMouse);
  layout->addWidget(facts);
  if (summary.problems.empty() && summary.groups.empty()) {
    layout->addWidget(new QLabel(QStringLiteral("No problems found.")));
  } else {
    layout->addWidget(new QLabel(QStringLiteral("Problems:")));
    AddProblemViews(layout, summary.problems, summary.groups, summary.notes);
    resize(820, 360);
  }
  auto* buttons = new QDialogButtonBox;
  auto add_action = [&](const QString& text, TSummaryAction chosen) {
    QPushButton* button = buttons->addButton(text, QDialogButtonBox::ActionRole);
    connect(button, &QPushButton::clicked, this, [this, chosen] {
      action_ = chosen;
      accept();
    });
    return button;
  };
  if (summary.has_report) {
    add_action(QStringLiteral("Open &Report"), TSummaryAction::kOpenReport)->setDefault(true);
    add_action(QStringLiteral("Open &Folder"), TSummaryAction::kOpenFolder);
  }
  connect(buttons->addButton(QDialogButtonBox::Close), &QPushButton::clicked, this,
          &QDialog::reject);
  layout->addWidget(buttons);
}

}  // namespace farrowdale
