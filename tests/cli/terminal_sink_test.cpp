#include "cli/terminal_sink.h"

#include <gtest/gtest.h>

namespace vestral {
namespace {

// As the log window shows it: a tab, a line end or nothing behind each piece; code page 1251
// text, control characters as '?'; in colour a sequence at each change, the terminal's after Done.
TEST(TerminalSink, ShowsTheRunAsTheLogWindowDoes) {
  for (bool colour : {false, true}) {
    std::string text;
    {
      TextOutput out(text);
      TerminalSink sink(out, colour);
      sink.INIT();
      sink.LOG("Base", kTabModeTab, color::kBrightWhite);
      sink.LOG("\xCE\xF8", kTabModeTab, color::kBrightWhite);  // "Ош": no new colour
      sink.LOG("x\x1b[2Jy\x01\x7F\x98", kTabModeLineEnd, color::kYellow);
      sink.LOG("a\r\nb\rc", kTabModeNone, color::kLightGrey);  // CR LF as LF
      sink.LOG("d", kTabModeNone, color::kLightRed);
      sink.LOG("", kTabModeLineEnd, color::kLightRed);
      sink.DONE();
    }
    EXPECT_EQ(text, colour
                        ? "\x1b[92mLOG v. 1.0\n\x1b[97mBase\tОш\t\x1b[33mx?[2Jy???\n\x1b[37ma\nb?c"
                          "\x1b[91md\nDone\x1b[0m\n"
                        : "LOG v. 1.0\nBase\tОш\tx?[2Jy???\na\nb?cd\nDone\n");
  }
}

}  // namespace
}  // namespace vestral
