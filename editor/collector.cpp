#include "editor/collector.h"

#include <algorithm>
#include <string_view>

#include "database/code_index.h"
#include "database/database_view.h"
#include "database/table_order.h"
#include "log/operation_log.h"
#include "platform/codepage.h"
#include "platform/file_io.h"

namespace vestral {

namespace {

constexpr LogColour kWhite = color::kBrightWhite;

}  // namespace

std::optional<char> FilterCodeKey(char key) {
  static constexpr std::string_view kLower = "pcbu0123456789\b";
  static constexpr std::string_view kUpper = "PCBU0123456789\b";
  if (const size_t at = kLower.find(key); at != std::string_view::npos) key = kUpper[at];
  if (kUpper.find(key) == std::string_view::npos) return std::nullopt;
  return key;
}

namespace {

// Why the generator would not read an entry's collected line back as the same entry;
// nullptr when it would. The head ends at the first blank, a line at a line end, the
// description at the first bar.
const char* lineProblem(const DtcEntry& e) {
  if (e.code().find_first_of(" \r\n") != std::string_view::npos)
    return "the code holds a blank or a line end";
  if (e.Text.find('|') != std::string::npos) return "the description holds a \"|\"";
  if (e.Text.find_first_of("\r\n") != std::string::npos ||
      e.Extension.find_first_of("\r\n") != std::string::npos)
    return "a text holds a line end";
  if (e.Text.size() > kMaxTextBytes || e.Extension.size() > kMaxTextBytes)
    return "a text is longer than 65535 bytes";
  return nullptr;
}

// How an entry's code page 1251 bytes would look to the generator's UTF-8 test.
enum class Utf8Look { kAscii, kUtf8, kNotUtf8 };

Utf8Look utf8Look(const DtcEntry& e) {
  Utf8Look look = Utf8Look::kAscii;
  // Fields are joined by blanks and bars, so the line is UTF-8 when each field is.
  for (std::string_view field :
       {e.code(), std::string_view(e.Text), std::string_view(e.Extension)}) {
    if (std::all_of(field.begin(), field.end(), [](char c) { return (c & 0x80) == 0; })) continue;
    if (!LooksLikeUtf8(field)) return Utf8Look::kNotUtf8;
    look = Utf8Look::kUtf8;
  }
  return look;
}

// One entry the run was asked for, in the order it is logged and written.
struct Pick {
  std::string_view listCode;        // code-list mode: the list code
  char letter = 0;                  // the letter the line starts with
  const DtcEntry* entry = nullptr;  // nullptr: not in the database
  const char* problem = nullptr;    // why its line could not carry it
};

// Every entry of the tables B, C, P, U.
std::vector<Pick> pickAll(const DtcDatabase& working) {
  std::vector<Pick> picks;
  for (char letter : kEditorTableOrder) {
    const DtcTable& t = *working.table(letter);
    for (int32_t i = 1; i <= t.upperBound(); ++i) picks.push_back({{}, letter, &t.Entries[i]});
  }
  return picks;
}

// The codes of the list in list order, each with the first entry of its code. A long
// list indexes each table once, so it costs one pass over the tables, not one per code.
std::vector<Pick> pickList(const DtcDatabase& working, const std::vector<std::string>& codeList) {
  std::vector<Pick> picks;
  const bool indexed = codeList.size() > kIndexWorthFrom;
  std::optional<CodeIndex> firsts[4];
  for (const std::string& listCode : codeList) {
    Pick pick{listCode, listCode.empty() ? '\0' : listCode.front()};
    // A first character that names no table finds nothing, rather than searching
    // whatever table an earlier code chose.
    const int slot = listCode.empty() ? -1 : TableSlot(listCode.front());
    const std::string_view code =
        listCode.size() >= 4 ? std::string_view(listCode).substr(listCode.size() - 4) : "";
    if (slot >= 0) {
      const DtcTable& t = *working.table(listCode.front());
      if (indexed && !firsts[slot]) firsts[slot].emplace(t);
      int32_t j = 0;
      if (indexed ? firsts[slot]->find(code, j) : FindEntry(t, code, j)) pick.entry = &t.Entries[j];
    }
    picks.push_back(pick);
  }
  return picks;
}

// Marks the entries whose lines the generator would not read back. A code page 1251
// file that is valid UTF-8 with a multi-byte character would be read as UTF-8: its
// entries with such bytes are then left out.
void findProblems(std::vector<Pick>& picks, bool utf8) {
  bool readsAsUtf8 = false;
  bool breaksUtf8 = false;
  for (Pick& p : picks) {
    if (!p.entry) continue;
    p.problem = lineProblem(*p.entry);
    if (p.problem) continue;
    const Utf8Look look = utf8Look(*p.entry);
    readsAsUtf8 = readsAsUtf8 || look == Utf8Look::kUtf8;
    breaksUtf8 = breaksUtf8 || look == Utf8Look::kNotUtf8;
  }
  if (utf8 || !readsAsUtf8 || breaksUtf8) return;
  for (Pick& p : picks)
    if (p.entry && !p.problem && utf8Look(*p.entry) == Utf8Look::kUtf8)
      p.problem = "its code page 1251 text would be read back as UTF-8 (collect it as UTF-8)";
}

// Logs one picked entry and appends its line, or says why it is left out.
void collectPick(LogSink& log, const Pick& p, bool listed, std::string& out,
                 CollectResult& result) {
  if (listed) {
    log.LOG("FIND " + std::string(p.listCode), kTabModeTab, kWhite);
    if (!p.entry) {
      result.notFound.emplace_back(p.listCode);
      log.LOG("NOT FOUND", kTabModeTab, kWhite);
      log.LOG("SKIPPED", kTabModeLineEnd, kWhite);
      return;
    }
    log.LOG("FOUND", kTabModeTab, kWhite);
  }
  const DtcEntry& e = *p.entry;
  const std::string code = p.letter + std::string(e.code());
  log.LOG(code, kTabModeTab, color::kLightYellow);
  if (p.problem) {
    result.notCarried.push_back({code, p.problem});
    log.LOG(p.problem, kTabModeTab, color::kLightRed);
    log.LOG("SKIPPED", kTabModeLineEnd, kWhite);
    return;
  }
  if (!e.Extension.empty()) log.LOG("extend", kTabModeTab, kWhite);
  out += EntryLine(p.letter, e, "| ");
  out += "\r\n";
  log.LOG("OK", kTabModeLineEnd, color::kLightRed);
  ++result.written;
}

// Logs and writes the picks, with the headings of their mode.
std::string collectPicks(const DtcDatabase& working, bool all, const std::vector<Pick>& picks,
                         LogSink& log, CollectResult& result) {
  std::string text;
  size_t size = 0;
  for (const Pick& p : picks)
    if (p.entry) size += 10 + p.entry->Text.size() + p.entry->Extension.size();
  text.reserve(size);
  auto next = picks.begin();
  if (!all) {
    log.LOG("Collect list codes", kTabModeLineEnd, kWhite);
    for (; next != picks.end(); ++next) collectPick(log, *next, true, text, result);
    return text;
  }
  log.LOG("Collect all database and all bases, ignore list", kTabModeLineEnd, kWhite);
  for (char letter : kEditorTableOrder) {
    log.LOG(std::string("Collect ") + letter + " base", kTabModeLineEnd, kWhite);
    for (int32_t i = 1; i <= working.table(letter)->upperBound(); ++i, ++next)
      collectPick(log, *next, false, text, result);
  }
  log.LOG("End collection", kTabModeLineEnd, kWhite);
  return text;
}

}  // namespace

CollectResult Collect(const DtcDatabase& working, const std::string& outPath, bool all,
                      const std::vector<std::string>& codeList, LogSink& log, Questions& questions,
                      bool utf8) {
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
  if (result.status.ok()) {
    std::vector<Pick> picks = all ? pickAll(working) : pickList(working, codeList);
    findProblems(picks, utf8);
    const std::string text = collectPicks(working, all, picks, log, result);
    result.status = ReplaceFile(outPath, utf8 ? Cp1251ToUtf8Exactly(text) : text);
  }
  if (!result.status.ok()) {
    LogError(log, result.status.message());
    result.written = 0;
  }
  return result;
}

}  // namespace vestral
