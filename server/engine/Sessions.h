// The server's connections and the teams signed on through them.
//
// Sessions owns the listening socket, the connection elements (up to 32,
// reused once closed), the team table with each team's connection and
// signed-on mark, the login check, the broadcasts, and the dispatch of what
// signed-on teams send: chat and private lines are handled here; pick
// requests (V), selections (D) and wish-list parts (K) are handed to the
// engine through signals. A selection or a wish-list part that cannot be a
// team's own (not signed on, another team's number, a malformed message) is
// answered here with a private line. The Commish's chat and kick go out
// through here too.
//
// A client may announce features in its login (protocol::Feature); the
// login is then answered with A, the features both understand, before
// anything else, and the connection uses them from there on (Lines framing
// both ways). A client that announced none is spoken to in the plain
// protocol only.
//
// What a connection can make the server hold or send is bounded: until it
// signs on it may send 4 KiB and must sign on within 30 seconds, else it is
// closed; the transport drops a peer that leaves 1 MiB unread; chat and
// private lines are relayed at most kChatPerSecond a second with bursts of
// kChatBurst, the lines beyond that are dropped with one private notice, and
// a connection that goes on flooding (kFloodLimit lines dropped in a row) is
// closed, so that one owner cannot delay what the others are sent.
//
// Texts are std::string holding Latin-1 bytes.
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/Protocol.h"
#include "protocol/Transport.h"

class QTcpSocket;

namespace pm::server {

// Latin-1 text (the wire's and the league's) as the windows' QString.
inline QString L1(std::string_view s) { return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size())); }

inline constexpr int kMaxConnections = 32;  // connection elements 1..32
// A connection that has not signed on within this time is closed, so that
// connections that never speak cannot hold the elements.
inline constexpr int64_t kSignOnDeadlineMs = 30'000;
// What a connection that has not signed on may send before it is closed:
// an honest client's login is a few dozen bytes.
inline constexpr qint64 kMaxInputBeforeSignOn = 4096;
// The chat a connection may have relayed: a rate and a burst, and the lines
// dropped in a row after which it counts as flooding and is closed.
inline constexpr int kChatPerSecond = 5;
inline constexpr int kChatBurst = 20;
inline constexpr int kFloodLimit = 200;
// A client that speaks only the plain protocol takes one read as one
// message: the messages of its sign-on (W, the clock, its first pick) go out
// this far apart, so that it reads each on its own.
inline constexpr int kPlainSpacingMs = 50;
inline constexpr const char* kChatTooFast =
    "You are sending chat faster than the server relays it: lines are dropped until you slow down.";

// A team of the league, as the server holds it.
struct TeamEntry {
  std::string name;  // as read from the league file
  int socket = 0;    // connection element 1..32 it signed on through, 0 none
  bool signedOn = false;
};

class Sessions : public QObject {
  Q_OBJECT
 public:
  explicit Sessions(QObject* parent = nullptr);
  ~Sessions() override;

  // The league's teams, names in team number order (team 1 first).
  void SetTeams(const std::vector<std::string>& names);
  // From now on logins are checked against this league name and draftee
  // count; before, a login is ignored.
  void OpenLogins(const std::string& leagueName, int drafteeCount);

  // Starts listening on `port` (0: any free port); false with the reason.
  bool Listen(quint16 port, QString* reason);
  bool Listening() const;
  quint16 Port() const;  // the port listened on, 0 when not listening
  // Closes the listener and every connection; nothing is sent.
  void CloseAll();

  // Closes every connection that has not signed on within
  // kSignOnDeadlineMs of its accept (by `clock`). A one-second timer calls
  // it while listening; tests call it after moving the clock.
  void DropSilent();
  // Milliseconds of a steady clock for the sign-on deadline.
  std::function<int64_t()> clock = protocol::SteadyMs;

  // ---- connections without a socket (tests and the fuzzer) -------------
  // Opens a connection on the first free element as an accept would, with
  // no socket behind it; returns the element, 0 when all 32 are taken.
  int AcceptDetached();
  // The peer's bytes arrive on that element (as one read).
  void Receive(int element, std::string_view bytes);
  // What the server sent on that element since the last call.
  std::string TakeOutput(int element);
  // The peer closes the connection.
  void PeerClose(int element);

