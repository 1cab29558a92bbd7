// The client's windows: league selection, Draftees, chat, draft list and the
// main window, driven as an owner would, against a real draft server engine.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QWidgetItem>

#include <algorithm>

#include <filesystem>
#include <fstream>

#include "client/ClientSettings.h"
#include "client/ui/Client.h"
#include "client/ui/DraftListWindow.h"
#include "client/ui/DrafteesWindow.h"
#include "client/ui/LeagueSelect.h"
#include "client/ui/MyListWindow.h"
#include "client/ui/PublicChat.h"
#include "client/ui/UpNextWindow.h"
#include "common/Files.h"
#include "protocol/Protocol.h"
#include "tests/client/ClientTestKit.h"
#include "tests/support/ShownLine.h"
#include "widgets/ChatPanel.h"
#include "widgets/DraftBoardView.h"
#include "widgets/DrafteeFind.h"
#include "widgets/DrafteeList.h"
#include "widgets/Widgets.h"

using namespace Qt::StringLiterals;

namespace pm::test {
namespace {

namespace fs = std::filesystem;
using client::LeagueSelect;
using client::PublicChat;
using client::UpNextWindow;
using widgets::kHelpFile;

// A main window over a scripted prompter, its end of program counted.
struct TestWindow {
  ScriptedPrompter prompter;
  RecordingSound sound;
  Client client{&prompter};
  int ended = 0;
  TestWindow() {
    client.Session().endProgram = [this] { ++ended; };
    client.Session().SetSoundPlayer(&sound);
    client.Session().reporter.showMessage = [](const std::string&) {};
    client.Session().reporter.endProgram = [] {};
    client.show();
  }
  ClientSession& S() { return client.Session(); }
  LeagueSelect* OpenLeagueWindow() {
    client.OnConnectMenu();
    return client.LeagueWindow();
  }
  bool Sent(const std::string& m) const {
    for (const auto& s : const_cast<TestWindow*>(this)->S().SentLog())
      if (s == m) return true;
    return false;
  }
};

void SelectFile(LeagueSelect* w, const QString& name) {
  auto items = w->FileList()->findItems(name, Qt::MatchExactly);
  ASSERT_EQ(items.size(), 1) << name.toStdString();
  w->FileList()->setCurrentItem(items[0]);
}

QString LeagueFileName(const SampleLeague& league) {
  return QString::fromStdString(fs::path(league.leagueFile).filename().string());
}

// Loads `league` and chooses team `team` through the league window.
void LoadAndChoose(LeagueSelect* w, const SampleLeague& league, int team) {
  w->SetFolder(QString::fromStdString(league.Folder()));
  SelectFile(w, LeagueFileName(league));
  w->LoadLeague();
  w->TeamList()->setCurrentIndex(team - 1);
  w->OnTeamChosen();
}

TEST(LeagueSelectWindow, LoadMessages) {
  TestWindow win;
  LeagueSelect* w = win.OpenLeagueWindow();
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->windowTitle(), u"Pickmill Client- League/Team Selection"_s);
  EXPECT_FALSE(w->TeamList()->isEnabled());
  EXPECT_FALSE(w->AddressBox()->isEnabled());

  QTemporaryDir junk;
  // A league chunk of a version the game never wrote.
  std::ofstream(junk.filePath(u"BAD.LGE"_s).toStdString(), std::ios::binary) << "L09:" << std::string(80, '\0');
  std::ofstream(junk.filePath(u"TRASH.LGE"_s).toStdString()) << "no chunks here";
  std::ofstream(junk.filePath(u"other.lge"_s).toStdString()) << "x";
  std::ofstream(junk.filePath(u"notes.txt"_s).toStdString()) << "x";
  w->SetFolder(junk.path());
  EXPECT_EQ(w->FileList()->count(), 3);  // u".lge"_s in any case, nothing else
  SelectFile(w, u"BAD.LGE"_s);
  w->LoadLeague();
  ASSERT_EQ(win.prompter.asked.size(), 1u);
  EXPECT_EQ(win.prompter.asked[0].title, "ERROR");
  EXPECT_EQ(win.prompter.asked[0].text, "Unable to determine version of the " + junk.filePath(u"BAD"_s).toStdString() +
                                            " league file. Select another league.");
  EXPECT_TRUE(w->IncludeFreeAgentsBox()->isEnabled());
  EXPECT_TRUE(w->HelpLabel()->text().isEmpty());
  EXPECT_EQ(w->TeamList()->count(), 0);
  EXPECT_EQ(win.S().reporter.errorFilePath, junk.filePath(u"PK-ERROR.TXT"_s).toStdString());
  // A file that is no league at all is a read past its end: a run-time error.
  SelectFile(w, u"TRASH.LGE"_s);
  w->LoadLeague();
  EXPECT_EQ(win.S().reporter.reports, 1);
  EXPECT_EQ(win.prompter.asked.size(), 1u);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);

  // A league file with its league chunk only: no teams.
  SampleLeague noTeams;
  {
    std::string bytes = *ReadWholeFile(noTeams.leagueFile);
    std::ofstream(noTeams.leagueFile, std::ios::binary | std::ios::trunc) << bytes.substr(0, 52);
  }
  w->SetFolder(QString::fromStdString(noTeams.Folder()));
  SelectFile(w, LeagueFileName(noTeams));
  w->LoadLeague();
  EXPECT_EQ(win.prompter.asked.back().title, "ERROR");
  EXPECT_EQ(win.prompter.asked.back().text, "No teams found in league file.");

