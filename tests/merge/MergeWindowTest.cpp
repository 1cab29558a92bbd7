// The Merge window: its controls, the stage preselected on load, the status
// line, and a merge run from the "&Merge" button.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <filesystem>
#include <optional>

#include "common/Common.h"
#include "common/ErrorReport.h"
#include "common/Files.h"
#include "common/Prompt.h"
#include "league/FBPro.h"
#include "league/Sample.h"
#include "server/ui/MergeWindow.h"
#include "widgets/Widgets.h"

using namespace Qt::StringLiterals;

namespace fs = std::filesystem;
using namespace pm;
using namespace pm::merge;
using namespace pm::server;

namespace {

struct Fixture {
  fs::path dir;
  std::string leaguePath;
  league::VersionInfo version;
  league::TeamList teams;
  ScriptedPrompter prompter;
  ErrorReporter reporter;
  std::vector<draft::Pick> picks;
  std::optional<std::vector<draft::Pick>> keptSeen;  // set when the merge hands its picks back
  std::vector<bool> enabledCalls;
  int reopened = 0;

  explicit Fixture(const std::string& name) {
    dir = fs::temp_directory_path() / ("pkmerge-ui-" + name + "-" + std::to_string(QCoreApplication::applicationPid()));
    fs::remove_all(dir);
    league::SampleOptions o;
    o.name = "Window League";
    o.teams = 4;
    o.college = 40;
    o.freeAgents = 10;
    leaguePath = league::WriteSampleLeague(dir.string(), o);
    version = league::GetVersion(leaguePath);
    teams = league::GetTeams(leaguePath);
    reporter.endProgram = [] {};
    reporter.showMessage = [](const std::string&) {};
    reporter.errorFilePath = (dir / kErrorFileName).string();
  }
  ~Fixture() { fs::remove_all(dir); }

  std::string DraftFile() const { return (dir / (version.name + "-DRAFT.TXT")).string(); }

  MergeContext Context() {
    MergeContext c;
    c.leaguePath = leaguePath;
    c.version = version.version;
    c.leagueName = version.name;
    c.draftFile = DraftFile();
    c.picks = [this] { return picks; };
    c.teams = [this] {
      std::vector<std::string> t;
      for (int i = 1; i <= teams.teamCount; ++i) t.push_back(teams.names[static_cast<std::size_t>(i)]);
      return t;
    };
    c.reporter = &reporter;
    c.prompter = &prompter;
    c.picksKept = [this](const std::vector<draft::Pick>& kept) { keptSeen = kept; };
    c.setOtherWindowsEnabled = [this](bool on) { enabledCalls.push_back(on); };
    c.reopenDraftControl = [this] { ++reopened; };
    return c;
  }

