// Message boxes and confirmations, as an interface.
//
// The programs ask the user through this interface only, so that tests can
// answer for the user and read what was asked. The windowed programs install
// an implementation that shows a real message box.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace pm {

enum class PromptIcon { None, Information, Question, Warning, Critical };
enum class PromptButtons { Ok, YesNo };
enum class PromptAnswer { Ok, Yes, No };

// How the bytes of a shown text read: Latin-1, as the league's and the wire's
// texts are, or UTF-8 for a text that names a file path (ShownPath), which
// may hold any character.
enum class TextCoding { Latin1, Utf8 };

struct PromptRequest {
  std::string title;
  std::string text;
  PromptButtons buttons = PromptButtons::Ok;
  PromptIcon icon = PromptIcon::None;
  // For Yes/No: the button taken by Enter.
  PromptAnswer defaultButton = PromptAnswer::Ok;
  // Meant to stay above every other window; shown application-modal.
  bool systemModal = false;
  TextCoding coding = TextCoding::Latin1;
};

// Something a program's engine tells its user without asking anything (a
// port that cannot be opened, a lost connection, records moved aside). The
// engine emits it; a window shows it in a box, headless writes a line.
struct Notice {
  std::string title;
  std::string text;
  PromptIcon icon = PromptIcon::None;
  TextCoding coding = TextCoding::Latin1;
};

class Prompter {
 public:
  virtual ~Prompter() = default;
  // Shows the request and returns the user's answer. Ok for an OK box.
  virtual PromptAnswer Ask(const PromptRequest& request) = 0;

  // An information box with an OK button.
  void Inform(const std::string& title, const std::string& text, PromptIcon icon = PromptIcon::None,
              TextCoding coding = TextCoding::Latin1) {
    Ask({title, text, PromptButtons::Ok, icon, PromptAnswer::Ok, false, coding});
  }
  // A notice in an information box.
  void Inform(const Notice& notice) { Inform(notice.title, notice.text, notice.icon, notice.coding); }
  // A Yes/No question; true for Yes.
  bool Confirm(const std::string& title, const std::string& text, PromptIcon icon,
               PromptAnswer defaultButton = PromptAnswer::No, bool systemModal = false) {
    return Ask({title, text, PromptButtons::YesNo, icon, defaultButton, systemModal}) == PromptAnswer::Yes;
  }
};

// A prompter for tests and for programs without a screen: it records every
// request and answers Yes/No questions from a queue (No when the queue is empty,
// or the answer given by `answerer` when set).
class ScriptedPrompter : public Prompter {
 public:
  PromptAnswer Ask(const PromptRequest& request) override {
    asked.push_back(request);
    if (answerer) return answerer(request);
    if (request.buttons == PromptButtons::Ok) return PromptAnswer::Ok;
    if (answers.empty()) return PromptAnswer::No;
    PromptAnswer a = answers.front();
    answers.erase(answers.begin());
    return a;
  }
  std::vector<PromptRequest> asked;
  std::vector<PromptAnswer> answers;
  std::function<PromptAnswer(const PromptRequest&)> answerer;
};

}  // namespace pm
