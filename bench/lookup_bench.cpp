// FIND as the window runs it: a linear scan of one table of 25,000 entries. Target:
// the last entry of a table in under 0.2 ms. Also the index the command line builds
// for a batch of codes, and the look at the file the window takes before each lookup.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <limits>

#include "database/table_order.h"
#include "lookup/followed_database.h"
#include "lookup/lookup.h"
#include "lookup/result_display.h"
#include "support/bench_data.h"

namespace vestral::bench {
namespace {

const DtcDatabase& referenceEntries() {
  static const DtcDatabase db = MakeReferenceDatabase();
  return db;
}

// The reference database as the file's bytes, read in place as the lookups read it.
const DatabaseView& referenceDatabase() {
  static const DatabaseView& view = InPlaceDatabase(referenceEntries());
  return view;
}

// Reading: the check of every count of a record of 100,000 entries, in place.
void BM_ParseDatabaseView(benchmark::State& state) {
  std::string bytes;
  if (!SerializeDatabase(referenceEntries(), bytes).ok()) state.SkipWithError("serialize failed");
  for (auto _ : state) {
    DatabaseView view;
    if (!ParseDatabaseView(bytes, "reference", view).ok()) state.SkipWithError("parse failed");
    benchmark::DoNotOptimize(view);
  }
}
BENCHMARK(BM_ParseDatabaseView)->Unit(benchmark::kMillisecond);

void BM_LookupCode_LastEntry(benchmark::State& state) {
  const char letter = kTableLetters[state.range(0)];
  const std::string code = LastCodeOf(referenceEntries(), letter);
  state.SetLabel(code);
  for (auto _ : state) {
    const LookupResult r = LookupCode(referenceDatabase(), code);
    if (!r.found()) state.SkipWithError("last entry not found");
    benchmark::DoNotOptimize(r);
  }
}
BENCHMARK(BM_LookupCode_LastEntry)->DenseRange(0, 3)->Unit(benchmark::kMicrosecond);

// An absent code scans the whole table too.
void BM_LookupCode_Absent(benchmark::State& state) {
  for (auto _ : state) {
    const LookupResult r = LookupCode(referenceDatabase(), "PZZZZ");
    benchmark::DoNotOptimize(r);
  }
}
BENCHMARK(BM_LookupCode_Absent)->Unit(benchmark::kMicrosecond);

void BM_LookupIndex_Build(benchmark::State& state) {
  for (auto _ : state) {
    LookupIndex index(referenceDatabase());
    benchmark::DoNotOptimize(index);
  }
  state.SetItemsProcessed(state.iterations() * 4 * kReferenceEntriesPerTable);
}
BENCHMARK(BM_LookupIndex_Build)->Unit(benchmark::kMillisecond);

void BM_LookupIndex_Find10000(benchmark::State& state) {
  const LookupIndex index(referenceDatabase());
  const std::vector<std::string> codes = ReferenceQueryCodes(referenceEntries(), 10000);
  for (auto _ : state) {
    size_t found = 0;
    for (const std::string& c : codes) found += index.find(c).found();
    benchmark::DoNotOptimize(found);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(codes.size()));
}
BENCHMARK(BM_LookupIndex_Find10000)->Unit(benchmark::kMicrosecond);

// The lookup window's lookup: a look at the file (unchanged since it was read) and the
// lookup of a table's last entry. Target: the look adds no more than 0.1 ms.
void BM_FollowedLookup_Unchanged(benchmark::State& state) {
  static const std::string path = [] {
    const std::string p = BenchScratchFile("followed.DAT");
    if (!WriteDatabase(p, referenceEntries()).ok()) std::abort();
    return p;
  }();
  // The clock long after the file was written: it has settled.
  FollowedDatabase db(path, [] { return std::numeric_limits<int64_t>::max() / 2; });
  const std::string code = LastCodeOf(referenceEntries(), 'U');
  for (auto _ : state) {
    const FindDisplay d = DescribeFindNow(db, code);
    if (!d.found) state.SkipWithError("last entry not found");
    benchmark::DoNotOptimize(d);
  }
}
BENCHMARK(BM_FollowedLookup_Unchanged)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace vestral::bench

BENCHMARK_MAIN();
