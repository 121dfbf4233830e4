#include "app/problem_list_view.h"

#include <QHeaderView>
#include <QStyle>
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
  const QIcon warning = list->style()->standardIcon(QStyle::SP_MessageBoxWarning);
  const QIcon error = list->style()->standardIcon(QStyle::SP_MessageBoxCritical);
  for (const TProblemRow& row : rows) {
    const QString path = ToQString(row.path);
    auto* item = new QTreeWidgetItem(
        list, {FileName(row.path), ToQString(PlaceText(row)), ToQString(row.message)});
    item->setIcon(0, row.is_error ? error : warning);
    item->setToolTip(0, PlainTip(path));
    item->setToolTip(1, row.line > 0 ? PlainTip(QStringLiteral("Line %1, column %2 of %3")
                                                    .arg(row.line)
                                                    .arg(row.column)
                                                    .arg(path))
                                     : QStringLiteral("The whole file"));
    item->setToolTip(2, PlainTip(ToQString(row.message)));
    item->setTextAlignment(1, Qt::AlignRight | Qt::AlignTop);
  }
  // Wrapped rows take their height from the message column's width: lay out again when
  // it changes.
  QObject::connect(list->header(), &QHeaderView::sectionResized, list,
                   [list] { list->doItemsLayout(); });
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

}  // namespace farrowdale
