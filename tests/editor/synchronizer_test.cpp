#include "editor/synchronizer.h"

#include <gmock/gmock.h>

#include <filesystem>
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
  return "[Yellow]B - base positions " + std::to_string(b) + "\nC - base positions 0\nP - base " +
         "positions " + std::to_string(p) + "\nU - base positions " + std::to_string(u) + "\n";
}
std::string table(char letter, const std::string& lines) {
  return std::string("[Bright]Synchronize ") + letter +
         " base:\n[LightBlue]*********************** BEGIN " + "*************************\n" +
         lines + "***********************  END  **********" + "***************\n";
}
std::string entryLine(const char* code, const std::string& how) {
  return "[Bright]FIND " + std::string(code) + "\t" + how + "[LightBlue]->\n";
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
  const std::string add = "[LightMagenta]FOUND, [Bright]Add\t[LightGreen]Complete\t",
                    complete = "[LightGreen]Complete\t";
  const std::string skip = "[LightMagenta]FOUND, [Bright]Sync\t[LightCyan]Skip",
                    create = "[LightYellow]NOT FOUND, Create\t";
  const auto merged = [&](const std::string& p) {
    return "[Bright]Open Syncho database\n" + positions(0, 4, 1) + table('B', "") + table('C', "") +
           table('P', p + entryLine("0104", create + complete)) +
           table('U', entryLine("0100", create + complete)) + "[Bright]Synchronization complete\n" +
           positions(1, 4, 1) + "[Bright]The previous file is kept as \"" + f.main +
           ".bak\"\n[LightRed]Done";
  };
  const struct {
    bool direct = true;
    std::string sync, log;
    SyncCounts p = {};
    bool otherUnreadable = false;
  } cases[] = {
      // clang-format off
      {.direct = true, .sync = f.sync, .log = merged(entryLine("0101", "[LightMagenta]FOUND, [Bright]Sync\t" + complete) +
       entryLine("0102", skip) + entryLine("0103", skip)), .p = SyncCounts{3, 4, 1, 1, 1, 1}},
      {.direct = false, .sync = f.sync, .log = merged(entryLine("0101", add) + entryLine("0102", add) +
       entryLine("0103", add)), .p = SyncCounts{3, 4, 1, 0, 3, 0}},
      {.direct = true, .sync = "", .log = "Synchro database not found\n[LightRed]Done", .otherUnreadable = true},
      {.direct = true, .sync = f.sync + ".gone", .log = "Synchro database not found\n[LightRed]Done", .otherUnreadable = true},
      {.direct = true, .sync = foreign, .log = "[Bright]Open Syncho database\n[LightRed]\"" + foreign + "\" is not a valid database: "
       "at byte 2, table P: expected the table name (28526 bytes), but only 9 bytes remain\nDone"}};
  // clang-format on
  for (const auto& c : cases) {
    WriteBytes(f.main, before);
    std::filesystem::remove(f.main + ".bak");
    RecordingSink log;
    ScriptedQuestions q{Button::Ok, Button::Cancel};
    const SyncResult r = Synchronize(f.main, c.sync, c.direct, log, q);
    EXPECT_EQ(ColouredLog(log),
              "[LightGreen]LOG v. 1.0\n[Bright]Synchronization databases " +
                  std::string(c.direct ? "Direct mode" : "Alternative value mode") +
                  (c.otherUnreadable ? "\n" : "\nOpen main database\n" + positions(1, 3, 0)) +
                  c.log);
    EXPECT_EQ(r.done(), c.p.after > 0);
    EXPECT_EQ(r.otherUnreadable, c.otherUnreadable);
    EXPECT_EQ(r.tables[2], c.p);
    EXPECT_TRUE(r.done() || ReadBytes(f.main) == before);
    EXPECT_EQ(ReadBytes(f.main + ".bak"), r.done() ? before : "");
    ASSERT_EQ(q.asked().size(), c.p.declined ? 2u : 0u);
    if (!c.p.declined) continue;
    EXPECT_EQ(q.asked()[0].text,
              "Confilm change:\r\n\r\n0101\r\nAB\r\n\r\n TO \r\n\r\n0101\r\nABC");
    EXPECT_EQ(q.asked()[0].buttons, (std::vector<Button>{Button::Ok, Button::Cancel}));
    EXPECT_EQ(q.asked()[0].defaultButton, Button::Cancel);
  }
}

