// Both readers, into memory and in place, refuse bad bytes before allocating from them,
// with one message naming the file, the byte offset and what was expected.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>

#include "database/database_view.h"
#include "support/entries.h"
#include "support/temp_dir.h"

namespace vestral {
namespace {

using ::testing::HasSubstr;

class ReadDatabaseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DtcDatabase db = EmptyDatabase();  // P: a Cyrillic text with an extension, then plain
    db.P.Entries = {db.P.Entries[0], testing::entry("0100", "\xC4\xE0\xF2", "ext"),
                    testing::entry("0200", "P")};
    valid_ = testing::Bytes(db);
  }

  // Both readers refuse `path`, naming it and `problem`, and keep nothing.
  bool refused(const std::string& path, const std::string& problem, bool corrupt = false) {
    DtcDatabase db = EmptyDatabase();
    const Status whole = ReadDatabase(path, db);
    EXPECT_EQ(whole.IsCorruption(), corrupt) << whole.ToString();
    EXPECT_THAT(whole.message(),
                ::testing::AllOf(HasSubstr("\"" + path + "\""), HasSubstr(problem)));
    EXPECT_EQ(db, DtcDatabase{});
    DatabaseFile file;
    EXPECT_TRUE(file.assign(valid_, "memory").ok());
    EXPECT_EQ(file.read(path).message(), whole.message());
    EXPECT_EQ(ToDatabase(file.view()), EmptyDatabase());
    return !HasFailure();
  }
  bool refusedBytes(const std::string& bytes, const std::string& problem) {
    testing::WriteBytes(path_, bytes);
    return refused(path_, "\"" + path_ + "\" is not a valid database: at byte ", true) &&
           refused(path_, problem, true);
  }

  testing::TempDir dir_;
  std::string path_ = dir_.file("bad.DAT");
  std::string valid_;
};

TEST_F(ReadDatabaseTest, EveryTruncationIsRefused) {
  for (size_t length = 0; length < valid_.size(); ++length)
    if (!refusedBytes(valid_.substr(0, length), "")) FAIL() << "the first " << length << " bytes";
}

TEST_F(ReadDatabaseTest, DamagedCountsAreRefusedBeforeAnythingIsAllocated) {
  // Counts: name at 0, dimensions at 12, elements at 14, lower bound 18, first text 34.
  const std::tuple<size_t, int, uint32_t, std::string> cases[] = {
      // where, how many bytes (little-endian), the value put there, the problem
      {12, 2, 0, "at byte 12, table P: expected dimension count 1, found 0"},
      {12, 2, 2, "at byte 12, table P: expected dimension count 1, found 2"},
      {14, 4, 0xFFFFFFFF, "at byte 14, table P: 4294967295 elements need at least 34359738360"},
      {14, 4, static_cast<uint32_t>((valid_.size() - 22) / 8), "bytes remain"},  // just too many
      {14, 4, static_cast<uint32_t>((valid_.size() - 22) / 8 + 1),  // one more than 8 bytes each
       "bytes, but only " + std::to_string(valid_.size() - 22) + " remain"},
      {14, 4, 0, "at byte 14, table P: expected at least 1 element (the placeholder), found 0"},
      {18, 4, 1, "at byte 18, table P: expected lower bound 0, found 1"},
      {0, 2, 0xFFFF, "at byte 2, table P: expected the table name (65535 bytes)"},
      {34, 2, 0xFFFF, "at byte 36, table P: expected an entry text (65535 bytes), but only"},
  };
  for (const auto& [at, width, value, problem] : cases) {
    std::string bytes = valid_;
    for (int i = 0; i < width; ++i) bytes[at + i] = static_cast<char>(value >> (8 * i));
    EXPECT_TRUE(refusedBytes(bytes, problem)) << problem;
  }
}

// What was read stays whole when another program cuts the file short in place, as `cp
// new.DAT main.DAT` does: a reader that mapped the file would die at the next look.
TEST_F(ReadDatabaseTest, AFileCutShortAfterItWasReadKillsNoReader) {
  DtcDatabase db = EmptyDatabase();
  db.U.Entries.resize(100001, testing::entry("0100", std::string(40, 'x')));
  testing::WriteBytes(path_, testing::Bytes(db));
  const pid_t child = ::fork();
  if (child == 0) {
    DatabaseFile file;
    const bool read = file.read(path_).ok();
    if (::truncate(path_.c_str(), 0) != 0) ::_exit(2);
    size_t text = 0;
    for (const EntryView& e : file.view().U.entries()) text += e.Text.size();
    ::_exit(read && text == 100000 * 40 ? 0 : 1);
  }
  int status = -1;
  ::waitpid(child, &status, 0);
  EXPECT_EQ(status, 0) << (WIFSIGNALED(status) ? strsignal(WTERMSIG(status)) : "wrong contents");
}

}  // namespace
}  // namespace vestral
