#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "cli/database_files.h"
#include "cli/run_vestral.h"
#include "support/temp_dir.h"

namespace vestral {
namespace {

using testing::Arg;
using testing::entry;
using ::testing::HasSubstr;
using testing::ProcessResult;
using testing::ReadBack;
using testing::RunVestral;

// The log's lines are the generator's test and their layout the terminal sink's; here
// the command hands over its files and reports the result.
TEST(GenerateCommand, BuildsTheDatabaseAndLogsToStandardOutput) {
  testing::TempDir dir;
  const std::string source = dir.file("codes.txt"), dest = dir.file("codes.DAT");
  testing::WriteBytes(source, "P0100 abc\r\nB1001 abc| def\r\n");
  const ProcessResult r = RunVestral({"generate", Arg(source), Arg(dest)});
  ASSERT_TRUE(r.finished);
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_THAT(r.out, ::testing::StartsWith("LOG v. 1.0\nCreate new database\tOK\n"));
  EXPECT_THAT(r.out, ::testing::EndsWith("Created database file \"" + dest + "\"\nDone\n"));
  EXPECT_EQ(r.err, "");
  DtcDatabase expected = EmptyDatabase();
  expected.P.Entries.push_back(entry("0100", "abc"));
  expected.B.Entries.push_back(entry("1001", "abc", "def"));
  EXPECT_EQ(ReadBack(dest), expected);
}

TEST(GenerateCommand, NeedsASourceAndADestination) {
  const ProcessResult r = RunVestral({"generate", "codes.txt"});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_THAT(r.err, HasSubstr("vestral generate: give the source text and the database file"));
}

}  // namespace
}  // namespace vestral
