#include "editor/updater.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "database/text_language.h"
#include "editor/language_switch.h"
#include "platform/codepage.h"
#include "platform/file_io.h"
#include "support/entries.h"
#include "support/lock_probe.h"
#include "support/temp_dir.h"

namespace vestral::testing {
namespace {

// One code of table P: its texts in the user's database, the kept base and the new
// default ("-" absent, "text|extension"), the list the plan puts it in with and
// without the base, and the user's entry after a run answered No and one answered Yes.
struct Row {
  const char *code, *yours, *base, *incoming, *list, *listWithoutBase, *afterNo, *afterYes;
};
constexpr Row kRows[] = {
    {"0001", "-", "-", "N", "added", "added", "N", "N"},
    {"0002", "A", "A", "N", "updated", "differing", "N", "N"},
    {"0003", "A|x", "A|x", "A|y", "updated", "differing", "A|y", "A|y"},
    {"0004", "W", "A", "A", "kept", "differing", "W", "W"},
    {"0005", "-", "A", "A", "kept", "added", "-", "-"},  // removed by the workshop
    {"0006", "W", "A", "N", "conflicts", "differing", "W", "N"},
    {"0007", "-", "A", "N", "conflicts", "added", "-", "N"},
    {"0008", "W", "-", "N", "conflicts", "differing", "W", "N"},  // added by both
    {"0009", "N", "A", "N", "-", "-", "N", "N"},
    {"0010", "A", "A", "-", "dropped", "-", "A", "A"},
    {"0011", "W|w", "A", "-", "dropped", "-", "W|w", "W|w"},
    {"0012", "W", "-", "-", "-", "-", "W", "W"},  // the workshop's own
};

DtcDatabase databaseOf(const char* Row::*column) {
  DtcDatabase db = EmptyDatabase();
  for (const Row& row : kRows) {
    const std::string texts = row.*column;
    const size_t bar = texts.find('|');
    if (texts != "-")
      db.P.Entries.push_back(entry(row.code, texts.substr(0, bar),
                                   bar == std::string::npos ? "" : texts.substr(bar + 1)));
  }
  return db;
}

// The P entries as "code text|extension", sorted: where an addition lands is no matter.
std::vector<std::string> sortedP(const DtcDatabase& db) {
  std::vector<std::string> out;
  for (size_t i = 1; i < db.P.Entries.size(); ++i)
    out.push_back(std::string(db.P.Entries[i].code()) + " " + db.P.Entries[i].Text + "|" +
                  db.P.Entries[i].Extension);
  std::sort(out.begin(), out.end());
  return out;
}

std::string listOf(const UpdatePlan& plan, std::string_view code) {
  const std::pair<const char*, const std::vector<UpdateItem>*> lists[] = {
      {"added", &plan.added},         {"updated", &plan.updated}, {"kept", &plan.kept},
      {"conflicts", &plan.conflicts}, {"dropped", &plan.dropped}, {"differing", &plan.differing}};
  for (const auto& [name, items] : lists)
    for (const UpdateItem& item : *items)
      if (item.code == code) return name;
  return "-";
}

class Update : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(WriteDatabase(db_, databaseOf(&Row::yours)).ok());
    ASSERT_TRUE(WriteDatabase(new_, databaseOf(&Row::incoming)).ok());
  }
  UpdateResult run(Questions& q, bool dryRun = false) {
    RecordingSink log;
    return UpdateDatabase(db_, new_, dryRun, log, q);
  }
  DtcDatabase now() const {
    DtcDatabase db;
    return ReadDatabase(db_, db).ok() ? db : DtcDatabase{};
  }

  TempDir dir_;
  std::string db_ = dir_.file("vestral.DAT"), base_ = dir_.file("vestral.DAT.base");
  std::string new_ = dir_.file("new.DAT");
};

// The workshop's changes survive; NEW's reach what the workshop never touched; the
// conflicts are asked once, under the lock, and No keeps the workshop's texts. The
// previous file is kept and NEW becomes the base.
TEST_F(Update, MergesThreeWaysAndAsksOnceAboutConflicts) {
  const std::string before = ReadBytes(db_);
  for (const Button answer : {Button::No, Button::Yes}) {
    WriteBytes(db_, before);
    ASSERT_TRUE(WriteDatabase(base_, databaseOf(&Row::base)).ok());
    LockProbingQuestions asked(db_, {answer});
    const UpdateResult r = run(asked);
    ASSERT_TRUE(r.done()) << r.status.message();
    for (const Row& row : kRows) EXPECT_EQ(listOf(r.plan, row.code), row.list) << row.code;
    EXPECT_EQ(sortedP(now()),
              sortedP(databaseOf(answer == Button::No ? &Row::afterNo : &Row::afterYes)));
    ASSERT_EQ(asked.asked().size(), 1u);
    EXPECT_NE(asked.asked()[0].text.find("P0006  yours: W\r\n       new default: N"),
              std::string::npos);
    EXPECT_EQ(asked.asked()[0].defaultButton, Button::No);
    EXPECT_FALSE(asked.unlockedWhileAsked());
    EXPECT_EQ(ReadBytes(BackupPath(db_)), before);
    EXPECT_EQ(ReadBytes(base_), ReadBytes(new_));
  }
}

