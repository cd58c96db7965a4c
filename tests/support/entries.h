#pragma once

#include <cstdlib>
#include <initializer_list>
#include <string>
#include <string_view>

#include "database/database_view.h"
#include "database/dtc_database.h"

namespace vestral::testing {

// An entry as the generator would store it: code padded or cut to four characters.
inline DtcEntry entry(std::string_view code, std::string text, std::string ext = "") {
  DtcEntry e;
  e.setCode(code);
  e.Text = std::move(text);
  e.Extension = std::move(ext);
  return e;
}

// A table holding its placeholder and `entries`.
inline DtcTable tableOf(std::initializer_list<DtcEntry> entries) {
  DtcTable t;
  t.Entries.resize(1);
  t.Entries.insert(t.Entries.end(), entries);
  return t;
}

// `db` as the bytes of its file. A test database the format cannot hold is a broken test.
inline std::string Bytes(const DtcDatabase& db) {
  std::string bytes;
  if (!SerializeDatabase(db, bytes).ok()) std::abort();
  return bytes;
}

// `db` as the bytes of a file, for code that reads a database in place.
inline const DatabaseView& InPlace(const DtcDatabase& db, DatabaseFile& file) {
  if (!file.assign(Bytes(db), "memory").ok()) std::abort();
  return file.view();
}

}  // namespace vestral::testing
