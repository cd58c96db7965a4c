#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "cli/run_vestral.h"
#include "database/dtc_database.h"
#include "support/temp_dir.h"

namespace vestral {
namespace {

using ::testing::HasSubstr;
using testing::ProcessResult;
using testing::ReadBytes;
using testing::RunVestral;
using testing::TempDir;

TEST(CreateCommand, WritesTheEmptyDatabase) {
  TempDir dir;
  const std::string path = dir.file("new.DAT");
  const ProcessResult r = RunVestral({"create", QString::fromStdString(path)});
  ASSERT_TRUE(r.finished);
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "");
  const std::string bytes = ReadBytes(path);
  EXPECT_EQ(bytes.size(), 131u);
  DtcDatabase db;
  ASSERT_TRUE(ParseDatabase(bytes, path, db).ok());
  EXPECT_EQ(db, EmptyDatabase());
}

TEST(CreateCommand, RefusesAnExistingFileAndLeavesItAsItWas) {
  TempDir dir;
  const std::string path = dir.file("old.DAT");
  testing::WriteBytes(path, "precious");
  const ProcessResult r = RunVestral({"create", QString::fromStdString(path)});
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

TEST(VestralProgram, VersionHelpAndUnknownCommands) {
  ProcessResult r = RunVestral({"--version"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_THAT(r.out, HasSubstr("vestral 1."));
  r = RunVestral({"--help"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_THAT(r.out, HasSubstr("lookup"));
  EXPECT_THAT(r.out, HasSubstr("create"));
  r = RunVestral({"frobnicate"});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_THAT(r.err, HasSubstr("unknown command \"frobnicate\""));
}

}  // namespace
}  // namespace vestral
