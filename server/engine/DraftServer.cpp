#include "server/engine/DraftServer.h"

#include <algorithm>
#include <QTcpSocket>

#include <filesystem>

#include "common/Common.h"
#include "common/Files.h"
#include "protocol/Transport.h"

namespace fs = std::filesystem;
using namespace Qt::StringLiterals;

namespace pm::server {

namespace {

QString L1(std::string_view s) { return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size())); }


}  // namespace

// ------------------------------------------------------------- DraftServer

DraftServer::DraftServer(QObject* parent)
    : QObject(parent),
      fallbackPrompter_(std::make_unique<ScriptedPrompter>()),
      listener_(std::make_unique<protocol::MessageListener>()) {
  prompter_ = fallbackPrompter_.get();
  reporter_.programLabel = kServerLabel;
  pickList_.assign(kMaxPicks + 1, std::string());
  pickList_[0] = "0";
  teams_.resize(1);
  caption_ = QString::fromLatin1(kCaptionDown);
  connect(listener_.get(), &protocol::MessageListener::accepted, this, &DraftServer::OnAccept);
}

DraftServer::~DraftServer() { Unload(); }

void DraftServer::SetPrompter(Prompter* prompter) { prompter_ = prompter ? prompter : fallbackPrompter_.get(); }

bool DraftServer::Listening() const { return listener_->IsListening(); }
quint16 DraftServer::Port() const { return listener_->IsListening() ? listener_->Port() : 0; }

int DraftServer::PickCount() const { return static_cast<int>(LeadingNumber(pickList_[0])); }

int DraftServer::TeamIndexOf(std::string_view name) const {
  for (int i = 1; i <= teamCount_; ++i)
    if (teams_[i].name == name) return i;
  return 0;
}

std::vector<std::string> DraftServer::TeamLines() const {
  std::vector<std::string> out;
  for (int i = 1; i <= teamCount_; ++i) out.push_back(teams_[i].name + (teams_[i].signedOn ? "*" : ""));
  return out;
}

std::vector<std::string> DraftServer::SignedOnNames() const {
  std::vector<std::string> out;
  for (int i = 1; i <= teamCount_; ++i)
    if (teams_[i].signedOn) out.push_back(teams_[i].name);
  return out;
}

std::vector<std::string> DraftServer::SelectionLines() const {
  std::vector<std::string> out;
  int count = PickCount();
  for (int i = 1; i <= count; ++i)
    if (!pickList_[i].empty()) out.push_back(DraftListFill(pickList_[i]));
  return out;
}

int DraftServer::OpenConnections() const {
  int n = 0;
  for (int i = 1; i <= elementCount_; ++i)
    if (elements_[i] && elements_[i]->IsConnected()) ++n;
  return n;
}

void DraftServer::SetHelp(const char* text) { emit helpTextChanged(QString::fromLatin1(text)); }

void DraftServer::AddPubChat(const std::string& line) { emit pubChatAdded(L1(line)); }

