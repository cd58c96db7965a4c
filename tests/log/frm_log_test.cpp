#include "log/frm_log.h"

#include <gtest/gtest.h>

#include <QPlainTextEdit>
#include <QScrollBar>
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

// Each piece in order and colour, with its separator; no separator adds nothing, an empty
// piece keeps its separator, and code page 1251 text and line ends pass as they are.
TEST(FrmLOG, HoldsExactlyThePiecesLoggedInTheirColours) {
  using enum LogColour;
  FrmLOG log;
  run(log, {{"P0100", kTabModeTab, kLightYellow},
            {"OK", kTabModeLineEnd, kLightCyan},
            {"FIND ", kTabModeNone, kBrightWhite},
            {"P0100", kTabModeNone, kBrightWhite},
            {"", kTabModeTab, kBlue},
            {"\xCA\xEE\xE4 \xB9\r\nx\r\n", kTabModeNone, kLightGrey},
            {"\xE0\xFF\x80\x98", kTabModeLineEnd, kLightRed}});
  EXPECT_EQ(log.runs(), (std::vector<LogRun>{{"LOG v. 1.0\r\n", kLightGreen},
                                             {"P0100\t", kLightYellow},
                                             {"OK\r\n", kLightCyan},
                                             {"FIND P0100", kBrightWhite},
                                             {"\t", kBlue},
                                             {"\xCA\xEE\xE4 \xB9\r\nx\r\n", kLightGrey},
                                             {"\xE0\xFF\x80\x98\r\nDone", kLightRed}}));
}

// DONE ends without a line end, so the next run goes on from there, unless the user closed
// the window: then the box starts again empty, with its tab stops.
TEST(FrmLOG, RefusesToCloseDuringARunAndStartsAgainEmptyOnceClosed) {
  FrmLOG log;
  log.INIT();
  // Queued text reaches the box while the caller waits (document() would move it in).
  log.LOG("waiting", kTabModeLineEnd, color::kBrightWhite);
  EXPECT_TRUE(QTest::qWaitFor([&log] { return box(log)->toPlainText().endsWith("waiting\n"); }));
  EXPECT_FALSE(log.close());
  EXPECT_TRUE(log.isVisible() && log.running());
  bool fired = false;
  QTimer::singleShot(0, [&fired] { fired = true; });
  // A log that never let events run would go on to the end.
  int lines = 0;
  for (; !fired && lines < 1'000'000; ++lines)
    log.LOG("P0100", kTabModeLineEnd, color::kLightYellow);
  EXPECT_LT(lines, 1'000'000);
  log.DONE();
  run(log, {{"first", kTabModeLineEnd, color::kBrightWhite}});
  std::string many;
  while (lines-- > 0) many += "P0100\r\n";
  EXPECT_EQ(log.text(), "LOG v. 1.0\r\nwaiting\r\n" + many + "DoneLOG v. 1.0\r\nfirst\r\nDone");
  ASSERT_TRUE(log.isVisible() && log.close()) << "on screen after the run, until closed";
  run(log, {{"new", kTabModeTab, color::kLightYellow}});
  EXPECT_TRUE(log.isVisible());
  EXPECT_EQ(log.text(), "LOG v. 1.0\r\nnew\tDone");
  EXPECT_EQ(log.document()->defaultTextOption().tabs().size(), 5);
  log.resize(900, 600);  // the box keeps its own size
  EXPECT_EQ(box(log)->geometry(), QRect(0, 0, 714, 434));
}

// The box shows its end after each piece, also after one too long to wait for the next
// event turn, until the user scrolls away; back at the end, it follows again.
TEST(FrmLOG, FollowsItsEndUnlessTheUserScrolledAway) {
  FrmLOG log;
  log.INIT();
  QScrollBar* bar = box(log)->verticalScrollBar();
  const auto atEnd = [bar] { return bar->maximum() > 0 && bar->value() == bar->maximum(); };
  std::string lines;
  while (lines.size() < 40 * 1024) lines += "P0100\r\n";
  log.LOG(lines, kTabModeNone, color::kBrightWhite);
  EXPECT_TRUE(QTest::qWaitFor(atEnd));
  bar->setValue(0);
  log.LOG("more", kTabModeLineEnd, color::kBrightWhite);
  QTest::qWait(50);
  EXPECT_EQ(bar->value(), 0);
  bar->setValue(bar->maximum());
  for (int line = 0; line < 50; ++line) log.LOG("again", kTabModeLineEnd, color::kBrightWhite);
  const int before = bar->maximum();
  EXPECT_TRUE(QTest::qWaitFor([&] { return bar->maximum() > before && atEnd(); }));
  log.DONE();
}

}  // namespace
}  // namespace vestral
