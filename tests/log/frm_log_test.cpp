#include "log/frm_log.h"

#include <gtest/gtest.h>

#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>

#include <tuple>

namespace vestral {
namespace {

using Pieces = std::vector<std::tuple<std::string, TabMode, LogColour>>;

QPlainTextEdit* box(FrmLOG& log) { return log.findChild<QPlainTextEdit*>(QStringLiteral("TXT")); }

void run(FrmLOG& log, const Pieces& pieces) {
  log.INIT();
  for (const auto& [text, tabMode, colour] : pieces) log.LOG(text, tabMode, colour);
  log.DONE();
}

// Each piece in order and colour, its separator too.
TEST(FrmLOG, HoldsExactlyThePiecesLoggedInTheirColours) {
  using enum LogColour;
  const LogRun header{"LOG v. 1.0\r\n", kLightGreen}, done{"Done", kLightRed};
  const std::pair<Pieces, std::vector<LogRun>> cases[] = {
      {{{"P0100", kTabModeTab, kLightYellow}, {"OK", kTabModeLineEnd, kLightRed}},
       {header, {"P0100\t", kLightYellow}, {"OK\r\nDone", kLightRed}}},
      // No separator adds nothing; an empty piece keeps its separator.
      {{{"FIND ", kTabModeNone, kBrightWhite},
        {"P0100", kTabModeNone, kBrightWhite},
        {"", kTabModeTab, kBlue},
        {"!", kTabModeNone, kLightGrey}},
       {header, {"FIND P0100", kBrightWhite}, {"\t", kBlue}, {"!", kLightGrey}, done}},
      // Code page 1251 text, and line ends inside a piece.
      {{{"\xCA\xEE\xE4 \xB9\r\nx\r\n", kTabModeNone, kBrightWhite},
        {"\xE0\xFF\x80\x98", kTabModeLineEnd, kLightCyan}},
       {header,
        {"\xCA\xEE\xE4 \xB9\r\nx\r\n", kBrightWhite},
        {"\xE0\xFF\x80\x98\r\n", kLightCyan},
        done}},
  };
  for (const auto& [pieces, expected] : cases) {
    FrmLOG log;
    run(log, pieces);
    EXPECT_EQ(log.runs(), expected);
  }
}

// The log refuses to close during a run and stays after it. DONE ends without a line
// end, so the next run starts on its line, unless the user closed the window: then the
// box starts again empty, with its tab stops. The box keeps its size when the window
// is resized.
TEST(FrmLOG, RefusesToCloseDuringARunAndStartsAgainEmptyOnceClosed) {
  FrmLOG log;
  log.INIT();
  // Queued text reaches the box while the caller waits (document() would move it in).
  log.LOG("waiting", kTabModeLineEnd, color::kBrightWhite);
  EXPECT_TRUE(QTest::qWaitFor([&log] { return box(log)->toPlainText().endsWith("waiting\n"); }));
  EXPECT_FALSE(log.close());
  EXPECT_TRUE(log.isVisible() && log.running());
  log.DONE();
  run(log, {{"first", kTabModeLineEnd, color::kBrightWhite}});
  EXPECT_EQ(log.text(), "LOG v. 1.0\r\nwaiting\r\nDoneLOG v. 1.0\r\nfirst\r\nDone");
  ASSERT_TRUE(log.isVisible() && log.close()) << "on screen after the run, until closed";
  run(log, {{"new", kTabModeTab, color::kLightYellow}});
  EXPECT_TRUE(log.isVisible());
  EXPECT_EQ(log.text(), "LOG v. 1.0\r\nnew\tDone");
  EXPECT_EQ(log.document()->defaultTextOption().tabs().size(), 5);
  log.resize(900, 600);  // the box keeps its own size
  EXPECT_EQ(box(log)->geometry(), QRect(0, 0, 714, 434));
}

TEST(FrmLOG, LetsWindowEventsRunDuringALongRun) {
  FrmLOG log;
  log.INIT();
  bool fired = false;
  QTimer::singleShot(0, [&fired] { fired = true; });
  // A log that never let events run would go on to the end.
  int lines = 0;
  for (; !fired && lines < 1'000'000; ++lines)
    log.LOG("P0100", kTabModeLineEnd, color::kLightYellow);
  EXPECT_LT(lines, 1'000'000);
  log.DONE();
}

}  // namespace
}  // namespace vestral
