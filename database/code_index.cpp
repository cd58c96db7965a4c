#include "database/code_index.h"

#include <algorithm>
#include <bit>

namespace vestral {

namespace {

const char* codeBytes(const DtcEntry& e) { return e.Code.data(); }
const char* codeBytes(const EntryView& e) { return e.code.data(); }

}  // namespace

template <typename Entries>
void CodeIndex::build(const Entries& entries) {
  const auto ub = static_cast<int32_t>(entries.size()) - 1;
  reserveFor(ub);
  for (int32_t i = 1; i <= ub; ++i) insertFirst(PackCode(codeBytes(entries[i])), i);
}

CodeIndex::CodeIndex(const std::vector<DtcEntry>& entries) { build(entries); }

CodeIndex::CodeIndex(const std::vector<EntryView>& entries) { build(entries); }

CodeIndex::CodeIndex(const TableView& table) {
  reserveFor(table.upperBound());
  for (auto it = table.entries().begin(), end = table.entries().end(); it != end; ++it)
    insertFirst(PackCode(it->code.data()), it.position());
}

void CodeIndex::reserveFor(int32_t ub) {
  size_t capacity = 16;
  while (capacity < 2 * static_cast<size_t>(std::max(ub, 0))) capacity *= 2;
  slots_.resize(capacity);
  shift_ = 32 - std::countr_zero(capacity);
}

size_t CodeIndex::slotOf(uint32_t key) const {
  // Fibonacci hashing: the high bits of the product mix all four code bytes.
  return static_cast<size_t>((key * 2654435769u) >> shift_);
}

bool CodeIndex::find(std::string_view code, int32_t& index) const {
  if (code.size() != 4) return false;
  const uint32_t key = PackCode(code.data());
  const size_t mask = slots_.size() - 1;
  for (size_t i = slotOf(key);; i = (i + 1) & mask) {
    const Slot& s = slots_[i];
    if (s.index == 0) return false;
    if (s.key == key) {
      index = s.index;
      return true;
    }
  }
}

void CodeIndex::appended(std::string_view code, int32_t index) {
  if (2 * (used_ + 1) > slots_.size()) grow();
  insertFirst(PackCode(code.data()), index);
}

void CodeIndex::insertFirst(uint32_t key, int32_t index) {
  const size_t mask = slots_.size() - 1;
  for (size_t i = slotOf(key);; i = (i + 1) & mask) {
    Slot& s = slots_[i];
    if (s.index == 0) {
      s = {key, index};
      ++used_;
      return;
    }
    if (s.key == key) return;  // an earlier occurrence keeps priority
  }
}

void CodeIndex::grow() {
  std::vector<Slot> old;
  old.swap(slots_);
  slots_.resize(old.size() * 2);
  --shift_;
  used_ = 0;
  // Re-inserting in any order is fine: each key occurs once in the old array.
  for (const Slot& s : old)
    if (s.index != 0) insertFirst(s.key, s.index);
}

}  // namespace vestral
