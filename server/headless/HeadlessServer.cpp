#include "server/headless/HeadlessServer.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QSocketNotifier>
#include <QTimer>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

#include <algorithm>
#include <cctype>
#include <memory>

#include <functional>
#include <iostream>
#include <optional>
#include <vector>

#include "common/Common.h"
#include "common/Files.h"
#include "draft/DraftOrder.h"
#include "server/headless/StopSignals.h"
#ifdef PICKMILL_WEB_BOARD
#include "server/web/WebBoard.h"
#endif

namespace pm::server {

namespace {

using namespace Qt::StringLiterals;

// A message box's text on one line: its line breaks become blanks.
std::string OneLine(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\r') continue;
    out += c == '\n' ? ' ' : c;
  }
  return out;
}

// One line of `err` for each shown line (as UTF-8) put in its `sentence`,
// then how many more there are.
void Report(std::ostream& err, const std::vector<std::string>& lines,
            const std::function<std::string(const std::string&)>& sentence) {
  const draft::ShownList shown = draft::ShownNames(lines);
  for (const std::string& line : shown.names) err << sentence(Latin1ToUtf8(line)) << std::endl;
  if (shown.more > 0) err << "... and " << shown.more << " more." << std::endl;
}

// True when the order file read may be used; else every reason goes to
// `err`. Names are never guessed: every line not used stops the start, and
// so does a team left out unless `allowMissing`.
bool OrderFileAccepted(const draft::OrderRead& read, bool allowMissing, std::ostream& err) {
  Report(err, read.unknown, [](const std::string& line) { return "The draft order names no team \"" + line + "\"."; });
  Report(err, read.duplicates,
         [](const std::string& line) { return "The draft order names a team again: \"" + line + "\"."; });
  Report(err, read.badSettings, [](const std::string& line) {
    return "The draft order's line \"" + line + "\" is refused: " + draft::SettingRule(line) + ".";
  });
  if (!allowMissing)
    Report(err, read.missing, [](const std::string& name) {
      return "The draft order leaves out " + name + " (--allow-missing lets it pass).";
    });
  if (read.order.teams.empty()) err << "The draft order names no team of the league." << std::endl;
  return read.unknown.empty() && read.duplicates.empty() && read.badSettings.empty() &&
         (allowMissing || read.missing.empty()) && !read.order.teams.empty();
}

std::string LocalStamp() { return QDateTime::currentDateTime().toString(u"yyyy-MM-dd HH:mm:ss"_s).toStdString(); }

}  // namespace

HeadlessServer::HeadlessServer(DraftServer& engine, std::ostream& out, std::ostream& err)
    : engine_(engine), out_(out), err_(err) {
  timestamp = LocalStamp;
  ErrorReporter& reporter = engine_.Reporter();
  reporter.programLabel = kServerLabel;
  reporter.showMessage = [this](const std::string& message) { err_ << OneLine(message) << std::endl; };
  reporter.endProgram = [this] {
    if (engine_.LeagueLoaded()) Fail("the draft cannot go on");
  };
  // What the windows would show in a box is a transcript line.
  connect(&engine_, &DraftServer::notice, this, [this](const Notice& n) {
    WriteUtf8(OneLine(n.coding == TextCoding::Utf8 ? n.text : Latin1ToUtf8(n.text)));
  });
  connect(&engine_, &DraftServer::pubChatAdded, this,
          [this](const QString& line) { Write(line.toLatin1().toStdString()); });
  connect(&engine_, &DraftServer::teamSignedOn, this,
          [this](int, const QString& name) { Write(name.toLatin1().toStdString() + " has signed on."); });
  connect(&engine_, &DraftServer::draftOver, this, [this] { Stop("The draft is over; the server ends."); });
  // Nobody is there to pick for a team the run found no player for.
  engine_.SetNobodyToPick(NobodyToPick::Pass);
}

void HeadlessServer::Write(const std::string& latin1) { WriteUtf8(Latin1ToUtf8(latin1)); }

