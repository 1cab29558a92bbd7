#include "server/engine/DraftServer.h"

#include <QDateTime>
#include <QStringList>
#include <QTimeZone>

#include <algorithm>
#include <array>
#include <ctime>
#include <filesystem>

#include "common/Common.h"
#include "common/ErrorContexts.h"
#include "common/Files.h"
#include "draft/Draftees.h"
#include "draft/PoolTable.h"
#include "merge/Merge.h"
#include "protocol/Messages.h"
#include "server/engine/Log.h"

namespace fs = std::filesystem;
using namespace Qt::StringLiterals;

namespace pm::server {

using draft::DraftLog;
using draft::Pick;
using draft::PickLabel;

namespace {}  // namespace

DraftServer::DraftServer(QObject* parent) : QObject(parent) {
  wallClock = [] { return QDateTime::currentMSecsSinceEpoch(); };
  reporter_.programLabel = kServerLabel;
  caption_ = QString::fromLatin1(kCaptionDown);
  connect(&sessions_, &Sessions::chatLine, this, &DraftServer::AddPubChat);
  connect(&sessions_, &Sessions::showChatWindow, this, &DraftServer::showChatWindow);
  connect(&sessions_, &Sessions::teamSignedOn, this, &DraftServer::teamSignedOn);
  connect(&sessions_, &Sessions::teamSignedOff, this, &DraftServer::teamSignedOff);
  connect(&sessions_, &Sessions::connectionsChanged, this, &DraftServer::UpdateMerge);
  connect(&sessions_, &Sessions::loggedIn, this, &DraftServer::OnLoggedIn);
  connect(&sessions_, &Sessions::pickRequested, this, &DraftServer::SendPicks);
  connect(&sessions_, &Sessions::draftReceived, this, &DraftServer::HandleDraft);
  connect(&sessions_, &Sessions::wishListReceived, this, &DraftServer::HandleWishList);
  connect(&notifier_, &Notifier::failed, this, &DraftServer::NotifyFailed);
}

DraftServer::~DraftServer() {
  // Closing the connections must not call back into a half-destroyed engine.
  disconnect(&sessions_, nullptr, this, nullptr);
  // Injected tickers may be gone already.
  ticker_ = nullptr;
  pauseTicker_ = &ownPause_;
  Unload();
}

void DraftServer::SetTicker(Ticker* ticker) {
  if (ticker_) ticker_->Stop();
  ticker_ = ticker;
  if (clock_.Running()) StartTicking();
}

void DraftServer::SetPauseTicker(Ticker* ticker) {
  pauseTicker_->Stop();
  pauseTicker_ = ticker ? ticker : &ownPause_;
  if (runWaiting_) pauseTicker_->Start([this] { RunTick(); });
}

void DraftServer::Unload() {
  if (run_.On()) {
    run_.SetOn(false);
    emit autoRunChanged(false);
  }
  runWaiting_ = false;
  waitingLoad_.reset();
  pauseTicker_->Stop();
  sessions_.CloseAll();
  lock_.Release();
}

void DraftServer::StartTicking() {
  if (ticker_) ticker_->Start([this] { Tick(); });
}

void DraftServer::StopClock() {
  clock_.Stop();
  if (ticker_) ticker_->Stop();
  SaveClock();
  emit clockChanged();
}

std::vector<std::string> DraftServer::TeamNames() const {
  std::vector<std::string> names;
  for (int t = 1; t <= TeamCount(); ++t) names.push_back(Team(t).name);
  return names;
}

void DraftServer::AddPubChat(const std::string& line) { emit pubChatAdded(L1(line)); }

void DraftServer::Announce(const std::string& line) {
  sessions_.SendOut(protocol::ChatRelay(0, line));
  AddPubChat(line);
}

// ------------------------------------------------------------ league load

namespace {

// What the draft file's records are checked against: the league's teams and
// the pool the server loaded.
draft::DraftLeague DraftLeagueOf(const std::vector<std::string>& teams, const league::DrafteePool& pool) {
  draft::DraftLeague league{teams, {}, static_cast<int>(teams.size())};
  for (int i = 1; i <= pool.Count(); ++i) league.pids.insert(pool.draftees[Index(i)].player.pid);
  return league;
}

std::string LinesText(std::size_t n) { return Num(static_cast<long long>(n)) + (n == 1 ? " line" : " lines"); }

// A folder as messages name it (the working folder for a league given
// without one).
std::string ShownFolder(const std::string& folder) {
  std::error_code ec;
  const fs::path absolute = fs::absolute(PathOfText(folder), ec);
  return ShownPath(ec ? PathOfText(folder) : absolute);
}

// The Commish's account of records moved out of the draft file (UTF-8).
std::string SetAsideReport(const std::vector<draft::SetAsideRecord>& records, const std::string& draftFile,
                           const std::string& sideFile) {
  constexpr std::size_t kListed = 10;
  std::string text = LinesText(records.size()) + " of the draft file " + ShownPath(draftFile) +
                     " could not be picks of this draft and " + (records.size() == 1 ? "was" : "were") +
                     " moved to the file " + ShownPath(sideFile) + ":";
  for (std::size_t i = 0; i < records.size() && i < kListed; ++i)
    text += "\r\nLine " + Num(records[i].line) + ": " + Latin1ToUtf8(records[i].reason) + ".";
  if (records.size() > kListed) text += "\r\n... and " + LinesText(records.size() - kListed) + " more.";
  return text;
}

}  // namespace

LoadResult DraftServer::LoadLeague(const std::string& leagueFile, bool includeFreeAgents, PreviousDraft previous) {
  LoadResult r;
  if (waitingLoad_) {
    // A load left unanswered gives way to this one.
    waitingLoad_.reset();
    lock_.Release();
  }
  if (leagueLoaded_) {
    r.status = LoadResult::Status::AlreadyLoaded;
    return r;
  }
  if (leagueFile.empty()) {
    r.status = LoadResult::Status::Failed;
    return r;
  }
  const fs::path file = PathOfText(leagueFile);
  reporter_.errorFilePath = TextOfPath(file.parent_path() / kErrorFileName);
  if (clock_.OnClock()) StopClock();
  includeFreeAgents_ = includeFreeAgents;
  leaguePath_ = league::LeaguePathOf(leagueFile);

  DraftFileWork work;
  r = ReadLeague(TextOfPath(file.parent_path()), work);
  if (!r.Ok()) {
    lock_.Release();
    emit loadProgress(LoadStep::Idle);
    return r;
  }
  if (log_.Count() == 0) return OpenDraft(work);
  if (previous != PreviousDraft::Unanswered) {
    work.clear = previous == PreviousDraft::Clear;
    return OpenDraft(work);
  }
  r.status = LoadResult::Status::DraftInProgress;
  r.draftFile = log_.File();
  r.records = static_cast<std::size_t>(log_.Count());
  r.setAside = work.setAside;
  waitingLoad_ = std::move(work);
  emit loadProgress(LoadStep::Idle);
  return r;
}

LoadResult DraftServer::ContinueLoad(PreviousDraft answer) {
  if (!waitingLoad_) return {};
  DraftFileWork work = std::move(*waitingLoad_);
  waitingLoad_.reset();
  if (answer == PreviousDraft::Unanswered) {
    lock_.Release();
    return {};
  }
  work.clear = answer == PreviousDraft::Clear;
  return OpenDraft(work);
}

LoadResult DraftServer::ReadLeague(const std::string& folder, DraftFileWork& work) {
  LoadResult r;
  league::LeagueReadHooks hooks;
  hooks.step = [this](league::ReadStep step) {
    static constexpr std::array<LoadStep, 4> kSteps = {LoadStep::Version, LoadStep::Teams, LoadStep::College,
                                                       LoadStep::FreeAgents};
    emit loadProgress(kSteps[static_cast<std::size_t>(step)]);
  };
  hooks.versionRead = [this, &folder, &r](const league::VersionInfo& v) {
    leagueVersion_ = v.version;
    leagueName_ = v.name;
    // One server at a time runs a league's draft: nothing of the league is
    // written (a merge put back, the draft file) by a server without its lock.
    if (!TakeLock(folder, r)) return false;
    // A merge that was killed part-way left the league half merged: it is put
    // back from its backup, and the Commish told so, before anything else is
    // read from the league.
    const merge::Recovery recovery = merge::RecoverInterruptedMerge(leaguePath_, leagueName_);
    if (recovery.found)
      qCWarning(lcMerge) << "interrupted merge found;" << (recovery.restored ? "put back" : "not put back");
    if (recovery.found && !recovery.restored) {
      r.status = LoadResult::Status::MergeNotRestored;
      r.message = recovery.message;
      return false;
    }
    if (recovery.restored) emit notice({"Info", recovery.message, PromptIcon::Information, TextCoding::Utf8});
    return true;
  };
  try {
    league::LeagueRead read = league::ReadLeague(leaguePath_, includeFreeAgents_, hooks);
    switch (read.outcome) {
      case league::LeagueRead::Outcome::Read: break;
      case league::LeagueRead::Outcome::Stopped: return r;  // the lock or the merge said why
      case league::LeagueRead::Outcome::NotRecognised:
        r.status = LoadResult::Status::NotRecognised;
        r.leaguePath = leaguePath_;
        return r;
      case league::LeagueRead::Outcome::NoTeams: r.status = LoadResult::Status::NoTeams; return r;
      case league::LeagueRead::Outcome::NoPlayers: r.status = LoadResult::Status::NoPlayers; return r;
    }
    std::vector<std::string>& teams = read.teams;
    league::DrafteePool& pool = read.pool;
    // Found whatever the case of its name, as the league's own files are.
    const std::string draftFile = draft::DraftFileIn(folder, leagueName_);

    // Previous selections: the log takes the draft file's picks of this
    // draft only when the file can be kept whole; the file is not written.
    emit loadProgress(LoadStep::Previous);
    DraftLog::LoadResult previous = log_.Load(draftFile, DraftLeagueOf(teams, pool));
    if (previous.status == DraftLog::LoadStatus::Unreadable) {
      emit loadProgress(LoadStep::Idle);
      reporter_.Report(context::kLeagueFileChosen, kErrPathFileAccess,
                       "Path/File access error: cannot read " + ShownPath(draftFile));
      r.status = LoadResult::Status::Failed;
      return r;
    }
    if (previous.status == DraftLog::LoadStatus::TooMany) {
      r.status = LoadResult::Status::DraftFileRefused;
      r.draftFile = draftFile;
      r.records = previous.records;
      return r;
    }
    work.setAside = std::move(previous.setAside);

    // Everything is read: the tables become the server's.
    sessions_.SetTeams(teams);
    run_.Reset();
    LoadOrder(folder);
    pool_ = std::move(pool);
    // The players a team may select: ids 1..kMaxPid of a drafted position,
    // each named as the draftee list shows him (and so as the owners and the
    // Commish see him).
    players_.clear();
    for (int i = 1; i <= pool_.Count(); ++i) {
      const league::Player& p = pool_.draftees[Index(i)].player;
      const std::string position = league::PositionCaption(p.position);
      if (p.pid < 1 || p.pid > protocol::from_client::kMaxPid || position.empty()) continue;
      players_.emplace(p.pid, PoolPlayer{draft::ShownName(draft::FromFbpro(p)), position});
    }
    sessions_.OpenLogins(leagueName_, pool_.Count());
    r.status = LoadResult::Status::Loaded;
  } catch (const league::LeagueError& e) {
    emit loadProgress(LoadStep::Idle);
    reporter_.Report(e.context.empty() ? context::kLeagueFileChosen : e.context, e.number, e.Description());
    r.status = LoadResult::Status::Failed;
  }
  return r;
}

bool DraftServer::TakeLock(const std::string& folder, LoadResult& r) {
  const LeagueLock::Result taken = lock_.Take(folder, leagueName_);
  if (taken == LeagueLock::Result::Taken) return true;
  if (taken == LeagueLock::Result::HeldElsewhere) {
    const std::string holder = lock_.Holder();
    r.status = LoadResult::Status::InUse;
    r.message = "The " + Latin1ToUtf8(leagueName_) + " league in " + ShownFolder(folder) +
                " is in use by another PKServer" + (holder.empty() ? "" : " (" + holder + ")") +
                ": only one server at a time may run a league's draft. Stop that server, or choose another league.";
  } else {
    r.status = LoadResult::Status::FolderNotWritable;
    r.message = "PKServer cannot write in " + ShownFolder(folder) + ": the lock file " + ShownPath(lock_.File()) +
                " cannot be made there, nor could the draft file be written. Choose a folder PKServer may write in.";
  }
  return false;
}

std::string DraftServer::ResumeQuestion() const {
  if (!waitingLoad_) return {};
  const std::string& draftFile = log_.File();
  const std::vector<draft::SetAsideRecord>& setAside = waitingLoad_->setAside;
  const std::string league = Latin1ToUtf8(leagueName_);
  std::string q = "There appears to be a draft in progress for the " + league + ".\r\n\r\n" + "There have been " +
                  Num(log_.Count()) + " players drafted so far.\r\n\r\n" +
                  "You can examine this draft list by opening " + "file " + ShownPath(draftFile) +
                  " with your favorite text editor. \r\n\r\n";
  if (!setAside.empty()) {
    const std::string sideFile = draft::SetAsideFileIn(TextOfPath(PathOfText(draftFile).parent_path()), leagueName_);
    q += LinesText(setAside.size()) + " of this file cannot be picks of this draft (line " + Num(setAside[0].line) +
         ": " + Latin1ToUtf8(setAside[0].reason) + "). If you continue this draft, " +
         (setAside.size() == 1 ? "it is" : "they are") + " moved to the file " + ShownPath(sideFile) +
         " with the reasons.\r\n\r\n";
  }
  q += "Do you want to clear this file and start a new draft for the " + league + "?";
  return q;
}

LoadResult DraftServer::OpenDraft(const DraftFileWork& work) {
  LoadResult r;
  emit loadProgress(LoadStep::Connections);
  if (!Listen()) {
    lock_.Release();
    emit loadProgress(LoadStep::Idle);
    r.status = LoadResult::Status::ListenFailed;
    return r;
  }
  // Only now, with the lock held and the port open, is the draft file changed.
  const std::string folder = TextOfPath(PathOfText(log_.File()).parent_path());
  const std::string err = SettleDraftFile(work, folder);
  if (!err.empty()) {
    sessions_.CloseAll();
    lock_.Release();
    emit loadProgress(LoadStep::Idle);
    reporter_.Report(context::kLeagueFileChosen, kErrPathFileAccess, "Path/File access error: " + err);
    r.status = LoadResult::Status::Failed;
    return r;
  }
  const Pick* last = log_.Slot(log_.Count());
  next_ = last && last->label.Valid() ? last->label.Next(TeamCount()) : PickLabel{1, 1};
  leagueLoaded_ = true;
  loadedAt_ = wallClock();
  resumedDraft_ = log_.Count() > 0;
  pausedByCommish_ = inQuietHours_ = false;
  // The clock of a slow draft outlives the server: a draft that goes on
  // gives the team that was on the clock the time it had left; a cleared one
  // starts clean.
  clockFile_ = draft::ClockFileIn(folder, leagueName_);
  savedClock_ = work.clear ? std::nullopt : draft::ReadClockFile(clockFile_);
  if (work.clear) draft::RemoveClockFile(clockFile_);
  wishLists_.Reset(TeamCount());
  ShowServerUp();
  emit nextPickChanged();
  emit picksChanged();
  UpdateMerge();
  emit loadProgress(LoadStep::Idle);
  if (!work.clear && !work.setAside.empty())
    emit notice({"Draft File", SetAsideReport(work.setAside, log_.File(), draft::SetAsideFileIn(folder, leagueName_)),
                 PromptIcon::Warning, TextCoding::Utf8});
  r.status = LoadResult::Status::Loaded;
  return r;
}

std::string DraftServer::SettleDraftFile(const DraftFileWork& work, const std::string& folder) {
  const std::tm now = LocalTime(std::time(nullptr));
  if (work.clear) {
    // The draft cleared is kept beside the league under a name of its own.
    const std::string err = log_.KeepCopy(draft::KeptDraftFileName(folder, leagueName_, now));
    return err.empty() ? log_.Clear() : err;
  }
  if (work.setAside.empty()) return {};
  return log_.MoveSetAside(work.setAside, draft::SetAsideFileIn(folder, leagueName_), now);
}

bool DraftServer::StartListening() {
  if (sessions_.Listening()) return true;
  if (!lock_.Held() || !Listen()) return false;
  ShowServerUp();
  return true;
}

bool DraftServer::Listen() {
  QString reason;
  if (sessions_.Listen(port_, &reason)) return true;
  emit notice({"Server Down", reason.toLatin1().toStdString(), PromptIcon::Critical});
  return false;
}

void DraftServer::ShowServerUp() {
  // The caption keeps its first two parts, names the league and ends in the
  // new state.
  QStringList parts = QString::fromLatin1(kCaptionDown).split(u'-');
  caption_ =
      parts.value(0).trimmed() + u" - "_s + parts.value(1).trimmed() + u" - "_s + L1(leagueName_) + u" - Server Up."_s;
  emit captionChanged(caption_);
}

void DraftServer::UpdateMerge() {
  // Merge only while nobody is connected (signed on or not) and picks exist.
  bool enabled = leagueLoaded_ && sessions_.OpenConnections() == 0 && log_.Count() > 0;
  if (enabled != mergeEnabled_) {
    mergeEnabled_ = enabled;
    emit mergeEnabledChanged(enabled);
  }
}

// --------------------------------------------------------------- sign-on

// A team signed on: it catches up on the picks, is told who is on the clock
// with the seconds left (its own clock, when it is its turn), and when it is
// on the clock waiting for the Commish because it was away, its own clock
// starts now: its owner is there to pick.
void DraftServer::OnLoggedIn(int element, int team, protocol::Features features) {
  if (run_.On()) run_.OwnerBack(team);
  // Who is on the clock with the seconds left; a paused clock only to a
  // client that hears the pause (another would count it down).
  const auto sendClock = [this, element, features] {
    if (!clock_.Running() && !(clock_.Paused() && features.Has(protocol::Feature::Pause))) return;
    const int seconds = protocol::ClockSecondsFor(clock_.SecondsLeft(), features);
    sessions_.SendTo(element, clock_.Paused() ? protocol::Paused(clock_.Team(), seconds, clock_.Label())
                                              : protocol::OnClock(clock_.Team(), seconds, clock_.Label()));
  };
  if (features.Has(protocol::Feature::WholeCatchUp)) {
    // The picks first: an owner on the clock chooses knowing who is taken.
    SendWholeCatchUp(element, team);
    if (features.Has(protocol::Feature::Order) && run_.On())
      for (const std::string& part : OrderMessages()) sessions_.SendTo(element, part);
    sendClock();
  } else if (log_.Count() > 0 && clock_.Running()) {
    // Who is on the clock, then the first pick apart from it: a client that
    // reads one message at a time gets both, and its catch-up follows.
    sendClock();
    sessions_.AfterSpacing(element, team, [this, element, team] { SendPicks(element, team, 1); });
  } else {
    sendClock();
    if (log_.Count() > 0) SendPicks(element, team, 1);
  }
  if (clock_.CurrentState() == DraftClock::State::WaitingForCommish && clock_.Team() == team) {
    const PickLabel label = clock_.Label();
    Announce(Team(team).name + " has signed on and is on the clock with pick " + label.Text() + ".");
    StartClock(team, label, run_.On() ? run_.SecondsFor(label.round, true) : clock_.SecondsGiven());
  }
}

void DraftServer::SendPicks(int element, int team, int n) {
  // "V n" is answered with slot n of the pick list, or, when slot n is blank
  // (a deleted pick), with the next recorded pick after it. Slots never move,
  // so a client that asks for slot n + 1 after the answer to n never misses a
  // pick whatever is deleted meanwhile; after blank slots it is sent the same
  // pick again, which it already holds and skips.
  if (n < 1) return;
  if (const Pick* p = log_.SlotFrom(n)) sessions_.SendTo(element, protocol::PickRecordMessage(team, *p));
}

// Every recorded pick at once, in slot order, then the empty V that says
// there are no more: one round trip however long the draft.
void DraftServer::SendWholeCatchUp(int element, int team) {
  for (const std::optional<Pick>& slot : log_.Slots())
    if (slot) sessions_.SendTo(element, protocol::PickRecordMessage(team, *slot));
  sessions_.SendTo(element, protocol::CatchUpEnd(team));
}

void DraftServer::HandleWishList(int element, int team, int first, const std::vector<int>& pids) {
  const std::string why = wishLists_.Receive(team, first, pids);
  if (!why.empty()) sessions_.SendTo(element, protocol::PrivateOut(0, team, "Your wish list was not stored: " + why));
}

// ------------------------------------------------------------------- picks

const DraftServer::PoolPlayer* DraftServer::FindPlayer(int pid) const {
  auto it = players_.find(pid);
  return it == players_.end() ? nullptr : &it->second;
}

void DraftServer::RefusePick(int element, int team, const std::string& why) {
  sessions_.SendTo(element, protocol::PrivateOut(0, team, why));
}

std::string DraftServer::OutOfTurn(int team) const {
  if (!clock_.OnClock()) return "It is not your turn: no team is on the clock.";
  const std::string& onClock = Team(clock_.Team()).name;
  if (clock_.Team() != team) return "It is not your turn: " + onClock + " is on the clock.";
  if (clock_.Paused())
    return "The draft is paused: your clock stopped with " + Num(clock_.SecondsLeft()) +
           " seconds left. Pick when the draft goes on.";
  if (!clock_.OwnerMayPick(team)) return "It is not your turn: the Commish is to select for " + onClock + ".";
  return {};
}

void DraftServer::HandleDraft(int element, int team, const protocol::Message& m) {
  // What the client wrote beyond the PID is never used: the record and the
  // announcements carry the pool's name and position.
  if (m.hadControls) {
    RefusePick(element, team, "Your selection was not recorded: it held control characters.");
    return;
  }
  const std::string turn = OutOfTurn(team);
  if (!turn.empty()) {
    RefusePick(element, team, turn);
    return;
  }
  const protocol::from_client::Selection selection = protocol::from_client::DecodeSelection(m);
  const int pid = selection.pid;
  const PoolPlayer* player = pid == 0 ? nullptr : FindPlayer(pid);
  if (!player) {
    RefusePick(element, team, "Player " + selection.shown + " is not in this draft.");
    return;
  }
  if (log_.IsTaken(pid)) {
    sessions_.SendSignedOn(protocol::Taken(team, pid, player->name, player->position));
    AddPubChat(player->position + " " + player->name + " already selected.");
    return;
  }
  const std::string& teamName = Team(team).name;
  if (log_.Full()) {
    // The draft is full: nothing is stored; the sender is told privately and
    // the Commish sees it in the chat. The clock goes on as it was.
    RefusePick(element, team,
               "The draft already holds " + Num(draft::kMaxPicks) +
                   " picks, the most the server can record. Your selection of " + player->name + " was not recorded.");
    AddPubChat(teamName + " tried to select " + player->position + " " + player->name + ", but the draft is full (" +
               Num(draft::kMaxPicks) + " picks); the pick was not recorded.");
    return;
  }
  if (!RecordPick(Pick{pid, teamName, player->name, player->position, clock_.Label()}, team, false,
                  context::kServerSocketRead))
    RefusePick(element, team, "The server could not write your selection to the draft file; it was not recorded.");
}

bool DraftServer::RecordPick(const Pick& pick, int team, bool byCommish, const char* context, const std::string& how) {
  if (log_.Full()) return false;
  // On disk first: no client hears of a pick the file does not hold.
  const std::string err = log_.Append(pick);
  if (!err.empty()) {
    reporter_.Report(context, kErrDeviceIO, ErrorDescription(kErrDeviceIO) + ": " + err);
    return false;
  }
  if (pickFiled) pickFiled(*log_.Slot(log_.Count()));
  AnnouncePick(*log_.Slot(log_.Count()), team, byCommish, how);
  return true;
}

void DraftServer::AnnouncePick(const Pick& pick, int team, bool byCommish, const std::string& how) {
  sessions_.SendSignedOn(protocol::Picked(team, pick));
  emit pickRecorded(pick, byCommish);
  Notify("pick",
         {{u"team"_s, L1(pick.team)},
          {u"label"_s, L1(pick.label.Text())},
          {u"player"_s, L1(pick.player)},
          {u"position"_s, L1(pick.position)}},
         pick.team + " has selected " + pick.position + " " + pick.player + " with pick " + pick.label.Text() + ".");
  if (run_.On()) run_.Reached(pick.label);
  StopClock();
  // The next pick: the label after this one, or the order's next while the
  // clock runs itself.
  SetNext(pick.label.Next(TeamCount()));
  if (run_.On())
    if (const std::optional<PickLabel> next = run_.NextLabel(log_.List())) SetNext(*next);
  const std::string line = pick.team + " has selected " + pick.position + " " + pick.player;
  // A pick the server made is told to the owners too: it was not their own.
  if (how.empty())
    AddPubChat(line + ".");
  else
    Announce(line + " automatically (" + how + ").");
  UpdateMerge();
  if (run_.On()) ContinueRun(false);
}

void DraftServer::SetNext(PickLabel label) {
  if (label == next_) return;
  next_ = label;
  emit nextPickChanged();
}

// ------------------------------------------------------------------- clock

void DraftServer::Tick() {
  // The second that ended quiet hours was quiet: the clock runs from now.
  if (UpdateQuietHours()) return;
  const DraftClock::TickResult tick = clock_.Tick();
  switch (tick.kind) {
    case DraftClock::TickResult::Kind::Idle: return;
    case DraftClock::TickResult::Kind::Warning:
      sessions_.SendOut(protocol::ChatRelay(0, "Time remaining for " + Team(tick.team).name +
                                                   " to make a selection: " + Num(tick.seconds) + " seconds."));
      break;
    case DraftClock::TickResult::Kind::Counted: break;
    case DraftClock::TickResult::Kind::TimedOut: {
      if (ticker_) ticker_->Stop();
      SaveClock();
      emit clockChanged();
      const std::string& name = Team(tick.team).name;
      AddPubChat(name + std::string(protocol::kTimedOutSuffix));
      sessions_.SendOut(protocol::TimedOut(tick.team, name));
      if (run_.On()) {
        // An owner who was away for his whole turn is picked for at once
        // from now on, until he signs on.
        if (!Team(tick.team).signedOn) run_.OwnerAway(tick.team);
        PickForAbsent(tick.team, tick.label);
      }
      return;
    }
  }
  emit clockChanged();
}

// --------------------------------------------------------- Draft Control

bool DraftServer::SetNextLabel(PickLabel label) {
  if (!label.Fits(TeamCount())) return false;
  SetNext(label);
  return true;
}

DraftServer::ClockResult DraftServer::PutOnClock(int team, int seconds, PickLabel label) {
  if (!leagueLoaded_ || clock_.OnClock()) return ClockResult::NotAllowed;
  if (seconds < 1 || seconds > kMaxClockSeconds) return ClockResult::BadTime;
  if (team < 1 || team > TeamCount()) return ClockResult::UnknownTeam;
  if (!label.Fits(TeamCount())) return ClockResult::BadLabel;
  // The Commish's hand ends the automatic run.
  SetRunAutomatically(false);
  // The pick announced is the pick recorded, whoever makes it.
  SetNext(label);
  if (!Team(team).signedOn) {
    sessions_.ForEachSignedOn([&](int element, protocol::Features f) {
      sessions_.SendTo(element, protocol::OnClock(team, protocol::ClockSecondsFor(seconds, f), label));
    });
    clock_.WaitForCommish(team, label, seconds);
    emit clockChanged();
    return ClockResult::MustSelect;
  }
  StartClock(team, label, seconds);
  return ClockResult::Started;
}

bool DraftServer::CommishMayPick() const {
  return clock_.OnClock() && clock_.CommishMayPick(Team(clock_.Team()).signedOn);
}

DraftServer::PickResult DraftServer::CommishPick(int pid, int team, PickLabel label) {
  if (!leagueLoaded_ || !FindPlayer(pid)) return PickResult::NotAllowed;
  // The Commish chose while the draft went on: what he saw must still hold.
  if (clock_.Team() != team || clock_.Label() != label || !CommishMayPick()) return PickResult::Changed;
  if (log_.IsTaken(pid)) return PickResult::Taken;
  if (log_.Full()) return PickResult::Full;
  const PoolPlayer& player = *FindPlayer(pid);
  if (!RecordPick(Pick{pid, Team(team).name, player.name, player.position, label}, team, true,
                  context::kRookieListActivated))
    return PickResult::WriteFailed;
  return PickResult::Picked;
}

bool DraftServer::Halt() {
  SetRunAutomatically(false);
  if (!clock_.OnClock()) return false;
  sessions_.SendSignedOn(protocol::Halted(clock_.Team()));
  StopClock();
  return true;
}

DraftServer::DeleteResult DraftServer::DeletePick(PickLabel label) {
  if (clock_.OnClock() || !leagueLoaded_) return DeleteResult::NotAllowed;
  const auto picks = log_.Picks();
  const auto doomed = std::find_if(picks.begin(), picks.end(), [&](const Pick& p) { return p.label == label; });
  if (doomed == picks.end()) return DeleteResult::NotFound;
  const Pick& pick = *doomed;  // `picks` is a copy: it outlives the delete
  // The file is rewritten first; the pick is blanked and announced only when
  // the file no longer holds it.
  std::string err;
  switch (log_.Delete(label, &err)) {
    case DraftLog::DeleteStatus::NotFound: return DeleteResult::NotFound;
    case DraftLog::DeleteStatus::WriteFailed:
      reporter_.Report(context::kDeletePickClicked, kErrDeviceIO, ErrorDescription(kErrDeviceIO) + ": " + err);
      return DeleteResult::WriteFailed;
    case DraftLog::DeleteStatus::Deleted: break;
  }
  sessions_.SendSignedOn(protocol::Deleted(label));
  Announce("The Commish deleted pick " + label.Text() + ": " + pick.position + " " + pick.player + " (" + pick.team +
           ") is available again.");
  emit picksChanged();
  UpdateMerge();
  return DeleteResult::Deleted;
}

void DraftServer::ReplacePicks(std::vector<Pick> kept) {
  log_.Replace(std::move(kept));
  emit picksChanged();
  UpdateMerge();
}

}  // namespace pm::server