  // ---- the team table ------------------------------------------------
  int TeamCount() const { return static_cast<int>(teams_.size()) - 1; }
  const TeamEntry& Team(int index) const { return teams_.at(static_cast<std::size_t>(index)); }  // 1..TeamCount
  // 1-based index of the first team of that exact name; 0 when none.
  int TeamIndexOf(std::string_view name) const;
  int OpenConnections() const;
  // The features the connection of element `element` agreed to.
  protocol::Features FeaturesOf(int element) const;

  // ---- sending -------------------------------------------------------
  void SendTo(int element, const std::string& text);
  void SendOut(const std::string& text);       // every team with a connection
  void SendSignedOn(const std::string& text);  // every signed-on team
  // Every signed-on team whose connection agreed to `feature`.
  void SendSignedOnWith(protocol::Feature feature, const std::string& text);
  // Runs `send` for every signed-on team's connection with the features it
  // agreed to, for messages that differ by what the client takes.
  void ForEachSignedOn(const std::function<void(int element, protocol::Features features)>& send);
  // Runs `send` at once for a client that agreed to features (or a
  // connection without a socket); for a plain one kPlainSpacingMs later, and
  // only while element `element` is still signed on for team `team`.
  void AfterSpacing(int element, int team, std::function<void()> send);

  // The kick (R reason 4) to team `team`. False when it is not connected.
  bool Kick(int team);
  // The Commish's chat: to 0 is public, else a private line to that team.
  // The text is cut at its first "|". False when nothing was sent.
  bool CommishChat(int to, const std::string& text);

 signals:
  // A line for the server's chat transcript.
  void chatLine(const std::string& line);
  // A private line to the Commish arrives: the chat window is to be shown.
  void showChatWindow();
  void teamSignedOn(int team, const QString& name);
  void teamSignedOff(int team, const QString& name);
  // A connection was accepted or closed.
  void connectionsChanged();
  // A login was accepted and answered (L to all, A and W to the team).
  void loggedIn(int element, int team, protocol::Features features);
  // A signed-on team asks for pick n (V).
  void pickRequested(int element, int team, int n);
  // A signed-on team selects a player (D) for itself.
  void draftReceived(int element, int team, const protocol::Message& message);
  // A signed-on team sends a well-formed part of its wish list (K).
  void wishListReceived(int element, int team, int first, const std::vector<int>& pids);

 private:
  void OnAccept(QTcpSocket* socket);
  // The element a new connection takes (0 when none is left), set up for a
  // connection that has not signed on.
  int TakeElement();
  void OnMessage(int element, const protocol::Message& m);
  void OnDisconnect(int element);
  void HandleLogin(int element, const protocol::Message& m);
  void HandleWishList(int element, int team, const protocol::Message& m);
  // Whether a chat or private line of element `element` may be relayed now
  // (the rate); drops and warns, or closes a flooding connection.
  bool ChatAllowed(int element);
  void WhoOn(int team, bool add);
  TeamEntry& At(int team) { return teams_[static_cast<std::size_t>(team)]; }

  std::unique_ptr<protocol::MessageListener> listener_;
  std::array<std::unique_ptr<protocol::MessageSocket>, kMaxConnections + 1> elements_;  // 1..32
  int elementCount_ = 0;
  std::array<int, kMaxConnections + 1> socketTeam_{};
  std::array<int64_t, kMaxConnections + 1> acceptedAt_{};
  std::array<protocol::Features, kMaxConnections + 1> features_{};
  // The chat rate of each element: tokens (in thousandths of a line), when
  // they were last counted, and the lines dropped in a row.
  // The chat bucket counts in thousandths of a line, so that whole
  // milliseconds at kChatPerSecond add up exactly.
  static constexpr int64_t kChatLine = 1000;
  struct ChatRate {
    int64_t tokens = 0;
    int64_t at = 0;
    int dropped = 0;
  };
  std::array<ChatRate, kMaxConnections + 1> chatRate_{};
  QTimer sweepTimer_;
  std::vector<TeamEntry> teams_;  // 0 unused
  bool loginsOpen_ = false;
  std::string leagueName_;
  int drafteeCount_ = 0;
};

}  // namespace pm::server
