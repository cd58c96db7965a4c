#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "cli/database_files.h"
#include "cli/run_vestral.h"
#include "support/temp_dir.h"

namespace vestral {
namespace {

using testing::Arg;
using ::testing::HasSubstr;
using testing::ProcessResult;
using testing::ReadBytes;
using testing::RunVestral;

TEST(CreateCommand, WritesTheEmptyDatabase) {
  testing::TempDir dir;
  const std::string path = dir.file("new.DAT");
  const ProcessResult r = RunVestral({"create", Arg(path)});
  ASSERT_TRUE(r.finished);
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out + r.err, "");
  EXPECT_EQ(ReadBytes(path).size(), 131u);
  EXPECT_EQ(testing::ReadBack(path), EmptyDatabase());
}

TEST(CreateCommand, RefusesAnExistingFileAndLeavesItAsItWas) {
  testing::TempDir dir;
  const std::string path = dir.file("old.DAT");
  testing::WriteBytes(path, "precious");
  const ProcessResult r = RunVestral({"create", Arg(path)});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err, "vestral: \"" + path + "\" already exists; it was left as it was\n");
  EXPECT_EQ(ReadBytes(path), "precious");
}

TEST(CreateCommand, NeedsExactlyOneFile) {
  for (const QStringList& args : {QStringList{"create"}, QStringList{"create", "a", "b"}}) {
    const ProcessResult r = RunVestral(args);
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_THAT(r.err, HasSubstr("vestral create: "));
  }
}

// Unknown commands and options are the command line's own test.
TEST(VestralProgram, VersionAndHelp) {
  ProcessResult r = RunVestral({"--version"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_THAT(r.out, HasSubstr("vestral 1."));
  r = RunVestral({"--help"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_THAT(r.out, HasSubstr("lookup"));
}

}  // namespace
}  // namespace vestral