  void SetStage(int stage) {
    league::IdList fa{0}, rookies{0};
    league::SetLeagueStage(leaguePath, fa, rookies, stage);
  }
};

template <typename T>
T* Child(QWidget& w, const char* name) {
  T* c = w.findChild<T*>(QString::fromLatin1(name));
  EXPECT_NE(c, nullptr) << name;
  return c;
}

TEST(MergeWindow, ControlsAndPreselectionFromTheLeagueStage) {
  Fixture f("preselect");
  struct Case {
    int stage;
    const char* option;
  };
  for (Case c :
       {Case{0, "Option1_1"}, Case{2, "Option1_3"}, Case{3, "Option1_3"}, Case{5, "Option1_5"}, Case{9, "Option1_0"}}) {
    if (c.stage != 0) f.SetStage(c.stage);
    MergeWindow w(f.Context());
    EXPECT_EQ(w.objectName(), u"Merge"_s);
    EXPECT_EQ(w.windowTitle(), u"Merge"_s);
    EXPECT_EQ(Child<QPushButton>(w, "Command1")->text(), u"&Merge"_s);
    EXPECT_EQ(Child<QRadioButton>(w, "Option1_0")->text(), u"&No Change"_s);
    EXPECT_EQ(Child<QRadioButton>(w, "Option1_1")->text(), u"&Start College Draft"_s);
    EXPECT_EQ(Child<QRadioButton>(w, "Option1_3")->text(), u"S&upplemental Start"_s);
    EXPECT_EQ(Child<QRadioButton>(w, "Option1_5")->text(), u"Start &Training Camp"_s);
    EXPECT_TRUE(Child<QRadioButton>(w, c.option)->isChecked()) << "stage " << c.stage;
    EXPECT_EQ(w.LoadedStage(), c.stage);
  }
  // Loading disabled the other windows; closing enabled them again.
  ASSERT_FALSE(f.enabledCalls.empty());
  EXPECT_FALSE(f.enabledCalls[0]);
  EXPECT_TRUE(f.enabledCalls[1]);
}

TEST(MergeWindow, UpdateCentresTheStatusAndMovesTheBar) {
  Fixture f("update");
  MergeWindow w(f.Context());
  auto* label = Child<QLabel>(w, "Label1");
  auto* bar = Child<QProgressBar>(w, "Guage");
  w.Update("Merge Complete", 0, 0, 1);
  EXPECT_EQ(label->text(), QString(9, u' ') + u"Merge Complete"_s);
  EXPECT_EQ(bar->value(), 100);
  w.Update("Building team data...", 0, 0, 2);
  EXPECT_EQ(label->text(), QString(6, u' ') + u"Building team data..."_s);
  EXPECT_EQ(bar->value(), 0);
  w.Update("Building x...", 100, 3, 0);
  EXPECT_EQ(bar->value(), 33);
}

TEST(MergeWindow, MergeButtonMergesAndClosesWithTheClosingMessage) {
  Fixture f("run");
  auto rookies = league::ReadCollegeList(f.leaguePath);
  f.picks = {draft::Pick{
      rookies[1],
      f.teams.names[2],
      "A B",
      league::PositionCaption(league::PlayerFile(f.leaguePath, f.version.version, "t").Read(rookies[1])->position),
      {1, 1}}};
  MergeWindow w(f.Context());
  w.SelectStage(StageChoice::TrainingCamp);
  w.show();
  Child<QPushButton>(w, "Command1")->click();
  ASSERT_TRUE(w.LastResult().ok) << w.LastResult().failure;
  ASSERT_EQ(f.prompter.asked.size(), 1u);
  EXPECT_EQ(f.prompter.asked[0].title, "Info");
  EXPECT_EQ(f.prompter.asked[0].text,
            "All players were merged successfully.\r\n\r\nRun FBPro later to ensure files are in good working order.");
  ASSERT_TRUE(f.keptSeen.has_value());
  EXPECT_TRUE(f.keptSeen->empty());
  EXPECT_EQ(f.reopened, 1);
  EXPECT_FALSE(w.isVisible());
  EXPECT_EQ(w.result(), QDialog::Accepted);
  EXPECT_EQ(f.enabledCalls, (std::vector<bool>{false, true}));
  EXPECT_EQ(league::GetLeagueStage(f.leaguePath), 7);
  // The status label tells where the backup is.
  EXPECT_TRUE(Child<QLabel>(w, "Label1")
                  ->text()
                  .contains(u"Backup: "_s + QString::fromStdString(w.LastResult().backupFolder.string())));
  EXPECT_TRUE(fs::exists(w.LastResult().backupFolder / "BACKUP.TXT"));
}

TEST(MergeWindow, FailedWriteIsReportedAndTheLeagueRestored) {
  Fixture f("fail");
  auto rookies = league::ReadCollegeList(f.leaguePath);
  f.picks = {draft::Pick{rookies[1], f.teams.names[2], "A B", "QB", {1, 1}}};
  const auto lge = ReadWholeFile(league::LeagueFileName(f.leaguePath, ".LGE"));
  MergeContext c = f.Context();
  c.options.beforeWrite = [](int, const std::string& what) {
    return what == "stage" ? std::string("disk full") : std::string();
  };
  MergeWindow w(std::move(c));
  w.SelectStage(StageChoice::CollegeDraft);
  w.show();
  Child<QPushButton>(w, "Command1")->click();
  EXPECT_FALSE(w.LastResult().ok);
  EXPECT_EQ(f.reporter.reports, 1);
  EXPECT_TRUE(f.prompter.asked.empty());
  EXPECT_FALSE(f.keptSeen.has_value());
  EXPECT_EQ(ReadWholeFile(league::LeagueFileName(f.leaguePath, ".LGE")), lge);
  EXPECT_TRUE(w.isVisible());
  EXPECT_TRUE(Child<QPushButton>(w, "Command1")->isEnabled());
  auto line = ReadWholeFile(f.dir / kErrorFileName).value_or("");
  EXPECT_NE(line.find("SetLeagueStage"), std::string::npos) << line;
}

// In a league folder whose name is not ASCII the window names the paths as
// they are: the closing message (UTF-8) and the backup line. A merge found
// interrupted when the window opens is put back, and the Commish told, before
// the window reads the lists.
TEST(MergeWindow, PathsBeyondAsciiAndAnInterruptedMergeFoundOnOpening) {
  Fixture f("M\xC3\xBCller Liga");
  const QString folder = QString::fromUtf8(f.dir.string());
  ASSERT_TRUE(folder.contains(u"Müller Liga"_s));
  auto rookies = league::ReadCollegeList(f.leaguePath);
  const std::string position =
      league::PositionCaption(league::PlayerFile(f.leaguePath, f.version.version, "t").Read(rookies[1])->position);
  f.picks = {draft::Pick{rookies[1], f.teams.names[2], "A B", position, {1, 1}},
             draft::Pick{rookies[2], "Nobody", "C D", position, {1, 2}}};
  ASSERT_EQ(WriteFileAtomic(f.DraftFile(), draft::DraftFileText(f.picks)), "");
  const auto lge = ReadWholeFile(league::LeagueFileName(f.leaguePath, ".LGE"));
  const auto pyc = ReadWholeFile(league::LeagueFileName(f.leaguePath, ".PYC"));
  {
    // A merge killed after writing the rosters.
    MergeInput in;
    in.leaguePath = f.leaguePath;
    in.version = f.version.version;
    in.leagueName = f.version.name;
    in.draftFile = f.DraftFile();
    in.picks = f.picks;
    in.teams = f.Context().teams();
    in.rookies = rookies;
    in.faList = league::ReadFAList(f.leaguePath);
    MergeOptions killed;
    killed.restoreOnFailure = false;
    killed.beforeWrite = [](int, const std::string& what) { return what == "college list" ? "killed" : std::string(); };
    ASSERT_FALSE(merge::RunMerge(in, killed).ok);
    ASSERT_NE(ReadWholeFile(league::LeagueFileName(f.leaguePath, ".LGE")), lge);
  }

  MergeWindow w(f.Context());
  ASSERT_EQ(f.prompter.asked.size(), 1u);
  EXPECT_EQ(f.prompter.asked[0].title, "Info");
  EXPECT_EQ(f.prompter.asked[0].coding, TextCoding::Utf8);
  const QString told = widgets::Shown(f.prompter.asked[0].text, f.prompter.asked[0].coding);
  EXPECT_TRUE(told.startsWith(u"A merge into the Window League league was interrupted"_s)) << told.toStdString();
  EXPECT_TRUE(told.contains(folder + u"/Window League-BACKUP-"_s)) << told.toStdString();
  EXPECT_EQ(ReadWholeFile(league::LeagueFileName(f.leaguePath, ".LGE")), lge);
  EXPECT_EQ(ReadWholeFile(league::LeagueFileName(f.leaguePath, ".PYC")), pyc);

  w.show();
  Child<QPushButton>(w, "Command1")->click();
  ASSERT_TRUE(w.LastResult().ok) << w.LastResult().failure;
  ASSERT_EQ(f.prompter.asked.size(), 2u);
  EXPECT_EQ(f.prompter.asked[1].coding, TextCoding::Utf8);
  EXPECT_EQ(widgets::Shown(f.prompter.asked[1].text, f.prompter.asked[1].coding),
            u"Some players could not be put on teams:\r\n"
            "1 player since the league has no team of their team's name.\r\n\r\n"
            "These players still exist in file "_s +
                folder + u"/Window League-DRAFT.TXT."_s);
  EXPECT_TRUE(Child<QLabel>(w, "Label1")->text().contains(u"Backup: "_s + folder + u"/Window League-BACKUP-"_s));
}

}  // namespace
