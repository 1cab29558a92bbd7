// A whole draft as its users run it: the Commish's PKServer main window and
// the team owners' PKClient main windows, all in this one process on the
// offscreen platform, talking over loopback on an ephemeral port. Prompts are
// answered by scripted prompters and both clocks are ticked by the test; the
// only waiting is for socket events.
//
// The story (six teams, three rounds): three owners sign on; a login for a
// team already on and one for another league are refused; owners pick from
// their Draftees windows and the Commish picks for absent teams from Draft
// Control; a team runs out of time, a clock is halted, a late joiner catches
// up, a pick is deleted and made again, chat goes around publicly and
// privately, an owner is kicked, another signs off and on again with a new
// window and picks a player already taken from the list it opened before its
// catch-up ended. At the end every owner leaves, the Commish merges, and the
// rosters are read back from the league files. After each step every window
// is compared with what the server recorded.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "client/ClientSession.h"
#include "client/Sound.h"
#include "client/ui/Client.h"
#include "client/ui/DraftListWindow.h"
#include "client/ui/DrafteesWindow.h"
#include "client/ui/LeagueSelect.h"
#include "client/ui/PublicChat.h"
#include "common/Common.h"
#include "common/Files.h"
#include "common/Prompt.h"
#include "draft/Draftees.h"
#include "draft/Pick.h"
#include "league/FBPro.h"
#include "league/Sample.h"
#include "merge/Merge.h"
#include "server/engine/DraftServer.h"
#include "server/ui/DraftControl.h"
#include "server/ui/LeagueSelect.h"
#include "server/ui/PublicChat.h"
#include "server/ui/ServerWindow.h"
#include "tests/support/ShownLine.h"
#include "tests/support/Wait.h"
#include "widgets/DrafteeList.h"
#include "widgets/Widgets.h"

using namespace Qt::StringLiterals;

namespace pm {
namespace {

namespace fs = std::filesystem;
using namespace pm::widgets;
using namespace pm::client;
using server::DraftControl;
using server::DraftServer;
using server::LeagueSelect;
using server::PublicChat;
using server::ServerWindow;

constexpr int kTeams = 6;
constexpr int kWaitMs = 5000;

template <class Pred>
bool WaitFor(Pred pred) {
  return test::WaitFor(pred, kWaitMs);
}

std::vector<std::string> Lines(const QListWidget* list) {
  std::vector<std::string> out;
  for (int i = 0; i < list->count(); ++i) out.push_back(ToL1(list->item(i)->text()));
  return out;
}

// The Selections lines of the picks the server holds, in label order.
std::vector<std::string> SelectionLines(const server::DraftServer& engine) {
  std::vector<draft::Pick> picks = engine.Log().Picks();
  std::stable_sort(picks.begin(), picks.end(), [](const auto& a, const auto& b) { return a.label < b.label; });
  std::vector<std::string> out;
  for (const draft::Pick& p : picks) out.push_back(draft::DraftListFill(p));
  return out;
}

bool HasLine(const std::string& transcript, const std::string& line) {
  return transcript.find(line + "\r\n") != std::string::npos;
}

struct Sounds : SoundPlayer {
  std::vector<std::string> played;
  void PlaySound(const std::string& path) override { played.push_back(fs::path(path).filename().string()); }
  int Count(const std::string& file) const { return static_cast<int>(std::count(played.begin(), played.end(), file)); }
};

// One team owner's program: its main window, the owner's answers and the
// speaker.
struct Owner {
  ScriptedPrompter prompter;
  Sounds sound;
  std::unique_ptr<Client> window;
  int ended = 0;
  int team = 0;
  std::string name;

  Owner() {
    window = std::make_unique<Client>(&prompter);
    window->resize(1200, 900);
    S().endProgram = [this] { ++ended; };
    S().SetSoundPlayer(&sound);
    S().reporter.showMessage = [](const std::string&) {};
    S().reporter.endProgram = [] {};
    window->show();
  }
  ClientSession& S() { return window->Session(); }
  DrafteesWindow* Draftees() { return window->Draftees(); }
  QListWidget* RookieList() { return window->Draftees()->List()->RookieList(); }
  std::vector<std::string> DraftListLines() {
    return window->DraftList() ? Lines(window->DraftList()->List()) : std::vector<std::string>{};
  }
  std::string Transcript() { return window->Chat() ? ToL1(window->Chat()->Transcript()) : std::string(); }
  std::vector<std::string> Recipients() {
    std::vector<std::string> out;
    if (auto* chat = window->Chat())
      for (int i = 0; i < chat->RecipientList()->count(); ++i) out.push_back(ToL1(chat->RecipientList()->itemText(i)));
    return out;
  }
  bool Sent(const std::string& message) {
    const auto& log = S().SentLog();
    return std::find(log.begin(), log.end(), message) != log.end();
  }
  std::string LastPrompt() const { return prompter.asked.empty() ? std::string() : prompter.asked.back().text; }
};

class DraftEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    league::SampleOptions o;
    o.teams = kTeams;
    o.college = 150;
    o.freeAgents = 30;
    leaguePath = league::WriteSampleLeague(dir.path().toStdString(), o);
    leagueFileName = QString::fromStdString(fs::path(league::LeagueFileName(leaguePath, ".LGE")).filename().string());
    version = league::GetVersion(leaguePath).version;

    engine.SetPort(0);
    engine.Reporter().endProgram = [this] { ++serverReports; };
    engine.Reporter().showMessage = [](const std::string&) {};
    server = std::make_unique<ServerWindow>(engine, serverPrompter, dir.path());
    server->endProgram = [this] { ++serverEnded; };
    server->resize(1200, 900);
    server->show();
  }

  void TearDown() override {
    EXPECT_EQ(serverReports, 0) << "the server reported a run-time error";
    EXPECT_EQ(serverEnded, 0);
    for (auto& o : owners) EXPECT_EQ(o->S().reporter.reports, 0) << o->name << " reported a run-time error";
  }

  // ---- the Commish's actions, through the server's windows --------------

  void LoadLeague() {
    server->Start();
    LeagueSelect* ls = server->LeagueWindow();
    ASSERT_NE(ls, nullptr);
    ls->SetFolder(dir.path());
    ASSERT_TRUE(ls->SelectFile(leagueFileName));
    QTest::keyClick(ls->FileList(), Qt::Key_Return);
    ASSERT_TRUE(engine.LeagueLoaded());
    ASSERT_TRUE(engine.Listening());
    ASSERT_NE(engine.Port(), 0);
    dc = server->DraftControlWindow();
    ASSERT_NE(dc, nullptr);
    server->ShowChat();
    ASSERT_NE(server->ChatWindow(), nullptr);
  }

