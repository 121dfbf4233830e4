// TCodingView: a window that shows one file's coding: the message that led here above, the
// file's path, and its text as the run reads it with the passages of the tag set's tags
// highlighted (TCodingText), scrolled to the place with the marker there selected.
#ifndef FARROWDALE_APP_CODING_VIEW_H_
#define FARROWDALE_APP_CODING_VIEW_H_

#include <QWidget>

#include "app/platform.h"

class QLabel;

namespace farrowdale {

class TCodingText;

class TCodingView : public QWidget {
  Q_OBJECT

 public:
  // Reads the tag set and the file at once; what cannot be read is said in the message line.
  explicit TCodingView(const TCodingViewTarget& target, QWidget* parent = nullptr);
  TCodingText* Text() const { return text_; }

 private:
  QLabel* messageLabel_;
  TCodingText* text_;
};

}  // namespace farrowdale

#endif  // FARROWDALE_APP_CODING_VIEW_H_
