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
using testing::ReadBytes;
using testing::RunVestral;
using testing::TempDir;

const std::string kRule = std::string(67, '=') + "\n";

class CheckCommand : public ::testing::Test {
 protected:
  ProcessResult check(const DtcDatabase& db, QStringList more = {}) {
    EXPECT_TRUE(WriteDatabase(path_, db).ok());
    before_ = ReadBytes(path_);
    return RunVestral(QStringList{"check", "--db", Arg(path_)} + more);
  }

  // P: a good entry, then two damaged ones that both stand at position 2 when checked;
  // B: one with an extension.
  static DtcDatabase damaged() {
    DtcDatabase db = EmptyDatabase();
    db.P.Entries.push_back(entry("0100", "good"));
    db.P.Entries.push_back(entry("7100", ""));
    db.P.Entries.push_back(entry("0200", ""));
    db.B.Entries.push_back(entry("4123", "abc", "def"));
    return db;
  }
  static DtcDatabase cleaned() {
    DtcDatabase db = EmptyDatabase();
    db.P.Entries.push_back(entry("0100", "good"));
    return db;
  }

  TempDir dir_;
  std::string path_ = dir_.file("main.DAT");
  std::string before_;
};

// The log's exact text is the checker's own test; here the status and the file.
TEST_F(CheckCommand, ACleanDatabaseLogsTheAllClearAndStaysAsItWas) {
  const ProcessResult r = check(cleaned(), {"--write"});
  ASSERT_TRUE(r.finished);
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_THAT(r.out, HasSubstr(kRule + "No error. Database correct.\n" + kRule + "Done\n"));
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(ReadBytes(path_), before_);
}

TEST_F(CheckCommand, DamageIsRemovedOnlyWithWrite) {
  ProcessResult r = check(damaged());
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_THAT(r.out, HasSubstr(kRule + "B4123 abc | def\nP7100 \nP0200 \n\n" + kRule));
  EXPECT_EQ(r.err, "vestral: 3 damaged entries in \"" + path_ +
                       "\"; the file was left as it was (--write removes them)\n");
  EXPECT_EQ(ReadBytes(path_), before_);

  r = check(damaged(), {"--write"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(ReadBack(path_), cleaned());
}

}  // namespace
}  // namespace vestral
