// The Draft Board window: its grid follows the picks and it saves its CSV
// to the path it is given.
#include <gtest/gtest.h>

#include <QFile>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include "common/Prompt.h"
#include "widgets/DraftBoardView.h"

using namespace Qt::StringLiterals;

namespace pm::widgets {
namespace {

TEST(DraftBoardView, GridFollowsThePicksAndSavesItsCsv) {
  draft::PickList picks(draft::kMaxPicks);
  picks.Append({1, "Bears", "Joe M\xFCller", "QB", {1, 1}});
  picks.Append({2, "Lions", "Al Jones", "WR", {1, 2}});
  ScriptedPrompter prompter;
  DraftBoardView view(&prompter);
  view.SetSource(&picks, 2, "Lions");
  QTableWidget* grid = view.Grid();
  EXPECT_EQ(view.objectName(), u"DraftBoard"_s);
  EXPECT_EQ(grid->rowCount(), 1);
  EXPECT_EQ(grid->columnCount(), 2);
  EXPECT_EQ(grid->item(0, 0)->text(), u"Joe M\u00fcller  QB\nBears"_s);
  EXPECT_EQ(grid->item(0, 1)->background().color(), DraftBoardView::OwnColour());
  EXPECT_NE(grid->item(0, 0)->background().color(), DraftBoardView::OwnColour());

  picks.BlankLabel({1, 1});
  picks.Append({3, "Bears", "Ed Brown", "CB", {2, 1}});
  view.Refresh();
  EXPECT_EQ(grid->rowCount(), 2);
  EXPECT_EQ(grid->item(0, 0), nullptr);
  EXPECT_EQ(grid->item(1, 0)->text(), u"Ed Brown  CB\nBears"_s);
  // Fewer picks than before (a merge kept some): the grid is made afresh.
  const draft::PickList none(draft::kMaxPicks);
  view.SetSource(&none, 2);
  EXPECT_EQ(grid->rowCount(), 1);
  EXPECT_EQ(grid->item(0, 1), nullptr);
  view.SetSource(&picks, 2);

  // The button asks for the path; no path, nothing written.
  QTemporaryDir dir;
  const QString path = dir.filePath(u"board.csv"_s);
  view.askPath = [] { return QString(); };
  QTest::mouseClick(view.findChild<QPushButton*>(u"SaveCsv"_s), Qt::LeftButton);
  EXPECT_FALSE(QFile::exists(path));
  view.askPath = [&path] { return path; };
  QTest::mouseClick(view.SaveButton(), Qt::LeftButton);
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_EQ(file.readAll().toStdString(), view.Board().Csv());
  EXPECT_TRUE(prompter.asked.empty());
  EXPECT_FALSE(view.SaveCsvTo(dir.filePath(u"no/such/folder/board.csv"_s)));
  ASSERT_EQ(prompter.asked.size(), 1u);
}

}  // namespace
}  // namespace pm::widgets
