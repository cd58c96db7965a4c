// The command line's output paths: a log of 100,000 lines through the terminal sink,
// and the lookup command answering 10,000 codes in process (no process start-up).

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <sstream>

#include "cli/command.h"
#include "cli/terminal_sink.h"
#include "support/bench_data.h"

namespace vestral {
extern const CommandSpec kLookupCommand;
}

namespace vestral::bench {
namespace {

// Three pieces a line, one of them Cyrillic, as the editor's logs look.
void BM_TerminalSink_100000Lines(benchmark::State& state) {
  const int devNull = ::open("/dev/null", O_WRONLY);
  const bool colour = state.range(0) != 0;
  const std::string cyrillic = "\xC7\xE0\xEF\xE8\xF1\xFC \xE4\xEE\xE1\xE0\xE2\xEB\xE5\xED\xE0";
  for (auto _ : state) {
    TextOutput out(devNull);
    TerminalSink sink(out, colour);
    sink.INIT();
    for (int i = 0; i < 100000; ++i) {
      sink.LOG("P0A3F", kTabModeTab, color::kLightYellow);
      sink.LOG(cyrillic, kTabModeTab, color::kBrightWhite);
      sink.LOG("Sensor circuit range/performance", kTabModeLineEnd, color::kBrightWhite);
    }
    sink.DONE();
  }
  ::close(devNull);
  state.SetItemsProcessed(state.iterations() * 100000);
  state.SetLabel(colour ? "colour" : "plain");
}
BENCHMARK(BM_TerminalSink_100000Lines)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// `vestral lookup --db FILE -` with 10,000 codes on standard input, minus the process.
void BM_LookupCommand_10000Codes(benchmark::State& state) {
  static const DtcDatabase db = MakeReferenceDatabase();
  const std::string path = BenchScratchFile("lookup.DAT");
  if (!WriteDatabase(path, db).ok()) std::abort();
  std::string input;
  for (const std::string& c : ReferenceQueryCodes(db, 10000)) input += c + "\n";
  const CommandSpec* const commands[] = {&kLookupCommand};
  for (auto _ : state) {
    std::string out, err;
    TextOutput o(out), e(err);
    std::istringstream in(input);
    CliStreams streams{o, e, in, false};
    const int status = RunCommandLine({"lookup", "--db", path, "-"}, commands, streams);
    if (status == kExitUsage) state.SkipWithError(err.c_str());
    benchmark::DoNotOptimize(out);
  }
  state.SetItemsProcessed(state.iterations() * 10000);
}
BENCHMARK(BM_LookupCommand_10000Codes)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vestral::bench

BENCHMARK_MAIN();
