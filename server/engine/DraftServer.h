// The draft server's engine: everything PKServer does that needs no window.
//
// DraftServer wires three parts and adds the Commish's operations:
//  - Sessions: the listener, the connections, the team table, the login
//    check, the broadcasts and the dispatch of what signed-on teams send;
//  - draft::DraftLog: the picks made and the draft file;
//  - DraftClock: the team on the clock and its seconds.
// The engine itself loads the league, records picks (from a team's D or the
// Commish), answers catch-up requests, keeps the round-selection label and
// the next-pick numbers, and tells whether a merge may run.
//
// It also keeps the draft order and can run the clock itself (off until the
// Commish turns it on): after every pick and time-out the team owning the
// next label of the order goes on the clock after a short pause; a team
// that is not signed on, or whose time ran out, is picked for from its wish
// list or by the Commish's rule, so the draft never stalls. The windows show
// its state (through the accessors and signals below) and call its
// operations; they never change a table themselves. Every operation runs to
// its end without returning to the event loop.
//
// Texts are std::string holding Latin-1 bytes; the signals carry QString
// (converted with QString::fromLatin1) for the windows. Paths are
// std::string in the file-name encoding (the window converts with
// QFile::encodeName); a message that names a path is UTF-8 and says so
// (TextCoding::Utf8).
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "common/ErrorReport.h"
#include "common/Prompt.h"
#include "draft/DraftLog.h"
#include "draft/DraftOrder.h"
#include "draft/Draftees.h"
#include "draft/Pick.h"
#include "league/FBPro.h"
#include "protocol/Protocol.h"
#include "server/engine/DraftClock.h"
#include "server/engine/LeagueLock.h"
#include "server/engine/Sessions.h"

namespace pm::server {

inline constexpr const char* kCaptionDown = "Pickmill - Server - " PICKMILL_VERSION " - Server Down";
using draft::kDraftFileSuffix;

// The step a league load is at, for the league window's progress text.
enum class LoadStep {
  Idle,         // no load running (or it has ended)
  Version,      // reading the league's version
  Teams,        // reading the teams
  College,      // loading the college draftees
  FreeAgents,   // loading the free agents
  Previous,     // reading the draft file
  Connections,  // starting to listen
};

// The result of loading a league, for the league window to show.
struct LoadResult {
  enum class Status {
    Loaded,             // league loaded and the server is listening
    ListenFailed,       // the port could not be opened: nothing was written, the lock is released
    NotRecognised,      // version not recognised (leaguePath): choose another
    InUse,              // another server runs this league's draft (message names the folder)
    FolderNotWritable,  // the league's lock cannot be made in its folder (message says so)
    NoTeams,            // the league file has no teams
    NoPlayers,          // the league files have no players
    DraftFileRefused,   // the draft file (draftFile) holds more than 1000 picks (records)
    MergeNotRestored,   // an interrupted merge could not be put back (message says why)
    AlreadyLoaded,      // a league is loaded already (one per run)
    Failed,             // a league-file failure went to ReportError
  };
  Status status = Status::Failed;
  // The details the window's messages name.
  std::string leaguePath;   // NotRecognised
  std::string draftFile;    // DraftFileRefused
  std::size_t records = 0;  // DraftFileRefused: the picks the file holds
  std::string message;      // MergeNotRestored, InUse, FolderNotWritable: what to tell the Commish (UTF-8)
  bool Ok() const { return status == Status::Loaded; }
};

// What drives the draft clock: a one-second tick that starts when a team
// goes on the clock (so the first tick comes exactly one second later) and
// stops when the clock stops. The program uses TimerTicker; tests use one of
// their own on an injected clock, or none and call Tick() themselves.
class Ticker {
 public:
  virtual ~Ticker() = default;
  // (Re)starts ticking: `tick` runs one second from now and every second on.
  virtual void Start(std::function<void()> tick) = 0;
  virtual void Stop() = 0;
};

// A Ticker on a QTimer of 1000 ms.
class TimerTicker : public Ticker {
 public:
  TimerTicker();
  void Start(std::function<void()> tick) override;
  void Stop() override;
  bool Running() const { return timer_.isActive(); }

