// Runs the built pkleague binary: a sample league written by "sample" must
// come back unchanged through "show --json".
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QString>

#include <fstream>

#include "common/Common.h"
#include "league/FBPro.h"
#include "tests/league/LeagueTestUtil.h"

using namespace pm::league;
using pm::Index;
using namespace pm::league::test;
using namespace Qt::StringLiterals;

namespace {

struct ToolRun {
  int exitCode = -1;
  std::string out, err;
};

// Runs the tool with `args` (single quotes group words, as in a shell).
ToolRun RunTool(const std::string& args) {
  ToolRun r;
  QProcess tool;
  tool.start(QString::fromUtf8(PKLEAGUE_BINARY),
             QProcess::splitCommand(QString::fromStdString(args).replace(u'\'', u'"')));
  if (!tool.waitForFinished(60000)) return r;
  r.out = tool.readAllStandardOutput().toStdString();
  r.err = tool.readAllStandardError().toStdString();
  r.exitCode = tool.exitStatus() == QProcess::NormalExit ? tool.exitCode() : -1;
  return r;
}

std::string Latin1(const QJsonValue& v) { return v.toString().toLatin1().toStdString(); }

}  // namespace

// A league in a folder whose name is not ASCII: pkleague takes the path as
// the system gives it and prints it as it is (not converted a second time),
// in "sample", "show", its refusals and "merge".
TEST(PkleagueTool, AFolderWithAnAccentedNameIsTakenAndPrintedAsItIs) {
  TempDir dir;
  const std::string folder = dir.path() + "/M\xC3\xBCller Liga";
  ToolRun made = RunTool("sample '" + folder + "' --teams 4 --college 20 --name 'Liga'");
  ASSERT_EQ(made.exitCode, 0) << made.err;
  const std::string lgeFile = made.out.substr(0, made.out.find('\n'));
  ASSERT_EQ(lgeFile, folder + "/LIGA.LGE");

  ToolRun shown = RunTool("show '" + lgeFile + "'");
  ASSERT_EQ(shown.exitCode, 0) << shown.err;
  EXPECT_NE(shown.out.find("Files:    " + folder + "/LIGA.LGE .PYR .PYC .PYF\n"), std::string::npos) << shown.out;

  {
    std::ofstream bad(folder + "/BAD.LGE", std::ios::binary);
    bad << "L09:" << std::string(80, '\0');
  }
  ToolRun refused = RunTool("show '" + folder + "/BAD.LGE'");
  EXPECT_EQ(refused.exitCode, 1);
  EXPECT_EQ(refused.err, "Unable to determine version of the " + folder + "/BAD league file. Select another league.\n");

  ToolRun merged = RunTool("merge --stage no-change '" + lgeFile + "'");
  ASSERT_EQ(merged.exitCode, 0) << merged.err;
  EXPECT_EQ(merged.out.rfind("Draft file: " + folder + "/Liga-DRAFT.TXT (0 picks)\n", 0), 0u) << merged.out;
  EXPECT_NE(merged.out.find("Backup of the league files: " + folder + "/Liga-BACKUP-"), std::string::npos);
}