  int TeamRow(const std::string& name) {
    for (int i = 0; i < dc->TeamsList()->count(); ++i)
      if (ToL1(dc->TeamsList()->item(i)->text()) == name || ToL1(dc->TeamsList()->item(i)->text()) == name + "*")
        return i;
    return -1;
  }
  // Double-click (Enter) on a team of the Draft Control's teams list.
  void PutOnClock(int team, const char* seconds = "60") {
    dc->TimeAllowedEdit()->setText(QString::fromLatin1(seconds));
    const int row = TeamRow(engine.Team(team).name);
    ASSERT_GE(row, 0);
    dc->TeamsList()->setCurrentRow(row);
    QTest::keyClick(dc->TeamsList(), Qt::Key_Return);
    ASSERT_EQ(engine.Clock().Team(), team);
  }
  void ShowServerPosition(int position) {
    dc->Draftees()->PositionButton(position)->click();
    ASSERT_EQ(dc->Draftees()->CurrentPosition(), position);
  }
  // The Commish picks line `row` of the shown position for the absent team
  // on the clock (Enter, then Yes). Returns the record the server stored.
  std::string CommishPicks(int position, int row) {
    ShowServerPosition(position);
    QListWidget* rl = dc->Draftees()->RookieList();
    EXPECT_GT(rl->count(), row);
    const int before = engine.Log().Count();
    const int lines = rl->count();
    rl->setCurrentRow(row);
    const draft::LineSelection sel = draft::ReadLine(ToL1(rl->item(row)->text()));
    serverPrompter.answers = {PromptAnswer::Yes};
    QTest::keyClick(rl, Qt::Key_Return);
    EXPECT_EQ(serverPrompter.asked.back().text, "Are you sure you want to select " + sel.name + "?");
    EXPECT_EQ(engine.Log().Count(), before + 1);
    EXPECT_EQ(rl->count(), lines - 1);
    const std::string rec = draft::PickRecord(*engine.Log().Slot(engine.Log().Count()));
    EXPECT_EQ(GetField(rec, 1, "|"), sel.pidText);
    return rec;
  }

  // ---- the owners ---------------------------------------------------------

