// The draft server's engine: everything PKServer does that needs no window.
//
// DraftServer wires its parts and adds the Commish's operations:
//  - Sessions: the listener, the connections, the team table, the login
//    check, the broadcasts and the dispatch of what signed-on teams send;
//  - draft::DraftLog: the picks made and the draft file;
//  - DraftClock: the team on the clock, its pick, its state and its seconds;
//  - WishLists: the lists the owners sent, kept with the draft;
//  - AutoRun: the draft order and the automatic run's progress.
// The engine itself loads the league, records picks (from a team's D, the
// Commish or the automatic run), answers catch-up requests, keeps the label
// of the next pick, and tells whether a merge may run.
//
// The clock can run itself (off until the Commish turns it on): the team
// owning the next label of the order goes on the clock after a short pause,
// with the time allowed, or the absent time when its owner is not signed on;
// when its time runs out it is picked for from its wish list or by the
// Commish's rule, so the draft never stalls, and an owner who is there is
// never picked for before his time is up. The windows show the engine's state
// (through the accessors and signals below) and call its operations, each of
// which checks its own preconditions; they never change a table themselves.
// Every operation runs to its end without returning to the event loop.
//
// Texts are std::string holding Latin-1 bytes; the signals carry QString
// (converted with QString::fromLatin1) for the windows. Paths are
// std::string in the file-name encoding (the window converts with
// QFile::encodeName); a message that names a path is UTF-8 and says so
// (TextCoding::Utf8).
#pragma once

#include <QDateTime>
#include <QJsonObject>
#include <QObject>
#include <QString>
#include <QTimer>

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "common/ErrorReport.h"
#include "common/Prompt.h"
#include "draft/ClockFile.h"
#include "draft/DraftLog.h"
#include "draft/DraftOrder.h"
#include "draft/Draftees.h"
#include "draft/Pick.h"
#include "league/FBPro.h"
#include "protocol/Protocol.h"
#include "server/engine/AutoRun.h"
#include "server/engine/DraftClock.h"
#include "server/engine/LeagueLock.h"
#include "server/engine/Notifier.h"
#include "server/engine/Sessions.h"
#include "server/engine/Ticker.h"
#include "server/engine/WishLists.h"

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
    DraftFileRefused,   // the draft file (draftFile) holds more than draft::kMaxPicks picks (records)
    MergeNotRestored,   // an interrupted merge could not be put back (message says why)
    DraftInProgress,    // the draft file holds picks (records) and the caller has not said whether to go on
                        // with them: the league is read and its lock held; answer with ContinueLoad
    AlreadyLoaded,      // a league is loaded already (one per run)
    Failed,             // a league-file failure went to ReportError
  };
  Status status = Status::Failed;
  // The details the window's messages name.
  std::string leaguePath;   // NotRecognised
  std::string draftFile;    // DraftFileRefused, DraftInProgress
  std::size_t records = 0;  // DraftFileRefused, DraftInProgress: the picks the file holds
  // DraftInProgress: the file's records that are no picks of this draft,
  // moved aside when the draft goes on.
  std::vector<draft::SetAsideRecord> setAside;
  std::string message;  // MergeNotRestored, InUse, FolderNotWritable: what to tell the Commish (UTF-8)
  bool Ok() const { return status == Status::Loaded; }
};

// What becomes of a draft in progress found at a league load: go on with
// it, or keep a copy of its file and start a new one. Unanswered leaves the
// choice to the caller, who asks the Commish and calls ContinueLoad.
enum class PreviousDraft { Unanswered, Resume, Clear };

// How the automatic run picks for a team that is absent or out of time and
// has no usable wish list.
using AutoDraftRule = draft::AutoPickRule;

// The longest time a team may be given, in seconds.
inline constexpr int kMaxClockSeconds = draft::kMaxPickSeconds;
// A clock restored from before a restart gives at least this many seconds,
// so that an owner whose deadline passed while the server was down still
// has a moment to pick.
inline constexpr int kRestoredClockFloorSeconds = 60;
// A draft resumed at the load runs its first clock no earlier than this
// after the load, so that owners who were signed on are back first.
inline constexpr int64_t kResumeGraceMs = 30'000;

