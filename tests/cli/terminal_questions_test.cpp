#include "cli/terminal_questions.h"

#include <gtest/gtest.h>

#include <sstream>

namespace vestral {
namespace {

MessageBox box(std::vector<Button> buttons, Button byDefault, const char* text = "Rewrite?",
               const char* title = "") {
  return {text, std::move(buttons), byDefault, Icon::Question, title};
}

TEST(TerminalQuestions, AnswersByTheRulesAndSaysWhatItAnswered) {
  using enum AnswerMode;
  using enum Button;
  const MessageBox yesNo = box({Yes, No}, No), okCancel = box({Ok, Cancel}, Ok);
  const MessageBox notice = box({Ok}, Ok, "No table [\xCE\xF8]\r\non line 3");  // "Ош": informs
  const struct {
    AnswerMode mode;
    bool terminal = false;
    const char* typed = "";
    MessageBox question;
    Button answer;
    const char* shown = nullptr;  // standard error (nullptr: unchecked)
  } rules[] = {
      // clang-format off
      {.mode = kYes, .terminal = true, .typed = "n\n", .question = yesNo, .answer = Yes, .shown = ""},  // --yes wins over a terminal
      {.mode = kYes, .question = box({Cancel, No}, Cancel), .answer = Cancel},  // else the default
      {.mode = kNo, .question = box({Yes, No}, Yes), .answer = No, .shown = ""},
      {.mode = kNo, .question = box({Ok, Yes}, Yes), .answer = Yes},
      // Without a terminal nobody consents, whatever the box's default.
      {.mode = kAsk, .typed = "y\n", .question = box({Yes, No}, Yes, "Exists?", "Editor"), .answer = No,
       .shown = "Editor: Exists?\nvestral: answered No: no terminal to ask (--yes or --no answers every question)\n"},
      {.mode = kAsk, .terminal = true, .typed = " N \n", .question = yesNo, .answer = No},
      {.mode = kAsk, .terminal = true, .typed = "ok\n", .question = box({Ok, Cancel}, Cancel), .answer = Ok},
      {.mode = kAsk, .terminal = true, .typed = "\n", .question = yesNo, .answer = No},  // Enter takes the default
      {.mode = kAsk, .terminal = true, .typed = "maybe\nYES\n", .question = yesNo, .answer = Yes, .shown = "Rewrite?\nyes/no [no]: yes/no [no]: "},
      {.mode = kAsk, .terminal = true, .question = okCancel, .answer = Cancel, .shown = "Rewrite?\nok/cancel [ok]: \n"},  // Ctrl+D
      {.mode = kYes, .terminal = true, .question = notice, .answer = Ok, .shown = "vestral: No table [Ош]\non line 3\n"},
      {.mode = kAsk, .terminal = true, .typed = "n\n", .question = notice, .answer = Ok, .shown = "vestral: No table [Ош]\non line 3\n"},
  };
  // clang-format on
  // The log is flushed before anything of a question or notice appears, and only then.
  for (const auto& r : rules) {
    std::istringstream in(r.typed);
    std::string err, seenWhenFlushed = "not called";
    TextOutput errOut(err);
    TerminalQuestions q(r.mode, r.terminal, in, errOut, [&] { seenWhenFlushed = err; });
    EXPECT_EQ(q.ask(r.question), r.answer) << r.question.text << " typed " << r.typed;
    EXPECT_EQ(err, r.shown ? r.shown : err) << r.question.text << " typed " << r.typed;
    EXPECT_EQ(seenWhenFlushed, err.empty() ? "not called" : "")
        << r.question.text << " " << r.typed;
  }
}

}  // namespace
}  // namespace vestral
