#include "cli/terminal_sink.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include "support/temp_dir.h"

namespace vestral {
namespace {

TEST(TerminalSink, ShowsTheRunAsTheLogWindowDoesWithOneLineEndAfterDone) {
  std::string text;
  {
    TextOutput out(text);
    TerminalSink sink(out, false);
    sink.INIT();
    sink.LOG("Base", kTabModeTab, color::kBrightWhite);
    sink.LOG("P", kTabModeTab, color::kYellow);
    sink.LOG("25000", kTabModeLineEnd, color::kYellow);
    sink.LOG("a", kTabModeNone, color::kLightRed);
    sink.LOG("b", kTabModeNone, color::kLightRed);  // any other mode: nothing behind the piece
    sink.LOG("", kTabModeLineEnd, color::kLightRed);
    sink.DONE();
  }
  EXPECT_EQ(text, "LOG v. 1.0\nBase\tP\t25000\nab\nDone\n");
}

TEST(TerminalSink, ConvertsCodePage1251AndHidesControlCharacters) {
  std::string text;
  TextOutput out(text);
  TerminalSink sink(out, false);
  // "Ошибка" in code page 1251, then an escape sequence a file might carry.
  sink.LOG("\xCE\xF8\xE8\xE1\xEA\xE0", kTabModeTab, color::kBrightWhite);
  sink.LOG("x\x1b[2Jy\x01", kTabModeLineEnd, color::kBrightWhite);
  EXPECT_EQ(text, "Ошибка\tx?[2Jy?\n");
}

TEST(TerminalSink, ColoursEachChangeWithTheMatchingAnsiColourAndResetsAtDone) {
  std::string text;
  TextOutput out(text);
  TerminalSink sink(out, true);
  sink.INIT();
  sink.LOG("a", kTabModeTab, color::kBrightWhite);
  sink.LOG("b", kTabModeTab, color::kBrightWhite);  // same colour: no new sequence
  sink.LOG("c", kTabModeLineEnd, color::kYellow);
  sink.DONE();
  EXPECT_EQ(text, "\x1b[92mLOG v. 1.0\n\x1b[97ma\tb\t\x1b[33mc\n\x1b[91mDone\x1b[0m\n");
}

TEST(TerminalSink, PauseResetsTheColourSoAQuestionIsNotPrintedInIt) {
  std::string text;
  TextOutput out(text);
  TerminalSink sink(out, true);
  sink.LOG("a", kTabModeNone, color::kLightRed);
  sink.pause();
  sink.LOG("b", kTabModeNone, color::kLightRed);
  EXPECT_EQ(text, "\x1b[91ma\x1b[0m\x1b[91mb");
}

TEST(TerminalSink, BuffersUntilDoneThenWritesEverything) {
  testing::TempDir dir;
  const std::string path = dir.file("log.txt");
  FILE* f = std::fopen(path.c_str(), "w");
  ASSERT_NE(f, nullptr);
  {
    TextOutput out(fileno(f));
    EXPECT_FALSE(out.isTerminal());
    TerminalSink sink(out, false);
    sink.INIT();
    for (int i = 0; i < 3; ++i) sink.LOG("line", kTabModeLineEnd, color::kBrightWhite);
    EXPECT_EQ(testing::ReadBytes(path), "");  // nothing written piece by piece
    sink.DONE();
    EXPECT_EQ(testing::ReadBytes(path), "LOG v. 1.0\nline\nline\nline\nDone\n");
  }
  std::fclose(f);
}

}  // namespace
}  // namespace vestral
