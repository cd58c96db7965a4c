// Word search for people (FindForPeople): what one keystroke in the search window costs
// on the shipped codes and on 1,000,000 entries, what building the index costs (time and
// bytes), and the whole `vestral search` command in process on 100,000 entries.
// Targets: a keystroke within 16 ms on the shipped codes, within 100 ms on 1,000,000.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <functional>
#include <iterator>
#include <sstream>

#include "cli/command.h"
#include "database/table_order.h"
#include "lookup/text_search.h"
#include "platform/codepage.h"
#include "support/bench_data.h"

namespace vestral {
extern const CommandSpec kSearchCommand;
}

namespace vestral::bench {
namespace {

// Ten sets of the reference data one after the other: 1,000,000 entries whose texts
// (30-80 bytes, a quarter of them random Cyrillic words) hold a vocabulary far larger
// than any real one. A table has room for fewer distinct codes; the search never
// looks at them.
DtcDatabase millionEntries() {
  DtcDatabase db = MakeReferenceDatabase(kReferenceEntriesPerTable, 1);
  for (uint64_t seed = 2; seed <= 10; ++seed) {
    DtcDatabase more = MakeReferenceDatabase(kReferenceEntriesPerTable, seed);
    for (const char letter : kTableLetters) {
      std::vector<DtcEntry>& to = db.table(letter)->Entries;
      std::vector<DtcEntry>& from = more.table(letter)->Entries;
      to.insert(to.end(), std::make_move_iterator(from.begin() + 1),
                std::make_move_iterator(from.end()));
    }
  }
  return db;
}

// The shipped codes (about 3,100 entries, English descriptions, Russian second texts) or the
// million above.
const DatabaseView& database(int64_t which) {
  static const DatabaseView& shipped = [] {
    auto* file = new DatabaseFile;  // kept for the program's life, as the view it gives
    if (!file->read(VESTRAL_CODE_SET_DATABASE).ok()) std::abort();
    return std::cref(file->view());
  }();
  if (which == 0) return shipped;
  static const DatabaseView& million = InPlaceDatabase(millionEntries());
  return million;
}

const SearchIndex& index(int64_t which) {
  static const SearchIndex shipped(database(0));
  if (which == 0) return shipped;
  static const SearchIndex million(database(1));
  return million;
}

const char* const kDatabaseNames[] = {"shipped", "1M"};

// As typed, the last word unfinished: one letter (the widest prefix), the issue's
// examples, a common word, and words found nowhere.
const char* const kQueries[] = {
    "д",      "misfire on cylinder 3", "датчик кислорода нагреватель банк 2",
    "sensor", "oxygen sensor heater",  "absent nowhere",
};

// One keystroke: the whole query as typed so far, the 100 best hits (a window's list).
void BM_Keystroke(benchmark::State& state) {
  const SearchIndex& idx = index(state.range(0));
  const std::string query = Utf8ToCp1251(kQueries[state.range(1)]);
  size_t hits = 0;
  for (auto _ : state) {
    const std::vector<SearchHit> found = FindForPeople(idx, query, 100);
    hits = found.size();
    benchmark::DoNotOptimize(found.data());
  }
  state.counters["hits"] = static_cast<double>(hits);
  state.SetLabel(std::string(kDatabaseNames[state.range(0)]) + ": " + kQueries[state.range(1)]);
}
BENCHMARK(BM_Keystroke)->ArgsProduct({{0, 1}, {0, 1, 2, 3, 4, 5}})->Unit(benchmark::kMillisecond);

// "датчик кислорода нагреватель банк 2" typed one key at a time: the mean keystroke.
void BM_Typing(benchmark::State& state) {
  const SearchIndex& idx = index(state.range(0));
  const std::string typed = Utf8ToCp1251(kQueries[2]);
  for (auto _ : state)
    for (size_t n = 1; n <= typed.size(); ++n)
      benchmark::DoNotOptimize(FindForPeople(idx, typed.substr(0, n), 100).size());
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(typed.size()));
  state.SetLabel(kDatabaseNames[state.range(0)]);
}
BENCHMARK(BM_Typing)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Building the index once per database load, and the bytes it holds.
void BM_IndexBuild(benchmark::State& state) {
  const DatabaseView& db = database(state.range(0));
  size_t bytes = 0, entries = 0;
  for (auto _ : state) {
    const SearchIndex built(db);
    bytes = built.memoryBytes();
    entries = built.entries();
  }
  state.counters["entries"] = static_cast<double>(entries);
  state.counters["MB"] = static_cast<double>(bytes) / (1024.0 * 1024.0);
  state.SetLabel(kDatabaseNames[state.range(0)]);
}
BENCHMARK(BM_IndexBuild)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// `vestral search --db FILE WORD...` on the 100,000 reference entries, minus the process
// start-up: reading the file, indexing it, searching, printing the hits.
void BM_SearchCommand(benchmark::State& state) {
  static const std::string path = [] {
    const std::string p = BenchScratchFile("search.DAT");
    if (!WriteDatabase(p, MakeReferenceDatabase()).ok()) std::abort();
    return p;
  }();
  const std::vector<std::string> words[] = {{"sensor"}, {"absent", "nowhere"}};
  std::vector<std::string> args{"search", "--db", path};
  args.insert(args.end(), words[state.range(0)].begin(), words[state.range(0)].end());
  const CommandSpec* const commands[] = {&kSearchCommand};
  for (auto _ : state) {
    std::string out, err;
    TextOutput o(out), e(err);
    std::istringstream in;
    CliStreams streams{o, e, in, false};
    const int status = RunCommandLine(args, commands, streams);
    if (status == kExitUsage) state.SkipWithError(err.c_str());
    benchmark::DoNotOptimize(out);
  }
  state.SetLabel(words[state.range(0)][0]);
}
BENCHMARK(BM_SearchCommand)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vestral::bench

BENCHMARK_MAIN();