// What the automatic run does when it finds no player to pick for a team.
enum class NobodyToPick {
  WaitForCommish,  // the team stays on the clock for the Commish (windows)
  Pass,            // the pick is passed with a chat line (no Commish at hand)
};

class DraftServer : public QObject {
  Q_OBJECT
 public:
  explicit DraftServer(QObject* parent = nullptr);
  ~DraftServer() override;

  // ---- injection -----------------------------------------------------
  // The port to listen on (default 7; 0 picks a free port, see Port()).
  void SetPort(quint16 port) { port_ = port; }
  // The program's error reporter (label "PK - Server").
  ErrorReporter& Reporter() { return reporter_; }
  // What drives the clock (not owned; nullptr: nothing does, Tick() is
  // called from outside). Default none.
  void SetTicker(Ticker* ticker);
  // What times the automatic run's waits (the pause between picks, counted
  // in its ticks, and the wait for the start time), not owned; nullptr: the
  // engine's own one-second timer. Tests inject their own.
  void SetPauseTicker(Ticker* ticker);
  // Milliseconds since the epoch, for the start time (tests inject one).
  std::function<int64_t()> wallClock;
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
  // merge that was interrupted (a notice says so), and reads the teams, the
  // pool (with free agents when asked) and the draft file, checked against
  // them. A draft in progress is resumed or cleared as `previous` says; when
  // Unanswered, the load stops there with DraftInProgress, and the caller
  // asks the Commish (ResumeQuestion) and calls ContinueLoad. Then it starts
  // listening; a port that cannot be opened releases the lock with nothing
  // written. Only then is the draft file changed: a cleared file is kept
  // under a dated name first, and records that are no picks of this draft
  // are moved to the side file (a notice says so). Unless Loaded or
  // DraftInProgress, the lock is released and the engine can load again.
  LoadResult LoadLeague(const std::string& leagueFile, bool includeFreeAgents,
                        PreviousDraft previous = PreviousDraft::Unanswered);
  // Ends a load that stopped at DraftInProgress, resuming or clearing the
  // draft as the Commish answered. Failed when no load is waiting for it,
  // or the answer is Unanswered (the lock is released then).
  LoadResult ContinueLoad(PreviousDraft answer);
  // The question for a load that stopped at DraftInProgress: whether to
  // clear the draft in progress (UTF-8: it names the draft file). Yes
  // clears, and No, the safe answer, goes on with it.
  std::string ResumeQuestion() const;
  // Starts listening (again, after Unload closed the port) while the engine
  // holds a league's lock. A notice gives the reason on failure.
  // True when listening.
  bool StartListening();
  bool Listening() const { return sessions_.Listening(); }
  quint16 Port() const { return sessions_.Port(); }  // the port listened on, 0 when down
  bool LeagueLoaded() const { return leagueLoaded_; }

  // ---- Draft Control operations --------------------------------------
  // Each checks its own preconditions; the windows ask the Commish first.
  enum class ClockResult { Started, MustSelect, NotAllowed, BadTime, UnknownTeam, BadLabel };
  // Puts team `team` on the clock with `seconds` for pick `label`: N to
  // every signed-on team; its clock runs when it is signed on, else the
  // Commish is to select for it (MustSelect). Only with nobody on the clock,
  // 1..kMaxClockSeconds seconds, and a label of this draft. Ends the
  // automatic run.
  ClockResult PutOnClock(int team, int seconds, draft::PickLabel label);

  enum class PickResult { Picked, NotAllowed, Taken, Full, WriteFailed, Changed };
  // The Commish picks player `pid` for team `team` at `label`, as he saw
  // them when he chose (Changed, nothing recorded, when that is no longer
  // who is on the clock for which pick, or the owner picks himself now). A
  // PID that is no player of this draft is NotAllowed.
  PickResult CommishPick(int pid, int team, draft::PickLabel label);
  // The team on the clock waits for (or may be picked for by) the Commish.
  bool CommishMayPick() const;

