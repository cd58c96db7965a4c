// Checking a database of 100,000 entries in which every other entry is damaged: the
// whole check with its log, and one-by-one removal beside it for the growth rate.

#include <benchmark/benchmark.h>

#include "editor/checker.h"
#include "support/source_text.h"

namespace {

using namespace vestral;

template <class Sink>
void BM_CheckDatabase(benchmark::State& state) {
  const DtcDatabase damaged = bench::MakeHalfDamagedDatabase(static_cast<int>(state.range(0)));
  int32_t removed = 0;
  for (auto _ : state) {
    state.PauseTiming();
    DtcDatabase db = damaged;
    Sink log;
    state.ResumeTiming();
    removed = CheckDatabase(db, log).removed;
    benchmark::DoNotOptimize(log);
    state.PauseTiming();
    db = {};  // freeing the copy is not part of the check
    log = {};
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
  state.counters["removed"] = removed;
}
BENCHMARK(BM_CheckDatabase<NullSink>)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CheckDatabase<RecordingSink>)->Arg(100000)->Unit(benchmark::kMillisecond);

// Removing each damaged entry with DeleteEntry, which moves every later entry down.
void BM_OneByOneRemoval(benchmark::State& state) {
  const DtcDatabase damaged = bench::MakeHalfDamagedDatabase(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    state.PauseTiming();
    DtcDatabase db = damaged;
    state.ResumeTiming();
    for (DtcTable* t : {&db.B, &db.C, &db.P, &db.U}) {
      for (int32_t i = 1; i <= t->upperBound(); ++i)
        if (!IsEntryValid(t->Entries[i]) && DeleteEntry(*t, i)) --i;
    }
    benchmark::DoNotOptimize(db);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_OneByOneRemoval)->Arg(10000)->Arg(40000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CheckDatabase<NullSink>)->Arg(10000)->Arg(40000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
