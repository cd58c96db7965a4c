#pragma once

#include <QString>
#include <string>
#include <string_view>

#include "database/dtc_database.h"

namespace vestral::testing {

inline DtcEntry MakeEntry(std::string_view code, std::string text, std::string ext = "") {
  DtcEntry e;
  e.setCode(code);
  e.Text = std::move(text);
  e.Extension = std::move(ext);
  return e;
}

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
