#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "database/code_index.h"
#include "database/database_view.h"

namespace vestral {

// The absence message of the lookup window and the command line.
inline constexpr const char* kAbsentMessage =
    "\xCE\xF8\xE8\xE1\xEA\xE0 \xEE\xF2\xF1\xF3\xF2\xF1\xF2\xE2\xF3\xE5\xF2 \xE2 \xE1\xE0\xE7\xE5 "
    "\xE4\xE0\xED\xED\xFB\xF5";  // "Ошибка отсутствует в базе данных" in code page 1251

// `text` as one field of a one-line record (a result line, a command's output line):
// tabs and line breaks inside it become blanks.
std::string OneLineField(std::string_view text);

// What a lookup found. `table` is null when the first character names no table;
// `index` is 0 when nothing matched.
struct [[nodiscard]] LookupResult {
  const TableView* table = nullptr;
  EntryView entry;
  int32_t index = 0;
  bool found() const { return index > 0; }
};

// The lookup of the window: the first character of Val picks the table (P, C, B,
// U exactly), its last four characters are the code; the first entry from index 1
// whose Code equals them wins. Walks the table only as far as that entry.
LookupResult LookupCode(const DatabaseView& db, std::string_view Val);

// The same lookup for many codes: indexes each table once and gives exactly the
// first-match results of LookupCode. The view's bytes must outlive the index.
class LookupIndex {
 public:
  explicit LookupIndex(const DatabaseView& db);
  LookupResult find(std::string_view Val) const;

 private:
  const DatabaseView& db_;
  // Per table (P, C, B, U): code -> first position, and where each position starts.
  std::optional<CodeIndex> codes_[4];
  std::vector<size_t> starts_[4];
};

}  // namespace vestral
