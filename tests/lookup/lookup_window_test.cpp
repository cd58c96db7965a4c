#include "lookup/lookup_window.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "lookup/lookup.h"
#include "support/entries.h"
#include "support/temp_dir.h"

namespace vestral {
namespace {

using testing::entry;
using testing::TempDir;

TEST(KeyFilters, PassUpperCaseAndDiscardTheRest) {
  for (int c = -1; c <= 256; ++c) {
    int hex = 0, letter = 0;
    if (c == 8) hex = letter = 8;
    if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F')) hex = c;
    if (c >= 'a' && c <= 'f') hex = c - 'a' + 'A';
    if ((c >= '0' && c <= '9') || c == ' ' || c == 'P' || c == 'C' || c == 'B' || c == 'U')
      letter = c;
    if (c == 'p' || c == 'c' || c == 'b' || c == 'u') letter = c - 'a' + 'A';
    EXPECT_EQ(FilterHexKey(c), hex) << c;
    EXPECT_EQ(FilterLetterKey(c), letter) << c;
  }
}

// Only where nothing is at all is a new database written; what is there is read as it
// is, and a dangling link is reported.
TEST(LoadMainDatabase, CreatesAnEmptyDatabaseOnlyWhenNothingIsThere) {
  namespace fs = std::filesystem;
  TempDir dir;
  const std::string path = dir.file("vestral.DAT"), link = dir.file("link.DAT");
  DatabaseFile db;
  bool created = false;
  ASSERT_TRUE(LoadMainDatabase(path, db, &created).ok());
  EXPECT_TRUE(created);
  DtcDatabase stored = EmptyDatabase();
  stored.B.Entries.push_back(entry("0100", "body"));
  ASSERT_TRUE(WriteDatabase(path, stored).ok());
  ASSERT_TRUE(LoadMainDatabase(path, db, &created).ok());
  EXPECT_FALSE(created);
  EXPECT_EQ(ToDatabase(db.view()), stored);

  fs::create_symlink(dir.file("gone.DAT"), link);
  EXPECT_FALSE(LoadMainDatabase(link, db).ok());
  EXPECT_FALSE(fs::exists(dir.file("gone.DAT")));
  EXPECT_EQ(ToDatabase(db.view()), EmptyDatabase()) << "nothing is left of the last load";
}

}  // namespace
}  // namespace vestral
