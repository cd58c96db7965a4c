#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "cli/database_files.h"
#include "cli/run_vestral.h"
#include "support/read_only_file.h"
#include "support/temp_dir.h"

namespace vestral {
namespace {

using testing::Arg;
using ::testing::HasSubstr;
using testing::MakeEntry;
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
    db.P.Entries.push_back(MakeEntry("0100", "good"));
    db.P.Entries.push_back(MakeEntry("7100", ""));
    db.P.Entries.push_back(MakeEntry("0200", ""));
    db.B.Entries.push_back(MakeEntry("4123", "abc", "def"));
    return db;
  }
  static DtcDatabase cleaned() {
    DtcDatabase db = EmptyDatabase();
    db.P.Entries.push_back(MakeEntry("0100", "good"));
    return db;
  }

  TempDir dir_;
  std::string path_ = dir_.file("main.DAT");
  std::string before_;
};

TEST_F(CheckCommand, ACleanDatabaseLogsTheAllClearAndStaysAsItWas) {
  for (const QStringList& more : {QStringList{}, QStringList{"--write"}}) {
    const ProcessResult r = check(cleaned(), more);
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out,
              "LOG v. 1.0\n"
              "Check database for errors and CRC\n"
              "B - base positions 0\nC - base positions 0\nP - base positions 1\n"
              "U - base positions 0\n"
              "Check B base, errors will be show\nCheck C base, errors will be show\n"
              "Check P base, errors will be show\nCheck U base, errors will be show\n" +
                  kRule + "No error. Database correct.\n" + kRule + "Done\n");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(ReadBytes(path_), before_);
  }
}

const std::string kDamageLog =
    "LOG v. 1.0\n"
    "Check database for errors and CRC\n"
    "B - base positions 1\nC - base positions 0\nP - base positions 3\nU - base positions 0\n"
    "Check B base, errors will be show\n"
    "BASE B\tIND=1\t::CODE ERROR CRC::\tErased\n"
    "Check C base, errors will be show\n"
    "Check P base, errors will be show\n"
    "BASE P\tIND=2\t::CODE ERROR CRC::\tBASE P\tIND=2\t::DATA MISSING::\tErased\n"
    "BASE P\tIND=2\t::DATA MISSING::\tErased\n"
    "Check U base, errors will be show\n" +
    kRule +
    "B4123 abc | def\n"
    "P7100 \n"
    "P0200 \n"
    "\n" +
    kRule + "Done\n";

TEST_F(CheckCommand, DamageWithoutWriteIsReportedWithStatus1AndTheFileUntouched) {
  const ProcessResult r = check(damaged());
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, kDamageLog);
  EXPECT_EQ(r.err, "vestral: 3 damaged entries in \"" + path_ +
                       "\"; the file was left as it was (--write removes them)\n");
  EXPECT_EQ(ReadBytes(path_), before_);
}

TEST_F(CheckCommand, WriteSavesTheCleanedDatabase) {
  const ProcessResult r = check(damaged(), {"--write"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, kDamageLog);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(ReadBack(path_), cleaned());
  // Checked again, nothing is left to remove.
  EXPECT_EQ(RunVestral({"check", "--quiet", "--db", Arg(path_)}).exitCode, 0);
}

}  // namespace
}  // namespace vestral
