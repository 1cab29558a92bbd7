// The client's session: one team owner's connection to the draft server.
//
// Owns everything the client knows during a draft: the league it loaded
// (with its draftee tables), its own team, the team table with presence
// flags, the picks received (room for draft::kMaxPicks), its own clock and
// the socket.
// Every message from the server is handled here and turned into state
// changes and calls on a ClientView (the windows, or a recorder in tests).
//
// Each socket event and clock tick is handled to its end before the next:
// no handler waits in a local event loop (sounds play on their own, see
// Sound.h), and the messages that end the program are shown only after
// everything has stopped.
#pragma once

#include <QObject>
#include <QTimer>

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "client/ClientLeague.h"
#include "client/Reconnect.h"
#include "client/WishList.h"
#include "common/ErrorReport.h"
#include "common/Prompt.h"
#include "draft/PickList.h"
#include "protocol/Messages.h"
#include "protocol/Protocol.h"

namespace pm::protocol {
class MessageSocket;
struct Message;
}  // namespace pm::protocol

namespace pm::client {

class ClientView;
class SoundPlayer;

inline constexpr const char* kClientVersion = PICKMILL_VERSION;
inline constexpr const char* kClientCaption = "Pickmill - Client - " PICKMILL_VERSION;

// Texts the client shows.
inline constexpr const char* kDisconnectedTitle = "Connection disconnected.";
inline constexpr const char* kDisconnectedLead = "You have been disconnected from the server. The reason: ";
inline constexpr const char* kConnectionLostText = "Either your internet connection was lost or the server went down.";
inline constexpr const char* kUnableToConnectText = "Unable to connect to server.";
inline constexpr const char* kUnableToConnectTitle = "PK Info.";
// While the session reconnects after a lost connection (caption status and
// chat lines).
inline constexpr const char* kReconnectingStatus = "Reconnecting...";
inline constexpr const char* kConnectionLostLine = "Connection lost; reconnecting...";
inline constexpr const char* kReconnectedLine = "Reconnected.";
// The server said the draft is over (and then closed).
inline constexpr const char* kDraftOverLine = "The draft is over: every pick of the draft order has been made.";
inline constexpr const char* kDraftOverClosedText =
    "The draft is over and the server has closed the draft. Thank you for drafting.";

// One team of the league as the client knows it.
struct TeamEntry {
  std::string name;       // as read from the league file
  bool signedOn = false;  // from the server's L, W and X
};

class ClientSession : public QObject {
  Q_OBJECT

 public:
  explicit ClientSession(QObject* parent = nullptr);
  ~ClientSession() override;

  // ---- injectables ----
  void SetView(ClientView* view);
  void SetSoundPlayer(SoundPlayer* player) { sound_ = player; }
  // Folder holding phnring.wav and buzzer.wav (the program's own folder).
  void SetSoundFolder(const std::string& folder) { soundFolder_ = folder; }
  // Port to connect to (7 in the program).
  void SetPort(quint16 port) { port_ = port; }
  // Ends the program. Defaults to QCoreApplication::exit(0).
  std::function<void()> endProgram;
  // The program drives the clock from a real 1000 ms timer; tests leave this
  // off and call Tick() themselves.
  void UseRealTimer(bool on) { realTimer_ = on; }
  // After a lost connection (not a refusal, a kick or the owner's own
  // Disconnect) the session keeps its windows and signs on again with the
  // same login, pausing between attempts (see ReconnectPauseMs), for up to
  // kReconnectForMs; then it tells the owner the connection was lost and
  // ends. Off (the default), a lost connection ends the program at once.
  void SetReconnect(bool on) { reconnect_ = on; }
  // The pauses between reconnect attempts (a QtPauseTimer by default).
  void SetPauseTimer(PauseTimer* timer);
  // Milliseconds of a steady clock, for how long reconnecting has lasted.
  std::function<int64_t()> clock;

  ErrorReporter reporter;

  // ---- league ----
  ClientLeague league;
  // Loads a league file (LoadLeagueFile) and, when it loads, makes it the
  // session's league and team table. Anything else leaves both as they were.
  LeagueLoad LoadLeague(const std::string& leagueFile, bool includeFreeAgents,
                        const std::function<void(const char* step)>& progress = {});
  // The team table of a freshly loaded league: teams 1..n, none signed on.
  void SetTeams(const std::vector<std::string>& names);
  // Chooses the team: the first entry equal to `name` (index unchanged when
  // none is). Returns the index.
  int ChooseTeam(const std::string& name);

