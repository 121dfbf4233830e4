// THelpWindow: the user guide inside the program. It renders the guide's Markdown with its
// pictures, follows its links (a link to a heading scrolls there; a web link goes to the
// browser), and finds text: type in "Find", Enter or F3 for the next place, Shift+F3 for
// the one before. Back and Forward retrace the links followed.
#ifndef FARROWDALE_APP_HELP_WINDOW_H_
#define FARROWDALE_APP_HELP_WINDOW_H_

#include <QWidget>
#include <filesystem>

class QLabel;
class QLineEdit;
class QTextBrowser;
class QUrl;

namespace farrowdale {

class THelpWindow : public QWidget {
  Q_OBJECT

 public:
  explicit THelpWindow(QWidget* parent = nullptr);
  // Shows the Markdown file guide; pictures are looked up relative to its folder.
  void Load(const std::filesystem::path& guide);
  // Scrolls to the heading whose link name (lower case, spaces as "-", punctuation dropped,
  // as the guide's own links write it) is anchor; false when there is none.
  bool ShowHeading(const QString& anchor);
  // Selects the next place (or the one before) holding the "Find" text, starting over at the
  // other end; false when the text is nowhere.
  bool FindNext(bool backwards = false);

 private:
  void FollowLink(const QUrl& url);
  void FitPictures();

  QLineEdit* findEdit_;
  QLabel* notFoundLabel_;
  QTextBrowser* browser_;
};

// A heading's link name: letters and digits in lower case, spaces as "-", hyphens kept,
// everything else dropped ("Count, Freq. and how" gives "count-freq-and-how").
QString HeadingAnchor(const QString& heading);

}  // namespace farrowdale

#endif  // FARROWDALE_APP_HELP_WINDOW_H_
