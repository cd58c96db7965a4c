#include "lookup/text_search.h"

#include <gtest/gtest.h>

#include "support/entries.h"

namespace vestral {
namespace {

// Folds ASCII and the Cyrillic capitals of code page 1251, as the callers' Unicode
// derived table does for these bytes.
FoldTable testFold() {
  FoldTable f = IdentityFold();
  for (int c = 'A'; c <= 'Z'; ++c) f[c] = static_cast<unsigned char>(c + 32);
  for (int c = 0xC0; c <= 0xDF; ++c) f[c] = static_cast<unsigned char>(c + 32);
  return f;
}

DtcDatabase searchDatabase() {
  using testing::entry;
  DtcDatabase db = EmptyDatabase();
  db.U.Entries.push_back(entry("0100", "Lost communication with ECM"));
  // "датчик"
  db.P.Entries.push_back(
      entry("0130", "O2 Sensor Circuit Bank 1 Sensor 1", "\xE4\xE0\xF2\xF7\xE8\xEA"));
  db.P.Entries.push_back(entry("0100", "Mass air flow circuit"));
  db.B.Entries.push_back(entry("1000", "Oxygen sensor heater"));
  db.C.Entries.push_back(entry("0035", "\xC4\xC0\xD2\xD7\xC8\xCA wheel speed"));  // ДАТЧИК
  return db;
}

std::vector<std::string> found(const std::vector<SearchHit>& hits) {
  std::vector<std::string> out;
  for (const SearchHit& h : hits) out.push_back(h.letter + std::string(h.entry.code));
  return out;
}

TEST(SearchEntries, EveryWordMustOccurInTextOrExtension) {
  DatabaseFile file;
  const DatabaseView& db = testing::InPlace(searchDatabase(), file);
  const FoldTable fold = testFold();
  using V = std::vector<std::string>;
  EXPECT_EQ(found(SearchEntries(db, {"sensor"}, fold)), (V{"P0130", "B1000"}));
  EXPECT_EQ(found(SearchEntries(db, {"OXYGEN", "sensor"}, fold)), (V{"B1000"}));
  EXPECT_EQ(found(SearchEntries(db, {"sensor", "\xC4\xC0\xD2\xD7\xC8\xCA"}, fold)), (V{"P0130"}))
      << "one word in the text, the other in the extension";
  EXPECT_EQ(found(SearchEntries(db, {"\xE4\xE0\xF2\xF7\xE8\xEA"}, fold)), (V{"P0130", "C0035"}))
      << "Cyrillic case folds both ways";
  EXPECT_TRUE(SearchEntries(db, {"sensor", "absent"}, fold).empty());
  EXPECT_EQ(SearchEntries(db, {}, fold).size(), 5u) << "no word: every entry";
  EXPECT_TRUE(SearchEntries(db, {"SENSOR"}, IdentityFold()).empty());
}

TEST(SearchEntries, ReportsPositionsAndNeverThePlaceholder) {
  DtcDatabase entries = searchDatabase();
  entries.P.Entries[0].Text = "sensor in the placeholder";
  DatabaseFile file;
  const DatabaseView& db = testing::InPlace(entries, file);
  const auto hits = SearchEntries(db, {"sensor"}, testFold());
  ASSERT_EQ(hits.size(), 2u);
  EXPECT_EQ(hits[0].index, 1);
  EXPECT_EQ(hits[0].table, &db.P);
  EXPECT_EQ(hits[1].index, 1);
  EXPECT_EQ(hits[1].table, &db.B);
}

}  // namespace
}  // namespace vestral