  // A new owner's program signs on for `team` through its league window.
  Owner& SignOn(int team) { return SignOn(team, dir.path(), leagueFileName); }
  Owner& SignOn(int team, const QString& folder, const QString& fileName) {
    owners.push_back(std::make_unique<Owner>());
    Owner& o = *owners.back();
    o.team = team;
    o.name = engine.Team(team).name;
    o.S().SetPort(engine.Port());
    o.window->OnConnectMenu();
    client::LeagueSelect* ls = o.window->LeagueWindow();
    EXPECT_NE(ls, nullptr);
    if (ls == nullptr) return o;
    ls->SetFolder(folder);
    const auto items = ls->FileList()->findItems(fileName, Qt::MatchExactly);
    EXPECT_EQ(items.size(), 1);
    if (items.size() != 1) return o;
    ls->FileList()->setCurrentItem(items[0]);
    QTest::keyClick(ls->FileList(), Qt::Key_Return);
    EXPECT_EQ(ls->TeamList()->count(), kTeams);
    ls->TeamList()->setCurrentIndex(team - 1);
    ls->OnTeamChosen();
    EXPECT_EQ(o.S().OwnTeamIndex(), team);
    QTest::keyClicks(ls->AddressBox(), u"127.0.0.1"_s);
    QTest::keyClick(ls->AddressBox(), Qt::Key_Return);
    EXPECT_TRUE(WaitFor([&] { return o.S().Connected(); }));
    return o;
  }
  // Signed on and its chat and Draftees windows opened (View menu).
  Owner& Join(int team) {
    const int others = OthersSignedOn(team);
    Owner& o = SignOn(team);
    EXPECT_TRUE(WaitFor([&] { return engine.Team(team).signedOn; }));
    // W is answered before anything else: wait until this owner knows who is on.
    EXPECT_TRUE(WaitFor([&] { return KnownOn(o) == others; }));
    o.window->OnChatMenu();
    o.window->OnDrafteesMenu();
    EXPECT_NE(o.window->Chat(), nullptr);
    EXPECT_NE(o.Draftees(), nullptr);
    return o;
  }
  int OthersSignedOn(int team) {
    int n = 0;
    for (int k = 1; k <= engine.TeamCount(); ++k)
      if (k != team && engine.Team(k).signedOn) ++n;
    return n;
  }
  static int KnownOn(Owner& o) {
    int n = 0;
    for (int k = 1; k <= o.S().TeamCount(); ++k)
      if (k != o.team && o.S().SignedOn(k)) ++n;
    return n;
  }
  std::vector<Owner*> Live() {
    std::vector<Owner*> out;
    for (auto& o : owners)
      if (!o->S().Ended() && o->S().Connected()) out.push_back(o.get());
    return out;
  }
  // The picks an owner holds, deleted ones left out.
  static std::vector<std::string> Held(Owner& o) {
    std::vector<std::string> held;
    for (int i = 1; i <= o.S().PickCount(); ++i)
      if (const draft::Pick* pick = o.S().Picks().At(i)) held.push_back(draft::PickRecord(*pick));
    return held;
  }
  // Waits until the server has `count` picks (deleted ones included) and
  // every live owner holds the same picks. (An owner that caught up after a
  // delete never saw the deleted pick: its count is one lower.)
  void AllHold(int count) {
    ASSERT_TRUE(WaitFor([&] { return engine.Log().Count() == count; }));
    for (Owner* o : Live())
      ASSERT_TRUE(WaitFor([&] { return Held(*o) == RecordedPicks(); }))
          << o->name << " holds " << Held(*o).size() << " picks, the server " << RecordedPicks().size();
  }
  void ShowOwnerPosition(Owner& o, int position) {
    o.Draftees()->List()->PositionButton(position)->click();
    ASSERT_EQ(o.Draftees()->List()->CurrentPosition(), position);
  }
  // The owner on the clock picks line `row` of `position` in its Draftees
  // window and confirms. `doubleClick` uses the mouse, else Enter.
  draft::LineSelection OwnerPicks(Owner& o, int position, int row, bool doubleClick, bool refresh = true) {
    if (refresh) ShowOwnerPosition(o, position);
    QListWidget* list = o.RookieList();
    EXPECT_GT(list->count(), row);
    const draft::LineSelection sel = draft::ReadLine(ToL1(list->item(row)->text()));
    o.prompter.answers = {PromptAnswer::Yes};
    list->setCurrentRow(row);
    if (doubleClick) {
      // The Draftees child window fills its main window, so the line is in view.
      o.Draftees()->parentWidget()->showMaximized();
      list->scrollToItem(list->item(row));
      const QRect at = list->visualItemRect(list->item(row));
      EXPECT_TRUE(list->viewport()->rect().contains(at.center())) << "line " << row << " not in view";
      QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at.center());
      QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at.center());
      o.Draftees()->parentWidget()->showNormal();
    } else {
      QTest::keyClick(list, Qt::Key_Return);
    }
    EXPECT_EQ(o.LastPrompt(), "Are you sure you want to select " + sel.name + "?");
    EXPECT_TRUE(o.Sent("D|" + std::to_string(o.team) + "|0|" + sel.pidText + "," + sel.name + "," +
                       league::PositionCaption(position)));
    EXPECT_FALSE(o.S().TimerRunning());
    return sel;
  }
  // The pick just made by an owner has reached the server and every owner.
  std::string PickArrived(const draft::LineSelection& sel, int count) {
    EXPECT_TRUE(WaitFor([&] { return engine.Log().Count() == count; }));
    AllHold(count);
    const std::string rec = draft::PickRecord(*engine.Log().Slot(count));
    EXPECT_EQ(GetField(rec, 1, "|"), sel.pidText);
    EXPECT_EQ(GetField(rec, 3, "|"), sel.name);
    return rec;
  }

  // ---- what every window shows, against the engine ------------------------

  std::vector<std::string> RecordedPicks() const {
    std::vector<std::string> out;
    for (const draft::Pick& p : engine.Log().Picks()) out.push_back(draft::PickRecord(p));
    return out;
  }
  std::set<std::string> DraftedPids() const {
    std::set<std::string> pids;
    for (const auto& rec : RecordedPicks()) pids.insert(GetField(rec, 1, "|"));
    return pids;
  }
  // Every line of a draftee list that shows a drafted player.
  std::vector<std::string> DraftedIn(const QListWidget* list) const {
    const std::set<std::string> pids = DraftedPids();
    std::vector<std::string> out;
    for (const auto& line : Lines(list))
      if (pids.count(draft::ReadLine(line).pidText)) out.push_back(line);
    return out;
  }

  void CheckWindows(const char* step) {
    SCOPED_TRACE(step);
    // Server: Selections list, teams list marks, clock, caption, draft file.
    const std::vector<std::string> selections = SelectionLines(engine);
    EXPECT_EQ(Lines(dc->SelectionsList()), selections);
    std::vector<std::string> teamLines;
    for (int k = 1; k <= engine.TeamCount(); ++k)
      teamLines.push_back(engine.Team(k).name + (engine.Team(k).signedOn ? "*" : ""));
    EXPECT_EQ(Lines(dc->TeamsList()), teamLines);
    EXPECT_EQ(ToL1(dc->TeamOnClockLabel()->text()),
              engine.Clock().OnClock() ? engine.Team(engine.Clock().Team()).name : "");
    EXPECT_EQ(ToL1(dc->TimeLeftLabel()->text()),
              engine.Clock().Running() ? std::to_string(engine.Clock().Seconds()) : "");
    EXPECT_EQ(ToL1(dc->RoundEdit()->text()) + "-" + ToL1(dc->SelectionEdit()->text()), engine.NextLabel().Text());
    EXPECT_EQ(server->windowTitle(),
              u"Pickmill - Server - "_s + QString::fromLatin1(engine.LeagueName()) + u" - Server Up."_s);
    EXPECT_TRUE(DraftedIn(dc->Draftees()->RookieList()).empty());
    std::string fileText;
    for (const auto& rec : RecordedPicks()) fileText += rec + "\r\n";
    // (No draft file before the first pick.)
    EXPECT_EQ(ReadWholeFile(engine.DraftFile()).value_or(fileText.empty() ? "" : "<missing>"), fileText);
    // Server chat recipients: "All Members" and the signed-on teams.
    std::vector<std::string> recipients{"All Members"};
    for (int k = 1; k <= engine.TeamCount(); ++k)
      if (engine.Team(k).signedOn) recipients.push_back(engine.Team(k).name);
    std::vector<std::string> shown;
    for (int i = 0; i < server->ChatWindow()->RecipientBox()->count(); ++i)
      shown.push_back(ToL1(server->ChatWindow()->RecipientBox()->itemText(i)));
    // (Names are appended as teams sign on: compare them in team order.)
    std::sort(shown.begin() + std::min<std::ptrdiff_t>(1, std::ssize(shown)), shown.end());
    std::sort(recipients.begin() + 1, recipients.end());
    EXPECT_EQ(shown, recipients);

    // Each owner: draft list, Draftees list, presence, caption, recipients.
    for (Owner* o : Live()) {
      SCOPED_TRACE(o->name);
      EXPECT_EQ(o->DraftListLines(), selections);
      EXPECT_EQ(Held(*o), RecordedPicks());
      std::vector<std::string> others{"All Members", "Commish"};
      for (int k = 1; k <= engine.TeamCount(); ++k) {
        if (k != o->team) {
          EXPECT_EQ(o->S().SignedOn(k), engine.Team(k).signedOn) << "team " << k;
        }
        if (k != o->team && engine.Team(k).signedOn) others.push_back(engine.Team(k).name);
      }
      std::vector<std::string> listed = o->Recipients();
      std::sort(listed.begin() + std::min<std::ptrdiff_t>(2, std::ssize(listed)), listed.end());
      std::sort(others.begin() + 2, others.end());
      EXPECT_EQ(listed, others);
      const bool onClock = o->S().TimerRunning();
      const std::string caption =
          "Pickmill - Client - 3.03 - " + o->name + (onClock ? " - On the clock." : " - Connected.");
      EXPECT_EQ(o->S().Caption(), caption);
      EXPECT_EQ(o->window->windowTitle().toStdString(), caption);
      // The owner's list of a position, refreshed, is the Commish's list.
      const int position = dc->Draftees()->CurrentPosition();
      ShowOwnerPosition(*o, position);
      EXPECT_EQ(Lines(o->RookieList()), Lines(dc->Draftees()->RookieList()));
      EXPECT_TRUE(DraftedIn(o->RookieList()).empty());
    }
  }

  QTemporaryDir dir;
  std::string leaguePath;
  QString leagueFileName;
  int16_t version = 0;
  ScriptedPrompter serverPrompter;
  DraftServer engine;
  std::unique_ptr<ServerWindow> server;
  DraftControl* dc = nullptr;
  int serverReports = 0;
  int serverEnded = 0;
  std::vector<std::unique_ptr<Owner>> owners;

  // The draft, step by step; each step starts where the one before ended.
  void Logins();
  void RoundOne();
  void RoundTwo();
  void KickAndReturn();
  void RoundThree();
  void LeaveAndMerge();
  std::string T(int k) const { return engine.Team(k).name; }
  Owner* ownerA = nullptr;
  Owner* ownerB = nullptr;
  Owner* ownerC = nullptr;
  Owner* ownerD = nullptr;
  Owner* ownerB2 = nullptr;        // team 2's owner after signing on again
  draft::LineSelection firstPick;  // pick 1-1, taken again in round 3
  std::string deletedPid;          // the pick the Commish deletes in round 2
};

