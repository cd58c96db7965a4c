#include "editor/synchronizer.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <random>

#include "support/coloured_log.h"
#include "support/entries.h"
#include "support/temp_dir.h"

namespace vestral {
namespace {

using testing::ColouredLog;
using testing::entry;
using ::testing::HasSubstr;
using testing::ReadBytes;
using testing::tableOf;
using testing::TempDir;

TEST(SyncConfirmationBox, ShowsBothCodesAndTextsWithCancelAsDefault) {
  const MessageBox box = SyncConfirmation(entry("0100", "old text"), entry("0200", "new"));
  EXPECT_EQ(box.text, "Confilm change:\r\n\r\n0100\r\nold text\r\n\r\n TO \r\n\r\n0200\r\nnew");
  EXPECT_EQ(box.buttons, (std::vector<Button>{Button::Ok, Button::Cancel}));
  EXPECT_EQ(box.defaultButton, Button::Cancel);
}

TEST(SyncTable, AMainTableWithoutEntriesArrayKeepsItsPlaceholder) {
  DtcTable main;  // never filled
  RecordingSink log;
  ScriptedQuestions q;
  SyncTable(log, main, tableOf({entry("0100", "a")}), true, q);
  EXPECT_EQ(main.Entries, (std::vector<DtcEntry>{DtcEntry{}, entry("0100", "a")}));
}

struct Files {
  TempDir dir;
  std::string main = dir.file("MAIN.DAT");
  std::string sync = dir.file("other.dat");
  Files(const DtcDatabase& m, const DtcDatabase& s) {
    EXPECT_TRUE(WriteDatabase(main, m).ok());
    EXPECT_TRUE(WriteDatabase(sync, s).ok());
  }
  DtcDatabase read(const std::string& path) const {
    DtcDatabase db;
    EXPECT_TRUE(ReadDatabase(path, db).ok());
    return db;
  }
};

// Every decision of a run, in its log, its result and the file it writes.
TEST(Synchronize, WholeRunsByMode) {
  DtcDatabase main = EmptyDatabase(), sync = EmptyDatabase();
  main.P.Entries.push_back(entry("0101", "Range"));
  main.P.Entries.push_back(entry("0102", "AB", "m"));
  main.P.Entries.push_back(entry("0103", "AB"));
  main.B.Entries.push_back(entry("1001", "Seat"));
  sync.P.Entries.push_back(entry("0101", "Range/performance", "new ext"));  // longer
  sync.P.Entries.push_back(entry("0102", "CD", "s"));                       // same length
  sync.P.Entries.push_back(entry("0103", "AB", "x"));                       // equal
  sync.P.Entries.push_back(entry("0104", "Low input"));
  sync.U.Entries.push_back(entry("0100", "Lost communication", "u"));
  const auto positions = [](int b, int p, int u) {
    return "[6]B - base positions " + std::to_string(b) + "\nC - base positions 0\nP - base " +
           "positions " + std::to_string(p) + "\nU - base positions " + std::to_string(u) + "\n";
  };
  const std::string begin = "[9]*********************** BEGIN *************************\n";
  const std::string end = "***********************  END  *************************\n";
  const auto create = [](const char* code) {
    return "[15]FIND " + std::string(code) + "\t[14]NOT FOUND, Create\t[10]Complete\t[9]->\n";
  };
  const auto table = [&](char letter, const std::string& lines) {
    return std::string("[15]Synchronize ") + letter + " base:\n" + begin + lines + end;
  };
  const std::string head = positions(1, 3, 0) + "[15]Open Syncho database\n" + positions(0, 4, 1);
  const std::string tail = table('U', create("0100")) + "[15]Synchronization complete\n" +
                           positions(1, 4, 1) + "[12]Done";
  DtcDatabase direct = main, alternative = main;
  direct.P.Entries[1] = sync.P.Entries[1];
  for (DtcDatabase* db : {&direct, &alternative}) {
    db->P.Entries.push_back(entry("0104", "Low input"));
    db->U.Entries.push_back(entry("0100", "Lost communication", "u"));
  }
  alternative.P.Entries[1].Extension = "Range/performance";
  alternative.P.Entries[2].Extension = "CD";
  alternative.P.Entries[3].Extension = "AB";
  const std::string found = "[15]FIND 010";
  const struct {
    bool direct;
    std::string mode, pLines;
    DtcDatabase result;
    SyncCounts p;
  } cases[] = {
      {true, "Direct mode",
       found + "1\t[13]FOUND, [15]Sync\t[10]Complete\t[9]->\n" + found +
           "2\t[13]FOUND, [15]Sync\t[11]Skip[9]->\n" + found +
           "3\t[13]FOUND, [15]Sync\t[11]Skip[9]->\n" + create("0104"),
       direct, SyncCounts{3, 4, 1, 1, 1, 1}},
      {false, "Alternative value mode",
       found + "1\t[13]FOUND, [15]Add\t[10]Complete\t[9]->\n" + found +
           "2\t[13]FOUND, [15]Add\t[10]Complete\t[9]->\n" + found +
           "3\t[13]FOUND, [15]Add\t[10]Complete\t[9]->\n" + create("0104"),
       alternative, SyncCounts{3, 4, 1, 0, 3, 0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.mode);
    Files f(main, sync);
    const std::string syncBytes = ReadBytes(f.sync);
    RecordingSink log;
    ScriptedQuestions q{Button::Ok, Button::Cancel};
    const SyncResult r = Synchronize(f.main, f.sync, c.direct, log, q);
    EXPECT_TRUE(r.done());
    EXPECT_EQ(r.tables[2], c.p);
    EXPECT_EQ(r.tables[3], (SyncCounts{0, 1, 1, 0, 0, 0}));
    EXPECT_EQ(q.asked().size(), c.direct ? 2u : 0u);
    EXPECT_EQ(ColouredLog(log), "[10]LOG v. 1.0\n[15]Synchronization databases " + c.mode +
                                    "\nOpen main database\n" + head + table('B', "") +
                                    table('C', "") + table('P', c.pLines) + tail);
    EXPECT_EQ(f.read(f.main), c.result);
    EXPECT_EQ(ReadBytes(f.sync), syncBytes);
  }
}

// Merging a database into itself: direct mode meets a repeated code's first
// occurrence; alternative value mode copies each text into its own second text.
TEST(Synchronize, WithItself) {
  DtcDatabase db = EmptyDatabase();
  db.P.Entries = {DtcEntry{}, entry("0100", "Mass air flow"), entry("0100", "repeated")};
  for (bool direct : {true, false}) {
    Files f(db, EmptyDatabase());
    NullSink log;
    ScriptedQuestions q{Button::Ok};
    EXPECT_TRUE(Synchronize(f.main, f.main, direct, log, q).done());
    const std::vector<DtcEntry> p = f.read(f.main).P.Entries;
    EXPECT_EQ(p[1],
              direct ? entry("0100", "repeated") : entry("0100", "Mass air flow", "repeated"));
    EXPECT_EQ(p.size(), 3u);
  }
}

TEST(Synchronize, FailuresAreLoggedAndLeaveTheMainFile) {
  TempDir dir;
  const std::string good = dir.file("good.DAT"), foreign = dir.file("foreign.DAT");
  ASSERT_TRUE(WriteDatabase(good, EmptyDatabase()).ok());
  testing::WriteBytes(foreign, "no database");
  const std::string before = ReadBytes(good);
  const struct {
    std::string main, sync, line;  // the last log line before "Done"
    bool otherUnreadable;
  } cases[] = {
      {good, dir.file("none.DAT"), "Synchro database not found\n[12]Done", true},
      {good, "", "Synchro database not found\n[12]Done", true},
      {good, foreign, "[12]\"" + foreign + "\" is not a valid database", false},
      {dir.file("none.DAT"), good, "[12]Cannot open \"" + dir.file("none.DAT") + "\"", false},
  };
  for (const auto& c : cases) {
    RecordingSink log;
    ScriptedQuestions q;
    const SyncResult r = Synchronize(c.main, c.sync, true, log, q);
    EXPECT_FALSE(r.done());
    EXPECT_EQ(r.otherUnreadable, c.otherUnreadable) << c.line;
    EXPECT_THAT(ColouredLog(log), HasSubstr(c.line));
    EXPECT_THAT(log.lines(), ::testing::Not(HasSubstr("Synchronize B base:")));
    EXPECT_FALSE(r.status.message().empty());
    EXPECT_EQ(ReadBytes(good), before);
  }
  EXPECT_FALSE(std::filesystem::exists(dir.file("none.DAT")));
}

// The merge with the plain linear search of FindEntry: the yardstick.
void linearSyncTable(DtcTable& main, const DtcTable& sync, bool direct, Questions& q) {
  for (int32_t i = 1; i <= sync.upperBound(); ++i) {
    const DtcEntry& s = sync.Entries[i];
    int32_t k = 0;
    if (!FindEntry(main, s.code(), k))
      main.Entries.push_back(s);
    else if (!direct)
      main.Entries[k].Extension = s.Text;
    else if (main.Entries[k].Text != s.Text &&
             q.ask(SyncConfirmation(main.Entries[k], s)) == Button::Ok)
      main.Entries[k] = s;
  }
}

// Few codes and texts, so that codes repeat in both tables and texts of equal length
// differ.
DtcTable randomTable(std::mt19937& rng) {
  static const char* kCodes[] = {"0100", "0101", "0200", "1234", "3FFF", "0A0B", "2000", "12"};
  static const char* kTexts[] = {"", "a", "b", "ab", "cd", "abc", "\xE0\xE1"};
  DtcTable t = tableOf({});
  for (int i = std::uniform_int_distribution<int>(0, 20)(rng); i > 0; --i)
    t.Entries.push_back(entry(kCodes[rng() % 8], kTexts[rng() % 7], kTexts[rng() % 7]));
  return t;
}

// The run on files, SyncTable and the plan against the yardstick, repeated codes
// included; with every question answered OK the plan is what the run does.
TEST(Synchronize, AgreesWithTheLinearMergeWithSyncTableAndWithThePlan) {
  std::mt19937 rng(5);
  for (int round = 0; round < 200; ++round) {
    SCOPED_TRACE(round);
    const bool direct = round % 2 == 0, allOk = round % 4 < 2;
    DtcDatabase m = EmptyDatabase(), s = EmptyDatabase();
    for (char letter : {'P', 'C', 'B', 'U'}) {
      *m.table(letter) = randomTable(rng);
      *s.table(letter) = randomTable(rng);
    }
    ScriptedQuestions qRun, qTable, qLinear;
    for (int i = 0; i < 80; ++i) {
      const Button b = allOk || rng() % 2 ? Button::Ok : Button::Cancel;
      qRun.push(b), qTable.push(b), qLinear.push(b);
    }
    Files f(m, s);
    DatabaseFile mainFile, syncFile;
    ASSERT_TRUE(mainFile.read(f.main).ok() && syncFile.read(f.sync).ok());
    NullSink log;
    const SyncResult r = Synchronize(f.main, f.sync, direct, log, qRun);
    ASSERT_TRUE(r.done());
    DtcDatabase tables = m, linear = m;
    for (size_t t = 0; t < 4; ++t) {
      const char letter = "BCPU"[t];
      linearSyncTable(*linear.table(letter), *s.table(letter), direct, qLinear);
      SyncTable(log, *tables.table(letter), *s.table(letter), direct, qTable);
      const SyncTablePlan plan = PlanSyncTable(*mainFile.view().table(letter),
                                               *syncFile.view().table(letter), letter, direct);
      EXPECT_EQ(r.tables[t].after, linear.table(letter)->upperBound());
      EXPECT_TRUE(!allOk || plan.counts() == r.tables[t]);
    }
    ASSERT_EQ(f.read(f.main), linear);
    ASSERT_EQ(tables, linear);
    ASSERT_EQ(qRun.asked().size(), qLinear.asked().size());
    for (size_t i = 0; i < qRun.asked().size(); ++i)
      ASSERT_EQ(qRun.asked()[i].text, qLinear.asked()[i].text);
    ASSERT_EQ(qTable.asked().size(), qLinear.asked().size());
  }
}

}  // namespace
}  // namespace vestral
