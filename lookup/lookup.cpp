#include "lookup/lookup.h"

#include <cstring>

namespace vestral {

namespace {

uint32_t packCode(const char* c) {
  uint32_t v;
  std::memcpy(&v, c, 4);
  return v;
}

int tableSlot(char letter) {
  switch (letter) {
    case 'P': return 0;
    case 'C': return 1;
    case 'B': return 2;
    case 'U': return 3;
    default: return -1;
  }
}

}  // namespace

LookupResult LookupCode(const DtcDatabase& db, std::string_view Val) {
  LookupResult r;
  if (Val.empty()) return r;
  r.table = db.table(Val.front());
  if (!r.table || Val.size() < 4) return r;
  int32_t index = 0;
  if (FindEntry(*r.table, Val.substr(Val.size() - 4), index)) {
    r.index = index;
    r.entry = &r.table->Entries[index];
  }
  return r;
}

LookupIndex::LookupIndex(const DtcDatabase& db) : db_(db) {
  const DtcTable* tables[4] = {&db.P, &db.C, &db.B, &db.U};
  for (int t = 0; t < 4; ++t) {
    const auto& entries = tables[t]->Entries;
    first_[t].reserve(entries.size());
    for (int32_t i = 1; i < static_cast<int32_t>(entries.size()); ++i)
      first_[t].try_emplace(packCode(entries[i].Code.data()), i);  // keeps the first
  }
}

LookupResult LookupIndex::find(std::string_view Val) const {
  LookupResult r;
  if (Val.empty()) return r;
  const int slot = tableSlot(Val.front());
  if (slot < 0) return r;
  r.table = db_.table(Val.front());
  if (Val.size() < 4) return r;
  const auto it = first_[slot].find(packCode(Val.data() + Val.size() - 4));
  if (it == first_[slot].end()) return r;
  r.index = it->second;
  r.entry = &r.table->Entries[it->second];
  return r;
}

}  // namespace vestral