 private:
  QTimer timer_;
  std::function<void()> tick_;
};

// The seconds between a pick (or a time-out) and the next team going on the
// clock while the clock runs itself.
inline constexpr int kAutoPauseSeconds = 5;

// How the server picks for a team that is absent or out of time while the
// clock runs itself and the team has no usable wish list.
enum class AutoDraftRule {
  WaitForCommish,  // nothing: the run waits for the Commish's pick or hand
  BestAvailable,   // the player with the highest sum of the chosen ratings
};

class DraftServer : public QObject {
  Q_OBJECT
 public:
  explicit DraftServer(QObject* parent = nullptr);
  ~DraftServer() override;

  // ---- injection -----------------------------------------------------
  // The prompter answers every question and shows every message box the
  // engine raises itself (resume question, confirmations, listen failure,
  // "You will have to select for ..."). Not owned; must outlive the engine.
  void SetPrompter(Prompter* prompter);
  // The port to listen on (default 7; 0 picks a free port, see Port()).
  void SetPort(quint16 port) { port_ = port; }
  // The program's error reporter (label "PK - Server").
  ErrorReporter& Reporter() { return reporter_; }
  // What drives the clock (not owned; nullptr: nothing does, Tick() is
  // called from outside). Default none.
  void SetTicker(Ticker* ticker);
  // What times the pause before the next team goes on the clock while the
  // clock runs itself, one Start per pause, counted in its ticks (not owned;
  // nullptr: the engine's own one-second timer). Tests inject their own.
  void SetPauseTicker(Ticker* ticker);
  // Runs right after a pick is on disk and before any client hears of it
  // (tests: a server killed there must still hold the pick after a restart).
  std::function<void(const draft::Pick&)> pickFiled;
  // The connections, for tests and the fuzzer: connections without a
  // socket, the sign-on deadline's clock.
  Sessions& Connections() { return sessions_; }

  // ---- league loading ------------------------------------------------
  // Loads the league of `leagueFile` (a ".lge" path in the file-name
  // encoding), all or nothing: reads the league's version and name, takes
  // the league's lock (refused while another server holds it), puts back a
  // merge that was interrupted (telling the Commish), reads the teams, the
  // pool (with free agents when asked) and the draft file, checked against
  // them, and asks whether to resume or clear a draft in progress. Then it
  // starts listening; a port that cannot be opened releases the lock with
  // nothing written. Only then is the draft file changed: a cleared file is
  // kept under a dated name first, and records that are no picks of this
  // draft are moved to the side file (and the Commish told). Unless Loaded,
  // the lock is released and the engine can load again.
  LoadResult LoadLeague(const std::string& leagueFile, bool includeFreeAgents);
  // Starts listening (again, after Unload closed the port) while the engine
  // holds a league's lock. Shows the reason through the prompter on failure.
  // True when listening.
  bool StartListening();
  bool Listening() const { return sessions_.Listening(); }
  quint16 Port() const { return sessions_.Port(); }  // the port listened on, 0 when down
  bool LeagueLoaded() const { return leagueLoaded_; }

  // ---- Draft Control operations --------------------------------------
  enum class ClockResult { Started, MustSelect, NotAllowed, BadTime, UnknownTeam };
  // Puts the team named by a teams-list line ("*" marks removed) on the
  // clock with `timeAllowed` seconds (text as typed), announcing the pick
  // text1 "-" text2 (as typed). Preconditions: no clock running, no team on
  // the clock, a time of 1..32767 seconds. A team that is not signed on gets
  // no clock: "You will have to select for <name>." is shown (MustSelect).
  // A team put on the clock by hand ends the automatic run.
  ClockResult PutOnClock(const std::string& teamLine, const std::string& timeAllowed, const std::string& text1,
                         const std::string& text2);

