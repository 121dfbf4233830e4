// TTagSetEditor: the tag set managed in the program. A table of tags (name, begin and end
// marker, whether the markers are plain text or patterns, colour), rows added, removed and
// moved; a separator of the file ("[-]") is a row of its own, moved and removed like the
// others, its name, markers and colour not editable. Each tag's row shows what is wrong with
// it: a pattern that does not compile, explained in words, and the tag set check's findings
// for its section. A preview shows one of the listed files with the passages the tags as
// typed would find, and the count per tag, updated at every change.
//
// Plain-text markers are written escaped (what is typed is what is found: "[EMO]" is saved as
// "\[EMO\]"); pattern markers are written as typed. Saving keeps the comments and unknown
// keys of the file it replaces (SaveTagSet) and replaces it atomically.
#ifndef FARROWDALE_APP_TAG_SET_EDITOR_H_
#define FARROWDALE_APP_TAG_SET_EDITOR_H_

#include <QDialog>
#include <filesystem>
#include <string>
#include <vector>

#include "tagset/tag_set.h"
#include "tagset/tag_set_writer.h"

class QComboBox;
class QLabel;
class QTableWidget;

namespace farrowdale {

class TCodingText;

// How a row's markers are written.
enum class TMarkerKind { kPlainText, kPattern };

class TTagSetEditor : public QDialog {
  Q_OBJECT

 public:
  // Edits the tag set at path (a new one when path is empty); preview_files are offered
  // for the preview. Throws the file-open Error when path cannot be read.
  TTagSetEditor(const std::filesystem::path& path, std::vector<std::filesystem::path> preview_files,
                QWidget* parent = nullptr);

  // The tags as they would be written, in row order, separators included (name only).
  std::vector<TTagEntry> Entries() const;
  // Saves to path and makes it the editor's file. Throws Error.
  void SaveTo(const std::filesystem::path& path);
  // The file last saved or loaded; empty for a new tag set not yet saved.
  const std::filesystem::path& Path() const { return path_; }
  // Adds a row (plain-text markers) and returns its index.
  int AddRow(const std::string& name, const std::string& begin, const std::string& end,
             const std::string& color, TMarkerKind kind = TMarkerKind::kPlainText);
  // Adds a separator row for a section called name ("-" or empty) and returns its index.
  int AddSeparatorRow(const std::string& name);
  // The problem shown for a row (empty when none).
  QString RowProblem(int row) const;
  // The preview's passage count per tag, in row order.
  std::vector<int> PreviewCounts() const;

 private:
  void Load(const std::filesystem::path& path);
  bool IsSeparatorRow(int row) const;
  void Changed();
  void UpdatePreviewText();
  void MoveCurrentRow(int by);
  void PickColor(int row);
  void Save();
  void SaveAs();

  std::filesystem::path path_;
  std::vector<std::filesystem::path> preview_files_;
  std::string preview_text_;
  bool loading_ = false;
  QTableWidget* tblTags_;
  QComboBox* previewFileBox_;
  TCodingText* preview_;
  QLabel* previewCountsLabel_;
};

}  // namespace farrowdale

#endif  // FARROWDALE_APP_TAG_SET_EDITOR_H_
