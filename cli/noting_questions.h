#pragma once

#include "platform/questions.h"

namespace vestral {

// Passes questions on and remembers whether one was declined, so that a command can
// tell "left as it was at your word" from a failure after the operation returns.
class NotingQuestions : public Questions {
 public:
  explicit NotingQuestions(Questions& inner) : inner_(inner) {}

  Button ask(const MessageBox& box) override {
    const Button b = inner_.ask(box);
    if (box.buttons.size() > 1 && (b == Button::No || b == Button::Cancel)) declined_ = true;
    return b;
  }
  bool declined() const { return declined_; }

 private:
  Questions& inner_;
  bool declined_ = false;
};

}  // namespace vestral
