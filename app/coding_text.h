// TCodingText: a file's text as the coding run reads it (ReadNarrowJoinedText), shown
// read-only with every tag's passages tinted in the tag's colour and its markers in bold in
// that colour. The coding view shows a file with it, the tag set editor its preview.
//
// Places are 1-based lines and columns in characters of the decoded text, as the marker
// check and the run summary give them.
#ifndef FARROWDALE_APP_CODING_TEXT_H_
#define FARROWDALE_APP_CODING_TEXT_H_

#include <QPlainTextEdit>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "tagset/tag_set.h"

namespace farrowdale {

class TCodingText : public QPlainTextEdit {
  Q_OBJECT

 public:
  explicit TCodingText(QWidget* parent = nullptr);

  // Reads file and highlights the passages of tag_set's tags (named tag_set_file in
  // errors). Throws the file-open Error when the file cannot be read. A tag set whose
  // markers do not compile leaves the text without highlights and says why in Problem().
  void ShowFile(const std::filesystem::path& file, const TTagArray& tag_set,
                const std::filesystem::path& tag_set_file);
  // The same for a text read already.
  void ShowText(const std::string& narrow_text, const TTagArray& tag_set,
                const std::filesystem::path& tag_set_file);
  // Selects the marker at line and column (the tag marker that stands there, else one
  // character) and scrolls it into the middle of the view. Line 0 means the top.
  void GoTo(int line, int column);

  // How many passages each tag that is not skipped has, in tag order.
  const std::vector<int>& PassageCounts() const { return counts_; }
  // Why nothing is highlighted (a marker that does not compile); empty otherwise.
  const std::string& Problem() const { return problem_; }
  // The document position of a 1-based line and column (clamped into the text).
  int PositionOf(int line, int column) const;

 private:
  TTagArray tags_;  // the tags shown, skipped ones left out
  std::vector<int> counts_;
  std::vector<std::pair<int, int>> markers_;  // shown start and end of every marker, sorted
  std::string problem_;
};

}  // namespace farrowdale

#endif  // FARROWDALE_APP_CODING_TEXT_H_
