#include "log/log_sink.h"

#include <gtest/gtest.h>

namespace vestral {
namespace {

TEST(LogText, ErrorsAreOneLightRedLineInCodePage1251WithACapital) {
  RecordingSink log;
  LogError(log, "cannot open \"\xD0\xAF.DAT\": No such file or directory");
  LogError(log, "");
  EXPECT_EQ(log.runs(),
            (std::vector<LogRun>{
                {"Cannot open \"\xDF.DAT\": No such file or directory\r\n", color::kLightRed},
                {"\r\n", color::kLightRed}}));
}

}  // namespace
}  // namespace vestral
