// The server's windows driven by simulated input against the engine, with
// scripted clients on loopback sockets.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSpinBox>
#include <QTableWidget>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>

#include "league/Sample.h"
#include "protocol/Protocol.h"
#include "server/engine/DraftServer.h"
#include "server/ui/DraftControl.h"
#include "server/ui/DraftOrderWindow.h"
#include "server/ui/LeagueSelect.h"
#include "server/ui/PublicChat.h"
#include "server/ui/ServerWindow.h"
#include "widgets/ChatPanel.h"
#include "widgets/DraftBoardView.h"
#include "widgets/DrafteeFind.h"
#include "widgets/DrafteeList.h"
#include "widgets/Widgets.h"

using namespace Qt::StringLiterals;

namespace pm {
namespace {

using namespace pm::server;
using namespace pm::widgets;

// A team owner's program reduced to its socket.
struct Client {
  QTcpSocket socket;
  std::string received;
  explicit Client(quint16 port) {
    QObject::connect(&socket, &QTcpSocket::readyRead, [this] { received += socket.readAll().toStdString(); });
    socket.connectToHost(QHostAddress::LocalHost, port);
  }
  bool Has(const std::string& text) {
    return QTest::qWaitFor([&] { return received.find(text) != std::string::npos; }, 3000);
  }
  void Send(const std::string& text) {
    socket.write(text.data(), static_cast<qint64>(text.size()));
    socket.flush();
  }
};

class ServerUiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    league::SampleOptions o;
    o.teams = 4;
    o.college = 60;
    o.freeAgents = 20;
    leaguePath = league::WriteSampleLeague(dir.path().toStdString(), o);
    engine.SetPort(0);
    engine.Reporter().endProgram = [] {};
    engine.Reporter().showMessage = [](const std::string&) {};
    window = std::make_unique<ServerWindow>(engine, prompter, dir.path());
    window->endProgram = [this] { ended = true; };
    window->show();
  }
  QString LeagueFileName() const {
    return QString::fromStdString(std::filesystem::path(leaguePath).filename().string() + ".LGE");
  }
  // Loads the sample league through the league window.
  void Load(bool freeAgents = false) {
    window->Start();
    LeagueSelect* ls = window->LeagueWindow();
    ASSERT_NE(ls, nullptr);
    ls->SetFolder(dir.path());
    ASSERT_TRUE(ls->SelectFile(LeagueFileName()));
    ls->FreeAgentsBox()->setChecked(freeAgents);
    QTest::keyClick(ls->FileList(), Qt::Key_Return);
    ASSERT_TRUE(engine.LeagueLoaded());
    dc = window->DraftControlWindow();
    ASSERT_NE(dc, nullptr);
  }
  std::unique_ptr<Client> SignOn(int team) {
    auto c = std::make_unique<Client>(engine.Port());
    EXPECT_TRUE(QTest::qWaitFor([&] { return c->socket.state() == QAbstractSocket::ConnectedState; }, 3000));
    c->Send(protocol::Login(team, "3.03", engine.DrafteeCount(), engine.LeagueName()));
    EXPECT_TRUE(QTest::qWaitFor([&] { return engine.Team(team).signedOn; }, 3000));
    return c;
  }
  int RowOf(const QString& name) {
    for (int i = 0; i < dc->TeamsList()->count(); ++i)
      if (dc->TeamsList()->item(i)->text().remove(u'*') == name) return i;
    return -1;
  }
  void PutOnClock(int team) {
    dc->TeamsList()->setCurrentRow(RowOf(L1(engine.Team(team).name)));
    QTest::keyClick(dc->TeamsList(), Qt::Key_Return);
  }

  QTemporaryDir dir;
  std::string leaguePath;
  ScriptedPrompter prompter;
  DraftServer engine;
  std::unique_ptr<ServerWindow> window;
  DraftControl* dc = nullptr;
  bool ended = false;
};

