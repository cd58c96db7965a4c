// Merging two databases of 100,000 entries each, half of the codes shared: one table
// merge in memory, the whole run on files, and the plain linear search for scale.
//
// `sync_bench --write-files DIR [COUNT]` writes the benchmark pair instead (main.DAT,
// other.DAT and the same rows as main.tsv, other.tsv) for bench/sync_vs_sqlite.sh.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "database/table_order.h"
#include "editor/synchronizer.h"
#include "platform/file_io.h"
#include "support/sync_bench_data.h"

namespace {

using namespace vestral;

// Agrees to every question: OK to each change, Yes to replacing second texts.
class AnswerOk : public Questions {
 public:
  Button ask(const MessageBox& box) override {
    return box.buttons.front() == Button::Yes ? Button::Yes : Button::Ok;
  }
};

struct Pair {
  DtcDatabase main, other;
};

const Pair& pair(uint32_t count) {
  static uint32_t madeFor = 0;
  static Pair p;
  if (madeFor != count) {
    p = {bench::BenchMain(count), bench::BenchOther(count)};
    madeFor = count;
  }
  return p;
}

// All four tables merged in memory; the main database is copied outside the timing.
void BM_SyncTables(benchmark::State& state) {
  const auto count = static_cast<uint32_t>(state.range(0));
  const bool direct = state.range(1) != 0;
  const Pair& p = pair(count);
  AnswerOk ok;
  for (auto _ : state) {
    state.PauseTiming();
    DtcDatabase main = p.main;
    state.ResumeTiming();
    NullSink log;
    for (const char letter : kEditorTableOrder)
      SyncTable(log, *main.table(letter), *p.other.table(letter), direct, ok);
    benchmark::DoNotOptimize(main);
  }
  state.counters["entries_each"] = count;
}
BENCHMARK(BM_SyncTables)
    ->ArgNames({"entries", "direct"})
    ->Args({100000, 0})
    ->Args({100000, 1})
    ->Unit(benchmark::kMillisecond);

// The merge as a linear search per sync entry would do it, for scale only (quadratic:
// kept to small sizes).
void BM_SyncTablesLinear(benchmark::State& state) {
  const auto count = static_cast<uint32_t>(state.range(0));
  const Pair& p = pair(count);
  for (auto _ : state) {
    state.PauseTiming();
    DtcDatabase main = p.main;
    state.ResumeTiming();
    for (const char letter : kEditorTableOrder) {
      DtcTable& m = *main.table(letter);
      const DtcTable& s = *p.other.table(letter);
      for (int32_t i = 1; i <= s.upperBound(); ++i) {
        int32_t k = 0;
        if (FindEntry(m, s.Entries[i].code(), k))
          m.Entries[k].Extension = s.Entries[i].Text;
        else
          m.Entries.push_back(s.Entries[i]);
      }
    }
    benchmark::DoNotOptimize(main);
  }
}
BENCHMARK(BM_SyncTablesLinear)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SyncTables)->ArgNames({"entries", "direct"})->Args({10000, 0});

// The whole run: read both files, merge, write the main file. The main file is put
// back outside the timing.
void BM_Synchronize(benchmark::State& state) {
  const auto count = static_cast<uint32_t>(state.range(0));
  const bool direct = state.range(1) != 0;
  const Pair& p = pair(count);
  const auto dir = std::filesystem::temp_directory_path();
  const std::string mainPath = (dir / "vestral-sync-bench-main.DAT").string();
  const std::string otherPath = (dir / "vestral-sync-bench-other.DAT").string();
  std::string mainBytes;
  if (!SerializeDatabase(p.main, mainBytes).ok() || !WriteDatabase(otherPath, p.other).ok()) {
    state.SkipWithError("cannot write the benchmark files");
    return;
  }
  AnswerOk ok;
  for (auto _ : state) {
    state.PauseTiming();
    std::filesystem::remove(mainPath);
    if (!ReplaceFile(mainPath, mainBytes).ok())
      state.SkipWithError("cannot put the main file back");
    state.ResumeTiming();
    NullSink log;
    if (!Synchronize(mainPath, otherPath, direct, log, ok).done())
      state.SkipWithError("sync failed");
  }
  state.counters["main_MB_after"] = static_cast<double>(std::filesystem::file_size(mainPath)) / 1e6;
  std::filesystem::remove(mainPath);
  std::filesystem::remove(otherPath);
}
BENCHMARK(BM_Synchronize)
    ->ArgNames({"entries", "direct"})
    ->Args({100000, 0})
    ->Args({100000, 1})
    ->Unit(benchmark::kMillisecond);

// The same rows as tab-separated text for sqlite3's .import: letter, code, text, ext.
bool writeTsv(const std::string& path, const DtcDatabase& db) {
  std::string out;
  for (const char letter : kTableLetters) {
    const DtcTable& t = *db.table(letter);
    for (int32_t i = 1; i <= t.upperBound(); ++i) {
      const DtcEntry& e = t.Entries[i];
      out += letter;
      out += '\t';
      out += e.code();
      out += '\t';
      out += e.Text;
      out += '\t';
      out += e.Extension;
      out += '\n';
    }
  }
  return ReplaceFile(path, out).ok();
}

int writeFiles(const std::string& dir, uint32_t count) {
  const Pair& p = pair(count);
  const auto at = [&dir](const char* name) { return (std::filesystem::path(dir) / name).string(); };
  std::filesystem::remove(at("main.DAT"));
  if (!WriteDatabase(at("main.DAT"), p.main).ok() ||
      !WriteDatabase(at("other.DAT"), p.other).ok() || !writeTsv(at("main.tsv"), p.main) ||
      !writeTsv(at("other.tsv"), p.other)) {
    std::fprintf(stderr, "sync_bench: cannot write the files in %s\n", dir.c_str());
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 3 && std::strcmp(argv[1], "--write-files") == 0)
    return writeFiles(argv[2], argc >= 4 ? static_cast<uint32_t>(std::stoul(argv[3])) : 100000);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
