// The client's session: one team owner's connection to the draft server.
//
// Owns everything the client knows during a draft: its own team, the team
// table with presence flags, the picks received (room for 500), its own
// clock, the socket and the draftee tables of the league it loaded. Every
// message from the server is handled here and turned into state changes and
// calls on a ClientView (the windows, or a recorder in tests).
//
// Events are handled one at a time, each to its end: a socket event or a
// clock tick that arrives while another is being handled (for instance while
// a sound plays, which runs a local event loop) is queued and handled right
// after it.
#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "client/ClientLeague.h"
#include "common/ErrorReport.h"
#include "common/Prompt.h"
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
inline constexpr int kClientPickCapacity = 500;

// Texts the client shows.
inline constexpr const char* kDisconnectedTitle = "Connection disconnected.";
inline constexpr const char* kDisconnectedLead = "You have been disconnected from the server. The reason: ";
inline constexpr const char* kConnectionLostText =
    "Either your internet connection was lost or the server went down.";
inline constexpr const char* kUnableToConnectText = "Unable to connect to server.";
inline constexpr const char* kUnableToConnectTitle = "PK Info.";

// The text shown for a refusal reason (0..4); empty for any other.
std::string RefusalReasonText(std::string_view reason);

class ClientSession : public QObject {
  Q_OBJECT

 public:
  explicit ClientSession(QObject* parent = nullptr);
  ~ClientSession() override;

  // ---- injectables ----
  void SetView(ClientView* view);
  void SetPrompter(Prompter* prompter) { prompter_ = prompter; }
  void SetSoundPlayer(SoundPlayer* player) { sound_ = player; }
  // Folder holding phnring.wav and buzzer.wav (the program's own folder).
  void SetSoundFolder(const std::string& folder) { soundFolder_ = folder; }
  // Port to connect to (7 in the program).
  void SetPort(quint16 port) { port_ = port; }
  quint16 Port() const { return port_; }
  // Ends the program. Defaults to QCoreApplication::exit(0).
  std::function<void()> endProgram;
  // The program drives the clock from a real 1000 ms timer; tests leave this
  // off and call Tick() themselves.
  void UseRealTimer(bool on) { realTimer_ = on; }
  // How long a connection attempt may take before it counts as failed.
  void SetConnectTimeoutMs(int ms) { connectTimeoutMs_ = ms; }

  ErrorReporter reporter;

  // ---- league, filled by the league window ----
  ClientLeague league;
  // The team table from a fresh league load: entries 1..n are bare names.
  void SetTeams(const std::vector<std::string>& names);
  // Chooses the team: the first entry equal to `name` (index unchanged when
  // none is). Returns the index.
  int ChooseTeam(const std::string& name);

  // ---- session values ----
  int16_t OwnTeamIndex() const { return ownTeamIndex_; }
  const std::string& OwnTeamName() const { return ownTeamName_; }
  int TeamCount() const { return static_cast<int>(teamTable_.size()) - 1; }
  // Entry k (1..TeamCount): a bare name, or name|field 2|flag.
  const std::string& TeamEntry(int k) const;
  std::string TeamName(int k) const;
  bool SignedOn(int k) const;
  // Picks: element 0 the count, 1..count the records (blank when deleted).
  const std::vector<std::string>& PickList() const { return pickList_; }
  int PickCount() const;
  int16_t ClockSeconds() const { return clockSeconds_; }
  bool TimerRunning() const { return timerEnabled_; }
  const std::string& Caption() const { return caption_; }
  bool Connected() const;
  bool Ended() const { return ended_; }

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
  // time ran out), stops the timer and sends D. True when D was sent.
  bool SendOwnPick(const std::string& pid, const std::string& name, const std::string& position);
  // A typed chat line to the recipient shown in the recipient list. Public
  // when the recipient begins with "ALL" (any case); else private to the
  // Commish or to the team with that name (any case), shown locally as
  // "Private to ...". The text is cut at its first "|". False when nothing
  // was sent (empty text, or a recipient that names no team).
  bool SendChat(const std::string& recipient, const std::string& text);
  // The owner confirmed the disconnect: closes the socket and ends.
  void Disconnect();

  // Handles one complete message from the server (tests may call it
  // directly; the socket path splits reads into messages first).
  void HandleMessage(const std::string& message);

  // Messages sent so far (for tests and diagnostics; the last 200).
  const std::deque<std::string>& SentLog() const { return sent_; }
  // Messages dropped as malformed (tests).
  int DroppedCount() const { return dropped_; }

 signals:
  void connectedToServer();
  void connectFailed();
  void timerStateChanged(bool running);
  void programEnded();

 private:
  struct Event;
  void Post(Event e);
  void Handle(const Event& e);
  void OnConnected();
  void OnDisconnected();
  void OnConnectError();
  void DoTick();
  void Dispatch(const protocol::Message& m);
  bool Check(const protocol::Message& m);
  void Send(const std::string& message);
  void EndProgram();
  void Append(const std::string& line);
  void SetPresence(int k, const std::string& flag);
  bool Own(int k) const;
  void ClockReset();
  void SetTimer(bool on);
  void Play(const char* file);
  bool PidRecorded(long long pid) const;
  bool StorePick(const std::string& record);
  void Drop();
  void ResetSocket();

  ClientView* view_ = nullptr;
  std::unique_ptr<ClientView> defaultView_;
  Prompter* prompter_ = nullptr;
  std::unique_ptr<Prompter> defaultPrompter_;
  SoundPlayer* sound_ = nullptr;
  std::string soundFolder_;
  quint16 port_ = protocol::kDraftPort;
  bool realTimer_ = false;
  int connectTimeoutMs_ = 20000;

  int16_t ownTeamIndex_ = 0;
  std::string ownTeamName_;
  std::vector<std::string> teamTable_{std::string()};
  std::vector<std::string> pickList_;
  int16_t clockSeconds_ = 0;
  bool timerEnabled_ = false;
  int catchUpIndex_ = 1;
  std::string caption_;

  protocol::MessageSocket* socket_ = nullptr;
  QTimer clockTimer_;
  QTimer connectTimer_;
  bool connecting_ = false;
  bool connected_ = false;
  bool ended_ = false;
  bool busy_ = false;
  std::deque<std::unique_ptr<Event>> queue_;
  std::deque<std::string> sent_;
  int dropped_ = 0;
};

}  // namespace pm::client
