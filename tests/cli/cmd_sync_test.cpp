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

// Main: P0100 "AB", P0200 "Same", B1000. Other: P0100 with a longer text, P0200 the
// same, P0300 new, C0123 new (in a table main leaves empty).
class SyncCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(WriteDatabase(main_, mainDb()).ok());
    DtcDatabase other = EmptyDatabase();
    other.P.Entries.push_back(entry("0100", "CDE", "new ext"));
    other.P.Entries.push_back(entry("0200", "Same"));
    other.P.Entries.push_back(entry("0300", "\xCD\xEE\xE2\xFB\xE9", "x"));  // "Новый"
    other.C.Entries.push_back(entry("0123", "Chassis"));
    ASSERT_TRUE(WriteDatabase(other_, other).ok());
    before_ = ReadBytes(main_);
  }

  static DtcDatabase mainDb() {
    DtcDatabase db = EmptyDatabase();
    db.P.Entries.push_back(entry("0100", "AB", "old"));
    db.P.Entries.push_back(entry("0200", "Same"));
    db.B.Entries.push_back(entry("1000", "Body"));
    return db;
  }
  // mainDb() with the two new entries appended, as every mode gives.
  static DtcDatabase withAdditions() {
    DtcDatabase db = mainDb();
    db.P.Entries.push_back(entry("0300", "\xCD\xEE\xE2\xFB\xE9", "x"));
    db.C.Entries.push_back(entry("0123", "Chassis"));
    return db;
  }

  ProcessResult sync(const QStringList& more) {
    return RunVestral(QStringList{"sync", "--db", Arg(main_), Arg(other_)} + more);
  }

  TempDir dir_;
  std::string main_ = dir_.file("main.DAT");
  std::string other_ = dir_.file("other.DAT");
  std::string before_;
};

// The merge and its log are the synchronizer's test; here the mode and the answers.
TEST_F(SyncCommand, AlternativeValueModeSetsExtensionsAndAppendsWithoutAsking) {
  const ProcessResult r = sync({});
  ASSERT_TRUE(r.finished);
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.err, "");
  DtcDatabase expected = withAdditions();
  expected.P.Entries[1].Extension = "CDE";
  expected.P.Entries[2].Extension = "Same";
  EXPECT_EQ(ReadBack(main_), expected);
  EXPECT_THAT(r.out, HasSubstr("Synchronization databases Alternative value mode\n"));
}

TEST_F(SyncCommand, DirectModeReplacesADifferingEntryOnlyAfterOk) {
  struct Case {
    QStringList answer;
    bool replaced;
  } cases[] = {{{"--yes"}, true}, {{"--no"}, false}, {{}, false}};  // {}: nobody to ask
  for (const Case& c : cases) {
    SCOPED_TRACE(c.answer.isEmpty() ? "no answer" : c.answer.front().toStdString());
    ASSERT_TRUE(WriteDatabase(main_, mainDb()).ok());
    const ProcessResult r = sync(QStringList{"--direct"} + c.answer);
    EXPECT_EQ(r.exitCode, 0);  // a declined change is part of a complete run
    DtcDatabase expected = withAdditions();
    if (c.replaced) expected.P.Entries[1] = entry("0100", "CDE", "new ext");
    EXPECT_EQ(ReadBack(main_), expected);
  }
  // Without a terminal the box is shown line by line on stderr, then answered Cancel.
  ASSERT_TRUE(WriteDatabase(main_, mainDb()).ok());
  const ProcessResult r = sync({"--direct"});
  EXPECT_THAT(r.err, HasSubstr("Confilm change:\n\n0100\nAB\n\n TO \n\n0100\nCDE\n"));
  EXPECT_THAT(r.err, HasSubstr("answered Cancel"));
}

TEST_F(SyncCommand, DryRunReportsThePlanAndWritesNothing) {
  const std::string tables =
      "B base: 1 entry before, 1 after; 0 added, 0 identical, 0 changed\n"
      "C base: 0 entries before, 1 after; 1 added, 0 identical, 0 changed\n"
      "  added      C0123  at 1  Chassis\n"
      "P base: 2 entries before, 3 after; 1 added, ";
  ProcessResult r = sync({"--dry-run", "--direct", "--yes"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, "Merging \"" + other_ + "\" into \"" + main_ +
                       "\" in direct mode (each change asked) would do this; nothing was "
                       "written.\n" +
                       tables +
                       "1 identical, 1 changed\n"
                       "  added      P0300  at 3  Новый\n"
                       "  identical  P0200  at 2\n"
                       "  changed    P0100  at 1\n"
                       "      main text:  AB\n"
                       "      sync text:  CDE\n"
                       "U base: 0 entries before, 0 after; 0 added, 0 identical, 0 changed\n");
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(ReadBytes(main_), before_);
}

}  // namespace
}  // namespace vestral
