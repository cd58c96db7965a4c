#include "lookup/lookup.h"

#include <cstring>

namespace vestral {

namespace {

uint32_t packCode(const char* c) {
  uint32_t v;
  std::memcpy(&v, c, 4);
  return v;
}

}  // namespace

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
  const TableView* tables[4] = {&db.P, &db.C, &db.B, &db.U};
  for (int t = 0; t < 4; ++t) {
    first_[t].reserve(static_cast<size_t>(tables[t]->upperBound()));
    for (auto it = tables[t]->entries().begin(), end = tables[t]->entries().end(); it != end; ++it)
      first_[t].try_emplace(packCode(it->code.data()), First{it.position(), it->code.data()});
  }
}

LookupResult LookupIndex::find(std::string_view Val) const {
  LookupResult r;
  if (Val.empty()) return r;
  const int slot = TableSlot(Val.front());
  if (slot < 0) return r;
  r.table = db_.table(Val.front());
  if (Val.size() < 4) return r;
  const auto it = first_[slot].find(packCode(Val.data() + Val.size() - 4));
  if (it == first_[slot].end()) return r;
  r.index = it->second.index;
  r.entry = TableView::EntryAt(it->second.at);
  return r;
}

}  // namespace vestral
