#include "editor/language_switch.h"

#include <filesystem>

#include "database/dtc_database.h"
#include "database/text_language.h"
#include "platform/file_io.h"

namespace vestral {

namespace {

// Turns the kept base, when there is one; a base already in `language` stays untouched.
Status switchBase(const std::string& path, TextLanguage language, bool& written) {
  std::error_code ec;
  if (!std::filesystem::exists(std::filesystem::symlink_status(path, ec))) return Status::OK();
  DtcDatabase base;
  std::string bytes;
  if (Status s = ReadDatabase(path, base); !s.ok()) return s;
  const DtcDatabase unturned = base;
  TurnToLanguage(base, language);
  if (base == unturned) return Status::OK();
  if (Status s = SerializeDatabase(base, bytes); !s.ok()) return s;
  if (Status s = ReplaceFile(path, bytes); !s.ok()) return s;
  written = true;
  return Status::OK();
}

}  // namespace

SwitchLanguageResult SwitchLanguage(const std::string& databasePath, TextLanguage language) {
  SwitchLanguageResult r;
  FileLock lock;
  DtcDatabase db;
  r.status = lock.lock(databasePath);
  if (r.status.ok()) r.status = ReadDatabase(databasePath, db);
  if (!r.status.ok()) return r;
  r.before = FirstLanguageOf(db);
  const DtcDatabase unturned = db;
  r.turned = TurnToLanguage(db, language);
  r.status = switchBase(KeptBasePath(databasePath), language, r.baseWritten);
  if (!r.status.ok() || db == unturned) return r;
  r.status = WriteDatabase(databasePath, db, {.keepBackup = true});
  r.databaseWritten = r.status.ok();
  return r;
}

}  // namespace vestral