// ------------------------------------------------------------ league load

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
  leagueFolder_ = file.parent_path().string();
  reporter_.errorFilePath = (file.parent_path() / kErrorFileName).string();
  if (!teamOnClock_.empty()) {
    teamOnClock_.clear();
    emit clockChanged();
  }
  includeFreeAgents_ = includeFreeAgents;
  leaguePath_ = league::LeaguePathOf(leagueFile);

  const char* context = "GetVersion";
  try {
    SetHelp(kHelpVersion);
    league::VersionInfo v = league::GetVersion(leaguePath_);
    if (v.version == 0) {
      SetHelp("");
      r.status = LoadResult::Status::NotRecognised;
      r.title = "ERROR";
      r.message = "Unable to determine version of the " + leaguePath_ + " league file. Select another league.";
      return r;
    }
    leagueVersion_ = v.version;
    leagueName_ = v.name;
    draftFile_ = (file.parent_path() / (leagueName_ + kDraftFileSuffix)).string();

    context = "GetTeams";
    SetHelp(kHelpTeams);
    league::TeamList tl = league::GetTeams(leaguePath_);
    if (tl.teamCount <= 0) {
      SetHelp("");
      r.status = LoadResult::Status::NoTeams;
      r.title = "ERROR";
      r.message = "No teams found in league file.";
      return r;
    }
    int count = std::min(tl.teamCount, league::kMaxTeamNumber);
    std::vector<TeamEntry> teams(count + 1);
    for (int i = 1; i <= count; ++i) teams[i].name = tl.names[i];

    context = "GetCollege";
    SetHelp(kHelpCollege);
    league::DrafteePool pool = league::GetCollege(leaguePath_, leagueVersion_);
    if (includeFreeAgents) {
      context = "GetFA";
      SetHelp(kHelpFreeAgents);
      league::DrafteePool fa = league::GetFA(leaguePath_, leagueVersion_);
      if (fa.Count() > 0) league::AppendFreeAgents(pool, fa);
    }
    if (pool.Count() == 0) {
      SetHelp("");
      r.status = LoadResult::Status::NoPlayers;
      r.title = "Information.";
      r.message = "No players found in the league files.";
      return r;
    }

    // Previous selections.
    SetHelp(kHelpPrevious);
    std::vector<std::string> records;
    std::string lastLabel = "1-0";
    std::error_code ec;
    if (fs::exists(draftFile_, ec)) {
      std::optional<std::string> bytes = ReadWholeFile(draftFile_);
      if (!bytes) {
        SetHelp("");
        reporter_.Report("LeagueSelect_File1_DblClick", kErrPathFileAccess,
                         "Path/File access error: cannot read " + draftFile_);
        r.status = LoadResult::Status::Failed;
        return r;
      }
      std::size_t start = 0;
      const std::string& b = *bytes;
      while (start < b.size()) {
        std::size_t end = b.find('\n', start);
        if (end == std::string::npos) end = b.size();
        std::string line = b.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        start = end + 1;
        if (Trim(line).empty()) continue;
        records.push_back(line);
        lastLabel = GetField(line, 5, "|");
      }
    }
    if (records.size() > static_cast<std::size_t>(kMaxPicks)) {
      SetHelp("");
      r.status = LoadResult::Status::DraftFileRefused;
      r.title = "ERROR";
      r.message = "The draft file " + draftFile_ + " holds " + Num(static_cast<long long>(records.size())) +
                  " picks, but the server can keep no more than " + Num(kMaxPicks) +
                  ". The league was not loaded. Move that file to another folder (or remove the extra "
                  "lines with a text editor) and load the league again.";
      return r;
    }

    // Everything is read: the tables become the server's.
    teams_ = std::move(teams);
    teamCount_ = count;
    pool_ = std::move(pool);
    pickList_.assign(kMaxPicks + 1, std::string());
    for (std::size_t i = 0; i < records.size(); ++i) pickList_[i + 1] = records[i];
    pickList_[0] = Num(static_cast<long long>(records.size()));
    roundSel_ = lastLabel;

    if (!records.empty()) {
      std::string q = "There appears to be a draft in progress for the " + leagueName_ + ".\r\n\r\n" +
                      "There have been " + Num(static_cast<long long>(records.size())) +
                      " players drafted so far.\r\n\r\n" + "You can examine this draft list by opening " +
                      "file " + draftFile_ + " with your favorite text editor. \r\n\r\n" +
                      "Do you want to clear this file and start a " + "new draft for the " + leagueName_ + "?";
      if (prompter_->Ask({"", q, PromptButtons::YesNo, PromptIcon::Critical, PromptAnswer::Yes, false}) ==
          PromptAnswer::Yes) {
        std::string err = WriteFileAtomic(draftFile_, "");
        if (!err.empty()) {
          reporter_.Report("LeagueSelect_File1_DblClick", kErrPathFileAccess, "Path/File access error: " + err);
          r.status = LoadResult::Status::Failed;
          return r;
        }
        for (std::size_t i = 1; i <= records.size(); ++i) pickList_[i].clear();
        pickList_[0] = "0";
        roundSel_ = "1-0";
      }
    }
    roundSel_ = NextLabel(roundSel_, teamCount_);
    text1_ = GetField(roundSel_, 1, "-");
    text2_ = GetField(roundSel_, 2, "-");
    leagueLoaded_ = true;
  } catch (const league::LeagueError& e) {
    SetHelp("");
    reporter_.Report(e.context.empty() ? context : e.context, e.number, e.Description());
    r.status = LoadResult::Status::Failed;
    return r;
  }

  emit nextPickChanged();
  emit selectionsReset();
  UpdateMerge();
  SetHelp(kHelpConnections);
  bool listening = StartListening();
  SetHelp("");
  r.status = listening ? LoadResult::Status::Loaded : LoadResult::Status::ListenFailed;
  return r;
}

