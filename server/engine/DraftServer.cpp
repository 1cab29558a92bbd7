#include "server/engine/DraftServer.h"

#include <QStringList>

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <set>

#include "common/Common.h"
#include "common/Files.h"
#include "draft/Draftees.h"
#include "draft/PoolTable.h"
#include "merge/Merge.h"

namespace fs = std::filesystem;
using namespace Qt::StringLiterals;

namespace pm::server {

using draft::DraftLog;
using draft::Pick;

namespace {

QString L1(std::string_view s) { return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size())); }

// A player id of a D or of the Commish's pick: 1..32767, 0 when out of range.
int PlayerId(const std::string& pidText) {
  long long pid = LeadingNumber(pidText);
  return pid >= 1 && pid <= 32767 ? static_cast<int>(pid) : 0;
}

// A PID text as a refusal names it: trimmed, and never long.
std::string ShownPid(const std::string& pidText) {
  std::string t = Trim(pidText);
  return t.size() > 12 ? t.substr(0, 12) + "..." : t;
}

}  // namespace

TimerTicker::TimerTicker() {
  timer_.setInterval(1000);
  QObject::connect(&timer_, &QTimer::timeout, [this] {
    if (tick_) tick_();
  });
}

void TimerTicker::Start(std::function<void()> tick) {
  tick_ = std::move(tick);
  timer_.start();  // restarts: the first tick is a full second away
}

void TimerTicker::Stop() { timer_.stop(); }

DraftServer::DraftServer(QObject* parent) : QObject(parent), fallbackPrompter_(std::make_unique<ScriptedPrompter>()) {
  prompter_ = fallbackPrompter_.get();
  reporter_.programLabel = kServerLabel;
  caption_ = QString::fromLatin1(kCaptionDown);
  connect(&sessions_, &Sessions::chatLine, this, &DraftServer::AddPubChat);
  connect(&sessions_, &Sessions::showChatWindow, this, &DraftServer::showChatWindow);
  connect(&sessions_, &Sessions::teamSignedOn, this, &DraftServer::teamSignedOn);
  connect(&sessions_, &Sessions::teamSignedOff, this, &DraftServer::teamSignedOff);
  connect(&sessions_, &Sessions::connectionsChanged, this, &DraftServer::UpdateMerge);
  // After an accepted login the team gets the first pick; it asks for the rest.
  connect(&sessions_, &Sessions::loggedIn, this, [this](int element, int team) {
    if (log_.Count() > 0) SendPick(element, team, 1);
    ClockForLateArrival(team);
  });
  connect(&sessions_, &Sessions::pickRequested, this, &DraftServer::SendPick);
  connect(&sessions_, &Sessions::draftReceived, this, &DraftServer::HandleDraft);
}

DraftServer::~DraftServer() {
  // Closing the connections must not call back into a half-destroyed engine.
  disconnect(&sessions_, nullptr, this, nullptr);
  // Injected tickers may be gone already.
  ticker_ = nullptr;
  pauseTicker_ = &ownPause_;
  Unload();
}

void DraftServer::SetPrompter(Prompter* prompter) { prompter_ = prompter ? prompter : fallbackPrompter_.get(); }

void DraftServer::SetTicker(Ticker* ticker) {
  if (ticker_) ticker_->Stop();
  ticker_ = ticker;
  if (ticker_ && clock_.Running()) ticker_->Start([this] { Tick(); });
}

void DraftServer::SetPauseTicker(Ticker* ticker) {
  pauseTicker_->Stop();
  pauseTicker_ = ticker ? ticker : &ownPause_;
  if (pausing_) SchedulePause();
}

void DraftServer::Unload() {
  SetAutoRun(false);
  sessions_.CloseAll();
  sessions_.ClearWishLists();
  lock_.Release();
}

void DraftServer::StopTicking() {
  if (ticker_) ticker_->Stop();
}

std::vector<std::string> DraftServer::TeamNames() const {
  std::vector<std::string> names;
  for (int t = 1; t <= TeamCount(); ++t) names.push_back(Team(t).name);
  return names;
}

