#include "editor/collector.h"

#include <string_view>

#include "database/file_io.h"
#include "editor/base_positions.h"

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

namespace {

// Every entry of the tables B, C, P, U.
int32_t collectAll(const DtcDatabase& working, LogSink& log, std::string& text) {
  size_t size = 0;
  for (char letter : kTableOrder)
    for (const DtcEntry& e : working.table(letter)->Entries)
      size += 10 + e.Text.size() + e.Extension.size();
  text.reserve(size);

  int32_t written = 0;
  log.LOG("Collect all database and all bases, ignore list", kTabModeLineEnd, kWhite);
  for (char letter : kTableOrder) {
    log.LOG(std::string("Collect ") + letter + " base", kTabModeLineEnd, kWhite);
    const DtcTable& t = *working.table(letter);
    for (int32_t i = 1; i <= t.upperBound(); ++i, ++written)
      collectEntry(log, letter, t.Entries[i], text);
  }
  log.LOG("End collection", kTabModeLineEnd, kWhite);
  return written;
}

// The codes of the list in list order; those absent go to `notFound`.
int32_t collectList(const DtcDatabase& working, const std::vector<std::string>& codeList,
                    LogSink& log, std::string& text, std::vector<std::string>& notFound) {
  int32_t written = 0;
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
      ++written;
    } else {
      notFound.push_back(listCode);
      log.LOG("NOT FOUND", kTabModeTab, kWhite);
      log.LOG("SKIPPED", kTabModeLineEnd, kWhite);
    }
  }
  return written;
}

}  // namespace

CollectResult Collect(const DtcDatabase& working, const std::string& outPath, bool all,
                      const std::vector<std::string>& codeList, LogSink& log,
                      Questions& questions) {
  const OperationLog run(log);
  log.LOG("Collect base to file", kTabModeLineEnd, kWhite);
  CollectResult result;
  if (FileExists(outPath)) {
    log.LOG("Quary. File already exist. Owerwrite it?", kTabModeLineEnd, kWhite);
    const Button answer = questions.ask(
        {kCollectOverwriteQuestion, {Button::Yes, Button::No}, Button::No, Icon::Question, ""});
    if (answer != Button::Yes) {
      log.LOG("Cancelled", kTabModeLineEnd, kWhite);
      result.declined = true;
      return result;
    }
  }
  // Refused before any entry is logged as collected.
  result.status = CheckReplaceable(outPath);
  std::string text;
  if (result.status.ok())
    result.written = all ? collectAll(working, log, text)
                         : collectList(working, codeList, log, text, result.notFound);
  if (result.status.ok()) result.status = ReplaceFile(outPath, text);
  if (!result.status.ok()) {
    LogError(log, result.status.message());
    result.written = 0;
  }
  return result;
}

}  // namespace vestral
