// The entries window's filter over a working copy of 100,000 entries: what one keystroke
// costs, for each kind of filter a user types, and a whole word typed key by key; and
// listing it again after a Read.
// Target: every keystroke in 50 ms or less.

#include <benchmark/benchmark.h>

#include <string>

#include "editor/entry_list.h"
#include "support/bench_data.h"

namespace vestral::bench {
namespace {

struct Filter {
  const char* label;
  std::string typed;
};

// A code start (only codes are compared), a common word (many rows), two words, an
// upper-case Cyrillic pair (folded to the lower-case letters the texts hold), and a word
// found nowhere (every text scanned to its end).
const Filter kFilters[] = {
    {"code start P04", "P04"}, {"sensor", "sensor"},  {"oxygen sensor", "oxygen sensor"},
    {"cyrillic", "\xC0\xC1"},  {"absent", "nowhere"},
};

DtcDatabase& workingCopy() {
  static DtcDatabase db = MakeReferenceDatabase();
  return db;
}

void BM_EntryFilterKeystroke(benchmark::State& state) {
  EntryList list(workingCopy());
  const Filter& f = kFilters[state.range(0)];
  for (auto _ : state) {
    list.setFilter(f.typed);
    benchmark::DoNotOptimize(list.size());
  }
  state.counters["rows"] = static_cast<double>(list.size());
  state.SetLabel(f.label);
}
BENCHMARK(BM_EntryFilterKeystroke)->DenseRange(0, 4)->Unit(benchmark::kMillisecond);

// "oxygen sensor" typed one key at a time: the mean of its 13 keystrokes.
void BM_EntryFilterTyping(benchmark::State& state) {
  EntryList list(workingCopy());
  const std::string typed = "oxygen sensor";
  for (auto _ : state) {
    for (size_t n = 1; n <= typed.size(); ++n) list.setFilter(typed.substr(0, n));
    benchmark::DoNotOptimize(list.size());
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(typed.size()));
}
BENCHMARK(BM_EntryFilterTyping)->Unit(benchmark::kMillisecond);

// Listing the working copy again after a Read or a Check, which indexes its words anew;
// an edit made in the window indexes only its entry.
void BM_EntryListReload(benchmark::State& state) {
  EntryList list(workingCopy());
  for (auto _ : state) {
    list.reload();
    benchmark::DoNotOptimize(list.size());
  }
}
BENCHMARK(BM_EntryListReload)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vestral::bench

BENCHMARK_MAIN();