void HeadlessServer::WriteUtf8(const std::string& utf8) { out_ << '[' << timestamp() << "] " << utf8 << std::endl; }

int HeadlessServer::Start(const HeadlessOptions& options) {
  engine_.SetPort(options.port);
#ifdef PICKMILL_WEB_BOARD
  // From before the load, so that the board's chat has every line.
  if (options.webPort) web_ = new web::WebBoard(engine_, this);
#endif
  const LoadResult result = engine_.LoadLeague(options.leagueFile, options.freeAgents, options.previous);
  if (result.status == LoadResult::Status::DraftInProgress) {
    err_ << OneLine(engine_.ResumeQuestion())
         << "\nAnswer with --resume (continue this draft) or --clear (start a new one)." << std::endl;
    engine_.Unload();
    return kHeadlessBadArguments;
  }
  if (result.status == LoadResult::Status::ListenFailed) {
    err_ << "PKServer cannot listen on port " << options.port << "." << std::endl;
    return kHeadlessNoPort;
  }
  if (!result.Ok()) return LoadFailure(result);
  WriteUtf8("League " + Latin1ToUtf8(engine_.LeagueName()) + " loaded: " + Num(engine_.TeamCount()) + " teams, " +
            Num(engine_.DrafteeCount()) + " draftees, " + Num(engine_.Log().Count()) +
            " picks recorded; listening on port " + Num(engine_.Port()) + ".");
  if (!options.notifyUrl.isEmpty() && engine_.SetNotifyUrl(options.notifyUrl))
    WriteUtf8("Draft events are posted to " + options.notifyUrl.toStdString() + ".");
  if (!StartWebBoard(options)) {
    engine_.Unload();
    return kHeadlessNoPort;
  }
  // A resumed draft whose saved order ran automatically runs so again.
  const bool resumed = options.previous == HeadlessOptions::PreviousDraft::Resume;
  if (!options.autoRun && !(resumed && engine_.Order().settings.automatic)) {
    WriteUtf8("Without --auto no team goes on the clock: the owners can sign on and chat.");
    return kHeadlessDone;
  }
  if (!ApplyOrder(options)) {
    engine_.Unload();
    return kHeadlessBadArguments;
  }
  RunAutomatically(options);
  return kHeadlessDone;
}

bool HeadlessServer::StartWebBoard(const HeadlessOptions& options) {
  if (!options.webPort) return true;
#ifdef PICKMILL_WEB_BOARD
  web::WebBoardOptions web;
  web.port = *options.webPort;
  if (!options.webBind.isEmpty()) web.address = QHostAddress(options.webBind);
  web.maxViewers = options.webMax;
  QString error;
  if (!web_->Start(web, &error)) {
    // Qt's reasons end in a full stop of their own.
    err_ << "PKServer cannot serve the web board on port " << *options.webPort << ": " << error.toStdString()
         << std::endl;
    return false;
  }
  WriteUtf8("The web board is at " + web_->ShareAddress().toStdString() + " (share this address; at most " +
            Num(options.webMax) + " viewers).");
  return true;
#else
  return false;
#endif
}

bool HeadlessServer::ApplyOrder(const HeadlessOptions& options) {
  draft::DraftOrder order = engine_.Order();
  if (!options.orderFile.empty()) {
    draft::OrderFileStatus status = draft::OrderFileStatus::Read;
    const std::optional<draft::OrderRead> read = draft::ReadOrderFile(options.orderFile, engine_.TeamNames(), &status);
    if (!read) {
      err_ << "The draft order " << options.orderFile << " " << draft::OrderFileProblem(status) << "." << std::endl;
      return false;
    }
    if (!OrderFileAccepted(*read, options.allowMissing, err_)) return false;
    order = read->order;
  } else if (engine_.OrderFileRead().Flawed() &&
             !OrderFileAccepted(engine_.OrderFileRead(), options.allowMissing, err_)) {
    err_ << "(the saved order " << ShownPath(engine_.OrderFile()) << ")" << std::endl;
    return false;
  }
  if (options.rounds > 0) order.rounds = options.rounds;
  if (options.snake) order.snake = true;
  engine_.SetOrder(order);
  return true;
}

