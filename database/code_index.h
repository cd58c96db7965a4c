#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "database/database_view.h"
#include "database/dtc_database.h"

namespace vestral {

// The four code bytes at `code` as one key: equal keys, equal codes. The byte order is
// the machine's; it matters to no one as long as every key is made here.
[[nodiscard]] inline uint32_t PackCode(const char* code) {
  uint32_t v = 0;
  std::memcpy(&v, code, 4);
  return v;
}

// Below this many look-ups a linear scan per code costs less than indexing the tables.
inline constexpr size_t kIndexWorthFrom = 32;

// The first index of every code of one table, so that many look-ups cost one pass
// over the table instead of one pass each. find() gives exactly what FindEntry gives
// (the lowest index from 1 whose Code equals the four characters), as long as the
// table only changes through entries appended at its end (reported with appended())
// and through entries whose Code stays the same.
class CodeIndex {
 public:
  // An index of no entry yet, for entries reported with appended() as they come.
  CodeIndex() { reserveFor(0); }
  explicit CodeIndex(const DtcTable& table) : CodeIndex(table.Entries) {}
  // Entries as a table holds them: position 0 the placeholder.
  explicit CodeIndex(const std::vector<DtcEntry>& entries);
  explicit CodeIndex(const std::vector<EntryView>& entries);
  explicit CodeIndex(const TableView& table);

  // Like FindEntry: true and `index` set when found; `index` untouched otherwise.
  bool find(std::string_view code, int32_t& index) const;

  // Call after appending an entry at `index` (the new upper bound): a code seen for
  // the first time now points there, an older occurrence keeps priority.
  void appended(const DtcEntry& entry, int32_t index) { appended(entry.code(), index); }
  void appended(const EntryView& entry, int32_t index) { appended(entry.code, index); }

 private:
  // Open addressing with linear probing over a power-of-two array, at most half full:
  // one allocation for the whole table instead of one per code.
  struct Slot {
    uint32_t key = 0;   // the four code bytes
    int32_t index = 0;  // 0: empty (real entries start at 1)
  };
  void appended(std::string_view code, int32_t index);
  template <typename Entries>
  void build(const Entries& entries);
  void reserveFor(int32_t upperBound);
  void insertFirst(uint32_t key, int32_t index);
  void grow();
  size_t slotOf(uint32_t key) const;

  std::vector<Slot> slots_;
  size_t used_ = 0;
  int shift_ = 32;
};

}  // namespace vestral
