// Arranging the icons of minimised child windows.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTest>

#include <vector>

#include "widgets/MdiArrange.h"

namespace pm::widgets {
namespace {

TEST(MdiArrangeTest, MinimisedWindowsLineTheBottomLeftToRight) {
  QMdiArea area;
  area.resize(900, 400);
  std::vector<QMdiSubWindow*> windows;
  for (int i = 0; i < 5; ++i) {
    QMdiSubWindow* sub = area.addSubWindow(new QWidget);
    sub->resize(200, 150);
    windows.push_back(sub);
  }
  area.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&area));
  for (int i : {0, 1, 3, 4}) windows[static_cast<std::size_t>(i)]->showMinimized();
  windows[4]->hide();  // closed: not arranged
  windows[2]->move(30, 20);
  for (QMdiSubWindow* sub : windows) sub->move(sub->x() + 7, 9);
  const QPoint open = windows[2]->pos();

  ArrangeIcons(&area);
  const int bottom = area.viewport()->height();
  const QSize icon = windows[0]->size();
  ASSERT_LE(3 * icon.width(), area.viewport()->width());
  EXPECT_EQ(windows[0]->pos(), QPoint(0, bottom - icon.height()));
  EXPECT_EQ(windows[1]->pos(), QPoint(icon.width(), bottom - icon.height()));
  EXPECT_EQ(windows[3]->pos(), QPoint(2 * icon.width(), bottom - icon.height()));
  EXPECT_EQ(windows[2]->pos(), open);  // not minimised: left where it is

  // A row that is full goes on above the one before.
  area.resize(2 * icon.width() + 10 + (area.width() - area.viewport()->width()), 400);
  QApplication::processEvents();
  ArrangeIcons(&area);
  const int newBottom = area.viewport()->height();
  EXPECT_EQ(windows[3]->pos(), QPoint(0, newBottom - 2 * icon.height()));
  ArrangeIcons(nullptr);  // nothing to arrange
}

}  // namespace
}  // namespace pm::widgets