std::string ServerChat(ServerWindow& w) { return ToL1(w.ChatWindow()->ChatText()->toPlainText()); }

void DraftEndToEnd::Logins() {
  // ---- logins ---------------------------------------------------------------
  ownerA = &Join(1);
  Owner& a = *ownerA;
  ownerB = &Join(2);
  Owner& b = *ownerB;
  ownerC = &Join(3);
  EXPECT_EQ(a.window->windowTitle().toStdString(), "Pickmill - Client - 3.03 - " + T(1) + " - Connected.");
  ASSERT_TRUE(WaitFor([&] { return a.S().SignedOn(2) && a.S().SignedOn(3) && b.S().SignedOn(3); }));
  // The server's chat shows nothing of logins; the client windows list each other.
  ASSERT_NO_FATAL_FAILURE(CheckWindows("three owners signed on"));

  // A second program for team 2, which is on already: refused with reason 3.
  {
    Owner& late = SignOn(2);
    ASSERT_TRUE(WaitFor([&] { return late.ended == 1; }));
    ASSERT_FALSE(late.prompter.asked.empty());
    EXPECT_EQ(late.prompter.asked.back().title, "Connection disconnected.");
    EXPECT_EQ(late.LastPrompt(), std::string(kDisconnectedLead) + "\r\n\r\n" +
                                     "The team you selected is already signed on. Contact the commish.");
    EXPECT_TRUE(late.S().Ended());
    EXPECT_FALSE(late.S().Connected());
    // Its connection closes without taking team 2 off.
    ASSERT_TRUE(WaitFor([&] { return engine.OpenConnections() == 3; }));
    EXPECT_TRUE(engine.Team(2).signedOn);
    // Everything the server sent before a public line has reached A with it.
    ASSERT_TRUE(engine.CommishChat(0, "after the refusal"));
    ASSERT_TRUE(WaitFor([&] { return HasLine(a.Transcript(), "Commish: after the refusal"); }));
    EXPECT_FALSE(HasLine(a.Transcript(), "*** " + T(2) + " *** has left the draft."));
    ASSERT_NO_FATAL_FAILURE(CheckWindows("refused login"));
  }
  // An owner who loaded another league (same teams, another name): reason 0.
  {
    QTemporaryDir otherDir;
    league::SampleOptions o;
    o.name = "Other League";
    o.teams = kTeams;
    o.college = 150;
    o.freeAgents = 30;
    const std::string otherPath = league::WriteSampleLeague(otherDir.path().toStdString(), o);
    Owner& wrong =
        SignOn(5, otherDir.path(),
               QString::fromStdString(fs::path(league::LeagueFileName(otherPath, ".LGE")).filename().string()));
    ASSERT_TRUE(WaitFor([&] { return wrong.ended == 1; }));
    EXPECT_EQ(wrong.LastPrompt(), std::string(kDisconnectedLead) + "\r\n\r\n" +
                                      "You are not using the correct league. Contact the commish for details.");
    ASSERT_TRUE(WaitFor([&] { return engine.OpenConnections() == 3; }));
    EXPECT_FALSE(engine.Team(5).signedOn);
    ASSERT_NO_FATAL_FAILURE(CheckWindows("wrong league refused"));
  }
}

