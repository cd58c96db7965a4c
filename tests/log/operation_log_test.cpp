#include "log/operation_log.h"

#include <gtest/gtest.h>

namespace vestral {
namespace {

TEST(OperationLog, EndsTheRunOnEveryReturnButLeavesItOpenToAnException) {
  RecordingSink log;
  { const OperationLog run(log); }
  EXPECT_EQ(log.lines(), "LOG v. 1.0\nDone");
  EXPECT_THROW((OperationLog(log), throw 1), int);
  EXPECT_TRUE(log.running());
}

}  // namespace
}  // namespace vestral