  // Takes the team on the clock off it (H) and ends the automatic run.
  // False when nobody is on the clock.
  bool Halt();
  // Sends the kick (R reason 4) to team `team`. False when it is not connected.
  bool Kick(int team) { return sessions_.Kick(team); }

  enum class DeleteResult { Deleted, NotAllowed, NotFound, WriteFailed };
  // Deletes the pick at `label`: rewrites the draft file (atomically; on
  // failure ReportError and nothing changes), then blanks the pick, sends Y
  // and tells the owners. Only with nobody on the clock.
  DeleteResult DeletePick(draft::PickLabel label);

  // The Commish's chat: to 0 is public (C to every connected team), else a
  // private line to that team. The text is cut at its first "|". False when
  // nothing was sent (empty text, a team not connected).
  bool CommishChat(int to, const std::string& text) { return sessions_.CommishChat(to, text); }

  // The next pick's label as the Commish edits it; false (nothing changed)
  // for a label this draft cannot have.
  bool SetNextLabel(draft::PickLabel label);

  // One clock second (the ticker calls it; tests may call it).
  void Tick();

  // ---- pause and quiet hours -----------------------------------------
  // Pauses the draft: the team on the clock keeps the seconds it has left
  // (Q to the owners whose client takes it; the others hear it in the chat
  // and get N with the same seconds at the resume), nobody's time runs, the
  // automatic run holds, and owners' selections are refused with a private
  // line. The Commish may still pick, halt, delete and trade. False when the
  // Commish has paused it already or no league is loaded.
  bool PauseDraft();
  // Ends the Commish's pause: the team on the clock gets the same seconds
  // back (N to every owner). Quiet hours may still hold the draft. False
  // when the Commish had not paused it.
  bool ResumeDraft();
  // Why the draft is held now (both may hold it).
  bool PausedByCommish() const { return pausedByCommish_; }
  bool InQuietHours() const { return inQuietHours_; }
  bool Paused() const { return pausedByCommish_ || inQuietHours_; }
  // Quiet hours of the order (with its time zone), kept in the order file:
  // while they last the clock stops and the run holds, as a pause does.
  void SetQuietHours(std::optional<draft::QuietHours> hours, const std::string& timeZone = {});

  // The address draft events are posted to (empty: none). False, nothing
  // changed, for an address that is not http or https.
  bool SetNotifyUrl(const QString& url);
  QString NotifyUrl() const { return notifier_.Url().toString(); }
  // The webhook itself, for tests (its timeout and back-off).
  Notifier& Notifications() { return notifier_; }

  // Gives pick `label` to team `team` (0: back to the order's team), during
  // the draft too: announced in the chat, the order sent again to owners
  // whose client takes it, and a pick on the clock moves with its seconds
  // to its new owner. False for a label outside the order or a team outside
  // the league.
  bool TradePick(draft::PickLabel label, int team);

  // Closes the listener and every connection; nothing is sent (unload).
  // The league's lock is released.
  void Unload();

  // ---- the draft order and the clock that runs itself ----------------
  // The order the clock follows while it runs itself, with the automatic
  // run's settings. Read at the league load from the order file beside the
  // league (the default order when there is none); SetOrder changes it for
  // this run (cut to the rounds a draft of kMaxPicks picks holds, telling
  // the Commish), SaveOrder writes it.
  void SetOrder(const draft::DraftOrder& order);
  const draft::DraftOrder& Order() const { return run_.Order(); }
  // Writes the order file (atomically). False after telling the Commish why.
  bool SaveOrder();
  const std::string& OrderFile() const { return orderFile_; }
  // Unknown names and missing teams of the order file read at the load.
  const draft::OrderRead& OrderFileRead() const { return orderRead_; }

