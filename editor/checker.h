#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "database/dtc_database.h"
#include "log/log_sink.h"

namespace vestral {

inline constexpr const char* kCheckRule =
    "===================================================================";
inline constexpr const char* kCheckNoError = "No error. Database correct.";

// The messages for the three entry rules, in the order they are evaluated.
inline constexpr const char* kLengthError = "::CODE ERROR LENGCH::";
inline constexpr const char* kCrcError = "::CODE ERROR CRC::";
inline constexpr const char* kDataMissing = "::DATA MISSING::";
inline constexpr std::array<const char*, 3> kEntryRuleMessages = {kLengthError, kCrcError,
                                                                  kDataMissing};

// The rules an entry with this code and text breaks: bit r for kEntryRuleMessages[r],
// 0 when it breaks none. The rules: a four-character code whose first character is
// 0-3, and a non-empty text.
[[nodiscard]] unsigned BrokenEntryRules(std::string_view code, std::string_view text);

// True when the entry breaks none of the rules.
[[nodiscard]] bool IsEntryValid(const DtcEntry& e);

// Checks entries 1..upper bound of `table`, logs one line per damaged entry (its
// broken rules, then "Erased") and removes it. "IND=" shows the position the entry
// has once the damaged entries before it are gone. `removals` receives the table's
// records, EntryLine with " | " and CR LF (replacing what it held). The table is compacted in one
// pass, with the same result as removing the entries one by one.
void CheckTable(LogSink& log, const std::string& letter, DtcTable& table, std::string& removals);

struct CheckResult {
  std::string removals;  // every removed entry's record, tables B, C, P, U
  int32_t removed = 0;   // how many entries were removed
};

// The whole check of a working database, with its own log run (INIT ... DONE):
// heading, base positions, tables B, C, P, U, then the removal list or the all-clear
// between two rules. REQUIRES: every table has its placeholder (a database read from
// a file or built by EmptyDatabase).
CheckResult CheckDatabase(DtcDatabase& db, LogSink& log);

}  // namespace vestral