  enum class PickResult { Picked, NotConfirmed, NotAllowed, Taken, Full, WriteFailed, Changed };
  // The Commish picks for the team on the clock, which must wait for him
  // (WaitingForCommish): asks "Draft Selection" / "Are you sure you want to select <name>?".
  // `pidText` and `name` as read back from the draftee line, `position` the
  // caption of the shown position; a PID that is no player of this draft is
  // NotAllowed. On Picked the window removes the line. The box lets other events run: when the team on the clock, its
  // signing on or the pick's label changed meanwhile, nothing is recorded and the Commish is told (Changed).
  PickResult CommishPick(const std::string& pidText, const std::string& name, const std::string& position);

  // Takes the team on the clock off it (H) and ends the automatic run.
  // False when nobody is on the clock.
  bool Halt();
  // Sends the kick (R reason 4) to the team named by a teams-list line.
  // False when the team is unknown or not connected.
  bool Kick(const std::string& teamLine) { return sessions_.Kick(teamLine); }

  enum class DeleteResult { Deleted, NotConfirmed, NotAllowed, NotFound, WriteFailed };
  // Deletes the pick of a Selections line / of round-selection: asks
  // "Draft Selection" / "Are you sure you want to delete pick at round r-s?",
  // rewrites the draft file (atomically; on failure ReportError and nothing
  // changes), then blanks the pick and sends Y. Only with nobody on the clock.
  DeleteResult DeletePickAtLine(const std::string& selectionLine);
  DeleteResult DeletePick(const std::string& round, const std::string& selection);

  // The Commish's chat: recipient "All ..." (any letter case) is public (C to
  // every connected team), else a private line to the team of that name.
  // The text is cut at its first "|". False when nothing was sent (empty
  // text, unknown or disconnected recipient).
  bool CommishChat(const std::string& recipient, const std::string& text) {
    return sessions_.CommishChat(recipient, text);
  }

  // The window's edit of the next-pick numbers (Text1, Text2).
  void SetNextPickText(const std::string& text1, const std::string& text2);

  // One clock second (the ticker calls it; tests may call it).
  void Tick();

  // Closes the listener and every connection; nothing is sent (unload).
  // The teams' wish lists are forgotten and the league's lock is released.
  void Unload();

  // ---- the draft order and the clock that runs itself ----------------
  // The order the clock follows while it runs itself. Read at the league
  // load from the order file beside the league (the default order when
  // there is none); SetOrder changes it for this run (cut to the rounds a
  // draft of kMaxPicks picks holds, telling the Commish), SaveOrder writes it.
  void SetOrder(const draft::DraftOrder& order);
  const draft::DraftOrder& Order() const { return order_; }
  // Writes the order file (atomically). False after telling the Commish why.
  bool SaveOrder();
  const std::string& OrderFile() const { return orderFile_; }
  // Unknown names and missing teams of the order file read at the load.
  const draft::OrderRead& OrderFileRead() const { return orderRead_; }

  // The seconds a team is given while the clock runs itself (1..32767;
  // default 60).
  void SetTimeAllowed(int seconds);
  int TimeAllowed() const { return timeAllowed_; }
  // Turns the automatic run on or off. Turned on with nobody on the clock,
  // the team of the first label of the order without a pick goes on it at
  // once. Halt and a team put on the clock by hand turn it off.
  void SetRunAutomatically(bool on);
  bool RunningAutomatically() const { return autoRun_; }
  // The rule for absent and late teams without a wish list; `ratings` are
  // the ticked rating boxes (SP..DI) whose sum ranks the players.
  void SetAutoDraftRule(AutoDraftRule rule, std::array<bool, draft::kRatingBoxes> ratings = {});
  AutoDraftRule Rule() const { return rule_; }
  // True when the team on the clock waits for the Commish's pick (a team
  // not signed on, or one whose time ran out while the clock ran itself).
  bool WaitingForCommish() const;
  // The wish list a team sent (PIDs, best first).
  const std::vector<int>& WishList(int team) const { return sessions_.WishList(team); }

  // After a merge: the picks become those the merge kept, which it has
  // already written to the draft file.
  void ReplacePicks(std::vector<draft::Pick> kept);

