#include "lookup/code_conversion.h"

#include <gtest/gtest.h>

#include "lookup/code_range.h"
#include "lookup/lookup.h"
#include "support/entries.h"

namespace vestral {
namespace {

using testing::entry;

TEST(Cnvrt, FollowsTheFirstCharacterTable) {
  const std::pair<const char*, const char*> cases[] = {
      {"0000", "P0000"}, {"0100", "P0100"}, {"3FFF", "P3FFF"}, {"4123", "C0123"},
      {"7000", "C3000"}, {"8ABC", "B0ABC"}, {"B001", "B3001"}, {"C123", "U0123"},
      {"FFFF", "U3FFF"}, {"0A80", "P0A80"}, {"", "ERROR"},     {"1", "ERROR"},
      {"123", "ERROR"},  {"a123", "a123"},  {"G123", "G123"},  {"012345", "P0345"},
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(Cnvrt(in), out) << in;
}

TEST(Cnvrt, EveryHexCodeGivesFiveCharactersWhoseSecondIsADigitToThree) {
  const char* hex = "0123456789ABCDEF";
  for (int i = 0; i < 16; ++i) {
    const std::string out = Cnvrt(std::string(1, hex[i]) + "9AF");
    ASSERT_EQ(out.size(), 5u);
    EXPECT_EQ(out[0], "PCBU"[i / 4]);
    EXPECT_EQ(out[1], '0' + i % 4);
    EXPECT_EQ(out.substr(2), "9AF");
  }
}

TEST(RangeOfCode, MakersOwnP1P30ToP33AndTheFirstTwoOfCBUWhoseFourthIsReserved) {
  const std::pair<const char*, CodeRange> cases[] = {
      {"P0100", CodeRange::Generic},      {"P1406", CodeRange::Manufacturer},
      {"P2096", CodeRange::Generic},      {"P3000", CodeRange::Manufacturer},
      {"P33FF", CodeRange::Manufacturer}, {"P3400", CodeRange::Generic},
      {"P3FFF", CodeRange::Generic},      {"C0035", CodeRange::Generic},
      {"C1000", CodeRange::Manufacturer}, {"B2FFF", CodeRange::Manufacturer},
      {"B3000", CodeRange::Reserved},     {"U0100", CodeRange::Generic},
      {"U2000", CodeRange::Manufacturer}, {"U3FFF", CodeRange::Reserved},
  };
  for (const auto& [code, range] : cases) EXPECT_EQ(RangeOfCode(code), range) << code;
}

DtcDatabase lookupDatabase() {
  DtcDatabase db = EmptyDatabase();
  db.P.Entries.push_back(entry("0100", "first"));
  db.P.Entries.push_back(entry("0100", "second"));
  db.P.Entries.push_back(entry("0A80", "hex letters"));
  db.B.Entries.push_back(entry("0100", "body one"));
  return db;
}

TEST(LookupCode, PicksTableByLetterAndFindsTheFirstEntry) {
  DatabaseFile file;
  const DatabaseView& db = testing::InPlace(lookupDatabase(), file);
  const LookupIndex index(db);
  struct Case {
    const char* val;
    const char* text;  // nullptr: absent
    bool table;
  } cases[] = {
      {"P0100", "first", true},       {"B0100", "body one", true}, {"C0100", nullptr, true},
      {"P0A80", "hex letters", true}, {"00100", nullptr, false},   {"p0100", nullptr, false},
      {"P 100", nullptr, true},       {"", nullptr, false},
  };
  for (const Case& c : cases) {
    for (const LookupResult& r : {LookupCode(db, c.val), index.find(c.val)}) {
      EXPECT_EQ(r.table != nullptr, c.table) << c.val;
      ASSERT_EQ(r.found(), c.text != nullptr) << c.val;
      if (c.text) {
        EXPECT_EQ(r.entry.Text, c.text) << c.val;
      }
    }
  }
}

}  // namespace
}  // namespace vestral
