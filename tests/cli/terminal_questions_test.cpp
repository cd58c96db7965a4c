#include "cli/terminal_questions.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>

namespace vestral {
namespace {

using ::testing::HasSubstr;

MessageBox yesNo() {
  return {
      "File already exist, rewrite it?", {Button::Yes, Button::No}, Button::No, Icon::Question, ""};
}
MessageBox okCancel(Button defaultButton = Button::Ok) {
  return {"Confilm change:", {Button::Ok, Button::Cancel}, defaultButton, Icon::Question, ""};
}

struct Rule {
  const char* name;
  AnswerMode mode;
  bool terminal;
  const char* typed;
  MessageBox box;
  Button expected;
};

TEST(TerminalQuestions, AnswersByTheRules) {
  const Rule rules[] = {
      {"--yes", AnswerMode::kYes, false, "", yesNo(), Button::Yes},
      {"--yes, OK/Cancel", AnswerMode::kYes, false, "", okCancel(), Button::Ok},
      {"--no", AnswerMode::kNo, false, "", yesNo(), Button::No},
      {"--yes wins over a terminal", AnswerMode::kYes, true, "n\n", yesNo(), Button::Yes},
      // Without a terminal nobody consents, whatever the box's default.
      {"no terminal", AnswerMode::kAsk, false, "y\n", yesNo(), Button::No},
      {"no terminal, OK default", AnswerMode::kAsk, false, "", okCancel(Button::Ok),
       Button::Cancel},
      {"typed y", AnswerMode::kAsk, true, "y\n", yesNo(), Button::Yes},
      {"typed n", AnswerMode::kAsk, true, "n\n", yesNo(), Button::No},
      {"typed ok", AnswerMode::kAsk, true, "ok\n", okCancel(Button::Cancel), Button::Ok},
      {"Enter takes the default", AnswerMode::kAsk, true, "\n", yesNo(), Button::No},
      {"Enter takes an OK default", AnswerMode::kAsk, true, "\n", okCancel(Button::Ok), Button::Ok},
      {"nonsense asks again", AnswerMode::kAsk, true, "maybe\nok\ny\n", yesNo(), Button::Yes},
      {"end of input is no consent", AnswerMode::kAsk, true, "", okCancel(), Button::Cancel},
  };
  for (const Rule& r : rules) {
    std::istringstream in(r.typed);
    std::string err;
    TextOutput errOut(err);
    TerminalQuestions q(r.mode, r.terminal, in, errOut);
    EXPECT_EQ(q.ask(r.box), r.expected) << r.name;
  }
}

TEST(TerminalQuestions, PromptShowsTheQuestionTheChoicesAndTheDefault) {
  std::istringstream in("bad\nn\n");
  std::string err;
  TextOutput errOut(err);
  TerminalQuestions q(AnswerMode::kAsk, true, in, errOut);
  EXPECT_EQ(q.ask(yesNo()), Button::No);
  EXPECT_EQ(err, "File already exist, rewrite it?\nyes/no [no]: yes/no [no]: ");
}

TEST(TerminalQuestions, WithoutATerminalSaysWhatItAnsweredAndWhy) {
  std::istringstream in;
  std::string err;
  TextOutput errOut(err);
  TerminalQuestions q(AnswerMode::kAsk, false, in, errOut);
  MessageBox box = yesNo();
  box.title = "Editor module";
  EXPECT_EQ(q.ask(box), Button::No);
  EXPECT_EQ(err,
            "Editor module: File already exist, rewrite it?\n"
            "vestral: answered No: no terminal to ask (--yes or --no answers every question)\n");
}

TEST(TerminalQuestions, AnInformingBoxIsPrintedInUtf8AndAnsweredWithItsButton) {
  for (AnswerMode mode : {AnswerMode::kAsk, AnswerMode::kYes, AnswerMode::kNo}) {
    std::istringstream in("n\n");
    std::string err;
    TextOutput errOut(err);
    int flushed = 0;
    TerminalQuestions q(mode, true, in, errOut, [&] { ++flushed; });
    // "Ошибка" in code page 1251.
    const MessageBox box{"No table in the database [\xCE\xF8] on line 3",
                         {Button::Ok},
                         Button::Ok,
                         Icon::Critical,
                         ""};
    EXPECT_EQ(q.ask(box), Button::Ok);
    EXPECT_EQ(err, "vestral: No table in the database [Ош] on line 3\n");
    EXPECT_EQ(flushed, 1);
  }
}

TEST(TerminalQuestions, TheLogIsFlushedBeforeAQuestionIsPrinted) {
  std::istringstream in("y\n");
  std::string err;
  TextOutput errOut(err);
  std::string seenWhenFlushed = "not called";
  TerminalQuestions q(AnswerMode::kAsk, true, in, errOut, [&] { seenWhenFlushed = err; });
  q.ask(yesNo());
  EXPECT_EQ(seenWhenFlushed, "");
}

TEST(TerminalQuestions, SafeAndAgreeingAnswersFallBackToTheDefaultButton) {
  const MessageBox odd{"?", {Button::Ok, Button::Yes}, Button::Yes, Icon::Question, ""};
  EXPECT_EQ(SafeAnswer(odd), Button::Yes);
  EXPECT_EQ(AgreeingAnswer(yesNo()), Button::Yes);
  EXPECT_EQ(SafeAnswer(yesNo()), Button::No);
  const MessageBox both{"?", {Button::Cancel, Button::No}, Button::Cancel, Icon::Question, ""};
  EXPECT_EQ(SafeAnswer(both), Button::No);
}

}  // namespace
}  // namespace vestral