void DraftEndToEnd::RoundOne() {
  Owner& a = *ownerA;
  Owner& b = *ownerB;
  Owner& c = *ownerC;
  // ---- round 1 ----------------------------------------------------------------
  // 1-1: owner A picks the first quarterback with Enter.
  PutOnClock(1);
  ASSERT_TRUE(WaitFor([&] { return a.S().TimerRunning(); }));
  EXPECT_EQ(a.sound.Count(kRingFile), 1);
  EXPECT_EQ(b.sound.Count(kRingFile), 0);
  EXPECT_EQ(a.Draftees()->TimeLeftLabel()->text(), u"60"_s);
  EXPECT_EQ(a.window->windowTitle().toStdString(), "Pickmill - Client - 3.03 - " + T(1) + " - On the clock.");
  ASSERT_TRUE(WaitFor([&] { return HasLine(c.Transcript(), T(1) + " is on the clock."); }));
  engine.Tick();
  a.S().Tick();
  EXPECT_EQ(dc->TimeLeftLabel()->text(), u"59"_s);
  EXPECT_EQ(a.Draftees()->TimeLeftLabel()->text(), u"59"_s);
  ASSERT_NO_FATAL_FAILURE(CheckWindows("1-1 on the clock"));
  firstPick = OwnerPicks(a, 0, 0, false);
  const draft::LineSelection& p11 = firstPick;
  std::string rec = PickArrived(p11, 1);
  EXPECT_EQ(rec, p11.pidText + "|" + T(1) + "|" + p11.name + "|QB|1-1");
  EXPECT_TRUE(!engine.Clock().OnClock());
  EXPECT_FALSE(engine.Clock().Running());
  EXPECT_EQ(dc->SelectionEdit()->text(), u"2"_s);
  for (Owner* o : Live())
    EXPECT_TRUE(WaitFor([&] {
      return HasLine(o->Transcript(), T(1) + " has selected QB " + p11.name + "  -  Round 1-1.");
    })) << o->name;
  EXPECT_TRUE(ServerChat(*server).find(T(1) + " has selected QB " + p11.name + ".") != std::string::npos);
  ASSERT_NO_FATAL_FAILURE(CheckWindows("1-1"));

  // 1-2: owner B, whose quarterback list was rebuilt by A's pick, double-clicks.
  PutOnClock(2);
  ASSERT_TRUE(WaitFor([&] { return b.S().TimerRunning(); }));
  ShowOwnerPosition(b, 0);
  EXPECT_NE(draft::ReadLine(ToL1(b.RookieList()->item(0)->text())).pidText, p11.pidText);
  const auto p12 = OwnerPicks(b, 0, 0, true, false);
  rec = PickArrived(p12, 2);
  EXPECT_EQ(GetField(rec, 5, "|"), "1-2");

  // 1-3: owner C lets the time run out (both clocks ticked to zero).
  PutOnClock(3, "3");
  ASSERT_TRUE(WaitFor([&] { return c.S().TimerRunning(); }));
  EXPECT_EQ(c.Draftees()->TimeLeftLabel()->text(), u"3"_s);
  for (int i = 0; i < 3; ++i) c.S().Tick();
  EXPECT_TRUE(c.Sent("T|3|0|failed to make a selection within the allotted time."));
  EXPECT_FALSE(c.S().TimerRunning());
  EXPECT_EQ(c.Draftees()->TimeLeftLabel()->text(), u""_s);
  EXPECT_EQ(engine.Clock().Team(), 3);  // the client's T changes nothing
  for (int i = 0; i < 3; ++i) engine.Tick();
  EXPECT_TRUE(!engine.Clock().OnClock());
  EXPECT_TRUE(dc->TeamOnClockLabel()->text().isEmpty());
  const std::string timedOut = T(3) + " failed to make a selection while on the clock.";
  for (Owner* o : Live()) EXPECT_TRUE(WaitFor([&] { return HasLine(o->Transcript(), timedOut); })) << o->name;
  EXPECT_TRUE(WaitFor([&] { return c.sound.Count(kBuzzerFile) == 1; }));
  EXPECT_TRUE(ServerChat(*server).find(timedOut) != std::string::npos);
  EXPECT_EQ(engine.Log().Count(), 2);
  EXPECT_EQ(dc->SelectionEdit()->text(), u"3"_s);  // the pick is still to be made
  ASSERT_NO_FATAL_FAILURE(CheckWindows("1-3 timed out"));
  // On the clock again, C picks a halfback.
  PutOnClock(3);
  ASSERT_TRUE(WaitFor([&] { return c.S().TimerRunning(); }));
  const auto p13 = OwnerPicks(c, 2, 0, false);
  rec = PickArrived(p13, 3);
  EXPECT_EQ(GetField(rec, 4, "|") + " " + GetField(rec, 5, "|"), "HB 1-3");

  // 1-4: team 4 is not connected; the Commish is told to pick and does.
  const std::size_t asked = serverPrompter.asked.size();
  PutOnClock(4);
  ASSERT_EQ(serverPrompter.asked.size(), asked + 1);
  EXPECT_EQ(serverPrompter.asked.back().text, "You will have to select for " + T(4) + ".");
  EXPECT_TRUE(dc->TimeLeftLabel()->text().isEmpty());
  EXPECT_FALSE(engine.Clock().Running());
  rec = CommishPicks(0, 0);
  AllHold(4);
  EXPECT_EQ(GetField(rec, 2, "|") + "|" + GetField(rec, 5, "|"), T(4) + "|1-4");
  ASSERT_NO_FATAL_FAILURE(CheckWindows("1-4"));

  // The owner of team 4 joins late and catches up on the four picks.
  ownerD = &Join(4);
  Owner& d = *ownerD;
  AllHold(4);
  EXPECT_FALSE(d.Sent("V|4|0|2"));  // the whole catch-up: every pick came without a request
  EXPECT_EQ(d.DraftListLines(), SelectionLines(engine));
  for (Owner* o : {&a, &b, &c})
    EXPECT_TRUE(WaitFor([&] { return o->S().SignedOn(4) && o->Recipients().back() == T(4); })) << o->name;
  ASSERT_NO_FATAL_FAILURE(CheckWindows("late joiner caught up"));

  // 1-5 and 1-6: the Commish for the absent teams 5 and 6.
  PutOnClock(5);
  rec = CommishPicks(4, 0);
  PutOnClock(6);
  rec = CommishPicks(3, 0);
  AllHold(6);
  EXPECT_EQ(GetField(rec, 5, "|"), "1-6");
  EXPECT_EQ(dc->RoundEdit()->text() + u"-"_s + dc->SelectionEdit()->text(), u"2-1"_s);
  ASSERT_NO_FATAL_FAILURE(CheckWindows("round 1"));
}

