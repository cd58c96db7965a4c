// Collecting a large working database to text: the whole database, and a code list.
// Each iteration writes the file (built in memory, then put in place).

#include <benchmark/benchmark.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "editor/collector.h"
#include "support/sync_bench_data.h"

namespace {

using namespace vestral;

// Keeps the whole log text, as a log window or a terminal would receive it.
class TextSink : public LogSink {
 public:
  void INIT() override { text_ = std::string(kLogHeader) + "\r\n"; }
  void LOG(const std::string& T, TabMode TABMODE, LogColour) override {
    text_ += LogPieceText(T, TABMODE);
  }
  void DONE() override { text_ += kLogDone; }
  size_t size() const { return text_.size(); }

 private:
  std::string text_;
};

class AnswerYes : public Questions {
 public:
  Button ask(const MessageBox&) override { return Button::Yes; }
};

std::string tempFile(const char* name) {
  return (std::filesystem::temp_directory_path() / name).string();
}

const DtcDatabase& database(uint32_t count) {
  static uint32_t madeFor = 0;
  static DtcDatabase db;
  if (madeFor != count) {
    db = bench::BenchMain(count);
    madeFor = count;
  }
  return db;
}

template <typename Sink>
void BM_CollectAll(benchmark::State& state) {
  const auto count = static_cast<uint32_t>(state.range(0));
  const DtcDatabase& db = database(count);
  const std::string out = tempFile("vestral-collect-bench.txt");
  AnswerYes yes;
  for (auto _ : state) {
    Sink log;
    if (!Collect(db, out, true, {}, log, yes).done()) state.SkipWithError("collect failed");
  }
  state.counters["entries"] = count;
  state.counters["file_MB"] = static_cast<double>(std::filesystem::file_size(out)) / 1e6;
  state.counters["entries_per_s"] =
      benchmark::Counter(static_cast<double>(count), benchmark::Counter::kIsIterationInvariantRate);
  std::filesystem::remove(out);
}
BENCHMARK_TEMPLATE(BM_CollectAll, NullSink)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Name("CollectAll/quiet");
BENCHMARK_TEMPLATE(BM_CollectAll, TextSink)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Name("CollectAll/with_log_text");

// A code list of `range(1)` codes, half of them present, against `range(0)` entries.
void BM_CollectList(benchmark::State& state) {
  const auto count = static_cast<uint32_t>(state.range(0));
  const DtcDatabase& db = database(count);
  std::vector<std::string> list;
  std::mt19937 rng(3);
  for (int64_t i = 0; i < state.range(1); ++i) {
    const uint32_t n = static_cast<uint32_t>(rng() % (count * 2));  // half beyond the database
    list.push_back(bench::TableOf(n) + bench::CodeOf(n));
  }
  const std::string out = tempFile("vestral-collect-list-bench.txt");
  AnswerYes yes;
  for (auto _ : state) {
    NullSink log;
    benchmark::DoNotOptimize(Collect(db, out, false, list, log, yes));
  }
  state.counters["codes"] = static_cast<double>(list.size());
  std::filesystem::remove(out);
}
// Each table is indexed once, so 16,000 codes cost little more than one pass.
BENCHMARK(BM_CollectList)
    ->Args({100000, 10})
    ->Args({100000, 100})
    ->Args({300000, 16000})
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