  league::SampleOptions noCollege;
  noCollege.college = 0;
  noCollege.freeAgents = 40;
  SampleLeague faOnly(noCollege);
  w->SetFolder(QString::fromStdString(faOnly.Folder()));
  SelectFile(w, LeagueFileName(faOnly));
  w->LoadLeague();
  EXPECT_EQ(win.prompter.asked.back().title, "");
  EXPECT_EQ(win.prompter.asked.back().text, "No college draftees were found in league selected.");
  EXPECT_EQ(w->HelpLabel()->text().toStdString(), kHelpFile);
  EXPECT_TRUE(w->IncludeFreeAgentsBox()->isEnabled());

  // Ticked, the free agents alone make the pool.
  const std::size_t asked = win.prompter.asked.size();
  w->IncludeFreeAgentsBox()->setChecked(true);
  w->LoadLeague();
  EXPECT_EQ(win.prompter.asked.size(), asked);
  EXPECT_EQ(win.S().league.drafteeCount, 40);
  EXPECT_TRUE(win.S().league.includeFreeAgents);
  EXPECT_EQ(w->TeamList()->count(), 12);

  league::SampleOptions empty;
  empty.college = 0;
  empty.freeAgents = 0;
  SampleLeague nobody(empty);
  w->IncludeFreeAgentsBox()->setEnabled(true);
  w->SetFolder(QString::fromStdString(nobody.Folder()));
  SelectFile(w, LeagueFileName(nobody));
  w->LoadLeague();
  EXPECT_EQ(win.prompter.asked.back().text, "No players were found in league selected.");
  EXPECT_TRUE(w->IncludeFreeAgentsBox()->isEnabled());
}

// A league in a folder whose name is not ASCII ("Müller Liga"): the window
// hands its path over in the file-name encoding, so it loads and errors are
// filed beside it, and its messages name the path as it is.
TEST(LeagueSelectWindow, ALeagueInAFolderWithAnAccentedName) {
  QTemporaryDir base;
  const QString folder = base.filePath(u"Müller Liga"_s);
  ASSERT_TRUE(QDir().mkpath(folder));
  const std::string leaguePath = league::WriteSampleLeague(widgets::NativePath(folder), {});
  {
    QFile bad(folder + u"/BAD.LGE"_s);
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write(QByteArray("L09:") + QByteArray(80, '\0'));
  }
  TestWindow win;
  LeagueSelect* w = win.OpenLeagueWindow();
  w->SetFolder(folder);
  SelectFile(w, u"BAD.LGE"_s);
  w->LoadLeague();
  ASSERT_EQ(win.prompter.asked.size(), 1u);
  EXPECT_EQ(widgets::Shown(win.prompter.asked[0].text, win.prompter.asked[0].coding),
            u"Unable to determine version of the "_s + folder + u"/BAD league file. Select another league."_s);

  SelectFile(w, QFileInfo(widgets::ShownPath(league::LeagueFileName(leaguePath, ".LGE"))).fileName());
  w->LoadLeague();
  EXPECT_EQ(win.prompter.asked.size(), 1u);
  EXPECT_EQ(w->TeamList()->count(), 12);
  EXPECT_EQ(win.S().league.leaguePath, leaguePath);
  EXPECT_EQ(win.S().reporter.errorFilePath, widgets::NativePath(folder + u"/PK-ERROR.TXT"_s));
  win.S().reporter.Report("Client_Socket1_Read", kErrDeviceIO, "Device I/O error");
  EXPECT_TRUE(QFile::exists(folder + u"/PK-ERROR.TXT"_s));
}

