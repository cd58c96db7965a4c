#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "database/dtc_database.h"
#include "platform/questions.h"
#include "platform/status.h"

namespace vestral {

// Adding, changing and removing single entries of a database file. Each is a
// read-modify-write locked from the read to the write; it asks before it replaces or
// removes texts, and keeps the previous file as FILE.bak.

// Why an entry cannot hold these texts, empty when it can: an empty description (the
// checker would remove the entry), a control character or, in the description, a "|"
// (a collected source line would split there), a text over kMaxTextBytes.
std::string EntryTextProblem(std::string_view text, std::string_view extension);

// The texts one code is to hold.
struct EntryEdit {
  char letter = 0;                       // P, C, B or U
  std::string code;                      // the four code bytes
  std::string text;                      // the description
  std::optional<std::string> extension;  // the second text; absent: an existing one stays
};

enum class EditOutcome { kAdded, kChanged, kUnchanged, kDeclined };

struct [[nodiscard]] SetEntryResult {
  Status status;
  EditOutcome outcome = EditOutcome::kUnchanged;
  DtcEntry before;  // the entry that held the code (not for kAdded)
  DtcEntry after;   // the entry as stored, or as it would have been
  bool done() const { return status.ok() && outcome != EditOutcome::kDeclined; }
};

// Adds the entry when its table lacks the code; otherwise the first entry with the
// code (the one a lookup finds) takes the texts after a question (Yes/No, No by
// default) that shows the old and the new texts. Entries already holding the texts
// are left as they are, without a write.
SetEntryResult SetEntry(const std::string& path, const EntryEdit& edit, Questions& questions);

// The question SetEntry asks before it changes `before` into `after`.
MessageBox ChangeEntryQuestion(char letter, const DtcEntry& before, const DtcEntry& after,
                               const std::string& path);

struct RemovedEntry {
  char letter = 0;
  DtcEntry entry;
};

struct [[nodiscard]] RemoveEntriesResult {
  Status status;
  std::vector<RemovedEntry> removed;  // every entry removed, or that a No kept
  std::vector<std::string> absent;    // codes (letter form) the database lacks
  bool declined = false;
  bool done() const { return status.ok() && !declined && absent.empty(); }
};

// Removes every entry of each code (letter form: P0100), after one question listing
// them (Yes/No, No by default). Codes the database lacks are reported; the others are
// still removed.
RemoveEntriesResult RemoveEntries(const std::string& path, const std::vector<std::string>& codes,
                                  Questions& questions);

}  // namespace vestral
