// The draft server without windows, for a Commish who runs the draft on a
// machine without a desktop.
//
// HeadlessServer drives the same engine the windows drive: it answers the
// questions a league load asks from the command line, writes the chat
// transcript and every announcement to standard output with a time stamp,
// and reports the end of the draft. RunHeadless is the whole program.
#pragma once

#include <QObject>

#include <functional>
#include <ostream>
#include <string>

#include "common/Prompt.h"
#include "server/engine/DraftServer.h"
#include "server/headless/HeadlessOptions.h"

namespace pm::server {

namespace web {
class WebBoard;
}

// The statuses the program ends with.
enum HeadlessStatus : int {
  kHeadlessDone = 0,          // the draft is complete, or the server was stopped
  kHeadlessBadArguments = 1,  // the command line is wrong
  kHeadlessFailed = 2,        // the league could not be loaded, or a file could not be written
  kHeadlessNoPort = 3,        // the port could not be opened
  kHeadlessLocked = 4,        // another server runs the league's draft
};

class HeadlessServer : public QObject {
  Q_OBJECT
 public:
  // `out` takes the transcript, `err` the reasons for failing (UTF-8).
  HeadlessServer(DraftServer& engine, std::ostream& out, std::ostream& err);

  // Loads the league and starts the draft as `options` say. kHeadlessDone
  // when the server is running; else the status to end with, the reason
  // written to `err` and nothing left listening.
  int Start(const HeadlessOptions& options);
  // Closes every connection and ends with kHeadlessDone; each recorded
  // pick is on disk already.
  void Stop(const std::string& why);

  // A console command, as typed on standard input: "pause", "resume", or
  // "trade 3-5 TEAM" (TEAM a team's name or number; "-" gives the pick back
  // to the order's team). The answer is a transcript line.
  void Command(const std::string& line);

  // The time stamp in front of each transcript line (local time by default).
  std::function<std::string()> timestamp;

 signals:
  // The server has ended: the draft is complete, Stop was called, or a
  // file could not be written (the reason went to `err`).
  void finished(int status);

 private:
  // One transcript line; `latin1` holds the wire's or the league's text.
  void Write(const std::string& latin1);
  void WriteUtf8(const std::string& utf8);
  void Fail(const std::string& reason);
  int LoadFailure(const LoadResult& result);
  // The draft order of --order, --rounds and --snake (else the saved one)
  // given to the engine. False with the reason written to `err`.
  bool ApplyOrder(const HeadlessOptions& options);
  // Runs the clock by the order, picking for absent and late teams.
  void RunAutomatically(const HeadlessOptions& options);
  // Serves the web board when --web asks for it. False with the reason
  // written to `err`.
  bool StartWebBoard(const HeadlessOptions& options);

  DraftServer& engine_;
  std::ostream& out_;
  std::ostream& err_;
  web::WebBoard* web_ = nullptr;  // a child; none without --web
  bool ended_ = false;
};

// The program `PKServer --headless ...`: parses the arguments, runs the
// server on a real clock until the draft is complete or SIGINT/SIGTERM
// arrives, and returns the exit status.
int RunHeadless(int argc, char** argv);

}  // namespace pm::server