TEST(LeagueSelectWindow, FullLoadTeamChoiceAndAddressRules) {
  SampleLeague league;
  TestServer server(league, true);
  TestWindow win;
  win.S().SetPort(server.Port());
  LeagueSelect* w = win.OpenLeagueWindow();
  w->IncludeFreeAgentsBox()->setChecked(true);
  w->SetFolder(QString::fromStdString(league.Folder()));
  SelectFile(w, LeagueFileName(league));
  w->LoadLeague();
  EXPECT_TRUE(win.prompter.asked.empty());
  EXPECT_EQ(win.S().league.drafteeCount, 300 + 150);     // college draftees and free agents together
  EXPECT_FALSE(w->IncludeFreeAgentsBox()->isEnabled());  // fixed for the session
  EXPECT_TRUE(w->TeamList()->isEnabled());
  EXPECT_EQ(w->TeamList()->count(), 12);
  EXPECT_EQ(w->TeamList()->currentText(), u""_s);
  EXPECT_EQ(w->HelpLabel()->text().toStdString(), kHelpTeams);

  w->TeamList()->setCurrentIndex(2);
  w->OnTeamChosen();
  EXPECT_EQ(win.S().OwnTeamName(), "Boston Bulldogs");
  EXPECT_EQ(win.S().OwnTeamIndex(), 3);
  EXPECT_TRUE(w->AddressBox()->isEnabled());
  EXPECT_EQ(w->HelpLabel()->text().toStdString(), kHelpAddress);

  // A folder change empties the team list; the next key disables the address box.
  w->SetFolder(QDir::tempPath());
  EXPECT_EQ(w->TeamList()->count(), 0);
  EXPECT_FALSE(w->TeamList()->isEnabled());
  EXPECT_EQ(win.S().OwnTeamIndex(), 3);
  EXPECT_TRUE(w->AddressBox()->isEnabled());
  QTest::keyClick(w->AddressBox(), Qt::Key_1);
  EXPECT_FALSE(w->AddressBox()->isEnabled());
  EXPECT_EQ(w->AddressBox()->text(), u""_s);

  // Loaded again and a team chosen: Enter in an empty box does nothing.
  LoadAndChoose(w, league, 3);
  ASSERT_TRUE(w->AddressBox()->isEnabled());
  QTest::keyClick(w->AddressBox(), Qt::Key_Return);
  EXPECT_FALSE(win.S().Connected());
  EXPECT_EQ(win.client.windowTitle(), u"Pickmill - Client - 3.03"_s);

  QTest::keyClicks(w->AddressBox(), u" 127.0.0.1 "_s);
  const std::size_t asked = win.prompter.asked.size();
  QTest::keyClick(w->AddressBox(), Qt::Key_Return);
  QTest::keyClick(w->AddressBox(), Qt::Key_Return);  // again while it connects: nothing to report
  EXPECT_EQ(win.prompter.asked.size(), asked);
  ASSERT_TRUE(WaitFor([&] { return win.S().Connected() && server.engine.Team(3).signedOn; }));
  EXPECT_EQ(win.client.windowTitle(), u"Pickmill - Client - 3.03 - Boston Bulldogs - Connected."_s);
  ASSERT_TRUE(WaitFor([&] { return win.client.LeagueWindow() == nullptr; }));  // closed on connect
  EXPECT_TRUE(win.client.ConnectAction()->isChecked());
  EXPECT_TRUE(win.client.ViewMenu()->menuAction()->isEnabled());
  EXPECT_TRUE(win.client.WindowMenu()->menuAction()->isEnabled());
}

// A main window signed on for team 1, loaded like the league window does.
struct ConnectedWindow : TestWindow {
  explicit ConnectedWindow(const SampleLeague& league, quint16 port) {
    S().SetPort(port);
    EXPECT_TRUE(S().LoadLeague(league.leagueFile, false).Ok());
    S().ChooseTeam(league.teams[0]);
  }
  bool Connect() {
    return S().Connect("127.0.0.1") && WaitFor([&] { return S().Connected(); });
  }
};

TEST(MainWindow, MenusCaptionAndDisconnectConfirmation) {
  SampleLeague league;
  TestServer server(league);
  ConnectedWindow win(league, server.Port());
  EXPECT_EQ(win.client.objectName(), u"Client"_s);
  EXPECT_EQ(win.client.windowTitle(), u"Pickmill - Client - 3.03"_s);
  EXPECT_FALSE(win.client.ConnectAction()->isChecked());
  EXPECT_FALSE(win.client.ViewMenu()->menuAction()->isEnabled());
  EXPECT_FALSE(win.client.WindowMenu()->menuAction()->isEnabled());
  ASSERT_TRUE(win.Connect());
  ASSERT_TRUE(WaitFor([&] { return server.engine.Team(1).signedOn; }));

  win.client.DisconnectAction()->trigger();
  ASSERT_EQ(win.prompter.asked.size(), 1u);
  EXPECT_EQ(win.prompter.asked[0].text, "Are you sure you want to disconnect?");
  EXPECT_EQ(win.prompter.asked[0].buttons, PromptButtons::YesNo);
  EXPECT_EQ(win.prompter.asked[0].icon, PromptIcon::Question);
  EXPECT_EQ(win.prompter.asked[0].defaultButton, PromptAnswer::No);
  EXPECT_EQ(win.ended, 0);
  EXPECT_TRUE(win.client.ConnectAction()->isChecked());  // No: still connected
  EXPECT_TRUE(win.S().Connected());

  // Picks open the draft list; closing it discards its lines.
  win.S().HandleMessage("Z|2|0|101,Joe Smith,QB,1-1");
  ASSERT_NE(win.client.DraftList(), nullptr);
  EXPECT_EQ(win.client.DraftList()->List()->count(), 1);
  EXPECT_EQ(win.client.DraftList()->List()->item(0)->text(),
            u"  1-1  Joe Smith                QB Austin Outlaws      101  "_s);
  win.client.DraftList()->parentWidget()->close();
  QApplication::processEvents();
  win.S().HandleMessage("Z|3|0|102,Al Jones,K,1-2");
  ASSERT_NE(win.client.DraftList(), nullptr);
  EXPECT_EQ(win.client.DraftList()->List()->count(), 1);
  win.S().HandleMessage("Y|0|0|9-9");  // a redraw brings every pick back
  EXPECT_EQ(win.client.DraftList()->List()->count(), 2);

  // Window > Arrange Icons: the minimised windows go to the bottom, side by side.
  win.client.OnChatMenu();
  QApplication::processEvents();
  QList<QMdiSubWindow*> icons;
  for (QMdiSubWindow* sub : win.client.MdiArea()->subWindowList(QMdiArea::CreationOrder))
    if (sub->isVisible()) icons << sub;
  ASSERT_EQ(icons.size(), 4);  // the room opened at sign-on
  for (QMdiSubWindow* sub : icons) {
    sub->showMinimized();
    sub->move(40, 40);
  }
  QAction* arrange = win.client.findChild<QAction*>(u"ArrangeMenu"_s);
  ASSERT_NE(arrange, nullptr);
  arrange->trigger();
  const int bottom = win.client.MdiArea()->viewport()->height();
  EXPECT_EQ(icons[0]->pos(), QPoint(0, bottom - icons[0]->height()));
  EXPECT_EQ(icons[1]->pos(), QPoint(icons[0]->width(), bottom - icons[1]->height()));

  win.prompter.answers = {PromptAnswer::Yes};
  win.client.ConnectAction()->trigger();
  EXPECT_EQ(win.ended, 1);
  EXPECT_TRUE(WaitFor([&] { return !server.engine.Team(1).signedOn; }));
}

