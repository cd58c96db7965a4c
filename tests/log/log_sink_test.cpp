#include "log/log_sink.h"

#include <gtest/gtest.h>

#include "log/operation_log.h"

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

TEST(OperationLog, EndsTheRunOnEveryReturnButLeavesItOpenToAnException) {
  RecordingSink log;
  { const OperationLog run(log); }
  EXPECT_EQ(log.lines(), "LOG v. 1.0\nDone");
  EXPECT_THROW((OperationLog(log), throw 1), int);
  EXPECT_TRUE(log.running());
}

}  // namespace
}  // namespace vestral
