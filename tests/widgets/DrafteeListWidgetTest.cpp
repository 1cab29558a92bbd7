// The draftee list widget driven by simulated clicks and keys.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>

#include "widgets/DrafteeList.h"
#include "widgets/Widgets.h"

using namespace Qt::StringLiterals;

namespace pm::widgets {
namespace {

using draft::DrafteeTable;
using draft::Player;

Player P(int pid, std::string lname, int sp, int ac) {
  Player p;
  p.pid = pid;
  p.fname = "F";
  p.lname = std::move(lname);
  p.sp = sp;
  p.ac = ac;
  return p;
}

class DrafteeListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DrafteeTable t;
    t.positions[0] = {P(101, "Young", 10, 1), P(102, "adams", 30, 1), P(103, "Baker", 20, 50)};
    t.positions[4] = {P(201, "Wide", 5, 5)};
    list.SetPicks(&picks);
    list.SetPool(std::move(t));
    list.resize(700, 500);
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
  }
  QStringList Pids() const {
    QStringList out;
    for (int i = 0; i < list.RookieList()->count(); ++i) out << list.RookieList()->item(i)->text().left(5).trimmed();
    return out;
  }
  void Click(QAbstractButton* b) { QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(4, b->height() / 2)); }

  draft::PickList picks{draft::kMaxPicks};
  DrafteeList list;
};

TEST_F(DrafteeListTest, ControlsCarryTheirNamesAndCaptions) {
  const char* positions[] = {"QB", "FB", "HB", "TE", "WR", "C", "G", "T", "DE", "DT", "LB", "CB", "S", "K", "P"};
  for (int i = 0; i < 15; ++i) {
    auto* b = list.findChild<QRadioButton*>(QStringLiteral("Option1_%1").arg(i));
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->text(), QString::fromLatin1(positions[i]));
  }
  const char* ratings[] = {"&SP", "&AC", "A&G", "S&T", "&HA", "&EN", "&IN", "&DI"};
  for (int m = 0; m < 8; ++m) {
    auto* box = list.findChild<QCheckBox*>(QStringLiteral("Rating_%1").arg(m));
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->text(), QString::fromLatin1(ratings[m]));
  }
  EXPECT_EQ(list.findChild<QCheckBox*>(u"Check1"_s)->text(), u"&Name"_s);
  EXPECT_EQ(list.findChild<QLabel*>(u"SortByLabel"_s)->text(), u"Sort by:"_s);
  EXPECT_NE(list.findChild<QListWidget*>(u"RookieList"_s), nullptr);
  EXPECT_TRUE(list.PositionButton(0)->isChecked());
  EXPECT_EQ(list.RookieList()->font(), FixedFont());
  DrafteeList client(nullptr, QStringLiteral("Sort by"));
  EXPECT_EQ(client.findChild<QLabel*>(u"SortByLabel"_s)->text(), u"Sort by"_s);
}

TEST_F(DrafteeListTest, RatingBoxesStandOverTheirColumnTitles) {
  QFontMetrics fm(FixedFont());
  const int cw = fm.horizontalAdvance(QLatin1Char('0'));
  QLabel* header = list.HeaderLabel();
  const int titleLeft = header->mapTo(&list, QPoint(header->contentsRect().left(), 0)).x();
  for (int m = 0; m < 8; ++m) {
    EXPECT_EQ(list.RatingCaptionX(m), titleLeft + cw * (30 + 3 * m)) << m;
  }
  // The titles start where the list's text starts: one character cell of
  // the header equals one of the lines.
  QListWidget* rl = list.RookieList();
  QRect itemRect = rl->visualItemRect(rl->item(0));
  int textLeft = rl->viewport()->mapTo(&list, itemRect.topLeft()).x() +
                 rl->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, rl) + 1;
  EXPECT_EQ(titleLeft, textLeft);
}

TEST_F(DrafteeListTest, ClicksSortAndUntick) {
  EXPECT_EQ(Pids(), (QStringList{u"101"_s, u"102"_s, u"103"_s}));
  Click(list.RatingBox(0));  // SP
  EXPECT_TRUE(list.RatingBox(0)->isChecked());
  EXPECT_EQ(Pids(), (QStringList{u"102"_s, u"103"_s, u"101"_s}));
  Click(list.NameSortBox());
  EXPECT_EQ(Pids(), (QStringList{u"102"_s, u"103"_s, u"101"_s}));  // adams, Baker, Young
  EXPECT_TRUE(list.RatingBox(0)->isChecked());
  Click(list.RatingBox(1));  // SP + AC re-sorts and unticks the name box
  EXPECT_FALSE(list.NameSortBox()->isChecked());
  EXPECT_EQ(Pids(), (QStringList{u"103"_s, u"102"_s, u"101"_s}));
  Click(list.RatingBox(0));
  Click(list.RatingBox(1));  // none left: natural order
  EXPECT_EQ(Pids(), (QStringList{u"101"_s, u"102"_s, u"103"_s}));
  Click(list.RatingBox(2));
  Click(list.PositionButton(4));  // a position change unticks every box
  EXPECT_EQ(list.CurrentPosition(), 4);
  EXPECT_FALSE(list.RatingBox(2)->isChecked());
  EXPECT_EQ(Pids(), (QStringList{u"201"_s}));
}