  // ---- state the windows show ----------------------------------------
  int TeamCount() const { return sessions_.TeamCount(); }
  const TeamEntry& Team(int index) const { return sessions_.Team(index); }  // 1..TeamCount
  // 1-based index of the first team of that exact name; 0 when none.
  int TeamIndexOf(std::string_view name) const { return sessions_.TeamIndexOf(name); }
  // Teams-list lines: each name, "*" appended when signed on.
  std::vector<std::string> TeamLines() const { return sessions_.TeamLines(); }
  // Names of the signed-on teams, in team order (chat recipients).
  std::vector<std::string> SignedOnNames() const { return sessions_.SignedOnNames(); }
  // Every team's name, team 1 first.
  std::vector<std::string> TeamNames() const;
  int OpenConnections() const { return sessions_.OpenConnections(); }
  // The picks made (blank slots for deleted ones) and the draft file.
  const draft::DraftLog& Log() const { return log_; }
  // DraftListFill of every pick that is not blank, in order (the Selections list).
  std::vector<std::string> SelectionLines() const;
  // The team on the clock and its time.
  const DraftClock& Clock() const { return clock_; }
  const std::string& RoundSel() const { return roundSel_; }
  const std::string& RoundText() const { return roundText_; }
  const std::string& SelectionText() const { return selectionText_; }
  bool MergeEnabled() const { return mergeEnabled_; }
  QString Caption() const { return caption_; }
  const std::string& LeagueName() const { return leagueName_; }
  const std::string& LeaguePath() const { return leaguePath_; }
  int16_t LeagueVersion() const { return leagueVersion_; }
  const std::string& DraftFile() const { return log_.File(); }
  const league::DrafteePool& Pool() const { return pool_; }
  int DrafteeCount() const { return pool_.Count(); }
  bool IncludeFreeAgents() const { return includeFreeAgents_; }

 signals:
  void pubChatAdded(const QString& line);  // AddPubChat
  void showChatWindow();                   // before a private line to the Commish
  void teamSignedOn(int team, const QString& name);
  void teamSignedOff(int team, const QString& name);
  void mergeEnabledChanged(bool enabled);
  // A pick was recorded (filed and stored), by a team or by the Commish.
  void pickRecorded(const draft::Pick& pick, bool byCommish);
  // The pick list changed otherwise (loaded, a pick deleted, a merge).
  void picksChanged();
  void clockChanged();     // the team on the clock, its time
  void nextPickChanged();  // Text1 / Text2 / RoundSel
  void captionChanged(const QString& caption);
  void loadProgress(LoadStep step);  // the league window's progress text
  void autoRunChanged(bool on);      // the clock runs itself, or no longer
  void orderChanged();
  // The last label of the order was recorded while the clock ran itself.
  void draftComplete();

 private:
  void SendPick(int element, int team, int n);
  void HandleDraft(int element, int team, const protocol::Message& m);
  // Why team `team` may not pick now; empty when it may.
  std::string OutOfTurn(int team) const;
  // A private line from the Commish to the sender of a selection that was
  // not recorded, saying why.
  void RefusePick(int element, int team, const std::string& why);
  // The pool's player of that id as the draftee list shows him (name as
  // read back from his line, position caption); nullptr when the id is not
  // a player of this draft.
  struct PoolPlayer {
    std::string name;
    std::string position;
  };
  const PoolPlayer* FindPlayer(int pid) const;
  void StopTicking();
  void AddPubChat(const std::string& line);
  void UpdateMerge();
  void ResetClock();
  void AdvanceFromText();
  // Files and stores a pick; false (after ReportError) when it could not be
  // written.
  bool RecordPick(const draft::Pick& pick, const char* context);
  // After a pick is on disk: Z to every signed-on team, the windows told,
  // the clock stopped, the next label set, the chat line; then the next
  // team goes on the clock when the clock runs itself.
  void AnnouncePick(const std::string& picked, bool byCommish, const std::string& chatLine);
  // With every label of the order picked the run ends (draftComplete);
  // else the next team goes on the clock, now or after the pause.
  void ContinueRun(bool now);
  // The team on the clock is absent or out of time: the server picks for
  // it, or holds it on the clock for the Commish and says so.
  void PickForAbsent(int t);
  // A team signed on: when the automatic run holds it on the clock because
  // it was absent, its clock starts now.
  void ClockForLateArrival(int t);
  // Puts team `t` on the clock for label roundText_-selectionText_: running
  // with `seconds` when signed on, else held for the Commish. True when
  // running.
  bool ClockOn(int t, int seconds);
  // A public line from the server: C to every connected team and the chat.
  void Announce(const std::string& line);
  void SetAutoRun(bool on);
  // Starts the pause before the next team of the order (automatic run).
  void SchedulePause();
  void PauseTick();
  // The pause is over: the team of the next label goes on the clock, or the
  // draft is complete.
  void NextOnClock();
  // Index of the first label of the order at or after the cursor without a
  // pick; -1 when none.
  int NextOrderIndex() const;
  void SetNextLabel(int index);
  // A pick was recorded at `label`: the run goes on after it, even when a
  // label before it is vacant again.
  void PassLabel(const std::string& label);
  // Picks for team `t` from its wish list or by the rule; false when
  // there is nothing to pick by (or the pick could not be filed).
  bool AutoPick(int t);
  int BestAvailable() const;
  void LoadOrder(const std::string& folder);

