// The chat input both chat windows share, typed into as a person would.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QVBoxLayout>

#include <string>
#include <utility>
#include <vector>

#include "widgets/ChatInput.h"

using namespace Qt::StringLiterals;

namespace pm::widgets {
namespace {

struct ChatWindow {
  QWidget window;
  QPlainTextEdit* transcript = new QPlainTextEdit(&window);
  ChatInput input{&window, u"ChatTo"_s};
  std::vector<std::pair<std::string, std::string>> sent;
  bool listEnabledWhileSending = true;
  bool done = true;

  ChatWindow() {
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(transcript);
    layout->addWidget(input.Line());
    layout->addWidget(input.Recipients());
    input.TakeFocusFrom(transcript);
    input.SetSend([this](const std::string& recipient, const std::string& text) {
      listEnabledWhileSending = input.Recipients()->isEnabled();
      sent.emplace_back(recipient, text);
      return done;
    });
    input.SetRecipients({u"All Members"_s, u"Commish"_s});
    window.show();
  }
};

TEST(ChatInputTest, EnterSendsTheLineToTheRecipientShown) {
  ChatWindow w;
  EXPECT_EQ(w.input.Line()->objectName(), u"ChatSend"_s);
  EXPECT_EQ(w.input.Recipients()->objectName(), u"ChatTo"_s);
  EXPECT_FALSE(w.input.Recipients()->isEditable());
  EXPECT_EQ(w.input.Recipients()->currentIndex(), 0);

  QTest::keyClick(w.input.Line(), Qt::Key_Return);  // empty: nothing
  EXPECT_TRUE(w.sent.empty());

  w.input.AddRecipient(u"B\u00e4ren"_s);
  w.input.Recipients()->setCurrentIndex(2);
  w.input.Line()->setText(u"gr\u00fc\u00df"_s);
  QTest::keyClicks(w.input.Line(), u" dich"_s);
  QTest::keyClick(w.input.Line(), Qt::Key_Enter);
  ASSERT_EQ(w.sent.size(), 1u);
  EXPECT_EQ(w.sent[0].first, "B\xe4ren");  // Latin-1
  EXPECT_EQ(w.sent[0].second, "gr\xfc\xdf dich");
  EXPECT_FALSE(w.listEnabledWhileSending);
  EXPECT_TRUE(w.input.Recipients()->isEnabled());
  EXPECT_TRUE(w.input.Line()->text().isEmpty());

  // A line the window could not send stays for another try.
  w.done = false;
  QTest::keyClicks(w.input.Line(), u"again"_s);
  QTest::keyClick(w.input.Line(), Qt::Key_Return);
  EXPECT_EQ(w.sent.size(), 2u);
  EXPECT_EQ(w.input.Line()->text(), u"again"_s);

  // A new recipient list shows its first name.
  w.input.SetRecipients({u"All Members"_s, u"Lions"_s});
  EXPECT_EQ(w.input.Recipients()->count(), 2);
  EXPECT_EQ(w.input.Recipients()->currentText(), u"All Members"_s);
}

TEST(ChatInputTest, TheTranscriptPassesTheFocusToTheLine) {
  ChatWindow w;
  QApplication::setActiveWindow(&w.window);
  ASSERT_TRUE(QTest::qWaitForWindowActive(&w.window));
  w.transcript->setFocus();
  EXPECT_TRUE(w.input.Line()->hasFocus());
}

}  // namespace
}  // namespace pm::widgets