TEST_F(ServerUiTest, LoadingALeagueOpensDraftControlAndTheMenus) {
  EXPECT_EQ(window->windowTitle(), u"Pickmill - Server - 3.03 - Server Down"_s);
  EXPECT_TRUE(window->StartAction()->isEnabled());
  EXPECT_FALSE(window->ShutDownAction()->isEnabled());
  EXPECT_FALSE(window->ViewMenu()->isEnabled());
  EXPECT_FALSE(window->WindowMenu()->isEnabled());
  // League files are listed whatever the letter case of their extension.
  QFile::copy(dir.filePath(LeagueFileName()), dir.filePath(u"other.lge"_s));
  QFile::copy(dir.filePath(LeagueFileName()), dir.filePath(u"notes.txt"_s));
  window->Start();
  LeagueSelect* ls = window->LeagueWindow();
  ls->SetFolder(dir.path());
  QStringList files;
  for (int i = 0; i < ls->FileList()->count(); ++i) files << ls->FileList()->item(i)->text();
  EXPECT_EQ(files, (QStringList{u"other.lge"_s, LeagueFileName()}));
  EXPECT_EQ(ls->windowTitle(), u"Pickmill Server - League Selection"_s);
  ls->FileList()->setFocus();
  QApplication::processEvents();
  EXPECT_EQ(ls->HelpLabel()->text(), u"Select league, to use for drafting, by double-clicking the name."_s);

  Load(true);
  EXPECT_EQ(window->windowTitle(), u"Pickmill - Server - "_s + L1(engine.LeagueName()) + u" - Server Up."_s);
  EXPECT_FALSE(window->StartAction()->isEnabled());
  EXPECT_TRUE(window->ShutDownAction()->isEnabled());
  EXPECT_TRUE(window->ViewMenu()->isEnabled());
  EXPECT_TRUE(window->WindowMenu()->isEnabled());
  EXPECT_FALSE(ls->isVisible());
  EXPECT_FALSE(ls->FreeAgentsBox()->isEnabled());
  EXPECT_TRUE(IsFormShown(window->DraftControlFrame()));
  EXPECT_TRUE(engine.IncludeFreeAgents());
  EXPECT_EQ(engine.DrafteeCount(), 80);
  EXPECT_EQ(dc->TeamsList()->count(), 4);
  EXPECT_EQ(dc->TimeAllowedEdit()->text(), u"60"_s);
  EXPECT_EQ(dc->RoundEdit()->text(), u"1"_s);
  EXPECT_EQ(dc->SelectionEdit()->text(), u"1"_s);
  EXPECT_FALSE(dc->MergeButton()->isEnabled());  // no picks yet
  EXPECT_FALSE(dc->HaltButton()->isEnabled());
  EXPECT_TRUE(dc->Draftees()->PositionButton(0)->isChecked());
  EXPECT_TRUE(prompter.asked.empty());
  window->ShutDown();
  EXPECT_TRUE(ended);
}

