#include "lookup/code_conversion.h"

#include <gtest/gtest.h>

#include "lookup/code_range.h"
#include "lookup/lookup.h"
#include "support/entries.h"

namespace vestral {
namespace {

using testing::entry;

TEST(Cnvrt, TheFirstCharacterPicksThePrefixAndTheLastThreeFollow) {
  const std::pair<const char*, const char*> cases[] = {
      {"0000", "P0000"},   {"1100", "P1100"}, {"2A80", "P2A80"}, {"3FFF", "P3FFF"},
      {"4123", "C0123"},   {"5123", "C1123"}, {"6123", "C2123"}, {"7000", "C3000"},
      {"8ABC", "B0ABC"},   {"9ABC", "B1ABC"}, {"AABC", "B2ABC"}, {"B001", "B3001"},
      {"C123", "U0123"},   {"D123", "U1123"}, {"E123", "U2123"}, {"FFFF", "U3FFF"},
      {"", "ERROR"},       {"123", "ERROR"},  {"a123", "a123"},  {"G123", "G123"},
      {"012345", "P0345"},
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(Cnvrt(in), out) << in;
}

// Makers own P1, P30 to P33 and the second and third of C, B, U. The standard has
// assigned P34 and U3 and keeps P35 to P3F, C3 and B3 for later.
TEST(RangeOfCode, GenericManufacturerOrReservedByLetterAndDigits) {
  const std::pair<const char*, const char*> cases[] = {
      {"P0100", "generic"},      {"P1406", "manufacturer"}, {"P2096", "generic"},
      {"P3000", "manufacturer"}, {"P33FF", "manufacturer"}, {"P3400", "generic"},
      {"P34FF", "generic"},      {"P3500", "reserved"},     {"P3FFF", "reserved"},
      {"C0035", "generic"},      {"C1000", "manufacturer"}, {"C3000", "reserved"},
      {"B2FFF", "manufacturer"}, {"B3000", "reserved"},     {"U0100", "generic"},
      {"U2000", "manufacturer"}, {"U3000", "generic"},      {"U3FFF", "generic"},
  };
  for (const auto& [code, range] : cases) EXPECT_STREQ(CodeRangeName(RangeOfCode(code)), range);
}

TEST(LookupCode, TheFirstCharacterPicksTheTableAndTheFirstEntryWins) {
  DtcDatabase entries = EmptyDatabase();
  entries.P = testing::tableOf({entry("0100", "first"), entry("0100", "second"),
                                entry("0A80", "hex"), entry("P0A8", "four")});
  entries.P.Name = "powertrain";
  entries.B.Entries.push_back(entry("0100", "body"));
  DatabaseFile file;
  const DatabaseView& db = testing::InPlace(entries, file);
  const LookupIndex index(db);
  // The table by the first letter of its name, the position, the text.
  const std::pair<const char*, const char*> cases[] = {
      {"P0100", "p1 first"}, {"B0100", "b1 body"}, {"C0100", "c0 "}, {"P0A80", "p3 hex"},
      {"PP0A80", "p3 hex"},  {"P0A8", "p4 four"},  {"P 100", "p0 "}, {"P01", "p0 "},
      {"XP0A80", "-0 "},     {"p0100", "-0 "},     {"", "-0 "},
  };
  for (const auto& [val, expected] : cases)
    for (const LookupResult& r : {LookupCode(db, val), index.find(val)})
      EXPECT_EQ(std::string(r.table ? r.table->Name.substr(0, 1) : "-") + std::to_string(r.index) +
                    " " + std::string(r.entry.Text),
                expected)
          << val;
}

}  // namespace
}  // namespace vestral