// Alternative value mode asks once before it replaces second texts that are not empty
// and differ (per table, the first five), and No leaves the file, with no copy; equal or
// empty ones are no reason to ask. Direct mode takes a changed second text for a change
// and shows both second texts.
TEST(Synchronize, AsksBeforeReplacingASecondTextTheUserHasNotSeen) {
  DtcDatabase main = EmptyDatabase(), sync = EmptyDatabase();
  for (const char* code : {"0101", "0102", "0103", "0104", "0105"}) {
    main.P.Entries.push_back(entry(code, "t", "old"));
    sync.P.Entries.push_back(entry(code, "new"));
  }
  main.P.Entries.insert(main.P.Entries.end(), {entry("0106", "t", "same"), entry("0107", "t"),
                                               entry("0108", "same text", "x")});
  sync.P.Entries.insert(sync.P.Entries.end(), {entry("0106", "same"), entry("0107", "filled"),
                                               entry("0108", "same text")});
  main.C.Entries.push_back(entry("0035", "wheel", "\xC4\xE0\xF2\xF7\xE8\xEA"));
  sync.C.Entries.push_back(entry("0035", std::string(120, 'w')));
  Files f(main, sync);
  const std::string before = ReadBytes(f.main), kept = f.main + ".bak";
  std::string shown;
  for (const char* code : {"P0101", "P0102", "P0103", "P0104"})
    shown += std::string("\r\n\r\n") + code + "\r\n    now:      old\r\n    becomes:  new";
  for (Button answer : {Button::No, Button::Yes}) {
    RecordingSink log;
    ScriptedQuestions q{answer};
    const SyncResult r = Synchronize(f.main, f.sync, false, log, q);
    ASSERT_EQ(q.asked().size(), 1u);
    EXPECT_EQ(
        q.asked()[0].text,
        "Alternative value mode puts the other database's description into the second text "
        "of each entry both databases hold. 7 entries hold a different second text, which "
        "would be lost:\r\nPer table: B 0, C 1, P 6, U 0\r\n\r\nC0035\r\n    now:      "
        "\xC4\xE0\xF2\xF7\xE8"
        "\xEA\r\n    becomes:  " +
            std::string(100, 'w') + "\x85" + shown +
            "\r\n\r\n... and 2 more\r\n\r\nReplace these second texts? No leaves every file as "
            "it was.");
    EXPECT_EQ(q.asked()[0].buttons, (std::vector<Button>{Button::Yes, Button::No}));
    EXPECT_EQ(q.asked()[0].defaultButton, Button::No);
    EXPECT_EQ(q.asked()[0].icon, Icon::Question);
    EXPECT_EQ(r.done(), answer == Button::Yes);
    EXPECT_THAT(ColouredLog(log),
                ::testing::HasSubstr(
                    "\n[Grey]Replacing 7 non-empty second texts. Confirm please ... \t" +
                    std::string(answer == Button::Yes
                                    ? "[LightCyan]Replace\n[Bright]Synchronize B base:\n"
                                    : "[Bright]Cancelled\nNo second text was replaced; \"" +
                                          f.main + "\" was left as it was\n[LightRed]Done")));
    EXPECT_EQ(ReadBytes(f.main) == before, answer == Button::No);
    EXPECT_EQ(ReadBytes(kept), answer == Button::No ? "" : before);
  }
  WriteBytes(f.main, before);
  NullSink log;
  ScriptedQuestions cancel;
  EXPECT_EQ(Synchronize(f.main, f.sync, true, log, cancel).tables[2].declined, 8);
  EXPECT_EQ(cancel.asked().back().text,
            "Confilm change:\r\n\r\n0108\r\nsame text\r\nSecond text: x\r\n\r\n TO \r\n\r\n"
            "0108\r\nsame text\r\nSecond text: (none)");
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
    else if ((main.Entries[k].Text != s.Text || main.Entries[k].Extension != s.Extension) &&
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
// the run does, and the run asks before replacing second texts when the plan does.
TEST(Synchronize, AgreesWithTheLinearMergeWithSyncTableAndWithThePlan) {
  std::mt19937 rng(5);
  for (int round = 0; round < 200; ++round) {
    const bool direct = round % 2 == 0, allOk = round % 4 < 2, self = round % 7 == 0;
    DtcDatabase m = EmptyDatabase(), s = EmptyDatabase();
    for (char letter : {'P', 'C', 'B', 'U'})
      *m.table(letter) = randomTable(rng), *s.table(letter) = randomTable(rng);
    if (self) s = m;
    ScriptedQuestions qRun, qTable, qLinear;
    if (!direct) qRun.push(Button::Yes);
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
    size_t replaces = 0;
    for (size_t t = 0; t < 4; ++t) {
      const char letter = "BCPU"[t];
      linearSyncTable(*linear.table(letter), *s.table(letter), direct, qLinear);
      SyncTable(log, *tables.table(letter), *s.table(letter), direct, qTable);
      const SyncTablePlan plan = PlanSyncTable(*mainFile.view().table(letter),
                                               *syncFile.view().table(letter), letter, direct);
      EXPECT_TRUE(!allOk || plan.counts() == r.tables[t]);
      for (const SyncPlanEntry& e : plan.changed) replaces |= !direct && !e.mainText.empty();
    }
    DtcDatabase back;
    ASSERT_TRUE(ReadDatabase(f.main, back).ok());
    ASSERT_EQ(back, linear);
    ASSERT_EQ(tables, linear);
    ASSERT_EQ(qRun.asked().size(), qLinear.asked().size() + replaces);
    for (size_t i = 0; i < qLinear.asked().size(); ++i)
      ASSERT_EQ(qRun.asked()[i].text, qLinear.asked()[i].text);
    ASSERT_EQ(qTable.asked().size(), qLinear.asked().size());
  }
}

}  // namespace
}  // namespace vestral
