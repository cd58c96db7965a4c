#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vestral {

// Separators LOG puts behind a piece.
enum class TabMode : uint8_t { kNone, kTab, kLineEnd };
inline constexpr TabMode kTabModeNone = TabMode::kNone;
inline constexpr TabMode kTabModeTab = TabMode::kTab;          // a tab; the line goes on
inline constexpr TabMode kTabModeLineEnd = TabMode::kLineEnd;  // CR LF; the line ends

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

// The log's colours, in palette order. Base positions are yellow, banners light blue,
// errors light red, codes and error pieces light yellow, headings and progress bright white.
enum class LogColour : uint8_t {
  kBlack,
  kBlue,
  kGreen,
  kCyan,
  kRed,
  kMagenta,
  kYellow,
  kLightGrey,
  kGrey,
  kLightBlue,
  kLightGreen,
  kLightCyan,
  kLightRed,
  kLightMagenta,
  kLightYellow,
  kBrightWhite,
};
namespace color {
using enum LogColour;
}  // namespace color

inline constexpr const Rgb& PaletteRgb(LogColour c) { return kPalette[static_cast<size_t>(c)]; }

inline constexpr const char* kLogHeader = "LOG v. 1.0";
inline constexpr const char* kLogDone = "Done";

// Where an operation reports its progress. A run is INIT, any number of LOG, DONE.
// Texts are code page 1251 bytes.
class LogSink {
 public:
  virtual ~LogSink() = default;
  // Opens a run: the green header "LOG v. 1.0" and a line end.
  virtual void INIT() = 0;
  // Appends T in the given colour, then the separator TABMODE names.
  virtual void LOG(const std::string& T, TabMode TABMODE, LogColour colour) = 0;
  // Closes the run with a red "Done" and no line end.
  virtual void DONE() = 0;
  // True when LOG shows nothing, so a long run may skip building its per-entry lines.
  virtual bool writesNothing() const { return false; }
};

// `text` with its first letter a capital, as a line of its own starts.
std::string Capitalized(std::string text);

// Logs an error message (UTF-8, as paths and system messages are) in light red on a
// line of its own, in code page 1251, its first letter capital.
void LogError(LogSink& log, std::string_view message);

// A text of the system's own (UTF-8: a message, a path, which are bytes of the file
// system, usually UTF-8) as a log or a question shows it (code page 1251): converted as
// Utf8ToCp1251 converts, a control character shown as '?' so that no name breaks the
// line it stands in. Every path and message a log shows goes through here.
std::string LogText(std::string_view utf8);
// A path in double quotes, as LogText shows it.
std::string LogPath(std::string_view path);

// One run of text in one colour, as it ends up in the log box.
struct LogRun {
  std::string text;
  LogColour color;
  friend bool operator==(const LogRun&, const LogRun&) = default;
};

// The text a LOG call inserts: T and its separator.
std::string LogPieceText(const std::string& T, TabMode TABMODE);

// Records what a log window would show, for tests and for callers that want the
// text afterwards. The header is recorded in light green and "Done" in light red, the
// palette entries with the pure values the window shows them in.
class RecordingSink : public LogSink {
 public:
  void INIT() override;
  void LOG(const std::string& T, TabMode TABMODE, LogColour colour) override;
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
  void LOG(const std::string&, TabMode, LogColour) override {}
  void DONE() override {}
  bool writesNothing() const override { return true; }
};

}  // namespace vestral
