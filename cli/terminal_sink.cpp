#include "cli/terminal_sink.h"

#include "cli/line_ends.h"

namespace vestral {

namespace {

constexpr const char* kReset = "\x1b[0m";

}  // namespace

const char* AnsiColour(int index) {
  // Palette order black, blue, green, cyan, red, magenta, yellow, light grey, then the
  // bright eight; ANSI numbers its colours red before blue, hence the shuffle.
  static constexpr const char* kCodes[16] = {
      "\x1b[30m", "\x1b[34m", "\x1b[32m", "\x1b[36m", "\x1b[31m", "\x1b[35m",
      "\x1b[33m", "\x1b[37m", "\x1b[90m", "\x1b[94m", "\x1b[92m", "\x1b[96m",
      "\x1b[91m", "\x1b[95m", "\x1b[93m", "\x1b[97m",
  };
  return index >= 0 && index < 16 ? kCodes[index] : "";
}

void TerminalSink::setColour(int paletteIndex) {
  if (!colour_) return;
  if (paletteIndex < 0 || paletteIndex > 15) paletteIndex = -1;
  if (paletteIndex == current_) return;
  out_.write(paletteIndex < 0 ? kReset : AnsiColour(paletteIndex));
  current_ = paletteIndex;
}

void TerminalSink::INIT() {
  setColour(static_cast<int>(color::kLightGreen));
  out_.write(kLogHeader);
  out_.write("\n");
}

void TerminalSink::LOG(const std::string& T, TabMode TABMODE, LogColour colour) {
  setColour(static_cast<int>(colour));
  // A piece may hold whole lines (the checker's removal list).
  if (T.find('\r') == std::string::npos)
    out_.writeCp1251(T);
  else
    out_.writeCp1251(CrLfAsLf(T));
  if (TABMODE == kTabModeTab) out_.write("\t");
  if (TABMODE == kTabModeLineEnd) out_.write("\n");
}

void TerminalSink::DONE() {
  setColour(static_cast<int>(color::kLightRed));
  out_.write(kLogDone);
  setColour(-1);
  out_.write("\n");
  out_.flush();
}

void TerminalSink::pause() {
  setColour(-1);
  out_.flush();
}

}  // namespace vestral
