#include "app/agreement_dialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "text/code_page.h"

namespace farrowdale {

namespace {

QString ToQString(const std::string& narrow) {
  return QString::fromStdU16String(ToUnicode(narrow));
}

QLabel* PlainLabel(const std::string& text, const char* name) {
  auto* label = new QLabel(ToQString(text));
  label->setObjectName(QString::fromLatin1(name));
  label->setTextFormat(Qt::PlainText);
  return label;
}

}  // namespace

TAgreementDialog::TAgreementDialog(const TAgreementText& agreement,
                                   const std::function<void(const std::filesystem::path&)>& open,
                                   QWidget* parent)
    : QDialog(parent) {
  setObjectName(QStringLiteral("Agreement"));
  setWindowTitle(QStringLiteral("Compare Coders - %1").arg(QString::fromLatin1(kProgramTitle)));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(PlainLabel(agreement.summary, "agreementSummary"));

  auto* table = new QTreeWidget;
  table->setObjectName(QStringLiteral("agreementTable"));
  table->setAccessibleName(QStringLiteral("Agreement per tag"));
  table->setRootIsDecorated(false);
  QStringList headers;
  for (const std::string& column : agreement.columns) headers << ToQString(column);
  table->setHeaderLabels(headers);
  for (const std::vector<std::string>& cells : agreement.rows) {
    auto* row = new QTreeWidgetItem(table);
    for (size_t column = 0; column < cells.size(); ++column) {
      const int index = static_cast<int>(column);
      row->setText(index, ToQString(cells[column]));
      // The tag left, the numbers right, so that their digits line up.
      if (column > 0) row->setTextAlignment(index, Qt::AlignRight | Qt::AlignVCenter);
    }
  }
  table->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
  layout->addWidget(table);

  if (!agreement.not_compared.empty()) {
    layout->addWidget(PlainLabel("Not compared:", "notComparedLabel"));
    auto* list = new QListWidget;
    list->setObjectName(QStringLiteral("notCompared"));
    list->setAccessibleName(QStringLiteral("Files not compared"));
    for (const std::string& line : agreement.not_compared) list->addItem(ToQString(line));
    layout->addWidget(list);
  }

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
  QPushButton* open_report =
      buttons->addButton(QStringLiteral("Open &Report"), QDialogButtonBox::ActionRole);
  open_report->setObjectName(QStringLiteral("btnOpenReport"));
  connect(open_report, &QPushButton::clicked, this, [open, report = agreement.report] {
    if (open) open(report);
  });
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
  resize(860, agreement.not_compared.empty() ? 320 : 440);
}

}  // namespace farrowdale
