#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vestral {

// Separators LOG puts behind a piece.
inline constexpr int kTabModeNone = 0;
inline constexpr int kTabModeTab = 1;      // a tab; the line goes on
inline constexpr int kTabModeLineEnd = 2;  // CR LF; the line ends

// The standard 16-colour palette the log's colour numbers index.
struct Rgb {
  uint8_t r, g, b;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};
inline constexpr std::array<Rgb, 16> kPalette = {{
    {0, 0, 0},
    {0, 0, 128},
    {0, 128, 0},
    {0, 128, 128},
    {128, 0, 0},
    {128, 0, 128},
    {128, 128, 0},
    {192, 192, 192},
    {128, 128, 128},
    {0, 0, 255},
    {0, 255, 0},
    {0, 255, 255},
    {255, 0, 0},
    {255, 0, 255},
    {255, 255, 0},
    {255, 255, 255},
}};

// Colour numbers used across the editor.
namespace color {
inline constexpr int kYellow = 6;  // base positions
inline constexpr int kGrey = 8;
inline constexpr int kLightBlue = 9;  // banners
inline constexpr int kLightGreen = 10;
inline constexpr int kLightCyan = 11;
inline constexpr int kLightRed = 12;  // errors
inline constexpr int kLightMagenta = 13;
inline constexpr int kLightYellow = 14;  // codes and error pieces
inline constexpr int kBrightWhite = 15;  // headings and progress
}  // namespace color

inline constexpr const char* kLogHeader = "LOG v. 1.0";
inline constexpr const char* kLogDone = "Done";

// Where an operation reports its progress. A run is INIT, any number of LOG, DONE.
// Texts are code page 1251 bytes.
class LogSink {
 public:
  virtual ~LogSink() = default;
  // Opens a run: the green header "LOG v. 1.0" and a line end.
  virtual void INIT() = 0;
  // Appends T in palette colour QColor, then a tab (TABMODE 1), a line end (2) or
  // nothing (any other value).
  virtual void LOG(const std::string& T, int TABMODE, int QColor) = 0;
  // Closes the run with a red "Done" and no line end.
  virtual void DONE() = 0;
  // True when LOG shows nothing, so a long run may skip building its per-entry lines.
  virtual bool writesNothing() const { return false; }
};

// Logs an error message (UTF-8, as paths and system messages are) in light red on a
// line of its own, in code page 1251, its first letter capital.
void LogError(LogSink& log, std::string_view message);

// One run of text in one colour, as it ends up in the log box.
struct LogRun {
  std::string text;
  int color;
  friend bool operator==(const LogRun&, const LogRun&) = default;
};

// The text a LOG call inserts: T and its separator.
std::string LogPieceText(const std::string& T, int TABMODE);

// Records what a log window would show, for tests and for callers that want the
// text afterwards. The header is recorded in colour 10 (pure green) and "Done" in
// colour 12 (pure red), the palette entries with those exact values.
class RecordingSink : public LogSink {
 public:
  void INIT() override;
  void LOG(const std::string& T, int TABMODE, int QColor) override;
  void DONE() override;

  const std::vector<LogRun>& runs() const { return runs_; }
  // Everything as one text, line ends as CR LF.
  std::string text() const;
  // The text with CR LF shown as "\n", for readable test expectations.
  std::string lines() const;
  bool running() const { return running_; }

 private:
  std::vector<LogRun> runs_;
  bool running_ = false;
};

// Discards everything (the command line's --quiet).
class NullSink : public LogSink {
 public:
  void INIT() override {}
  void LOG(const std::string&, int, int) override {}
  void DONE() override {}
  bool writesNothing() const override { return true; }
};

}  // namespace vestral
