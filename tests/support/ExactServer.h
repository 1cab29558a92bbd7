// ExactServer: a minimal draft server for tests of PKClient, a peer that
// follows the protocol to the letter: one read is one message, one V at a
// time, unknown codes ignored.
//
// It runs on the program's event loop (QtCore + QtNetwork, no thread) and
// keeps only what the protocol needs: the team table, the pick list and the
// label of the next pick. There is no clock, no window and no draft file;
// the Commish's operations are methods that send their message at once.
//
// Reading: each readyRead's bytes are ONE message. Field 1 is the code
// (compared as exact text), fields 2 and 3 are read as their leading decimal
// number stored as 16 bits, field 4 runs to the next "|". A message whose
// field 2 or 3 does not fit 16 bits is not handled (the programs stop on the
// overflow).
//
// Handled: L (refused with "R|0|0|reason" for, in this order, 0 a league
// name that differs, 1 a version that reads as a smaller number than the
// server's, 2 a player count that differs, 3 a team signed on through a
// connection; the connection stays open. Accepted: "L|team|0|" to every
// team with a connection, the team recorded, "W|0|team|others" when others
// are signed on, then the first recorded pick as V), V (the first non-blank
// pick at index n or later as "V|0|team|PID,team name,name,position,r-s";
// nothing for n < 1 or past the count), D (a PID already recorded: "G" to
// every signed-on team; else "Z|team|0|" field 4 "," label to every
// signed-on team, the pick recorded and the label advanced, wrapping after
// the last team), C (relayed to every team with a connection), P (forwarded
// to the recipient's connection; to 0 kept in CommishLines), and the close
// of a signed-on connection ("X|team|0|" to every team with a connection).
// T and every other code are ignored.
//
// Two messages that arrive in one read are handled as the first one, with
// field 4 running up to the next "|" (GluedReads counts such reads). A login
// for a team outside 1..teams that passes the checks is not recorded and
// gets no answer; a pick by such a team is recorded with an empty team name.
//
// Writing: every message is one write of its text, nothing appended, flushed
// at once. Two messages written to one connection by one handler (W and then
// V after a login while others are on) usually reach a peer on the same
// event loop in one read; a client that reads one message per read then
// handles only W and its catch-up does not start.
//
//   pm::test::ExactServer::Config league;
//   league.leagueName = "Test League";
//   league.drafteeCount = 300;
//   league.teams = {"Bears", "Lions", "Rams", "Jets"};
//   pm::test::ExactServer server(league);
//   ASSERT_TRUE(server.Listen());
//   ... PKClient connects to server.Port() ...
//   ASSERT_TRUE(pm::test::WaitFor([&] { return server.IsSignedOn(1); }));
//   server.PutOnClock(1, 60);
#pragma once

#include <QObject>
#include <QTcpServer>
#include <QTcpSocket>

#include <string>
#include <string_view>
#include <vector>

namespace pm::test {

class ExactServer : public QObject {
 public:
  struct Config {
    // The league name the login's third ","-field must equal (reason 0).
    std::string leagueName;
    // The server's version; a login whose version reads as a smaller number
    // is refused (reason 1).
    std::string version = "3.03";
    // The player count a login must announce (reason 2).
    int drafteeCount = 0;
    // The team names; teams[0] is team 1.
    std::vector<std::string> teams;
    // Picks already recorded, as draft-file lines "PID|team name|player
    // name|position|r-s". As when a draft file is read, blank lines are
    // skipped: a deleted pick is made with DeletePick.
    std::vector<std::string> picks;
    // The label of the next pick ("3-7"). Empty: the label after the last
    // recorded pick, "1-1" when there is none.
    std::string nextLabel;
  };

  explicit ExactServer(Config config, QObject* parent = nullptr);
  ~ExactServer() override;

  // Listens on 127.0.0.1; port 0 takes any free port. False when the port
  // cannot be had.
  bool Listen(quint16 port = 0);
  quint16 Port() const;

