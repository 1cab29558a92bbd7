// Draft Control's "Web board on port" box: off until ticked, serving on the
// port shown when ticked, telling the chat the address (or why not), and
// remembered for the next run.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QSettings>
#include <QSpinBox>
#include <QTcpServer>
#include <QTemporaryDir>

#include "server/ui/DraftControl.h"
#include "tests/server_web/WebTestKit.h"

using namespace pm;
using namespace pm::test;
using namespace Qt::StringLiterals;

namespace {

quint16 FreePort() {
  QTcpServer probe;
  probe.listen(QHostAddress::LocalHost, 0);
  return probe.serverPort();
}

TEST(WebBoardBox, OffUntilTickedThenServesSaysWhereAndIsRemembered) {
  WebDraft draft("box");
  ASSERT_TRUE(draft.loaded && draft.serving);
  ScriptedPrompter prompter;
  QTemporaryDir dir;
  QSettings settings(dir.filePath(u"settings.ini"_s), QSettings::IniFormat);
  QStringList notes;
  auto control = std::make_unique<server::DraftControl>(draft.engine, prompter);
  QObject::connect(control.get(), &server::DraftControl::chatNote, [&](const QString& l) { notes << l; });
  control->SetSettings(&settings);
  control->Load();
  ASSERT_NE(control->WebBoardBox(), nullptr);
  EXPECT_FALSE(control->WebBoardBox()->isChecked());
  EXPECT_FALSE(control->WebBoard()->Serving());

  // A port in use: the box is cleared and the chat says why.
  control->WebPortBox()->setValue(draft.Port());
  control->WebBoardBox()->click();
  EXPECT_FALSE(control->WebBoardBox()->isChecked());
  ASSERT_EQ(notes.size(), 1);
  EXPECT_TRUE(notes.back().contains(u"cannot use port"_s)) << notes.back().toStdString();

  const quint16 port = FreePort();
  control->WebPortBox()->setValue(port);
  control->WebBoardBox()->click();
  EXPECT_TRUE(control->WebBoard()->Serving());
  EXPECT_TRUE(notes.back().contains(u"http://"_s) && notes.back().contains(u":%1/"_s.arg(port)))
      << notes.back().toStdString();
  EXPECT_EQ(HttpGet(port, "/board.json").status, 200);
  EXPECT_EQ(settings.value(u"draftControl/webPort"_s).toInt(), port);

  // The next run's window serves again at its load.
  control.reset();
  auto next = std::make_unique<server::DraftControl>(draft.engine, prompter);
  next->SetSettings(&settings);
  next->Load();
  EXPECT_TRUE(next->WebBoardBox()->isChecked());
  EXPECT_EQ(next->WebBoard()->Port(), port);
  next->WebBoardBox()->click();
  EXPECT_FALSE(next->WebBoard()->Serving());
  EXPECT_FALSE(settings.value(u"draftControl/webBoard"_s).toBool());
}

}  // namespace