bool DraftServer::StartListening() {
  if (listener_->IsListening()) return true;
  QString reason;
  if (!listener_->Listen(port_, &reason)) {
    prompter_->Inform("Server Down", reason.toLatin1().toStdString(), PromptIcon::Critical);
    return false;
  }
  // The caption keeps its first two parts and ends in the new state.
  QStringList parts = QString::fromLatin1(kCaptionDown).split(u'-');
  caption_ = parts.value(0).trimmed() + u" - "_s + parts.value(1).trimmed() + u" - Server Up."_s;
  emit captionChanged(caption_);
  return true;
}

void DraftServer::Unload() {
  if (listener_) listener_->Close();
  for (int i = 1; i <= elementCount_; ++i) {
    if (elements_[i]) elements_[i]->Close();
    socketTeam_[i] = 0;
  }
  for (int i = 1; i <= teamCount_; ++i) {
    teams_[i].socket = 0;
    teams_[i].signedOn = false;
  }
}

// ------------------------------------------------------------ connections

void DraftServer::OnAccept(QTcpSocket* socket) {
  int free = 0;
  for (int i = 1; i <= elementCount_; ++i) {
    if (!elements_[i]->IsConnected()) {
      free = i;
      break;
    }
  }
  if (free == 0) {
    if (elementCount_ >= kMaxConnections) {
      // No element left: the connection is closed at once.
      socket->abort();
      socket->deleteLater();
      return;
    }
    free = ++elementCount_;
    auto element = std::make_unique<protocol::MessageSocket>(protocol::Receiver::Server);
    connect(element.get(), &protocol::MessageSocket::messageReceived, this,
            [this, free](const protocol::Message& m) { OnMessage(free, m); });
    connect(element.get(), &protocol::MessageSocket::disconnected, this, [this, free] { OnDisconnect(free); });
    elements_[free] = std::move(element);
  }
  socketTeam_[free] = 0;
  elements_[free]->Adopt(socket);
  UpdateMerge();
}

void DraftServer::OnDisconnect(int element) {
  elements_[element]->Close();
  int t = socketTeam_[element];
  socketTeam_[element] = 0;
  if (t > 0 && t <= teamCount_ && teams_[t].socket == element) {
    std::string name = teams_[t].name;
    WhoOn(t, false);
    teams_[t].socket = 0;
    if (!name.empty()) AddPubChat("*** " + name + "*** has left the draft. ***");
    SendOut(protocol::Left(t));
  }
  UpdateMerge();
}

void DraftServer::UpdateMerge() {
  // Merge only while nobody is connected (signed on or not) and picks exist.
  bool enabled = leagueLoaded_ && OpenConnections() == 0 && PickCount() > 0;
  if (enabled != mergeEnabled_) {
    mergeEnabled_ = enabled;
    emit mergeEnabledChanged(enabled);
  }
}