TEST_F(ServerUiTest, RefusedLeaguesLeaveTheWindowOpen) {
  {
    std::ofstream bogus(dir.filePath(u"BOGUS.LGE"_s).toStdString(), std::ios::binary);
    // A league chunk of a version the program does not know.
    bogus << "xxL09:" << std::string(60, '\0');
  }
  window->Start();
  LeagueSelect* ls = window->LeagueWindow();
  ls->SetFolder(dir.path());
  ASSERT_TRUE(ls->SelectFile(u"BOGUS.LGE"_s));
  const QPoint at = ls->FileList()->visualItemRect(ls->FileList()->currentItem()).center();
  QTest::mouseClick(ls->FileList()->viewport(), Qt::LeftButton, {}, at);
  QTest::mouseDClick(ls->FileList()->viewport(), Qt::LeftButton, {}, at);
  ASSERT_EQ(prompter.asked.size(), 1u);
  EXPECT_EQ(prompter.asked[0].title, "ERROR");
  EXPECT_EQ(prompter.asked[0].text, "Unable to determine version of the " + dir.filePath(u"BOGUS"_s).toStdString() +
                                        " league file. Select another league.");
  EXPECT_EQ(prompter.asked[0].buttons, PromptButtons::Ok);
  EXPECT_FALSE(engine.LeagueLoaded());
  EXPECT_TRUE(ls->isVisible());
  EXPECT_FALSE(ls->FreeAgentsBox()->isEnabled());
  EXPECT_EQ(window->windowTitle(), u"Pickmill - Server - 3.03 - Server Down"_s);
  EXPECT_TRUE(ls->HelpLabel()->text().isEmpty());

  // A league without players.
  QTemporaryDir empty;
  league::SampleOptions o;
  o.name = "Empty League";
  o.college = 0;
  o.freeAgents = 0;
  league::WriteSampleLeague(empty.path().toStdString(), o);
  ls->SetFolder(empty.path());
  ASSERT_EQ(ls->FileList()->count(), 1);
  ls->FileList()->setCurrentRow(0);
  ls->LoadSelectedFile();
  ASSERT_EQ(prompter.asked.size(), 2u);
  EXPECT_EQ(prompter.asked[1].title, "Information.");
  EXPECT_EQ(prompter.asked[1].text, "No players found in the league files.");
  EXPECT_FALSE(engine.LeagueLoaded());
  // Nothing selected: nothing happens.
  ls->FileList()->clearSelection();
  ls->LoadSelectedFile();
  EXPECT_EQ(prompter.asked.size(), 2u);

  // A league file that ends after its league chunk: no teams.
  QTemporaryDir noTeams;
  o.name = "Lonely League";
  o.college = 10;
  const std::string lonely = league::WriteSampleLeague(noTeams.path().toStdString(), o);
  {
    const std::string lge = league::LeagueFileName(lonely, ".LGE");
    std::ifstream in(lge, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    in.close();
    std::ofstream(lge, std::ios::binary | std::ios::trunc) << bytes.substr(0, 52);
  }
  ls->SetFolder(noTeams.path());
  ASSERT_EQ(ls->FileList()->count(), 1);
  ls->FileList()->setCurrentRow(0);
  ls->LoadSelectedFile();
  ASSERT_EQ(prompter.asked.size(), 3u);
  EXPECT_EQ(prompter.asked[2].title, "ERROR");
  EXPECT_EQ(prompter.asked[2].text, "No teams found in league file.");
  EXPECT_FALSE(engine.LeagueLoaded());
  EXPECT_TRUE(ls->isVisible());
  EXPECT_EQ(window->windowTitle(), u"Pickmill - Server - 3.03 - Server Down"_s);
}

TEST_F(ServerUiTest, ResumeQuestionAnsweredBothWays) {
  league::VersionInfo v = league::GetVersion(leaguePath);
  const std::string draftFile = dir.filePath(QString::fromStdString(v.name + "-DRAFT.TXT")).toStdString();
  {
    const league::IdList college = league::ReadCollegeList(leaguePath);
    const league::TeamList teams = league::GetTeams(leaguePath);
    std::ofstream f(draftFile, std::ios::binary);
    f << college[1] << "|" << teams.names[1] << "|X Y|QB|1-1\r\n\r\n   \r\n"
      << college[2] << "|" << teams.names[4] << "|Z W|QB|1-4\r\n";
  }
  prompter.answers = {PromptAnswer::No};
  Load();
  ASSERT_EQ(prompter.asked.size(), 1u);
  EXPECT_EQ(prompter.asked[0].buttons, PromptButtons::YesNo);
  EXPECT_EQ(prompter.asked[0].icon, PromptIcon::Question);
  EXPECT_EQ(prompter.asked[0].defaultButton, PromptAnswer::No);  // a reflexive Enter keeps the draft
  EXPECT_NE(prompter.asked[0].text.find("There have been 2 players drafted so far."), std::string::npos);
  EXPECT_EQ(dc->SelectionsList()->count(), 2);
  EXPECT_EQ(dc->RoundEdit()->text(), u"2"_s);  // 4 teams: after 1-4 comes 2-1
  EXPECT_EQ(dc->SelectionEdit()->text(), u"1"_s);
  EXPECT_TRUE(dc->MergeButton()->isEnabled());  // picks and nobody connected

  // The same league in a second server once the first has let it go,
  // answered Yes: a fresh draft.
  engine.Unload();
  ScriptedPrompter p2;
  p2.answers = {PromptAnswer::Yes};
  DraftServer e2;
  e2.SetPort(0);
  ServerWindow w2(e2, p2, dir.path());
  w2.Start();
  w2.LeagueWindow()->SetFolder(dir.path());
  ASSERT_TRUE(w2.LeagueWindow()->SelectFile(LeagueFileName()));
  w2.LeagueWindow()->LoadSelectedFile();
  ASSERT_TRUE(e2.LeagueLoaded());
  EXPECT_EQ(w2.DraftControlWindow()->SelectionsList()->count(), 0);
  EXPECT_EQ(w2.DraftControlWindow()->RoundEdit()->text(), u"1"_s);
  EXPECT_EQ(w2.DraftControlWindow()->SelectionEdit()->text(), u"1"_s);
  EXPECT_EQ(std::filesystem::file_size(draftFile), 0u);
}

TEST_F(ServerUiTest, ConnectedTeamOnTheClockHaltAndKick) {
  Load();
  auto c = SignOn(2);
  const QString name = L1(engine.Team(2).name);
  ASSERT_TRUE(QTest::qWaitFor([&] { return dc->TeamsList()->item(RowOf(name))->text() == name + u"*"_s; }, 2000));
  PutOnClock(2);
  EXPECT_EQ(dc->TeamOnClockLabel()->text(), name);
  EXPECT_EQ(dc->TimeLeftLabel()->text(), u"60"_s);
  EXPECT_TRUE(dc->HaltButton()->isEnabled());
  EXPECT_TRUE(c->Has("N|0|2|60,1-1"));
  engine.Tick();
  EXPECT_EQ(dc->TimeLeftLabel()->text(), u"59"_s);
  // While a team is on the clock another cannot be put on it, and the
  // Commish cannot pick for a connected team.
  PutOnClock(1);
  EXPECT_EQ(dc->TeamOnClockLabel()->text(), name);
  dc->Draftees()->RookieList()->setCurrentRow(0);
  QTest::keyClick(dc->Draftees()->RookieList(), Qt::Key_Return);
  EXPECT_TRUE(prompter.asked.empty());
  // Delete is refused while a team is on the clock.
  QTest::mouseClick(dc->HaltButton(), Qt::LeftButton);
  EXPECT_TRUE(c->Has("H|0|2"));
  EXPECT_TRUE(dc->TeamOnClockLabel()->text().isEmpty());
  EXPECT_TRUE(dc->TimeLeftLabel()->text().isEmpty());
  EXPECT_FALSE(dc->HaltButton()->isEnabled());
  // Kick asks first (No is the default), then sends the refusal with
  // reason 4 to that team only.
  dc->TeamsList()->setCurrentRow(RowOf(name));
  QTest::mouseClick(dc->KickButton(), Qt::LeftButton);
  ASSERT_FALSE(prompter.asked.empty());
  EXPECT_EQ(prompter.asked.back().text, "Are you sure you want to kick " + ToL1(name) + " out of the draft?");
  EXPECT_EQ(prompter.asked.back().defaultButton, PromptAnswer::No);
  prompter.answers = {PromptAnswer::Yes};
  QTest::mouseClick(dc->KickButton(), Qt::LeftButton);
  EXPECT_TRUE(c->Has("R|0|0|4"));
}

TEST_F(ServerUiTest, TimeAllowedOutOfRangeIsRefusedBeforeSending) {
  Load();
  auto c = SignOn(1);
  for (const char* bad : {"90000", "abc", "", "-5"}) {
    dc->TimeAllowedEdit()->setText(QString::fromLatin1(bad));
    PutOnClock(1);
    EXPECT_TRUE(dc->TeamOnClockLabel()->text().isEmpty()) << bad;
  }
  ASSERT_EQ(prompter.asked.size(), 4u);
  EXPECT_EQ(prompter.asked[0].text, "The time allowed must be a whole number of seconds from 1 to 86400.");
  dc->TimeAllowedEdit()->setText(u"0"_s);  // blocks without a message
  PutOnClock(1);
  EXPECT_EQ(prompter.asked.size(), 4u);
  // A day is allowed; a client that did not say it takes long clocks hears
  // the most it can hold.
  dc->TimeAllowedEdit()->setText(u"40000"_s);
  PutOnClock(1);
  EXPECT_TRUE(c->Has("N|0|1|32767,1-1"));
  EXPECT_EQ(c->received.find("N|0|1|40000"), std::string::npos);
}

TEST_F(ServerUiTest, CommishPicksForAnUnconnectedTeamAndDeletesThePick) {
  Load();
  auto c = SignOn(1);
  PutOnClock(3);
  ASSERT_EQ(prompter.asked.size(), 1u);
  const std::string team3 = engine.Team(3).name;
  EXPECT_EQ(prompter.asked[0].title, "Information.");
  EXPECT_EQ(prompter.asked[0].text, "You will have to select for " + team3 + ".");
  EXPECT_TRUE(dc->TimeLeftLabel()->text().isEmpty());
  EXPECT_TRUE(c->Has("N|0|3|60,1-1"));

  QListWidget* rl = dc->Draftees()->RookieList();
  const int before = rl->count();
  rl->setCurrentRow(1);
  const int pid = dc->Draftees()->SelectedPid();
  const std::string name = engine.FindPlayer(pid)->name;
  // Answered No: nothing happens.
  QTest::mouseClick(rl->viewport(), Qt::LeftButton, {}, rl->visualItemRect(rl->item(1)).center());
  QTest::mouseDClick(rl->viewport(), Qt::LeftButton, {}, rl->visualItemRect(rl->item(1)).center());
  ASSERT_EQ(prompter.asked.size(), 2u);
  EXPECT_EQ(prompter.asked[1].title, "Draft Selection");
  EXPECT_EQ(prompter.asked[1].text, "Are you sure you want to select " + name + "?");
  EXPECT_EQ(prompter.asked[1].defaultButton, PromptAnswer::No);
  EXPECT_EQ(prompter.asked[1].icon, PromptIcon::Question);
  EXPECT_EQ(rl->count(), before);
  // Answered Yes: recorded, announced, the line leaves the list.
  prompter.answers = {PromptAnswer::Yes};
  rl->setCurrentRow(1);
  QTest::keyClick(rl, Qt::Key_Return);
  EXPECT_TRUE(c->Has("Z|3|0|" + std::to_string(pid) + "," + name + ",QB,1-1"));
  EXPECT_EQ(rl->count(), before - 1);
  ASSERT_EQ(dc->SelectionsList()->count(), 1);
  EXPECT_EQ(dc->SelectionsList()->item(0)->text().left(7), u"  1-1  "_s);
  EXPECT_EQ(dc->SelectionEdit()->text(), u"2"_s);
  EXPECT_TRUE(dc->TeamOnClockLabel()->text().isEmpty());
  EXPECT_FALSE(dc->MergeButton()->isEnabled());  // a team is connected

  // Delete: the pick goes, the player comes back.
  EXPECT_FALSE(dc->DeleteButton()->isEnabled());
  dc->SelectionsList()->setCurrentRow(0);
  EXPECT_TRUE(dc->DeleteButton()->isEnabled());
  prompter.answers = {PromptAnswer::Yes};
  QTest::mouseClick(dc->DeleteButton(), Qt::LeftButton);
  EXPECT_EQ(prompter.asked.back().text, "Are you sure you want to delete pick at round 1-1?");
  EXPECT_TRUE(c->Has("Y|0|0|1-1"));
  EXPECT_EQ(dc->SelectionsList()->count(), 0);
  EXPECT_EQ(rl->count(), before);
  EXPECT_FALSE(dc->DeleteButton()->isEnabled());
}

TEST_F(ServerUiTest, MarksAndMergeFollowLoginsAndDepartures) {
  Load();
  // One pick so that Merge can be offered.
  PutOnClock(4);
  prompter.answers = {PromptAnswer::Yes};
  dc->Draftees()->RookieList()->setCurrentRow(0);
  dc->OnPlayerActivated(dc->Draftees()->SelectedPid());
  ASSERT_EQ(dc->SelectionsList()->count(), 1);
  EXPECT_TRUE(dc->MergeButton()->isEnabled());
  int merges = 0;
  window->mergeRequested = [&] { ++merges; };
  QTest::mouseClick(dc->MergeButton(), Qt::LeftButton);
  EXPECT_EQ(merges, 1);

  auto c = SignOn(1);
  const QString one = L1(engine.Team(1).name);
  EXPECT_EQ(dc->TeamsList()->item(RowOf(one))->text(), one + u"*"_s);
  EXPECT_FALSE(dc->MergeButton()->isEnabled());
  c->socket.disconnectFromHost();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !engine.Team(1).signedOn; }, 3000));
  ASSERT_TRUE(QTest::qWaitFor([&] { return dc->MergeButton()->isEnabled(); }, 3000));
  EXPECT_EQ(dc->TeamsList()->item(RowOf(one))->text(), one);
  // A connection that never logs in disables Merge as well.
  Client anonymous(engine.Port());
  EXPECT_TRUE(QTest::qWaitFor([&] { return !dc->MergeButton()->isEnabled(); }, 3000));
}

