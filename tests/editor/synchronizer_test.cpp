#include "editor/synchronizer.h"

#include <gmock/gmock.h>

#include <random>

#include "support/coloured_log.h"
#include "support/entries.h"
#include "support/temp_dir.h"

namespace vestral {
namespace {

using namespace testing;

struct Files {
  TempDir dir;
  std::string main = dir.file("MAIN.DAT"), sync = dir.file("other.dat");
  Files(const DtcDatabase& m, const DtcDatabase& s) {
    EXPECT_TRUE(WriteDatabase(main, m).ok() && WriteDatabase(sync, s).ok());
  }
};

std::string positions(int b, int p, int u) {
  return "[6]B - base positions " + std::to_string(b) + "\nC - base positions 0\nP - base " +
         "positions " + std::to_string(p) + "\nU - base positions " + std::to_string(u) + "\n";
}
std::string table(char letter, const std::string& lines) {
  return std::string("[15]Synchronize ") + letter + " base:\n[9]*********************** BEGIN " +
         "*************************\n" + lines + "***********************  END  **********" +
         "***************\n";
}
std::string entryLine(const char* code, const std::string& how) {
  return "[15]FIND " + std::string(code) + "\t" + how + "[9]->\n";
}

// Every decision's log line and count, and the failures that leave the main file as it
// was; what each decision does to the file is the yardstick test's below.
TEST(Synchronize, LogsEveryDecisionAndCountsIt) {
  DtcDatabase main = EmptyDatabase(), sync = EmptyDatabase();
  main.P.Entries = {DtcEntry{}, entry("0101", "AB"), entry("0102", "AB"), entry("0103", "AB")};
  main.B.Entries.push_back(entry("1001", "Seat"));
  sync.P.Entries = {DtcEntry{}, entry("0101", "ABC"), entry("0102", "CD"), entry("0103", "AB"),
                    entry("0104", "Low")};
  sync.U.Entries.push_back(entry("0100", "Lost communication", "u"));
  Files f(main, sync);
  const std::string foreign = f.dir.file("foreign.DAT"), before = ReadBytes(f.main);
  WriteBytes(foreign, "no database");
  const std::string add = "[13]FOUND, [15]Add\t[10]Complete\t", complete = "[10]Complete\t";
  const std::string skip = "[13]FOUND, [15]Sync\t[11]Skip", create = "[14]NOT FOUND, Create\t";
  const auto merged = [&](const std::string& p) {
    return "[15]Open Syncho database\n" + positions(0, 4, 1) + table('B', "") + table('C', "") +
           table('P', p + entryLine("0104", create + complete)) +
           table('U', entryLine("0100", create + complete)) + "[15]Synchronization complete\n" +
           positions(1, 4, 1) + "[12]Done";
  };
  const struct {
    bool direct;
    std::string sync, log;
    SyncCounts p;
    bool otherUnreadable = false;
  } cases[] = {// clang-format off
      {true, f.sync, merged(entryLine("0101", "[13]FOUND, [15]Sync\t" + complete) +
       entryLine("0102", skip) + entryLine("0103", skip)), SyncCounts{3, 4, 1, 1, 1, 1}},
      {false, f.sync, merged(entryLine("0101", add) + entryLine("0102", add) +
       entryLine("0103", add)), SyncCounts{3, 4, 1, 0, 3, 0}},
      {true, "", "Synchro database not found\n[12]Done", {}, true},
      {true, foreign, "[15]Open Syncho database\n[12]\"" + foreign + "\" is not a valid database: "
       "at byte 2, table P: expected the table name (28526 bytes), but only 9 bytes remain\nDone", {}}};
  // clang-format on
  for (const auto& c : cases) {
    WriteBytes(f.main, before);
    RecordingSink log;
    ScriptedQuestions q{Button::Ok, Button::Cancel};
    const SyncResult r = Synchronize(f.main, c.sync, c.direct, log, q);
    EXPECT_EQ(ColouredLog(log),
              "[10]LOG v. 1.0\n[15]Synchronization databases " +
                  std::string(c.direct ? "Direct mode" : "Alternative value mode") +
                  (c.sync.empty() ? "\n" : "\nOpen main database\n" + positions(1, 3, 0)) + c.log);
    EXPECT_EQ(r.done(), c.p.after > 0);
    EXPECT_EQ(r.otherUnreadable, c.otherUnreadable);
    EXPECT_EQ(r.tables[2], c.p);
    EXPECT_TRUE(r.done() || ReadBytes(f.main) == before);
    ASSERT_EQ(q.asked().size(), c.p.declined ? 2u : 0u);
    if (!c.p.declined) continue;
    EXPECT_EQ(q.asked()[0].text,
              "Confilm change:\r\n\r\n0101\r\nAB\r\n\r\n TO \r\n\r\n0101\r\nABC");
    EXPECT_EQ(q.asked()[0].buttons, (std::vector<Button>{Button::Ok, Button::Cancel}));
    EXPECT_EQ(q.asked()[0].defaultButton, Button::Cancel);
  }
}

// The merge with the plain linear search of FindEntry: the yardstick.
void linearSyncTable(DtcTable& main, const DtcTable& sync, bool direct, Questions& q) {
  if (main.Entries.empty()) main.Entries.resize(1);  // the placeholder a file always holds
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
// differ; now and then a table built in memory that was never filled.
DtcTable randomTable(std::mt19937& rng) {
  static const char* kCodes[] = {"0100", "1100", "0101", "0200", "1234", "3FFF", "0A0B", "12"};
  static const char* kTexts[] = {"", "a", "b", "ab", "cd", "abc", "\xE0\xE1"};
  DtcTable t = tableOf({});
  for (int i = std::uniform_int_distribution<int>(-2, 20)(rng); i > 0; --i)
    t.Entries.push_back(entry(kCodes[rng() % 8], kTexts[rng() % 7], kTexts[rng() % 7]));
  return rng() % 10 == 0 ? DtcTable{} : t;
}

// The run on files, SyncTable and the plan against the yardstick, with repeated codes
// and a database merged into itself; with every question answered OK the plan is what
// the run does.
TEST(Synchronize, AgreesWithTheLinearMergeWithSyncTableAndWithThePlan) {
  std::mt19937 rng(5);
  for (int round = 0; round < 200; ++round) {
    const bool direct = round % 2 == 0, allOk = round % 4 < 2, self = round % 7 == 0;
    DtcDatabase m = EmptyDatabase(), s = EmptyDatabase();
    for (char letter : {'P', 'C', 'B', 'U'})
      *m.table(letter) = randomTable(rng), *s.table(letter) = randomTable(rng);
    if (self) s = m;
    ScriptedQuestions qRun, qTable, qLinear;
    for (int i = 0; i < 80; ++i) {
      const Button b = allOk || rng() % 2 ? Button::Ok : Button::Cancel;
      qRun.push(b), qTable.push(b), qLinear.push(b);
    }
    Files f(m, s);
    const std::string& syncPath = self ? f.main : f.sync;
    DatabaseFile mainFile, syncFile;
    ASSERT_TRUE(mainFile.read(f.main).ok() && syncFile.read(syncPath).ok());
    NullSink log;
    const SyncResult r = Synchronize(f.main, syncPath, direct, log, qRun);
    ASSERT_TRUE(r.done());
    DtcDatabase tables = m, linear = m;
    for (size_t t = 0; t < 4; ++t) {
      const char letter = "BCPU"[t];
      linearSyncTable(*linear.table(letter), *s.table(letter), direct, qLinear);
      SyncTable(log, *tables.table(letter), *s.table(letter), direct, qTable);
      const SyncTablePlan plan = PlanSyncTable(*mainFile.view().table(letter),
                                               *syncFile.view().table(letter), letter, direct);
      EXPECT_TRUE(!allOk || plan.counts() == r.tables[t]);
    }
    DtcDatabase back;
    ASSERT_TRUE(ReadDatabase(f.main, back).ok());
    ASSERT_EQ(back, linear);
    ASSERT_EQ(tables, linear);
    ASSERT_EQ(qRun.asked().size(), qLinear.asked().size());
    for (size_t i = 0; i < qRun.asked().size(); ++i)
      ASSERT_EQ(qRun.asked()[i].text, qLinear.asked()[i].text);
    ASSERT_EQ(qTable.asked().size(), qLinear.asked().size());
  }
}

}  // namespace
}  // namespace vestral