  // The automatic run's settings (kept in the order file): the seconds a
  // team is given (1..kMaxClockSeconds; default 60), the seconds an absent
  // team is given (nothing: the time allowed), the pause between picks
  // (0..kMaxPauseSeconds; default 5) and the rule for absent and late teams
  // without a wish list, with the ratings it sums.
  void SetTimeAllowed(int seconds);
  int TimeAllowed() const { return Order().settings.timeAllowed; }
  void SetAbsentTime(std::optional<int> seconds);
  void SetPauseSeconds(int seconds);
  void SetAutoDraftRule(AutoDraftRule rule, draft::Ratings ratings = draft::kAllRatings);
  AutoDraftRule Rule() const { return Order().settings.rule; }
  // What the run does when there is nobody to pick (default: wait for the Commish).
  void SetNobodyToPick(NobodyToPick action) { nobodyToPick_ = action; }
  // Turns the automatic run on or off. Turned on with nobody on the clock,
  // the team of the first label of the order without a pick goes on it (at
  // the start time, if one is set; a draft resumed at the load waits
  // kResumeGraceMs after the load, so that owners reconnect first). Halt and
  // a team put on the clock by hand turn it off.
  void SetRunAutomatically(bool on);
  bool RunningAutomatically() const { return run_.On(); }
  // How long a draft resumed at the load waits for its owners before the
  // first clock of the automatic run (counted from the load; default
  // kResumeGraceMs).
  void SetResumeWait(int64_t ms) { resumeWaitMs_ = ms; }
  // The first clock of the automatic run comes no earlier than `atMs`
  // (milliseconds since the epoch); nothing: at once.
  void SetStartTime(std::optional<int64_t> atMs);
  std::optional<int64_t> StartTime() const { return run_.Start(); }
  // What the automatic run is doing, for Draft Control ("" when off).
  std::string RunStatus() const;
  // The wish list team `team` sent (PIDs, best first).
  const std::vector<int>& WishList(int team) const { return wishLists_.Of(team); }

  // After a merge: the picks become those the merge kept, which it has
  // already written to the draft file.
  void ReplacePicks(std::vector<draft::Pick> kept);

  // ---- state the windows show ----------------------------------------
  int TeamCount() const { return sessions_.TeamCount(); }
  const TeamEntry& Team(int index) const { return sessions_.Team(index); }  // 1..TeamCount
  // 1-based index of the first team of that exact name; 0 when none.
  int TeamIndexOf(std::string_view name) const { return sessions_.TeamIndexOf(name); }
  // Every team's name, team 1 first.
  std::vector<std::string> TeamNames() const;
  int OpenConnections() const { return sessions_.OpenConnections(); }
  // The picks made (blank slots for deleted ones) and the draft file.
  const draft::DraftLog& Log() const { return log_; }
  // The team on the clock, its pick and its time.
  const DraftClock& Clock() const { return clock_; }
  // The label of the next pick.
  draft::PickLabel NextLabel() const { return next_; }
  bool MergeEnabled() const { return mergeEnabled_; }
  QString Caption() const { return caption_; }
  const std::string& LeagueName() const { return leagueName_; }
  const std::string& LeaguePath() const { return leaguePath_; }
  int16_t LeagueVersion() const { return leagueVersion_; }
  const std::string& DraftFile() const { return log_.File(); }
  const league::DrafteePool& Pool() const { return pool_; }
  int DrafteeCount() const { return pool_.Count(); }
  bool IncludeFreeAgents() const { return includeFreeAgents_; }
  // The pool's player of that id as the draftee lists show him; nullptr
  // when the id is no player of this draft.
  struct PoolPlayer {
    std::string name;
    std::string position;
  };
  const PoolPlayer* FindPlayer(int pid) const;

