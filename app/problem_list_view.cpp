#include "app/problem_list_view.h"

#include <QHeaderView>
#include <QLabel>
#include <QStringList>
#include <QStyle>
#include <QVariant>
#include <filesystem>

#include "app/plain_tip.h"
#include "app/problem_rows.h"
#include "text/code_page.h"

namespace farrowdale {

namespace {

QString ToQString(const std::string& narrow) {
  return QString::fromStdU16String(ToUnicode(narrow));
}

// The file name of a narrow path, split at the platform's separators.
QString FileName(const std::string& path) {
  return ToQString(std::filesystem::path(path).filename().string());
}

// Fills item's first two columns with the problem's file and place, and message_column with
// its message.
void FillProblemItem(QTreeWidgetItem* item, const TProblemRow& row, const QIcon& icon,
                     int message_column) {
  const QString path = ToQString(row.path);
  item->setText(0, FileName(row.path));
  item->setText(1, ToQString(PlaceText(row)));
  item->setText(message_column, ToQString(row.message));
  item->setIcon(0, icon);
  item->setToolTip(0, PlainTip(path));
  item->setToolTip(
      1,
      row.line > 0
          ? PlainTip(
                QStringLiteral("Line %1, column %2 of %3").arg(row.line).arg(row.column).arg(path))
          : QStringLiteral("The whole file"));
  item->setToolTip(message_column, PlainTip(ToQString(row.message)));
  item->setTextAlignment(1, Qt::AlignRight | Qt::AlignTop);
}

QIcon SeverityIcon(const QWidget* widget, const TProblemRow& row) {
  return widget->style()->standardIcon(row.is_error ? QStyle::SP_MessageBoxCritical
                                                    : QStyle::SP_MessageBoxWarning);
}

// The index in the rows of a problem under a row of the check's table.
constexpr int kRowRole = Qt::UserRole;

// Wrapped rows take their height from the message column's width: lay out again when it
// changes.
void RelayoutOnResize(QTreeWidget* list) {
  QObject::connect(list->header(), &QHeaderView::sectionResized, list,
                   [list] { list->doItemsLayout(); });
}

}  // namespace

QTreeWidget* NewProblemList(const std::vector<TProblemRow>& rows, QWidget* parent) {
  auto* list = new QTreeWidget(parent);
  list->setObjectName(QStringLiteral("problemList"));
  list->setColumnCount(3);
  list->setHeaderLabels(
      {QStringLiteral("File"), QStringLiteral("Line"), QStringLiteral("Problem")});
  list->setRootIsDecorated(false);
  list->setWordWrap(true);
  list->setTextElideMode(Qt::ElideMiddle);
  list->setSelectionMode(QAbstractItemView::ExtendedSelection);
  list->header()->setStretchLastSection(true);
  list->setColumnWidth(0, 170);
  list->setColumnWidth(1, 56);
  for (const TProblemRow& row : rows)
    FillProblemItem(new QTreeWidgetItem(list), row, SeverityIcon(list, row), 2);
  RelayoutOnResize(list);
  return list;
}

void OnProblemActivated(QTreeWidget* list, const std::vector<TProblemRow>& rows,
                        const std::function<void(const TProblemRow&)>& show) {
  if (!show) return;
  list->setToolTip(QStringLiteral("Double-click a problem to see it in its file"));
  QObject::connect(list, &QTreeWidget::itemActivated, list,
                   [list, rows, show](QTreeWidgetItem* item) {
                     const int index = list->indexOfTopLevelItem(item);
                     if (index >= 0 && static_cast<size_t>(index) < rows.size()) show(rows[index]);
                   });
}

QTreeWidget* NewProblemTable(const std::vector<TProblemGroup>& groups,
                             const std::vector<TProblemRow>& rows, QWidget* parent) {
  auto* table = new QTreeWidget(parent);
  table->setObjectName(QStringLiteral("problemTable"));
  // A group's columns; the problems under it show their file, place and message in the
  // first, second and last.
  constexpr int kMessageColumn = 4;
  table->setColumnCount(5);
  table->setHeaderLabels({QStringLiteral("Tag / File"), QStringLiteral("Kind / Line"),
                          QStringLiteral("Problems"), QStringLiteral("Files"),
                          QStringLiteral("First at / Problem")});
  table->setWordWrap(true);
  table->setTextElideMode(Qt::ElideMiddle);
  table->setSelectionMode(QAbstractItemView::ExtendedSelection);
  table->header()->setStretchLastSection(true);
  table->setColumnWidth(0, 170);
  table->setColumnWidth(1, 170);
  for (const TProblemGroup& group : groups) {
    auto* item = new QTreeWidgetItem(
        table, {ToQString(group.tag), ToQString(group.kind), ToQString(group.count),
                ToQString(group.files), ToQString(group.first_place)});
    item->setTextAlignment(2, Qt::AlignRight | Qt::AlignTop);
    item->setTextAlignment(3, Qt::AlignRight | Qt::AlignTop);
    item->setToolTip(4, PlainTip(ToQString(group.first_place)));
    for (const size_t index : group.rows) {
      auto* problem = new QTreeWidgetItem(item);
      FillProblemItem(problem, rows[index], SeverityIcon(table, rows[index]), kMessageColumn);
      problem->setData(0, kRowRole, QVariant::fromValue(static_cast<qulonglong>(index)));
    }
    if (!group.unlisted.empty()) {
      auto* more = new QTreeWidgetItem(item);
      more->setText(kMessageColumn, ToQString(group.unlisted));
    }
  }
  RelayoutOnResize(table);
  return table;
}

int AddProblemViews(QBoxLayout* layout, const std::vector<TProblemRow>& rows,
                    const std::vector<TProblemGroup>& groups, const std::vector<std::string>& notes,
                    const std::function<void(const TProblemRow&)>& show) {
  std::vector<bool> grouped(rows.size(), false);
  for (const TProblemGroup& group : groups) {
    for (const size_t index : group.rows) grouped[index] = true;
  }
  std::vector<TProblemRow> alone;
  for (size_t i = 0; i < rows.size(); ++i) {
    if (!grouped[i]) alone.push_back(rows[i]);
  }
  int added = 0;
  if (!alone.empty()) {
    auto* list = NewProblemList(alone);
    OnProblemActivated(list, alone, show);
    list->setMinimumSize(640, 80);
    layout->addWidget(list);
    ++added;
  }
  if (!groups.empty()) {
    auto* table = NewProblemTable(groups, rows);
    if (show) {
      table->setToolTip(QStringLiteral("Double-click a problem to see it in its file"));
      QObject::connect(table, &QTreeWidget::itemActivated, table,
                       [rows, show](QTreeWidgetItem* item) {
                         const QVariant index = item->data(0, kRowRole);
                         if (index.isValid() && index.toULongLong() < rows.size())
                           show(rows[index.toULongLong()]);
                       });
    }
    table->setMinimumSize(640, 120);
    layout->addWidget(table);
    ++added;
  }
  if (!notes.empty()) {
    QStringList lines;
    for (const std::string& note : notes) lines << ToQString(note);
    auto* label = new QLabel(lines.join(QChar('\n')));
    label->setTextFormat(Qt::PlainText);
    label->setObjectName(QStringLiteral("problemNotes"));
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(label);
    ++added;
  }
  return added;
}

}  // namespace farrowdale
