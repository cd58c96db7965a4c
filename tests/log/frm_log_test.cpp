#include "log/frm_log.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTimer>

#include <functional>

#include "support/coloured_log.h"

namespace vestral {
namespace {

using testing::MergedRuns;

using Script = std::function<void(LogSink&)>;

// Every script's box must hold exactly what a recording of the same calls holds:
// each piece in order, in its colour, its separator in the same colour.
TEST(FrmLOG, HoldsExactlyThePiecesLoggedInTheirColours) {
  struct Case {
    const char* name;
    Script script;
    std::vector<LogRun> expected;
  };
  const std::vector<Case> cases = {
      {"a run without LOG",
       [](LogSink&) {},
       {{"LOG v. 1.0\r\n", color::kLightGreen}, {"Done", color::kLightRed}}},
      {"a tab line: the tab in the first piece's colour",
       [](LogSink& l) {
         l.LOG("P0100", kTabModeTab, color::kLightYellow);
         l.LOG("OK", kTabModeLineEnd, color::kLightRed);
       },
       {{"LOG v. 1.0\r\n", color::kLightGreen},
        {"P0100\t", color::kLightYellow},
        {"OK\r\nDone", color::kLightRed}}},
      {"TABMODE 0 and other values add nothing",
       [](LogSink& l) {
         l.LOG("FIND ", kTabModeNone, color::kBrightWhite);
         l.LOG("P0100", kTabModeNone, color::kBrightWhite);
         l.LOG("!", kTabModeNone, color::kLightBlue);
       },
       {{"LOG v. 1.0\r\n", color::kLightGreen},
        {"FIND P0100", color::kBrightWhite},
        {"!", color::kLightBlue},
        {"Done", color::kLightRed}}},
      {"empty pieces",
       [](LogSink& l) {
         for (int c = 0; c < 3; ++c)
           l.LOG(c % 2 ? "" : std::to_string(c), kTabModeTab, static_cast<LogColour>(c));
       },
       {{"LOG v. 1.0\r\n", color::kLightGreen},
        {"0\t", color::kBlack},
        {"\t", color::kBlue},
        {"2\t", color::kGreen},
        {"Done", color::kLightRed}}},
      {"code page 1251 text and line ends inside a piece",
       [](LogSink& l) {
         l.LOG("\xCA\xEE\xE4 \xB9 1\r\nP0100 | x\r\n", kTabModeNone, color::kBrightWhite);
         l.LOG("\xE0\xFF\x80\xB8", kTabModeLineEnd, color::kLightCyan);
       },
       {{"LOG v. 1.0\r\n", color::kLightGreen},
        {"\xCA\xEE\xE4 \xB9 1\r\nP0100 | x\r\n", color::kBrightWhite},
        {"\xE0\xFF\x80\xB8\r\n", color::kLightCyan},
        {"Done", color::kLightRed}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FrmLOG log;
    log.INIT();
    c.script(log);
    log.DONE();
    RecordingSink recording;
    recording.INIT();
    c.script(recording);
    recording.DONE();

    EXPECT_EQ(log.runs(), c.expected);
    EXPECT_EQ(log.runs(), MergedRuns(recording.runs()));
    EXPECT_EQ(log.text(), recording.text());
  }
}

TEST(FrmLOG, ColoursAreThePaletteAndHeaderAndDoneArePureGreenAndRed) {
  FrmLOG log;
  log.INIT();
  log.LOG("x", kTabModeLineEnd, color::kYellow);
  log.LOG("y", kTabModeLineEnd, color::kLightGrey);
  log.DONE();
  QTextDocument* doc = log.document();
  auto colourAt = [doc](int block, int offset) {
    QTextBlock b = doc->findBlockByNumber(block);
    for (auto it = b.begin(); !it.atEnd(); ++it)
      if (it.fragment().position() - b.position() <= offset &&
          offset < it.fragment().position() - b.position() + it.fragment().length())
        return it.fragment().charFormat().foreground().color();
    return QColor();
  };
  EXPECT_EQ(colourAt(0, 0), QColor(0, 255, 0));
  EXPECT_EQ(colourAt(1, 0), QColor(128, 128, 0));
  EXPECT_EQ(colourAt(2, 0), QColor(192, 192, 192));
  EXPECT_EQ(colourAt(3, 0), QColor(255, 0, 0));
  EXPECT_EQ(doc->findBlockByNumber(3).text(), QStringLiteral("Done"));
}

TEST(FrmLOG, ASecondRunStartsOnTheLineOfTheFirstRunsDone) {
  FrmLOG log;
  log.INIT();
  log.LOG("first", kTabModeLineEnd, color::kBrightWhite);
  log.DONE();
  log.INIT();
  log.LOG("second", kTabModeLineEnd, color::kBrightWhite);
  log.DONE();
  EXPECT_EQ(log.text(), "LOG v. 1.0\r\nfirst\r\nDoneLOG v. 1.0\r\nsecond\r\nDone");
  EXPECT_EQ(log.document()->findBlockByNumber(2).text(), QStringLiteral("DoneLOG v. 1.0"));
  const std::vector<LogRun> runs = log.runs();
  ASSERT_GE(runs.size(), 4u);
  EXPECT_EQ(runs[2], (LogRun{"Done", color::kLightRed}));
  EXPECT_EQ(runs[3], (LogRun{"LOG v. 1.0\r\n", color::kLightGreen}));
}

TEST(FrmLOG, RefusesToCloseWhileARunIsOpen) {
  QWidget owner;
  FrmLOG log(&owner);
  EXPECT_TRUE(log.close()) << "a window never run closes";
  log.INIT();
  EXPECT_TRUE(log.running());
  EXPECT_TRUE(log.isVisible());
  EXPECT_FALSE(log.close());
  EXPECT_TRUE(log.isVisible());
  log.LOG("still writing", kTabModeLineEnd, color::kBrightWhite);
  EXPECT_FALSE(log.close());
  log.DONE();
  EXPECT_FALSE(log.running());
  EXPECT_TRUE(log.isVisible()) << "the log stays until the user closes it";
  EXPECT_TRUE(log.close());
  EXPECT_FALSE(log.isVisible());
}

TEST(FrmLOG, AClosedWindowComesBackEmptyOnTheNextRun) {
  FrmLOG log;
  log.INIT();
  log.LOG("old", kTabModeLineEnd, color::kBrightWhite);
  log.DONE();
  ASSERT_TRUE(log.close());
  log.INIT();
  EXPECT_TRUE(log.isVisible());
  log.LOG("new", kTabModeTab, color::kLightYellow);
  log.LOG("col", kTabModeLineEnd, color::kLightYellow);
  log.DONE();
  EXPECT_EQ(log.text(), "LOG v. 1.0\r\nnew\tcol\r\nDone");
  // The tab stops survive the clearing.
  EXPECT_EQ(log.document()->defaultTextOption().tabs().size(), 5);
}

TEST(FrmLOG, LetsWindowEventsRunDuringALongRun) {
  FrmLOG log;
  log.INIT();
  bool fired = false;
  QTimer::singleShot(0, [&fired] { fired = true; });
  // Logs until the timer has had its turn; a log that never let events run would
  // go on to the end.
  int lines = 0;
  for (; !fired && lines < 1'000'000; ++lines) {
    log.LOG("P0100", kTabModeTab, color::kLightYellow);
    log.LOG("OK", kTabModeLineEnd, color::kLightRed);
  }
  log.DONE();
  EXPECT_TRUE(fired);
  EXPECT_LT(lines, 1'000'000);
}

TEST(FrmLOG, QueuedTextReachesTheBoxWhileTheCallerWaits) {
  FrmLOG log;
  log.INIT();
  log.LOG("waiting for an answer", kTabModeLineEnd, color::kBrightWhite);
  // The box itself, not document(), which would move the queue in at once.
  EXPECT_TRUE(QTest::qWaitFor(
      [&log] { return log.TXT->toPlainText().contains(QStringLiteral("waiting")); }, 2000));
  log.DONE();
}

TEST(FrmLOG, KeepsTheEndInView) {
  FrmLOG log;
  log.INIT();
  for (int i = 0; i < 500; ++i)
    log.LOG("line " + std::to_string(i), kTabModeLineEnd, color::kBrightWhite);
  log.DONE();
  QApplication::processEvents();
  const QScrollBar* bar = log.TXT->verticalScrollBar();
  EXPECT_GT(bar->maximum(), 0);
  EXPECT_EQ(bar->value(), bar->maximum());

  // Scrolled up by the user, the box stays where it was put.
  log.TXT->verticalScrollBar()->setValue(10);
  log.INIT();
  for (int i = 0; i < 100; ++i) log.LOG("more", kTabModeLineEnd, color::kBrightWhite);
  log.DONE();
  QApplication::processEvents();
  EXPECT_EQ(bar->value(), 10);
}

}  // namespace
}  // namespace vestral
