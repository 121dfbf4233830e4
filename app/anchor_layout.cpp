#include "app/anchor_layout.h"

#include <QWidget>
#include <QWidgetItem>
#include <algorithm>

namespace farrowdale {

namespace {

// One axis: start and extent for a parent whose extent grew by delta.
void PlaceAxis(int design_start, int design_extent, bool near, bool far, int delta, int* start,
               int* extent) {
  *start = design_start;
  *extent = design_extent;
  if (near && far) {
    *extent = std::max(0, design_extent + delta);
  } else if (far) {
    *start = design_start + delta;
  }
}

}  // namespace

TAnchorLayout::TAnchorLayout(QWidget* parent, QSize design_size)
    : QLayout(parent), design_size_(design_size) {
  setContentsMargins(0, 0, 0, 0);
  setSpacing(0);
}

TAnchorLayout::~TAnchorLayout() {
  for (const Entry& entry : entries_) delete entry.item;
}

void TAnchorLayout::AddWidget(QWidget* widget, QRect design, unsigned anchors) {
  addChildWidget(widget);
  entries_.append({new QWidgetItem(widget), design, anchors});
  invalidate();
}

QRect TAnchorLayout::Place(int index, QSize parent_size) const {
  const Entry& entry = entries_.at(index);
  QRect design = entry.design;
  if (design.width() <= 0 || design.height() <= 0) {
    const QSize hint = entry.item->sizeHint();
    if (design.width() <= 0) design.setWidth(hint.width());
    if (design.height() <= 0) design.setHeight(hint.height());
  }
  int x, width, y, height;
  PlaceAxis(design.x(), design.width(), entry.anchors & kAnchorLeft, entry.anchors & kAnchorRight,
            parent_size.width() - design_size_.width(), &x, &width);
  PlaceAxis(design.y(), design.height(), entry.anchors & kAnchorTop, entry.anchors & kAnchorBottom,
            parent_size.height() - design_size_.height(), &y, &height);
  if (entry.design.width() <= 0) width = std::max(0, std::min(width, parent_size.width() - x));
  return QRect(x, y, width, height);
}

void TAnchorLayout::addItem(QLayoutItem* item) {
  entries_.append({item, QRect(QPoint(0, 0), item->sizeHint()), kAnchorLeftTop});
}

QLayoutItem* TAnchorLayout::itemAt(int index) const {
  return index >= 0 && index < entries_.size() ? entries_.at(index).item : nullptr;
}

QLayoutItem* TAnchorLayout::takeAt(int index) {
  if (index < 0 || index >= entries_.size()) return nullptr;
  return entries_.takeAt(index).item;
}

int TAnchorLayout::count() const { return static_cast<int>(entries_.size()); }

QSize TAnchorLayout::sizeHint() const { return design_size_; }

// The window's own minimum size governs; the children may be clipped below the design size.
QSize TAnchorLayout::minimumSize() const { return QSize(0, 0); }

void TAnchorLayout::setGeometry(const QRect& rect) {
  QLayout::setGeometry(rect);
  // Design positions count from the parent's top-left corner, not from its contents (a group
  // box would otherwise push its children below its title).
  const QRect area = parentWidget() != nullptr ? parentWidget()->rect() : rect;
  for (int i = 0; i < entries_.size(); ++i) {
    const QRect place = Place(i, area.size()).translated(area.topLeft());
    // Hidden children are placed too, so that they appear in the right place when shown.
    if (QWidget* widget = entries_.at(i).item->widget()) {
      widget->setGeometry(place);
    } else {
      entries_.at(i).item->setGeometry(place);
    }
  }
}

}  // namespace farrowdale