TEST_F(ServerUiTest, ATeamsPickRebuildsTheListOnlyWhenItsPositionIsShown) {
  Load();
  auto c = SignOn(1);
  QListWidget* rl = dc->Draftees()->RookieList();
  // QB is shown, sorted by a rating: a rebuild would bring back natural order.
  ASSERT_EQ(dc->Draftees()->PositionCaption(), "QB");
  dc->Draftees()->RatingBox(0)->click();
  ASSERT_TRUE(dc->Draftees()->RatingBox(0)->isChecked());
  const int qbs = rl->count();
  auto pidOf = [&](int position) {
    for (const league::Draftee& d : engine.Pool().draftees)  // element 0 is not a player
      if (d.player.pid != 0 && d.player.position == position) return d.player.pid;
    return 0;
  };

  PutOnClock(1);
  c->Send(protocol::Draft(1, pidOf(4), "Wide Out", "WR"));
  ASSERT_TRUE(c->Has("Z|1|0|"));
  EXPECT_EQ(dc->SelectionsList()->count(), 1);
  EXPECT_TRUE(dc->Draftees()->RatingBox(0)->isChecked());  // untouched
  EXPECT_EQ(rl->count(), qbs);

  PutOnClock(1);
  const std::string qb = std::to_string(pidOf(0));
  c->Send(protocol::Draft(1, pidOf(0), "Quarter Back", "QB"));
  ASSERT_TRUE(c->Has("Z|1|0|" + qb + ","));
  EXPECT_EQ(dc->SelectionsList()->count(), 2);
  EXPECT_FALSE(dc->Draftees()->RatingBox(0)->isChecked());  // rebuilt in natural order
  EXPECT_EQ(rl->count(), qbs - 1);
}

