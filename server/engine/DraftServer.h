// The draft server's engine: everything PKServer does that needs no window.
//
// DraftServer owns the team table, the connections (up to 32, reused), the
// pick list and the draft file, the round-selection label, the draft clock and
// the team on the clock. The windows only show its state (through the
// accessors and signals below) and call its operations; they never change a
// table themselves. Every operation runs to its end without returning to the
// event loop.
//
// Texts are std::string holding Latin-1 bytes; the signals carry QString
// (converted with QString::fromLatin1) for the windows.
#pragma once

#include <QObject>
#include <QString>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/ErrorReport.h"
#include "league/FBPro.h"
#include "common/Prompt.h"
#include "draft/Pick.h"
#include "protocol/Protocol.h"

class QTcpSocket;

namespace pm::protocol {
class MessageSocket;
class MessageListener;
}  // namespace pm::protocol

namespace pm::server {

inline constexpr int kMaxPicks = 1000;        // PickList elements 1..1000
inline constexpr int kMaxConnections = 32;    // connection elements 1..32

inline constexpr const char* kCaptionDown = "Pickmill - Server - " PICKMILL_VERSION " - Server Down";
inline constexpr const char* kDraftFileSuffix = "-DRAFT.TXT";

// Load progress texts of the league window (its focus help texts are the
// league file chooser's, pm::kHelpDrive and the others in LeagueBrowser.h).
inline constexpr const char* kHelpVersion = "Getting league version...";
inline constexpr const char* kHelpTeams = "Getting teams...";
inline constexpr const char* kHelpCollege = "Loading college draftees, please wait...";
inline constexpr const char* kHelpFreeAgents = "Loading Free agents, please wait...";
inline constexpr const char* kHelpPrevious = "Getting previous selections....";
inline constexpr const char* kHelpConnections = "Initializing connections....";

// A team of the league, as the server holds it.
struct TeamEntry {
  std::string name;      // as read from the league file
  int socket = 0;        // connection element 1..32 it signed on through, 0 none
  bool signedOn = false;
};

// The pick-record helpers both programs share.
using draft::DraftListFill;
using draft::LineLabel;
using draft::NextLabel;
using draft::ReadSelectionLine;

// The result of loading a league, for the league window to show.
struct LoadResult {
  enum class Status {
    Loaded,           // league loaded and the server is listening
    ListenFailed,     // league loaded, but the port could not be opened
    NotRecognised,    // version not recognised: message, choose another
    NoTeams,          // "No teams found in league file."
    NoPlayers,        // "No players found in the league files."
    DraftFileRefused, // the draft file holds more than 1000 picks
    AlreadyLoaded,    // a league is loaded already (one per run)
    Failed,           // a league-file failure went to ReportError
  };
  Status status = Status::Failed;
  // For the statuses that show a message box: its title and text ("ERROR",
  // "Information."); empty when nothing is to be shown by the window.
  std::string title;
  std::string message;
  bool Ok() const { return status == Status::Loaded || status == Status::ListenFailed; }
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

  // ---- league loading ------------------------------------------------
  // Loads the league of `leagueFile` (a ".lge" path), the pool (with free
  // agents when asked), the draft file (asking to resume or clear), sets the
  // next pick and starts listening.
  LoadResult LoadLeague(const std::string& leagueFile, bool includeFreeAgents);
  // Starts listening (again, after a failure). Shows the reason through the
  // prompter on failure. True when listening.
  bool StartListening();
  bool Listening() const;
  quint16 Port() const;  // the port actually listened on, 0 when down
  bool LeagueLoaded() const { return leagueLoaded_; }

  // ---- Draft Control operations --------------------------------------
  enum class ClockResult { Started, MustSelect, NotAllowed, BadTime, UnknownTeam };
  // Puts the team named by a teams-list line ("*" marks removed) on the
  // clock with `timeAllowed` seconds (text as typed), announcing the pick
  // text1 "-" text2 (as typed). Preconditions: no clock running, no team on
  // the clock, a time of 1..32767 seconds. A team that is not signed on gets
  // no clock: "You will have to select for <name>." is shown (MustSelect).
  ClockResult PutOnClock(const std::string& teamLine, const std::string& timeAllowed, const std::string& text1,
                         const std::string& text2);

  enum class PickResult { Picked, NotConfirmed, NotAllowed, Taken, Full, WriteFailed };
  // The Commish picks for the team on the clock, which must not be signed
  // on: asks "Draft Selection" / "Are you sure you want to select <name>?".
  // `pidText` and `name` as read back from the draftee line, `position` the
  // caption of the shown position. On Picked the window removes the line.
  PickResult CommishPick(const std::string& pidText, const std::string& name, const std::string& position);

  // Takes the team on the clock off it (H). False when nobody is on it.
  bool Halt();
  // Sends the kick (R reason 4) to the team named by a teams-list line.
  // False when the team is unknown or not connected.
  bool Kick(const std::string& teamLine);

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
  bool CommishChat(const std::string& recipient, const std::string& text);

  // The window's edit of the next-pick numbers (Text1, Text2).
  void SetNextPickText(const std::string& text1, const std::string& text2);
  // The position button shown in the Draft Control's draftee list.
  void SetCurrentPosition(int position) { currentPosition_ = position; }

