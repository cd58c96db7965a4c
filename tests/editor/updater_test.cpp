#include "editor/updater.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "database/file_io.h"
#include "platform/program_paths.h"
#include "support/entries.h"
#include "support/lock_probe.h"
#include "support/temp_dir.h"

namespace vestral::testing {
namespace {

// One code of table P: its texts in the user's database, the kept base and the new
// default ("-" absent, "text|extension"), the list the plan puts it in with and
// without the base, and the user's entry after a run answered No and one answered Yes.
struct Row {
  const char* code;
  const char *yours, *base, *incoming;
  const char *list, *listWithoutBase;
  const char *afterNo, *afterYes;
};
constexpr Row kRows[] = {
    {"0001", "-", "-", "N", "added", "added", "N", "N"},
    {"0002", "A", "A", "N", "updated", "differing", "N", "N"},
    {"0003", "A|x", "A|x", "A|y", "updated", "differing", "A|y", "A|y"},
    {"0004", "W", "A", "A", "kept", "differing", "W", "W"},
    {"0005", "-", "A", "A", "kept", "added", "-", "-"},  // removed by the workshop
    {"0006", "W", "A", "N", "conflicts", "differing", "W", "N"},
    {"0007", "-", "A", "N", "conflicts", "added", "-", "N"},
    {"0008", "W", "-", "N", "conflicts", "differing", "W", "N"},  // both added it
    {"0009", "N", "A", "N", "-", "-", "N", "N"},
    {"0010", "A", "A", "-", "dropped", "-", "A", "A"},
    {"0011", "W|w", "A", "-", "dropped", "-", "W|w", "W|w"},
    {"0012", "W", "-", "-", "-", "-", "W", "W"},  // the workshop's own
};

DtcDatabase databaseOf(const char* Row::*column) {
  DtcDatabase db = EmptyDatabase();
  for (const Row& row : kRows) {
    const std::string_view texts = row.*column;
    if (texts == "-") continue;
    const size_t bar = texts.find('|');
    db.P.Entries.push_back(
        entry(row.code, std::string(texts.substr(0, bar)),
              bar == std::string_view::npos ? "" : std::string(texts.substr(bar + 1))));
  }
  return db;
}

std::string listOf(const UpdatePlan& plan, std::string_view code) {
  const std::pair<const char*, const std::vector<UpdateItem>*> lists[] = {
      {"added", &plan.added},         {"updated", &plan.updated}, {"kept", &plan.kept},
      {"conflicts", &plan.conflicts}, {"dropped", &plan.dropped}, {"differing", &plan.differing}};
  for (const auto& [name, items] : lists)
    for (const UpdateItem& item : *items)
      if (item.letter == 'P' && item.code == code) return name;
  return "-";
}

class Update : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(WriteDatabase(db_, databaseOf(&Row::yours)).ok());
    ASSERT_TRUE(WriteDatabase(base_, databaseOf(&Row::base)).ok());
    ASSERT_TRUE(WriteDatabase(new_, databaseOf(&Row::incoming)).ok());
  }
  UpdateResult run(Questions& q, bool dryRun = false) {
    RecordingSink log;
    return UpdateDatabase(db_, new_, dryRun, log, q);
  }

  TempDir dir_;
  std::string db_ = dir_.file("vestral.DAT"), base_ = dir_.file("vestral.DAT.base");
  std::string new_ = dir_.file("new.DAT");
};

// The workshop's changes survive; NEW's reach what the workshop never touched; a
// conflict is asked once, under the lock, and No keeps the workshop's texts. The
// previous file is kept, NEW becomes the base, and the next run has nothing to ask.
TEST_F(Update, MergesThreeWaysAndAsksOnceAboutConflicts) {
  const std::string before = ReadBytes(db_);
  for (const Button answer : {Button::No, Button::Yes}) {
    WriteBytes(db_, before);
    ASSERT_TRUE(WriteDatabase(base_, databaseOf(&Row::base)).ok());
    LockProbingQuestions asked(db_, {answer});
    const UpdateResult r = run(asked);
    ASSERT_TRUE(r.done()) << r.status.message();
    for (const Row& row : kRows) EXPECT_EQ(listOf(r.plan, row.code), row.list) << row.code;
    const DtcDatabase expected = databaseOf(answer == Button::Yes ? &Row::afterYes : &Row::afterNo);
    DtcDatabase now;
    ASSERT_TRUE(ReadDatabase(db_, now).ok());
    for (size_t i = 1; i < expected.P.Entries.size(); ++i) {
      const DtcEntry& e = expected.P.Entries[i];
      int32_t at = 0;
      EXPECT_TRUE(FindEntry(now.P, e.code(), at) && now.P.Entries[at] == e) << e.code();
    }
    EXPECT_EQ(now.P.upperBound(), expected.P.upperBound());
    ASSERT_EQ(asked.asked().size(), 1u);
    EXPECT_NE(asked.asked()[0].text.find("P0006  yours: W\r\n       new default: N"),
              std::string::npos)
        << asked.asked()[0].text;
    EXPECT_EQ(asked.asked()[0].defaultButton, Button::No);
    EXPECT_FALSE(asked.unlockedWhileAsked());
    EXPECT_EQ(ReadBytes(BackupPath(db_)), before);
    EXPECT_EQ(ReadBytes(base_), ReadBytes(new_));
  }
  const std::string updated = ReadBytes(db_);
  ScriptedQuestions again;
  ASSERT_TRUE(run(again).done());
  EXPECT_TRUE(again.asked().empty());
  EXPECT_EQ(ReadBytes(db_), updated);
}

// Without a base only codes the user lacks are added; the rest is listed, not changed.
TEST_F(Update, WithoutABaseOnlyAddsAndListsTheDifferences) {
  std::filesystem::remove(base_);
  ScriptedQuestions none;
  const UpdateResult dry = run(none, /*dryRun=*/true);
  ASSERT_TRUE(dry.done());
  EXPECT_FALSE(std::filesystem::exists(base_)) << "a dry run writes nothing";
  EXPECT_FALSE(std::filesystem::exists(BackupPath(db_)));
  const UpdateResult r = run(none);
  ASSERT_TRUE(r.done());
  EXPECT_TRUE(none.asked().empty());
  DtcDatabase now;
  ASSERT_TRUE(ReadDatabase(db_, now).ok());
  DtcDatabase expected = databaseOf(&Row::yours);
  for (const Row& row : kRows) {
    EXPECT_EQ(listOf(dry.plan, row.code), row.listWithoutBase) << row.code;
    if (row.listWithoutBase == std::string_view("added"))
      expected.P.Entries.push_back(entry(row.code, row.incoming));
  }
  EXPECT_EQ(now, expected);
  EXPECT_EQ(ReadBytes(base_), ReadBytes(new_));
}

// A new default or a base that is no database stops the run before anything is written.
TEST_F(Update, AnUnreadableNewDefaultOrBaseChangesNothing) {
  const std::string before = ReadBytes(db_);
  const std::string newBytes = ReadBytes(new_);
  for (const std::string& broken : {new_, base_}) {
    WriteBytes(new_, newBytes);
    WriteBytes(broken, "not a database");
    ScriptedQuestions yes{Button::Yes};
    const UpdateResult r = run(yes);
    EXPECT_FALSE(r.done());
    EXPECT_NE(r.status.message().find(broken), std::string::npos) << r.status.message();
    EXPECT_EQ(ReadBytes(db_), before);
    EXPECT_FALSE(std::filesystem::exists(BackupPath(db_)));
  }
  EXPECT_EQ(ReadBytes(base_), "not a database");
}

}  // namespace
}  // namespace vestral::testing
