// Runs the built pkleague binary: a sample league written by "sample" must
// come back unchanged through "show --json".
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>
#include <cstdio>
#include <sys/wait.h>

#include "FBPro.h"
#include "LeagueTestUtil.h"

using namespace pm::fbpro;
using namespace pm::fbpro::test;

namespace {

struct ToolRun {
  int exitCode = -1;
  std::string out, err;
};

ToolRun RunTool(const TempDir& dir, const std::string& args) {
  ToolRun r;
  std::string errFile = dir / "stderr.txt";
  std::string command = std::string("'") + PKLEAGUE_BINARY + "' " + args + " 2>'" + errFile + "'";
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return r;
  char buf[65536];
  std::size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, pipe)) > 0) r.out.append(buf, n);
  int status = ::pclose(pipe);
  r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  r.err = ReadFile(errFile);
  return r;
}

std::string Latin1(const QJsonValue& v) { return v.toString().toLatin1().toStdString(); }

}  // namespace

TEST(PkleagueTool, SampleThenShowRoundTripsA32TeamLeague) {
  TempDir dir;
  ToolRun made = RunTool(dir, "sample '" + dir.path() + "/lg' --teams 32 --college 400 --free-agents 200 --seed 9 "
                          "--name 'Round Trip League' --version 98");
  ASSERT_EQ(made.exitCode, 0) << made.err;
  std::string lgeFile = made.out.substr(0, made.out.find('\n'));
  ASSERT_EQ(lgeFile, dir.path() + "/lg/ROUNDTRI.LGE");

  ToolRun shown = RunTool(dir, "show --json --free-agents --rosters '" + lgeFile + "'");
  ASSERT_EQ(shown.exitCode, 0) << shown.err;
  EXPECT_EQ(shown.err, "");
  QJsonParseError parseError;
  QJsonObject o = QJsonDocument::fromJson(QByteArray::fromStdString(shown.out), &parseError).object();
  ASSERT_EQ(parseError.error, QJsonParseError::NoError) << parseError.errorString().toStdString();

  const std::string lp = LeaguePathOf(lgeFile);
  EXPECT_EQ(o["version"].toInt(), 98);
  EXPECT_EQ(Latin1(o["name"]), "Round Trip League");
  EXPECT_EQ(o["stage"].toInt(), 0);
  TeamList teams = GetTeams(lp);
  QJsonArray jt = o["teams"].toArray();
  ASSERT_EQ(jt.size(), 32);
  for (int i = 1; i <= 32; ++i) {
    EXPECT_EQ(jt[i - 1].toObject()["index"].toInt(), i);
    EXPECT_EQ(Latin1(jt[i - 1].toObject()["name"]), teams.names[i]);
  }

  DrafteePool pool = LoadPool(lp, 98, true);
  EXPECT_EQ(o["collegeCount"].toInt(), 400);
  EXPECT_EQ(o["drafteeCount"].toInt(), 600);
  QJsonArray jd = o["draftees"].toArray();
  ASSERT_EQ(jd.size(), 600);
  bool sawAccent = false;
  for (int i = 1; i <= 600; ++i) {
    QJsonObject d = jd[i - 1].toObject();
    const Player& p = pool.draftees[i].player;
    ASSERT_EQ(d["pid"].toInt(), p.pid) << i;
    EXPECT_EQ(Latin1(d["fname"]), p.fname);
    EXPECT_EQ(Latin1(d["lname"]), p.lname);
    sawAccent |= (p.fname + p.lname).find_first_of("\xE9\xFC\xF1") != std::string::npos;
    EXPECT_EQ(d["position"].toInt(), p.position);
    EXPECT_EQ(d["genpos"].toInt(), p.genpos);
    EXPECT_EQ(d["AC"].toInt(), p.AC);
    EXPECT_EQ(d["IN"].toInt(), p.INN);
    EXPECT_EQ(d["YR"].toInt(), p.YR);
    EXPECT_EQ(d["source"].toString(), i <= 400 ? "college" : "free agent");
  }
  EXPECT_TRUE(sawAccent);

  QJsonArray jr = o["rosters"].toArray();
  ASSERT_EQ(jr.size(), 32);
  for (int t = 1; t <= 32; ++t) {
    QJsonObject r = jr[t - 1].toObject();
    EXPECT_EQ(r["team"].toInt(), t);
    TeamRosterRead read = GetTeamRoster(lp, t, 98);
    QJsonArray places = r["places"].toArray();
    ASSERT_EQ(places.size(), 63);
    for (int k = 1; k <= 63; ++k) {
      QJsonObject pl = places[k - 1].toObject();
      int pid = read.block[2 * k - 2] + 256 * read.block[2 * k - 1];
      EXPECT_EQ(pl["place"].toInt(), k);
      EXPECT_EQ(pl["pid"].toInt(), pid >= 100 ? pid : 0);
      EXPECT_EQ(pl["jersey"].toInt(), read.block[125 + k]);
    }
  }

  // Without --free-agents and --rosters.
  ToolRun plain = RunTool(dir, "show --json '" + lgeFile + "'");
  QJsonObject po = QJsonDocument::fromJson(QByteArray::fromStdString(plain.out)).object();
  EXPECT_EQ(po["drafteeCount"].toInt(), 400);
  EXPECT_FALSE(po.contains("rosters"));
}

TEST(PkleagueTool, RejectedAndEmptyLeagues) {
  TempDir dir;
  WriteFile(dir / "V0.LGE", LeagueChunk('7', "Odd"));
  ToolRun r = RunTool(dir, "show '" + (dir / "V0.LGE") + "'");
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err, "Unable to determine version of the " + (dir / "V0") + " league file. Select another league.\n");

  WriteFile(dir / "NT.LGE", LeagueChunk('3', "No Teams"));
  r = RunTool(dir, "show --json '" + (dir / "NT.LGE") + "'");
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err, "No teams found in league file.\n");

  WriteFile(dir / "EP.LGE", LeagueChunk('3', "Empty \"Pool\"") + TeamChunk(1, 1, "Only Team"));
  r = RunTool(dir, "show --json --free-agents '" + (dir / "EP.LGE") + "'");
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.err, "No players found in the league files.\n");
  QJsonObject o = QJsonDocument::fromJson(QByteArray::fromStdString(r.out)).object();
  EXPECT_EQ(o["name"].toString(), "Empty \"Pool\"");
  EXPECT_EQ(o["drafteeCount"].toInt(), 0);
  EXPECT_EQ(o["draftees"].toArray().size(), 0);

  r = RunTool(dir, "show '" + (dir / "MISSING.LGE") + "'");
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_NE(r.err.find("GetVersion"), std::string::npos);
  EXPECT_EQ(RunTool(dir, "sample").exitCode, 2);
  EXPECT_EQ(RunTool(dir, "sample x --teams 40").exitCode, 2);
  EXPECT_EQ(RunTool(dir, "frobnicate").exitCode, 2);
}
