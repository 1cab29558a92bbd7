// A test-only host for the draft server engine, run as a child process by the
// fault tests (PKServer itself has no options). It loads the league file given
// on the command line, listens on the given loopback port (0: a free one),
// goes on with the draft recorded, and prints one line per event on stdout:
//   port: <n>          listening
//   picks: <count> next: <r-s>
// It takes commands from stdin, one per line, answering each with a line:
//   clock <team> <seconds>        -> clock: <ClockResult as a number>
//   pick <pid>|<name>|<position>  -> pick: <PickResult as a number>
//   count                         -> picks: <count> next: <r-s>
//   die-after-filing              -> armed   (the next pick recorded kills
//                                    this process with SIGKILL once it is on
//                                    disk, before any client hears of it)
// Usage: pkserver_host <league.LGE> [port]
#include <QCoreApplication>

#include <csignal>

#include <cstdio>
#include <iostream>
#include <string>
#include <thread>

#include "common/Common.h"
#include "server/engine/DraftServer.h"

using pm::server::DraftServer;

namespace {

void Say(const std::string& line) {
  std::printf("%s\n", line.c_str());
  std::fflush(stdout);
}

void Command(DraftServer& engine, const std::string& line) {
  if (line.rfind("clock ", 0) == 0) {
    int team = static_cast<int>(pm::LeadingNumber(pm::GetField(line, 2, " ")));
    const int seconds = static_cast<int>(pm::LeadingNumber(pm::GetField(line, 3, " ")));
    if (team < 1 || team > engine.TeamCount()) return Say("clock: -1");
    auto r = engine.PutOnClock(team, seconds, engine.NextLabel());
    Say("clock: " + std::to_string(static_cast<int>(r)));
  } else if (line.rfind("pick ", 0) == 0) {
    // The player's name and position are the pool's; the pick is for the
    // team on the clock, at its label.
    const int pid = static_cast<int>(pm::LeadingNumber(pm::GetField(line.substr(5), 1, "|")));
    auto r = engine.CommishPick(pid, engine.Clock().Team(), engine.Clock().Label());
    Say("pick: " + std::to_string(static_cast<int>(r)));
  } else if (line == "die-after-filing") {
    engine.pickFiled = [](const pm::draft::Pick&) { ::raise(SIGKILL); };
    Say("armed");
  } else if (line == "count") {
    Say("picks: " + std::to_string(engine.Log().Count()) + " next: " + engine.NextLabel().Text());
  } else {
    Say("unknown: " + line);
  }
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s <league.LGE> [port]\n", argv[0]);
    return 2;
  }
  DraftServer engine;
  engine.SetPort(static_cast<quint16>(argc > 2 ? std::atoi(argv[2]) : 0));
  engine.Reporter().showMessage = [](const std::string& m) { std::fprintf(stderr, "error: %s\n", m.c_str()); };
  engine.Reporter().endProgram = [] { std::exit(3); };
  pm::server::LoadResult r = engine.LoadLeague(argv[1], false, pm::server::PreviousDraft::Resume);
  if (r.status != pm::server::LoadResult::Status::Loaded) {
    std::fprintf(stderr, "load failed: %d\n", static_cast<int>(r.status));
    return 1;
  }
  Say("port: " + std::to_string(engine.Port()));
  Say("picks: " + std::to_string(engine.Log().Count()) + " next: " + engine.NextLabel().Text());

  // Lines are read on a thread of their own and handed to the event loop in
  // order; the end of the input ends the host.
  std::thread([&app, &engine] {
    std::string line;
    while (std::getline(std::cin, line))
      QMetaObject::invokeMethod(
          &app, [&engine, line] { Command(engine, line); }, Qt::QueuedConnection);
    QMetaObject::invokeMethod(
        &app, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
  }).detach();
  return app.exec();
}
