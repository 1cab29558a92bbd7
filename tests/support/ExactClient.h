// ExactClient: a minimal team owner's client for tests of PKServer, a peer
// that follows the protocol to the letter: one read is one message, one V at
// a time, unknown codes ignored.
//
// It runs on the program's event loop (QtCore + QtNetwork, no thread) and
// keeps only the state the protocol changes: the pick list, who is signed
// on, the own clock and the chat lines. There are no windows and no sounds.
//
// Reading: each readyRead's bytes are ONE message. Field 1 is the code
// (compared as exact text), fields 2 and 3 are read as their leading decimal
// number stored as 16 bits, field 4 runs to the next "|". A message whose
// field 2 or 3 does not fit 16 bits is not handled (the program stops on the
// overflow). Two messages that arrive in one read are handled as the first
// one (GluedReads counts such reads); in particular W and V sent together
// after a login while others are on leave the client with W only, so that
// its catch-up does not start.
//
// Handled: R (refused: the reason is kept and no later message is handled;
// the program would end, here the connection stays open until Close), W, L,
// X (who is signed on), V (a non-empty field 4 is stored as the next pick and
// answered with "V|team|0|" count + 1), Z (pick stored; the own pick resets
// the clock), Y (the first pick with that label becomes blank; the count
// stays), N (own team: on the clock with the seconds of field 4's first
// ","-field, clock running), I and H (own team: clock reset), G (own team:
// the clock runs again from the seconds it kept), C and P (chat lines).
// Everything else is ignored.
//
// The own team is recognised by its index (the program compares team names,
// which differs only when two teams share a name).
//
//   pm::test::ExactClient::Config config;
//   config.team = 2;
//   config.drafteeCount = 300;
//   config.leagueName = "Test League";
//   config.teams = {"Bears", "Lions", "Rams", "Jets"};
//   pm::test::ExactClient owner(config);
//   owner.ConnectTo(server.Port());
//   ASSERT_TRUE(pm::test::WaitFor([&] { return owner.IsSignedOn(1); }));  // a W named team 1
//   owner.SendDraft("1234", "John Smith", "QB");
#pragma once

#include <QObject>
#include <QTcpSocket>

#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace pm::test {

class ExactClient : public QObject {
 public:
  struct Config {
    // The own team's index (field 2 of everything it sends).
    int team = 1;
    // The version announced at login.
    std::string version = "3.03";
    // The player count announced at login.
    int drafteeCount = 0;
    // The league name announced at login.
    std::string leagueName;
    // The league's team names, teams[0] is team 1; they name the team in the
    // picks built from Z and the senders of chat lines (a team without a
    // name here gives empty text). When given, a W list is read for at most
    // this many teams.
    std::vector<std::string> teams;
  };

  explicit ExactClient(Config config, QObject* parent = nullptr);
  ~ExactClient() override;

  // Connects to 127.0.0.1:port. Once connected it sends exactly
  // "L|team|0|version,count,league".
  void ConnectTo(quint16 port);
  // Closes the connection (what the program does when its owner leaves).
  void Close();

  // ---- What the owner does ----
  // "D|team|0|pid,name,position". Sent whether or not the team is on the
  // clock (the server does not check); a running clock stops and keeps its
  // seconds until Z, G, I or H.
  void SendDraft(std::string_view pid, std::string_view playerName, std::string_view position);
  // "C|team|0|text", the text as given (a "|" in it is not cut here).
  void SendChat(std::string_view text);
  // "P|team|to|text"; to 0 is the Commish.
  void SendPrivate(int to, std::string_view text);
  // One second of the own clock, as the client's timer would count it while
  // it runs: at 0 the team is off the clock and
  // "T|team|0|failed to make a selection within the allotted time." is sent.
  // Nothing happens while the clock does not run.
  void Tick();

  // ---- What a test can see ----
  // The connection is established / was closed by the server or lost.
  bool Connected() const { return socket_.state() == QAbstractSocket::ConnectedState; }
  bool Disconnected() const { return disconnected_; }
  // Every read, as received, in order.
  const std::vector<std::string>& Reads() const { return reads_; }
  // True when some read was exactly this text.
  bool Received(std::string_view read) const;
  // Reads that held more than one message start (see exact::MessageStarts).
  int GluedReads() const { return gluedReads_; }
  // Every message written, in order, the login first (nothing is written
  // while the connection is not established).
  const std::vector<std::string>& Sent() const { return sent_; }

  // The pick list, elements 1..count in order, blanks kept. A pick from V is
  // its five ","-fields each followed by "|" ("12|Bears|John Smith|QB|1-1|");
  // a pick from Z has no trailing "|" ("12|Bears|John Smith|QB|1-1").
  const std::vector<std::string>& Picks() const { return picks_; }
  // The signed-on teams (from W, L and X) in team order.
  std::vector<int> SignedOn() const { return {signedOn_.begin(), signedOn_.end()}; }
  bool IsSignedOn(int team) const { return signedOn_.count(team) > 0; }

  // On the clock: N for the own team came and no Z, I or H for it since (nor
  // the own clock's end). The clock runs from N until the own pick is sent,
  // and again after G for the own team.
  bool OnClock() const { return onClock_; }
  bool ClockRunning() const { return clockRunning_; }
  int ClockSeconds() const { return clockSeconds_; }

  // R arrived; its field 4 read as a number (-1 before any R).
  bool Refused() const { return refused_; }
  int RefusalReason() const { return refusalReason_; }

  // C and P as the chat shows them: "<sender>: <text>" ("Commish" for 0) and
  // "Private from <sender>: <text>" ("the Commish" for 0).
  const std::vector<std::string>& ChatLines() const { return chatLines_; }

 private:
  void Read();
  void Send(std::string message);
  void ClockReset();
  bool Own(int team) const { return team == config_.team; }
  std::string TeamName(int team) const;

  Config config_;
  QTcpSocket socket_;
  bool disconnected_ = false;
  std::vector<std::string> reads_;
  std::vector<std::string> sent_;
  int gluedReads_ = 0;
  std::vector<std::string> picks_;
  std::set<int> signedOn_;
  bool onClock_ = false;
  bool clockRunning_ = false;
  int clockSeconds_ = 0;
  bool refused_ = false;
  int refusalReason_ = -1;
  std::vector<std::string> chatLines_;
};

}  // namespace pm::test
