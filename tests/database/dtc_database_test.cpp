#include "database/dtc_database.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "support/entries.h"
#include "support/temp_dir.h"

namespace vestral {
namespace {

using ::testing::HasSubstr;
using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

std::string bytesOf(std::initializer_list<int> v) {
  std::string s;
  for (int b : v) s.push_back(static_cast<char>(b));
  return s;
}

using testing::entry;

DtcDatabase sampleDatabase() {
  DtcDatabase db = EmptyDatabase();
  db.P.Entries.push_back(entry("0100", "Mass air flow circuit"));
  db.P.Entries.push_back(entry("0101", "\xC4\xE0\xF2\xF7\xE8\xEA", "ext"));
  db.C.Entries.push_back(entry("0035", ""));
  db.U.Entries.push_back(entry("0100", "Lost communication", "\xF2\xE5\xEA\xF1\xF2"));
  return db;
}

TEST(DatabaseFormat, EmptyDatabaseIsThe131ByteRecord) {
  TempDir dir;
  const std::string path = dir.file("new.DAT");
  ASSERT_TRUE(CreateDatabase(path).ok());
  const std::string bytes = ReadBytes(path);
  ASSERT_EQ(bytes.size(), 131u);
  const std::string placeholder(8, '\0');
  const std::string tail = bytesOf({1, 0, 1, 0, 0, 0, 0, 0, 0, 0}) + placeholder;
  EXPECT_EQ(bytes, bytesOf({10, 0}) + "powertrain" + tail + bytesOf({7, 0}) + "chassis" + tail +
                       bytesOf({4, 0}) + "body" + tail + bytesOf({30, 0}) +
                       "network communications systems" + tail);

  DtcDatabase db;
  ASSERT_TRUE(ReadDatabase(path, db).ok());
  EXPECT_EQ(db, EmptyDatabase());
  for (const DtcTable* t : {&db.P, &db.C, &db.B, &db.U}) EXPECT_EQ(t->upperBound(), 0);
}

TEST(DatabaseFormat, TableWithOneEntryIs41Bytes) {
  DtcDatabase db = EmptyDatabase();
  db.P.Entries.push_back(entry("0100", "abc"));
  std::string bytes;
  ASSERT_TRUE(SerializeDatabase(db, bytes).ok());
  const std::string expected = bytesOf({10, 0}) + "powertrain" +
                               bytesOf({1, 0, 2, 0, 0, 0, 0, 0, 0, 0}) + std::string(8, '\0') +
                               "0100" + bytesOf({3, 0}) + "abc" + bytesOf({0, 0});
  ASSERT_EQ(expected.size(), 41u);
  EXPECT_EQ(bytes.substr(0, 41), expected);
}

TEST(DatabaseFormat, CodesArePaddedOrCutToFourCharacters) {
  DtcEntry e;
  EXPECT_EQ(e.code(), std::string_view("\0\0\0\0", 4));
  e.setCode("12");
  EXPECT_EQ(e.code(), "12  ");
  e.setCode("012345");
  EXPECT_EQ(e.code(), "0123");

  TempDir dir;
  DtcDatabase db = EmptyDatabase();
  db.B.Entries.push_back(entry("12", "x"));
  ASSERT_TRUE(WriteDatabase(dir.file("a.DAT"), db).ok());
  DtcDatabase back;
  ASSERT_TRUE(ReadDatabase(dir.file("a.DAT"), back).ok());
  EXPECT_EQ(back.B.Entries[1].code(), "12  ");
}

TEST(DatabaseFormat, RoundTripKeepsEveryByte) {
  TempDir dir;
  const std::string path = dir.file("db.DAT");
  const DtcDatabase db = sampleDatabase();
  ASSERT_TRUE(WriteDatabase(path, db).ok());
  DtcDatabase back;
  ASSERT_TRUE(ReadDatabase(path, back).ok());
  EXPECT_EQ(back, db);
  std::string again;
  ASSERT_TRUE(SerializeDatabase(back, again).ok());
  EXPECT_EQ(again, ReadBytes(path));
}

TEST(DatabaseFormat, WritesNeverShortenTheFile) {
  TempDir dir;
  const std::string path = dir.file("db.DAT");
  ASSERT_TRUE(WriteDatabase(path, sampleDatabase()).ok());
  const std::string before = ReadBytes(path);

  DtcDatabase shorter = sampleDatabase();
  shorter.P.Entries.pop_back();
  ASSERT_TRUE(WriteDatabase(path, shorter).ok());
  const std::string after = ReadBytes(path);
  ASSERT_EQ(after.size(), before.size());
  std::string record;
  ASSERT_TRUE(SerializeDatabase(shorter, record).ok());
  EXPECT_EQ(after.substr(0, record.size()), record);
  EXPECT_EQ(after.substr(record.size()), before.substr(record.size()));

  DtcDatabase back;
  ASSERT_TRUE(ReadDatabase(path, back).ok());
  EXPECT_EQ(back, shorter);
}

TEST(DatabaseFiles, MissingFoldersAndFilesAreClearErrors) {
  TempDir dir;
  DtcDatabase db = sampleDatabase();
  Status s = ReadDatabase(dir.file("absent.DAT"), db);
  EXPECT_TRUE(s.IsIOError());
  EXPECT_THAT(s.message(), HasSubstr("absent.DAT"));
  EXPECT_EQ(db, DtcDatabase{});

  s = WriteDatabase(dir.file("no/such/folder/x.DAT"), sampleDatabase());
  EXPECT_THAT(s.message(), HasSubstr("does not exist"));
  s = WriteDatabase(dir.path(), sampleDatabase());
  EXPECT_THAT(s.message(), HasSubstr("is a folder"));
  s = ReadDatabase(dir.path(), db);
  EXPECT_THAT(s.message(), HasSubstr("is a folder"));
  EXPECT_FALSE(WriteDatabase("", sampleDatabase()).ok());
}

TEST(DatabaseFiles, OverlongTextIsRefusedBeforeTheFileIsTouched) {
  TempDir dir;
  const std::string path = dir.file("db.DAT");
  ASSERT_TRUE(CreateDatabase(path).ok());
  DtcDatabase db = EmptyDatabase();
  db.C.Entries.push_back(entry("0042", std::string(65536, 'x')));
  const Status s = WriteDatabase(path, db);
  EXPECT_TRUE(s.IsInvalidArgument());
  EXPECT_THAT(s.message(), HasSubstr("table C, code 0042"));
  EXPECT_EQ(ReadBytes(path).size(), 131u);

  db.C.Entries.back().Text.resize(65535);
  EXPECT_TRUE(WriteDatabase(path, db).ok());
}

TEST(DatabaseFiles, FileExistsOnlyForOpenableFiles) {
  TempDir dir;
  EXPECT_FALSE(FileExists(dir.file("absent")));
  EXPECT_FALSE(FileExists(dir.file("no/folder/file")));
  EXPECT_FALSE(FileExists(dir.path()));
  EXPECT_FALSE(FileExists(""));
  WriteBytes(dir.file("there"), "x");
  EXPECT_TRUE(FileExists(dir.file("there")));
}

DtcTable tableOf(std::initializer_list<const char*> codes) {
  DtcTable t;
  t.Entries.resize(1);
  for (const char* c : codes) t.Entries.push_back(entry(c, std::string("text ") + c));
  return t;
}

TEST(TableOperations, FindEntryGivesTheFirstExactMatch) {
  DtcTable t = tableOf({"0100", "0200", "0123", "0300", "0400", "0500", "0123"});
  int32_t index = -7;
  EXPECT_TRUE(FindEntry(t, "0123", index));
  EXPECT_EQ(index, 3);
  index = -7;
  EXPECT_FALSE(FindEntry(t, "012", index));
  EXPECT_FALSE(FindEntry(t, "01230", index));
  EXPECT_FALSE(FindEntry(t, "0A00", index));
  EXPECT_FALSE(FindEntry(tableOf({}), "0100", index));
  EXPECT_EQ(index, -7) << "index written only on success";

  t.Entries[2].setCode("012");
  EXPECT_FALSE(FindEntry(t, "012", index));
  EXPECT_TRUE(FindEntry(t, "012 ", index));
  EXPECT_EQ(index, 2);
  EXPECT_FALSE(FindEntry(t, std::string_view("\0\0\0\0", 4), index)) << "placeholder skipped";
}

TEST(TableOperations, DeleteEntryShiftsLaterEntriesDown) {
  DtcTable t = tableOf({"0001", "0002", "0003", "0004"});
  const DtcEntry placeholder = t.Entries[0];
  ASSERT_TRUE(DeleteEntry(t, 2));
  ASSERT_EQ(t.upperBound(), 3);
  EXPECT_EQ(t.Entries[0], placeholder);
  EXPECT_EQ(t.Entries[1].code(), "0001");
  EXPECT_EQ(t.Entries[2].code(), "0003");
  EXPECT_EQ(t.Entries[3].code(), "0004");

  ASSERT_TRUE(DeleteEntry(t, 3));
  EXPECT_EQ(t.upperBound(), 2);
  EXPECT_EQ(t.Entries[2].code(), "0003");

  DtcTable one = tableOf({"0001"});
  ASSERT_TRUE(DeleteEntry(one, 1));
  EXPECT_EQ(one.upperBound(), 0);
  EXPECT_FALSE(DeleteEntry(one, 1)) << "the placeholder is never removed";
  EXPECT_EQ(one.upperBound(), 0);
}

}  // namespace
}  // namespace vestral