TEST(DrafteesWindowTest, PicksOnlyOnTheClockAndNoLeavesEverything) {
  SampleLeague league;
  TestServer server(league);
  ConnectedWindow win(league, server.Port());
  ASSERT_TRUE(win.Connect());
  ASSERT_TRUE(WaitFor([&] { return server.engine.Team(1).signedOn; }));
  win.client.OnDrafteesMenu();
  DrafteesWindow* d = win.client.Draftees();
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(d->objectName(), u"Draftees"_s);
  QListWidget* list = d->List()->RookieList();
  const int qbs = list->count();
  ASSERT_GT(qbs, 2);
  EXPECT_EQ(d->List()->PositionCaption(), "QB");

  // Not on the clock: Enter and double-click do nothing, no message.
  list->setCurrentRow(0);
  QTest::keyClick(list, Qt::Key_Return);
  emit list->itemDoubleClicked(list->item(0));
  EXPECT_TRUE(win.prompter.asked.empty());
  EXPECT_EQ(list->count(), qbs);

  ASSERT_EQ(server.OnClock(1, 30), server::DraftServer::ClockResult::Started);
  ASSERT_TRUE(WaitFor([&] { return win.S().TimerRunning(); }));
  EXPECT_EQ(d->TimeLeftLabel()->text(), u"30"_s);
  EXPECT_EQ(win.sound.played.size(), 1u);

  // No: the list, the clock and the wire stay as they were.
  const QString line = list->item(1)->text();
  const draft::LineSelection sel = draft::ReadLine(line.toLatin1().toStdString());
  list->setCurrentRow(1);
  QTest::keyClick(list, Qt::Key_Return);
  ASSERT_EQ(win.prompter.asked.size(), 1u);
  EXPECT_EQ(win.prompter.asked[0].title, "Draft Selection");
  EXPECT_EQ(win.prompter.asked[0].text, "Are you sure you want to select " + sel.name + "?");
  EXPECT_EQ(win.prompter.asked[0].defaultButton, PromptAnswer::No);
  EXPECT_EQ(list->count(), qbs);
  EXPECT_TRUE(win.S().TimerRunning());
  for (const auto& m : win.S().SentLog()) EXPECT_NE(m[0], 'D');

  // Time runs out while the box is open: the pick is not sent.
  win.prompter.answerer = [&](const PromptRequest&) {
    while (win.S().ClockSeconds() > 0) win.S().Tick();
    return PromptAnswer::Yes;
  };
  emit list->itemDoubleClicked(list->item(1));
  EXPECT_EQ(list->count(), qbs);
  for (const auto& m : win.S().SentLog()) EXPECT_NE(m[0], 'D');
  EXPECT_TRUE(win.Sent("T|1|0|failed to make a selection within the allotted time."));
  EXPECT_EQ(d->TimeLeftLabel()->text(), u""_s);

  // On the clock again, Yes: D goes out and the line leaves at once.
  win.prompter.answerer = nullptr;
  ASSERT_TRUE(server.engine.Halt());
  ASSERT_TRUE(WaitFor([&] { return win.sound.played.size() == 2; }));  // the buzzer
  ASSERT_EQ(server.OnClock(1, 30), server::DraftServer::ClockResult::Started);
  ASSERT_TRUE(WaitFor([&] { return win.S().TimerRunning(); }));
  win.S().Tick();
  win.prompter.answers = {PromptAnswer::Yes};
  list->setCurrentRow(1);
  QTest::keyClick(list, Qt::Key_Return);
  EXPECT_TRUE(win.Sent("D|1|0|" + sel.pidText + "," + sel.name + ",QB"));
  EXPECT_EQ(list->count(), qbs - 1);
  EXPECT_FALSE(win.S().TimerRunning());
  EXPECT_EQ(d->TimeLeftLabel()->text(), u"29"_s);
  ASSERT_TRUE(WaitFor([&] { return win.S().PickCount() == 1; }));
  EXPECT_EQ(d->TimeLeftLabel()->text(), u""_s);
  EXPECT_EQ(list->count(), qbs - 1);  // rebuilt without the player
  for (int i = 0; i < list->count(); ++i) EXPECT_NE(list->item(i)->text(), line);
}