void DraftEndToEnd::RoundTwo() {
  Owner& a = *ownerA;
  Owner& b = *ownerB;
  Owner& c = *ownerC;
  Owner& d = *ownerD;
  // ---- round 2 ----------------------------------------------------------------
  // 2-1: A is put on the clock, halted, and put on it again.
  PutOnClock(1);
  ASSERT_TRUE(WaitFor([&] { return a.S().TimerRunning(); }));
  EXPECT_TRUE(dc->HaltButton()->isEnabled());
  QTest::mouseClick(dc->HaltButton(), Qt::LeftButton);
  EXPECT_TRUE(!engine.Clock().OnClock());
  ASSERT_TRUE(WaitFor([&] { return !a.S().TimerRunning(); }));
  EXPECT_EQ(a.sound.Count(kBuzzerFile), 1);
  for (Owner* o : Live())
    EXPECT_TRUE(WaitFor([&] {
      return HasLine(o->Transcript(), T(1) + " has been taken off the clock by the commish.");
    })) << o->name;
  ASSERT_NO_FATAL_FAILURE(CheckWindows("2-1 halted"));
  PutOnClock(1);
  ASSERT_TRUE(WaitFor([&] { return a.S().TimerRunning(); }));
  EXPECT_EQ(a.sound.Count(kRingFile), 3);
  const auto p21 = OwnerPicks(a, 4, 0, false);
  std::string rec = PickArrived(p21, 7);
  EXPECT_EQ(GetField(rec, 5, "|"), "2-1");

  // Chat: B to everybody, A privately to C, the Commish privately to D, D
  // privately to the Commish.
  {
    auto* chat = b.window->Chat();
    chat->RecipientList()->setCurrentIndex(0);
    QTest::keyClicks(chat->InputLine(), u"good luck, all"_s);
    QTest::keyClick(chat->InputLine(), Qt::Key_Return);
    const std::string line = T(2) + ": good luck, all";
    for (Owner* o : Live()) EXPECT_TRUE(WaitFor([&] { return HasLine(o->Transcript(), line); })) << o->name;
    EXPECT_TRUE(WaitFor([&] { return ServerChat(*server).find(line) != std::string::npos; }));

    auto* achat = a.window->Chat();
    const int cAt = achat->RecipientList()->findText(L1(T(3)));
    ASSERT_GE(cAt, 0);
    achat->RecipientList()->setCurrentIndex(cAt);
    QTest::keyClicks(achat->InputLine(), u"trade your pick?"_s);
    QTest::keyClick(achat->InputLine(), Qt::Key_Return);
    EXPECT_TRUE(HasLine(a.Transcript(), "Private to " + T(3) + ": trade your pick?"));
    EXPECT_TRUE(WaitFor([&] { return HasLine(c.Transcript(), "Private from " + T(1) + ": trade your pick?"); }));

    auto* schat = server->ChatWindow();
    const int dAt = schat->RecipientBox()->findText(L1(T(4)));
    ASSERT_GE(dAt, 0);
    schat->RecipientBox()->setCurrentIndex(dAt);
    QTest::keyClicks(schat->ChatSend(), u"welcome back"_s);
    QTest::keyClick(schat->ChatSend(), Qt::Key_Return);
    EXPECT_TRUE(WaitFor([&] { return HasLine(d.Transcript(), "Private from the Commish: welcome back"); }));
    EXPECT_TRUE(ServerChat(*server).find("Private to " + T(4) + ": welcome back") != std::string::npos);

    auto* dchat = d.window->Chat();
    dchat->RecipientList()->setCurrentIndex(1);  // Commish
    QTest::keyClicks(dchat->InputLine(), u"thanks"_s);
    QTest::keyClick(dchat->InputLine(), Qt::Key_Return);
    EXPECT_TRUE(
        WaitFor([&] { return ServerChat(*server).find("Private from " + T(4) + ": thanks") != std::string::npos; }));
    // The next public line has passed everything sent before it: nobody else got the private lines.
    schat->RecipientBox()->setCurrentIndex(0);
    QTest::keyClicks(schat->ChatSend(), u"round 2 under way"_s);
    QTest::keyClick(schat->ChatSend(), Qt::Key_Return);
    for (Owner* o : Live()) {
      EXPECT_TRUE(WaitFor([&] { return HasLine(o->Transcript(), "Commish: round 2 under way"); })) << o->name;
      if (o != &a && o != &c) {
        EXPECT_EQ(o->Transcript().find("trade your pick?"), std::string::npos) << o->name;
      }
      if (o != &d) {
        EXPECT_EQ(o->Transcript().find("welcome back"), std::string::npos) << o->name;
      }
      if (o != &d) {
        EXPECT_EQ(o->Transcript().find("thanks"), std::string::npos) << o->name;
      }
    }
  }

  // 2-2 B, 2-3 C, 2-4 D (the late joiner) pick for themselves.
  PutOnClock(2);
  ASSERT_TRUE(WaitFor([&] { return b.S().TimerRunning(); }));
  rec = PickArrived(OwnerPicks(b, 5, 0, true), 8);
  PutOnClock(3);
  ASSERT_TRUE(WaitFor([&] { return c.S().TimerRunning(); }));
  rec = PickArrived(OwnerPicks(c, 6, 0, false), 9);
  PutOnClock(4);
  ASSERT_TRUE(WaitFor([&] { return d.S().TimerRunning(); }));
  EXPECT_EQ(d.sound.Count(kRingFile), 1);
  rec = PickArrived(OwnerPicks(d, 7, 0, true), 10);
  EXPECT_EQ(GetField(rec, 2, "|") + "|" + GetField(rec, 5, "|"), T(4) + "|2-4");
  ASSERT_NO_FATAL_FAILURE(CheckWindows("2-4"));

  // 2-5: the Commish picks a defensive end for team 5, deletes the pick, and
  // picks again.
  PutOnClock(5);
  const std::string deleted = CommishPicks(8, 0);
  deletedPid = GetField(deleted, 1, "|");
  AllHold(11);
  for (Owner* o : Live()) ShowOwnerPosition(*o, 8);
  const std::vector<std::string> withoutIt = Lines(dc->Draftees()->RookieList());
  EXPECT_EQ(Lines(a.RookieList()), withoutIt);
  const int selRow = static_cast<int>(dc->SelectionsList()->count()) - 1;
  dc->SelectionsList()->setCurrentRow(selRow);
  ASSERT_TRUE(dc->DeleteButton()->isEnabled());
  serverPrompter.answers = {PromptAnswer::Yes};
  QTest::mouseClick(dc->DeleteButton(), Qt::LeftButton);
  EXPECT_EQ(serverPrompter.asked.back().text, "Are you sure you want to delete pick at round 2-5?");
  EXPECT_EQ(engine.Log().Count(), 11);  // the count stays; the element is blank
  EXPECT_EQ(engine.Log().Slot(11), nullptr);
  EXPECT_EQ(dc->SelectionsList()->count(), 10);
  // The player is back in the Commish's list at once (its position is shown).
  const auto serverDe = Lines(dc->Draftees()->RookieList());
  EXPECT_EQ(serverDe.size(), withoutIt.size() + 1);
  EXPECT_EQ(std::count_if(serverDe.begin(), serverDe.end(),
                          [&](const std::string& l) { return draft::ReadLine(l).pidText == deletedPid; }),
            1);
  // The owners redraw their draft lists; their Draftees windows show the
  // player again after the next refresh of the position.
  for (Owner* o : Live()) {
    ASSERT_TRUE(WaitFor([&] { return o->DraftListLines().size() == 10; })) << o->name;
    EXPECT_EQ(o->S().Picks().At(11), nullptr) << o->name;
    EXPECT_EQ(Lines(o->RookieList()), withoutIt) << o->name;  // not refreshed by the delete
    ShowOwnerPosition(*o, 8);
    EXPECT_EQ(Lines(o->RookieList()), serverDe) << o->name;
  }
  ASSERT_NO_FATAL_FAILURE(CheckWindows("2-5 deleted"));
  // The Commish sets the next pick back to 2-5 and picks the second line.
  dc->SelectionEdit()->selectAll();
  QTest::keyClicks(dc->SelectionEdit(), u"5"_s);
  EXPECT_EQ(engine.NextLabel().selection, 5);
  PutOnClock(5);
  rec = CommishPicks(8, 1);
  AllHold(12);
  EXPECT_EQ(GetField(rec, 5, "|"), "2-5");
  EXPECT_NE(GetField(rec, 1, "|"), deletedPid);
  // 2-6 for team 6.
  PutOnClock(6);
  rec = CommishPicks(9, 0);
  AllHold(13);
  EXPECT_EQ(GetField(rec, 5, "|"), "2-6");
  ASSERT_NO_FATAL_FAILURE(CheckWindows("round 2"));
}