std::vector<std::string> DraftServer::SelectionLines() const {
  std::vector<std::string> out;
  for (const Pick& p : log_.Picks()) out.push_back(draft::DraftListFill(p));
  return out;
}

void DraftServer::AddPubChat(const std::string& line) { emit pubChatAdded(L1(line)); }

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
  const fs::path absolute = fs::absolute(fs::path(folder), ec);
  return ShownPath(ec ? fs::path(folder) : absolute);
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

LoadResult DraftServer::LoadLeague(const std::string& leagueFile, bool includeFreeAgents) {
  LoadResult r;
  if (leagueLoaded_) {
    r.status = LoadResult::Status::AlreadyLoaded;
    return r;
  }
  if (leagueFile.empty()) {
    r.status = LoadResult::Status::Failed;
    return r;
  }
  fs::path file(leagueFile);
  reporter_.errorFilePath = (file.parent_path() / kErrorFileName).string();
  if (clock_.OnClock()) {
    clock_.Stop();
    StopTicking();
    emit clockChanged();
  }
  includeFreeAgents_ = includeFreeAgents;
  leaguePath_ = league::LeaguePathOf(leagueFile);

  DraftFileWork work;
  r = ReadLeague(file.parent_path().string(), work);
  if (r.Ok()) r = OpenDraft(work);
  if (!r.Ok()) lock_.Release();
  emit loadProgress(LoadStep::Idle);
  return r;
}

