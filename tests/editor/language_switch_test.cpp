#include "editor/language_switch.h"

#include <gtest/gtest.h>

#include "database/file_io.h"
#include "platform/codepage.h"
#include "support/entries.h"
#include "support/temp_dir.h"

namespace vestral::testing {
namespace {

// Switching turns the database and its kept base and keeps every text: the workshop's
// own entry in one language stays, the previous file is kept, a second switch changes
// nothing and switching back gives the database it started from.
TEST(SwitchLanguage, TurnsTheDatabaseAndItsBaseKeepingEveryText) {
  DtcDatabase base = EmptyDatabase();
  base.P.Entries.push_back(entry("0100", "MAF", Utf8ToCp1251("ДМРВ")));
  DtcDatabase yours = base;
  yours.P.Entries.push_back(entry("1900", Utf8ToCp1251("Датчик бака"), Utf8ToCp1251("разъём")));
  TempDir dir;
  const std::string db = dir.file("vestral.DAT");
  ASSERT_TRUE(WriteDatabase(db, yours).ok() && WriteDatabase(db + ".base", base).ok());
  const std::string before = ReadBytes(db);
  const SwitchLanguageResult r = SwitchLanguage(db, TextLanguage::Russian);
  ASSERT_TRUE(r.status.ok()) << r.status.message();
  EXPECT_EQ(r.before, TextLanguage::English);
  EXPECT_EQ(r.turned, 1);
  EXPECT_TRUE(r.databaseWritten && r.baseWritten);
  EXPECT_EQ(ReadBytes(BackupPath(db)), before);
  DtcDatabase now, keptBase;
  ASSERT_TRUE(ReadDatabase(db, now).ok() && ReadDatabase(db + ".base", keptBase).ok());
  EXPECT_EQ(now.P.Entries[1], entry("0100", Utf8ToCp1251("ДМРВ"), "MAF"));
  EXPECT_EQ(now.P.Entries[2], yours.P.Entries[2]);
  EXPECT_EQ(keptBase.P.Entries[1], now.P.Entries[1]);
  EXPECT_EQ(keptBase.P.Name, Utf8ToCp1251("двигатель и трансмиссия"));

  const SwitchLanguageResult again = SwitchLanguage(db, TextLanguage::Russian);
  EXPECT_FALSE(again.databaseWritten || again.baseWritten);
  ASSERT_TRUE(SwitchLanguage(db, TextLanguage::English).status.ok());
  ASSERT_TRUE(ReadDatabase(db, now).ok());
  EXPECT_EQ(now, yours);
  EXPECT_FALSE(SwitchLanguage(dir.file("none.DAT"), TextLanguage::Russian).status.ok());
}

}  // namespace
}  // namespace vestral::testing