void DraftEndToEnd::KickAndReturn() {
  Owner& b = *ownerB;
  Owner& c = *ownerC;
  const draft::LineSelection& p11 = firstPick;
  // ---- a kick, and an owner who leaves and comes back ------------------------
  dc->TeamsList()->setCurrentRow(TeamRow(T(3)));
  serverPrompter.answers = {PromptAnswer::Yes};  // "Are you sure you want to kick ...?"
  QTest::mouseClick(dc->KickButton(), Qt::LeftButton);
  ASSERT_TRUE(WaitFor([&] { return c.ended == 1; }));
  EXPECT_EQ(c.prompter.asked.back().title, "Connection disconnected.");
  EXPECT_EQ(c.LastPrompt(),
            std::string(kDisconnectedLead) + "\r\n\r\n" + "You have been kicked out of the draft by the commish.");
  ASSERT_TRUE(WaitFor([&] { return !engine.Team(3).signedOn; }));
  for (Owner* o : Live())
    EXPECT_TRUE(WaitFor([&] { return HasLine(o->Transcript(), "*** " + T(3) + " *** has left the draft."); }))
        << o->name;
  EXPECT_TRUE(ServerChat(*server).find("*** " + T(3) + "*** has left the draft. ***") != std::string::npos);
  ASSERT_NO_FATAL_FAILURE(CheckWindows("C kicked"));

  // B signs off (Connection menu, Yes) ...
  b.prompter.answers = {PromptAnswer::Yes};
  b.window->ConnectAction()->trigger();
  EXPECT_EQ(b.ended, 1);
  ASSERT_TRUE(WaitFor([&] { return !engine.Team(2).signedOn && engine.OpenConnections() == 2; }));
  for (Owner* o : Live()) EXPECT_TRUE(WaitFor([&] { return !o->S().SignedOn(2); })) << o->name;
  // ... and on again with a new program, whose Draftees window opens the
  // moment it connects, before the catch-up has brought in any pick.
  owners.push_back(std::make_unique<Owner>());
  ownerB2 = owners.back().get();
  Owner& b2 = *ownerB2;
  b2.team = 2;
  b2.name = T(2);
  b2.S().SetPort(engine.Port());
  QObject::connect(&b2.S(), &ClientSession::connectedToServer, b2.window.get(), [&b2] { b2.window->OnDrafteesMenu(); });
  b2.window->OnConnectMenu();
  {
    client::LeagueSelect* ls = b2.window->LeagueWindow();
    ASSERT_NE(ls, nullptr);
    ls->SetFolder(dir.path());
    ls->FileList()->setCurrentItem(ls->FileList()->findItems(leagueFileName, Qt::MatchExactly).value(0));
    ls->LoadLeague();
    ls->TeamList()->setCurrentIndex(1);
    ls->OnTeamChosen();
    QTest::keyClicks(ls->AddressBox(), u"127.0.0.1"_s);
    QTest::keyClick(ls->AddressBox(), Qt::Key_Return);
  }
  ASSERT_TRUE(WaitFor([&] { return b2.S().Connected() && engine.Team(2).signedOn; }));
  ASSERT_NE(b2.Draftees(), nullptr);
  AllHold(13);
  b2.window->OnChatMenu();
  EXPECT_EQ(b2.DraftListLines(), SelectionLines(engine));
  // Its quarterback list was built before the catch-up: it still offers the
  // quarterback taken at 1-1.
  EXPECT_EQ(draft::ReadLine(ToL1(b2.RookieList()->item(0)->text())).pidText, p11.pidText);
}

void DraftEndToEnd::RoundThree() {
  Owner& a = *ownerA;
  Owner& d = *ownerD;
  Owner& b2 = *ownerB2;
  const draft::LineSelection& p11 = firstPick;
  // ---- round 3 ----------------------------------------------------------------
  PutOnClock(1);
  ASSERT_TRUE(WaitFor([&] { return a.S().TimerRunning(); }));
  std::string rec = PickArrived(OwnerPicks(a, 10, 0, false), 14);
  EXPECT_EQ(GetField(rec, 5, "|"), "3-1");

  // 3-2: B's second program picks from its stale list: G, the clock goes on.
  PutOnClock(2);
  ASSERT_TRUE(WaitFor([&] { return b2.S().TimerRunning(); }));
  b2.S().Tick();
  const auto taken = OwnerPicks(b2, 0, 0, false, false);
  EXPECT_EQ(taken.pidText, p11.pidText);
  const std::string attempted = T(2) + " attempted to choose QB " + p11.name + " who has already been selected.";
  for (Owner* o : Live()) EXPECT_TRUE(WaitFor([&] { return HasLine(o->Transcript(), attempted); })) << o->name;
  EXPECT_TRUE(WaitFor([&] { return b2.S().TimerRunning(); }));
  EXPECT_EQ(b2.S().ClockSeconds(), 59);
  EXPECT_TRUE(ServerChat(*server).find("QB " + p11.name + " already selected.") != std::string::npos);
  EXPECT_EQ(engine.Log().Count(), 14);
  EXPECT_EQ(engine.Team(engine.Clock().Team()).name, T(2));
  // B refreshes its list and picks a cornerback.
  rec = PickArrived(OwnerPicks(b2, 11, 0, true), 15);
  EXPECT_EQ(GetField(rec, 2, "|") + "|" + GetField(rec, 5, "|"), T(2) + "|3-2");
  ASSERT_NO_FATAL_FAILURE(CheckWindows("3-2"));

  // 3-3: team 3 was kicked: the Commish picks for it.
  PutOnClock(3);
  EXPECT_EQ(serverPrompter.asked.back().text, "You will have to select for " + T(3) + ".");
  rec = CommishPicks(12, 0);
  AllHold(16);
  PutOnClock(4);
  ASSERT_TRUE(WaitFor([&] { return d.S().TimerRunning(); }));
  rec = PickArrived(OwnerPicks(d, 13, 0, false), 17);
  PutOnClock(5);
  rec = CommishPicks(14, 0);
  PutOnClock(6);
  rec = CommishPicks(0, 0);
  AllHold(19);
  EXPECT_EQ(GetField(rec, 5, "|"), "3-6");
  ASSERT_NO_FATAL_FAILURE(CheckWindows("round 3"));

  // Every team has three picks, each label once.
  std::map<std::string, int> perTeam;
  std::set<std::string> labels;
  for (const auto& r : RecordedPicks()) {
    ++perTeam[GetField(r, 2, "|")];
    EXPECT_TRUE(labels.insert(GetField(r, 5, "|")).second) << r;
  }
  EXPECT_EQ(labels.size(), 18u);
  for (int k = 1; k <= kTeams; ++k) EXPECT_EQ(perTeam[T(k)], 3) << T(k);
}