TEST_F(ServerUiTest, RefusedDraftFileMessage) {
  LoadResult r;
  r.status = LoadResult::Status::DraftFileRefused;
  r.draftFile = "/l/Big-DRAFT.TXT";
  r.records = 1001;
  const LoadMessage m = LoadMessageOf(r);
  EXPECT_EQ(m.title, "ERROR");
  EXPECT_EQ(m.text,
            "The draft file /l/Big-DRAFT.TXT holds 1001 picks, but the server can keep no more than 1000. "
            "The league was not loaded. Move that file to another folder (or remove the extra lines with a "
            "text editor) and load the league again.");
  r.status = LoadResult::Status::Failed;  // reported already: no box
  EXPECT_TRUE(LoadMessageOf(r).text.empty());
}

TEST_F(ServerUiTest, ArrangeIconsLinesMinimisedWindowsAlongTheBottom) {
  Load();
  window->ShowChat();
  QMdiArea* mdi = window->MdiArea();
  QMdiSubWindow* control = window->DraftControlFrame();
  QMdiSubWindow* chat = window->ChatFrame();
  control->showMinimized();
  chat->showMinimized();
  control->move(40, 30);
  chat->move(200, 10);
  QAction* arrange = nullptr;
  for (QAction* a : window->WindowMenu()->actions())
    if (a->text() == u"&Arrange Icons"_s) arrange = a;
  ASSERT_NE(arrange, nullptr);
  arrange->trigger();
  const int bottom = mdi->viewport()->height();
  EXPECT_TRUE(control->isMinimized());
  EXPECT_TRUE(chat->isMinimized());
  EXPECT_EQ(control->geometry().bottom() + 1, bottom);
  EXPECT_EQ(chat->geometry().bottom() + 1, bottom);
  // Side by side in the order they were opened, from the left edge.
  EXPECT_EQ(control->x(), 0);
  EXPECT_EQ(chat->x(), control->width());
}