TEST(ChatWindow, RecipientsSendingAndTranscript) {
  SampleLeague league;
  TestServer server(league);
  TestClient b(league, 2, server.Port());
  ASSERT_TRUE(b.Connect());
  ConnectedWindow win(league, server.Port());
  ASSERT_TRUE(win.Connect());
  ASSERT_TRUE(WaitFor([&] { return win.S().SignedOn(2) && server.engine.Team(1).signedOn; }));
  b.view.chatOpen = true;

  win.client.OnChatMenu();
  PublicChat* chat = win.client.Chat();
  ASSERT_NE(chat, nullptr);
  EXPECT_EQ(chat->windowTitle(), u"Chat"_s);
  QComboBox* to = chat->RecipientList();
  EXPECT_FALSE(to->isEditable());
  ASSERT_EQ(to->count(), 3);
  EXPECT_EQ(to->itemText(0), u"All Members"_s);
  EXPECT_EQ(to->itemText(1), u"Commish"_s);
  EXPECT_EQ(to->itemText(2), u"Austin Outlaws"_s);
  EXPECT_EQ(to->currentIndex(), 0);

  QTest::keyClick(chat->InputLine(), Qt::Key_Return);  // empty: nothing
  EXPECT_FALSE(win.Sent("C|1|0|"));
  QTest::keyClicks(chat->InputLine(), u"hello there"_s);
  QTest::keyClick(chat->InputLine(), Qt::Key_Return);
  EXPECT_EQ(chat->InputLine()->text(), u""_s);
  EXPECT_TRUE(win.Sent("C|1|0|hello there"));
  ASSERT_TRUE(WaitFor([&] { return b.view.ChatHas("Albany Admirals: hello there"); }));
  ASSERT_TRUE(WaitFor([&] { return chat->Transcript().contains(u"Albany Admirals: hello there\r\n"_s); }));
  EXPECT_EQ(chat->Transcript().count(u"hello there"_s), 1);

  to->setCurrentIndex(2);
  QTest::keyClicks(chat->InputLine(), u"psst"_s);
  QTest::keyClick(chat->InputLine(), Qt::Key_Return);
  EXPECT_TRUE(chat->Transcript().contains(u"Private to Austin Outlaws: psst\r\n"_s));
  ASSERT_TRUE(WaitFor([&] { return b.view.ChatHas("Private from Albany Admirals: psst"); }));

  // The transcript hands the focus to the input line.
  chat->TranscriptBox()->setFocus();
  QApplication::processEvents();
  EXPECT_TRUE(chat->InputLine()->hasFocus() || !chat->isActiveWindow());

  // A team leaving is taken off the list.
  b.session.Disconnect();
  ASSERT_TRUE(WaitFor([&] { return to->count() == 2; }));
  EXPECT_TRUE(chat->Transcript().contains(u"*** Austin Outlaws *** has left the draft.\r\n"_s));

  // The transcript keeps the last 10,000 lines.
  for (int i = 1; i <= widgets::kMaxChatLines + 5; ++i) chat->Append("line " + std::to_string(i));
  EXPECT_EQ(chat->TranscriptBox()->blockCount(), widgets::kMaxChatLines);
  EXPECT_TRUE(chat->Transcript().endsWith(u"line 10005\r\n"_s));
  EXPECT_FALSE(chat->Transcript().contains(u"line 5\r\n"_s));

  // Closed, the chat window loses public lines; a private line reopens it.
  chat->parentWidget()->close();
  QApplication::processEvents();
  EXPECT_EQ(win.client.Chat(), nullptr);
  server.engine.CommishChat(0, "lost line");
  server.engine.CommishChat(1, "kept line");
  ASSERT_TRUE(WaitFor([&] { return win.client.Chat() != nullptr; }));
  ASSERT_TRUE(
      WaitFor([&] { return win.client.Chat()->Transcript().contains(u"Private from the Commish: kept line"_s); }));
  EXPECT_FALSE(win.client.Chat()->Transcript().contains(u"lost line"_s));
  EXPECT_EQ(win.client.Chat()->RecipientList()->count(), 2);  // rebuilt at load: nobody else is on
}