  // ---- session values ----
  int16_t OwnTeamIndex() const { return ownTeamIndex_; }
  const std::string& OwnTeamName() const { return ownTeamName_; }
  int TeamCount() const { return static_cast<int>(teams_.size()); }
  // Team k (1..TeamCount); an empty entry for any other k.
  const TeamEntry& Team(int k) const;
  const std::string& TeamName(int k) const { return Team(k).name; }
  bool SignedOn(int k) const { return Team(k).signedOn; }
  // The picks received, blank slots for deleted ones.
  const draft::PickList& Picks() const { return picks_; }
  int PickCount() const { return picks_.Count(); }
  // The own clock's seconds left (0: not on the clock).
  int ClockSeconds() const { return clockSeconds_; }
  // The own team may send a pick now: on the clock with time left, not
  // paused, no pick out yet.
  bool MayPick() const;
  bool TimerRunning() const { return timerEnabled_; }
  const std::string& Caption() const { return caption_; }
  bool Connected() const;
  // A connection is being made (Connect was called and has not ended yet).
  bool Connecting() const { return connecting_; }
  bool Ended() const { return ended_; }
  // The connection was lost and the session has not connected again yet.
  bool Reconnecting() const { return reconnecting_; }
  // What the server and this client agreed to beyond the plain protocol
  // (nothing until the server's answer, and against a server that knows
  // only the plain protocol).
  protocol::Features Features() const { return features_; }
  // The server said the draft is over.
  bool DraftOver() const { return draftOver_; }
  // Who is on the clock as the server last said (team 0: nobody), for the
  // windows that show it. `seconds` were left at `sinceMs` (of `clock`);
  // a paused clock keeps them.
  struct ShownClock {
    int team = 0;
    std::optional<draft::PickLabel> label;
    int seconds = 0;
    int64_t sinceMs = 0;
    bool paused = false;
  };
  const ShownClock& OnTheClock() const { return shownClock_; }
  // The seconds left of the team on the clock now (the own team: its own
  // countdown; another: counted from what the server said).
  int OnTheClockSecondsLeft() const;
  // The draft order the server runs or ran by: the team owning each pick, in
  // draft order, `OrderPerRound()` picks a round (empty: the server sent
  // none, and the client shows only what it knows).
  const std::vector<int>& OrderOwners() const { return orderOwners_; }
  int OrderPerRound() const { return orderPerRound_; }

  // The first four " - " parts of the caption (program, "Client", version,
  // team; a team name with a hyphen is cut there), then the status text.
  void SetCaptionStatus(const std::string& status);

  // ---- operations ----
  // Starts connecting to `address` (trimmed). False when the request fails
  // at once (empty address, already connected). A later failure is reported
  // as "Unable to connect to server." and emits connectFailed().
  bool Connect(const std::string& address);
  // One second of the clock timer. Does nothing while the timer is off.
  void Tick();
  // The owner confirmed a draftee: checks the clock again (no pick once the
  // time ran out, nor while a pick sent earlier waits for its answer), stops
  // the timer and sends D. True when D was sent.
  bool SendOwnPick(int pid, const std::string& name, const std::string& position);
  // A typed chat line: to everyone (kChatToEveryone), privately to the
  // Commish (0) or to team `to`, shown locally as "Private to ...". The text
  // is cut at its first "|". False when nothing was sent (empty text, or a
  // recipient that is no team).
  static constexpr int kChatToEveryone = -1;
  bool SendChat(int to, const std::string& text);
  // The owner confirmed the disconnect: closes the socket and ends.
  void Disconnect();

  // Handles one complete message from the server (tests may call it
  // directly; the socket path splits reads into messages first).
  void HandleMessage(const std::string& message);

  // Messages sent so far (for tests and diagnostics; the last 200).
  const std::deque<std::string>& SentLog() const { return sent_; }
  // Messages dropped as malformed (tests).
  int DroppedCount() const { return dropped_; }

  // ---- the owner's wish list ("My List") and automatic picks ----
  // (ClientSessionWishes.cpp) The list is read when the client signs on and
  // saved after every change. A server that takes wish lists is sent the
  // whole list (K) at every sign-on, empty or not, and again after each
  // change the owner makes; a player drafted by anyone leaves it (the server
  // skips drafted players itself, so that is not sent).
  static constexpr int16_t kAutoPickLateSeconds = 10;
  // Folder of the list files; WishList::DefaultFolder() when empty.
  void SetWishListFolder(const QString& folder) { wishFolder_ = folder; }
  const WishList& Wishes() const { return wishes_; }
  // The owner's changes, once signed on. AddWish takes only a player of the
  // pool who is not drafted nor listed. False when nothing changed.
  bool AddWish(int pid);
  bool RemoveWish(int pid);
  bool MoveWish(int pid, int by);
  // Automatic picks from the list, both off at start: when the own clock
  // reaches kAutoPickLateSeconds, or as soon as the own team is on the
  // clock. Once per turn; again after the server answers G.
  void SetAutoPickLate(bool on) { autoPickLate_ = on; }
  void SetAutoPickAtOnce(bool on) { autoPickAtOnce_ = on; }
  bool AutoPickLate() const { return autoPickLate_; }
  bool AutoPickAtOnce() const { return autoPickAtOnce_; }

