#pragma once

#include <string>
#include <vector>

#include "log/log_sink.h"

namespace vestral::testing {

// The 16-colour palette's colours by name, in palette order.
inline constexpr const char* kColourNames[] = {
    "Black",    "Blue",         "Green",       "Cyan",      "Red",        "Magenta",
    "Yellow",   "LightGrey",    "Grey",        "LightBlue", "LightGreen", "LightCyan",
    "LightRed", "LightMagenta", "LightYellow", "Bright"};

// The recorded log as one text: every change of colour is marked by its name, such as
// "[LightRed]", and CR LF is shown as "\n", so one expectation checks words and colours.
inline std::string ColouredLog(const RecordingSink& log) {
  std::string out;
  int current = -1;
  for (const LogRun& r : log.runs()) {
    if (static_cast<int>(r.color) != current) {
      current = static_cast<int>(r.color);
      out += std::string("[") + kColourNames[current] + "]";
    }
    for (size_t i = 0; i < r.text.size(); ++i)
      if (!(r.text[i] == '\r' && i + 1 < r.text.size() && r.text[i + 1] == '\n')) out += r.text[i];
  }
  return out;
}

// The runs as a log window holds them: adjacent pieces of one colour form one run.
inline std::vector<LogRun> MergedRuns(const std::vector<LogRun>& runs) {
  std::vector<LogRun> out;
  for (const LogRun& r : runs) {
    if (r.text.empty()) continue;
    if (!out.empty() && out.back().color == r.color)
      out.back().text += r.text;
    else
      out.push_back(r);
  }
  return out;
}

}  // namespace vestral::testing