TEST(PkleagueTool, SampleThenShowRoundTripsA32TeamLeague) {
  TempDir dir;
  ToolRun made = RunTool("sample '" + dir.path() +
                         "/lg' --teams 32 --college 400 --free-agents 200 --seed 9 "
                         "--name 'Round Trip League' --version 98");
  ASSERT_EQ(made.exitCode, 0) << made.err;
  std::string lgeFile = made.out.substr(0, made.out.find('\n'));
  ASSERT_EQ(lgeFile, dir.path() + "/lg/ROUNDTRI.LGE");

  ToolRun shown = RunTool("show --json --free-agents --rosters '" + lgeFile + "'");
  ASSERT_EQ(shown.exitCode, 0) << shown.err;
  EXPECT_EQ(shown.err, "");
  QJsonParseError parseError;
  QJsonObject o = QJsonDocument::fromJson(QByteArray::fromStdString(shown.out), &parseError).object();
  ASSERT_EQ(parseError.error, QJsonParseError::NoError) << parseError.errorString().toStdString();

  const std::string lp = LeaguePathOf(lgeFile);
  EXPECT_EQ(o["version"_L1].toInt(), 98);
  EXPECT_EQ(Latin1(o["name"_L1]), "Round Trip League");
  EXPECT_EQ(o["stage"_L1].toInt(), 0);
  TeamList teams = GetTeams(lp);
  QJsonArray jt = o["teams"_L1].toArray();
  ASSERT_EQ(jt.size(), 32);
  for (int i = 1; i <= 32; ++i) {
    EXPECT_EQ(jt[i - 1].toObject()["index"_L1].toInt(), i);
    EXPECT_EQ(Latin1(jt[i - 1].toObject()["name"_L1]), teams.names[Index(i)]);
  }

  DrafteePool pool = LoadPool(lp, 98, true);
  EXPECT_EQ(o["collegeCount"_L1].toInt(), 400);
  EXPECT_EQ(o["drafteeCount"_L1].toInt(), 600);
  QJsonArray jd = o["draftees"_L1].toArray();
  ASSERT_EQ(jd.size(), 600);
  bool sawAccent = false;
  for (int i = 1; i <= 600; ++i) {
    QJsonObject d = jd[i - 1].toObject();
    const Player& p = pool.draftees[Index(i)].player;
    ASSERT_EQ(d["pid"_L1].toInt(), p.pid) << i;
    EXPECT_EQ(Latin1(d["fname"_L1]), p.fname);
    EXPECT_EQ(Latin1(d["lname"_L1]), p.lname);
    sawAccent |= (p.fname + p.lname).find_first_of("\xE9\xFC\xF1") != std::string::npos;
    EXPECT_EQ(d["position"_L1].toInt(), p.position);
    EXPECT_EQ(d["genpos"_L1].toInt(), p.genpos);
    EXPECT_EQ(d["AC"_L1].toInt(), p.AC);
    EXPECT_EQ(d["IN"_L1].toInt(), p.INN);
    EXPECT_EQ(d["YR"_L1].toInt(), p.YR);
    EXPECT_EQ(d["source"_L1].toString(), i <= 400 ? u"college"_s : u"free agent"_s);
  }
  EXPECT_TRUE(sawAccent);

  QJsonArray jr = o["rosters"_L1].toArray();
  ASSERT_EQ(jr.size(), 32);
  for (int t = 1; t <= 32; ++t) {
    QJsonObject r = jr[t - 1].toObject();
    EXPECT_EQ(r["team"_L1].toInt(), t);
    TeamRosterRead read = GetTeamRoster(lp, t, 98);
    QJsonArray places = r["places"_L1].toArray();
    ASSERT_EQ(places.size(), 63);
    for (int k = 1; k <= 63; ++k) {
      QJsonObject pl = places[k - 1].toObject();
      int pid = read.block[Index(2 * k - 2)] + 256 * read.block[Index(2 * k - 1)];
      EXPECT_EQ(pl["place"_L1].toInt(), k);
      EXPECT_EQ(pl["pid"_L1].toInt(), pid >= 100 ? pid : 0);
      EXPECT_EQ(pl["jersey"_L1].toInt(), read.block[Index(125 + k)]);
    }
  }

  // Without --free-agents and --rosters.
  ToolRun plain = RunTool("show --json '" + lgeFile + "'");
  QJsonObject po = QJsonDocument::fromJson(QByteArray::fromStdString(plain.out)).object();
  EXPECT_EQ(po["drafteeCount"_L1].toInt(), 400);
  EXPECT_FALSE(po.contains(u"rosters"_s));
}

