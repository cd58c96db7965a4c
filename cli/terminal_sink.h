#pragma once

#include "cli/text_output.h"
#include "log/log_sink.h"

namespace vestral {

// The log on a terminal, line for line as the log window shows it: the header and
// a line end at INIT, each piece with its tab or line end, "Done" and one line end
// at DONE (so the shell prompt starts on its own line). Colours, when wanted, are the
// terminal's 16 ANSI colours matching the palette.
class TerminalSink : public LogSink {
 public:
  TerminalSink(TextOutput& out, bool colour) : out_(out), colour_(colour) {}

  void INIT() override;
  void LOG(const std::string& T, TabMode TABMODE, LogColour colour) override;
  void DONE() override;

  // Puts the terminal back to its own colour and writes out what is buffered: call
  // before anything else (a question) appears on the same screen.
  void pause();

 private:
  void setColour(int paletteIndex);

  TextOutput& out_;
  bool colour_;
  int current_ = -1;  // palette index in force, -1 for the terminal's own
};

// The escape sequence that selects palette colour `index` (0-15), or "" for others.
const char* AnsiColour(int index);

}  // namespace vestral
