#pragma once

#include <string>

#include "database/dtc_database.h"

namespace vestral::bench {

// A reproducible source text of `lines` entries, spread over the four tables, CR LF
// line ends, about a quarter with an extension text (code page 1251).
std::string MakeSourceText(int lines);

// A database of `entries` entries spread over the four tables in which every other
// entry is damaged (a bad first code character, an empty text, or both).
DtcDatabase MakeHalfDamagedDatabase(int entries);

// A fresh folder under the temporary folder, removed with its contents.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  std::string file(const std::string& name) const;

 private:
  std::string path_;
};

}  // namespace vestral::bench
