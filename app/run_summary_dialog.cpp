#include "app/run_summary_dialog.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
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

QString PathText(const std::filesystem::path& path) {
  return QString::fromStdU16String(ToUnicode(PathToNarrow(path)));
}

// The files written, one row each (kind, name, folder), the first selected.
QTreeWidget* NewWrittenList(const std::vector<TWrittenFile>& written) {
  auto* list = new QTreeWidget;
  list->setObjectName(QStringLiteral("writtenList"));
  list->setAccessibleName(QStringLiteral("Files written"));
  list->setColumnCount(3);
  list->setHeaderLabels({QStringLiteral("Kind"), QStringLiteral("File"), QStringLiteral("Folder")});
  list->setRootIsDecorated(false);
  list->setTextElideMode(Qt::ElideMiddle);
  list->header()->setStretchLastSection(true);
  list->setColumnWidth(0, 60);
  list->setColumnWidth(1, 200);
  for (const TWrittenFile& file : written) {
    auto* item = new QTreeWidgetItem(
        list,
        {file.kind == TWrittenKind::kReport ? QStringLiteral("Report") : QStringLiteral("Table"),
         PathText(file.path.filename()), PathText(file.path.parent_path())});
    item->setToolTip(1, PathText(file.path));
    item->setToolTip(2, PathText(file.path));
  }
  list->setCurrentItem(list->topLevelItem(0));
  // Room for a few rows; more scroll.
  const int rows = std::min<int>(static_cast<int>(written.size()), 4);
  list->setMinimumHeight(list->header()->sizeHint().height() + 6 +
                         rows * std::max(list->sizeHintForRow(0), 18));
  return list;
}

}  // namespace

TRunSummaryDialog::TRunSummaryDialog(const TRunSummaryText& summary, const TResultHooks& hooks,
                                     QWidget* parent)
    : QDialog(parent) {
  setObjectName(QStringLiteral("RunSummary"));
  setWindowTitle(QString::fromLatin1(kProgramTitle));
  auto* layout = new QVBoxLayout(this);
  auto* facts = new QLabel(JoinedLines(summary.facts));
  facts->setTextFormat(Qt::PlainText);
  facts->setTextInteractionFlags(Qt::TextSelectableByMouse);
  layout->addWidget(facts);
  auto* buttons = new QDialogButtonBox;
  if (!summary.written.empty()) {
    auto* caption = new QLabel(QStringLiteral("&Files written (%1):").arg(summary.written.size()));
    QTreeWidget* written = NewWrittenList(summary.written);
    caption->setBuddy(written);
    layout->addWidget(caption);
    layout->addWidget(written);
    const std::vector<TWrittenFile> files = summary.written;
    auto open_current = [written, files, hooks] {
      const int row = written->indexOfTopLevelItem(written->currentItem());
      if (row >= 0) hooks.open(files[static_cast<size_t>(row)].path);
    };
    QPushButton* open = buttons->addButton(QStringLiteral("&Open"), QDialogButtonBox::ActionRole);
    open->setObjectName(QStringLiteral("btnOpenWritten"));
    open->setToolTip(QStringLiteral("Open the chosen file (the first report unless you choose)"));
    open->setDefault(true);
    connect(open, &QPushButton::clicked, this, open_current);
    connect(written, &QTreeWidget::itemActivated, this, open_current);
    QPushButton* folder =
        buttons->addButton(QStringLiteral("Open &Folder"), QDialogButtonBox::ActionRole);
    folder->setObjectName(QStringLiteral("btnOpenFolder"));
    connect(folder, &QPushButton::clicked, this, [hooks, summary] { hooks.open(summary.folder); });
  }
  if (summary.problems.empty() && summary.groups.empty()) {
    layout->addWidget(new QLabel(QStringLiteral("No problems found.")));
  } else {
    layout->addWidget(
        new QLabel(QStringLiteral("Problems (%1), double-click one to see it in its file:")
                       .arg(summary.problems.size())));
    AddProblemViews(layout, summary.problems, summary.groups, summary.notes, hooks.show_problem);
    resize(820, 420);
  }
  connect(buttons->addButton(QDialogButtonBox::Close), &QPushButton::clicked, this,
          &QDialog::reject);
  layout->addWidget(buttons);
}

}  // namespace farrowdale
