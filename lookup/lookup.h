#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

#include "database/dtc_database.h"

namespace vestral {

// The absence message of the lookup window and the command line.
inline constexpr const char* kAbsentMessage =
    "\xCE\xF8\xE8\xE1\xEA\xE0 \xEE\xF2\xF1\xF3\xF2\xF1\xF2\xE2\xF3\xE5\xF2 \xE2 \xE1\xE0\xE7\xE5 "
    "\xE4\xE0\xED\xED\xFB\xF5";  // "Ошибка отсутствует в базе данных" in code page 1251

// What a lookup found. `table` is null when the first character names no table;
// `entry` is null when nothing matched.
struct LookupResult {
  const DtcTable* table = nullptr;
  const DtcEntry* entry = nullptr;
  int32_t index = 0;
  bool found() const { return entry != nullptr; }
};

// The lookup of the window: the first character of Val picks the table (P, C, B,
// U exactly), its last four characters are the code; the first entry from index 1
// whose Code equals them wins.
LookupResult LookupCode(const DtcDatabase& db, std::string_view Val);

// The same lookup for many codes: indexes each table once and gives exactly the
// first-match results of LookupCode. The database must outlive the index and stay
// unchanged.
class LookupIndex {
 public:
  explicit LookupIndex(const DtcDatabase& db);
  LookupResult find(std::string_view Val) const;

 private:
  const DtcDatabase& db_;
  // Per table (P, C, B, U), the four code bytes packed into 32 bits -> first index.
  std::unordered_map<uint32_t, int32_t> first_[4];
};

}  // namespace vestral
