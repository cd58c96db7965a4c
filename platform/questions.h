#pragma once

#include <algorithm>
#include <deque>
#include <string>
#include <vector>

namespace vestral {

enum class Button { Ok, Cancel, Yes, No };
enum class Icon { None, Question, Critical, Information, Warning };

// A message box as an operation describes it. Texts are code page 1251 bytes; an
// empty title means the program's own title.
struct MessageBox {
  std::string text;
  std::vector<Button> buttons;  // e.g. {Yes, No}; {Ok} for a box that only informs
  Button defaultButton = Button::Ok;
  Icon icon = Icon::None;
  std::string title;
};

// True when the box shows the button.
inline bool Offers(const MessageBox& box, Button b) {
  return std::find(box.buttons.begin(), box.buttons.end(), b) != box.buttons.end();
}

// The answer nobody gave (a box closed without a button, a script without a terminal):
// No, else Cancel, else the box's default button, so that nothing is overwritten by
// accident.
inline Button SafeAnswer(const MessageBox& box) {
  for (Button b : {Button::No, Button::Cancel})
    if (Offers(box, b)) return b;
  return box.defaultButton;
}

// Puts a question (or a notice) to the user and returns the button pressed.
class Questions {
 public:
  virtual ~Questions() = default;
  virtual Button ask(const MessageBox& box) = 0;
};

// Answers from a script, in order; when the script runs out, the default button
// answers. Records every box it was shown.
class ScriptedQuestions : public Questions {
 public:
  ScriptedQuestions() = default;
  explicit ScriptedQuestions(std::initializer_list<Button> answers) : answers_(answers) {}

  Button ask(const MessageBox& box) override {
    asked_.push_back(box);
    if (answers_.empty()) return box.defaultButton;
    Button b = answers_.front();
    answers_.pop_front();
    return b;
  }
  void push(Button b) { answers_.push_back(b); }
  const std::vector<MessageBox>& asked() const { return asked_; }

 private:
  std::deque<Button> answers_;
  std::vector<MessageBox> asked_;
};

}  // namespace vestral
