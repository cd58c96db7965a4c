#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "database/database_view.h"
#include "database/dtc_database.h"
#include "log/log_sink.h"
#include "platform/questions.h"
#include "platform/status.h"

namespace vestral {

// The confirmation asked in direct mode before a main entry is replaced: OK/Cancel,
// Cancel by default. Lines are separated by CR LF, as everywhere in this program's
// texts: "Confilm change:", a blank line, the main code and text, a blank line, " TO ",
// a blank line, the sync code and text; when either entry has a second text, each
// text is followed by a line "Second text: " and its second text, or "(none)".
MessageBox SyncConfirmation(const DtcEntry& mainEntry, const DtcEntry& syncEntry);

// Merges one table and logs it (BEGIN banner, one line per sync entry, END banner).
// For every sync entry from position 1, in order, the first main entry with the same
// code is looked up; entries appended earlier in this call count.
//  - not found: the sync entry is appended whole ("NOT FOUND, Create").
//  - direct: when the texts or the second texts differ the user is asked
//    (SyncConfirmation) and OK replaces the main entry whole; equal texts, or Cancel,
//    leave it ("Skip").
//  - alternative value: the main entry's Extension becomes the sync entry's Text
//    (Synchronize asks first when that loses a non-empty second text; this does not).
void SyncTable(LogSink& log, DtcTable& main, const DtcTable& sync, bool direct,
               Questions& questions);

// What a merge did to one table, or would do.
struct SyncCounts {
  int32_t before = 0;  // the main table's real entries before and after
  int32_t after = 0;
  int32_t added = 0;      // code absent from the main table: appended
  int32_t identical = 0;  // found, and the entry stays as it is
  int32_t changed = 0;    // found and changed: replaced (direct), second text set (alternative)
  int32_t declined = 0;   // direct mode: a change the user cancelled
  friend bool operator==(const SyncCounts&, const SyncCounts&) = default;
};

// What a run of Synchronize did. Done when the merged database was written; a change
// the user declined in direct mode is part of a complete run.
struct [[nodiscard]] SyncResult {
  Status status;                       // the failure, in words naming the file and the problem
  bool otherUnreadable = false;        // `status` tells why the sync file could not be opened
  bool declined = false;               // No to replacing second texts: nothing was written
  int32_t replacedTexts = 0;           // alternative value mode: non-empty second texts replaced
  std::array<SyncCounts, 4> tables{};  // B, C, P, U

  bool done() const { return status.ok() && !declined; }
};

// Merges the database file `syncPath` into the database file `mainPath` and logs the
// whole run (INIT ... DONE): both files are read whole, the tables are merged in the
// order B, C, P, U as SyncTable merges them, and the result is written over the main
// file from its first byte (never shortened), the previous file kept as its ".bak"
// (BackupPath). In alternative value mode the whole merge is decided first; when it
// would replace non-empty second texts with different ones, the user is asked once
// (Yes/No, No the default: how many per table, the first few) and No leaves every file
// as it was. A missing sync file, a main or sync file that is missing or not a
// database, or a main file that cannot be written is reported in the log (light red
// for the last three) and leaves the main file as it was.
SyncResult Synchronize(const std::string& mainPath, const std::string& syncPath, bool direct,
                       LogSink& log, Questions& questions);

// What a run would do to one table, worked out without writing anything.
struct SyncPlanEntry {
  std::string code;       // the four code bytes
  int32_t syncIndex = 0;  // position in the sync table
  int32_t mainIndex = 0;  // position in the main table (for an addition: where it goes)
  // The main text the run compares, and the sync text it would take: in direct mode
  // the two Texts; in alternative value mode the main Extension and the sync Text.
  // For an addition, no main text and the sync entry's Text.
  std::string mainText;
  std::string syncText;
  // Direct mode: the second texts, which the run compares and replaces too.
  std::string mainExtension;
  std::string syncExtension;
};

struct SyncTablePlan {
  char letter = 0;
  int32_t sizeBefore = 0;  // the main table's real entries before and after the run
  int32_t sizeAfter = 0;
  std::vector<SyncPlanEntry> added;      // code absent from the main table: appended
  std::vector<SyncPlanEntry> identical;  // found, and the run leaves the entry as it is
  // Found, and the texts differ: direct mode asks and replaces on OK; alternative value
  // mode sets the Extension (asking first, once, when a non-empty one differs).
  std::vector<SyncPlanEntry> changed;

  SyncCounts counts() const;
};

// The plan of one table, decided by the same steps as the run, with every question
// answered OK (that matters only when a code occurs more than once in the sync table,
// and only in direct mode).
SyncTablePlan PlanSyncTable(const TableView& main, const TableView& sync, char letter, bool direct);

}  // namespace vestral