void DraftServer::SendTo(int element, const std::string& text) {
  if (element >= 1 && element <= elementCount_ && elements_[element]) elements_[element]->Send(text);
}

void DraftServer::SendOut(const std::string& text) {
  for (int i = 1; i <= teamCount_; ++i)
    if (teams_[i].socket > 0) SendTo(teams_[i].socket, text);
}

void DraftServer::SendSignedOn(const std::string& text) {
  for (int i = 1; i <= teamCount_; ++i)
    if (teams_[i].signedOn && teams_[i].socket > 0) SendTo(teams_[i].socket, text);
}

void DraftServer::WhoOn(int team, bool add) {
  teams_[team].signedOn = add;
  if (add)
    emit teamSignedOn(team, L1(teams_[team].name));
  else
    emit teamSignedOff(team, L1(teams_[team].name));
}

// ---------------------------------------------------------------- dispatch

void DraftServer::OnMessage(int element, const protocol::Message& m) {
  if (!m.valid || m.codeText.size() != 1) return;  // numbers beyond 16 bits, or not a code
  int bound = socketTeam_[element];
  if (m.code == protocol::kLogin) {
    HandleLogin(element, m);
    return;
  }
  // Everything else only from a signed-on connection, speaking for its team.
  if (bound == 0 || m.from != bound) return;
  const int t = bound;
  switch (m.code) {
    case protocol::kPickRequest:
      HandlePickRequest(element, t, m.body);
      break;
    case protocol::kChat:
      AddPubChat(teams_[t].name + ": " + m.body);
      SendOut(protocol::ChatRelay(t, m.body));
      break;
    case protocol::kPrivate: {
      int u = m.to;
      if (u == 0) {
        emit showChatWindow();
        AddPubChat("Private from " + teams_[t].name + ": " + m.body);
      } else if (u >= 1 && u <= teamCount_ && teams_[u].socket > 0) {
        SendTo(teams_[u].socket, protocol::PrivateOut(t, u, m.body));
      }
      break;
    }
    case protocol::kDraft:
      HandleDraft(element, t, m.body);
      break;
    default:
      break;  // T and unknown codes change nothing
  }
}

void DraftServer::HandleLogin(int element, const protocol::Message& m) {
  if (!leagueLoaded_) return;
  if (socketTeam_[element] != 0) return;  // this connection has signed on already
  const int t = m.from;
  const std::string& body = m.body;
  int status = -1;
  if (GetField(body, 3, ",") != leagueName_) status = protocol::kRefuseLeague;
  if (status < 0) {
    bool numeric = false;
    int cmp = protocol::CompareVersions(protocol::kServerVersion, GetField(body, 1, ","), &numeric);
    if (!numeric || cmp > 0) status = protocol::kRefuseVersion;
  }
  if (status < 0 && LeadingNumber(GetField(body, 2, ",")) != pool_.Count()) status = protocol::kRefusePlayerCount;
  // A team outside the league cannot be recorded.
  if (status < 0 && (t < 1 || t > teamCount_)) status = protocol::kRefusePlayerCount;
  if (status < 0 && (teams_[t].signedOn || teams_[t].socket > 0)) status = protocol::kRefuseSignedOn;
  if (status >= 0) {
    SendTo(element, protocol::Refused(status));
    return;
  }
  SendOut(protocol::SignedOn(t));
  teams_[t].socket = element;
  socketTeam_[element] = t;
  WhoOn(t, true);
  std::vector<int> others;
  for (int i = 1; i <= teamCount_; ++i)
    if (teams_[i].signedOn && i != t) others.push_back(i);
  if (!others.empty()) SendTo(element, protocol::WhoElse(t, others));
  if (PickCount() > 0) SendPick(element, t, 1);
}

