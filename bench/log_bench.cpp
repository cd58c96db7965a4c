// How fast a long run reaches the log window, and how long the window goes without
// processing its events meanwhile. Runs offscreen.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>

#include <algorithm>
#include <string>
#include <vector>

#include "log/frm_log.h"
#include "log/log_sink.h"

namespace {

using vestral::FrmLOG;

// Records the longest wait between two turns of the event loop: a 10 ms timer can
// only fire when events are processed.
class GapMeter {
 public:
  GapMeter() {
    timer_.setInterval(10);
    QObject::connect(&timer_, &QTimer::timeout,
                     [this] { maxGapMs_ = std::max(maxGapMs_, clock_.restart()); });
    clock_.start();
    timer_.start();
  }
  // The gap up to now counts too: the run may end long after the last turn.
  qint64 maxGapMs() { return std::max(maxGapMs_, clock_.elapsed()); }

 private:
  QTimer timer_;
  QElapsedTimer clock_;
  qint64 maxGapMs_ = 0;
};

// 100,000 lines of five pieces in four colours, shaped like a collector's log.
constexpr int kLines = 100000;
constexpr int kPiecesPerLine = 5;

template <typename Sink>
void writeRun(Sink& log, int lines) {
  std::string code = "P0000";
  for (int i = 0; i < lines; ++i) {
    code[1] = static_cast<char>('0' + i % 4);
    code[2] = static_cast<char>('0' + i / 100 % 10);
    code[3] = static_cast<char>('0' + i / 10 % 10);
    code[4] = static_cast<char>('0' + i % 10);
    log.LOG("FIND " + code, vestral::kTabModeTab, vestral::color::kBrightWhite);
    log.LOG("FOUND", vestral::kTabModeTab, vestral::color::kBrightWhite);
    log.LOG(code, vestral::kTabModeTab, vestral::color::kLightYellow);
    log.LOG("extend", vestral::kTabModeTab, vestral::color::kLightCyan);
    log.LOG("OK", vestral::kTabModeLineEnd, vestral::color::kLightRed);
  }
}

std::vector<vestral::LogRun> merged(const std::vector<vestral::LogRun>& runs) {
  std::vector<vestral::LogRun> out;
  for (const auto& r : runs) {
    if (!out.empty() && out.back().color == r.color)
      out.back().text += r.text;
    else
      out.push_back(r);
  }
  return out;
}

void BM_LogRunToWindow(benchmark::State& state) {
  const int lines = static_cast<int>(state.range(0));
  qint64 worstGap = 0;
  bool checked = false;
  for (auto _ : state) {
    FrmLOG log;
    GapMeter gaps;
    log.INIT();
    writeRun(log, lines);
    log.DONE();
    worstGap = std::max(worstGap, gaps.maxGapMs());

    if (!checked) {
      state.PauseTiming();
      vestral::RecordingSink expected;
      expected.INIT();
      writeRun(expected, lines);
      expected.DONE();
      if (log.runs() != merged(expected.runs()))
        state.SkipWithError("the box does not hold exactly the pieces logged");
      checked = true;
      state.ResumeTiming();
    }
  }
  state.counters["pieces"] = static_cast<double>(lines) * kPiecesPerLine;
  state.counters["pieces_per_s"] = benchmark::Counter(
      static_cast<double>(lines) * kPiecesPerLine, benchmark::Counter::kIsIterationInvariantRate);
  state.counters["max_event_gap_ms"] = static_cast<double>(worstGap);
}
BENCHMARK(BM_LogRunToWindow)->Arg(kLines)->Unit(benchmark::kMillisecond)->Iterations(3);

// The plain approach for comparison: every piece inserted on its own and followed by
// a turn of the event loop.
void BM_LogPerPieceInsert(benchmark::State& state) {
  const int lines = static_cast<int>(state.range(0));
  for (auto _ : state) {
    FrmLOG log;
    log.INIT();
    QTextCursor cursor(log.document());
    QTextCharFormat format;
    for (int i = 0; i < lines * kPiecesPerLine; ++i) {
      format.setForeground(vestral::LogColor(i % 16));
      cursor.movePosition(QTextCursor::End);
      cursor.insertText(
          i % kPiecesPerLine == 4 ? QStringLiteral("OK\n") : QStringLiteral("FOUND\t"), format);
      QCoreApplication::processEvents();
    }
    log.DONE();
  }
  state.counters["pieces_per_s"] = benchmark::Counter(
      static_cast<double>(lines) * kPiecesPerLine, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_LogPerPieceInsert)->Arg(2000)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
