#include "lookup/text_search.h"

#include <gtest/gtest.h>

#include "support/entries.h"

namespace vestral {
namespace {

using testing::entry;

TEST(FilterForPeople, EveryWordMustOccurInTextOrExtensionInAnyCase) {
  DtcDatabase entries = EmptyDatabase();
  entries.U.Entries.push_back(entry("0100", "Lost communication with ECM"));
  entries.P.Entries.push_back(entry("0130", "O2 Sensor 1", "\xE4\xE0\xF2\xF7\xE8\xEA"));  // датчик
  entries.P.Entries.push_back(entry("0100", "Mass air flow circuit"));
  entries.P.Entries[0].Text = "sensor in the placeholder";
  entries.B.Entries.push_back(entry("1000", "Oxygen sensor heater"));
  entries.C.Entries.push_back(entry("0035", "\xC4\xC0\xD2\xD7\xC8\xCA wheel speed"));  // ДАТЧИК
  DatabaseFile file;
  const DatabaseView& db = testing::InPlace(entries, file);
  const SearchIndex index(db);
  const auto found = [&](std::string query) {
    std::string out;
    for (const SearchHit& h : FilterForPeople(index, query))
      out += h.letter + std::to_string(h.index) + " ";
    return out;
  };
  EXPECT_EQ(found("sensor"), "P1 B1 ");
  EXPECT_EQ(found("OXYGEN sensor"), "B1 ");
  EXPECT_EQ(found("sensor \xC4\xC0\xD2\xD7\xC8\xCA"), "P1 ") << "text and extension";
  EXPECT_EQ(found("\xE4\xE0\xF2\xF7\xE8\xEA"), "P1 C1 ") << "case folds both ways";
  EXPECT_EQ(found("sensor absent"), "");
  EXPECT_EQ(found(""), "P1 P2 C1 B1 U1 ") << "no word: every entry";
}

}  // namespace
}  // namespace vestral