void DraftServer::SendPick(int element, int team, int n) {
  // A client asks for the pick after the ones it holds, counting only the
  // picks it was sent; deleted picks were never sent. So n is the n-th
  // recorded pick that is not blank: with no deletes that is element n, and
  // after a delete no pick is sent twice.
  int count = PickCount();
  if (n < 1 || n > count) return;
  int seen = 0;
  for (int i = 1; i <= count; ++i) {
    if (pickList_[i].empty()) continue;
    if (++seen == n) {
      SendTo(element, protocol::PickRecordMessage(team, pickList_[i]));
      return;
    }
  }
}

void DraftServer::HandlePickRequest(int element, int team, const std::string& body) {
  std::optional<int16_t> n = ToInt16(body);
  if (!n) return;
  SendPick(element, team, *n);
}

bool DraftServer::IsTaken(long long pid) const {
  int count = PickCount();
  for (int i = 1; i <= count; ++i)
    if (!pickList_[i].empty() && LeadingNumber(GetField(pickList_[i], 1, "|")) == pid) return true;
  return false;
}

bool DraftServer::UpdatePicks(const std::string& record, const char* context) {
  int n = PickCount() + 1;
  if (n > kMaxPicks) return false;
  // On disk first: no client hears of a pick the file does not hold.
  std::string err = AppendDurable(draftFile_, record + "\r\n");
  if (!err.empty()) {
    reporter_.Report(context, kErrDeviceIO, ErrorDescription(kErrDeviceIO) + ": " + err);
    return false;
  }
  pickList_[n] = record;
  pickList_[0] = Num(n);
  return true;
}

void DraftServer::ResetClock() {
  clockRunning_ = false;
  timeLeft_.clear();
  teamOnClock_.clear();
  clockSeconds_ = 0;
  emit clockChanged();
}

void DraftServer::AdvanceFromText() {
  roundSel_ = NextLabel(LeadingNumber(text1_), LeadingNumber(text2_), teamCount_);
  text1_ = GetField(roundSel_, 1, "-");
  text2_ = GetField(roundSel_, 2, "-");
  emit nextPickChanged();
}

void DraftServer::HandleDraft(int element, int team, const std::string& body) {
  std::string pidText = GetField(body, 1, ",");
  std::string player = GetField(body, 2, ",");
  std::string position = GetField(body, 3, ",");
  long long pid = LeadingNumber(pidText);
  if (pid < 1 || pid > 32767) return;  // not a player id: dropped
  if (IsTaken(pid)) {
    SendSignedOn(protocol::Taken(team, body));
    AddPubChat(position + " " + player + " already selected.");
    return;
  }
  if (PickCount() >= kMaxPicks) {
    // The draft is full: nothing is stored; the sender is told privately and
    // the Commish sees it in the chat. The clock goes on as it was.
    SendTo(element, protocol::PrivateOut(0, team,
                                      "The draft already holds " + Num(kMaxPicks) +
                                          " picks, the most the server can record. Your selection of " +
                                          player + " was not recorded."));
    AddPubChat(teams_[team].name + " tried to select " + position + " " + player +
               ", but the draft is full (" + Num(kMaxPicks) + " picks); the pick was not recorded.");
    return;
  }
  const std::string label = roundSel_;
  std::string rec = pidText + "|" + teams_[team].name + "|" + player + "|" + position + "|" + label;
  if (!UpdatePicks(rec, "Server_Socket1_Read")) return;
  SendSignedOn(protocol::Picked(team, body, label));
  emit selectionAdded(L1(DraftListFill(rec)));
  ResetClock();
  AdvanceFromText();
  if (league::PositionCaption(currentPosition_) == position) emit drafteeListRebuild();
  AddPubChat(teams_[team].name + " has selected " + position + " " + player + ".");
  UpdateMerge();
}

// ------------------------------------------------------------------- clock

