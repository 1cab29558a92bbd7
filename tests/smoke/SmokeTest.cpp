// The real PKServer and PKClient programs start, show their main window with
// its caption and end cleanly. PICKMILL_SMOKE=1 makes each program print
// "caption: <title>" once its main window is shown and quit with status 0
// (1 when the window is not visible).
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

namespace {

struct ProgramRun {
  bool finished = false;
  QProcess::ExitStatus status = QProcess::CrashExit;
  int code = -1;
  QString out;
  QString err;
};

ProgramRun RunProgram(const QString& path, const QStringList& arguments = {}) {
  QTemporaryDir dir;  // the programs may write files (error file) in their folder only
  QProcess p;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  env.insert(QStringLiteral("PICKMILL_SMOKE"), QStringLiteral("1"));
  // What PKClient remembers goes to the run's folder, never the user's.
  env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
  p.setProcessEnvironment(env);
  p.setWorkingDirectory(dir.path());
  p.start(path, arguments);
  ProgramRun r;
  if (!p.waitForStarted(10000)) return r;
  r.finished = p.waitForFinished(20000);
  if (!r.finished) {
    p.kill();
    p.waitForFinished(2000);
  }
  r.status = p.exitStatus();
  r.code = p.exitCode();
  r.out = QString::fromLocal8Bit(p.readAllStandardOutput());
  r.err = QString::fromLocal8Bit(p.readAllStandardError());
  return r;
}

TEST(Smoke, ServerShowsItsWindowDownAndExitsCleanly) {
  ProgramRun r = RunProgram(QStringLiteral(PKSERVER_PATH));
  ASSERT_TRUE(r.finished) << r.err.toStdString();
  EXPECT_EQ(r.status, QProcess::NormalExit);
  EXPECT_EQ(r.code, 0) << r.err.toStdString();
  EXPECT_EQ(r.out.trimmed().toStdString(), "caption: Pickmill - Server - 3.03 - Server Down");
}

TEST(Smoke, ClientShowsItsWindowNotConnectedAndExitsCleanly) {
  ProgramRun r = RunProgram(QStringLiteral(PKCLIENT_PATH));
  ASSERT_TRUE(r.finished) << r.err.toStdString();
  EXPECT_EQ(r.status, QProcess::NormalExit);
  EXPECT_EQ(r.code, 0) << r.err.toStdString();
  EXPECT_EQ(r.out.trimmed().toStdString(), "caption: Pickmill - Client - 3.03");
}

// Both programs answer --version and --help without opening a window.
TEST(Smoke, ProgramsAnswerVersionAndHelp) {
  for (const auto& [path, name] :
       {std::pair{QStringLiteral(PKSERVER_PATH), "PKServer"}, std::pair{QStringLiteral(PKCLIENT_PATH), "PKClient"}}) {
    ProgramRun version = RunProgram(path, {QStringLiteral("--version")});
    ASSERT_TRUE(version.finished) << name;
    EXPECT_EQ(version.code, 0) << name;
    EXPECT_EQ(version.out.toStdString(), std::string(name) + " 3.03\n");
    ProgramRun help = RunProgram(path, {QStringLiteral("--help")});
    EXPECT_EQ(help.code, 0) << name;
    EXPECT_TRUE(help.out.startsWith(QStringLiteral("usage: ") + QLatin1StringView(name))) << name;
  }
}

}  // namespace
