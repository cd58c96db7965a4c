#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "database/dtc_database.h"
#include "database/status.h"
#include "log/log_sink.h"
#include "platform/questions.h"

namespace vestral {

// The confirmation asked in direct mode before a main entry is replaced: OK/Cancel,
// Cancel by default. Lines are separated by CR LF, as everywhere in this program's
// texts: "Confilm change:", a blank line, the main code and text, a blank line, " TO ",
// a blank line, the sync code and text.
MessageBox SyncConfirmation(const DtcEntry& mainEntry, const DtcEntry& syncEntry);

// Merges one table and logs it (BEGIN banner, one line per sync entry, END banner).
// For every sync entry from position 1, in order, the first main entry with the same
// code is looked up; entries appended earlier in this call count.
//  - not found: the sync entry is appended whole ("NOT FOUND, Create").
//  - direct: when the two texts differ the user is asked (SyncConfirmation) and OK
//    replaces the main entry whole; equal texts, or Cancel, leave it ("Skip").
//  - alternative value: the main entry's Extension becomes the sync entry's Text.
void SyncTable(LogSink& log, DtcTable& main, const DtcTable& sync, bool direct,
               Questions& questions);

// Merges the database file `syncPath` into the database file `mainPath` and logs the
// whole run (INIT ... DONE): both files are read whole, the tables are merged in the
// order B, C, P, U with SyncTable, and the result is written over the main file from
// its first byte (never shortened). A missing sync file, a main or sync file that is
// missing or not a database, or a main file that cannot be written is reported in
// the log (light red for the last three) and leaves the main file as it was.
// Returns true when the merged database was written; a change the user declined in
// direct mode is part of a complete run.
bool Synchronize(const std::string& mainPath, const std::string& syncPath, bool direct,
                 LogSink& log, Questions& questions);

// What a run would do to one table, worked out without writing anything.
struct SyncPlanEntry {
  std::string code;       // the four code bytes
  int32_t syncIndex = 0;  // position in the sync table
  int32_t mainIndex = 0;  // position in the main table (for an addition: where it goes)
  // The main text the run compares, and the sync text it would take: in direct mode
  // the two Texts; in alternative value mode the main Extension and the sync Text.
  // Empty for additions.
  std::string mainText;
  std::string syncText;
};

struct SyncTablePlan {
  char letter = 0;
  int32_t sizeBefore = 0;  // the main table's real entries before and after the run
  int32_t sizeAfter = 0;
  std::vector<SyncPlanEntry> added;      // code absent from the main table: appended
  std::vector<SyncPlanEntry> identical;  // found, and the run leaves the entry as it is
  // Found, and the texts differ: direct mode asks and replaces on OK; alternative value
  // mode sets the Extension.
  std::vector<SyncPlanEntry> changed;
};

struct SyncPlan {
  bool direct = false;
  std::array<SyncTablePlan, 4> tables;  // B, C, P, U
};

// The plan of SyncTable, as if every question were answered OK (that matters only
// when a code occurs more than once in the sync table). `main` is not changed.
SyncTablePlan PlanSyncTable(const DtcTable& main, const DtcTable& sync, char letter, bool direct);

// Reads both files and plans every table; nothing is written. An error names the file
// and the problem (missing, not a database).
Status PlanSync(const std::string& mainPath, const std::string& syncPath, bool direct,
                SyncPlan& plan);

}  // namespace vestral
