// TAnchorLayout: places each child at its design rectangle and, when the parent is resized,
// keeps the child's distance to the parent edges it is anchored to. Anchored to both left
// and right (or top and bottom), the child stretches; anchored to the right (bottom) only,
// it moves; otherwise it stays. Design rectangles are in pixels relative to a parent of the
// design size.
#ifndef FARROWDALE_APP_ANCHOR_LAYOUT_H_
#define FARROWDALE_APP_ANCHOR_LAYOUT_H_

#include <QLayout>
#include <QList>
#include <QRect>
#include <QSize>

namespace farrowdale {

enum TAnchor : unsigned {
  kAnchorLeft = 1,
  kAnchorTop = 2,
  kAnchorRight = 4,
  kAnchorBottom = 8,
  kAnchorLeftTop = kAnchorLeft | kAnchorTop,
  kAnchorAll = kAnchorLeft | kAnchorTop | kAnchorRight | kAnchorBottom,
};

class TAnchorLayout : public QLayout {
 public:
  TAnchorLayout(QWidget* parent, QSize design_size);
  ~TAnchorLayout() override;

  // A width or height of 0 sizes the child to its size hint (an auto-sized label), kept
  // inside the parent.
  void AddWidget(QWidget* widget, QRect design, unsigned anchors);

  // The child's rectangle for a parent of the given size.
  QRect Place(int index, QSize parent_size) const;

  void addItem(QLayoutItem* item) override;
  QLayoutItem* itemAt(int index) const override;
  QLayoutItem* takeAt(int index) override;
  int count() const override;
  QSize sizeHint() const override;
  QSize minimumSize() const override;
  void setGeometry(const QRect& rect) override;

 private:
  struct Entry {
    QLayoutItem* item;
    QRect design;
    unsigned anchors;
  };
  QSize design_size_;
  QList<Entry> entries_;
};

}  // namespace farrowdale

#endif  // FARROWDALE_APP_ANCHOR_LAYOUT_H_