 signals:
  // Something the Commish is told (Notice): a merge put back at the load,
  // records moved out of the draft file, the draft order's problems, a port
  // that cannot be opened.
  void notice(const pm::Notice& notice);
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
  void nextPickChanged();  // NextLabel
  void captionChanged(const QString& caption);
  void loadProgress(LoadStep step);  // the league window's progress text
  void autoRunChanged(bool on);      // the clock runs itself, or no longer
  void runStatusChanged();           // RunStatus
  void orderChanged();
  // The automatic run has ended the draft (`line` says how); the owners
  // that understand it have been told the draft is over.
  void draftOver(const QString& line);
  // The draft was paused or resumed (Paused, PausedByCommish, InQuietHours).
  void pauseChanged();
  // Something owners who are away want word of: "on_the_clock", "pick",
  // "paused" or "complete", with its details (team, label, deadline as
  // ISO 8601 UTC, player, position), for the webhook.
  void draftEvent(const QString& event, const QJsonObject& fields);

 private:
  void SendPicks(int element, int team, int n);
  void SendWholeCatchUp(int element, int team);
  void OnLoggedIn(int element, int team, protocol::Features features);
  void HandleDraft(int element, int team, const protocol::Message& m);
  void HandleWishList(int element, int team, int first, const std::vector<int>& pids);
  // Why team `team` may not pick now; empty when it may.
  std::string OutOfTurn(int team) const;
  // A private line from the Commish to the sender of a selection that was
  // not recorded, saying why.
  void RefusePick(int element, int team, const std::string& why);
  void AddPubChat(const std::string& line);
  // A public line from the server: C to every connected team and the chat.
  void Announce(const std::string& line);
  void UpdateMerge();
  void StopClock();
  void StartTicking();
  // Starts team `t`'s clock for `label` with `seconds`: N to every
  // signed-on owner (each as much as its client takes), paused at once when
  // the draft is, the clock file written and the webhook told.
  void StartClock(int t, draft::PickLabel label, int seconds);
  // The clock's N to every signed-on owner, or while paused Q to those
  // whose client hears the pause.
  void SendClock();
  // The pause, as Paused() changes: the clock stopped or run on.
  void SetPaused(bool byCommish, bool quiet);
  // Whether now lies in the quiet hours; entering or leaving them pauses
  // or resumes the draft (true when it did).
  bool UpdateQuietHours();
  bool QuietNow() const;
  std::string PauseLine() const;
  // Keeps the clock of the team on the clock on disk (removed when none).
  void SaveClock();
  // The clock kept before a restart, when it is for team `t` and `label`:
  // the seconds it had left (at least kRestoredClockFloorSeconds).
  std::optional<int> RestoredSeconds(int t, draft::PickLabel label);
  // Tells draftEvent; `text` is the line a chat shows for it (Slack-like
  // webhooks read "text", Discord-like ones "content").
  void Notify(const char* event, QJsonObject fields, const std::string& text);
  // The team on the clock, its pick and (while its time runs) the deadline.
  QJsonObject ClockEventFields() const;
  // When the running clock of the team on it runs out (UTC).
  QDateTime Deadline() const;
  // "Boston Bulldogs is on the clock with pick 2-5 (until 21:40 UTC)."
  std::string OnClockLine() const;
  // A webhook post given up: the transcript and the error file.
  void NotifyFailed(const QString& line);
  // Files a pick and tells everyone; false (after ReportError, or when the
  // draft is full) when it could not be recorded.
  // `how` says how the server chose a pick it made itself (empty: the
  // team's own or the Commish's).
  bool RecordPick(const draft::Pick& pick, int team, bool byCommish, const char* context, const std::string& how = {});
  // After a pick is on disk: Z to every signed-on team, the windows told,
  // the clock stopped, the next label set, the chat line; then the next
  // team goes on the clock when the clock runs itself.
  void AnnouncePick(const draft::Pick& pick, int team, bool byCommish, const std::string& how);
  void SetNext(draft::PickLabel label);