// ------------------------------------------- the order and the automatic run

namespace pm::server {

void DraftServer::LoadOrder(const std::string& folder) {
  orderFile_ = draft::OrderFileIn(folder, leagueName_);
  draft::OrderFileStatus status = draft::OrderFileStatus::Missing;
  std::optional<draft::OrderRead> read = draft::ReadOrderFile(orderFile_, TeamNames(), &status);
  orderRead_ = read.value_or(draft::OrderRead{});
  draft::DraftOrder order = draft::DraftOrder::Default(TeamCount());
  if (read) {
    // The file's settings count even when it names no team.
    order.settings = read->order.settings;
    if (!read->order.teams.empty()) order = read->order;
  }
  std::string text;
  if (!read && status != draft::OrderFileStatus::Missing)
    text = "The draft order " + ShownPath(orderFile_) + " " + draft::OrderFileProblem(status) + ".";
  else if (read && read->Flawed())
    text = "The draft order in " + ShownPath(orderFile_) + " does not match the league's teams." +
           Latin1ToUtf8(draft::OrderProblems(*read));
  if (!text.empty()) {
    if (!read || read->order.teams.empty()) text += "\r\n\r\nThe teams in team order are used instead.";
    emit notice({"Draft Order", text, PromptIcon::Warning, TextCoding::Utf8});
  }
  SetOrder(order);
}

std::vector<std::string> DraftServer::OrderMessages() const {
  if (!run_.On()) return protocol::Order(0, {});
  const draft::DraftOrder& order = Order();
  std::vector<int> owners;
  owners.reserve(static_cast<std::size_t>(order.Labels()));
  for (int k = 0; k < order.Labels(); ++k) owners.push_back(order.OwnerOf(order.LabelAt(k)));
  return protocol::Order(static_cast<int>(order.teams.size()), owners);
}

void DraftServer::BroadcastOrder() {
  for (const std::string& part : OrderMessages()) sessions_.SendSignedOnWith(protocol::Feature::Order, part);
}

void DraftServer::SetOrder(const draft::DraftOrder& order) {
  draft::DraftOrder o = order;
  std::erase_if(o.teams, [this](int t) { return t < 1 || t > TeamCount(); });
  o.rounds = std::clamp(o.rounds, 1, draft::kMaxRounds);
  // A draft records at most kMaxPicks picks: an order with more labels would
  // stall at the last one, so it is cut to the whole rounds that fit.
  const auto teams = static_cast<int>(o.teams.size());
  if (teams > 0 && o.Labels() > draft::kMaxPicks) {
    const int fit = std::max(1, draft::kMaxPicks / teams);
    emit notice({"Draft Order",
                 "A draft records at most " + Num(draft::kMaxPicks) + " picks: the order runs " + Num(fit) +
                     " rounds, not " + Num(o.rounds) + ".",
                 PromptIcon::Warning});
    o.rounds = fit;
  }
  draft::AutoDraftSettings& s = o.settings;
  s.timeAllowed = std::clamp(s.timeAllowed, 1, kMaxClockSeconds);
  s.pauseSeconds = std::clamp(s.pauseSeconds, 0, draft::kMaxPauseSeconds);
  if (s.absentSeconds) s.absentSeconds = std::clamp(*s.absentSeconds, 1, kMaxClockSeconds);
  std::erase_if(o.traded, [&](const auto& trade) {
    return !o.Has(trade.first) || trade.second < 1 || trade.second > TeamCount();
  });
  const draft::DraftOrder before = run_.Order();
  run_.SetOrder(o);
  if (run_.On()) BroadcastOrder();
  if (leagueLoaded_) AnnounceTrades(before);
  emit orderChanged();
}

bool DraftServer::SaveOrder() {
  if (!leagueLoaded_ || orderFile_.empty()) return false;
  const std::string err = draft::WriteOrderFile(orderFile_, Order(), TeamNames());
  if (err.empty()) return true;
  emit notice({"Draft Order", "The draft order could not be saved in " + ShownPath(orderFile_) + ": " + err,
               PromptIcon::Critical, TextCoding::Utf8});
  return false;
}

void DraftServer::SetTimeAllowed(int seconds) {
  run_.Settings().timeAllowed = std::clamp(seconds, 1, kMaxClockSeconds);
}

void DraftServer::SetAbsentTime(std::optional<int> seconds) {
  if (seconds) seconds = std::clamp(*seconds, 1, kMaxClockSeconds);
  run_.Settings().absentSeconds = seconds;
}

void DraftServer::SetPauseSeconds(int seconds) {
  run_.Settings().pauseSeconds = std::clamp(seconds, 0, draft::kMaxPauseSeconds);
}

void DraftServer::SetAutoDraftRule(AutoDraftRule rule, draft::Ratings ratings) {
  run_.Settings().rule = rule;
  run_.Settings().ratings = ratings;
}

void DraftServer::SetRunAutomatically(bool on) {
  if (on == run_.On() || (on && !leagueLoaded_)) return;
  run_.SetOn(on);
  run_.Settings().automatic = on;
  if (!on) {
    runWaiting_ = false;
    pauseTicker_->Stop();
    SetRunStatus("");
  }
  emit autoRunChanged(on);
  // The owners see the order the run follows, or none without a run.
  BroadcastOrder();
  // With nobody on the clock the run starts at once; else after that pick.
  if (on && !clock_.OnClock()) ContinueRun(true);
}

void DraftServer::SetStartTime(std::optional<int64_t> atMs) {
  run_.SetStart(atMs);
  if (run_.On() && !clock_.OnClock()) ContinueRun(true);
}

std::string DraftServer::RunStatus() const { return runStatus_; }

void DraftServer::SetRunStatus(const std::string& status) {
  if (status == runStatus_) return;
  runStatus_ = status;
  emit runStatusChanged();
}

void DraftServer::ContinueRun(bool now) {
  if (!run_.NextLabel(log_.List())) {
    EndDraft(run_.PassedCount() == 0 ? "The draft is complete: every pick of the draft order has been made."
                                     : "The draft is over: every pick of the draft order has been made or passed (" +
                                           Num(run_.PassedCount()) + " passed: no player was left).");
    return;
  }
  // A draft resumed at the load waits for its owners to come back.
  std::optional<int64_t> start = run_.Start();
  if (resumedDraft_ && log_.Count() > 0) {
    const int64_t grace = loadedAt_ + resumeWaitMs_;
    if (!start || *start < grace) start = grace;
  }
  const int64_t nowMs = wallClock();
  if (start && nowMs < *start) {
    // Said once for each start: the Commish's, or the wait for the owners.
    if (startAnnounced_ != start) {
      run_.SetStart(start);
      startAnnounced_ = start;
      Announce(StartLine(*start, nowMs));
      run_.CountdownToldAt(nowMs);
    }
    SetRunStatus("Waiting for the start at " +
                 QDateTime::fromMSecsSinceEpoch(*start).toString(u"yyyy-MM-dd HH:mm:ss"_s).toStdString() + ".");
    ScheduleRunWait(1);
    return;
  }
  const int pause = run_.Settings().pauseSeconds;
  if (now) {
    NextOnClock();
  } else if (pause == 0) {
    // From the event loop, so that teams picked for at once do not nest.
    runWaiting_ = true;
    QTimer::singleShot(0, this, [this, generation = ++runWaitGeneration_] {
      if (runWaiting_ && generation == runWaitGeneration_) NextOnClock();
    });
  } else {
    SetRunStatus("Pause before the next pick.");
    ScheduleRunWait(pause);
  }
}

std::string DraftServer::StartLine(int64_t startMs, int64_t nowMs) const {
  const int64_t seconds = (startMs - nowMs + 999) / 1000;
  if (resumedDraft_ && startMs == loadedAt_ + resumeWaitMs_)
    return "The draft goes on in " + Num(seconds) + " seconds, once the owners are back.";
  const std::string at = QDateTime::fromMSecsSinceEpoch(startMs).toString(u"yyyy-MM-dd HH:mm"_s).toStdString();
  const int64_t minutes = (seconds + 59) / 60;
  return "The draft starts at " + at + ", in " + Num(minutes) + (minutes == 1 ? " minute." : " minutes.");
}

void DraftServer::ScheduleRunWait(int ticks) {
  runWaiting_ = true;
  pauseLeft_ = ticks;
  ++runWaitGeneration_;
  pauseTicker_->Start([this] { RunTick(); });
}

void DraftServer::RunTick() {
  if (!runWaiting_) return;
  UpdateQuietHours();
  if (Paused()) return;  // the run holds until the draft goes on
  const int64_t nowMs = wallClock();
  if (run_.Waiting(nowMs)) {
    const std::string line = run_.CountdownLine(nowMs);
    if (!line.empty()) Announce(line);
    return;  // every tick looks at the clock until the start
  }
  if (--pauseLeft_ > 0) return;
  runWaiting_ = false;
  pauseTicker_->Stop();
  NextOnClock();
}

void DraftServer::NextOnClock() {
  runWaiting_ = false;
  if (!run_.On() || clock_.OnClock()) return;
  UpdateQuietHours();
  if (Paused()) {
    SetRunStatus(PauseLine());
    ScheduleRunWait(1);
    return;
  }
  const std::optional<PickLabel> label = run_.NextLabel(log_.List());
  if (!label) return ContinueRun(true);
  SetNext(*label);
  const int t = Order().OwnerOf(*label);
  if (!Team(t).signedOn && run_.PicksAtOnce(t)) {
    Announce(Team(t).name + " is on the clock with pick " + label->Text() +
             "; its owner is away, so the pick is made for it at once.");
    PickForAbsent(t, *label);
    return;
  }
  const std::optional<int> restored = RestoredSeconds(t, *label);
  Announce(Team(t).name + " is on the clock with pick " + label->Text() +
           (restored ? ", with the " + Num(*restored) + " seconds it had left before the server restarted." : "."));
  const bool pauseAgain = savedClock_ && savedClock_->paused && restored;
  savedClock_.reset();
  StartClock(t, *label, restored.value_or(run_.SecondsFor(label->round, Team(t).signedOn)));
  if (pauseAgain) PauseDraft();
}

void DraftServer::StartClock(int t, PickLabel label, int seconds) {
  SetRunStatus("");
  clock_.Start(t, label, seconds);
  if (Paused()) clock_.Pause();
  SendClock();
  StartTicking();
  SaveClock();
  Notify("on_the_clock", ClockEventFields(), OnClockLine());
  emit clockChanged();
}

void DraftServer::SendClock() {
  if (!clock_.Running() && !clock_.Paused()) return;
  const int team = clock_.Team();
  const PickLabel label = clock_.Label();
  const int seconds = clock_.SecondsLeft();
  const bool paused = clock_.Paused();
  sessions_.ForEachSignedOn([&](int element, protocol::Features f) {
    // A client that cannot hear the pause gets the clock at the resume.
    if (paused && !f.Has(protocol::Feature::Pause)) return;
    // Q alone: the paused clock is shown without the ring of a new turn.
    const int shown = protocol::ClockSecondsFor(seconds, f);
    sessions_.SendTo(element, paused ? protocol::Paused(team, shown, label) : protocol::OnClock(team, shown, label));
  });
}

void DraftServer::PickForAbsent(int t, PickLabel label) {
  std::string how;
  const int pid = AutoChoice(t, &how);
  if (pid != 0 && !log_.Full()) {
    const PoolPlayer& player = *FindPlayer(pid);
    RecordPick(Pick{pid, Team(t).name, player.name, player.position, label}, t, false, "AutoDraft", how);
    return;
  }
  if (nobodyToPick_ == NobodyToPick::Pass) {
    if (!AnyoneLeft()) {
      StopClock();
      EndDraft("No player is left to draft: the draft is over after " +
               Num(static_cast<long long>(log_.Picks().size())) + " picks.");
      return;
    }
    StopClock();
    run_.Pass(label);
    Announce("No player is left for " + Team(t).name + " at pick " + label.Text() + ": the pick is passed.");
    ContinueRun(false);
    return;
  }
  // Nothing to pick by: the team stays on the clock for the Commish.
  clock_.WaitForCommish(t, label, run_.SecondsFor(label.round, true));
  if (ticker_) ticker_->Stop();
  SaveClock();
  emit clockChanged();
  SetRunStatus("Waiting for the Commish to select for " + Team(t).name + " at pick " + label.Text() + ".");
  Announce("The Commish must select for " + Team(t).name + ".");
}

int DraftServer::AutoChoice(int t, std::string* how) const {
  for (int wish : wishLists_.Of(t)) {
    if (FindPlayer(wish) && !log_.IsTaken(wish)) {
      *how = "from its wish list";
      return wish;
    }
  }
  if (Rule() != AutoDraftRule::BestAvailable) return 0;
  *how = "best available";
  return BestAvailable();
}

int DraftServer::BestAvailable() const {
  const draft::Ratings& ratings = Order().settings.ratings;
  int best = 0;
  long long bestSum = -1;
  // The pool's order breaks ties, as the draftee list shows them.
  for (int i = 1; i <= pool_.Count(); ++i) {
    const league::Player& p = pool_.draftees[Index(i)].player;
    if (!FindPlayer(p.pid) || log_.IsTaken(p.pid)) continue;
    const draft::Player shown = draft::FromFbpro(p);
    long long sum = 0;
    for (int box = 0; box < draft::kRatingBoxes; ++box)
      if (ratings[Index(box)]) sum += shown.Rating(box);
    if (sum > bestSum) {
      bestSum = sum;
      best = p.pid;
    }
  }
  return best;
}

bool DraftServer::AnyoneLeft() const {
  return std::any_of(players_.begin(), players_.end(), [this](const auto& p) { return !log_.IsTaken(p.first); });
}

void DraftServer::EndDraft(const std::string& line) {
  StopClock();
  SetRunAutomatically(false);
  Announce(line);
  Notify("complete", {}, line);
  // Owners whose client understands it hear that the draft is over, so they
  // do not wait for the server to come back when it closes.
  sessions_.SendSignedOnWith(protocol::Feature::DraftOver, protocol::DraftOver());
  emit draftOver(L1(line));
}

}  // namespace pm::server
