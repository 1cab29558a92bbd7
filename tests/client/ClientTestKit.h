// Shared helpers of the client tests: a sample league on disk, a real draft
// server on an ephemeral loopback port, and client sessions with recording
// windows, prompts and sound.
#pragma once

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QTest>

#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "client/ClientSession.h"
#include "client/ClientView.h"
#include "client/Sound.h"
#include "common/Prompt.h"
#include "draft/Pick.h"
#include "league/FBPro.h"
#include "league/Sample.h"
#include "server/engine/DraftServer.h"
#include "tests/support/Notices.h"
#include "tests/support/Wait.h"

namespace pm::test {

using namespace pm::client;

struct SampleLeague {
  QTemporaryDir dir;
  std::string leaguePath;
  std::string leagueFile;
  std::string name;
  int16_t version = 0;
  std::vector<std::string> teams;
  league::DrafteePool pool;

  explicit SampleLeague(league::SampleOptions options = {}, bool includeFreeAgents = false) {
    leaguePath = league::WriteSampleLeague(dir.path().toStdString(), options);
    leagueFile = league::LeagueFileName(leaguePath, ".LGE");
    league::VersionInfo v = league::GetVersion(leaguePath);
    name = v.name;
    version = v.version;
    league::TeamList list = league::GetTeams(leaguePath);
    for (int i = 1; i <= list.teamCount; ++i) teams.push_back(list.names[static_cast<std::size_t>(i)]);
    pool = league::LoadPool(leaguePath, version, includeFreeAgents);
  }
  std::string Folder() const { return dir.path().toStdString(); }
  std::string DraftFile() const { return Folder() + "/" + name + "-DRAFT.TXT"; }
};

// Pick n of a session as a draft-file record; empty for a blank slot.
inline std::string Record(const ClientSession& session, int n) {
  const draft::Pick* pick = session.Picks().At(n);
  return pick ? draft::PickRecord(*pick) : std::string();
}

// The windows, as a recorder.
struct RecordingView : ClientView {
  std::string caption;
  bool connected = false;
  bool chatOpen = false;
  std::vector<std::string> chat;
  std::vector<int> recipients;  // team numbers
  std::vector<std::string> draftList;
  int draftListClears = 0;
  std::string timeLeft;
  std::vector<std::string> timeLeftHistory;
  std::string shownPosition;
  int rebuilds = 0;
  int wishListChanges = 0;
  int attentionRequests = 0;

  void SetCaption(const std::string& c) override { caption = c; }
  void ShowConnected() override { connected = true; }
  bool ChatOpen() const override { return chatOpen; }
  void ChatAppend(const std::string& line) override {
    chatOpen = true;
    chat.push_back(line);
  }
  void ChatAddRecipient(int team) override { recipients.push_back(team); }
  void ChatRemoveRecipient(int team) override { std::erase(recipients, team); }
  void DraftListAdd(const std::string& line) override { draftList.push_back(line); }
  void DraftListClear() override {
    draftList.clear();
    ++draftListClears;
  }
  void SetTimeLeft(const std::string& t) override {
    timeLeft = t;
    timeLeftHistory.push_back(t);
  }
  std::string DrafteesShownPosition() const override { return shownPosition; }
  void DrafteesRebuild() override { ++rebuilds; }
  void WishListChanged() override { ++wishListChanges; }
  void RequestAttention() override { ++attentionRequests; }
  bool ChatHas(const std::string& line) const {
    for (const auto& l : chat)
      if (l == line) return true;
    return false;
  }
};

struct RecordingSound : SoundPlayer {
  std::vector<std::string> played;
  void PlaySound(const std::string& path) override { played.push_back(path); }
};

// A draft server on a free loopback port, league loaded.
struct TestServer {
  ScriptedPrompter prompter;
  server::DraftServer engine;
  int reports = 0;

  explicit TestServer(const SampleLeague& league, bool includeFreeAgents = false) {
    RecordNotices(engine, prompter);
    engine.SetPort(0);
    engine.Reporter().endProgram = [this] { ++reports; };
    engine.Reporter().showMessage = [](const std::string&) {};
    server::LoadResult r = engine.LoadLeague(league.leagueFile, includeFreeAgents, server::PreviousDraft::Resume);
    if (!r.Ok())
      throw std::runtime_error("server league load failed: status " + std::to_string(static_cast<int>(r.status)));
  }
  quint16 Port() const { return engine.Port(); }
  // Puts a team on the clock with the announced label and time.
  server::DraftServer::ClockResult OnClock(int team, int seconds) {
    return engine.PutOnClock(team, seconds, engine.NextLabel());
  }
};

// One client session for a team, with everything it talks to recorded.
struct TestClient {
  RecordingView view;
  ScriptedPrompter prompter;
  RecordingSound sound;
  ClientSession session;
  int ended = 0;

  TestClient(const SampleLeague& league, int team, quint16 port, bool includeFreeAgents = false) {
    session.SetView(&view);
    RecordNotices(session, prompter);
    session.SetSoundPlayer(&sound);
    session.SetSoundFolder("/sounds");
    session.SetPort(port);
    // The wish lists of one sample league's clients, apart from its files.
    session.SetWishListFolder(QString::fromStdString(league.Folder()) + QStringLiteral("/MyList"));
    session.endProgram = [this] { ++ended; };
    session.reporter.showMessage = [](const std::string&) {};
    session.reporter.endProgram = [] {};
    const LeagueLoad load = session.LoadLeague(league.leagueFile, includeFreeAgents);
    if (!load.Ok()) throw std::runtime_error("client league load failed: " + load.message);
    if (team >= 1) session.ChooseTeam(league.teams[static_cast<std::size_t>(team - 1)]);
  }
  bool Connect() {
    if (!session.Connect("  127.0.0.1 ")) return false;
    return WaitFor([&] { return session.Connected(); });
  }
  bool Sent(const std::string& message) const {
    for (const auto& m : session.SentLog())
      if (m == message) return true;
    return false;
  }
  std::string LastPrompt() const { return prompter.asked.empty() ? std::string() : prompter.asked.back().text; }
};

}  // namespace pm::test