void HeadlessServer::RunAutomatically(const HeadlessOptions& options) {
  // The command line over the saved order's settings; the rule is always the
  // best available, as there is no Commish to wait for.
  const draft::AutoDraftSettings saved = engine_.Order().settings;
  engine_.SetTimeAllowed(options.timeAllowed.value_or(saved.timeAllowed));
  engine_.SetAbsentTime(options.absentTime ? options.absentTime : saved.absentSeconds);
  engine_.SetPauseSeconds(options.pause.value_or(saved.pauseSeconds));
  engine_.SetAutoDraftRule(AutoDraftRule::BestAvailable, options.ratings.value_or(saved.ratings));
  const draft::DraftOrder& order = engine_.Order();
  const draft::AutoDraftSettings& s = order.settings;
  WriteUtf8("The clock runs by the draft order: " + Num(static_cast<int>(order.teams.size())) + " teams, " +
            Num(order.rounds) + (order.rounds == 1 ? " round, " : " rounds, ") + (order.snake ? "snake" : "linear") +
            ", " + Num(s.timeAllowed) + " seconds a pick (" + Num(s.absentSeconds.value_or(s.timeAllowed)) +
            " for a team whose owner is not signed on), " + Num(s.pauseSeconds) + " seconds between picks.");
  if (options.quietHours || options.timeZone)
    engine_.SetQuietHours(options.quietHours ? options.quietHours : saved.quietHours,
                          options.timeZone.value_or(saved.timeZone));
  if (s.quietHours)
    WriteUtf8("Quiet hours from " + s.quietHours->Text().substr(0, 5) + " to " + s.quietHours->Text().substr(6) +
              (s.timeZone.empty() ? "" : " (" + s.timeZone + ")") + ": the clock stops and the draft waits.");
  engine_.SetResumeWait(int64_t{options.rejoinWait} * 1000);
  if (!options.start.isEmpty()) engine_.SetStartTime(StartTime(options.start, engine_.wallClock()));
  engine_.SetRunAutomatically(true);
}

void HeadlessServer::Command(const std::string& line) {
  const std::string command = Trim(line);
  if (command.empty()) return;
  if (command == "pause") {
    if (!engine_.PauseDraft()) WriteUtf8("The draft is paused already.");
    return;
  }
  if (command == "resume") {
    if (!engine_.ResumeDraft()) WriteUtf8("The draft is not paused by the Commish.");
    return;
  }
  if (command.starts_with("trade ")) {
    const std::string rest = Trim(command.substr(6));
    const std::size_t blank = rest.find(' ');
    const std::optional<draft::PickLabel> label = draft::PickLabel::Parse(rest.substr(0, blank));
    const std::string who = blank == std::string::npos ? std::string() : Trim(rest.substr(blank + 1));
    int team = who == "-" ? 0 : engine_.TeamIndexOf(who);
    if (team == 0 && who != "-" && !who.empty() &&
        std::all_of(who.begin(), who.end(), [](unsigned char c) { return std::isdigit(c) != 0; }))
      team = static_cast<int>(LeadingNumber(who));
    if (!label || (team == 0 && who != "-") || !engine_.TradePick(*label, team))
      WriteUtf8("Not traded: write \"trade 3-5 TEAM\" with a pick of the order and a team's name or number.");
    return;
  }
  WriteUtf8("Unknown command \"" + Latin1ToUtf8(command.substr(0, 40)) + "\": pause, resume or trade 3-5 TEAM.");
}

