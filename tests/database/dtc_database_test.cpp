#include "database/dtc_database.h"

#include <gtest/gtest.h>

#include "support/entries.h"
#include "support/temp_dir.h"

namespace vestral {
namespace {

using namespace std::string_literals;
using testing::Bytes;
using testing::entry;
using testing::ReadBytes;

// A table: the name's byte count and bytes, dimension count 1, element count, lower
// bound 0, then each element: code, text count and bytes, extension count and bytes.
TEST(DatabaseFormat, TheEmptyDatabaseIs131BytesAndAnEntryEightAndItsTexts) {
  testing::TempDir dir;
  ASSERT_TRUE(CreateDatabase(dir.file("new.DAT")).ok());
  const std::string tail = "\1\0\1\0\0\0\0\0\0\0"s + std::string(8, '\0');
  EXPECT_EQ(ReadBytes(dir.file("new.DAT")), "\12\0powertrain"s + tail + "\7\0chassis"s + tail +
                                                "\4\0body"s + tail +
                                                "\36\0network communications systems"s + tail);
  DtcDatabase db = EmptyDatabase();
  db.P.Entries.push_back(entry("0100", "abc", "de"));
  EXPECT_EQ(Bytes(db).substr(0, 43),
            "\12\0powertrain\1\0\2\0\0\0\0\0\0\0"s + std::string(8, '\0') + "0100\3\0abc\2\0de"s);
  EXPECT_EQ(entry("12", "").code(), "12  ");
  EXPECT_EQ(entry("012345", "").code(), "0123");
}

TEST(DatabaseFiles, AWriteNeverShortensTheFileAndRefusesWhatItCannotHold) {
  testing::TempDir dir;
  const std::string path = dir.file("db.DAT");
  DtcDatabase db = EmptyDatabase();
  db.C.Entries.push_back(entry("0042", std::string(65536, 'x')));
  testing::WriteBytes(path, std::string(200, '#'));
  const Status s = WriteDatabase(path, db);
  EXPECT_TRUE(s.IsInvalidArgument());
  EXPECT_NE(s.message().find("table C, code 0042 (position 1)"), std::string::npos);
  EXPECT_EQ(ReadBytes(path), std::string(200, '#'));
  db.C.Entries.back().Text.resize(65535);
  ASSERT_TRUE(WriteDatabase(path, EmptyDatabase()).ok());
  EXPECT_EQ(ReadBytes(path), Bytes(EmptyDatabase()) + std::string(200 - 131, '#'));
  EXPECT_TRUE(WriteDatabase(path, db).ok());
  EXPECT_TRUE(FileExists(path));
  for (const std::string& none : {dir.file("absent"), dir.file("no/f"), dir.path(), ""s})
    EXPECT_FALSE(FileExists(none)) << none;
}

// Only where nothing is at all is a new database written; what is there is left alone.
TEST(CreateMissingDatabase, CreatesAnEmptyDatabaseOnlyWhenNothingIsThere) {
  testing::TempDir dir;
  const std::string path = dir.file("vestral.DAT"), link = dir.file("link.DAT");
  bool created = false;
  ASSERT_TRUE(CreateMissingDatabase(path, &created).ok());
  EXPECT_TRUE(created);
  EXPECT_EQ(testing::ReadBytes(path).size(), 131u);
  testing::WriteBytes(path, "damaged");
  ASSERT_TRUE(CreateMissingDatabase(path, &created).ok());
  EXPECT_FALSE(created);
  EXPECT_EQ(testing::ReadBytes(path), "damaged");
  std::filesystem::create_symlink(dir.file("gone.DAT"), link);
  ASSERT_TRUE(CreateMissingDatabase(link, &created).ok());
  EXPECT_FALSE(created || std::filesystem::exists(dir.file("gone.DAT")));
}

// FindEntry is the yardstick of the code index's test.
TEST(TableOperations, DeleteEntryMovesTheRestDownAndNeverTakesThePlaceholder) {
  DtcTable t = testing::tableOf({entry("0100", "a"), entry("0101", "b"), entry("0102", "c")});
  ASSERT_TRUE(DeleteEntry(t, 2));
  EXPECT_EQ(t, testing::tableOf({entry("0100", "a"), entry("0102", "c")}));
  ASSERT_TRUE(DeleteEntry(t, 2));
  EXPECT_FALSE(DeleteEntry(t, 2));
  EXPECT_FALSE(DeleteEntry(t, 0));
  EXPECT_EQ(t, testing::tableOf({entry("0100", "a")}));
}

}  // namespace
}  // namespace vestral
