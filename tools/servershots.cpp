// Saves pictures of the server's windows on a sample league for the
// documentation: the main window with Draft Control and Chat open, and the
// league window, and the Draft Order window. Usage: PKServerShots <output folder>. Runs on any display
// (the screenshots script uses a virtual one).
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QRadioButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>

#include "league/Sample.h"
#include "server/engine/DraftServer.h"
#include "server/ui/DraftControl.h"
#include "server/ui/DraftOrderWindow.h"
#include "server/ui/LeagueSelect.h"
#include "server/ui/PublicChat.h"
#include "server/ui/ServerWindow.h"
#include "widgets/DrafteeList.h"
#include "widgets/Widgets.h"

namespace {

bool Save(QWidget* w, const QString& path) {
  QApplication::processEvents();
  bool ok = w->grab().save(path);
  std::printf("%s %s\n", ok ? "saved" : "FAILED", qPrintable(path));
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const QString out = argc > 1 ? QFile::decodeName(argv[1]) : QStringLiteral("docs");
  QDir().mkpath(out);
  // The sample league lies beside the pictures while they are taken.
  QTemporaryDir dir(QDir(out).absoluteFilePath(QStringLiteral("sample-league-XXXXXX")));
  pm::league::SampleOptions options;
  std::string leaguePath = pm::league::WriteSampleLeague(pm::widgets::NativePath(dir.path()), options);

  pm::server::DraftServer engine;
  pm::ScriptedPrompter prompter;
  prompter.answerer = [](const pm::PromptRequest&) { return pm::PromptAnswer::Yes; };
  engine.SetPort(0);
  pm::server::ServerWindow window(engine, prompter);
  window.resize(1500, 1000);
  window.show();
  if (!QTest::qWaitForWindowExposed(&window)) return 1;

  window.Start();
  pm::server::LeagueSelect* ls = window.LeagueWindow();
  ls->SetFolder(dir.path());
  ls->SelectFile(QFileInfo(pm::widgets::ShownPath(leaguePath + ".LGE")).fileName()) ||
      ls->SelectFile(ls->FileList()->count() > 0 ? ls->FileList()->item(0)->text() : QString());
  ls->FreeAgentsBox()->setChecked(true);
  QTest::qWait(1000);  // the folder list reads its folders in the background
  Save(window.LeagueWindow()->parentWidget(), out + QStringLiteral("/server-league-select.png"));
  ls->LoadSelectedFile();
  if (!engine.LeagueLoaded()) {
    std::fprintf(stderr, "the sample league did not load\n");
    return 1;
  }

  // A few picks made by the Commish for teams that are not connected.
  pm::server::DraftControl* dc = window.DraftControlWindow();
  for (int pick = 0; pick < 5; ++pick) {
    dc->TeamsList()->setCurrentRow(pick);
    dc->OnTeamActivated();
    dc->Draftees()->RookieList()->setCurrentRow(pick % 3);
    dc->OnPlayerActivated(dc->Draftees()->SelectedPid());
  }
  dc->TeamsList()->setCurrentRow(5);
  dc->OnTeamActivated();  // on the clock, waiting for the Commish

  window.ShowChat();
  pm::server::PublicChat* chat = window.ChatWindow();
  chat->AddPubChat(QStringLiteral("Commish: Welcome to the draft."));
  window.ChatFrame()->resize(520, 300);
  window.DraftControlFrame()->move(0, 0);
  window.DraftControlFrame()->resize(window.DraftControlFrame()->sizeHint().expandedTo(QSize(960, 720)));
  window.ChatFrame()->move(window.DraftControlFrame()->width() + 4, 0);
  dc->Draftees()->RatingBox(0)->click();
  Save(&window, out + QStringLiteral("/server-main.png"));
  Save(dc, out + QStringLiteral("/server-draft-control.png"));

  // The Draft Order window with a snake order of three rounds, one team moved up.
  pm::server::DraftOrderWindow* order = pm::server::OpenDraftOrder(engine, prompter, &window);
  order->SnakeButton()->setChecked(true);
  order->RoundsBox()->setValue(3);
  order->TeamList()->setCurrentRow(3);
  order->MoveSelected(-1);
  if (!QTest::qWaitForWindowExposed(order)) return 1;
  Save(order, out + QStringLiteral("/server-draft-order.png"));
  return 0;
}
