#include "widgets/MdiArrange.h"

#include <QMdiArea>
#include <QMdiSubWindow>

namespace pm::widgets {

void ArrangeIcons(QMdiArea* area) {
  if (!area) return;
  const QRect space = area->viewport()->rect();
  int x = 0;
  int bottom = space.height();
  int rowHeight = 0;
  for (QMdiSubWindow* window : area->subWindowList(QMdiArea::CreationOrder)) {
    if (!window->isVisible() || !window->isMinimized()) continue;
    const QSize size = window->size();
    if (x > 0 && x + size.width() > space.width()) {
      bottom -= rowHeight;
      x = 0;
      rowHeight = 0;
    }
    window->move(x, bottom - size.height());
    x += size.width();
    rowHeight = qMax(rowHeight, size.height());
  }
}

}  // namespace pm::widgets
