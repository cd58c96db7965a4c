#include "editor/checker.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <random>
#include "support/entries.h"

namespace vestral {
namespace {

using testing::entry;
using testing::tableOf;

// The routine as written for one-by-one removal, kept here as the reference the
// one-pass compaction must match exactly.
void ReferenceCheckTable(LogSink& log, const std::string& letter, DtcTable& table,
                         std::string& removals) {
  std::string out;
  int32_t i = 1;
  while (i <= table.upperBound()) {
    const DtcEntry& e = table.Entries[i];
    bool damaged = false;
    const std::string head = "BASE " + letter + "\tIND=" + std::to_string(i) + "\t";
    if (e.code().size() != 4) {
      log.LOG(head + "::CODE ERROR LENGCH::", kTabModeTab, color::kLightYellow);
      damaged = true;
    }
    if (std::string_view("0123").find(e.Code[0]) == std::string_view::npos) {
      log.LOG(head + "::CODE ERROR CRC::", kTabModeTab, color::kLightYellow);
      damaged = true;
    }
    if (e.Text.empty()) {
      log.LOG(head + "::DATA MISSING::", kTabModeTab, color::kLightYellow);
      damaged = true;
    }
    if (damaged) {
      out += letter + std::string(e.code()) + " " + e.Text;
      if (!e.Extension.empty()) out += " | " + e.Extension;
      out += "\r\n";
      if (DeleteEntry(table, i)) {
        log.LOG("Erased", kTabModeLineEnd, color::kLightCyan);
        --i;
      } else {
        log.LOG("Crash", kTabModeLineEnd, color::kLightRed);
      }
    }
    ++i;
  }
  removals = out;
}

TEST(CheckTable, NeighbouringDamagedEntriesShareTheirIndex) {
  DtcTable t =
      tableOf({entry("0001", "a"), entry("0002", "b"), entry("0003", "c"), entry("0004", "d"),
               entry("4123", "abc", "def"), entry("7000", ""), entry("0007", "g")});
  RecordingSink log;
  std::string removals = "stale";
  CheckTable(log, "B", t, removals);
  EXPECT_EQ(log.lines(),
            "BASE B\tIND=5\t::CODE ERROR CRC::\tErased\n"
            "BASE B\tIND=5\t::CODE ERROR CRC::\tBASE B\tIND=5\t::DATA MISSING::\tErased\n");
  for (const LogRun& r : log.runs())
    EXPECT_EQ(r.color, r.text == "Erased\r\n" ? color::kLightCyan : color::kLightYellow);
  EXPECT_EQ(removals, "B4123 abc | def\r\nB7000 \r\n");
  EXPECT_EQ(t, tableOf({entry("0001", "a"), entry("0002", "b"), entry("0003", "c"),
                        entry("0004", "d"), entry("0007", "g")}));
}

TEST(CheckTable, EachBrokenRuleIsOnePiece) {
  DtcEntry unassigned;  // four NULs, as a grown array leaves it
  DtcEntry unassignedWithText;
  unassignedWithText.Text = "t";
  const struct {
    DtcEntry e;
    std::string pieces;
    std::string record;
  } cases[] = {
      {entry("0100", "ok"), "", ""},
      {entry("0100", ""), "BASE U\tIND=1\t::DATA MISSING::\t", "U0100 \r\n"},
      {entry("4123", "abc", "def"), "BASE U\tIND=1\t::CODE ERROR CRC::\t", "U4123 abc | def\r\n"},
      {entry("A100", "x"), "BASE U\tIND=1\t::CODE ERROR CRC::\t", "UA100 x\r\n"},
      {unassignedWithText, "BASE U\tIND=1\t::CODE ERROR CRC::\t",
       std::string("U\0\0\0\0 t\r\n", 9)},
      {unassigned, "BASE U\tIND=1\t::CODE ERROR CRC::\tBASE U\tIND=1\t::DATA MISSING::\t",
       std::string("U\0\0\0\0 \r\n", 8)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.record);
    DtcTable t = tableOf({c.e});
    RecordingSink log;
    std::string removals;
    CheckTable(log, "U", t, removals);
    EXPECT_EQ(log.lines(), c.pieces.empty() ? "" : c.pieces + "Erased\n");
    EXPECT_EQ(removals, c.record);
    EXPECT_EQ(t.upperBound(), c.pieces.empty() ? 1 : 0);
  }
}

TEST(CheckTable, LeavesTablesWithoutEntriesAlone) {
  DtcTable placeholderOnly = tableOf({});
  DtcTable neverFilled;
  for (DtcTable* t : {&placeholderOnly, &neverFilled}) {
    const DtcTable before = *t;
    RecordingSink log;
    std::string removals = "x";
    CheckTable(log, "P", *t, removals);
    EXPECT_EQ(*t, before);
    EXPECT_EQ(removals, "");
    EXPECT_TRUE(log.runs().empty());
  }
}

// Random tables, a quarter to all of them damaged in every way: the compaction gives
// the very log, removal list and table of the one-by-one removal.
TEST(CheckTable, CompactionEqualsOneByOneRemoval) {
  std::mt19937 rng(2024);
  const char firsts[] = {'0', '1', '2', '3', '4', '9', 'A', ' ', '\0'};
  for (int round = 0; round < 300; ++round) {
    const int size = static_cast<int>(rng() % 40);
    const unsigned damageOneIn = 1 + rng() % 4;
    DtcTable t = tableOf({});
    for (int k = 0; k < size; ++k) {
      DtcEntry e;
      const bool damage = rng() % damageOneIn == 0;
      e.Code = {damage ? firsts[rng() % std::size(firsts)] : '0', '1', '2',
                static_cast<char>('0' + k % 10)};
      e.Text = damage && rng() % 2 ? "" : "text " + std::to_string(k);
      if (rng() % 3 == 0) e.Extension = "ext " + std::to_string(k);
      t.Entries.push_back(e);
    }
    DtcTable reference = t;
    RecordingSink log, refLog;
    std::string removals, refRemovals;
    CheckTable(log, "C", t, removals);
    ReferenceCheckTable(refLog, "C", reference, refRemovals);
    ASSERT_EQ(log.runs(), refLog.runs()) << "round " << round;
    ASSERT_EQ(removals, refRemovals) << "round " << round;
    ASSERT_EQ(t, reference) << "round " << round;
  }
}

TEST(CheckDatabase, CorrectDatabaseIsReportedAndLeftUnchanged) {
  DtcDatabase db = EmptyDatabase();
  db.P.Entries.push_back(entry("0100", "Mass air flow"));
  db.U.Entries.push_back(entry("0100", "Lost communication", "ext"));
  const DtcDatabase before = db;
  RecordingSink log;
  const CheckResult r = CheckDatabase(db, log);
  EXPECT_EQ(r.removed, 0);
  EXPECT_EQ(r.removals, "");
  EXPECT_EQ(db, before);
  const std::string rule(67, '=');
  EXPECT_EQ(log.lines(),
            "LOG v. 1.0\n"
            "Check database for errors and CRC\n"
            "B - base positions 0\nC - base positions 0\nP - base positions 1\n"
            "U - base positions 1\n"
            "Check B base, errors will be show\nCheck C base, errors will be show\n"
            "Check P base, errors will be show\nCheck U base, errors will be show\n" +
                rule + "\nNo error. Database correct.\n" + rule + "\nDone");
  const std::vector<LogRun>& runs = log.runs();
  for (size_t i = 1; i + 3 < runs.size(); ++i) EXPECT_EQ(runs[i].color, color::kBrightWhite) << i;
  EXPECT_EQ(runs.end()[-3].color, color::kLightGreen);
  EXPECT_EQ(runs.end()[-2].color, color::kBrightWhite);
}

TEST(CheckDatabase, DamagedEntriesAreListedAfterTheRule) {
  DtcDatabase db = EmptyDatabase();
  db.P.Entries.push_back(entry("5100", "bad P"));
  db.P.Entries.push_back(entry("0101", "good P"));
  db.B.Entries.push_back(entry("0001", ""));
  db.U.Entries.push_back(entry("X001", "bad U", "ext"));
  RecordingSink log;
  const CheckResult r = CheckDatabase(db, log);
  EXPECT_EQ(r.removed, 3);
  // Tables in the order B, C, P, U.
  const std::string list = "B0001 \r\nP5100 bad P\r\nUX001 bad U | ext\r\n";
  EXPECT_EQ(r.removals, list);
  const std::string rule(67, '=');
  EXPECT_EQ(log.lines(),
            "LOG v. 1.0\n"
            "Check database for errors and CRC\n"
            "B - base positions 1\nC - base positions 0\nP - base positions 2\n"
            "U - base positions 1\n"
            "Check B base, errors will be show\n"
            "BASE B\tIND=1\t::DATA MISSING::\tErased\n"
            "Check C base, errors will be show\n"
            "Check P base, errors will be show\n"
            "BASE P\tIND=1\t::CODE ERROR CRC::\tErased\n"
            "Check U base, errors will be show\n"
            "BASE U\tIND=1\t::CODE ERROR CRC::\tErased\n" +
                rule + "\nB0001 \nP5100 bad P\nUX001 bad U | ext\n\n" + rule + "\nDone");
  const LogRun& listRun = log.runs().end()[-3];
  EXPECT_EQ(listRun.text, list + "\r\n");
  EXPECT_EQ(listRun.color, color::kLightBlue);
  EXPECT_EQ(db.P.upperBound(), 1);
  EXPECT_EQ(db.P.Entries[1].Text, "good P");
  EXPECT_EQ(db.B.upperBound(), 0);
  EXPECT_EQ(db.U.upperBound(), 0);
}

}  // namespace
}  // namespace vestral
