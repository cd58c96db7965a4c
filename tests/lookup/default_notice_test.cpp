#include "lookup/default_notice.h"

#include <gtest/gtest.h>

#include "platform/codepage.h"
#include "platform/program_paths.h"
#include "support/entries.h"
#include "support/temp_dir.h"

namespace vestral::testing {
namespace {

// The notice compares records: the default with the kept base, or with the database
// itself when it has no base. Bytes behind a record do not count.
TEST(DefaultNotice, TellsWhenTheDefaultDiffersFromWhatTheDatabaseWasMadeFrom) {
  const std::string changed = Utf8ToCp1251(
      "База кодов по умолчанию обновлена: vestral update внесёт её, сохранив ваши правки");
  const std::string differs = Utf8ToCp1251(
      "База кодов по умолчанию отличается от вашей: vestral update добавит недостающие коды");
  DtcDatabase older = EmptyDatabase(), newer = EmptyDatabase();
  older.P.Entries.push_back(entry("0100", "MAF"));
  newer.P.Entries.push_back(entry("0100", "MAF", "ДМРВ"));
  std::string olderBytes, newerBytes;
  ASSERT_TRUE(SerializeDatabase(older, olderBytes).ok() &&
              SerializeDatabase(newer, newerBytes).ok());
  struct Case {
    const char* name;
    std::string base;  // "-": none
    std::string database;
    std::string notice;
  };
  const Case cases[] = {
      {"base older", olderBytes, newerBytes, changed},
      {"base current", newerBytes, olderBytes, ""},
      {"base current, bytes behind it", newerBytes + "tail", olderBytes, ""},
      {"base no database", "junk", olderBytes, ""},
      {"no base, database older", "-", olderBytes, differs},
      {"no base, database current", "-", newerBytes + "tail", ""},
  };
  TempDir dir;
  const std::string db = dir.file("vestral.DAT"), fresh = dir.file("default.DAT");
  WriteBytes(fresh, newerBytes);
  for (const Case& c : cases) {
    std::filesystem::remove(KeptBasePath(db));
    if (c.base != "-") WriteBytes(KeptBasePath(db), c.base);
    WriteBytes(db, c.database);
    EXPECT_EQ(NewerDefaultNotice(db, fresh), c.notice) << c.name;
  }
  EXPECT_EQ(NewerDefaultNotice(db, ""), "");
  EXPECT_EQ(NewerDefaultNotice(db, dir.file("missing.DAT")), "");
}

}  // namespace
}  // namespace vestral::testing