int HeadlessServer::LoadFailure(const LoadResult& result) {
  using Status = LoadResult::Status;
  switch (result.status) {
    case Status::NotRecognised:
      err_ << "The league at " << result.leaguePath << " is not a league this server knows." << std::endl;
      break;
    case Status::NoTeams: err_ << "The league file has no teams." << std::endl; break;
    case Status::NoPlayers: err_ << "The league files have no players to draft." << std::endl; break;
    case Status::DraftFileRefused:
      err_ << "The draft file " << result.draftFile << " holds " << result.records
           << " picks, more than a draft can have." << std::endl;
      break;
    case Status::MergeNotRestored:
    case Status::FolderNotWritable: err_ << result.message << std::endl; break;
    case Status::InUse: err_ << result.message << std::endl; return kHeadlessLocked;
    default: err_ << "The league could not be loaded." << std::endl; break;  // the reason went to err already
  }
  return kHeadlessFailed;
}

void HeadlessServer::Stop(const std::string& why) {
  if (ended_) return;
  ended_ = true;
  WriteUtf8(why);
  engine_.Halt();
  engine_.Unload();
  emit finished(kHeadlessDone);
}

void HeadlessServer::Fail(const std::string& reason) {
  if (ended_) return;
  ended_ = true;
  err_ << "PKServer stops: " << reason << "." << std::endl;
  engine_.Unload();
  emit finished(kHeadlessFailed);
}

namespace {

// The Commish's commands typed on standard input, one a line (lines are cut
// at kLongestCommand bytes); nothing where standard input is closed or is
// no terminal or pipe the event loop can watch.
class ConsoleCommands {
 public:
  explicit ConsoleCommands(HeadlessServer& server) : server_(server) {
#ifdef Q_OS_UNIX
    notifier_ = std::make_unique<QSocketNotifier>(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, &server_, [this] { ReadSome(); });
#endif
  }

 private:
  static constexpr std::size_t kLongestCommand = 1024;

  void ReadSome() {
#ifdef Q_OS_UNIX
    char bytes[512];
    const ssize_t n = ::read(STDIN_FILENO, bytes, sizeof bytes);
    if (n <= 0) {
      notifier_->setEnabled(false);  // closed: nothing more will come
      return;
    }
    for (ssize_t i = 0; i < n; ++i) {
      if (bytes[i] == '\n') {
        server_.Command(line_);
        line_.clear();
      } else if (line_.size() < kLongestCommand) {
        line_ += bytes[i];
      }
    }
#endif
  }

  HeadlessServer& server_;
  std::string line_;
#ifdef Q_OS_UNIX
  std::unique_ptr<QSocketNotifier> notifier_;
#endif
};

}  // namespace

int RunHeadless(int argc, char** argv) {
  // From the start: a stop asked for during the league load ends the server
  // as soon as its loop runs.
  WatchStopSignals();
  WatchPauseSignals();
  QCoreApplication app(argc, argv);
  QCoreApplication::setApplicationName(u"PKServer"_s);
  HeadlessOptions options;
  std::string error;
  if (!ParseHeadlessOptions(QCoreApplication::arguments(), &options, &error)) {
    std::cerr << "PKServer: " << error << "\n" << kHeadlessUsage;
    return kHeadlessBadArguments;
  }
  TimerTicker ticker;
  DraftServer engine;
  engine.SetTicker(&ticker);
  HeadlessServer server(engine, std::cout, std::cerr);
  // Queued: a draft that is complete at once ends the loop as soon as it runs.
  QObject::connect(&server, &HeadlessServer::finished, &app, &QCoreApplication::exit, Qt::QueuedConnection);
  const int started = server.Start(options);
  if (started != kHeadlessDone) return started;

  QTimer stopWatch;
  QObject::connect(&stopWatch, &QTimer::timeout, &server, [&server] {
    if (StopRequested()) server.Stop("Stopped; every recorded pick is in the draft file.");
    switch (TakePauseRequest()) {
      case PauseRequest::Pause: server.Command("pause"); break;
      case PauseRequest::Resume: server.Command("resume"); break;
      case PauseRequest::None: break;
    }
  });
  stopWatch.start(200);
  ConsoleCommands console(server);
  return QCoreApplication::exec();
}

}  // namespace pm::server
