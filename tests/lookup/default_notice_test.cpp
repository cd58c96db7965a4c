#include "lookup/default_notice.h"

#include <gtest/gtest.h>

#include "platform/codepage.h"
#include "support/entries.h"
#include "support/temp_dir.h"

namespace vestral::testing {
namespace {

// The default's record is compared with the kept base, or without one with the
// database itself; bytes behind a record do not count.
TEST(DefaultNotice, TellsWhenTheDefaultDiffersFromWhatTheDatabaseWasMadeFrom) {
  const std::string changed = Utf8ToCp1251(
      "База кодов по умолчанию обновлена: vestral update внесёт её, сохранив ваши правки");
  const std::string differs = Utf8ToCp1251(
      "База кодов по умолчанию отличается от вашей: vestral update добавит недостающие коды");
  DtcDatabase db = EmptyDatabase();
  std::string older, newer;
  ASSERT_TRUE(SerializeDatabase(db, older).ok());
  db.P.Entries.push_back(entry("0100", "MAF"));
  ASSERT_TRUE(SerializeDatabase(db, newer).ok());
  const std::tuple<std::string, std::string, std::string> cases[] = {
      // the base ("-" none), the database, the notice
      {older, newer, changed}, {newer + "tail", older, ""}, {"junk", older, ""},
      {"-", older, differs},   {"-", newer + "tail", ""},
  };
  TempDir dir;
  const std::string path = dir.file("vestral.DAT"), fresh = dir.file("default.DAT");
  WriteBytes(fresh, newer);
  for (const auto& [base, database, notice] : cases) {
    std::filesystem::remove(path + ".base");
    if (base != "-") WriteBytes(path + ".base", base);
    WriteBytes(path, database);
    EXPECT_EQ(NewerDefaultNotice(path, fresh), notice) << base;
  }
  EXPECT_EQ(NewerDefaultNotice(path, "") + NewerDefaultNotice(path, dir.file("none.DAT")), "");
}

}  // namespace
}  // namespace vestral::testing
