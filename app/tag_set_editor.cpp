#include "app/tag_set_editor.h"

#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>
#include <exception>
#include <utility>

#include "app/coding_text.h"
#include "app/dialog_texts.h"
#include "app/pattern_words.h"
#include "app/platform.h"
#include "app/tag_set_flags.h"
#include "count/tagged_text.h"
#include "tagset/ini_file.h"
#include "text/code_page.h"
#include "text/error.h"
#include "text/narrow_text_file.h"

namespace farrowdale {

namespace {

enum EColumn { kName, kBegin, kEnd, kKind, kColor, kProblem, kColumnCount };

// On a row's name: the index of its tag in the file (separators counted), -1 for a row not
// yet saved. The tag set check's findings are found by it.
constexpr int kFileIndexRole = Qt::UserRole + 1;
// On a separator row's name: the section's name as the file has it ("-" or empty); absent on
// a tag's row.
constexpr int kSeparatorNameRole = Qt::UserRole + 2;

QString ToQString(const std::string& narrow) {
  return QString::fromStdU16String(ToUnicode(narrow));
}

std::string ToNarrowText(const QString& text) {
  return ToNarrow(std::u16string_view(text.toStdU16String()));
}

QString PathToQString(const std::filesystem::path& path) {
  return QFile::decodeName(QByteArray::fromStdString(path.native()));
}

std::filesystem::path QStringToPath(const QString& text) {
  return std::filesystem::path(QFile::encodeName(text).toStdString());
}

QString CellText(const QTableWidget* table, int row, int column) {
  const QTableWidgetItem* item = table->item(row, column);
  return item == nullptr ? QString() : item->text().trimmed();
}

// "RRGGBB" of a colour.
std::string ColorText(const QColor& color) { return color.name().mid(1).toUpper().toStdString(); }

QColor ColorOf(const std::string& rrggbb) {
  const QColor color(QStringLiteral("#") + QString::fromStdString(rrggbb));
  return color.isValid() ? color : QColor(Qt::black);
}

}  // namespace

TTagSetEditor::TTagSetEditor(const std::filesystem::path& path,
                             std::vector<std::filesystem::path> preview_files, QWidget* parent)
    : QDialog(parent), preview_files_(std::move(preview_files)) {
  setObjectName(QStringLiteral("TagSetEditor"));
  resize(980, 640);
  auto* layout = new QVBoxLayout(this);
  auto* splitter = new QSplitter(Qt::Vertical);
  layout->addWidget(splitter, 1);

  auto* top = new QWidget;
  auto* top_layout = new QVBoxLayout(top);
  top_layout->setContentsMargins(0, 0, 0, 0);
  auto* tags_caption = new QLabel(
      QStringLiteral("&Tags (plain-text markers are found exactly as typed; pattern markers "
                     "use the pattern syntax):"));
  tblTags_ = new QTableWidget(0, kColumnCount);
  tblTags_->setObjectName(QStringLiteral("tblTags"));
  tblTags_->setAccessibleName(QStringLiteral("Tags"));
  tags_caption->setBuddy(tblTags_);
  tblTags_->setHorizontalHeaderLabels({QStringLiteral("Name"), QStringLiteral("Begin marker"),
                                       QStringLiteral("End marker"), QStringLiteral("Markers are"),
                                       QStringLiteral("Colour"), QStringLiteral("Problem")});
  tblTags_->setSelectionBehavior(QAbstractItemView::SelectRows);
  tblTags_->setSelectionMode(QAbstractItemView::SingleSelection);
  tblTags_->horizontalHeader()->setStretchLastSection(true);
  tblTags_->setColumnWidth(kName, 120);
  tblTags_->setColumnWidth(kBegin, 120);
  tblTags_->setColumnWidth(kEnd, 120);
  tblTags_->setColumnWidth(kKind, 120);
  tblTags_->setColumnWidth(kColor, 80);
  tblTags_->setWordWrap(true);
  top_layout->addWidget(tags_caption);
  top_layout->addWidget(tblTags_, 1);
  auto* row_buttons = new QHBoxLayout;
  auto button = [&](const char* text, const char* name) {
    auto* made = new QPushButton(QString::fromLatin1(text));
    made->setObjectName(QString::fromLatin1(name));
    made->setAutoDefault(false);
    row_buttons->addWidget(made);
    return made;
  };
  QPushButton* add = button("&Add Tag", "btnAddTag");
  QPushButton* remove = button("&Remove Tag", "btnRemoveTag");
  QPushButton* up = button("Move &Up", "btnMoveUp");
  QPushButton* down = button("Move Do&wn", "btnMoveDown");
  row_buttons->addStretch(1);
  top_layout->addLayout(row_buttons);
  splitter->addWidget(top);

  auto* bottom = new QWidget;
  auto* bottom_layout = new QVBoxLayout(bottom);
  bottom_layout->setContentsMargins(0, 0, 0, 0);
  auto* preview_bar = new QHBoxLayout;
  auto* preview_caption = new QLabel(QStringLiteral("&Preview:"));
  previewFileBox_ = new QComboBox;
  previewFileBox_->setObjectName(QStringLiteral("cbxPreviewFile"));
  previewFileBox_->setAccessibleName(QStringLiteral("File to preview"));
  preview_caption->setBuddy(previewFileBox_);
  for (const auto& file : preview_files_) {
    previewFileBox_->addItem(PathToQString(file.filename()), PathToQString(file));
  }
  previewCountsLabel_ = new QLabel;
  previewCountsLabel_->setObjectName(QStringLiteral("lblPreviewCounts"));
  previewCountsLabel_->setWordWrap(true);
  preview_bar->addWidget(preview_caption);
  preview_bar->addWidget(previewFileBox_, 1);
  preview_bar->addWidget(previewCountsLabel_, 2);
  bottom_layout->addLayout(preview_bar);
  preview_ = new TCodingText;
  preview_->setObjectName(QStringLiteral("previewText"));
  preview_->setAccessibleName(QStringLiteral("Preview of the file's coding"));
  bottom_layout->addWidget(preview_, 1);
  splitter->addWidget(bottom);

  auto* buttons = new QDialogButtonBox;
  QPushButton* save = buttons->addButton(QStringLiteral("&Save"), QDialogButtonBox::AcceptRole);
  save->setObjectName(QStringLiteral("btnSaveTagSet"));
  QPushButton* save_as =
      buttons->addButton(QStringLiteral("Save &As..."), QDialogButtonBox::ActionRole);
  buttons->addButton(QDialogButtonBox::Close);
  layout->addWidget(buttons);

  connect(add, &QPushButton::clicked, this, [this] {
    const int row = AddRow("tag" + std::to_string(tblTags_->rowCount() + 1), "", "", "000000");
    tblTags_->setCurrentCell(row, kName);
    tblTags_->editItem(tblTags_->item(row, kName));
  });
  connect(remove, &QPushButton::clicked, this, [this] {
    if (tblTags_->currentRow() >= 0) tblTags_->removeRow(tblTags_->currentRow());
    Changed();
  });
  connect(up, &QPushButton::clicked, this, [this] { MoveCurrentRow(-1); });
  connect(down, &QPushButton::clicked, this, [this] { MoveCurrentRow(1); });
  connect(tblTags_, &QTableWidget::itemChanged, this, [this] { Changed(); });
  connect(tblTags_, &QTableWidget::cellDoubleClicked, this, [this](int row, int column) {
    if (column == kColor) PickColor(row);
  });
  connect(previewFileBox_, &QComboBox::currentIndexChanged, this, [this] {
    UpdatePreviewText();
    Changed();
  });
  connect(save, &QPushButton::clicked, this, &TTagSetEditor::Save);
  connect(save_as, &QPushButton::clicked, this, &TTagSetEditor::SaveAs);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  if (!path.empty()) Load(path);
  setWindowTitle((path_.empty() ? QStringLiteral("New Tag Set")
                                : QStringLiteral("Tag Set ") + PathToQString(path_.filename())) +
                 QStringLiteral(" - ") + QString::fromLatin1(kProgramTitle));
  UpdatePreviewText();
  Changed();
}

void TTagSetEditor::Load(const std::filesystem::path& path) {
  TTagArray tags;
  LoadTagSet(TIniFile(path), tags, [](size_t, const Error&) {});
  loading_ = true;
  for (size_t index = 0; index < tags.size(); ++index) {
    const TTagInfo& tag = tags[index];
    if (IsSkippedTag(tag)) {
      const int row = AddSeparatorRow(tag.Name);
      tblTags_->item(row, kName)->setData(kFileIndexRole, static_cast<int>(index));
      continue;
    }
    // A marker that reads the same escaped is plain text; anything else was written as a
    // pattern and stays one.
    const bool plain = PlainTextMarker(tag.BeginMark, EMarkerSide::kBegin) == tag.BeginMark &&
                       PlainTextMarker(tag.EndMark, EMarkerSide::kEnd) == tag.EndMark;
    const int row = AddRow(tag.Name, tag.BeginMark, tag.EndMark, tag.Color,
                           plain ? TMarkerKind::kPlainText : TMarkerKind::kPattern);
    tblTags_->item(row, kName)->setData(kFileIndexRole, static_cast<int>(index));
  }
  loading_ = false;
  path_ = path;
}

int TTagSetEditor::AddRow(const std::string& name, const std::string& begin, const std::string& end,
                          const std::string& color, TMarkerKind kind) {
  const bool was = std::exchange(loading_, true);
  const int row = tblTags_->rowCount();
  tblTags_->insertRow(row);
  auto* name_item = new QTableWidgetItem(ToQString(name));
  name_item->setData(kFileIndexRole, -1);
  tblTags_->setItem(row, kName, name_item);
  tblTags_->setItem(row, kBegin, new QTableWidgetItem(ToQString(begin)));
  tblTags_->setItem(row, kEnd, new QTableWidgetItem(ToQString(end)));
  auto* kinds = new QComboBox;
  kinds->addItems({QStringLiteral("Plain text"), QStringLiteral("Patterns")});
  kinds->setCurrentIndex(kind == TMarkerKind::kPattern ? 1 : 0);
  kinds->setAccessibleName(QStringLiteral("Markers are plain text or patterns"));
  connect(kinds, &QComboBox::currentIndexChanged, this, [this] { Changed(); });
  tblTags_->setCellWidget(row, kKind, kinds);
  auto* swatch = new QTableWidgetItem(ToQString(color));
  swatch->setBackground(ColorOf(color));
  swatch->setForeground(ColorOf(color).lightness() < 128 ? Qt::white : Qt::black);
  swatch->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
  swatch->setToolTip(QStringLiteral("Double-click to choose the colour"));
  tblTags_->setItem(row, kColor, swatch);
  auto* problem = new QTableWidgetItem;
  problem->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
  tblTags_->setItem(row, kProblem, problem);
  loading_ = was;
  Changed();
  return row;
}

int TTagSetEditor::AddSeparatorRow(const std::string& name) {
  const bool was = std::exchange(loading_, true);
  const int row = AddRow("-", "", "", "");
  QTableWidgetItem* name_item = tblTags_->item(row, kName);
  name_item->setData(kSeparatorNameRole, ToQString(name));
  name_item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
  name_item->setToolTip(
      QStringLiteral("A separator: it groups the tags in the list; a run skips it"));
  for (int column : {kBegin, kEnd, kColor}) {
    QTableWidgetItem* cell = tblTags_->item(row, column);
    cell->setFlags(Qt::ItemIsSelectable);
    cell->setText(QString());
    cell->setToolTip(QString());
    cell->setData(Qt::BackgroundRole, QVariant());
    cell->setData(Qt::ForegroundRole, QVariant());
  }
  tblTags_->cellWidget(row, kKind)->setEnabled(false);
  loading_ = was;
  Changed();
  return row;
}

bool TTagSetEditor::IsSeparatorRow(int row) const {
  return tblTags_->item(row, kName)->data(kSeparatorNameRole).isValid();
}

std::vector<TTagEntry> TTagSetEditor::Entries() const {
  std::vector<TTagEntry> entries;
  for (int row = 0; row < tblTags_->rowCount(); ++row) {
    if (IsSeparatorRow(row)) {
      entries.push_back(
          {ToNarrowText(tblTags_->item(row, kName)->data(kSeparatorNameRole).toString()), "", "",
           ""});
      continue;
    }
    const auto* kinds = static_cast<const QComboBox*>(tblTags_->cellWidget(row, kKind));
    const bool plain = kinds->currentIndex() == 0;
    auto marker = [&](int column, EMarkerSide side) {
      const std::string typed = ToNarrowText(CellText(tblTags_, row, column));
      return plain ? PlainTextMarker(typed, side) : typed;
    };
    entries.push_back({ToNarrowText(CellText(tblTags_, row, kName)),
                       marker(kBegin, EMarkerSide::kBegin), marker(kEnd, EMarkerSide::kEnd),
                       ToNarrowText(CellText(tblTags_, row, kColor))});
  }
  return entries;
}

QString TTagSetEditor::RowProblem(int row) const { return CellText(tblTags_, row, kProblem); }

std::vector<int> TTagSetEditor::PreviewCounts() const { return preview_->PassageCounts(); }

void TTagSetEditor::Changed() {
  if (loading_) return;
  const std::vector<TTagEntry> entries = Entries();
  // The check's findings for the file as saved, by row, while the rows are those of the file.
  const TTagSetFlags flags = path_.empty() ? TTagSetFlags{} : FlagTagSetProblems(path_);
  TTagArray tags;
  const bool was = std::exchange(loading_, true);
  for (int row = 0; row < tblTags_->rowCount(); ++row) {
    if (IsSeparatorRow(row)) continue;
    const TTagEntry& entry = entries[static_cast<size_t>(row)];
    std::string problem;
    for (const std::string* marker : {&entry.begin, &entry.end}) {
      if (problem.empty() && !marker->empty()) problem = PatternProblemInWords(*marker);
    }
    if (problem.empty() && (entry.begin.empty() || entry.end.empty())) {
      problem = "A tag needs a begin and an end marker.";
    }
    const int file_index = tblTags_->item(row, kName)->data(kFileIndexRole).toInt();
    if (problem.empty() && file_index >= 0 &&
        static_cast<size_t>(file_index) < flags.by_tag.size()) {
      for (const TTagSetProblem& found : flags.by_tag[static_cast<size_t>(file_index)]) {
        problem += (problem.empty() ? "" : "\n") + TagSetProblemText(found);
      }
    }
    QTableWidgetItem* cell = tblTags_->item(row, kProblem);
    cell->setText(ToQString(problem));
    cell->setToolTip(ToQString(problem));
    cell->setForeground(Qt::red);
    TTagInfo tag;
    tag.Name = entry.name.empty() ? "?" : entry.name;
    // Rows that cannot be searched are left out of the preview, not the others with them.
    const bool searchable = problem.empty() || problem.rfind("line ", 0) == 0;
    tag.BeginMark = searchable ? entry.begin : "";
    tag.EndMark = searchable ? entry.end : "";
    tag.Color = entry.color;
    const QColor color = ColorOf(entry.color);
    tag.ColorValue = color.red() | (color.green() << 8) | (color.blue() << 16);
    if (searchable) tags.push_back(tag);
  }
  tblTags_->resizeRowsToContents();
  loading_ = was;
  preview_->ShowText(preview_text_, tags, path_);
  QStringList counts;
  for (size_t i = 0; i < tags.size() && i < preview_->PassageCounts().size(); ++i) {
    counts << ToQString(tags[i].Name) + QStringLiteral(": ") +
                  QString::number(preview_->PassageCounts()[i]);
  }
  previewCountsLabel_->setText(preview_files_.empty() ? QStringLiteral("No file listed to preview")
                                                      : counts.join(QStringLiteral(", ")));
}

void TTagSetEditor::UpdatePreviewText() {
  preview_text_.clear();
  const int index = previewFileBox_->currentIndex();
  if (index < 0) return;
  try {
    preview_text_ =
        ReadNarrowJoinedText(QStringToPath(previewFileBox_->itemData(index).toString())).text;
  } catch (const std::exception& e) {
    preview_text_ = e.what();
  }
}

void TTagSetEditor::MoveCurrentRow(int by) {
  const int row = tblTags_->currentRow();
  const int to = row + by;
  if (row < 0 || to < 0 || to >= tblTags_->rowCount()) return;
  const bool was = std::exchange(loading_, true);
  for (int column = 0; column < kColumnCount; ++column) {
    if (column == kKind) {
      auto* mine = static_cast<QComboBox*>(tblTags_->cellWidget(row, kKind));
      auto* theirs = static_cast<QComboBox*>(tblTags_->cellWidget(to, kKind));
      const int kind = mine->currentIndex();
      const bool enabled = mine->isEnabled();
      mine->setCurrentIndex(theirs->currentIndex());
      mine->setEnabled(theirs->isEnabled());
      theirs->setCurrentIndex(kind);
      theirs->setEnabled(enabled);
      continue;
    }
    QTableWidgetItem* mine = tblTags_->takeItem(row, column);
    tblTags_->setItem(row, column, tblTags_->takeItem(to, column));
    tblTags_->setItem(to, column, mine);
  }
  loading_ = was;
  tblTags_->setCurrentCell(to, kName);
  Changed();
}

void TTagSetEditor::PickColor(int row) {
  if (IsSeparatorRow(row)) return;
  const QColor chosen =
      QColorDialog::getColor(ColorOf(ToNarrowText(CellText(tblTags_, row, kColor))), this,
                             QStringLiteral("Colour of the tag"));
  if (!chosen.isValid()) return;
  QTableWidgetItem* swatch = tblTags_->item(row, kColor);
  swatch->setText(QString::fromStdString(ColorText(chosen)));
  swatch->setBackground(chosen);
  swatch->setForeground(chosen.lightness() < 128 ? Qt::white : Qt::black);
}

void TTagSetEditor::SaveTo(const std::filesystem::path& path) {
  SaveTagSet(path, Entries());
  path_ = path;
  // The file now holds the rows in their order, and nothing else.
  const bool was = std::exchange(loading_, true);
  for (int row = 0; row < tblTags_->rowCount(); ++row) {
    tblTags_->item(row, kName)->setData(kFileIndexRole, row);
  }
  loading_ = was;
  Changed();
}

void TTagSetEditor::Save() {
  if (path_.empty()) {
    SaveAs();
    return;
  }
  try {
    SaveTo(path_);
    accept();
  } catch (const std::exception& e) {
    QMessageBox::critical(this, QString::fromLatin1(kProgramTitle),
                          ToQString(ErrorBoxText(e.what())));
  }
}

void TTagSetEditor::SaveAs() {
  const QString file = QFileDialog::getSaveFileName(
      this, QStringLiteral("Save Tag Set"), path_.empty() ? QString() : PathToQString(path_),
      QStringLiteral("Tag set (*.ini)"));
  if (file.isEmpty()) return;
  try {
    SaveTo(QStringToPath(file.endsWith(QStringLiteral(".ini"), Qt::CaseInsensitive)
                             ? file
                             : file + QStringLiteral(".ini")));
    accept();
  } catch (const std::exception& e) {
    QMessageBox::critical(this, QString::fromLatin1(kProgramTitle),
                          ToQString(ErrorBoxText(e.what())));
  }
}

}  // namespace farrowdale