// My List: Insert in Draftees and "Add to My List" add the selected player,
// Ctrl+Up and Delete change the list, a pick takes the player off it, and
// the boxes turn the automatic picks on.
TEST(MyListWindowTest, AddMoveRemoveAndAutoPickBoxes) {
  SampleLeague league;
  TestServer server(league);
  ConnectedWindow win(league, server.Port());
  QTemporaryDir config;
  win.S().SetWishListFolder(config.path());
  ASSERT_TRUE(win.Connect());
  win.client.OnDrafteesMenu();
  QListWidget* draftees = win.client.Draftees()->List()->RookieList();
  win.client.findChild<QAction*>(u"MyListMenu"_s)->trigger();
  client::MyListWindow* my = win.client.MyList();
  ASSERT_NE(my, nullptr);
  EXPECT_EQ(my->objectName(), u"MyList"_s);
  QListWidget* lines = my->List();

  draftees->setCurrentRow(0);
  QTest::keyClick(draftees, Qt::Key_Insert);
  draftees->setCurrentRow(1);
  my->findChild<QPushButton*>(u"AddToMyList"_s)->click();
  ASSERT_EQ(lines->count(), 2);
  EXPECT_EQ(lines->item(0)->text(), u"QB  "_s + draftees->item(0)->text());
  EXPECT_EQ(lines->currentRow(), 1);  // the player just added
  QTest::keyClick(lines, Qt::Key_Up, Qt::ControlModifier);
  EXPECT_EQ(lines->item(0)->text(), u"QB  "_s + draftees->item(1)->text());
  EXPECT_EQ(lines->currentRow(), 0);
  QTest::keyClick(lines, Qt::Key_Delete);
  ASSERT_EQ(lines->count(), 1);
  const draft::LineSelection left = draft::ReadLine(draftees->item(0)->text().toLatin1().toStdString());
  EXPECT_EQ(win.S().Wishes().Pids(), std::vector<int>{std::stoi(left.pidText)});

  win.S().HandleMessage("Z|2|0|" + left.pidText + "," + left.name + ",QB,1-1");
  EXPECT_EQ(lines->count(), 0);

  EXPECT_FALSE(my->AutoPickLateBox()->isChecked());
  EXPECT_FALSE(my->AutoPickAtOnceBox()->isChecked());
  my->AutoPickLateBox()->click();
  my->AutoPickAtOnceBox()->click();
  EXPECT_TRUE(win.S().AutoPickLate());
  EXPECT_TRUE(win.S().AutoPickAtOnce());
}

// The league window starts from the last connection (folder, league file,
// team once loaded, address) and the main window's size comes back.
TEST(ClientSettingsTest, LastConnectionAndLayoutComeBack) {
  SampleLeague league;
  TestServer server(league);
  QTemporaryDir dir;
  client::ClientSettings settings(dir.filePath(u"PKClient.ini"_s));
  {
    TestWindow win;
    win.S().SetPort(server.Port());
    win.S().SetWishListFolder(dir.path());
    win.client.UseSettings(&settings);
    LeagueSelect* w = win.OpenLeagueWindow();
    LoadAndChoose(w, league, 3);
    QTest::keyClicks(w->AddressBox(), u"127.0.0.1"_s);
    QTest::keyClick(w->AddressBox(), Qt::Key_Return);
    ASSERT_TRUE(WaitFor([&] { return win.S().Connected(); }));
    win.client.resize(720, 480);
    win.client.close();
  }
  TestWindow again;
  again.client.UseSettings(&settings);
  EXPECT_EQ(again.client.size(), QSize(720, 480));
  LeagueSelect* w = again.OpenLeagueWindow();
  EXPECT_EQ(w->AddressBox()->text(), u"127.0.0.1"_s);
  ASSERT_NE(w->FileList()->currentItem(), nullptr);
  EXPECT_EQ(w->FileList()->currentItem()->text(), LeagueFileName(league));
  w->LoadLeague();
  EXPECT_EQ(w->TeamList()->currentText(), u"Boston Bulldogs"_s);
  EXPECT_EQ(again.S().OwnTeamIndex(), 3);
  EXPECT_TRUE(w->AddressBox()->isEnabled());
}

TEST(DraftBoardWindowTest, BoardAndFindFollowPicksAndDeletesOfEveryPosition) {
  SampleLeague league;
  TestServer server(league);
  ConnectedWindow win(league, server.Port());
  ASSERT_TRUE(win.Connect());
  win.client.findChild<QAction*>(u"DraftBoardMenu"_s)->trigger();
  widgets::DraftBoardView* board = win.client.DraftBoard();
  ASSERT_NE(board, nullptr);
  EXPECT_EQ(board->parentWidget()->objectName(), u"DraftBoardWindow"_s);  // an MDI child
  QTableWidget* grid = board->Grid();
  EXPECT_EQ(grid->columnCount(), win.S().TeamCount());

  // The Draftees window shows QB; the kicker found there leaves the results
  // when he is picked and comes back when his pick is deleted.
  win.client.OnDrafteesMenu();
  widgets::DrafteeFind* find = win.client.Draftees()->List()->Find();
  ASSERT_FALSE(win.S().league.table.Of(13).empty());
  const draft::Player& k = win.S().league.table.Of(13)[0];
  find->Box()->setText(widgets::L1(k.fname + " " + k.lname));
  const auto count = [&] {
    return std::count_if(find->Matches().begin(), find->Matches().end(),
                         [&](const draft::Found& f) { return f.pid == k.pid; });
  };
  ASSERT_EQ(count(), 1);
  EXPECT_FALSE(find->Header()->isHidden());  // column titles over the results
  EXPECT_TRUE(find->Header()->text().startsWith(u"Pos PID"_s));
  win.S().HandleMessage("Z|1|0|" + std::to_string(k.pid) + "," + k.fname + " " + k.lname + ",K,1-1");
  win.S().HandleMessage("Z|2|0|9999,Al Jones,QB,1-2");
  EXPECT_EQ(count(), 0);
  ASSERT_NE(grid->item(0, 0), nullptr);
  EXPECT_EQ(grid->item(0, 0)->text(), widgets::L1(k.fname + " " + k.lname + "  K\n" + win.S().OwnTeamName()));
  EXPECT_EQ(grid->item(0, 0)->background().color(), widgets::DraftBoardView::OwnColour());
  EXPECT_NE(grid->item(0, 1)->background().color(), widgets::DraftBoardView::OwnColour());
  win.S().HandleMessage("Y|0|0|1-1");
  EXPECT_EQ(grid->item(0, 0), nullptr);
  EXPECT_EQ(count(), 1);
}

