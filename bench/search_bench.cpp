// Searching the texts of 100,000 entries: the search itself, and the whole `vestral
// search` command in process (reading the file, folding, printing the hits).
// Target: one search in 30 ms or less.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <sstream>

#include "cli/command.h"
#include "lookup/text_search.h"
#include "support/bench_data.h"

namespace vestral {
extern const CommandSpec kSearchCommand;
}

namespace vestral::bench {
namespace {

struct Query {
  const char* label;
  std::vector<std::string> words;
};

// A common word (many hits), two words, an upper-case Cyrillic pair (folded to the
// lower-case letters the texts hold), and a word found nowhere (every text scanned
// to its end).
const Query kQueries[] = {
    {"sensor", {"sensor"}},
    {"oxygen+sensor", {"oxygen", "sensor"}},
    {"cyrillic", {"\xC0\xC1"}},
    {"absent", {"nowhere"}},
};

void BM_SearchEntries(benchmark::State& state) {
  static const DatabaseView& db = InPlaceDatabase(MakeReferenceDatabase());
  static const SearchIndex index(db);
  const Query& q = kQueries[state.range(0)];
  std::string query;
  for (const std::string& w : q.words) query += w + ' ';
  size_t hits = 0;
  for (auto _ : state) {
    const std::vector<SearchHit> found = FindForPeople(index, query, kAllHits);
    hits = found.size();
    benchmark::DoNotOptimize(found.data());
  }
  state.SetItemsProcessed(state.iterations() * 100000);
  state.counters["hits"] = static_cast<double>(hits);
  state.SetLabel(q.label);
}
BENCHMARK(BM_SearchEntries)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

// `vestral search --db FILE WORD...`, minus the process start-up.
void BM_SearchCommand(benchmark::State& state) {
  static const std::string path = [] {
    const std::string p = BenchScratchFile("search.DAT");
    if (!WriteDatabase(p, MakeReferenceDatabase()).ok()) std::abort();
    return p;
  }();
  const Query& q = kQueries[state.range(0)];
  std::vector<std::string> args{"search", "--db", path};
  args.insert(args.end(), q.words.begin(), q.words.end());
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
  state.SetLabel(q.label);
}
BENCHMARK(BM_SearchCommand)->Arg(0)->Arg(3)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vestral::bench

BENCHMARK_MAIN();
