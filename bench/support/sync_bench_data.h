#pragma once

// Databases for the collector and synchronizer benchmarks: `count` entries spread over
// the four tables, numbered codes so that two databases can share a chosen part.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "database/dtc_database.h"
#include "database/table_order.h"

namespace vestral::bench {

// Code number n lives in table n % 4 under four hex digits; the multiplier (odd, so a
// bijection of 0..65535) scatters neighbouring numbers over the table's code space.
inline char TableOf(uint32_t n) { return kTableLetters[n % 4]; }
inline std::string CodeOf(uint32_t n) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "%04X", static_cast<unsigned>(((n / 4) * 40503u) & 0xFFFF));
  return buf;
}

// Entries for code numbers first .. first+count-1, in a shuffled order, texts of about
// 40 bytes and an extension on every fifth. `textSeed` changes the texts, not the codes.
inline DtcDatabase MakeBenchDatabase(uint32_t first, uint32_t count, uint32_t textSeed) {
  std::vector<uint32_t> numbers(count);
  for (uint32_t i = 0; i < count; ++i) numbers[i] = first + i;
  std::mt19937 rng(first * 7919u + count);
  std::shuffle(numbers.begin(), numbers.end(), rng);

  DtcDatabase db = EmptyDatabase();
  for (DtcTable* t : {&db.P, &db.C, &db.B, &db.U}) t->Entries.reserve(count / 4 + 2);
  for (uint32_t n : numbers) {
    DtcEntry e;
    e.setCode(CodeOf(n));
    e.Text = "Circuit " + std::to_string(n) + " range/performance, revision " +
             std::to_string((n * 31u + textSeed) % 97u);
    if (n % 5 == 0) e.Extension = "Check the wiring of sensor " + std::to_string(n % 1000);
    db.table(TableOf(n))->Entries.push_back(std::move(e));
  }
  return db;
}

// The benchmark pair: `count` entries each, half of the codes shared, the shared ones
// with other texts in the second database.
inline DtcDatabase BenchMain(uint32_t count) { return MakeBenchDatabase(0, count, 1); }
inline DtcDatabase BenchOther(uint32_t count) { return MakeBenchDatabase(count / 2, count, 2); }

}  // namespace vestral::bench
