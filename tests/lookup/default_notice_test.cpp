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
  const std::string older = Bytes(db);
  db.P.Entries.push_back(entry("0100", "MAF"));
  const std::string newer = Bytes(db);
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

// A database made Russian first is compared with the Russian-first default, and
// `update` takes that one in; the English one is no news for it.
TEST(DefaultNotice, ComparesWithTheDefaultOfTheLanguageTheDatabaseWasMadeIn) {
  DtcDatabase russian = EmptyDatabase();
  russian.P.Entries.push_back(entry("0100", Utf8ToCp1251("ДМРВ"), "MAF"));
  const std::string ru = Bytes(russian);
  russian.P.Entries.push_back(entry("0101", Utf8ToCp1251("ДМРВ: диапазон"), "MAF range"));
  const std::string ruNewer = Bytes(russian), en = Bytes(EmptyDatabase());
  TempDir dir;
  const std::string path = dir.file("vestral.DAT"), english = dir.file("default.DAT");
  WriteBytes(english, en);
  WriteBytes(dir.file("default-ru.DAT"), ru);
  WriteBytes(path, ru);
  WriteBytes(path + ".base", ru);
  EXPECT_EQ(DefaultOfSameLanguage(path, english), dir.file("default-ru.DAT"));
  EXPECT_EQ(NewerDefaultNotice(path, english), "");
  WriteBytes(dir.file("default-ru.DAT"), ruNewer);
  EXPECT_NE(NewerDefaultNotice(path, english), "");
}

}  // namespace
}  // namespace vestral::testing
