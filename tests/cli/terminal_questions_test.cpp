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
  const std::tuple<AnswerMode, bool, const char*, MessageBox, Button, const char*> rules[] = {
      // mode, a terminal, typed, the box, the answer, standard error (nullptr: unchecked)
      {kYes, true, "n\n", yesNo, Yes, ""},                            // --yes wins over a terminal
      {kYes, false, "", box({Cancel, No}, Cancel), Cancel, nullptr},  // else the default
      {kNo, false, "", box({Yes, No}, Yes), No, ""},
      {kNo, false, "", box({Ok, Yes}, Yes), Yes, nullptr},
      // Without a terminal nobody consents, whatever the box's default.
      {kAsk, false, "y\n", box({Yes, No}, Yes, "Exists?", "Editor"), No,
       "Editor: Exists?\nvestral: answered No: no terminal to ask (--yes or --no answers every "
       "question)\n"},
      {kAsk, true, " N \n", yesNo, No, nullptr},
      {kAsk, true, "ok\n", box({Ok, Cancel}, Cancel), Ok, nullptr},
      {kAsk, true, "\n", yesNo, No, nullptr},  // Enter takes the default
      {kAsk, true, "maybe\nYES\n", yesNo, Yes, "Rewrite?\nyes/no [no]: yes/no [no]: "},
      {kAsk, true, "", okCancel, Cancel, "Rewrite?\nok/cancel [ok]: \n"},  // Ctrl+D
      {kYes, true, "", notice, Ok, "vestral: No table [Ош]\non line 3\n"},
      {kAsk, true, "n\n", notice, Ok, "vestral: No table [Ош]\non line 3\n"},
  };
  // The log is flushed before anything of a question or notice appears, and only then.
  for (const auto& [mode, terminal, typed, question, expected, shown] : rules) {
    std::istringstream in(typed);
    std::string err, seenWhenFlushed = "not called";
    TextOutput errOut(err);
    TerminalQuestions q(mode, terminal, in, errOut, [&] { seenWhenFlushed = err; });
    EXPECT_EQ(q.ask(question), expected) << question.text << " typed " << typed;
    EXPECT_EQ(err, shown ? shown : err) << question.text << " typed " << typed;
    EXPECT_EQ(seenWhenFlushed, err.empty() ? "not called" : "") << question.text << " " << typed;
  }
}

}  // namespace
}  // namespace vestral
