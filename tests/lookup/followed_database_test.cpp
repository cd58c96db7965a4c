#include "lookup/followed_database.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "lookup/lookup.h"
#include "support/entries.h"
#include "support/temp_dir.h"

namespace vestral {
namespace {

std::string bytesWith(const std::string& text) {
  DtcDatabase db = EmptyDatabase();
  db.P.Entries.push_back(testing::entry("0100", text));
  return testing::Bytes(db);
}

int64_t modifiedNs(const std::string& path) {
  struct stat st {};
  ::stat(path.c_str(), &st);
  return st.st_mtim.tv_sec * 1'000'000'000LL + st.st_mtim.tv_nsec;
}

// What P0100 reads as after each change to the file, with the clock a moment or long
// after the file's last write: a file replaced whole is taken at once, one written in
// place once it has settled, and what cannot be used is reported until it can.
TEST(FollowedDatabase, TakesEachNewVersionButNeverOneStillBeingWritten) {
  enum Change { kNone, kRename, kInPlace, kCutShort, kRemove };
  const struct {
    Change change;
    const char* text = "";
    bool settled = false;  // the clock long after the file's last write
    const char* expected;  // P0100's text, or the start of the problem reported
  } steps[] = {
      {.change = kRename, .text = "one", .expected = "one"},
      {.change = kNone, .settled = true, .expected = "one"},
      {.change = kRename, .text = "two", .expected = "two"},
      {.change = kInPlace, .text = "three", .expected = "two"},
      {.change = kNone, .settled = true, .expected = "three"},
      {.change = kCutShort, .text = "four", .expected = "three"},
      {.change = kNone, .settled = true, .expected = "\"<db>\" is not a valid database: at byte "},
      {.change = kRename, .text = "five", .expected = "five"},
      {.change = kRemove,
       .settled = true,
       .expected = "cannot open \"<db>\": No such file or directory"},
      // nothing was taken before: nothing better to show
      {.change = kInPlace, .text = "six", .expected = "six"},
  };
  testing::TempDir dir;
  const std::string path = dir.file("vestral.DAT");
  int64_t offset = 0;
  FollowedDatabase db(path, [&] { return modifiedNs(path) + offset; });
  for (const auto& s : steps) {
    const std::string bytes = bytesWith(s.text);
    if (s.change == kRename) {
      ASSERT_TRUE(ReplaceFile(path, bytes).ok());
    }
    if (s.change == kInPlace) testing::WriteBytes(path, bytes);
    if (s.change == kCutShort) testing::WriteBytes(path, bytes.substr(0, bytes.size() - 3));
    if (s.change == kRemove) std::filesystem::remove(path);
    offset = s.settled ? 10 * FollowedDatabase::kSettleTime : 0;
    std::string shown = db.refresh().message();
    if (db.status().ok()) shown = LookupCode(db.view(), "P0100").entry.Text;
    if (const size_t at = shown.find(path); at != std::string::npos)
      shown.replace(at, path.size(), "<db>");
    EXPECT_EQ(shown.substr(0, std::string(s.expected).size()), s.expected) << s.text;
    EXPECT_EQ(db.view().P.upperBound(), db.status().ok() ? 1 : 0) << "nothing is left";
  }
}

}  // namespace
}  // namespace vestral
