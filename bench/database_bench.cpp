// Reading and writing the whole database: the reference database of 100,000 entries
// (6.8 MB). Target: both at least 300 MB/s. The rates are per CPU second (the file is
// in the page cache, so the kernel's copying is CPU time too): on a machine shared
// with other work the wall time grows, the cost does not.

#include <benchmark/benchmark.h>

#include <cstdlib>

#include "database/dtc_database.h"
#include "support/bench_data.h"

namespace vestral::bench {
namespace {

const DtcDatabase& referenceDatabase() {
  static const DtcDatabase db = MakeReferenceDatabase();
  return db;
}

// The reference database as a file, written once.
const std::string& referenceFile(int64_t& size) {
  static int64_t bytes = 0;
  static const std::string path = [] {
    const std::string p = BenchScratchFile("reference.DAT");
    std::string serialized;
    if (!SerializeDatabase(referenceDatabase(), serialized).ok() ||
        !WriteDatabase(p, referenceDatabase()).ok())
      std::abort();
    bytes = static_cast<int64_t>(serialized.size());
    return p;
  }();
  size = bytes;
  return path;
}

void BM_ReadDatabase(benchmark::State& state) {
  int64_t size = 0;
  const std::string& path = referenceFile(size);
  DtcDatabase db;
  for (auto _ : state) {
    if (!ReadDatabase(path, db).ok()) state.SkipWithError("read failed");
    benchmark::DoNotOptimize(db);
  }
  state.SetBytesProcessed(state.iterations() * size);
  state.counters["entries"] = static_cast<double>(db.P.Entries.size() + db.C.Entries.size() +
                                                  db.B.Entries.size() + db.U.Entries.size() - 4);
}
BENCHMARK(BM_ReadDatabase)->Unit(benchmark::kMillisecond);

// Over the same file each time: the old file is read first (bytes behind the new
// record stay) and replaced as a whole.
void BM_WriteDatabase(benchmark::State& state) {
  int64_t size = 0;
  referenceFile(size);
  const std::string path = BenchScratchFile("written.DAT");
  for (auto _ : state) {
    if (!WriteDatabase(path, referenceDatabase()).ok()) state.SkipWithError("write failed");
  }
  state.SetBytesProcessed(state.iterations() * size);
}
BENCHMARK(BM_WriteDatabase)->Unit(benchmark::kMillisecond);

// The in-memory halves, to tell the format's cost from the file system's.
void BM_ParseDatabase(benchmark::State& state) {
  std::string bytes;
  if (!SerializeDatabase(referenceDatabase(), bytes).ok()) std::abort();
  DtcDatabase db;
  for (auto _ : state) {
    if (!ParseDatabase(bytes, "reference.DAT", db).ok()) state.SkipWithError("parse failed");
    benchmark::DoNotOptimize(db);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes.size()));
}
BENCHMARK(BM_ParseDatabase)->Unit(benchmark::kMillisecond);

void BM_SerializeDatabase(benchmark::State& state) {
  std::string bytes;
  for (auto _ : state) {
    if (!SerializeDatabase(referenceDatabase(), bytes).ok()) state.SkipWithError("failed");
    benchmark::DoNotOptimize(bytes);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes.size()));
}
BENCHMARK(BM_SerializeDatabase)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vestral::bench

BENCHMARK_MAIN();
