#include "log/log_sink.h"

#include "platform/codepage.h"

namespace vestral {

std::string LogText(std::string_view utf8) {
  std::string text = Utf8ToCp1251(utf8);
  for (char& c : text)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
  return text;
}

// Appended: GCC 12 warns falsely (-Wrestrict) on a literal + std::string in Release builds.
std::string LogPath(std::string_view path) {
  return std::string("\"").append(LogText(path)) + "\"";
}

std::string Capitalized(std::string text) {
  if (!text.empty() && text[0] >= 'a' && text[0] <= 'z') text[0] = static_cast<char>(text[0] - 32);
  return text;
}

void LogError(LogSink& log, std::string_view message) {
  log.LOG(Capitalized(LogText(message)), kTabModeLineEnd, color::kLightRed);
}

std::string LogPieceText(const std::string& T, TabMode TABMODE) {
  if (TABMODE == kTabModeTab) return T + '\t';
  if (TABMODE == kTabModeLineEnd) return T + "\r\n";
  return T;
}

void RecordingSink::INIT() {
  runs_.push_back({std::string(kLogHeader) + "\r\n", color::kLightGreen});
  running_ = true;
}

void RecordingSink::LOG(const std::string& T, TabMode TABMODE, LogColour colour) {
  runs_.push_back({LogPieceText(T, TABMODE), colour});
}

void RecordingSink::DONE() {
  runs_.push_back({kLogDone, color::kLightRed});
  running_ = false;
}

std::string RecordingSink::text() const {
  std::string all;
  for (const LogRun& r : runs_) all += r.text;
  return all;
}

std::string RecordingSink::lines() const {
  std::string all = text();
  std::string out;
  out.reserve(all.size());
  for (size_t i = 0; i < all.size(); ++i) {
    if (all[i] == '\r' && i + 1 < all.size() && all[i + 1] == '\n') continue;
    out += all[i];
  }
  return out;
}

}  // namespace vestral