TEST_F(ServerUiTest, ChatLinesAndRecipients) {
  Load();
  auto c1 = SignOn(1);
  window->ShowChat();
  PublicChat* chat = window->ChatWindow();
  ASSERT_NE(chat, nullptr);
  EXPECT_EQ(chat->windowTitle(), u"Chat"_s);
  const QString one = L1(engine.Team(1).name);
  ASSERT_EQ(chat->RecipientBox()->count(), 2);
  EXPECT_EQ(chat->RecipientBox()->itemText(0), u"All Members"_s);
  EXPECT_EQ(chat->RecipientBox()->itemText(1), one);
  auto c2 = SignOn(2);
  const QString two = L1(engine.Team(2).name);
  EXPECT_EQ(chat->RecipientBox()->itemText(2), two);

  c2->Send(protocol::Chat(2, "hello all"));
  ASSERT_TRUE(QTest::qWaitFor([&] { return chat->ChatText()->toPlainText().contains(u"hello all"_s); }, 3000));
  EXPECT_EQ(chat->ChatText()->toPlainText(), two + u": hello all"_s);

  // Enter with an empty input does nothing.
  QTest::keyClick(chat->ChatSend(), Qt::Key_Return);
  EXPECT_EQ(chat->ChatText()->toPlainText(), two + u": hello all"_s);
  // A public line from the Commish.
  QTest::keyClicks(chat->ChatSend(), u"welcome"_s);
  QTest::keyClick(chat->ChatSend(), Qt::Key_Return);
  EXPECT_TRUE(c1->Has("C|0|0|welcome"));
  EXPECT_TRUE(chat->ChatSend()->text().isEmpty());
  EXPECT_TRUE(chat->ChatText()->toPlainText().endsWith(u"Commish: welcome"_s));
  // A private line to team 2 only.
  chat->RecipientBox()->setCurrentIndex(2);
  QTest::keyClicks(chat->ChatSend(), u"psst"_s);
  QTest::keyClick(chat->ChatSend(), Qt::Key_Return);
  EXPECT_TRUE(c2->Has("P|0|2|psst"));
  EXPECT_TRUE(chat->ChatText()->toPlainText().endsWith(u"Private to "_s + two + u": psst"_s));
  EXPECT_EQ(c1->received.find("psst"), std::string::npos);

  // Departure: the name leaves the recipients, the line is shown.
  c2->socket.disconnectFromHost();
  ASSERT_TRUE(QTest::qWaitFor([&] { return chat->RecipientBox()->count() == 2; }, 3000));
  EXPECT_TRUE(chat->ChatText()->toPlainText().endsWith(u"*** "_s + two + u"*** has left the draft. ***"_s));

  // Closed window: lines are dropped; a private line to the Commish opens it.
  window->ChatFrame()->close();
  EXPECT_FALSE(IsFormShown(window->ChatFrame()));
  c1->Send(protocol::Chat(1, "unseen"));
  ASSERT_TRUE(c1->Has("C|1|0|unseen"));
  c1->Send(protocol::PrivateLine(1, 0, "for you"));
  ASSERT_TRUE(QTest::qWaitFor([&] { return IsFormShown(window->ChatFrame()); }, 3000));
  EXPECT_EQ(chat->ChatText()->toPlainText(), u"Private from "_s + one + u": for you"_s);

  // The transcript keeps the last 10,000 lines.
  for (int i = 1; i <= widgets::kMaxChatLines + 5; ++i) chat->AddPubChat(u"line "_s + QString::number(i));
  EXPECT_EQ(chat->ChatText()->blockCount(), 10000);
  EXPECT_EQ(chat->ChatText()->document()->firstBlock().text(), u"line 6"_s);
  EXPECT_EQ(chat->ChatText()->document()->lastBlock().text(), u"line 10005"_s);
}

TEST_F(ServerUiTest, DraftBoardAndFindFollowTheCommishsPickAndItsDelete) {
  Load();
  window->findChild<QAction*>(u"DraftBoardMenu"_s)->trigger();
  DraftBoardView* board = window->DraftBoardWindow();
  ASSERT_NE(board, nullptr);
  EXPECT_TRUE(board->isVisible());
  EXPECT_EQ(board->Grid()->columnCount(), 4);
  PutOnClock(2);

  // The Commish finds a WR by name and picks him from the WR list.
  const draft::Player wr = dc->Draftees()->Model().Table().Of(4)[0];
  DrafteeFind* find = dc->Draftees()->Find();
  find->Box()->setText(L1(wr.fname + " " + wr.lname));
  const auto& found = find->Matches();
  const auto at = std::find_if(found.begin(), found.end(), [&](const draft::Found& f) { return f.pid == wr.pid; });
  ASSERT_NE(at, found.end());
  find->Results()->setCurrentRow(static_cast<int>(at - found.begin()));
  QTest::keyClick(find->Results(), Qt::Key_Return);
  EXPECT_EQ(dc->Draftees()->PositionCaption(), "WR");
  prompter.answers = {PromptAnswer::Yes};
  QTest::keyClick(dc->Draftees()->RookieList(), Qt::Key_Return);
  ASSERT_EQ(engine.Log().Count(), 1);
  ASSERT_NE(board->Grid()->item(0, 0), nullptr);
  EXPECT_TRUE(board->Grid()->item(0, 0)->text().contains(L1(wr.lname)));
  EXPECT_EQ(std::count_if(find->Matches().begin(), find->Matches().end(),
                          [&](const draft::Found& f) { return f.pid == wr.pid; }),
            0);

  dc->SelectionsList()->setCurrentRow(0);
  prompter.answers = {PromptAnswer::Yes};
  dc->OnDeleteClicked();
  // The cell no longer holds the pick (it names the pick's owner).
  EXPECT_FALSE(board->Grid()->item(0, 0)->text().contains(L1(wr.lname)));
  EXPECT_EQ(std::count_if(find->Matches().begin(), find->Matches().end(),
                          [&](const draft::Found& f) { return f.pid == wr.pid; }),
            1);
}

}  // namespace
}  // namespace pm