 signals:
  void connectedToServer();
  void connectFailed();
  // What the owner is told: the server cannot be reached, or the connection
  // ended (emitted before endProgram runs).
  void notice(const pm::Notice& notice);

 private:
  // Runs a handler of a socket event or a clock tick under the error trap
  // (reported under `context`, and the program ends); nothing after the end.
  void Handle(const char* context, const std::function<void()>& handler);
  void OnConnected();
  void OnDisconnected();
  void OnConnectError();
  void DoTick();
  void SendLogin();

  // Reconnecting.
  void StartReconnecting();
  void ScheduleAttempt();
  void Attempt();
  void AttemptFailed();
  void SignOffAll();

  // Catching up.
  void StartCatchUp();
  void StoreCaughtUp(draft::Pick pick);

  // Messages from the server: Dispatch decodes a message, checks the teams
  // it names and hands it to the handler of its kind.
  void Dispatch(const protocol::Message& m);
  bool Acceptable(const protocol::in::FromServer& message) const;
  // The server answered the login with something other than a refusal.
  void SignOnConfirmed();
  void On(const protocol::in::Refused& m);
  void On(const protocol::in::Accepted& m);
  void On(const protocol::in::WhoElse& m);
  void On(const protocol::in::SignedOn& m);
  void On(const protocol::in::PickRecord& m);
  void On(const protocol::in::Left& m);
  void On(const protocol::in::Chat& m);
  void On(const protocol::in::Private& m);
  void On(const protocol::in::OnClock& m);
  void On(const protocol::in::TimedOut& m);
  void On(const protocol::in::Halted& m);
  void On(const protocol::in::Picked& m);
  void On(const protocol::in::Taken& m);
  void On(const protocol::in::Deleted& m);
  void On(const protocol::in::DraftOver& m);
  void On(const protocol::in::Order& m);
  void On(const protocol::in::Paused& m);
  void ShowClock(ShownClock shown);

  void Send(const std::string& message);
  void LogSent(const std::string& message);
  // Stops everything, tells the owner `text` under `title` when there is
  // one, and ends the program.
  void EndProgram(const std::string& title = {}, const std::string& text = {});
  void Append(const std::string& line);
  void MarkSignedOn(int k);
  bool Own(int k) const;
  void ClockReset();
  void GoOnAfterRefusedPick();
  void SetTimer(bool on);
  void Play(const char* file);
  void RedrawDraftList();

  // Wish list and automatic picks (ClientSessionWishes.cpp).
  void LoadWishes();
  void WishesChanged();
  void SaveWishes();
  void SendWishes();
  void Drafted(int pid);
  void AutoPickIfDue();
  void AutoPick();

  ClientView* view_ = nullptr;
  std::unique_ptr<ClientView> defaultView_;
  SoundPlayer* sound_ = nullptr;
  std::string soundFolder_;
  quint16 port_ = protocol::kDraftPort;
  bool realTimer_ = false;
  // How long a connection attempt may take before it counts as failed.
  int connectTimeoutMs_ = 20000;

  int16_t ownTeamIndex_ = 0;
  std::string ownTeamName_;
  std::vector<TeamEntry> teams_;             // team k at k - 1
  draft::PickList picks_{draft::kMaxPicks};  // as many as the server records
  int clockSeconds_ = 0;
  ShownClock shownClock_;
  bool timerEnabled_ = false;
  // The next "V n" to send to a server that answers one request at a time.
  int catchUpNext_ = 2;
  // Slot of the first pick appended from a Z that no catch-up answer has
  // reached yet (0: none). Older picks the catch-up still brings go in
  // before it, so the list keeps the server's order.
  int firstUnreached_ = 0;
  // A pick was sent and its answer (Z, G or the server's refusal) has not come.
  bool pickSent_ = false;
  std::string caption_;

  protocol::MessageSocket* socket_ = nullptr;
  QTimer clockTimer_;
  QTimer connectTimer_;
  bool connecting_ = false;
  std::string host_;
  bool reconnect_ = false;
  bool reconnecting_ = false;
  // Connected and the login sent; no answer has confirmed it yet.
  bool signOnPending_ = false;
  bool rejoining_ = false;  // that login is a reconnect
  protocol::Features features_;
  bool draftOver_ = false;
  std::vector<int> orderOwners_;
  int orderPerRound_ = 0;
  int64_t reconnectSince_ = 0;
  int attempt_ = 0;
  PauseTimer* pauseTimer_ = nullptr;
  std::unique_ptr<PauseTimer> defaultPauseTimer_;
  bool connected_ = false;
  bool ended_ = false;
  std::deque<std::string> sent_;
  int dropped_ = 0;

  WishList wishes_;
  QString wishFolder_;
  QString wishPath_;  // set when signed on
  bool autoPickLate_ = false;
  bool autoPickAtOnce_ = false;
  bool autoPickTried_ = false;  // this turn
};

}  // namespace pm::client
