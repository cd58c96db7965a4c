#include "database/file_io.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <random>
#include <thread>

#include "support/read_only_file.h"
#include "support/temp_dir.h"

namespace vestral {
namespace {

using testing::ReadBytes;

// The file's bytes (its first 9 for a long one) and the number of names in its folder.
std::string folderOf(const testing::TempDir& dir) {
  const auto names = std::distance(std::filesystem::directory_iterator(dir.path()), {});
  return ReadBytes(dir.file("main.DAT")).substr(0, 9) + " in " + std::to_string(names);
}

// Where no temporary file can be made, the file is never written in place.
TEST(FileWrites, AFolderClosedToNewFilesRefusesTheWriteAndNamesTheFolder) {
  testing::TempDir dir;
  testing::WriteBytes(dir.file("main.DAT"), "old");
  testing::ReadOnlyFile closed(dir.path(), /*folder=*/true);
  if (!closed.ok()) GTEST_SKIP() << "cannot close a folder to new files here";
  const Status s = ReplaceFile(dir.file("main.DAT"), "new");
  EXPECT_TRUE(s.message().starts_with("cannot write \"" + dir.file("main.DAT") +
                                      "\": no temporary file can be made in the folder \"" +
                                      dir.path() + "\" ("))
      << s.message();
  EXPECT_EQ(s.message(), CheckReplaceable(dir.file("main.DAT")).message());
  EXPECT_EQ(folderOf(dir), "old in 1");
}

// The new file has the old one's mode bits exactly, not what the umask gives, and its
// owner and group: root can give it to anyone; a user who may write the file but not
// give it away is refused.
TEST(FileWrites, AReplacedFileKeepsItsModeOwnerAndGroup) {
  testing::TempDir dir;
  const std::string path = dir.file("main.DAT");
  testing::WriteBytes(path, "old");
  const bool root = ::geteuid() == 0;
  ASSERT_EQ(root ? ::chown(path.c_str(), 12345, 12346) : 0, 0);
  for (const mode_t mode : {0640u, 0604u}) {
    ASSERT_EQ(::chmod(path.c_str(), mode), 0);
    ASSERT_TRUE(ReplaceFile(path, "new").ok());
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, mode);
    EXPECT_EQ(std::pair(st.st_uid, st.st_gid),
              root ? std::pair(12345u, 12346u) : std::pair(::getuid(), ::getgid()));
  }
  if (!root) GTEST_SKIP() << "only root can give a file to another user";
  ASSERT_EQ(::chmod(path.c_str(), 0666) | ::chmod(dir.path().c_str(), 0777), 0);
  const pid_t child = ::fork();
  if (child == 0)
    ::_exit(::setgid(23456) == 0 && ::setuid(23456) == 0 &&
                    ReplaceFile(path, "mine").message().find("owner") != std::string::npos
                ? 0
                : 1);
  int status = 0;
  ::waitpid(child, &status, 0);
  EXPECT_EQ(status, 0) << "the write was not refused";
  EXPECT_EQ(folderOf(dir), "new in 1");
}

// A writer killed at any moment leaves the old file or the new one, and nothing else.
TEST(FileWrites, AKilledWriterLeavesOneWholeFileAndNoTemporary) {
  testing::TempDir dir;
  const std::string versions[2] = {std::string(4 << 20, 'a'), std::string(3 << 20, 'b')};
  std::mt19937 rng(std::random_device{}());
  for (int run = 0; run < 5; ++run) {
    testing::WriteBytes(dir.file("main.DAT"), versions[0]);
    const pid_t child = ::fork();
    if (child == 0)
      for (int i = 1;; ++i) (void)ReplaceFile(dir.file("main.DAT"), versions[i % 2]);
    std::this_thread::sleep_for(std::chrono::microseconds(rng() % 40000));
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    const std::string now = folderOf(dir);
    EXPECT_TRUE(now == "aaaaaaaaa in 1" || now == "bbbbbbbbb in 1") << now << ", run " << run;
    EXPECT_EQ(ReadBytes(dir.file("main.DAT")).size(), now[0] == 'a' ? 4u << 20 : 3u << 20);
  }
}

TEST(FileWrites, ASecondLockHolderWaitsThenGivesUp) {
  testing::TempDir dir;
  testing::WriteBytes(dir.file("main.DAT"), "db");
  FileLock first, second;
  ASSERT_TRUE(first.lock(dir.file("main.DAT")).ok());
  EXPECT_EQ(second.lock(dir.file("main.DAT")).message(),
            "cannot write \"" + dir.file("main.DAT") +
                "\": another program is using the file; the file was left as it was");
}

}  // namespace
}  // namespace vestral
