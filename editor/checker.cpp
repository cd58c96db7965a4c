#include "editor/checker.h"

#include <utility>

#include "editor/base_positions.h"

namespace vestral {

namespace {

bool lengthOk(const DtcEntry& e) { return e.code().size() == 4; }

// Only the character behind the system letter is tested (an unassigned NUL fails).
bool crcOk(const DtcEntry& e) {
  const char c = e.Code[0];
  return c == '0' || c == '1' || c == '2' || c == '3';
}

bool textOk(const DtcEntry& e) { return !e.Text.empty(); }

}  // namespace

bool IsEntryValid(const DtcEntry& e) { return lengthOk(e) && crcOk(e) && textOk(e); }

std::string RemovalRecord(char letter, const DtcEntry& e) {
  std::string r;
  r.reserve(10 + e.Text.size() + e.Extension.size());
  r += letter;
  r.append(e.Code.data(), 4);
  r += ' ';
  r += e.Text;
  if (!e.Extension.empty()) {
    r += " | ";
    r += e.Extension;
  }
  r += "\r\n";
  return r;
}

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
    const bool rules[3] = {lengthOk(e), crcOk(e), textOk(e)};
    if (rules[0] && rules[1] && rules[2]) {
      if (keep != i) entries[keep] = std::move(e);
      ++keep;
      continue;
    }
    const char* messages[3] = {kLengthError, kCrcError, kDataMissing};
    for (int r = 0; r < 3; ++r) {
      if (rules[r]) continue;
      piece = prefix;
      piece += std::to_string(keep);
      piece += '\t';
      piece += messages[r];
      log.LOG(piece, kTabModeTab, color::kLightYellow);
    }
    out += RemovalRecord(letterChar, e);
    // Removing an entry in memory cannot fail, so "Crash" never shows.
    log.LOG(erased, kTabModeLineEnd, color::kLightCyan);
  }
  if (n > 0) entries.resize(keep);
  removals = std::move(out);
}

CheckResult CheckDatabase(DtcDatabase& db, LogSink& log) {
  log.INIT();
  log.LOG("Check database for errors and CRC", kTabModeLineEnd, color::kBrightWhite);
  const char order[4] = {'B', 'C', 'P', 'U'};
  // The check logs its base positions in white, not the yellow of Read and Write.
  for (char letter : order)
    log.LOG(BasePositionLine(letter, *db.table(letter)), kTabModeLineEnd, color::kBrightWhite);
  CheckResult result;
  std::string part;
  for (char letter : order) {
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