LoadResult DraftServer::ReadLeague(const std::string& folder, DraftFileWork& work) {
  LoadResult r;
  const char* context = "GetVersion";
  try {
    emit loadProgress(LoadStep::Version);
    league::VersionInfo v = league::GetVersion(leaguePath_);
    if (v.version == 0) {
      r.status = LoadResult::Status::NotRecognised;
      r.leaguePath = leaguePath_;
      return r;
    }
    leagueVersion_ = v.version;
    leagueName_ = v.name;

    // One server at a time runs a league's draft: nothing of the league is
    // written (a merge put back, the draft file) by a server without its lock.
    if (!TakeLock(folder, r)) return r;

    // A merge that was killed part-way left the league half merged: it is put
    // back from its backup, and the Commish told so, before anything else is
    // read from the league.
    const merge::Recovery recovery = merge::RecoverInterruptedMerge(leaguePath_, leagueName_);
    if (recovery.found && !recovery.restored) {
      r.status = LoadResult::Status::MergeNotRestored;
      r.message = recovery.message;
      return r;
    }
    if (recovery.restored) prompter_->Inform("Info", recovery.message, PromptIcon::Information, TextCoding::Utf8);

    // Found whatever the case of its name, as the league's own files are.
    const std::string draftFile = draft::DraftFileIn(folder, leagueName_);

    context = "GetTeams";
    emit loadProgress(LoadStep::Teams);
    league::TeamList tl = league::GetTeams(leaguePath_);
    if (tl.teamCount <= 0) {
      r.status = LoadResult::Status::NoTeams;
      return r;
    }
    const int count = std::min(tl.teamCount, league::kMaxTeamNumber);
    std::vector<std::string> teams;
    for (int i = 1; i <= count; ++i) teams.push_back(tl.names[static_cast<std::size_t>(i)]);

    context = "GetCollege";
    emit loadProgress(LoadStep::College);
    league::DrafteePool pool = league::GetCollege(leaguePath_, leagueVersion_);
    if (includeFreeAgents_) {
      context = "GetFA";
      emit loadProgress(LoadStep::FreeAgents);
      league::DrafteePool fa = league::GetFA(leaguePath_, leagueVersion_);
      if (fa.Count() > 0) league::AppendFreeAgents(pool, fa);
    }
    if (pool.Count() == 0) {
      r.status = LoadResult::Status::NoPlayers;
      return r;
    }

    // Previous selections: the log takes the draft file's picks of this
    // draft only when the file can be kept whole; the file is not written.
    emit loadProgress(LoadStep::Previous);
    DraftLog::LoadResult previous = log_.Load(draftFile, DraftLeagueOf(teams, pool));
    if (previous.status == DraftLog::LoadStatus::Unreadable) {
      emit loadProgress(LoadStep::Idle);
      reporter_.Report("LeagueSelect_File1_DblClick", kErrPathFileAccess,
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
    LoadOrder(folder);
    pool_ = std::move(pool);
    // The players a team may select: ids 1..32767 of a drafted position,
    // each named as the draftee list shows him (and so as the owners and the
    // Commish see him).
    players_.clear();
    for (int i = 1; i <= pool_.Count(); ++i) {
      const league::Player& p = pool_.draftees[Index(i)].player;
      const std::string position = league::PositionCaption(p.position);
      if (p.pid < 1 || p.pid > 32767 || position.empty()) continue;
      players_.emplace(p.pid, PoolPlayer{draft::ReadLine(draft::FormatLine(draft::FromFbpro(p))).name, position});
    }
    sessions_.OpenLogins(leagueName_, pool_.Count());
    work.clear = log_.Count() > 0 && AskToClear(draftFile, work.setAside);
    r.status = LoadResult::Status::Loaded;
  } catch (const league::LeagueError& e) {
    emit loadProgress(LoadStep::Idle);
    reporter_.Report(e.context.empty() ? context : e.context, e.number, e.Description());
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

bool DraftServer::AskToClear(const std::string& draftFile, const std::vector<draft::SetAsideRecord>& setAside) {
  // UTF-8: the question names the draft file's path.
  const std::string league = Latin1ToUtf8(leagueName_);
  std::string q = "There appears to be a draft in progress for the " + league + ".\r\n\r\n" + "There have been " +
                  Num(log_.Count()) + " players drafted so far.\r\n\r\n" +
                  "You can examine this draft list by opening " + "file " + ShownPath(draftFile) +
                  " with your favorite text editor. \r\n\r\n";
  if (!setAside.empty()) {
    const std::string sideFile = draft::SetAsideFileIn(fs::path(draftFile).parent_path().string(), leagueName_);
    q += LinesText(setAside.size()) + " of this file cannot be picks of this draft (line " + Num(setAside[0].line) +
         ": " + Latin1ToUtf8(setAside[0].reason) + "). If you continue this draft, " +
         (setAside.size() == 1 ? "it is" : "they are") + " moved to the file " + ShownPath(sideFile) +
         " with the reasons.\r\n\r\n";
  }
  q += "Do you want to clear this file and start a new draft for the " + league + "?";
  // No is the default: a reflexive Enter must not end the draft in progress.
  return prompter_->Ask({"", q, PromptButtons::YesNo, PromptIcon::Critical, PromptAnswer::No, false,
                         TextCoding::Utf8}) == PromptAnswer::Yes;
}

LoadResult DraftServer::OpenDraft(const DraftFileWork& work) {
  LoadResult r;
  emit loadProgress(LoadStep::Connections);
  if (!Listen()) {
    r.status = LoadResult::Status::ListenFailed;
    return r;
  }
  // Only now, with the lock held and the port open, is the draft file changed.
  const std::string folder = fs::path(log_.File()).parent_path().string();
  const std::string err = SettleDraftFile(work, folder);
  if (!err.empty()) {
    sessions_.CloseAll();
    reporter_.Report("LeagueSelect_File1_DblClick", kErrPathFileAccess, "Path/File access error: " + err);
    r.status = LoadResult::Status::Failed;
    return r;
  }
  const Pick* last = log_.Slot(log_.Count());
  roundSel_ = (last ? last->label : draft::PickLabel{1, 0}).Next(TeamCount()).Text();
  roundText_ = GetField(roundSel_, 1, "-");
  selectionText_ = GetField(roundSel_, 2, "-");
  leagueLoaded_ = true;
  ShowServerUp();
  emit nextPickChanged();
  emit picksChanged();
  UpdateMerge();
  if (!work.clear && !work.setAside.empty())
    prompter_->Inform("Draft File",
                      SetAsideReport(work.setAside, log_.File(), draft::SetAsideFileIn(folder, leagueName_)),
                      PromptIcon::Warning, TextCoding::Utf8);
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
  prompter_->Inform("Server Down", reason.toLatin1().toStdString(), PromptIcon::Critical);
  return false;
}

void DraftServer::ShowServerUp() {
  // The caption keeps its first two parts and ends in the new state.
  QStringList parts = QString::fromLatin1(kCaptionDown).split(u'-');
  caption_ = parts.value(0).trimmed() + u" - "_s + parts.value(1).trimmed() + u" - Server Up."_s;
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

// ------------------------------------------------------------------- picks

void DraftServer::SendPick(int element, int team, int n) {
  // "V n" is answered with slot n of the pick list, or, when slot n is blank
  // (a deleted pick), with the next recorded pick after it. Slots never move,
  // so a client that asks for slot n + 1 after the answer to n never misses a
  // pick whatever is deleted meanwhile; after blank slots it is sent the same
  // pick again, which it already holds and skips.
  if (n < 1) return;
  if (const Pick* p = log_.SlotFrom(n))
    sessions_.SendTo(element, protocol::PickRecordMessage(team, draft::PickRecord(*p)));
}

const DraftServer::PoolPlayer* DraftServer::FindPlayer(int pid) const {
  auto it = players_.find(pid);
  return it == players_.end() ? nullptr : &it->second;
}

bool DraftServer::RecordPick(const Pick& pick, const char* context) {
  if (log_.Full()) return false;
  // On disk first: no client hears of a pick the file does not hold.
  std::string err = log_.Append(pick);
  if (!err.empty()) {
    reporter_.Report(context, kErrDeviceIO, ErrorDescription(kErrDeviceIO) + ": " + err);
    return false;
  }
  if (pickFiled) pickFiled(*log_.Slot(log_.Count()));
  return true;
}

void DraftServer::ResetClock() {
  heldForCommish_ = false;
  heldAbsent_ = false;
  clock_.Stop();
  StopTicking();
  emit clockChanged();
}

void DraftServer::AdvanceFromText() {
  // While the clock runs itself the next label is the order's.
  if (const int k = autoRun_ ? NextOrderIndex() : -1; k >= 0) {
    SetNextLabel(k);
    return;
  }
  roundSel_ =
      draft::PickLabel{static_cast<int>(LeadingNumber(roundText_)), static_cast<int>(LeadingNumber(selectionText_))}
          .Next(TeamCount())
          .Text();
  roundText_ = GetField(roundSel_, 1, "-");
  selectionText_ = GetField(roundSel_, 2, "-");
  emit nextPickChanged();
}

void DraftServer::RefusePick(int element, int team, const std::string& why) {
  sessions_.SendTo(element, protocol::PrivateOut(0, team, why));
}

std::string DraftServer::OutOfTurn(int team) const {
  if (!clock_.OnClock()) return "It is not your turn: no team is on the clock.";
  if (TeamIndexOf(clock_.Team()) != team) return "It is not your turn: " + clock_.Team() + " is on the clock.";
  // On the clock, but put there before it signed on: the Commish selects.
  if (!clock_.Running()) return "It is not your turn: the Commish is to select for " + clock_.Team() + ".";
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
  const std::string pidText = GetField(m.body, 1, ",");
  const int pid = PlayerId(pidText);
  const PoolPlayer* player = pid == 0 ? nullptr : FindPlayer(pid);
  if (!player) {
    RefusePick(element, team, "Player " + ShownPid(pidText) + " is not in this draft.");
    return;
  }
  const std::string body = Num(pid) + "," + player->name + "," + player->position;
  if (log_.IsTaken(pid)) {
    sessions_.SendSignedOn(protocol::Taken(team, body));
    AddPubChat(player->position + " " + player->name + " already selected.");
    return;
  }
  const std::string teamName = Team(team).name;
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
  const std::string label = roundSel_;
  if (!RecordPick(Pick{pid, teamName, player->name, player->position,
                       draft::PickLabel::Parse(label).value_or(draft::PickLabel{})},
                  "Server_Socket1_Read")) {
    RefusePick(element, team, "The server could not write your selection to the draft file; it was not recorded.");
    return;
  }
  AnnouncePick(protocol::Picked(team, body, label), false,
               teamName + " has selected " + player->position + " " + player->name + ".");
}

void DraftServer::AnnouncePick(const std::string& picked, bool byCommish, const std::string& chatLine) {
  sessions_.SendSignedOn(picked);
  emit pickRecorded(*log_.Slot(log_.Count()), byCommish);
  if (autoRun_) PassLabel(log_.Slot(log_.Count())->label.Text());
  ResetClock();
  AdvanceFromText();
  AddPubChat(chatLine);
  UpdateMerge();
  if (autoRun_) ContinueRun(false);
}

// ------------------------------------------------------------------- clock

void DraftServer::Tick() {
  DraftClock::TickResult tick = clock_.Tick();
  switch (tick.kind) {
    case DraftClock::TickResult::Kind::Idle: return;
    case DraftClock::TickResult::Kind::Warning:
      sessions_.SendOut(protocol::ChatRelay(
          0, "Time remaining for " + tick.team + " to make a selection: " + Num(tick.seconds) + " seconds."));
      break;
    case DraftClock::TickResult::Kind::Counted: break;
    case DraftClock::TickResult::Kind::TimedOut: {
      StopTicking();
      const int d = TeamIndexOf(tick.team);
      emit clockChanged();
      AddPubChat(tick.team + std::string(protocol::kTimedOutSuffix));
      sessions_.SendOut(protocol::TimedOut(d, tick.team));
      if (autoRun_ && d > 0) PickForAbsent(d);
      return;
    }
  }
  emit clockChanged();
}

// --------------------------------------------------------- Draft Control

void DraftServer::SetNextPickText(const std::string& text1, const std::string& text2) {
  roundText_ = text1;
  selectionText_ = text2;
  emit nextPickChanged();
}

DraftServer::ClockResult DraftServer::PutOnClock(const std::string& teamLine, const std::string& timeAllowed,
                                                 const std::string& text1, const std::string& text2) {
  if (!leagueLoaded_) return ClockResult::NotAllowed;
  if (clock_.Seconds() >= 1 || clock_.OnClock()) return ClockResult::NotAllowed;
  long long seconds = LeadingNumber(timeAllowed);
  if (seconds == 0) return ClockResult::NotAllowed;
  if (seconds < 1 || seconds > 32767) return ClockResult::BadTime;
  std::string name = ReplaceChar(teamLine, '*', "");
  int t = TeamIndexOf(name);
  if (t == 0) return ClockResult::UnknownTeam;
  // The Commish's hand ends the automatic run.
  SetAutoRun(false);
  roundText_ = text1;
  selectionText_ = text2;
  // The pick announced is the pick recorded, whoever makes it.
  roundSel_ = text1 + "-" + text2;
  emit nextPickChanged();
  clock_.Hold(name);
  sessions_.SendSignedOn(protocol::OnClock(t, timeAllowed, text1 + "-" + text2));
  if (!Team(t).signedOn) {
    emit clockChanged();
    prompter_->Inform("Information.", "You will have to select for " + name + ".");
    return ClockResult::MustSelect;
  }
  clock_.Start(name, static_cast<int16_t>(seconds));
  if (ticker_) ticker_->Start([this] { Tick(); });
  emit clockChanged();
  return ClockResult::Started;
}

DraftServer::PickResult DraftServer::CommishPick(const std::string& pidText, const std::string& name,
                                                 const std::string& position) {
  if (!clock_.OnClock()) return PickResult::NotAllowed;
  const std::string teamName = clock_.Team();
  int t = TeamIndexOf(teamName);
  if (t == 0 || (Team(t).signedOn && !heldForCommish_)) return PickResult::NotAllowed;
  const int pid = PlayerId(pidText);
  if (pid == 0 || !FindPlayer(pid)) return PickResult::NotAllowed;
  // The box runs events: the team and the label are taken before it and
  // must still hold after it.
  const std::string label = roundText_ + "-" + selectionText_;
  if (!prompter_->Confirm("Draft Selection", "Are you sure you want to select " + name + "?", PromptIcon::Question,
                          PromptAnswer::No, true))
    return PickResult::NotConfirmed;
  if (clock_.Team() != teamName || (Team(t).signedOn && !heldForCommish_) ||
      roundText_ + "-" + selectionText_ != label) {
    prompter_->Inform("Draft Selection", "The draft changed while you were deciding: " + teamName +
                                             " is no longer waiting for your selection at " + label + ". " + name +
                                             " was not recorded.");
    return PickResult::Changed;
  }
  if (log_.IsTaken(pid)) return PickResult::Taken;
  if (log_.Full()) return PickResult::Full;
  if (!RecordPick(Pick{pid, teamName, name, position, draft::PickLabel::Parse(label).value_or(draft::PickLabel{})},
                  "DraftControl_RookieList_DblClick"))
    return PickResult::WriteFailed;
  AnnouncePick(protocol::Picked(t, pidText, name, position, label), true,
               Team(t).name + " has selected " + position + " " + name + ".");
  return PickResult::Picked;
}

bool DraftServer::Halt() {
  SetAutoRun(false);
  if (!clock_.OnClock()) return false;
  int t = TeamIndexOf(clock_.Team());
  sessions_.SendSignedOn(protocol::Halted(t));
  ResetClock();
  return true;
}

DraftServer::DeleteResult DraftServer::DeletePickAtLine(const std::string& selectionLine) {
  auto cols = [&](std::size_t from, std::size_t width) {
    return from < selectionLine.size() ? Trim(std::string_view(selectionLine).substr(from, width)) : std::string();
  };
  return DeletePick(cols(0, 3), cols(4, 3));
}

DraftServer::DeleteResult DraftServer::DeletePick(const std::string& round, const std::string& selection) {
  if (clock_.OnClock() || !leagueLoaded_) return DeleteResult::NotAllowed;
  if (!prompter_->Confirm("Draft Selection",
                          "Are you sure you want to delete pick at round " + round + "-" + selection + "?",
                          PromptIcon::Question, PromptAnswer::No, true))
    return DeleteResult::NotConfirmed;
  const std::string label = round + "-" + selection;
  // The file is rewritten first; the pick is blanked and announced only when
  // the file no longer holds it.
  std::string err;
  switch (log_.Delete(draft::PickLabel::Parse(label).value_or(draft::PickLabel{}), &err)) {
    case DraftLog::DeleteStatus::NotFound: return DeleteResult::NotFound;
    case DraftLog::DeleteStatus::WriteFailed:
      reporter_.Report("DraftControl_Command2_Click", kErrDeviceIO, ErrorDescription(kErrDeviceIO) + ": " + err);
      return DeleteResult::WriteFailed;
    case DraftLog::DeleteStatus::Deleted: break;
  }
  sessions_.SendSignedOn(protocol::Deleted(label));
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

namespace {

std::string JoinNames(const std::vector<std::string>& names) {
  std::string out;
  for (const std::string& n : names) out += (out.empty() ? "" : ", ") + n;
  return out;
}

}  // namespace

void DraftServer::LoadOrder(const std::string& folder) {
  orderFile_ = draft::OrderFileIn(folder, leagueName_);
  std::optional<draft::OrderRead> read = draft::ReadOrderFile(orderFile_, TeamNames());
  orderRead_ = read.value_or(draft::OrderRead{});
  order_ = read && !read->order.teams.empty() ? read->order : draft::DraftOrder::Default(TeamCount());
  if (read && (!read->unknown.empty() || !read->missing.empty())) {
    std::string text = "The draft order in " + ShownPath(orderFile_) + " does not match the league's teams.";
    if (!read->unknown.empty()) text += "\r\n\r\nNot teams of this league: " + Latin1ToUtf8(JoinNames(read->unknown));
    if (!read->missing.empty()) text += "\r\n\r\nTeams not in the order: " + Latin1ToUtf8(JoinNames(read->missing));
    if (read->order.teams.empty()) text += "\r\n\r\nThe teams in team order are used instead.";
    prompter_->Inform("Draft Order", text, PromptIcon::Warning, TextCoding::Utf8);
  }
  emit orderChanged();
}

void DraftServer::SetOrder(const draft::DraftOrder& order) {
  order_ = order;
  std::erase_if(order_.teams, [this](int t) { return t < 1 || t > TeamCount(); });
  order_.rounds = std::clamp(order_.rounds, 1, draft::kMaxRounds);
  // A draft records at most kMaxPicks picks: an order with more labels would
  // stall at the last one, so it is cut to the whole rounds that fit.
  const int teams = static_cast<int>(order_.teams.size());
  if (teams > 0 && order_.Labels() > draft::kMaxPicks) {
    const int fit = std::max(1, draft::kMaxPicks / teams);
    prompter_->Inform("Draft Order",
                      "A draft records at most " + Num(draft::kMaxPicks) + " picks: the order runs " + Num(fit) +
                          " rounds, not " + Num(order_.rounds) + ".",
                      PromptIcon::Warning);
    order_.rounds = fit;
  }
  emit orderChanged();
}

bool DraftServer::SaveOrder() {
  if (!leagueLoaded_ || orderFile_.empty()) return false;
  const std::string err = draft::WriteOrderFile(orderFile_, order_, TeamNames());
  if (err.empty()) return true;
  prompter_->Inform("Draft Order", "The draft order could not be saved in " + ShownPath(orderFile_) + ": " + err,
                    PromptIcon::Critical, TextCoding::Utf8);
  return false;
}

void DraftServer::SetTimeAllowed(int seconds) { timeAllowed_ = std::clamp(seconds, 1, 32767); }

void DraftServer::SetAutoDraftRule(AutoDraftRule rule, std::array<bool, draft::kRatingBoxes> ratings) {
  rule_ = rule;
  ratings_ = ratings;
}

bool DraftServer::WaitingForCommish() const {
  if (!clock_.OnClock() || clock_.Running()) return false;
  const int t = TeamIndexOf(clock_.Team());
  return t > 0 && (!Team(t).signedOn || heldForCommish_);
}

void DraftServer::SetAutoRun(bool on) {
  if (!on && pausing_) {
    pausing_ = false;
    pauseTicker_->Stop();
  }
  if (on == autoRun_) return;
  autoRun_ = on;
  emit autoRunChanged(on);
}

void DraftServer::SetRunAutomatically(bool on) {
  if (on == autoRun_ || (on && !leagueLoaded_)) return;
  autoCursor_ = 0;
  SetAutoRun(on);
  // With nobody on the clock the run starts at once; else after that pick.
  if (on && !clock_.OnClock()) ContinueRun(true);
}

void DraftServer::Announce(const std::string& line) {
  sessions_.SendOut(protocol::ChatRelay(0, line));
  AddPubChat(line);
}

int DraftServer::NextOrderIndex() const {
  std::set<std::string> recorded;
  for (const Pick& p : log_.Picks()) recorded.insert(p.label.Text());
  for (int k = autoCursor_; k < order_.Labels(); ++k)
    if (recorded.count(order_.Label(k)) == 0) return k;
  return -1;
}

void DraftServer::PassLabel(const std::string& label) {
  for (int k = autoCursor_; k < order_.Labels(); ++k) {
    if (order_.Label(k) == label) {
      autoCursor_ = k + 1;
      return;
    }
  }
}

void DraftServer::SetNextLabel(int index) {
  roundText_ = Num(order_.RoundOf(index));
  selectionText_ = Num(order_.SelectionOf(index));
  roundSel_ = roundText_ + "-" + selectionText_;
  emit nextPickChanged();
}

void DraftServer::ContinueRun(bool now) {
  if (NextOrderIndex() < 0) {
    // Every label of the order holds a pick: the run ends here.
    ResetClock();
    SetAutoRun(false);
    Announce("The draft is complete: every pick of the draft order has been made.");
    emit draftComplete();
    return;
  }
  if (now)
    NextOnClock();
  else
    SchedulePause();
}

void DraftServer::SchedulePause() {
  pausing_ = true;
  pauseLeft_ = kAutoPauseSeconds;
  pauseTicker_->Start([this] { PauseTick(); });
}

void DraftServer::PauseTick() {
  if (--pauseLeft_ > 0) return;
  pauseTicker_->Stop();
  NextOnClock();
}

void DraftServer::NextOnClock() {
  pausing_ = false;
  if (!autoRun_ || clock_.OnClock()) return;
  const int k = NextOrderIndex();
  if (k < 0) return ContinueRun(true);
  autoCursor_ = k;
  SetNextLabel(k);
  const int t = order_.TeamAt(order_.RoundOf(k), order_.SelectionOf(k));
  Announce(Team(t).name + " is on the clock with pick " + roundSel_ + ".");
  if (!ClockOn(t, timeAllowed_)) PickForAbsent(t);
}

bool DraftServer::ClockOn(int t, int seconds) {
  const std::string name = Team(t).name;
  clock_.Hold(name);
  sessions_.SendSignedOn(protocol::OnClock(t, Num(seconds), roundSel_));
  if (Team(t).signedOn) {
    clock_.Start(name, static_cast<int16_t>(seconds));
    if (ticker_) ticker_->Start([this] { Tick(); });
  }
  emit clockChanged();
  return clock_.Running();
}

void DraftServer::PickForAbsent(int t) {
  if (AutoPick(t)) return;
  // Nothing to pick by: the team stays on the clock for the Commish.
  clock_.Hold(Team(t).name);
  heldForCommish_ = true;
  heldAbsent_ = !Team(t).signedOn;
  emit clockChanged();
  Announce("The Commish must select for " + Team(t).name + ".");
}

void DraftServer::ClockForLateArrival(int t) {
  if (!autoRun_ || !heldAbsent_ || TeamIndexOf(clock_.Team()) != t) return;
  heldForCommish_ = false;
  heldAbsent_ = false;
  Announce(Team(t).name + " has signed on and is on the clock with pick " + roundSel_ + ".");
  ClockOn(t, timeAllowed_);
}

bool DraftServer::AutoPick(int t) {
  int pid = 0;
  std::string how;
  for (int wish : sessions_.WishList(t)) {
    if (FindPlayer(wish) && !log_.IsTaken(wish)) {
      pid = wish;
      how = "from its wish list";
      break;
    }
  }
  if (pid == 0 && rule_ == AutoDraftRule::BestAvailable) {
    pid = BestAvailable();
    how = "best available";
  }
  if (pid == 0 || log_.Full()) return false;
  const PoolPlayer& player = *FindPlayer(pid);
  const std::string teamName = Team(t).name;
  const std::string label = roundSel_;
  if (!RecordPick(Pick{pid, teamName, player.name, player.position,
                       draft::PickLabel::Parse(label).value_or(draft::PickLabel{})},
                  "AutoDraft"))
    return false;
  AnnouncePick(protocol::Picked(t, Num(pid), player.name, player.position, label), false,
               teamName + " has selected " + player.position + " " + player.name + " automatically (" + how + ").");
  return true;
}

int DraftServer::BestAvailable() const {
  int best = 0;
  long long bestSum = -1;
  // The pool's order breaks ties, as the draftee list shows them.
  for (int i = 1; i <= pool_.Count(); ++i) {
    const league::Player& p = pool_.draftees[Index(i)].player;
    if (!FindPlayer(p.pid) || log_.IsTaken(p.pid)) continue;
    const draft::Player shown = draft::FromFbpro(p);
    long long sum = 0;
    for (int box = 0; box < draft::kRatingBoxes; ++box)
      if (ratings_[Index(box)]) sum += shown.Rating(box);
    if (sum > bestSum) {
      bestSum = sum;
      best = p.pid;
    }
  }
  return best;
}

}  // namespace pm::server
