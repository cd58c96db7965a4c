#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "cli/database_files.h"
#include "cli/run_vestral.h"
#include "support/temp_dir.h"

namespace vestral {
namespace {

using testing::Arg;
using ::testing::HasSubstr;
using testing::MakeEntry;
using testing::ProcessResult;
using testing::ReadBack;
using testing::RunVestral;
using testing::TempDir;
using testing::WriteBytes;

const std::string kBanners[] = {
    "******************************* BEGIN *******************************\n",
    "*******************************  END  *******************************\n",
};
const std::string kEmptyBases =
    "B - base positions 0\nC - base positions 0\nP - base positions 0\nU - base positions 0\n";

class GenerateCommand : public ::testing::Test {
 protected:
  void SetUp() override { WriteBytes(source_, "P0100 abc\r\nB1001 abc| def\r\n"); }

  // The log of a clean run after whatever the destination check logged.
  std::string cleanRunLog(const std::string& before = "") const {
    return "LOG v. 1.0\n" + before + "Create new database\tOK\n" + kEmptyBases + kBanners[0] +
           "P:1\tC:0\tB:0\tU:0\tOk\n"
           "P:1\tC:0\tB:1\tU:0\tExtend\n" +
           kBanners[1] + "Created database file \"" + dest_ + "\"\nDone\n";
  }

  DtcDatabase expected() const {
    DtcDatabase db = EmptyDatabase();
    db.P.Entries.push_back(MakeEntry("0100", "abc"));
    db.B.Entries.push_back(MakeEntry("1001", "abc", "def"));
    return db;
  }

  TempDir dir_;
  std::string source_ = dir_.file("codes.txt");
  std::string dest_ = dir_.file("codes.DAT");
};

TEST_F(GenerateCommand, BuildsANewDatabaseAndLogsEveryLine) {
  const ProcessResult r = RunVestral({"generate", Arg(source_), Arg(dest_)});
  ASSERT_TRUE(r.finished);
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, cleanRunLog());
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(ReadBack(dest_), expected());
}

TEST_F(GenerateCommand, QuietWritesNoLogAndWrongUsageIsStatus2) {
  ProcessResult r = RunVestral({"generate", "--quiet", Arg(source_), Arg(dest_)});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(ReadBack(dest_), expected());

  for (const QStringList& args : {QStringList{"generate", Arg(source_)},
                                  QStringList{"generate", "--yes", "--no", "a", "b"}}) {
    r = RunVestral(args);
    EXPECT_EQ(r.exitCode, 2) << args.join(' ').toStdString();
    EXPECT_THAT(r.err, HasSubstr("vestral generate: "));
  }
}

}  // namespace
}  // namespace vestral
