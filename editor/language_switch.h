#pragma once

#include <cstdint>
#include <string>

#include "platform/program_paths.h"
#include "platform/status.h"

namespace vestral {

struct [[nodiscard]] SwitchLanguageResult {
  Status status;                                // the failure, naming the file and the problem
  TextLanguage before = TextLanguage::English;  // what the database held first
  int32_t turned = 0;                           // entries whose two texts changed places
  bool databaseWritten = false;  // the previous file is then kept as BackupPath(database)
  bool baseWritten = false;
};

// Makes the database at `databasePath` hold `language` first, and its kept base with it
// (TurnToLanguage), so that `update` and the newer-default notice then follow that
// language's default. Nothing is lost: every entry keeps both of its texts, only their
// order changes, and the workshop's own entries in one language stay as they are.
// Locked from the read to the write; the base is written first, then the database (its
// previous file kept as FILE.bak), each only when it changes; a failure leaves the file
// it names as it was, and running again finishes the switch.
SwitchLanguageResult SwitchLanguage(const std::string& databasePath, TextLanguage language);

}  // namespace vestral
