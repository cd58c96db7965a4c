#include "editor/language_switch.h"

#include <gtest/gtest.h>

#include "platform/codepage.h"
#include "platform/file_io.h"
#include "support/entries.h"
#include "support/temp_dir.h"

namespace vestral::testing {
namespace {

// Switching turns the database and its kept base, so update and the notice follow the
// new language; the previous file is kept, and a second switch writes nothing.
TEST(SwitchLanguage, TurnsTheDatabaseAndItsBaseKeepingEveryText) {
  DtcDatabase base = EmptyDatabase();
  base.P.Entries.push_back(entry("0100", "MAF", Utf8ToCp1251("ДМРВ")));
  TempDir dir;
  const std::string db = dir.file("vestral.DAT");
  ASSERT_TRUE(WriteDatabase(db, base).ok() && WriteDatabase(db + ".base", base).ok());
  const std::string before = ReadBytes(db);
  const SwitchLanguageResult r = SwitchLanguage(db, TextLanguage::Russian);
  ASSERT_TRUE(r.status.ok()) << r.status.message();
  EXPECT_EQ(r.turned, 1);
  EXPECT_TRUE(r.databaseWritten && r.baseWritten);
  EXPECT_EQ(ReadBytes(BackupPath(db)), before);
  DtcDatabase now, keptBase;
  ASSERT_TRUE(ReadDatabase(db, now).ok() && ReadDatabase(db + ".base", keptBase).ok());
  EXPECT_EQ(now.P.Entries[1], entry("0100", Utf8ToCp1251("ДМРВ"), "MAF"));
  EXPECT_EQ(keptBase.P.Entries[1], now.P.Entries[1]);

  const SwitchLanguageResult again = SwitchLanguage(db, TextLanguage::Russian);
  EXPECT_FALSE(again.databaseWritten || again.baseWritten);
}

}  // namespace
}  // namespace vestral::testing