namespace pm {
namespace {

// The Draft Order window rearranges, loads and saves the order; the Run
// automatically box starts the run and Halt clears it; the league folder and
// the time allowed are remembered in the settings given.
TEST_F(ServerUiTest, DraftOrderWindowAndTheAutomaticRun) {
  QSettings settings(dir.filePath(u"settings.ini"_s), QSettings::IniFormat);
  window->SetSettings(&settings);
  Load();
  EXPECT_EQ(ServerWindow::RememberedFolder(settings), QDir(dir.path()).absolutePath());
  dc->TimeAllowedEdit()->clear();
  QTest::keyClicks(dc->TimeAllowedEdit(), u"45"_s);
  EXPECT_EQ(engine.TimeAllowed(), 45);
  EXPECT_EQ(settings.value(u"draftControl/timeAllowed"_s).toString(), u"45"_s);
  auto name = [&](int t) { return L1(engine.Team(t).name); };

  // The window edits teams, direction and rounds; the other settings pass through.
  draft::DraftOrder held = draft::DraftOrder::Default(4);
  held.settings.rule = draft::AutoPickRule::BestAvailable;
  engine.SetOrder(held);
  window->ViewMenu()->findChild<QAction*>(u"DraftOrderMenu"_s)->trigger();
  auto* order = window->findChild<DraftOrderWindow*>(u"DraftOrder"_s);
  ASSERT_NE(order, nullptr);
  EXPECT_EQ(order->ShownOrder(), held);
  order->TeamList()->setCurrentRow(0);
  QTest::keyClick(order->TeamList(), Qt::Key_Down, Qt::ControlModifier);
  QTest::keyClick(order->TeamList(), Qt::Key_Down, Qt::ControlModifier);
  QTest::mouseClick(order->findChild<QPushButton*>(u"OrderUp"_s), Qt::LeftButton);
  EXPECT_EQ(order->ShownOrder().teams, (std::vector<int>{2, 1, 3, 4}));
  // A file sets the direction and rounds only with its own lines.
  const QString file = dir.filePath(u"mine.txt"_s);
  auto write = [&](const std::string& text) { std::ofstream(file.toStdString(), std::ios::binary) << text; };
  write("Order: snake\nRounds: 3\n" + ToL1(name(3)) + "\n" + ToL1(name(4)) + "\n" + ToL1(name(1)) + "\n" +
        ToL1(name(2)));
  order->chooseFile = [&] { return file; };
  QTest::mouseClick(order->LoadButton(), Qt::LeftButton);
  EXPECT_EQ(order->ShownOrder(), (draft::DraftOrder{{3, 4, 1, 2}, true, 3, held.settings}));
  order->RoundsBox()->setValue(2);
  // Every line not used and every team left out is shown; the order is
  // saved only when the Commish says Yes.
  write(ToL1(name(4)) + "\nNobody FC\nRounds: 0\n" + ToL1(name(2)) + "\n" + ToL1(name(4)) + "\n");
  QTest::mouseClick(order->LoadButton(), Qt::LeftButton);
  EXPECT_EQ(order->ShownOrder(), (draft::DraftOrder{{4, 2}, true, 2, held.settings}));
  ASSERT_EQ(prompter.asked.size(), 1u);
  for (const std::string& shown :
       std::vector<std::string>{"Not teams of this league:\r\n    Nobody FC", "Rounds: 0 (Rounds must be",
                                "more than once", engine.Team(1).name})
    EXPECT_NE(prompter.asked[0].text.find(shown), std::string::npos) << shown;
  const QString saved = dir.filePath(u"Sample League-ORDER.TXT"_s);
  QTest::mouseClick(order->findChild<QPushButton*>(u"OrderOk"_s), Qt::LeftButton);
  ASSERT_EQ(prompter.asked.size(), 2u);
  EXPECT_EQ(prompter.asked[1].defaultButton, PromptAnswer::No);
  EXPECT_TRUE(order->isVisible());
  EXPECT_FALSE(QFile::exists(saved));
  prompter.answers = {PromptAnswer::Yes};
  QTest::mouseClick(order->findChild<QPushButton*>(u"OrderOk"_s), Qt::LeftButton);
  EXPECT_EQ(engine.Order(), (draft::DraftOrder{{4, 2}, true, 2, held.settings}));
  std::ifstream savedFile(saved.toStdString(), std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(savedFile), {}),
            "Rounds: 2\r\nOrder: Snake\r\nRule: Best available\r\n" + engine.Team(4).name + "\r\n" +
                engine.Team(2).name + "\r\n");