void DraftServer::Tick() {
  if (!clockRunning_) return;
  clockSeconds_ = static_cast<int16_t>(clockSeconds_ - 1);
  timeLeft_ = Num(clockSeconds_);
  if (clockSeconds_ > 0 && clockSeconds_ <= 60 && clockSeconds_ % 15 == 0) {
    SendOut(protocol::ChatRelay(0, "Time remaining for " + teamOnClock_ + " to make a selection: " +
                                    Num(clockSeconds_) + " seconds."));
  }
  if (clockSeconds_ <= 0) {
    int d = TeamIndexOf(teamOnClock_);
    std::string name = teamOnClock_;
    ResetClock();
    AddPubChat(name + std::string(protocol::kTimedOutSuffix));
    SendOut(protocol::TimedOut(d, name));
    return;
  }
  emit clockChanged();
}

// --------------------------------------------------------- Draft Control

void DraftServer::SetNextPickText(const std::string& text1, const std::string& text2) {
  text1_ = text1;
  text2_ = text2;
  emit nextPickChanged();
}

DraftServer::ClockResult DraftServer::PutOnClock(const std::string& teamLine, const std::string& timeAllowed,
                                                 const std::string& text1, const std::string& text2) {
  if (!leagueLoaded_) return ClockResult::NotAllowed;
  if (clockSeconds_ >= 1 || !teamOnClock_.empty()) return ClockResult::NotAllowed;
  long long seconds = LeadingNumber(timeAllowed);
  if (seconds == 0) return ClockResult::NotAllowed;
  if (seconds < 1 || seconds > 32767) return ClockResult::BadTime;
  std::string name = ReplaceChar(teamLine, '*', "");
  int t = TeamIndexOf(name);
  if (t == 0) return ClockResult::UnknownTeam;
  text1_ = text1;
  text2_ = text2;
  // The pick announced is the pick recorded, whoever makes it.
  roundSel_ = text1 + "-" + text2;
  emit nextPickChanged();
  teamOnClock_ = name;
  SendSignedOn(protocol::OnClock(t, timeAllowed, text1 + "-" + text2));
  if (!teams_[t].signedOn) {
    emit clockChanged();
    prompter_->Inform("Information.", "You will have to select for " + name + ".");
    return ClockResult::MustSelect;
  }
  timeLeft_ = Num(seconds);
  clockSeconds_ = static_cast<int16_t>(seconds);
  clockRunning_ = true;
  emit clockChanged();
  return ClockResult::Started;
}

DraftServer::PickResult DraftServer::CommishPick(const std::string& pidText, const std::string& name,
                                                 const std::string& position) {
  if (teamOnClock_.empty()) return PickResult::NotAllowed;
  int t = TeamIndexOf(teamOnClock_);
  if (t == 0 || teams_[t].signedOn) return PickResult::NotAllowed;
  long long pid = LeadingNumber(pidText);
  if (pid < 1 || pid > 32767) return PickResult::NotAllowed;
  if (!prompter_->Confirm("Draft Selection", "Are you sure you want to select " + name + "?", PromptIcon::Question,
                          PromptAnswer::No, true))
    return PickResult::NotConfirmed;
  if (IsTaken(pid)) return PickResult::Taken;
  if (PickCount() >= kMaxPicks) return PickResult::Full;
  const std::string label = text1_ + "-" + text2_;
  std::string rec = Num(pid) + "|" + teamOnClock_ + "|" + name + "|" + position + "|" + label;
  if (!UpdatePicks(rec, "DraftControl_RookieList_DblClick")) return PickResult::WriteFailed;
  SendSignedOn(protocol::Picked(t, pidText, name, position, label));
  emit selectionAdded(L1(DraftListFill(rec)));
  ResetClock();
  AdvanceFromText();
  AddPubChat(teams_[t].name + " has selected " + position + " " + name + ".");
  UpdateMerge();
  return PickResult::Picked;
}

bool DraftServer::Halt() {
  if (teamOnClock_.empty()) return false;
  int t = TeamIndexOf(teamOnClock_);
  SendSignedOn(protocol::Halted(t));
  ResetClock();
  return true;
}

