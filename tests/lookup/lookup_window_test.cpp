#include "lookup/lookup_window.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "lookup/lookup.h"
#include "support/entries.h"
#include "support/temp_dir.h"

namespace vestral {
namespace {

using ::testing::HasSubstr;
using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

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
  // Control characters of Ctrl shortcuts: cut, copy, paste, undo.
  for (int c : {3, 22, 24, 26}) {
    EXPECT_EQ(FilterHexKey(c), 0);
    EXPECT_EQ(FilterLetterKey(c), 0);
  }
}

TEST(StartupHint, IsSeenAnywhereInTheTextExactly) {
  EXPECT_TRUE(HintStillShown(kStartupHintText));
  EXPECT_TRUE(HintStillShown(std::string("x ") + kStartupHint + " y"));
  EXPECT_FALSE(HintStillShown(""));
  EXPECT_FALSE(HintStillShown("ctrl alt esc - \xF0\xE5\xE4\xE0\xEA\xF2\xEE\xF0"));
  EXPECT_FALSE(HintStillShown("Ctrl Alt Esc"));
}

using testing::entry;

TEST(DescribeFind, ShowsTheFirstMatchNeverThePlaceholder) {
  DtcDatabase db = EmptyDatabase();
  db.P.Name = "Engine";
  db.P.Entries.push_back(entry("0100", "first", "more"));
  db.P.Entries.push_back(entry("0100", "second"));
  DatabaseFile file;
  const DatabaseView& view = testing::InPlace(db, file);
  const FindDisplay d = DescribeFind(view, "P0100");
  EXPECT_TRUE(d.found);
  EXPECT_EQ(d.LblCode, "0100");
  EXPECT_EQ(d.LblItem, "first");
  EXPECT_EQ(d.LblBDesc, "Engine");
  EXPECT_EQ(d.TxtUSR, "more");

  // The placeholder's code is four NULs; it is never found.
  const FindDisplay none = DescribeFind(view, std::string("P\0\0\0\0", 5));
  EXPECT_FALSE(none.found);
  EXPECT_EQ(none.LblBDesc, kAbsentMessage);
  EXPECT_EQ(none.LblCode + none.LblItem + none.TxtUSR, "");
}

TEST(LoadMainDatabase, CreatesAnEmptyDatabaseOnlyWhenNothingIsThere) {
  TempDir dir;
  const std::string path = dir.file("vestral.DAT");
  DatabaseFile db;
  bool created = false;
  ASSERT_TRUE(LoadMainDatabase(path, db, &created).ok());
  EXPECT_TRUE(created);
  EXPECT_EQ(ReadBytes(path).size(), 131u);
  EXPECT_EQ(ToDatabase(db.view()), EmptyDatabase());

  DtcDatabase stored = EmptyDatabase();
  stored.B.Entries.push_back(entry("0100", "body"));
  ASSERT_TRUE(WriteDatabase(path, stored).ok());
  const std::string bytes = ReadBytes(path);
  ASSERT_TRUE(LoadMainDatabase(path, db, &created).ok());
  EXPECT_FALSE(created);
  EXPECT_EQ(ToDatabase(db.view()), stored);
  EXPECT_EQ(ReadBytes(path), bytes);
}

TEST(LoadMainDatabase, ReportsDanglingLinksAndMissingFolders) {
  namespace fs = std::filesystem;
  TempDir dir;
  DatabaseFile db;

  const std::string link = dir.file("link.DAT");
  fs::create_symlink(dir.file("gone.DAT"), link);
  Status s = LoadMainDatabase(link, db);
  EXPECT_FALSE(s.ok());
  EXPECT_TRUE(fs::is_symlink(link)) << "a dangling link is not replaced by a new file";
  EXPECT_FALSE(fs::exists(dir.file("gone.DAT")));

  const std::string nested = dir.file("missing/vestral.DAT");
  s = LoadMainDatabase(nested, db);
  EXPECT_FALSE(s.ok());
  EXPECT_THAT(s.message(), HasSubstr("does not exist"));
  EXPECT_FALSE(fs::exists(nested));
  EXPECT_EQ(ToDatabase(db.view()), EmptyDatabase());
}

}  // namespace
}  // namespace vestral
