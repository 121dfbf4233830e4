// TActiveLabel: a label that reports clicks, and can draw its
// text shortened in the middle with an ellipsis when it does not fit (text() keeps the
// whole caption).
#ifndef FARROWDALE_APP_ACTIVE_LABEL_H_
#define FARROWDALE_APP_ACTIVE_LABEL_H_

#include <QLabel>

namespace farrowdale {

class TActiveLabel : public QLabel {
  Q_OBJECT

 public:
  explicit TActiveLabel(QWidget* parent = nullptr);

  void SetElideMiddle(bool elide);
  // The text as drawn in the label's current width.
  QString ShownText() const;

 signals:
  void Clicked();

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  bool elide_middle_ = false;
  bool pressed_ = false;
};

}  // namespace farrowdale

#endif  // FARROWDALE_APP_ACTIVE_LABEL_H_