bool DraftServer::Kick(const std::string& teamLine) {
  int t = TeamIndexOf(ReplaceChar(teamLine, '*', ""));
  if (t == 0 || teams_[t].socket == 0) return false;
  SendTo(teams_[t].socket, protocol::Refused(protocol::kRefuseKicked));
  return true;
}

DraftServer::DeleteResult DraftServer::DeletePickAtLine(const std::string& selectionLine) {
  LineLabel l = ReadSelectionLine(selectionLine);
  return DeletePick(l.round, l.selection);
}

void DraftServer::ReplacePickList(std::vector<std::string> kept) {
  // The list keeps its room for every pick; the kept records come first.
  long long count = kept.empty() ? 0 : std::min<long long>(LeadingNumber(kept[0]), kMaxPicks);
  pickList_.assign(kMaxPicks + 1, std::string());
  for (long long i = 1; i <= count && i < static_cast<long long>(kept.size()); ++i) pickList_[i] = kept[i];
  pickList_[0] = Num(count);
  emit selectionsReset();
  emit drafteeListRebuild();
  UpdateMerge();
}

std::string DraftServer::RewriteDraftFile() {
  std::string bytes;
  int count = PickCount();
  for (int i = 1; i <= count; ++i)
    if (!pickList_[i].empty()) bytes += pickList_[i] + "\r\n";
  return WriteFileAtomic(draftFile_, bytes);
}

DraftServer::DeleteResult DraftServer::DeletePick(const std::string& round, const std::string& selection) {
  if (!teamOnClock_.empty() || !leagueLoaded_) return DeleteResult::NotAllowed;
  if (!prompter_->Confirm("Draft Selection",
                          "Are you sure you want to delete pick at round " + round + "-" + selection + "?",
                          PromptIcon::Question, PromptAnswer::No, true))
    return DeleteResult::NotConfirmed;
  const std::string label = round + "-" + selection;
  int count = PickCount();
  int found = 0;
  for (int i = 1; i <= count; ++i) {
    if (!pickList_[i].empty() && GetField(pickList_[i], 5, "|") == label) {
      found = i;
      break;
    }
  }
  if (found == 0) return DeleteResult::NotFound;
  // The file is rewritten first; the pick is blanked and announced only when
  // the file no longer holds it.
  std::string kept = pickList_[found];
  pickList_[found].clear();
  std::string err = RewriteDraftFile();
  if (!err.empty()) {
    pickList_[found] = kept;
    reporter_.Report("DraftControl_Command2_Click", kErrDeviceIO, ErrorDescription(kErrDeviceIO) + ": " + err);
    return DeleteResult::WriteFailed;
  }
  SendSignedOn(protocol::Deleted(label));
  emit selectionsReset();
  emit drafteeListRebuild();
  UpdateMerge();
  return DeleteResult::Deleted;
}

bool DraftServer::CommishChat(const std::string& recipient, const std::string& typed) {
  if (typed.empty()) return false;
  std::string text = protocol::CutChat(typed);
  if (UpperLatin1(recipient.substr(0, std::min<std::size_t>(3, recipient.size()))) == "ALL") {
    std::string msg = protocol::ChatRelay(0, text);
    for (int i = 1; i <= teamCount_; ++i)
      if (teams_[i].socket > 0) SendTo(teams_[i].socket, msg);
    AddPubChat("Commish: " + text);
    return true;
  }
  int r = 0;
  for (int i = 1; i <= teamCount_ && r == 0; ++i)
    if (UpperLatin1(teams_[i].name) == UpperLatin1(recipient)) r = i;
  if (r == 0 || teams_[r].socket == 0) return false;
  SendTo(teams_[r].socket, protocol::PrivateOut(0, r, text));
  AddPubChat("Private to " + recipient + ": " + text);
  return true;
}

}  // namespace pm::server
