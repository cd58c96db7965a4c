// Building a database from a source text of 100,000 lines, the whole run as the
// editor does it (log included, to a sink that keeps or drops it).

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>

#include "editor/generator.h"
#include "support/source_text.h"

namespace {

using namespace vestral;

void writeFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

template <class Sink>
void BM_Generate(benchmark::State& state) {
  const int lines = static_cast<int>(state.range(0));
  bench::ScratchDir dir;
  const std::string src = dir.file("codes.txt");
  const std::string dst = dir.file("codes.DAT");
  writeFile(src, bench::MakeSourceText(lines));
  for (auto _ : state) {
    state.PauseTiming();
    std::filesystem::remove(dst);
    Sink log;
    ScriptedQuestions questions;
    state.ResumeTiming();
    if (!Generate(src, dst, log, questions).done()) state.SkipWithError("generation failed");
    benchmark::DoNotOptimize(log);
  }
  state.SetItemsProcessed(state.iterations() * lines);
  state.counters["file_MB"] = static_cast<double>(std::filesystem::file_size(dst)) / 1e6;
}
BENCHMARK(BM_Generate<NullSink>)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Generate<RecordingSink>)->Arg(100000)->Unit(benchmark::kMillisecond);

// The parsing alone, for comparison with the file work.
void BM_SplitAndParse(benchmark::State& state) {
  const std::string text = bench::MakeSourceText(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    size_t bytes = 0;
    for (std::string_view line : SplitSourceLines(text)) {
      SourceLine parsed;
      ParseSourceLine(line, parsed);
      bytes += parsed.text.size();
    }
    benchmark::DoNotOptimize(bytes);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_SplitAndParse)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
