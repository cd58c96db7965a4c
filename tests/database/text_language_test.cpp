#include "database/text_language.h"

#include <gtest/gtest.h>

#include "platform/codepage.h"
#include "support/entries.h"

namespace vestral::testing {
namespace {

// Turning swaps only an entry whose two texts are one in each language, the default
// names of the tables with it; a workshop's entries in one language and its own names
// stay, and turning back gives the database it started from.
TEST(TextLanguage, TurningSwapsTheTwoLanguagesAndKeepsEverythingElse) {
  const auto ru = [](const char* utf8) { return Utf8ToCp1251(utf8); };
  DtcDatabase english = EmptyDatabase();
  english.C.Name = "my chassis";
  english.P.Entries = {DtcEntry{},
                       entry("0100", "MAF circuit", ru("ДМРВ: цепь")),
                       entry("0101", "MAF range", ru("ДМРВ: диапазон")),
                       entry("1900", ru("Датчик бака"), ru("разъём под сиденьем")),
                       entry("1901", "Tank sensor"),
                       entry("1902", ru("Датчик бака"))};
  DtcDatabase russian = english;
  EXPECT_EQ(TurnToLanguage(russian, TextLanguage::Russian), 2);
  EXPECT_EQ(russian.P.Entries[1], entry("0100", ru("ДМРВ: цепь"), "MAF circuit"));
  for (size_t i = 3; i <= 5; ++i) EXPECT_EQ(russian.P.Entries[i], english.P.Entries[i]);
  EXPECT_EQ(russian.P.Name, ru("двигатель и трансмиссия"));
  EXPECT_EQ(russian.C.Name, "my chassis");
  EXPECT_EQ(FirstLanguageOf(english), TextLanguage::English);
  EXPECT_EQ(FirstLanguageOf(russian), TextLanguage::Russian);
  EXPECT_EQ(TurnToLanguage(russian, TextLanguage::Russian), 0);
  TurnToLanguage(russian, TextLanguage::English);
  EXPECT_EQ(russian, english);
  EXPECT_EQ(FirstLanguageOf(EmptyDatabase()), TextLanguage::English);
}

// The build makes both defaults from one master: the Russian-first one is the
// English-first one turned, Russian table names and all.
TEST(TextLanguage, TheShippedRussianDefaultIsTheEnglishOneTurned) {
  DtcDatabase english, russian;
  ASSERT_TRUE(ReadDatabase(VESTRAL_CODE_SET_DATABASE, english).ok());
  ASSERT_TRUE(ReadDatabase(VESTRAL_CODE_SET_DATABASE_RU, russian).ok());
  EXPECT_EQ(FirstLanguageOf(russian), TextLanguage::Russian);
  EXPECT_EQ(russian.B.Name, Utf8ToCp1251("кузов"));
  const int32_t turned = TurnToLanguage(russian, TextLanguage::English);
  EXPECT_EQ(turned, english.P.upperBound() + english.C.upperBound() + english.B.upperBound() +
                        english.U.upperBound());
  EXPECT_EQ(russian, english);
}

}  // namespace
}  // namespace vestral::testing
