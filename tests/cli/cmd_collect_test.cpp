#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "cli/database_files.h"
#include "cli/run_vestral.h"
#include "support/temp_dir.h"

namespace vestral {
namespace {

using testing::Arg;
using testing::entry;
using ::testing::HasSubstr;
using testing::ProcessResult;
using testing::ReadBytes;
using testing::RunVestral;
using testing::TempDir;

class CollectCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    DtcDatabase db = EmptyDatabase();
    db.P.Entries.push_back(entry("0100", "Mass air", "wiring"));
    db.P.Entries.push_back(entry("0100", "second P0100"));
    db.P.Entries.push_back(entry("0200", ""));
    db.C.Entries.push_back(entry("0123", "\xC4\xE0\xF2\xF7\xE8\xEA"));  // "Датчик"
    db.B.Entries.push_back(entry("1000", "Body"));
    db.U.Entries.push_back(entry("0100", "Net"));
    ASSERT_TRUE(WriteDatabase(db_, db).ok());
  }

  ProcessResult collect(const QStringList& more) {
    return RunVestral(QStringList{"collect", "--db", Arg(db_), Arg(out_)} + more);
  }

  TempDir dir_;
  std::string db_ = dir_.file("main.DAT");
  std::string out_ = dir_.file("out.txt");
};

// The lines and their order are the collector's test; here which entries are asked for.
TEST_F(CollectCommand, WithoutCodesTheWholeDatabase) {
  const ProcessResult r = collect({});
  ASSERT_TRUE(r.finished);
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_THAT(r.out, HasSubstr("Collect all database and all bases, ignore list\n"));
  EXPECT_THAT(ReadBytes(out_), ::testing::EndsWith("P0200 \r\nU0100 Net\r\n"));
  EXPECT_EQ(r.err, "");
}

TEST_F(CollectCommand, CodesAreCollectedInTheOrderGivenAsTheCodeBoxWouldTakeThem) {
  const ProcessResult r =
      collect({"--code", "u0100", "--code", "p0100", "--code", "P0100", "--code", "c 0-1-2-3"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(ReadBytes(out_),
            "U0100 Net\r\n"
            "P0100 Mass air | wiring\r\n"
            "P0100 Mass air | wiring\r\n"
            "C0123 \xC4\xE0\xF2\xF7\xE8\xEA\r\n");
  EXPECT_THAT(r.out, HasSubstr("Collect list codes\nFIND U0100\tFOUND\tU0100\tOK\n"));
  // Upper-casing goes without saying; dropped characters are pointed out.
  EXPECT_EQ(r.err, "vestral collect: \"c 0-1-2-3\" is taken as C0123\n");
}

TEST_F(CollectCommand, ACodeTheBoxCannotHoldIsAUsageErrorBeforeAnythingIsWritten) {
  struct Case {
    const char* code;
    const char* message;
  } cases[] = {
      {"P01", "\"P01\" is not a code: only 3 of its characters"},
      {"P0A80", "\"P0A80\" is not a code: only 4 of its characters"},  // the box takes no A-F
  };
  for (const Case& c : cases) {
    const ProcessResult r = collect({"--code", "P0100", "--code", QString::fromUtf8(c.code)});
    EXPECT_EQ(r.exitCode, 2) << c.code;
    EXPECT_THAT(r.err, HasSubstr(c.message)) << c.code;
    EXPECT_EQ(r.out, "") << c.code;
    EXPECT_FALSE(std::filesystem::exists(out_)) << c.code;
  }
}

TEST_F(CollectCommand, AnAbsentCodeIsSkippedAndNamedWithStatus1) {
  const ProcessResult r = collect({"--code", "P0300", "--code", "C0123", "--code", "00100"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(ReadBytes(out_), "C0123 \xC4\xE0\xF2\xF7\xE8\xEA\r\n");
  EXPECT_THAT(r.out, HasSubstr("FIND P0300\tNOT FOUND\tSKIPPED\n"));
  EXPECT_EQ(r.err, "vestral: not in the database, so not collected: P0300, 00100\n");
}

}  // namespace
}  // namespace vestral
