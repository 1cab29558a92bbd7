// The league file chooser shared by both league windows, driven by clicks,
// keys and focus as a person would.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileSystemModel>
#include <QListWidget>
#include <QSignalSpy>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include "widgets/LeagueBrowser.h"

using namespace Qt::StringLiterals;

namespace pm::widgets {
namespace {

void Touch(const QString& path) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write("x");
}

class LeagueBrowserTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    for (const QString& name : {u"small.lge"_s, u"BIG.LGE"_s, u"x.lgex"_s, u"notes.txt"_s, u"Mixed.Lge"_s})
      Touch(dir.filePath(name));
    ASSERT_TRUE(QDir(dir.path()).mkpath(u"folder.lge/inner"_s));
    Touch(dir.filePath(u"folder.lge/inner/deep.lge"_s));
    browser = std::make_unique<LeagueBrowser>(dir.path());
    browser->resize(500, 300);
    browser->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(browser.get()));
  }
  QStringList Files() const {
    QStringList out;
    for (int i = 0; i < browser->FileList()->count(); ++i) out << browser->FileList()->item(i)->text();
    return out;
  }

  QTemporaryDir dir;
  std::unique_ptr<LeagueBrowser> browser;
};

TEST_F(LeagueBrowserTest, ListsLeagueFilesInAnyCaseOfTheStartFolder) {
  EXPECT_EQ(browser->findChild<QComboBox*>(u"Drive1"_s), browser->DriveList());
  EXPECT_EQ(browser->findChild<QTreeView*>(u"Dir1"_s), browser->FolderTree());
  EXPECT_EQ(browser->findChild<QListWidget*>(u"File1"_s), browser->FileList());
  EXPECT_EQ(browser->Folder(), QDir(dir.path()).absolutePath());
  // Folders named like a league file and names that only start with the
  // extension are not leagues; the list is read at once, not in the background.
  EXPECT_EQ(Files(), (QStringList{u"BIG.LGE"_s, u"Mixed.Lge"_s, u"small.lge"_s}));
  EXPECT_EQ(browser->DriveList()->currentText(), QStorageInfo(dir.path()).rootPath());

  // Another folder: its own list, and the window hears of the move.
  QSignalSpy moved(browser.get(), &LeagueBrowser::folderChanged);
  browser->SetFolder(dir.filePath(u"folder.lge/inner"_s));
  EXPECT_EQ(Files(), QStringList{u"deep.lge"_s});
  ASSERT_EQ(moved.count(), 1);
  EXPECT_EQ(moved[0][0].toString(), dir.filePath(u"folder.lge/inner"_s));
  // An empty or vanished folder lists nothing.
  browser->SetFolder(dir.filePath(u"gone"_s));
  EXPECT_TRUE(Files().isEmpty());
}

TEST(DriveCaption, DriveLettersShowAsDrivesAndMountPointsAsPaths) {
  EXPECT_EQ(DriveCaption(u"C:/"_s, u"System"_s), u"C: [System]"_s);
  EXPECT_EQ(DriveCaption(u"d:/"_s, QString()), u"D:"_s);
  EXPECT_EQ(DriveCaption(u"/"_s, u"root"_s), u"/"_s);
  EXPECT_EQ(DriveCaption(u"/media/C:/"_s, u"USB"_s), u"/media/C:/"_s);
  EXPECT_EQ(DriveCaption(u"//server/share/"_s, u"Share"_s), u"//server/share/"_s);
}

// True once the tree shows `folder` as its current folder, in view, with
// every folder above it open.
bool TreeShows(const LeagueBrowser& browser, const QString& folder) {
  const QTreeView* tree = browser.FolderTree();
  const auto* model = qobject_cast<const QFileSystemModel*>(tree->model());
  const QModelIndex current = tree->currentIndex();
  if (model == nullptr || model->filePath(current) != folder) return false;
  for (QModelIndex up = current.parent(); up.isValid() && up != tree->rootIndex(); up = up.parent())
    if (!tree->isExpanded(up)) return false;
  return tree->viewport()->rect().contains(tree->visualRect(current));
}

// Lets the folder model read `folder` and the folders above it in the
// background, and sort what it read.
void WaitForTreeLoad(QSignalSpy& loaded, const QString& folder) {
  const auto read = [&] {
    for (const auto& args : loaded)
      if (args[0].toString() == folder) return true;
    return false;
  };
  EXPECT_TRUE(QTest::qWaitFor(read, 5000));
  // The model sorts what it read on a zero timer started while reading; a
  // zero timer started now fires after it.
  bool sorted = false;
  QTimer::singleShot(0, [&sorted] { sorted = true; });
  EXPECT_TRUE(QTest::qWaitFor([&sorted] { return sorted; }, 5000));
}

