#include "app/active_label.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyle>

namespace farrowdale {

// Its captions are file and folder names: shown as they are, never as markup.
TActiveLabel::TActiveLabel(QWidget* parent) : QLabel(parent) { setTextFormat(Qt::PlainText); }

void TActiveLabel::SetElideMiddle(bool elide) {
  elide_middle_ = elide;
  update();
}

QString TActiveLabel::ShownText() const {
  if (!elide_middle_) return text();
  return fontMetrics().elidedText(text(), Qt::ElideMiddle, contentsRect().width());
}

void TActiveLabel::mousePressEvent(QMouseEvent* event) {
  pressed_ = event->button() == Qt::LeftButton;
  QLabel::mousePressEvent(event);
}

// A click is a press and a release of the left button over the label.
void TActiveLabel::mouseReleaseEvent(QMouseEvent* event) {
  const bool click =
      pressed_ && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
  pressed_ = false;
  QLabel::mouseReleaseEvent(event);
  if (click) emit Clicked();
}

void TActiveLabel::paintEvent(QPaintEvent* event) {
  if (!elide_middle_) {
    QLabel::paintEvent(event);
    return;
  }
  QPainter painter(this);
  style()->drawItemText(&painter, contentsRect(), alignment(), palette(), isEnabled(), ShownText(),
                        foregroundRole());
}

}  // namespace farrowdale
