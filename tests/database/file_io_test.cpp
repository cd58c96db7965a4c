#include "database/file_io.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/read_only_file.h"
#include "support/small_disk.h"
#include "support/temp_dir.h"

namespace vestral {
namespace {

using ::testing::HasSubstr;
using testing::ReadBytes;
using testing::WriteBytes;

size_t filesIn(const std::string& folder) {
  size_t n = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(folder)) ++n;
  return n;
}

// A folder closed to new files still holds writable files: they are written in place.
TEST(FileWrites, AFileInAFolderClosedToNewFilesIsWrittenInPlace) {
  testing::TempDir dir;
  const std::string path = dir.file("main.DAT");
  const std::string old(1000, 'o');
  WriteBytes(path, old);
  testing::ReadOnlyFile closed(dir.path(), /*folder=*/true);
  if (!closed.ok()) GTEST_SKIP() << "cannot close a folder to new files here";

  for (const std::string& bytes : {std::string(3000, 'g'), std::string(10, 's'), std::string()}) {
    SCOPED_TRACE(bytes.size());
    ASSERT_TRUE(ReplaceFile(path, bytes).ok());
    EXPECT_EQ(ReadBytes(path), bytes);
  }
  EXPECT_EQ(filesIn(dir.path()), 1u);

  // A full disk while growing it: the old content stays whole.
  WriteBytes(path, old);
  SimulateFullDiskForTesting(1);
  const Status s = ReplaceFile(path, std::string(5000, 'n'));
  SimulateFullDiskForTesting(0);
  EXPECT_THAT(s.message(), HasSubstr("\"" + path + "\""));
  EXPECT_THAT(s.message(), HasSubstr("No space left on device"));
  EXPECT_TRUE(ReadBytes(path) == old) << "the old content changed";
}

TEST(FileWrites, ARealFullDiskInAClosedFolderLeavesTheFileIntact) {
  testing::TempDir dir;
  const testing::SmallDisk disk(dir.file("disk"));
  if (!disk.ok()) GTEST_SKIP() << "no tmpfs can be mounted here";
  const std::string path = disk.file("main.DAT");
  std::string old;
  for (int i = 0; i < 8000; ++i) old += static_cast<char>('a' + i % 26);
  WriteBytes(path, old);
  disk.fill();
  testing::ReadOnlyFile closed(dir.file("disk"), /*folder=*/true);
  if (!closed.ok()) GTEST_SKIP() << "cannot close a folder to new files here";

  const Status s = ReplaceFile(path, std::string(40000, 'n'));
  EXPECT_THAT(s.message(), HasSubstr("No space left on device"));
  EXPECT_TRUE(ReadBytes(path) == old) << "the old content changed";
}

}  // namespace
}  // namespace vestral