TEST_F(LeagueBrowserTest, TreeFollowsTheFolderWhileTheModelLoadsAndClicksMoveIt) {
  // Folders the model only finds while reading, sorted ahead of the shown
  // one, would push it out of view.
  for (int i = 0; i < 80; ++i) ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("a%1").arg(i, 2, 10, QChar(u'0'))));
  const QString inner = dir.filePath(u"folder.lge/inner"_s);
  auto* model = qobject_cast<QFileSystemModel*>(browser->FolderTree()->model());
  ASSERT_NE(model, nullptr);
  QSignalSpy loaded(model, &QFileSystemModel::directoryLoaded);
  browser->SetFolder(inner);
  EXPECT_EQ(Files(), QStringList{u"deep.lge"_s});  // at once, before any reading
  WaitForTreeLoad(loaded, dir.path());
  EXPECT_TRUE(TreeShows(*browser, inner));
  EXPECT_EQ(browser->Folder(), inner);

  // Choosing the folder above in the tree lists its files.
  QSignalSpy moved(browser.get(), &LeagueBrowser::folderChanged);
  browser->FolderTree()->setCurrentIndex(model->index(dir.path()));
  EXPECT_EQ(browser->Folder(), dir.path());
  EXPECT_EQ(Files(), (QStringList{u"BIG.LGE"_s, u"Mixed.Lge"_s, u"small.lge"_s}));
  EXPECT_EQ(moved.count(), 1);
}

TEST_F(LeagueBrowserTest, StartFolderOfAHiddenWindowIsInViewWhenShown) {
  for (int i = 0; i < 80; ++i) ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("b%1").arg(i, 2, 10, QChar(u'0'))));
  const QString inner = dir.filePath(u"folder.lge/inner"_s);
  LeagueBrowser hidden(inner);
  QSignalSpy loaded(hidden.FolderTree()->model(), SIGNAL(directoryLoaded(QString)));
  hidden.resize(500, 300);
  hidden.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&hidden));
  WaitForTreeLoad(loaded, dir.path());
  EXPECT_TRUE(TreeShows(hidden, inner));
}

TEST_F(LeagueBrowserTest, DoubleClickAndEnterHandTheFileOver) {
  QSignalSpy activated(browser.get(), &LeagueBrowser::fileActivated);
  QListWidget* files = browser->FileList();
  ASSERT_TRUE(browser->SelectFile(u"small.lge"_s));
  EXPECT_FALSE(browser->SelectFile(u"x.lgex"_s));
  const QPoint at = files->visualItemRect(files->currentItem()).center();
  QTest::mouseClick(files->viewport(), Qt::LeftButton, {}, at);
  EXPECT_EQ(activated.count(), 0);  // one click only selects
  QTest::mouseDClick(files->viewport(), Qt::LeftButton, {}, at);
  ASSERT_EQ(activated.count(), 1);
  EXPECT_EQ(activated[0][0].toString(), dir.filePath(u"small.lge"_s));

  files->setFocus();
  ASSERT_TRUE(browser->SelectFile(u"BIG.LGE"_s));
  QTest::keyClick(files, Qt::Key_Return);
  QTest::keyClick(files, Qt::Key_Enter, Qt::KeypadModifier);
  ASSERT_EQ(activated.count(), 3);
  EXPECT_EQ(activated[1][0].toString(), dir.filePath(u"BIG.LGE"_s));
  EXPECT_EQ(activated[2][0].toString(), dir.filePath(u"BIG.LGE"_s));
  EXPECT_EQ(browser->SelectedFile(), dir.filePath(u"BIG.LGE"_s));

  // Enter with no file selected does nothing.
  files->clearSelection();
  EXPECT_TRUE(browser->SelectedFile().isEmpty());
  EXPECT_EQ(browser->CurrentFile(), dir.filePath(u"BIG.LGE"_s));
  QTest::keyClick(files, Qt::Key_Return);
  EXPECT_EQ(activated.count(), 3);
}

TEST_F(LeagueBrowserTest, EachControlGivesItsHelpOnFocus) {
  QSignalSpy help(browser.get(), &LeagueBrowser::helpText);
  browser->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(browser.get()));
  const std::pair<QWidget*, const char*> controls[] = {
      {browser->DriveList(), kHelpDrive}, {browser->FolderTree(), kHelpDir}, {browser->FileList(), kHelpFile}};
  for (const auto& [control, text] : controls) {
    control->clearFocus();  // the first control may hold the focus already
    QApplication::processEvents();
    help.clear();
    control->setFocus();
    QApplication::processEvents();
    ASSERT_GE(help.count(), 1) << text;
    EXPECT_EQ(help.last()[0].toString(), QString::fromLatin1(text));
  }
  EXPECT_EQ(QString::fromLatin1(kHelpFile), u"Select league, to use for drafting, by double-clicking the name."_s);
}

}  // namespace
}  // namespace pm::widgets
