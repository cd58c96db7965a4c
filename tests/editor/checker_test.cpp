#include "editor/checker.h"

#include <gtest/gtest.h>

#include "support/coloured_log.h"
#include "support/entries.h"

namespace vestral {
namespace {

using testing::entry;
using testing::tableOf;

TEST(BrokenEntryRules, AFourCharacterCodeFrom0To3AndAText) {
  const std::tuple<const char*, const char*, unsigned> cases[] = {
      {"0100", "t", 0}, {"3FFF", "t", 0}, {"012", "t", 1}, {"01000", "t", 1}, {"/100", "t", 2},
      {"4100", "t", 2}, {"\xC0", "t", 3}, {"0100", "", 4}, {"", "", 7},
  };
  for (const auto& [code, text, broken] : cases)
    EXPECT_EQ(BrokenEntryRules(code, text), broken) << code;
}

// A damaged entry's IND is the position it has once the damaged ones before it are
// gone. Tables in the order B, C, P, U; the removal list, or the all-clear, between rules.
TEST(CheckDatabase, LogsEveryBrokenRuleRemovesTheEntryAndListsIt) {
  // DtcEntry{} has four NULs for its code, as a grown array leaves it.
  DtcDatabase db = EmptyDatabase();
  db.P = tableOf({entry("0001", "a"), entry("4123", "abc", "def"), entry("7000", ""),
                  entry("0007", "g"), DtcEntry{{}, "t", ""}, DtcEntry{}, entry("0009", "i")});
  db.B.Entries.push_back(entry("X001", "bad B", "ext"));
  RecordingSink log;
  const CheckResult r = CheckDatabase(db, log);
  EXPECT_EQ(r.removed, 5);
  const std::string removals = "BX001 bad B | ext\r\nP4123 abc | def\r\nP7000 \r\n" +
                               std::string("P\0\0\0\0 t\r\nP\0\0\0\0 \r\n", 17);
  EXPECT_EQ(r.removals, removals);
  std::string list = removals;
  std::erase(list, '\r');
  const std::string rule = std::string(67, '=') + "\n";
  EXPECT_EQ(
      testing::ColouredLog(log),
      "[LightGreen]LOG v. 1.0\n[Bright]Check database for errors and CRC\nB - base positions 1\n"
      "C - base positions 0\nP - base positions 7\nU - base positions 0\n"
      "Check B base, errors will be show\n"
      "[LightYellow]BASE B\tIND=1\t::CODE ERROR CRC::\t[LightCyan]Erased\n"
      "[Bright]Check C base, errors will be show\nCheck P base, errors will be show\n"
      "[LightYellow]BASE P\tIND=2\t::CODE ERROR CRC::\t[LightCyan]Erased\n"
      "[LightYellow]BASE P\tIND=2\t::CODE ERROR CRC::\tBASE P\tIND=2\t::DATA "
      "MISSING::\t[LightCyan]Erased\n"
      "[LightYellow]BASE P\tIND=3\t::CODE ERROR CRC::\t[LightCyan]Erased\n"
      "[LightYellow]BASE P\tIND=3\t::CODE ERROR CRC::\tBASE P\tIND=3\t::DATA "
      "MISSING::\t[LightCyan]Erased\n"
      "[Bright]Check U base, errors will be show\n" +
          rule + "[LightBlue]" + list + "\n[Bright]" + rule + "[LightRed]Done");
  EXPECT_EQ(db.P, tableOf({entry("0001", "a"), entry("0007", "g"), entry("0009", "i")}));

  RecordingSink again;
  const CheckResult clean = CheckDatabase(db, again);
  EXPECT_EQ(clean.removed, 0);
  EXPECT_EQ(clean.removals, "");
  EXPECT_TRUE(testing::ColouredLog(again).ends_with(
      rule + "[LightGreen]No error. Database correct.\n[Bright]" + rule + "[LightRed]Done"));

  DtcTable neverFilled;
  std::string stale = "stale";
  CheckTable(again, "P", neverFilled, stale);
  EXPECT_EQ(neverFilled.Entries.size(), 0u);
  EXPECT_EQ(stale, "");
}

}  // namespace
}  // namespace vestral
