#include "editor/entry_list.h"

#include <gtest/gtest.h>

#include "support/entries.h"

namespace vestral {
namespace {

using testing::entry;

DtcDatabase sample() {
  DtcDatabase db = EmptyDatabase();
  db.P.Entries = {
      {},
      entry("0100", "Mass air flow", "\xC4\xC0\xD2\xD7\xC8\xCA \xD0\xC0\xD1\xD5\xCE\xC4\xC0"),
      entry("0A80", "Hybrid battery"),
      entry("0101", "Air flow range", "p0100 related")};
  db.C.Entries.push_back(entry("0035", "Wheel speed sensor"));
  db.U.Entries.push_back(entry("0100", "Lost communication"));
  return db;
}

std::string shown(const EntryList& list) {
  std::string s;
  for (size_t r = 0; r < list.size(); ++r)
    s += (s.empty() ? "" : " ") + LetterForm(list.at(r).letter, list.entry(list.at(r)));
  return s;
}

// Code starts match codes only, other words either text, all of them, in any case.
TEST(EntryFilter, ShowsEntriesByCodeStartAndWordsOfEitherText) {
  const struct {
    const char* typed;
    const char* shown;
  } cases[] = {
      {"", "P0100 P0A80 P0101 C0035 U0100"},
      {" p01 ", "P0100 P0101"},
      {"P0a", "P0A80"},
      {"u0100", "U0100"},
      {"AIR FLOW", "P0100 P0101"},
      {"flow p0101", "P0101"},
      {"p0100", "P0100"},                     // a code start never looks into texts
      {"\xE4\xE0\xF2\xF7\xE8\xEA", "P0100"},  // "датчик" finds "ДАТЧИК" in the second text
      {"related", "P0101"},
      {"sensor speed", "C0035"},
      {"p4 ", ""},  // no code start: a word, found nowhere
  };
  DtcDatabase db = sample();
  EntryList list(db);
  for (const auto& c : cases) {
    list.setFilter(c.typed);
    EXPECT_EQ(shown(list), c.shown) << c.typed;
  }
  EXPECT_EQ(list.total(), 5u);
}

TEST(ParseNewCode, TakesALetterAndFourHexDigitsStartingZeroToThree) {
  const struct {
    const char* typed;
    const char* parsed;  // letter and code, empty when refused
  } cases[] = {
      {" p0a80 ", "P0A80"}, {"U3FFF", "U3FFF"}, {"c1234", "C1234"}, {"P4000", ""}, {"X0100", ""},
      {"P010", ""},         {"P01000", ""},     {"P0G00", ""},      {"0100", ""},  {"P01 0", ""},
  };
  for (const auto& c : cases) {
    char letter = 0;
    std::string code;
    const bool ok = ParseNewCode(c.typed, letter, code);
    EXPECT_EQ(ok ? letter + code : "", c.parsed) << c.typed;
  }
}

// Every edit lands on the entry the row shows, whatever the filter, and an edit that is
// refused changes nothing.
TEST(EntryList, EditsChangeTheEntriesTheRowsShow) {
  DtcDatabase db = sample();
  EntryList list(db);
  list.setFilter("flow");
  EntryRef ref;
  EXPECT_EQ(list.add("p0100", "again", "", ref), EntryProblem::kExists);
  EXPECT_EQ(ref, (EntryRef{'P', 1}));
  EXPECT_EQ(list.add("P0102", "", "x", ref), EntryProblem::kEmptyText);
  EXPECT_EQ(list.add("P0102", "x", std::string(65536, 'x'), ref), EntryProblem::kTooLong);
  EXPECT_EQ(list.add("P01", "x", "", ref), EntryProblem::kBadCode);
  EXPECT_EQ(db, sample());

  ASSERT_EQ(list.add("c0a0f", "Brake flow", std::string(65535, 'x'), ref), EntryProblem::kNone);
  EXPECT_EQ(ref, (EntryRef{'C', 2}));
  EXPECT_EQ(shown(list), "P0100 P0101 C0A0F");
  EXPECT_EQ(list.change(list.at(1), "Air flow range/performance", "x"), EntryProblem::kNone);
  EXPECT_EQ(list.change(list.at(1), "", "x"), EntryProblem::kEmptyText);
  list.setFilter("performance");
  EXPECT_EQ(shown(list), "P0101");
  list.setFilter("flow");
  EXPECT_EQ(list.remove({0, 2}), 2u);
  EXPECT_EQ(shown(list), "P0101");

  DtcDatabase expected = sample();
  expected.P.Entries = {
      {}, entry("0A80", "Hybrid battery"), entry("0101", "Air flow range/performance", "x")};
  EXPECT_EQ(db, expected);
}

}  // namespace
}  // namespace vestral
