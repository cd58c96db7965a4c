#include "editor/collector.h"

#include <string_view>

#include "database/file_io.h"

namespace vestral {

namespace {

constexpr LogColour kWhite = color::kBrightWhite;
constexpr char kTableOrder[4] = {'B', 'C', 'P', 'U'};

// Logs and appends one collected entry; the log line goes on behind it with "OK".
void collectEntry(LogSink& log, char letter, const DtcEntry& e, std::string& out) {
  log.LOG(letter + std::string(e.code()), kTabModeTab, color::kLightYellow);
  if (!e.Extension.empty()) log.LOG("extend", kTabModeTab, kWhite);
  out += CollectedLine(letter, e);
  out += "\r\n";
  log.LOG("OK", kTabModeLineEnd, color::kLightRed);
}

}  // namespace

std::optional<char> FilterCodeKey(char key) {
  static constexpr std::string_view kLower = "pcbu0123456789\b";
  static constexpr std::string_view kUpper = "PCBU0123456789\b";
  if (const size_t at = kLower.find(key); at != std::string_view::npos) key = kUpper[at];
  if (kUpper.find(key) == std::string_view::npos) return std::nullopt;
  return key;
}

std::string CollectedLine(char letter, const DtcEntry& entry) {
  std::string line;
  line.reserve(6 + entry.Text.size() + (entry.Extension.empty() ? 0 : 3 + entry.Extension.size()));
  line += letter;
  line.append(entry.Code.data(), entry.Code.size());
  line += ' ';
  line += entry.Text;
  if (!entry.Extension.empty()) {
    line += " | ";
    line += entry.Extension;
  }
  return line;
}

bool Collect(const DtcDatabase& working, const std::string& outPath, bool all,
             const std::vector<std::string>& codeList, LogSink& log, Questions& questions) {
  log.INIT();
  log.LOG("Collect base to file", kTabModeLineEnd, kWhite);

  if (FileExists(outPath)) {
    log.LOG("Quary. File already exist. Owerwrite it?", kTabModeLineEnd, kWhite);
    const Button answer = questions.ask(
        {kCollectOverwriteQuestion, {Button::Yes, Button::No}, Button::No, Icon::Question, ""});
    if (answer != Button::Yes) {
      log.LOG("Cancelled", kTabModeLineEnd, kWhite);
      log.DONE();
      return false;
    }
  }
  // Refused before any entry is logged as collected.
  if (Status s = CheckReplaceable(outPath); !s.ok()) {
    LogError(log, s.message());
    log.DONE();
    return false;
  }

  std::string text;
  bool everyCodeFound = true;
  if (all) {
    size_t size = 0;
    for (char letter : kTableOrder)
      for (const DtcEntry& e : working.table(letter)->Entries)
        size += 10 + e.Text.size() + e.Extension.size();
    text.reserve(size);

    log.LOG("Collect all database and all bases, ignore list", kTabModeLineEnd, kWhite);
    for (char letter : kTableOrder) {
      log.LOG(std::string("Collect ") + letter + " base", kTabModeLineEnd, kWhite);
      const DtcTable& t = *working.table(letter);
      for (int32_t i = 1; i <= t.upperBound(); ++i) collectEntry(log, letter, t.Entries[i], text);
    }
    log.LOG("End collection", kTabModeLineEnd, kWhite);
  } else {
    log.LOG("Collect list codes", kTabModeLineEnd, kWhite);
    for (const std::string& listCode : codeList) {
      log.LOG("FIND " + listCode, kTabModeTab, kWhite);
      // A first character that names no table finds nothing, rather than searching
      // whatever table an earlier code chose.
      const DtcTable* t = listCode.empty() ? nullptr : working.table(listCode.front());
      const std::string_view code =
          listCode.size() >= 4 ? std::string_view(listCode).substr(listCode.size() - 4) : "";
      int32_t j = 0;
      if (t && FindEntry(*t, code, j)) {
        log.LOG("FOUND", kTabModeTab, kWhite);
        collectEntry(log, listCode.front(), t->Entries[j], text);
      } else {
        everyCodeFound = false;
        log.LOG("NOT FOUND", kTabModeTab, kWhite);
        log.LOG("SKIPPED", kTabModeLineEnd, kWhite);
      }
    }
  }

  if (Status s = ReplaceFile(outPath, text); !s.ok()) {
    LogError(log, s.message());
    log.DONE();
    return false;
  }
  log.DONE();
  return everyCodeFound;
}

}  // namespace vestral
