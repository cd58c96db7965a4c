// Linting a source text: 100,000 entries with each kind of line end, and 10 MB of empty
// lines (one finding a byte). Findings are counted as they come, as the command writes
// them; the time grows with the bytes, whatever ends the lines.

#include <benchmark/benchmark.h>

#include "editor/linter.h"
#include "support/source_text.h"

namespace {

using namespace vestral;

struct Counted : LintReport {
  size_t findings = 0;
  void add(const LintFinding&) override { ++findings; }
};

std::string withLineEnds(std::string text, std::string_view end) {
  std::string out;
  for (size_t at = 0, next; at < text.size(); at = next + 2) {
    next = text.find("\r\n", at);
    if (next == std::string::npos) break;
    out.append(text, at, next - at).append(end);
  }
  return out;
}

void BM_LintSource(benchmark::State& state, const std::string& text) {
  size_t findings = 0;
  for (auto _ : state) {
    Counted report;
    LintSourceBytes(text, report);
    findings = report.findings;
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
  state.counters["findings"] = static_cast<double>(findings);
}

const std::string kSource = bench::MakeSourceText(100000);
BENCHMARK_CAPTURE(BM_LintSource, entries_crlf, kSource)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_LintSource, entries_lf, withLineEnds(kSource, "\n"))
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_LintSource, entries_cr, withLineEnds(kSource, "\r"))
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_LintSource, empty_lines_10MB_lf, std::string(10 << 20, '\n'))
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_LintSource, empty_lines_10MB_cr, std::string(10 << 20, '\r'))
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