  // ---- league loading (LoadLeague's steps) ----
  // What is done to the draft file once the port is open.
  struct DraftFileWork {
    bool clear = false;                           // the Commish chose a new draft
    std::vector<draft::SetAsideRecord> setAside;  // else: records to move aside
  };
  // Everything read, the lock taken, the question asked: Loaded, else why not.
  LoadResult ReadLeague(const std::string& folder, DraftFileWork& work);
  // Takes the league's lock; false with `r` saying why not.
  bool TakeLock(const std::string& folder, LoadResult& r);
  // The resume question; true when the Commish clears the draft.
  bool AskToClear(const std::string& draftFile, const std::vector<draft::SetAsideRecord>& setAside);
  // Listens, does the draft file's work and sets the next pick.
  LoadResult OpenDraft(const DraftFileWork& work);
  // Clears the draft file (keeping a copy) or moves the records set aside;
  // an empty text on success, else the reason.
  std::string SettleDraftFile(const DraftFileWork& work, const std::string& folder);
  // Opens the port; on failure shows the reason. True when listening.
  bool Listen();
  void ShowServerUp();

  Prompter* prompter_;
  std::unique_ptr<ScriptedPrompter> fallbackPrompter_;
  ErrorReporter reporter_;
  quint16 port_ = protocol::kDraftPort;

  Sessions sessions_;
  draft::DraftLog log_;
  DraftClock clock_;

  bool leagueLoaded_ = false;
  LeagueLock lock_;
  std::string leaguePath_;
  std::string leagueName_;
  int16_t leagueVersion_ = 0;
  league::DrafteePool pool_;
  std::unordered_map<int, PoolPlayer> players_;  // by PID
  Ticker* ticker_ = nullptr;
  bool includeFreeAgents_ = false;

  std::string roundSel_ = "1-1";
  std::string roundText_ = "1";
  std::string selectionText_ = "1";
  bool mergeEnabled_ = false;
  QString caption_;

  draft::DraftOrder order_;
  std::string orderFile_;
  draft::OrderRead orderRead_;
  int timeAllowed_ = 60;
  bool autoRun_ = false;
  int autoCursor_ = 0;           // label index the automatic run has reached
  bool heldForCommish_ = false;  // a signed-on team's time ran out: the Commish selects
  // The team on the clock was held there because it was not signed on: when
  // it signs on during the automatic run it gets its clock.
  bool heldAbsent_ = false;
  AutoDraftRule rule_ = AutoDraftRule::WaitForCommish;
  std::array<bool, draft::kRatingBoxes> ratings_{};
  TimerTicker ownPause_;
  Ticker* pauseTicker_ = &ownPause_;
  int pauseLeft_ = 0;
  bool pausing_ = false;
};

}  // namespace pm::server
