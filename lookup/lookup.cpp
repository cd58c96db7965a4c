#include "lookup/lookup.h"

#include <cstring>

#include "database/table_order.h"

namespace vestral {

std::string OneLineField(std::string_view text) {
  std::string flat(text);
  for (char& c : flat)
    if (c == '\t' || c == '\r' || c == '\n') c = ' ';
  return flat;
}

LookupResult LookupCode(const DatabaseView& db, std::string_view Val) {
  LookupResult r;
  if (Val.empty()) return r;
  r.table = db.table(Val.front());
  if (!r.table || Val.size() < 4) return r;
  const std::string_view code = Val.substr(Val.size() - 4);
  for (auto it = r.table->entries().begin(), end = r.table->entries().end(); it != end; ++it) {
    if (it->code == code) {
      r.index = it.position();
      r.entry = *it;
      break;
    }
  }
  return r;
}

LookupIndex::LookupIndex(const DatabaseView& db) : db_(db) {
  for (int t = 0; t < 4; ++t) {
    const TableView& table = *db.table(kTableLetters[t]);
    codes_[t].emplace(table);
    starts_[t].reserve(static_cast<size_t>(table.upperBound()) + 1);
    for (auto it = table.elements().begin(), end = table.elements().end(); it != end; ++it)
      starts_[t].push_back(table.offsetOf(it));
  }
}

LookupResult LookupIndex::find(std::string_view Val) const {
  LookupResult r;
  if (Val.empty()) return r;
  const int slot = TableSlot(Val.front());
  if (slot < 0) return r;
  r.table = db_.table(Val.front());
  if (Val.size() < 4) return r;
  int32_t index = 0;
  if (!codes_[slot]->find(Val.substr(Val.size() - 4), index)) return r;
  r.index = index;
  r.entry = r.table->entryAt(starts_[slot][static_cast<size_t>(index)]);
  return r;
}

}  // namespace vestral
