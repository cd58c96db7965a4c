#include "lookup/text_search.h"

#include <gtest/gtest.h>

#include "lookup/synonyms.h"
#include "platform/codepage.h"
#include "support/entries.h"

namespace vestral {
namespace {

// Tests write their texts in UTF-8; entries and queries are code page 1251.
DtcEntry entry(std::string_view code, std::string_view text, std::string_view ext = "") {
  return testing::entry(code, Utf8ToCp1251(text), Utf8ToCp1251(ext));
}

std::string codes(const std::vector<SearchHit>& hits) {
  std::string s;
  for (const SearchHit& h : hits)
    s += (s.empty() ? "" : " ") + (h.letter + std::string(h.entry.code));
  return s;
}

TEST(FilterForPeople, MatchesWordFormsSynonymsWholeNumbersAndCodeStarts) {
  DtcDatabase db = EmptyDatabase();
  db.P = testing::tableOf({entry("0301", "Cylinder 1: misfire detected",
                                 "Цилиндр 1: обнаружены пропуски зажигания. Проверить: свечу."),
                           entry("0310", "Cylinder 10: misfire detected"),
                           entry("0036", "Oxygen sensor heater, bank 1 sensor 2",
                                 "Нагреватель лямбда-зонда, банк 1, датчик 2"),
                           entry("0050", "O2 sensor heater, bank 2 sensor 1",
                                 "Нагреватель кислородного датчика, банк 2, датчик 1"),
                           entry("2000", "Exhaust pipe", "Приёмная труба")});
  db.C.Entries.push_back(entry("0035", "WHEEL SPEED SENSORS", "Датчики скорости колёс"));
  const SearchIndex index(db);
  const struct {
    const char* query;
    const char* found;
  } cases[] = {
      {"CYLINDER 1", "P0301"},  // never cylinder 10
      {"cylinder 10", "P0310"},
      {"misfires ", "P0301 P0310"},
      {"misfire on the cylinder 1", "P0301"},
      {"пропуск зажигания свечи", "P0301"},  // the second sentence counts when no other has all
      {"датчик кислорода", "P0036 P0050"},  // = лямбда-зонд, кислородный датчик, O2 sensor
      {"oxygen sensor банк 2", "P0050"},  // bank 1 sensor 2 holds no "банк 2"
      {"2 банк", "P0050"},                // a number first: either order
      {"1 датчик", "P0050"},              // not across "банк 1, датчик 2"
      {"приемной трубы", "P2000"},        // Ё as Е, other forms
      {"колес wheel speed sensor", "C0035"},
      {"p00 heater", "P0036 P0050"},
      {"heater absent", ""},
      {"misf", "P0301 P0310"},  // still being typed
      {"misf ", ""},
      {"", "P0301 P0310 P0036 P0050 P2000 C0035"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(codes(FilterForPeople(index, Utf8ToCp1251(c.query))), c.found) << c.query;
  EXPECT_EQ(codes(FindForPeople(index, "the of ", kAllHits)), "") << "nothing to match";
}

// Ranks: the description before the second text, then word order, then fewer extra
// words; entries holding the query only across sentences are left out when others
// hold it in one.
TEST(FindForPeople, RanksDescriptionThenWordOrderThenFewerWords) {
  DtcDatabase db = EmptyDatabase();
  db.P =
      testing::tableOf({entry("0001", "Other", "heater relay"), entry("0002", "Relay heater"),
                        entry("0003", "Heater relay circuit fault"), entry("0004", "Heater relay"),
                        entry("0005", "Heater", "relay"), entry("0006", "Heater. Relay")});
  const SearchIndex index(db);
  EXPECT_EQ(codes(FindForPeople(index, "heater relay", kAllHits)), "P0004 P0003 P0002 P0001");
  EXPECT_EQ(codes(FindForPeople(index, "heater relay", 2)), "P0004 P0003");
}

// The index of a working copy follows its edits: changes (enough for it to drop the
// words they replaced), an entry added, one erased.
TEST(SearchIndex, FollowsEditsOfTheDatabaseItIndexes) {
  DtcDatabase db = EmptyDatabase();
  db.P.Entries.push_back(entry("0100", "Mass air flow"));
  db.P.Entries.push_back(entry("0101", "Air flow range"));
  SearchIndex index(db);
  for (const char* text : {"Pedal", "Throttle", "Pedal", "Throttle body"}) {
    db.P.Entries[1].Text = text;
    index.reindex('P', 1);
  }
  db.C.Entries.push_back(entry("0035", "Wheel speed"));
  index.reindex('C', 1);
  EXPECT_EQ(codes(FilterForPeople(index, "throttle ")), "P0100");
  db.P.Entries.erase(db.P.Entries.begin() + 1);
  index.erase('P', {false, true, false});
  EXPECT_EQ(codes(FilterForPeople(index, "")), "P0101 C0035");
  EXPECT_EQ(codes(FilterForPeople(index, "air")), "P0101");
  EXPECT_EQ(codes(FilterForPeople(index, "speed")), "C0035");
  EXPECT_EQ(index.entries(), 2u);
}

// On the shipped codes: what technicians type finds what they mean, and each name of a
// synonym group finds what the group's first name finds, and that is something (a name
// the word rules split, or a group no entry holds, fails here).
TEST(FindForPeople, AnswersTechniciansOnTheShippedCodes) {
  DtcDatabase db;
  ASSERT_TRUE(ReadDatabase(VESTRAL_CODE_SET_DATABASE, db).ok());
  ASSERT_GT(db.P.upperBound(), 2000);
  const SearchIndex index(db);
  EXPECT_EQ(codes(FindForPeople(index, "misfire on cylinder 3", 1)), "P0303");

  const std::vector<SearchHit> heaters =
      FindForPeople(index, Utf8ToCp1251("датчик кислорода нагреватель банк 2"), kAllHits);
  for (const SearchHit& h : heaters) {
    EXPECT_NE(h.entry.Text.find("heater"), std::string::npos) << h.entry.Text;
    EXPECT_NE(h.entry.Text.find("bank 2"), std::string::npos) << h.entry.Text;
  }
  for (const char* code : {"P0050", "P0056", "P0062", "P0155", "P0161", "P0167"})
    EXPECT_NE(codes(heaters).find(code), std::string::npos) << code;
  ASSERT_GE(Synonyms().size(), 10u);
  for (const SynonymGroup& g : Synonyms()) {
    const std::string first = codes(FilterForPeople(index, g.names[0] + " "));
    EXPECT_FALSE(first.empty()) << Cp1251ToUtf8Exactly(g.names[0]);
    for (const std::string& name : g.names)
      EXPECT_EQ(codes(FilterForPeople(index, name + " ")), first) << Cp1251ToUtf8Exactly(name);
  }
}

}  // namespace
}  // namespace vestral