  // ---- The Commish's operations (each sends at once) ----
  // "N|0|team|seconds,r-s" to every signed-on team, r-s the next label. No
  // clock runs here: a test ends the turn with Halt, TimeOut or a pick.
  void PutOnClock(int team, int seconds);
  // "H|0|team" to every signed-on team.
  void Halt(int team);
  // "I|0|team|<name> failed to make a selection while on the clock." to
  // every team with a connection.
  void TimeOut(int team, std::string_view name);
  // A pick for a team that is not connected: "Z|team|0|pid,name,position,r-s"
  // to every signed-on team, the pick recorded and the label advanced, as
  // for a D.
  void PickFor(int team, std::string_view pid, std::string_view playerName, std::string_view position);
  // "Y|0|0|label" to every signed-on team; the first recorded pick with that
  // label becomes a blank element (the pick count stays).
  void DeletePick(std::string_view label);
  // "R|0|0|4" to the team's connection only, when it has one. The server
  // does not close it: the client ends the connection.
  void Kick(int team);
  // "C|0|0|text" to every team with a connection; the text is sent as given.
  void CommishChat(std::string_view text);

  // ---- What a test can see ----
  // Connections accepted so far; they are numbered 1, 2, ... in the order of
  // their accept and never reused (the numbers do not appear on the wire).
  int Connections() const { return static_cast<int>(connections_.size()); }
  // Every read of a connection, as received, in order.
  const std::vector<std::string>& Reads(int connection) const;
  // True when some connection received exactly this read.
  bool Received(std::string_view read) const;
  // True while a connection is open (the server never closes one itself).
  bool IsOpen(int connection) const;
  // The connection a team is signed on through; 0 when none.
  int ConnectionOf(int team) const;
  // Reads that held more than one message start (see exact::MessageStarts):
  // a peer sent messages that arrived glued together.
  int GluedReads() const { return gluedReads_; }

  // The pick list, elements 1..count in order: records "PID|team
  // name|player name|position|r-s", deleted picks as empty text.
  const std::vector<std::string>& Picks() const { return picks_; }
  // The label of the next pick.
  const std::string& NextLabel() const { return nextLabel_; }
  // The signed-on teams in team order.
  std::vector<int> SignedOn() const;
  bool IsSignedOn(int team) const;
  // Private lines to the Commish (P to 0), as the server's chat shows them:
  // "Private from <team name>: <text>".
  const std::vector<std::string>& CommishLines() const { return commishLines_; }

 private:
  struct Team {
    std::string name;
    int connection = 0;  // 0: none
    bool signedOn = false;
  };
  struct Connection {
    QTcpSocket* socket = nullptr;
    int team = 0;  // the team logged in on it; 0: none
    std::vector<std::string> reads;
  };

  void Accept();
  void Read(int connection);
  void Closed(int connection);
  void Login(int connection, int team, std::string_view body);
  void PickRequest(int connection, int team, std::string_view body);
  void Draft(int team, std::string_view body);
  void Private(int from, int to, std::string_view body);
  void Record(int team, std::string_view pid, std::string_view playerName, std::string_view position);

  void SendTo(int connection, std::string_view message);
  void SendToConnected(std::string_view message);  // every team with a connection
  void SendToSignedOn(std::string_view message);   // every signed-on team
  std::string FirstPickFrom(long long n) const;    // "" when none
  std::string TeamName(int team) const;            // "" outside the league
  Team* TeamAt(int team);                          // nullptr outside the league

  Config config_;
  QTcpServer listener_;
  std::vector<Team> teams_;              // teams_[0] is team 1
  std::vector<Connection> connections_;  // connections_[0] is connection 1
  std::vector<std::string> picks_;
  std::string nextLabel_;
  std::vector<std::string> commishLines_;
  int gluedReads_ = 0;
};

}  // namespace pm::test
