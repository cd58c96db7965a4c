#pragma once

#include <QString>
#include <string>

#include "database/dtc_database.h"
#include "support/entries.h"

namespace vestral::testing {

// A file path as a command line argument.
inline QString Arg(const std::string& path) { return QString::fromStdString(path); }

// The database stored at `path`; an empty database with every table empty when the
// file cannot be read (the test then fails on its comparison).
inline DtcDatabase ReadBack(const std::string& path) {
  DtcDatabase db;
  if (!ReadDatabase(path, db).ok()) return {};
  return db;
}

}  // namespace vestral::testing