  // The automatic run.
  // With every label of the order done the run ends (draftOver); else the
  // next team goes on the clock after the pause (now: without it).
  void ContinueRun(bool now);
  void ScheduleRunWait(int ticks);
  // The line that says when the run's first clock comes.
  std::string StartLine(int64_t startMs, int64_t nowMs) const;
  void RunTick();
  // The wait is over: the team of the next label goes on the clock, is
  // picked for at once, or the draft is over.
  void NextOnClock();
  // The team on the clock has run out of time (or is picked for at once):
  // the server picks for it, holds it for the Commish, or passes the pick.
  void PickForAbsent(int t, draft::PickLabel label);
  // The player the run picks for team `t` and how it chose him ("from its
  // wish list", "best available"); 0 when there is nobody to pick.
  int AutoChoice(int t, std::string* how) const;
  int BestAvailable() const;
  bool AnyoneLeft() const;
  void EndDraft(const std::string& line);
  void SetRunStatus(const std::string& status);
  void LoadOrder(const std::string& folder);
  // The order messages of the order the run follows (none when it is off).
  std::vector<std::string> OrderMessages() const;
  // The order to every owner whose client takes it.
  void BroadcastOrder();
  // Each pick whose owner the new order changed, told in the chat; a pick
  // on the clock moves to its new owner.
  void AnnounceTrades(const draft::DraftOrder& before);

  // ---- league loading (LoadLeague's steps) ----
  // What is done to the draft file once the port is open.
  struct DraftFileWork {
    bool clear = false;                           // the Commish chose a new draft
    std::vector<draft::SetAsideRecord> setAside;  // else: records to move aside
  };
  // Everything read and the lock taken: Loaded, else why not.
  LoadResult ReadLeague(const std::string& folder, DraftFileWork& work);
  // Takes the league's lock; false with `r` saying why not.
  bool TakeLock(const std::string& folder, LoadResult& r);
  // Listens, does the draft file's work and sets the next pick; the lock
  // is released unless Loaded.
  LoadResult OpenDraft(const DraftFileWork& work);
  // Clears the draft file (keeping a copy) or moves the records set aside;
  // an empty text on success, else the reason.
  std::string SettleDraftFile(const DraftFileWork& work, const std::string& folder);
  // Opens the port; on failure a notice gives the reason. True when listening.
  bool Listen();
  void ShowServerUp();

  // A load that stopped at DraftInProgress, waiting for ContinueLoad.
  std::optional<DraftFileWork> waitingLoad_;
  ErrorReporter reporter_;
  quint16 port_ = protocol::kDraftPort;

  Sessions sessions_;
  draft::DraftLog log_;
  DraftClock clock_;
  WishLists wishLists_;
  AutoRun run_;

  bool leagueLoaded_ = false;
  int64_t loadedAt_ = 0;  // wallClock() when the league was loaded
  int64_t resumeWaitMs_ = kResumeGraceMs;
  bool resumedDraft_ = false;  // the league was loaded with picks recorded
  LeagueLock lock_;
  std::string leaguePath_;
  std::string leagueName_;
  int16_t leagueVersion_ = 0;
  league::DrafteePool pool_;
  std::unordered_map<int, PoolPlayer> players_;  // by PID
  Ticker* ticker_ = nullptr;
  bool includeFreeAgents_ = false;

  draft::PickLabel next_{1, 1};
  bool mergeEnabled_ = false;
  QString caption_;

  std::string orderFile_;
  draft::OrderRead orderRead_;
  std::string clockFile_;
  std::optional<draft::SavedClock> savedClock_;  // read at the load, used once
  Notifier notifier_;
  bool pausedByCommish_ = false;
  bool inQuietHours_ = false;
  NobodyToPick nobodyToPick_ = NobodyToPick::WaitForCommish;
  std::string runStatus_;
  TimerTicker ownPause_;
  Ticker* pauseTicker_ = &ownPause_;
  int pauseLeft_ = 0;
  bool runWaiting_ = false;                // the run waits (the pause, or the start time)
  std::optional<int64_t> startAnnounced_;  // the start the chat was told of
  uint64_t runWaitGeneration_ = 0;
};

}  // namespace pm::server
