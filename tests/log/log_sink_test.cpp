#include "log/log_sink.h"

#include <gtest/gtest.h>

namespace vestral {
namespace {

TEST(LogText, ErrorsAreOneLightRedLineWithACapital) {
  RecordingSink log;
  LogError(log, "cannot open \"\xD0\xAF.DAT\": No such file or directory");
  LogError(log, "");
  ASSERT_EQ(log.runs().size(), 2u);
  EXPECT_EQ(log.runs()[0],
            (LogRun{"Cannot open \"\xDF.DAT\": No such file or directory\r\n", color::kLightRed}));
  EXPECT_EQ(log.runs()[1], (LogRun{"\r\n", color::kLightRed}));
}

}  // namespace
}  // namespace vestral
