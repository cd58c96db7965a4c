#pragma once

#include <functional>
#include <istream>

#include "cli/text_output.h"
#include "platform/questions.h"

namespace vestral {

// How questions are answered on the command line.
enum class AnswerMode {
  kAsk,  // a terminal is asked; without one the safe answer is taken
  kYes,  // --yes: Yes, or OK
  kNo,   // --no: No, or Cancel
};

// --yes: Yes, else OK, else the default button.
Button AgreeingAnswer(const MessageBox& box);

// Questions on standard error. A box with a single button only informs: its text is
// printed and its button returned. Texts are converted from code page 1251.
class TerminalQuestions : public Questions {
 public:
  // `terminal`: `in` is a terminal a person can answer on. `beforeAsk` runs before
  // anything is printed (the log flushes and resets its colour there).
  TerminalQuestions(AnswerMode mode, bool terminal, std::istream& in, TextOutput& err,
                    std::function<void()> beforeAsk = {});

  Button ask(const MessageBox& box) override;

 private:
  Button prompt(const MessageBox& box);

  AnswerMode mode_;
  bool terminal_;
  std::istream& in_;
  TextOutput& err_;
  std::function<void()> beforeAsk_;
};

}  // namespace vestral
