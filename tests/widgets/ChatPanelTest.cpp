// The chat panel both chat windows share, typed into as a person would.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>

#include <string>
#include <utility>
#include <vector>

#include "widgets/ChatPanel.h"

using namespace Qt::StringLiterals;

namespace pm::widgets {
namespace {

struct ChatWindow {
  ChatPanel panel{{u"Frame1"_s, u"ChatTo"_s, u"Label1"_s}};
  std::vector<std::pair<int, std::string>> sent;
  bool listEnabledWhileSending = true;
  bool done = true;

  ChatWindow() {
    panel.SetSend([this](int to, const std::string& text) {
      listEnabledWhileSending = panel.Recipients()->isEnabled();
      sent.emplace_back(to, text);
      return done;
    });
    panel.SetRecipients({{u"All Members"_s, ChatPanel::kEveryone}, {u"Commish"_s, 0}});
    panel.show();
  }
};

// The line goes to the recipient shown, by its number: a team whose name
// begins like "All Members" is that team, not everyone.
TEST(ChatPanelTest, EnterSendsTheLineToTheRecipientShown) {
  ChatWindow w;
  EXPECT_EQ(w.panel.Line()->objectName(), u"ChatSend"_s);
  EXPECT_FALSE(w.panel.Recipients()->isEditable());
  EXPECT_EQ(w.panel.Recipients()->currentIndex(), 0);

  QTest::keyClick(w.panel.Line(), Qt::Key_Return);  // empty: nothing
  EXPECT_TRUE(w.sent.empty());

  w.panel.AddRecipient(u"Allentown B\u00e4ren"_s, 7);
  w.panel.Recipients()->setCurrentIndex(2);
  w.panel.Line()->setText(u"gr\u00fc\u00df"_s);
  QTest::keyClicks(w.panel.Line(), u" dich"_s);
  QTest::keyClick(w.panel.Line(), Qt::Key_Enter);
  ASSERT_EQ(w.sent.size(), 1u);
  EXPECT_EQ(w.sent[0].first, 7);
  EXPECT_EQ(w.sent[0].second, "gr\xfc\xdf dich");  // Latin-1
  EXPECT_FALSE(w.listEnabledWhileSending);
  EXPECT_TRUE(w.panel.Recipients()->isEnabled());
  EXPECT_TRUE(w.panel.Line()->text().isEmpty());

  // A line the window could not send stays for another try.
  w.done = false;
  QTest::keyClicks(w.panel.Line(), u"again"_s);
  QTest::keyClick(w.panel.Line(), Qt::Key_Return);
  EXPECT_EQ(w.sent.size(), 2u);
  EXPECT_EQ(w.panel.Line()->text(), u"again"_s);

  // Recipients come and go by their numbers.
  w.panel.RemoveRecipient(7);
  EXPECT_EQ(w.panel.Recipients()->count(), 2);
  w.panel.Append(u"one"_s);
  w.panel.Append(u"two"_s);
  EXPECT_EQ(w.panel.Transcript(), u"one\r\ntwo\r\n"_s);
}

TEST(ChatPanelTest, TheTranscriptPassesTheFocusToTheLine) {
  ChatWindow w;
  QApplication::setActiveWindow(&w.panel);
  ASSERT_TRUE(QTest::qWaitForWindowActive(&w.panel));
  w.panel.TranscriptBox()->setFocus();
  EXPECT_TRUE(w.panel.Line()->hasFocus());
}

}  // namespace
}  // namespace pm::widgets