void DraftEndToEnd::LeaveAndMerge() {
  // ---- everybody leaves; the merge ---------------------------------------------
  EXPECT_FALSE(dc->MergeButton()->isEnabled());
  for (Owner* o : Live()) {
    o->prompter.answers = {PromptAnswer::Yes};
    o->window->ConnectAction()->trigger();
    EXPECT_EQ(o->ended, 1);
  }
  ASSERT_TRUE(WaitFor([&] { return engine.OpenConnections() == 0; }));
  ASSERT_TRUE(WaitFor([&] { return dc->MergeButton()->isEnabled(); }));
  for (int k = 1; k <= kTeams; ++k) EXPECT_FALSE(engine.Team(k).signedOn);
  ASSERT_NO_FATAL_FAILURE(CheckWindows("all signed off"));

  const std::vector<std::string> finalPicks = RecordedPicks();
  const league::IdList rookiesBefore = league::ReadCollegeList(leaguePath);
  bool mergeSeen = false;
  std::string mergeFailure;
  // The Merge window is modal: it is driven from inside its own event loop.
  QTimer::singleShot(0, server.get(), [&] {
    QWidget* w = QApplication::activeModalWidget();
    if (w == nullptr || w->objectName() != u"Merge"_s) {
      mergeFailure = "no modal Merge window";
      for (QWidget* top : QApplication::topLevelWidgets())
        if (top->objectName() == u"Merge"_s && top->isVisible()) w = top;
      if (w == nullptr) return;
    }
    mergeSeen = true;
    auto* run = w->findChild<QPushButton*>(u"Command1"_s);
    if (run == nullptr) {
      mergeFailure = "no Command1";
      if (auto* dlg = qobject_cast<QDialog*>(w)) dlg->reject();
      return;
    }
    EXPECT_EQ(run->text(), u"&Merge"_s);
    // "No Change": the stage byte and the free agents stay as they are, so
    // the college list loses exactly the players put on rosters.
    auto* noChange = w->findChild<QRadioButton*>(u"Option1_0"_s);
    if (noChange == nullptr) {
      mergeFailure = "no Option1_0";
    } else {
      QTest::mouseClick(noChange, Qt::LeftButton);
      EXPECT_TRUE(noChange->isChecked());
    }
    QTest::mouseClick(run, Qt::LeftButton);
  });
  QTest::mouseClick(dc->MergeButton(), Qt::LeftButton);
  ASSERT_TRUE(mergeSeen) << mergeFailure;
  ASSERT_FALSE(serverPrompter.asked.empty());
  EXPECT_EQ(serverPrompter.asked.back().title, "Info");
  const std::string closing = serverPrompter.asked.back().text;
  SCOPED_TRACE("merge closing message: " + closing);

  // What stayed in the draft file (players the rosters had no room for) is
  // the server's pick list now; everything else is on its team's roster.
  const std::vector<std::string> kept = RecordedPicks();
  std::string keptText;
  for (const auto& r : kept) keptText += r + "\r\n";
  EXPECT_EQ(ReadWholeFile(engine.DraftFile()).value_or("<missing>"), keptText);
  // Only full rosters keep players here, and the closing message says so.
  EXPECT_EQ(closing, kept.empty() ? std::string("All players were merged successfully.\r\n\r\n"
                                                "Run FBPro later to ensure files are in good working order.")
                                  : "Some players could not be put on teams since their roster is full.\r\n\r\n"
                                    "These players still exist in file " +
                                        engine.DraftFile() + ".Cut lists will be needed to enable the merging.");
  std::set<std::string> keptPids;
  for (const auto& r : kept) keptPids.insert(GetField(r, 1, "|"));

  std::map<int, std::set<int>> onRoster;
  for (int k = 1; k <= kTeams; ++k) {
    league::TeamRosterRead read = league::GetTeamRoster(leaguePath, k, version);
    ASSERT_TRUE(read.found) << T(k);
    std::set<int> jerseys;
    for (const auto& group : read.roster.groups)
      for (const auto& e : group)
        if (!e.Empty()) {
          onRoster[k].insert(e.pid);
          EXPECT_TRUE(jerseys.insert(e.jersey).second || e.jersey == 0) << T(k) << " jersey " << e.jersey;
        }
  }
  int placed = 0;
  const league::IdList rookiesAfter = league::ReadCollegeList(leaguePath);
  const std::set<int16_t> stillListed(rookiesAfter.begin() + 1, rookiesAfter.end());
  for (const auto& r : finalPicks) {
    const std::string pidText = GetField(r, 1, "|");
    const int pid = static_cast<int>(LeadingNumber(pidText));
    const int k = engine.TeamIndexOf(GetField(r, 2, "|"));
    if (keptPids.count(pidText)) {
      EXPECT_FALSE(onRoster[k].count(pid)) << r;
      continue;
    }
    ++placed;
    EXPECT_TRUE(onRoster[k].count(pid)) << r << " is not on its team's roster";
    for (int other = 1; other <= kTeams; ++other) {
      if (other != k) {
        EXPECT_FALSE(onRoster[other].count(pid)) << r;
      }
    }
    EXPECT_FALSE(stillListed.count(static_cast<int16_t>(pid))) << r << " is still a college draftee";
  }
  EXPECT_EQ(placed + static_cast<int>(kept.size()), 19 - 1);  // 19 recorded, one deleted
  EXPECT_GT(placed, 0);
  // The player whose pick was deleted is still a college draftee and on no roster.
  EXPECT_TRUE(stillListed.count(static_cast<int16_t>(LeadingNumber(deletedPid))));
  for (int k = 1; k <= kTeams; ++k) EXPECT_FALSE(onRoster[k].count(static_cast<int>(LeadingNumber(deletedPid))));
  EXPECT_EQ(rookiesAfter[0], rookiesBefore[0] - placed);
  for (const auto& pid : keptPids) EXPECT_TRUE(stillListed.count(static_cast<int16_t>(LeadingNumber(pid)))) << pid;
  EXPECT_EQ(league::GetLeagueStage(leaguePath), 0);
  // The Draft Control window was reopened with the kept picks.
  dc = server->DraftControlWindow();
  ASSERT_NE(dc, nullptr);
  EXPECT_EQ(Lines(dc->SelectionsList()), SelectionLines(engine));
}

TEST_F(DraftEndToEnd, ThreeRoundDraftFromLoginsToMergedRosters) {
  ASSERT_NO_FATAL_FAILURE(LoadLeague());
  EXPECT_EQ(server->windowTitle(),
            u"Pickmill - Server - "_s + QString::fromLatin1(engine.LeagueName()) + u" - Server Up."_s);
  EXPECT_EQ(engine.TeamCount(), kTeams);

  ASSERT_NO_FATAL_FAILURE(Logins());
  ASSERT_NO_FATAL_FAILURE(RoundOne());
  ASSERT_NO_FATAL_FAILURE(RoundTwo());
  ASSERT_NO_FATAL_FAILURE(KickAndReturn());
  ASSERT_NO_FATAL_FAILURE(RoundThree());
  ASSERT_NO_FATAL_FAILURE(LeaveAndMerge());
}

}  // namespace
}  // namespace pm