// The owner's room: the banner over the Draftees counts down and says who
// is on the clock, Up Next follows the order (a snake with a traded pick),
// the owner is told once when on deck, and the board is headed by team.
TEST(OwnersRoom, BannerUpNextOnDeckAndBoardByTeam) {
  SampleLeague league;
  TestServer server(league);
  ConnectedWindow win(league, server.Port());
  int64_t now = 1'000'000;
  win.S().clock = [&now] { return now; };
  std::vector<QString> notices;
  win.client.showNotice = [&notices](const QString&, const QString& text) { notices.push_back(text); };
  win.client.NoticesAction()->setChecked(true);
  ASSERT_TRUE(win.Connect());
  // After sign-on the Draftees, Up Next, Draft List and Chat are open.
  ASSERT_NE(win.client.Draftees(), nullptr);
  ASSERT_NE(win.client.UpNextView(), nullptr);
  EXPECT_NE(win.client.DraftList(), nullptr);
  EXPECT_NE(win.client.Chat(), nullptr);
  QLabel* banner = win.client.Draftees()->Banner();
  EXPECT_TRUE(banner->isHidden());

  // Two rounds, snake; team 2's second-round pick went to team 1.
  const int n = win.S().TeamCount();
  ASSERT_GE(n, 3);
  std::vector<int> owners;
  for (int k = 1; k <= n; ++k) owners.push_back(k);
  for (int k = n; k >= 1; --k) owners.push_back(k);
  owners[static_cast<std::size_t>(2 * n - 2)] = 1;  // 2-(n-1), team 2's, traded to team 1
  for (const std::string& part : protocol::Order(n, owners)) win.S().HandleMessage(part);

  win.S().HandleMessage(protocol::OnClock(2, 90, {1, 2}));
  EXPECT_EQ(banner->text(), widgets::L1(win.S().TeamName(2)) + u" is on the clock \u2014 pick 1-2 \u2014 1:30"_s);
  now += 5'000;
  win.client.ClockChanged();
  EXPECT_TRUE(banner->text().endsWith(u"1:25"_s));
  UpNextWindow* upNext = win.client.UpNextView();
  EXPECT_EQ(upNext->OwnNextLabel()->text(), u"Your next pick: 2-%1, in %2 picks"_s.arg(n - 1).arg(2 * n - 3));
  EXPECT_TRUE(upNext->List()->item(0)->text().startsWith(u"1-2"_s));

  // The board: columns by team, the pick in progress marked, the traded
  // pick's owner named with the team it came from.
  win.client.findChild<QAction*>(u"DraftBoardMenu"_s)->trigger();
  QTableWidget* grid = win.client.DraftBoard()->Grid();
  ASSERT_EQ(grid->columnCount(), n);
  EXPECT_EQ(grid->horizontalHeaderItem(0)->text(), widgets::L1(win.S().TeamName(1)));
  EXPECT_EQ(grid->horizontalHeaderItem(2)->text(), widgets::L1(win.S().TeamName(3)));
  EXPECT_EQ(grid->item(0, 1)->background().color(), widgets::DraftBoardView::CurrentColour());
  EXPECT_EQ(grid->item(1, n - 2)->text(), widgets::L1(win.S().TeamName(1) + " (via " + win.S().TeamName(2) + ")"));
  EXPECT_EQ(grid->item(1, n - 2)->background().color(), widgets::DraftBoardView::OwnColour());

  // Team 1 is on deck when the pick before its own is on the clock: told
  // once, however often the clock is shown again.
  win.S().HandleMessage(protocol::OnClock(2, 60, {2, n - 2}));
  win.client.ClockChanged();
  EXPECT_EQ(upNext->OwnNextLabel()->text(), u"You are on deck \u2014 pick 2-%1"_s.arg(n - 1));
  EXPECT_EQ(notices, std::vector<QString>{u"You are on deck \u2014 pick 2-%1"_s.arg(n - 1)});

  // The own clock counts down each second, and a pause shows.
  win.S().HandleMessage(protocol::OnClock(1, 42, {2, n - 1}));
  EXPECT_EQ(banner->text().toStdString(),
            (u"You are on the clock \u2014 pick 2-%1 \u2014 0:42"_s.arg(n - 1)).toStdString());
  win.S().Tick();
  EXPECT_EQ(banner->text(), u"You are on the clock \u2014 pick 2-%1 \u2014 0:41"_s.arg(n - 1));
  EXPECT_EQ(notices.size(), 2u);
  win.S().HandleMessage(protocol::Paused(1, 41, {2, n - 1}));
  EXPECT_EQ(banner->text(), u"You are on the clock \u2014 pick 2-%1 \u2014 Paused"_s.arg(n - 1));

  // A halt ends the server's run and it sends an order without owners: the
  // order known stays. The draft is over when every pick of it is made, or
  // when the server says so (a pick passed for want of players).
  win.S().HandleMessage(protocol::Halted(1));
  for (const std::string& part : protocol::Order(0, {})) win.S().HandleMessage(part);
  EXPECT_TRUE(upNext->List()->item(0)->text().startsWith(u"1-1"_s));
  EXPECT_EQ(grid->horizontalHeaderItem(0)->text(), widgets::L1(win.S().TeamName(1)));
  for (int k = 0; k < 2 * n; ++k)
    win.S().HandleMessage(protocol::Picked(owners[static_cast<std::size_t>(k)],
                                           {100 + k, "", "Al Jones", "QB", draft::PickLabel::FromOverall(k + 1, n)}));
  EXPECT_EQ(upNext->OwnNextLabel()->text(), u"The draft is over."_s);
  EXPECT_EQ(upNext->List()->count(), 0);
  win.S().HandleMessage(protocol::Deleted({2, n}));
  EXPECT_EQ(upNext->OwnNextLabel()->text(), u"You are up next \u2014 pick 2-%1"_s.arg(n));
  win.S().HandleMessage(protocol::DraftOver());
  EXPECT_EQ(upNext->OwnNextLabel()->text(), u"The draft is over."_s);
}

