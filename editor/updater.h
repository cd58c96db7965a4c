#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "database/dtc_database.h"
#include "log/log_sink.h"
#include "platform/questions.h"
#include "platform/status.h"

namespace vestral {

// Taking a newer default database into a workshop's own without losing the workshop's
// work: a three-way merge of the user's database, its kept base (the default it was
// made from or last updated to, KeptBasePath) and the new default.

// An entry's two texts as one of the three databases holds them.
struct UpdateTexts {
  bool present = false;  // false: that database lacks the code
  std::string Text;
  std::string Extension;
  friend bool operator==(const UpdateTexts&, const UpdateTexts&) = default;
};

// One code an update changes or reports.
struct UpdateItem {
  char letter = 0;
  std::string code;        // the four code bytes
  int32_t yoursIndex = 0;  // the user's entry; 0 when the user's table lacks the code
  UpdateTexts yours, base, incoming;
};

// What an update does. Each database counts the first entry of a code, the one a
// lookup finds; a later duplicate is left alone.
struct UpdatePlan {
  bool haveBase = false;
  std::vector<UpdateItem> added;    // NEW brought the code in: appended
  std::vector<UpdateItem> updated;  // the workshop never changed the entry, NEW did: NEW's texts
  // The workshop changed (or removed) the entry and NEW did not: the workshop's stays.
  std::vector<UpdateItem> kept;
  std::vector<UpdateItem> conflicts;  // both changed it: asked once for all
  std::vector<UpdateItem> dropped;    // in the base and the user's, not in NEW: stays
  // Without a base nobody can tell who changed an entry: listed, left as it is.
  std::vector<UpdateItem> differing;
  int32_t same = 0;  // the user's entry already holds NEW's texts
};

// The plan; `base` is null when the user's database has no kept base.
UpdatePlan PlanUpdate(const DtcDatabase& yours, const DtcDatabase* base,
                      const DtcDatabase& incoming);

// Applies the plan to the user's database it was made from: additions appended, updates
// in place, conflicts only when `takeIncoming` (a conflict over a removed entry then
// brings the entry back).
void ApplyUpdate(DtcDatabase& yours, const UpdatePlan& plan, bool takeIncoming);

// The one question of a run with conflicts: Yes takes the new default's texts for all
// of them, No (the default) keeps the user's.
MessageBox UpdateConflictQuestion(const UpdatePlan& plan, const std::string& databasePath);

struct [[nodiscard]] UpdateResult {
  Status status;  // the failure, naming the file and the problem
  UpdatePlan plan;
  bool conflictsTaken = false;
  bool databaseWritten = false;  // the previous file is then kept as BackupPath(database)
  bool baseWritten = false;
  bool done() const { return status.ok(); }
};

// Updates the database at `databasePath` from the default database at `incomingPath`,
// one log run (INIT ... DONE) listing what is added, updated, kept, in conflict and
// dropped. Locked from the read to the write; the database is written (its previous
// file kept as FILE.bak) only when something changes, then NEW's bytes become the kept
// base. Without a base, only codes the user lacks are added. A dry run reads, plans and
// logs, and asks and writes nothing. A failure leaves every file as it was.
UpdateResult UpdateDatabase(const std::string& databasePath, const std::string& incomingPath,
                            bool dryRun, LogSink& log, Questions& questions);

}  // namespace vestral
