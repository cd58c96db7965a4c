#include "database/file_io.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <string>
#include <thread>

#include "support/read_only_file.h"
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

// Where no temporary file can be made, the file is never written in place.
TEST(FileWrites, AFolderClosedToNewFilesRefusesTheWriteAndNamesTheFolder) {
  testing::TempDir dir;
  const std::string path = dir.file("main.DAT");
  WriteBytes(path, "old");
  testing::ReadOnlyFile closed(dir.path(), /*folder=*/true);
  if (!closed.ok()) GTEST_SKIP() << "cannot close a folder to new files here";
  const Status s = ReplaceFile(path, "new");
  EXPECT_THAT(s.message(),
              HasSubstr("no temporary file can be made in the folder \"" + dir.path() + "\""));
  EXPECT_EQ(s.message(), CheckReplaceable(path).message());
  EXPECT_EQ(ReadBytes(path), "old");
  EXPECT_EQ(filesIn(dir.path()), 1u);
}

// Root can hand a file to anyone; the replaced file keeps what the old one had, and a
// user who may write the file but not give it away is refused.
TEST(FileWrites, AReplacedFileKeepsItsOwnerGroupAndMode) {
  if (::geteuid() != 0) GTEST_SKIP() << "only root can give a file to another user";
  testing::TempDir dir;
  const std::string path = dir.file("main.DAT");
  WriteBytes(path, "old");
  ASSERT_EQ(::chown(path.c_str(), 12345, 12346), 0);
  ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
  ASSERT_TRUE(ReplaceFile(path, "new").ok());
  struct stat st {};
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_uid, 12345u);
  EXPECT_EQ(st.st_gid, 12346u);
  EXPECT_EQ(st.st_mode & 07777, 0640u);

  ASSERT_EQ(::chmod(path.c_str(), 0666), 0);
  ASSERT_EQ(::chmod(dir.path().c_str(), 0777), 0);
  const pid_t child = ::fork();
  if (child == 0) {
    const bool refused = ::setgid(23456) == 0 && ::setuid(23456) == 0 &&
                         ReplaceFile(path, "mine").message().find("owner") != std::string::npos;
    ::_exit(refused ? 0 : 1);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the write was not refused";
  EXPECT_EQ(ReadBytes(path), "new");
  EXPECT_EQ(filesIn(dir.path()), 1u);
}

// A writer killed at any moment leaves the old file or the new one, and nothing else.
TEST(FileWrites, AKilledWriterLeavesOneWholeFileAndNoTemporary) {
  testing::TempDir dir;
  const std::string path = dir.file("main.DAT");
  const std::string versions[2] = {std::string(4 << 20, 'a'), std::string(3 << 20, 'b')};
  std::mt19937 rng(std::random_device{}());
  for (int run = 0; run < 5; ++run) {
    WriteBytes(path, versions[0]);
    const pid_t child = ::fork();
    if (child == 0) {
      for (int i = 1;; ++i) static_cast<void>(ReplaceFile(path, versions[i % 2]));  // until killed
    }
    std::this_thread::sleep_for(std::chrono::microseconds(rng() % 40000));
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    EXPECT_EQ(filesIn(dir.path()), 1u) << "run " << run;
    const std::string now = ReadBytes(path);
    EXPECT_TRUE(now == versions[0] || now == versions[1]) << "run " << run;
  }
}

// A lock another holder keeps is given up after a short wait, with a message.
TEST(FileWrites, ASecondLockHolderWaitsThenGivesUp) {
  testing::TempDir dir;
  const std::string path = dir.file("main.DAT");
  WriteBytes(path, "db");
  FileLock first;
  ASSERT_TRUE(first.lock(path).ok());
  FileLock second;
  EXPECT_THAT(second.lock(path).message(), HasSubstr("another program is using the file"));
}

}  // namespace
}  // namespace vestral