// The Draft List keeps label order (a pick made again goes back to its
// place) with the newest pick in view.
TEST(OwnersRoom, DraftListInLabelOrderWithTheNewestInView) {
  SampleLeague league;
  TestServer server(league);
  ConnectedWindow win(league, server.Port());
  ASSERT_TRUE(win.Connect());
  for (int s = 1; s <= 40; ++s)
    win.S().HandleMessage("Z|1|0|" + std::to_string(100 + s) + ",Al Jones,QB," + std::to_string(s / 10 + 1) + "-" +
                          std::to_string(s % 10 + 1));
  QListWidget* list = win.client.DraftList()->List();
  QApplication::processEvents();
  const auto inView = [list](int row) {
    return list->viewport()->rect().intersects(list->visualItemRect(list->item(row)));
  };
  EXPECT_TRUE(inView(list->count() - 1));
  win.S().HandleMessage("Y|0|0|1-5");
  win.S().HandleMessage("Z|1|0|999,Ed Brown,K,1-5");
  ASSERT_EQ(list->count(), 40);
  EXPECT_TRUE(list->item(3)->text().startsWith(u"  1-5  Ed Brown"_s));
  EXPECT_TRUE(inView(3));
}

// The Draftees window at 640x400 with the banner shown, and tiled in an
// 800x600 main window with the Find results open: nothing overlaps, leaves
// the window or is squeezed below its minimum, and the lists show a few
// lines.
TEST(OwnersRoom, DrafteesFitIn640By400AndTiled) {
  SampleLeague league;
  TestServer server(league);
  ConnectedWindow win(league, server.Port());
  win.client.resize(800, 600);
  ASSERT_TRUE(win.Connect());
  DrafteesWindow* d = win.client.Draftees();
  ASSERT_NE(d, nullptr);
  win.S().HandleMessage(protocol::OnClock(1, 42, {2, 5}));
  widgets::DrafteeList* list = d->List();
  widgets::DrafteeFind* find = list->Find();
  const auto rectIn = [d](QWidget* w) { return QRect(w->mapTo(d, QPoint(0, 0)), w->size()); };
  const auto lines = [](QListWidget* l) { return l->viewport()->height() / l->fontMetrics().lineSpacing(); };
  const auto fits = [&](const std::string& how) {
    QApplication::processEvents();
    std::vector<QWidget*> parts = {d->Banner(),
                                   d->TimeLeftLabel(),
                                   find,
                                   find->Header(),
                                   find->Results(),
                                   list->PositionButton(0)->parentWidget(),
                                   list->NameSortBox()->parentWidget(),
                                   list->HeaderLabel(),
                                   list->RookieList()};
    std::erase_if(parts, [](QWidget* w) { return !w->isVisible(); });
    for (int m = 0; m < draft::kRatingBoxes; ++m)
      EXPECT_TRUE(d->rect().contains(rectIn(list->RatingBox(m)))) << how << " " << m;
    for (std::size_t i = 0; i < parts.size(); ++i) {
      const std::string name = how + " " + parts[i]->objectName().toStdString();
      EXPECT_TRUE(d->rect().contains(rectIn(parts[i]))) << name;
      EXPECT_GE(parts[i]->height(), QWidgetItem(parts[i]).minimumSize().height()) << name;  // as layouts see it
      for (std::size_t j = i + 1; j < parts.size(); ++j)
        EXPECT_FALSE(rectIn(parts[i]).intersects(rectIn(parts[j])))
            << name << " " << parts[j]->objectName().toStdString();
    }
  };

  d->parentWidget()->showNormal();
  d->parentWidget()->resize(640, 400);
  fits("640x400");
  EXPECT_EQ(d->parentWidget()->size(), QSize(640, 400));
  EXPECT_GE(lines(list->RookieList()), 4);

  find->Box()->setText(u"a"_s);
  for (const QString& tile : {u"HorMenu"_s, u"VertMenu"_s}) {
    win.client.findChild<QAction*>(tile)->trigger();
    fits(tile.toStdString());
    EXPECT_TRUE(find->Results()->isVisible());
    EXPECT_GE(lines(find->Results()), 2) << tile.toStdString();
    EXPECT_GE(lines(list->RookieList()), 3) << tile.toStdString();
  }
}

}  // namespace
}  // namespace pm::test