  // The box starts the run: team 4 is absent but gets its clock.
  QTest::mouseClick(dc->RunAutoBox(), Qt::LeftButton);
  EXPECT_TRUE(engine.RunningAutomatically());
  EXPECT_EQ(dc->TeamOnClockLabel()->text(), name(4));
  EXPECT_TRUE(engine.Clock().Running());
  EXPECT_TRUE(engine.CommishMayPick());
  QTest::mouseClick(dc->HaltButton(), Qt::LeftButton);
  EXPECT_FALSE(dc->RunAutoBox()->isChecked());
  EXPECT_FALSE(engine.RunningAutomatically());
  dc->AutoDraftRuleBox()->setCurrentIndex(1);
  emit dc->AutoDraftRuleBox()->activated(1);
  EXPECT_EQ(engine.Rule(), AutoDraftRule::BestAvailable);
}

// The grid of picks: a cell's list gives a pick to another team (bold, "via"
// the order's team), Delete takes it back, a pick made cannot be traded; the
// round times; OK saves both.
TEST_F(ServerUiTest, DraftOrderWindowTradesPicksAndTimesRounds) {
  Load();
  auto name = [&](int t) { return L1(engine.Team(t).name); };
  PutOnClock(1);
  dc->Draftees()->RookieList()->setCurrentRow(0);
  ASSERT_EQ(engine.CommishPick(dc->Draftees()->SelectedPid(), 1, {1, 1}), DraftServer::PickResult::Picked);
  window->ViewMenu()->findChild<QAction*>(u"DraftOrderMenu"_s)->trigger();
  auto* order = window->findChild<DraftOrderWindow*>(u"DraftOrder"_s);
  ASSERT_NE(order, nullptr);
  QTableWidget* grid = order->PickGrid();
  ASSERT_EQ(grid->rowCount(), 7);
  ASSERT_EQ(grid->columnCount(), 4);
  EXPECT_EQ(grid->item(1, 2)->text(), name(3));

  // Enter opens the list of teams on pick 3-4; the choice takes at once.
  grid->setCurrentCell(2, 3);
  QTest::keyClick(grid, Qt::Key_Return);
  auto* choice = grid->findChild<QComboBox*>(u"PickOwnerChoice"_s);
  ASSERT_NE(choice, nullptr);
  EXPECT_EQ(choice->itemText(0), name(4) + u" (the order's team)"_s);
  choice->setCurrentIndex(choice->findData(1));
  emit choice->activated(choice->currentIndex());
  QTableWidgetItem* traded = grid->item(2, 3);
  EXPECT_EQ(traded->text(), name(1));
  EXPECT_EQ(traded->data(Qt::UserRole).toInt(), 1);
  EXPECT_TRUE(traded->font().bold());
  EXPECT_EQ(traded->toolTip(), name(1) + u" via "_s + name(4));
  // Snake turns round 2 round; the trade stays with its pick.
  order->SnakeButton()->setChecked(true);
  EXPECT_EQ(grid->item(1, 0)->text(), name(4));
  EXPECT_EQ(grid->item(2, 3)->text(), name(1));
  // Delete takes a trade back; a pick made stays with its team.
  order->SetPickOwner({1, 2}, 3);
  grid->setCurrentCell(0, 1);
  QTest::keyClick(grid, Qt::Key_Delete);
  EXPECT_FALSE(grid->item(0, 1)->font().bold());
  EXPECT_FALSE(grid->item(0, 0)->flags() & Qt::ItemIsEditable);
  EXPECT_TRUE(grid->item(0, 0)->toolTip().contains(u"Picked: "_s));

  // Round times: set for rounds 1-2, shown as one entry, removed again.
  order->findChild<QSpinBox*>(u"RoundTimeFrom"_s)->setValue(1);
  order->findChild<QSpinBox*>(u"RoundTimeTo"_s)->setValue(3);
  order->findChild<QSpinBox*>(u"RoundTimeSeconds"_s)->setValue(120);
  QTest::mouseClick(order->findChild<QPushButton*>(u"SetRoundTime"_s), Qt::LeftButton);
  order->SetRoundTime(3, 3, 7200);
  order->SetRoundTime(5, 5, 60);
  ASSERT_EQ(order->RoundTimeList()->count(), 3);
  EXPECT_EQ(order->RoundTimeList()->item(0)->text(), u"Rounds 1-2: 2 min"_s);
  EXPECT_EQ(order->RoundTimeList()->item(1)->text(), u"Round 3: 2 h"_s);
  order->RoundTimeList()->setCurrentRow(2);
  QTest::mouseClick(order->findChild<QPushButton*>(u"RemoveRoundTime"_s), Qt::LeftButton);
  order->TimeAllowedBox()->setValue(90);

  QTest::mouseClick(order->findChild<QPushButton*>(u"OrderOk"_s), Qt::LeftButton);
  const draft::DraftOrder& saved = engine.Order();
  EXPECT_EQ(saved.traded, (std::map<draft::PickLabel, int>{{{3, 4}, 1}}));
  EXPECT_EQ(saved.settings.roundSeconds, (std::map<int, int>{{1, 120}, {2, 120}, {3, 7200}}));
  EXPECT_EQ(saved.settings.timeAllowed, 90);
  std::ifstream file(dir.filePath(u"Sample League-ORDER.TXT"_s).toStdString(), std::ios::binary);
  const std::string text(std::istreambuf_iterator<char>(file), {});
  for (const std::string& line :
       std::vector<std::string>{"Time: 90\r\n", "Time in rounds 1-2: 120\r\nTime in round 3: 7200\r\n",
                                "3-4: " + engine.Team(1).name + "\r\n"})
    EXPECT_NE(text.find(line), std::string::npos) << line << text;
}

}  // namespace
}  // namespace pm
