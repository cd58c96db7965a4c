#include "log/log_sink.h"

#include <gtest/gtest.h>

#include "log/operation_log.h"

namespace vestral {
namespace {

TEST(LogText, ErrorsAreOneLightRedLineAndARunEndsOnEveryReturn) {
  RecordingSink log;
  LogError(log, "cannot open \"\xD0\xAF.DAT\": No such file or directory");
  LogError(log, "");
  EXPECT_EQ(log.runs(),
            (std::vector<LogRun>{
                {"Cannot open \"\xDF.DAT\": No such file or directory\r\n", color::kLightRed},
                {"\r\n", color::kLightRed}}));
  // A run ends on every return, but stays open to an exception.
  log = RecordingSink();
  { const OperationLog run(log); }
  EXPECT_EQ(log.lines(), "LOG v. 1.0\nDone");
  EXPECT_THROW((OperationLog(log), throw 1), int);
  EXPECT_TRUE(log.running());
}

}  // namespace
}  // namespace vestral