TEST_F(DrafteeListTest, EmptyPositionShowsTickedBoxesAndNoLines) {
  Click(list.PositionButton(5));
  EXPECT_EQ(list.RookieList()->count(), 0);
  Click(list.RatingBox(3));
  Click(list.NameSortBox());
  EXPECT_TRUE(list.RatingBox(3)->isChecked());
  EXPECT_TRUE(list.NameSortBox()->isChecked());
  EXPECT_EQ(list.RookieList()->count(), 0);
}

// Each line carries its player: a double-click or Enter hands on his PID.
TEST_F(DrafteeListTest, DoubleClickAndEnterCarryThePlayer) {
  QSignalSpy spy(&list, &DrafteeList::playerActivated);
  QListWidget* rl = list.RookieList();
  QRect r = rl->visualItemRect(rl->item(1));
  // A double-click is a press and release followed by the double-click.
  QTest::mouseClick(rl->viewport(), Qt::LeftButton, {}, r.center());
  QTest::mouseDClick(rl->viewport(), Qt::LeftButton, {}, r.center());
  ASSERT_EQ(spy.count(), 1);
  EXPECT_EQ(spy.at(0).at(0).toInt(), 102);
  rl->setCurrentRow(2);
  QTest::keyClick(rl, Qt::Key_Return);
  ASSERT_EQ(spy.count(), 2);
  EXPECT_EQ(spy.at(1).at(0).toInt(), 103);
  EXPECT_EQ(list.SelectedPid(), 103);
  // Enter with no line selected does nothing.
  rl->clearSelection();
  QTest::keyClick(rl, Qt::Key_Enter);
  EXPECT_EQ(spy.count(), 2);
}

TEST_F(DrafteeListTest, PickOfTheShownPositionRebuildsInNaturalOrder) {
  Click(list.RatingBox(0));
  picks.Append(draft::ParsePick("102|T|F adams|QB|1-1"));
  EXPECT_FALSE(list.RebuildIfShown("WR"));
  EXPECT_EQ(Pids(), (QStringList{u"102"_s, u"103"_s, u"101"_s}));
  EXPECT_TRUE(list.RebuildIfShown("QB"));
  EXPECT_EQ(Pids(), (QStringList{u"101"_s, u"103"_s}));
  EXPECT_FALSE(list.RatingBox(0)->isChecked());
  EXPECT_TRUE(list.RemovePlayer(101));
  EXPECT_FALSE(list.RemovePlayer(101));
  EXPECT_EQ(Pids(), (QStringList{u"103"_s}));
  EXPECT_EQ(list.Model().Lines().size(), 1u);
}

TEST_F(DrafteeListTest, FindShowsTheChosenPlayerSelectedInHisPositionsList) {
  auto* box = list.findChild<QLineEdit*>(u"FindBox"_s);
  auto* results = list.findChild<QListWidget*>(u"FindResults"_s);
  ASSERT_NE(box, nullptr);
  ASSERT_NE(results, nullptr);
  EXPECT_FALSE(results->isVisible());
  EXPECT_EQ(results->font(), FixedFont());

  // Enter in the box takes the first result: the WR list, his line selected.
  QTest::keyClicks(box, u"WI"_s);
  ASSERT_TRUE(results->isVisible());
  ASSERT_EQ(results->count(), 1);
  EXPECT_TRUE(results->item(0)->text().startsWith(u"WR  201"_s));
  QTest::keyClick(box, Qt::Key_Return);
  EXPECT_EQ(list.CurrentPosition(), 4);
  EXPECT_TRUE(list.PositionButton(4)->isChecked());
  EXPECT_EQ(list.SelectedPid(), 201);
  EXPECT_TRUE(list.RookieList()->hasFocus());
  // From there the usual pick applies.
  QSignalSpy spy(&list, &DrafteeList::playerActivated);
  QTest::keyClick(list.RookieList(), Qt::Key_Return);
  EXPECT_EQ(spy.count(), 1);

  // A double-click on a result; a sorted list goes back to natural order.
  box->clear();
  EXPECT_FALSE(results->isVisible());
  list.SelectPosition(0);
  Click(list.RatingBox(1));
  box->setText(u"a"_s);
  ASSERT_EQ(results->count(), 2);  // adams, Baker
  const QRect r = results->visualItemRect(results->item(1));
  QTest::mouseClick(results->viewport(), Qt::LeftButton, {}, r.center());
  QTest::mouseDClick(results->viewport(), Qt::LeftButton, {}, r.center());
  EXPECT_EQ(Pids(), (QStringList{u"101"_s, u"102"_s, u"103"_s}));
  EXPECT_EQ(list.SelectedPid(), 103);

  // A pick of any position takes its player out of the results.
  picks.Append(draft::ParsePick("102|T|F adams|QB|1-1"));
  list.RefreshFind();
  ASSERT_EQ(results->count(), 1);
  EXPECT_TRUE(results->item(0)->text().startsWith(u"QB  103"_s));
}

}  // namespace
}  // namespace pm::widgets
