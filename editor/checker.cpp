#include "editor/checker.h"

#include <utility>

#include "database/table_order.h"
#include "log/operation_log.h"

namespace vestral {

unsigned BrokenEntryRules(std::string_view code, std::string_view text) {
  unsigned broken = 0;
  if (code.size() != 4) broken |= 1u << 0;
  // Only the character behind the system letter is tested (an unassigned NUL fails).
  if (code.empty() || code[0] < '0' || code[0] > '3') broken |= 1u << 1;
  if (text.empty()) broken |= 1u << 2;
  return broken;
}

bool IsEntryValid(const DtcEntry& e) { return BrokenEntryRules(e.code(), e.Text) == 0; }

void CheckTable(LogSink& log, const std::string& letter, DtcTable& table, std::string& removals) {
  std::string out;
  const char letterChar = letter.empty() ? '\0' : letter[0];
  const std::string prefix = "BASE " + letter + "\tIND=";
  const std::string erased = "Erased";
  std::string piece;
  std::vector<DtcEntry>& entries = table.Entries;
  const size_t n = entries.size();
  // Entries that survive are moved down to `keep`; a damaged entry's "IND=" is `keep`,
  // the index it would have after removing the earlier damaged ones one by one.
  size_t keep = 1;
  for (size_t i = 1; i < n; ++i) {
    DtcEntry& e = entries[i];
    const unsigned broken = BrokenEntryRules(e.code(), e.Text);
    if (broken == 0) {
      if (keep != i) entries[keep] = std::move(e);
      ++keep;
      continue;
    }
    for (size_t r = 0; r < kEntryRuleMessages.size(); ++r) {
      if ((broken & (1u << r)) == 0) continue;
      piece = prefix;
      piece += std::to_string(keep);
      piece += '\t';
      piece += kEntryRuleMessages[r];
      log.LOG(piece, kTabModeTab, color::kLightYellow);
    }
    out += EntryLine(letterChar, e, " | ");
    out += "\r\n";
    // Removing an entry in memory cannot fail, so "Crash" never shows.
    log.LOG(erased, kTabModeLineEnd, color::kLightCyan);
  }
  if (n > 0) entries.resize(keep);
  removals = std::move(out);
}

CheckResult CheckDatabase(DtcDatabase& db, LogSink& log) {
  log.INIT();
  log.LOG("Check database for errors and CRC", kTabModeLineEnd, color::kBrightWhite);
  // The check logs its base positions in white, not the yellow of Read and Write.
  for (const char letter : kEditorTableOrder)
    log.LOG(BasePositionLine(letter, *db.table(letter)), kTabModeLineEnd, color::kBrightWhite);
  CheckResult result;
  std::string part;
  for (const char letter : kEditorTableOrder) {
    const std::string name(1, letter);
    log.LOG("Check " + name + " base, errors will be show", kTabModeLineEnd, color::kBrightWhite);
    DtcTable& table = *db.table(letter);
    const int32_t before = table.upperBound();
    CheckTable(log, name, table, part);
    result.removed += before - table.upperBound();
    result.removals += part;
  }
  log.LOG(kCheckRule, kTabModeLineEnd, color::kBrightWhite);
  if (!result.removals.empty())
    log.LOG(result.removals, kTabModeLineEnd, color::kLightBlue);
  else
    log.LOG(kCheckNoError, kTabModeLineEnd, color::kLightGreen);
  log.LOG(kCheckRule, kTabModeLineEnd, color::kBrightWhite);
  log.DONE();
  return result;
}

}  // namespace vestral