  // One clock second (the program's 1000 ms timer calls it; tests call it).
  void Tick();

  // Closes the listener and every connection; nothing is sent (unload).
  void Unload();

  // ---- state the windows show ----------------------------------------
  int TeamCount() const { return teamCount_; }
  const TeamEntry& Team(int index) const { return teams_.at(index); }  // 1..TeamCount
  // 1-based index of the first team of that exact name; 0 when none.
  int TeamIndexOf(std::string_view name) const;
  // Teams-list lines: each name, "*" appended when signed on.
  std::vector<std::string> TeamLines() const;
  // Names of the signed-on teams, in team order (chat recipients).
  std::vector<std::string> SignedOnNames() const;
  const std::vector<std::string>& PickList() const { return pickList_; }  // element 0: count
  int PickCount() const;
  // DraftListFill of every non-empty pick, in order (the Selections list).
  std::vector<std::string> SelectionLines() const;
  const std::string& RoundSel() const { return roundSel_; }
  const std::string& Text1() const { return text1_; }
  const std::string& Text2() const { return text2_; }
  const std::string& TeamOnClock() const { return teamOnClock_; }
  const std::string& TimeLeft() const { return timeLeft_; }
  int16_t ClockSeconds() const { return clockSeconds_; }
  bool ClockRunning() const { return clockRunning_; }
  int CurrentPosition() const { return currentPosition_; }
  bool MergeEnabled() const { return mergeEnabled_; }
  QString Caption() const { return caption_; }
  const std::string& LeagueName() const { return leagueName_; }
  const std::string& LeaguePath() const { return leaguePath_; }
  int16_t LeagueVersion() const { return leagueVersion_; }
  const std::string& DraftFile() const { return draftFile_; }
  const league::DrafteePool& Pool() const { return pool_; }
  int DrafteeCount() const { return pool_.Count(); }
  bool IncludeFreeAgents() const { return includeFreeAgents_; }
  int OpenConnections() const;
  // After a merge: the pick list becomes the records the merge kept (element
  // 0 the count), which the merge has already written to the draft file.
  void ReplacePickList(std::vector<std::string> kept);
  // The draft file rewritten from the pick list (the merge uses it too).
  // Returns an empty text on success, else the reason.
  std::string RewriteDraftFile();

 signals:
  void pubChatAdded(const QString& line);          // AddPubChat
  void showChatWindow();                           // before a private line to the Commish
  void teamSignedOn(int team, const QString& name);
  void teamSignedOff(int team, const QString& name);
  void mergeEnabledChanged(bool enabled);
  void selectionAdded(const QString& line);        // one DraftListFill line
  void selectionsReset();                          // refill from SelectionLines()
  void clockChanged();                             // TeamOnClock / TimeLeft / running
  void nextPickChanged();                          // Text1 / Text2 / RoundSel
  void drafteeListRebuild();                       // re-run the shown position's filter
  void captionChanged(const QString& caption);
  void helpTextChanged(const QString& text);       // the league window's help label

 private:
  void OnAccept(QTcpSocket* socket);
  void OnMessage(int element, const protocol::Message& m);
  void OnDisconnect(int element);
  void HandleLogin(int element, const protocol::Message& m);
  void HandlePickRequest(int element, int team, const std::string& body);
  void HandleDraft(int element, int team, const std::string& body);
  void SendPick(int element, int team, int n);
  void SendTo(int element, const std::string& text);
  void SendOut(const std::string& text);           // every entry with a socket
  void SendSignedOn(const std::string& text);      // every signed-on team
  void WhoOn(int team, bool add);
  void AddPubChat(const std::string& line);
  void UpdateMerge();
  void ResetClock();
  void AdvanceFromText();
  void SetHelp(const char* text);
  // Files and stores a pick; false (after ReportError) when it could not be
  // written.
  bool UpdatePicks(const std::string& record, const char* context);
  bool IsTaken(long long pid) const;

  Prompter* prompter_;
  std::unique_ptr<ScriptedPrompter> fallbackPrompter_;
  ErrorReporter reporter_;
  quint16 port_ = protocol::kDraftPort;

  std::unique_ptr<protocol::MessageListener> listener_;
  std::array<std::unique_ptr<protocol::MessageSocket>, kMaxConnections + 1> elements_;  // 1..32
  int elementCount_ = 0;
  std::array<int, kMaxConnections + 1> socketTeam_{};

  bool leagueLoaded_ = false;
  std::string leaguePath_;
  std::string leagueFolder_;
  std::string leagueName_;
  int16_t leagueVersion_ = 0;
  std::vector<TeamEntry> teams_;  // 0 unused
  int teamCount_ = 0;
  league::DrafteePool pool_;
  bool includeFreeAgents_ = false;
  std::string draftFile_;

  std::vector<std::string> pickList_;
  std::string roundSel_ = "1-1";
  std::string text1_ = "1";
  std::string text2_ = "1";
  std::string teamOnClock_;
  std::string timeLeft_;
  int16_t clockSeconds_ = 0;
  bool clockRunning_ = false;
  int currentPosition_ = 0;
  bool mergeEnabled_ = false;
  QString caption_;
};

}  // namespace pm::server
