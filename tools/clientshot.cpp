// Draws the client's main window, mid-draft, into a PNG file (for the
// documentation): a sample league drafting in a snake order with a traded
// pick, a draft server on a loopback port, the owner of team 1 connected
// with the room he starts with (Draftees under the banner, Up Next, Draft
// List and Chat) while he is on the clock; then,
// when asked for, My List beside the Draftees window, the Draftees window
// with a name in its Find box, and the Draft Board after a round and a half
// of picks.
// Usage: clientshot MAIN.png [LEAGUE-WINDOW.png [MY-LIST.png [FIND.png BOARD.png]]]
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScrollBar>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include "client/ui/Client.h"
#include "client/ui/DrafteesWindow.h"
#include "client/ui/LeagueSelect.h"
#include "client/ui/MyListWindow.h"
#include "league/FBPro.h"
#include "league/Sample.h"
#include "server/engine/DraftServer.h"
#include "widgets/DraftBoardView.h"
#include "widgets/DrafteeFind.h"
#include "widgets/DrafteeList.h"
#include "widgets/Widgets.h"

using namespace Qt::StringLiterals;

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc < 2) return 2;
  QTemporaryDir dir;
  const std::string path = pm::league::WriteSampleLeague(pm::widgets::NativePath(dir.path()), {});
  pm::server::DraftServer server;
  server.SetPort(0);
  if (!server.LoadLeague(pm::league::LeagueFileName(path, ".LGE"), false).Ok()) return 1;
  // Snake, four rounds; team 1's second-round pick traded to team 3.
  pm::draft::DraftOrder order = pm::draft::DraftOrder::Default(server.TeamCount());
  order.snake = true;
  order.rounds = 4;
  order.traded[{2, server.TeamCount()}] = 3;
  order.settings.timeAllowed = 120;
  server.SetOrder(order);

  pm::ScriptedPrompter prompts;
  pm::client::Client window(&prompts);
  pm::client::ClientSession& s = window.Session();
  s.endProgram = [] {};
  if (argc > 2) {
    // The league window (a window of its own) on the sample league's folder.
    window.resize(1000, 640);
    window.show();
    window.OnConnectMenu();
    window.LeagueWindow()->SetFolder(dir.path());
    QTest::qWait(500);
    if (!window.LeagueWindow()->grab().save(QFile::decodeName(argv[2]))) return 1;
    window.LeagueWindow()->close();
  }
  const pm::client::LeagueLoad load = s.LoadLeague(pm::league::LeagueFileName(path, ".LGE"), false);
  if (!load.Ok()) return 1;
  const std::vector<std::string>& names = load.teams;
  // The draftees the picks below are made of, as the league holds them.
  const pm::league::DrafteePool pool = pm::league::LoadPool(path, static_cast<int16_t>(load.league.versionCode), false);
  s.ChooseTeam(names[0]);
  s.SetPort(server.Port());
  s.SetWishListFolder(dir.filePath(u"MyList"_s));  // never the user's own lists
  window.resize(1280, 860);
  window.show();
  s.Connect("127.0.0.1");
  if (!QTest::qWaitFor([&] { return s.Connected(); }, 5000)) return 1;

  // A second owner, some picks and some talk.
  pm::client::ClientSession other;
  other.endProgram = [] {};
  other.league = s.league;
  other.SetTeams(names);
  other.ChooseTeam(names[1]);
  other.SetPort(server.Port());
  other.Connect("127.0.0.1");
  if (!QTest::qWaitFor([&] { return server.Team(2).signedOn; }, 5000)) return 1;
  // Team `team` picks the first player of `position` not drafted yet: an
  // owner who is connected picks for himself, the Commish for every other
  // team.
  const auto pick = [&](int team, int position) {
    const auto& players = pool.positionIndex[static_cast<std::size_t>(position)];
    std::size_t slot = 0;
    while (slot < players.size() && s.Picks().HasPid(pool.draftees[static_cast<std::size_t>(players[slot])].player.pid))
      ++slot;
    if (slot == players.size()) return false;
    const auto& p = pool.draftees[static_cast<std::size_t>(players[slot])].player;
    std::string name =
        p.fname.substr(0, static_cast<std::size_t>(std::max(0, 19 - static_cast<int>(p.lname.size())))) + " " + p.lname;
    name = name.substr(0, 20);
    const std::string caption = pm::league::PositionCaption(position);
    const int before = s.PickCount();
    const pm::draft::PickLabel label = server.NextLabel();
    server.PutOnClock(team, 90, label);
    if (team <= 2) {
      pm::client::ClientSession& owner = team == 1 ? s : other;
      if (!QTest::qWaitFor([&] { return owner.TimerRunning(); }, 5000)) return false;
      owner.SendOwnPick(p.pid, name, caption);
    } else {
      server.CommishPick(p.pid, team, label);
    }
    return QTest::qWaitFor([&] { return s.PickCount() == before + 1; }, 5000);
  };
  // The team owning the next pick.
  const auto nextTeam = [&] { return server.Order().OwnerOf(server.NextLabel()); };
  // The first round and the turn: team 1 is on the clock again at the end
  // of the second round (its own pick traded away, the next one its own).
  const int teams = static_cast<int>(names.size());
  int made = 0;
  for (; made < teams + teams / 2; ++made)
    if (!pick(nextTeam(), made % pm::league::kShownPositions)) return 1;
  other.SendChat(pm::client::ClientSession::kChatToEveryone, "Good pick. I wanted him.");
  server.CommishChat(0, "Round 2 is going quickly - keep it up.");
  for (; nextTeam() != 1; ++made)
    if (!pick(nextTeam(), made % pm::league::kShownPositions)) return 1;
  // The automatic run puts team 1 on the clock, and the owners are sent the
  // order it follows.
  server.SetRunAutomatically(true);
  if (!QTest::qWaitFor([&] { return s.TimerRunning(); }, 5000)) return 1;
  for (int i = 0; i < 17; ++i) s.Tick();
  QTest::qWait(200);
  QMdiArea* mdi = window.MdiArea();
  const QRect area = mdi->viewport()->rect();
  if (!window.grab().save(QFile::decodeName(argv[1]))) return 1;
  if (argc < 4) return 0;

  // My List with a few players of several positions, beside Draftees and
  // above the Draft List.
  const int wanted[][2] = {{0, 2}, {4, 3}, {2, 1}, {11, 0}, {0, 4}, {13, 0}};
  for (const auto& [position, k] : wanted) {
    const auto& list = pool.positionIndex[static_cast<std::size_t>(position)];
    const int index = list[static_cast<std::size_t>(k)];
    s.AddWish(pool.draftees[static_cast<std::size_t>(index)].player.pid);
  }
  window.OnMyListMenu();
  window.MyList()->AutoPickLateBox()->setChecked(true);
  window.MyList()->List()->setCurrentRow(1);
  for (QMdiSubWindow* sub : mdi->subWindowList()) {
    const QString name = sub->widget()->objectName();
    if (name == u"Draftees"_s) sub->setGeometry(0, 0, area.width() * 52 / 100, area.height());
    if (name == u"MyList"_s)
      sub->setGeometry(area.width() * 52 / 100, 0, area.width() * 48 / 100, area.height() * 3 / 5);
    if (name == u"DraftList"_s)
      sub->setGeometry(area.width() * 52 / 100, area.height() * 3 / 5, area.width() * 48 / 100, area.height() * 2 / 5);
    if (name == u"PublicChat"_s) sub->close();
  }
  QTest::qWait(200);
  if (!window.grab().save(QFile::decodeName(argv[3]))) return 1;
  if (argc < 6) return 0;

  // The Find box: a name typed in any letter case and without its accent.
  pm::client::DrafteesWindow* draftees = window.Draftees();
  pm::widgets::DrafteeFind* find = draftees->List()->Find();
  find->Box()->setText(u"muller"_s);
  find->Results()->setCurrentRow(std::min(1, find->Results()->count() - 1));
  find->Choose(find->Results()->currentRow());
  find->Box()->setFocus();
  QTest::qWait(200);
  if (!draftees->parentWidget()->grab().save(QFile::decodeName(argv[4]))) return 1;

  // The Draft Board headed by team, the own team's picks and the pick in
  // progress marked, the traded pick named.
  window.resize(1580, 860);
  window.OnDraftBoardMenu();
  QWidget* board = window.DraftBoard()->parentWidget();
  board->setGeometry(0, 0, mdi->viewport()->width(), mdi->viewport()->height() / 2);
  QTest::qWait(200);
  // Scrolled to the last columns (the traded pick), the rounds staying in view.
  QScrollBar* sideways = window.DraftBoard()->Grid()->horizontalScrollBar();
  sideways->setValue(sideways->maximum());
  QTest::qWait(200);
  return board->grab().save(QFile::decodeName(argv[5])) ? 0 : 1;
}
