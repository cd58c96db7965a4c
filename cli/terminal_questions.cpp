#include "cli/terminal_questions.h"

#include <string>

#include "cli/line_ends.h"

namespace vestral {

namespace {

const char* buttonName(Button b) {
  switch (b) {
    case Button::Ok: return "OK";
    case Button::Cancel: return "Cancel";
    case Button::Yes: return "Yes";
    case Button::No: return "No";
  }
  return "?";
}

// "yes", "no", "ok", "cancel": what the prompt shows; the first letter is enough
// as a reply since it differs between the buttons of every box (Yes/No, OK/Cancel).
std::string lowerName(Button b) {
  std::string name = buttonName(b);
  for (char& c : name) c = static_cast<char>(c | 0x20);
  return name;
}

std::string lowerTrimmed(const std::string& s) {
  const size_t first = s.find_first_not_of(" \t\r");
  if (first == std::string::npos) return {};
  const size_t last = s.find_last_not_of(" \t\r");
  std::string t = s.substr(first, last - first + 1);
  for (char& c : t)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return t;
}

}  // namespace

Button AgreeingAnswer(const MessageBox& box) {
  for (Button b : {Button::Yes, Button::Ok})
    if (Offers(box, b)) return b;
  return box.defaultButton;
}

TerminalQuestions::TerminalQuestions(AnswerMode mode, bool terminal, std::istream& in,
                                     TextOutput& err, std::function<void()> beforeAsk)
    : mode_(mode), terminal_(terminal), in_(in), err_(err), beforeAsk_(std::move(beforeAsk)) {}

Button TerminalQuestions::ask(const MessageBox& box) {
  if (box.buttons.size() <= 1) {
    if (beforeAsk_) beforeAsk_();
    err_.write("vestral: ");
    if (!box.title.empty()) {
      err_.writeCp1251(box.title);
      err_.write(": ");
    }
    err_.writeCp1251(CrLfAsLf(box.text));
    err_.write("\n");
    err_.flush();
    return box.buttons.empty() ? Button::Ok : box.buttons.front();
  }
  switch (mode_) {
    case AnswerMode::kYes: return AgreeingAnswer(box);
    case AnswerMode::kNo: return SafeAnswer(box);
    case AnswerMode::kAsk: break;
  }
  if (beforeAsk_) beforeAsk_();
  if (!box.title.empty()) {
    err_.writeCp1251(box.title);
    err_.write(": ");
  }
  err_.writeCp1251(CrLfAsLf(box.text));
  err_.write("\n");
  if (terminal_) return prompt(box);
  const Button answer = SafeAnswer(box);
  err_.write("vestral: answered ");
  err_.write(buttonName(answer));
  err_.write(": no terminal to ask (--yes or --no answers every question)\n");
  err_.flush();
  return answer;
}

Button TerminalQuestions::prompt(const MessageBox& box) {
  std::string choices;
  for (Button b : box.buttons) {
    if (!choices.empty()) choices += '/';
    choices += lowerName(b);
  }
  // Enter takes the default button, as it would on the box.
  const Button fallback = Offers(box, box.defaultButton) ? box.defaultButton : SafeAnswer(box);
  for (;;) {
    err_.write(choices + " [" + lowerName(fallback) + "]: ");
    err_.flush();
    std::string line;
    // End of input (Ctrl+D) is no consent.
    if (!std::getline(in_, line)) {
      err_.write("\n");
      err_.flush();
      return SafeAnswer(box);
    }
    const std::string reply = lowerTrimmed(line);
    if (reply.empty()) return fallback;
    for (Button b : box.buttons)
      if (reply == lowerName(b) || reply == lowerName(b).substr(0, 1)) return b;
  }
}

}  // namespace vestral