TEST(PkleagueTool, RejectedAndEmptyLeagues) {
  TempDir dir;
  WriteFile(dir / "V0.LGE", LeagueChunk('7', "Odd"));
  ToolRun r = RunTool("show '" + (dir / "V0.LGE") + "'");
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err, "Unable to determine version of the " + (dir / "V0") + " league file. Select another league.\n");

  WriteFile(dir / "NT.LGE", LeagueChunk('3', "No Teams"));
  r = RunTool("show --json '" + (dir / "NT.LGE") + "'");
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err, "No teams found in league file.\n");

  WriteFile(dir / "EP.LGE", LeagueChunk('3', "Empty \"Pool\"") + TeamChunk(1, 1, "Only Team"));
  r = RunTool("show --json --free-agents '" + (dir / "EP.LGE") + "'");
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.err, "No players found in the league files.\n");
  QJsonObject o = QJsonDocument::fromJson(QByteArray::fromStdString(r.out)).object();
  EXPECT_EQ(o["name"_L1].toString(), u"Empty \"Pool\""_s);
  EXPECT_EQ(o["drafteeCount"_L1].toInt(), 0);
  EXPECT_EQ(o["draftees"_L1].toArray().size(), 0);

  r = RunTool("show '" + (dir / "MISSING.LGE") + "'");
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_NE(r.err.find("GetVersion"), std::string::npos);
  EXPECT_EQ(RunTool("sample").exitCode, 2);
  EXPECT_EQ(RunTool("sample x --teams 40").exitCode, 2);
  EXPECT_EQ(RunTool("frobnicate").exitCode, 2);
}

// "order" writes trades, times and direction into the order file, keeps what
// the file holds on the next run, and refuses an unknown team, a pick outside
// the order and a bad number without writing anything.
TEST(PkleagueTool, OrderWritesTradesAndRefusesBadOnes) {
  TempDir dir;
  ToolRun made = RunTool("sample '" + dir.path() + "' --teams 4 --college 20 --name 'Order League'");
  ASSERT_EQ(made.exitCode, 0) << made.err;
  const std::string lge = made.out.substr(0, made.out.find('\n'));
  const TeamList teams = GetTeams(LeaguePathOf(lge));
  auto name = [&](int t) { return teams.names[Index(t)]; };
  const std::string file = dir / "Order League-ORDER.TXT";
  auto saved = [&] {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  };

  ToolRun r = RunTool("order '" + lge + "' --snake --rounds 3 --trade '3-2=" + pm::UpperLatin1(name(4)) +
                      "' --trade 1-1=2 --round-time 1-2=120");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const std::string expected = "Rounds: 3\r\nOrder: Snake\r\nTime in rounds 1-2: 120\r\n" + name(1) + "\r\n" + name(2) +
                               "\r\n" + name(3) + "\r\n" + name(4) + "\r\n1-1: " + name(2) + "\r\n3-2: " + name(4) +
                               "\r\n";
  EXPECT_EQ(saved(), expected);
  EXPECT_NE(r.out.find("3-2: " + pm::Latin1ToUtf8(name(4)) + "\n"), std::string::npos) << r.out;

  for (const auto& [args, problem] : std::vector<std::pair<std::string, std::string>>{
           {"--trade 4-1=1", "4-1 is no pick of the order (rounds 1-3, selections 1-4)"},
           {"--trade '1-2=Nobody FC'", "no team of the league is named \"Nobody FC\""},
           {"--trade 1-2", "no team of the league is named \"\""},
           {"--time 0", "the time must be seconds from 1 to"},
           {"--rounds 3 --round-time 2-4=60", "the rounds must lie in 1-3"}}) {
    r = RunTool("order '" + lge + "' " + args);
    EXPECT_EQ(r.exitCode, 1) << args;
    EXPECT_NE(r.err.find(problem), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("nothing was written"), std::string::npos) << r.err;
  }
  EXPECT_EQ(saved(), expected);

  // The order's own team takes a trade back; the rest stays.
  r = RunTool("order '" + lge + "' --trade 1-1=1");
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(saved(), expected.substr(0, expected.find("1-1: ")) + "3-2: " + name(4) + "\r\n");
}

TEST(PkleagueTool, UsageNamesEveryCommandAndHelpAndVersionAnswer) {
  ToolRun bare = RunTool("");
  EXPECT_EQ(bare.exitCode, 2);
  for (const char* command : {"pkleague show", "pkleague sample", "pkleague merge", "pkleague order"})
    EXPECT_NE(bare.err.find(command), std::string::npos) << command;
  ToolRun help = RunTool("--help");
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_NE(help.out.find("pkleague merge --stage"), std::string::npos);
  ToolRun version = RunTool("--version");
  EXPECT_EQ(version.exitCode, 0);
  EXPECT_EQ(version.out, "pkleague 3.03\n");
}