// Without a base only codes the user lacks are added; the rest is listed, not changed.
// A dry run writes nothing; a base that is no database stops the run.
TEST_F(Update, WithoutABaseOnlyAddsAndListsTheDifferences) {
  ScriptedQuestions none;
  const UpdateResult dry = run(none, /*dryRun=*/true);
  ASSERT_TRUE(dry.done());
  EXPECT_FALSE(std::filesystem::exists(base_) || std::filesystem::exists(BackupPath(db_)));
  DtcDatabase expected = databaseOf(&Row::yours);
  for (const Row& row : kRows) {
    EXPECT_EQ(listOf(dry.plan, row.code), row.listWithoutBase) << row.code;
    if (row.listWithoutBase == std::string_view("added"))
      expected.P.Entries.push_back(entry(row.code, row.incoming));
  }
  ASSERT_TRUE(run(none).done());
  EXPECT_TRUE(none.asked().empty());
  EXPECT_EQ(now(), expected);
  EXPECT_EQ(ReadBytes(base_), ReadBytes(new_));

  WriteBytes(base_, "not a database");
  const std::string kept = ReadBytes(db_);
  EXPECT_EQ(run(none).status.message().find("the kept base cannot be used: \"" + base_), 0u);
  EXPECT_EQ(ReadBytes(db_), kept);
}

// A database made English first takes a Russian-first default in English first: the
// order of its two texts stays, and its kept base stays English first too. Switching it
// then turns the database and its base alike, keeps the previous file, and a second
// switch writes nothing.
TEST(UpdateLanguage, KeepsToTheLanguageTheDatabaseWasMadeInUntilSwitched) {
  DtcDatabase base = EmptyDatabase();
  base.P.Entries.push_back(entry("0100", "MAF", Utf8ToCp1251("ДМРВ")));
  DtcDatabase yours = base, incoming = base;
  incoming.P.Entries[1].Extension = Utf8ToCp1251("ДМРВ: цепь");
  incoming.P.Entries.push_back(entry("0102", "MAF low", Utf8ToCp1251("ДМРВ: низкий")));
  const DtcDatabase expectedBase = incoming;
  TurnToLanguage(incoming, TextLanguage::Russian);
  TempDir dir;
  const std::string db = dir.file("vestral.DAT"), fresh = dir.file("vestral-ru.DAT");
  for (const auto& [path, content] :
       {std::pair{db, &yours}, {db + ".base", &base}, {fresh, &incoming}})
    ASSERT_TRUE(WriteDatabase(path, *content).ok());
  RecordingSink log;
  ScriptedQuestions none;
  ASSERT_TRUE(UpdateDatabase(db, fresh, false, log, none).done());
  DtcDatabase now, keptBase;
  ASSERT_TRUE(ReadDatabase(db, now).ok() && ReadDatabase(db + ".base", keptBase).ok());
  yours.P.Entries[1] = expectedBase.P.Entries[1];
  yours.P.Entries.push_back(expectedBase.P.Entries[2]);
  EXPECT_EQ(now, yours);
  EXPECT_EQ(keptBase, expectedBase);

  const std::string before = ReadBytes(db);
  const SwitchLanguageResult r = SwitchLanguage(db, TextLanguage::Russian);
  ASSERT_TRUE(r.status.ok()) << r.status.message();
  EXPECT_EQ(r.turned, 2);
  EXPECT_TRUE(r.databaseWritten && r.baseWritten);
  EXPECT_EQ(ReadBytes(BackupPath(db)), before);
  ASSERT_TRUE(ReadDatabase(db, now).ok() && ReadDatabase(db + ".base", keptBase).ok());
  EXPECT_EQ(now.P.Entries[1], entry("0100", Utf8ToCp1251("ДМРВ: цепь"), "MAF"));
  EXPECT_EQ(keptBase.P.Entries[1], now.P.Entries[1]);
  const SwitchLanguageResult again = SwitchLanguage(db, TextLanguage::Russian);
  EXPECT_FALSE(again.databaseWritten || again.baseWritten);
}

}  // namespace
}  // namespace vestral::testing
