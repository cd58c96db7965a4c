#include "platform/file_io.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string_view>

#include "platform/file_system.h"
#include "support/as_user.h"
#include "support/full_disk.h"
#include "support/read_only_file.h"
#include "support/temp_dir.h"

namespace vestral {
namespace {

using testing::ReadBytes;

class FileWrites : public ::testing::Test {
 protected:
  FileWrites() { testing::WriteBytes(path, "old"); }
  // How many names the folder holds.
  auto names() const { return std::distance(std::filesystem::directory_iterator(dir.path()), {}); }
  testing::TempDir dir;
  const std::string path = dir.file("main.DAT");
};

// Where no temporary file can be made, the file is never written in place.
TEST_F(FileWrites, AFolderClosedToNewFilesRefusesTheWriteAndNamesTheFolder) {
  testing::ReadOnlyFile closed(dir.path(), /*folder=*/true);
  if (!closed.ok()) GTEST_SKIP() << "cannot close a folder to new files here";
  const Status s = ReplaceFile(path, "new");
  EXPECT_TRUE(s.message().starts_with("cannot write \"" + path +
                                      "\": no temporary file can be made in the folder \"" +
                                      dir.path() + "\" ("))
      << s.message();
  EXPECT_EQ(s.message(), CheckReplaceable(path).message());
  EXPECT_EQ(ReadBytes(path), "old");
  EXPECT_EQ(names(), 1);
}

// The new file has the old one's mode bits exactly, not what the umask gives, and its
// owner and group: root can give it to anyone; a user who may write the file but not
// give it away is refused.
TEST_F(FileWrites, AReplacedFileKeepsItsModeOwnerAndGroup) {
  const bool root = ::geteuid() == 0;
  for (const auto& [mode, uid] : {std::pair(0640u, 12345u), std::pair(0604u, 0u)}) {
    ASSERT_EQ(::chmod(path.c_str(), mode) | (root ? ::chown(path.c_str(), uid, 12346) : 0), 0);
    ASSERT_TRUE(ReplaceFile(path, "new").ok());
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, mode);
    EXPECT_EQ(std::pair(st.st_uid, st.st_gid),
              root ? std::pair(uid, 12346u) : std::pair(::getuid(), ::getgid()));
  }
  if (!root) GTEST_SKIP() << "only root can give a file to another user";
  ASSERT_EQ(::chmod(path.c_str(), 0666) | ::chmod(dir.path().c_str(), 0777), 0);
  EXPECT_EQ(testing::AsOrdinaryUser([&] {
              return ReplaceFile(path, "mine").message().find("owner") == std::string::npos;
            }),
            0)
      << "the write was not refused";
  EXPECT_EQ(ReadBytes(path), "new");
  EXPECT_EQ(names(), 1);
}

// A writer killed half-way through writing its new file, or with the file complete and
// named beside the old one just before its rename, leaves the old file whole; another
// writer meanwhile takes another name, and the name the killed one left goes with the
// next write.
TEST_F(FileWrites, KilledAndConcurrentWritersLeaveOneWholeFileAndNoTemporary) {
  // Tells `told` it got to the call `at`, then waits there to be killed.
  struct StopAt : FileSystem {
    StopAt(std::string_view call, int pipe) : at(call), told(pipe) {}
    [[noreturn]] void stop() {
      (void)!::write(told, "!", 1);
      for (;;) ::pause();
    }
    ssize_t write(int fd, const void* data, size_t size) override {
      if (at == "write") (void)FileSystem::write(fd, data, size / 2), stop();
      return FileSystem::write(fd, data, size);
    }
    int rename(const char* from, const char* to) override {
      if (at == "rename") stop();
      return FileSystem::rename(from, to);
    }
    std::string_view at;
    int told;
  };
  const struct {
    std::string_view stopAt;
    long namesWhileStopped;
  } cases[] = {{.stopAt = "write", .namesWhileStopped = 1},  // the new file has no name yet
               {.stopAt = "rename", .namesWhileStopped = 2}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.stopAt);
    int told[2];
    ASSERT_EQ(::pipe(told), 0);
    const pid_t writer = ::fork();
    if (writer == 0) {
      StopAt stop(c.stopAt, told[1]);
      const InstalledFileSystem installed(stop);
      ::_exit(ReplaceFile(path, std::string(1 << 16, 'n')).ok());
    }
    ::close(told[1]);
    char got = 0;
    EXPECT_EQ(::read(told[0], &got, 1), 1) << "the writer never got there";
    ::close(told[0]);
    EXPECT_EQ(ReadBytes(path), "old");
    EXPECT_EQ(names(), c.namesWhileStopped);
    EXPECT_TRUE(ReplaceFile(path, "meanwhile").ok());
    ::kill(writer, SIGKILL);
    int status = 0;
    ::waitpid(writer, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(ReadBytes(path), "meanwhile");
    ASSERT_TRUE(ReplaceFile(path, "old").ok());
    EXPECT_EQ(names(), 1);
  }
}

// The file a write replaces stays as ".bak", one generation, with its mode; a write
// that fails or cannot keep the copy changes neither file.
TEST_F(FileWrites, AKeptCopyHoldsThePreviousFileOnlyOnceTheNewOneIsComplete) {
  const ReplaceOptions keep{.keepBackup = true};
  const std::string bak = path + ".bak";
  ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
  ASSERT_TRUE(ReplaceFile(path, "second", keep).ok());
  ASSERT_TRUE(ReplaceFile(path, "third", keep).ok());
  EXPECT_EQ(ReadBytes(bak), "second");
  struct stat st {};
  ASSERT_EQ(::stat(bak.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);

  {
    const testing::FullDisk full(2);
    EXPECT_EQ(ReplaceFile(path, "fourth", keep).message(),
              "writing \"" + path + "\" failed: No space left on device");
  }
  std::filesystem::remove(bak);
  std::filesystem::create_directory(bak);
  const Status s = ReplaceFile(path, "fifth", keep);
  EXPECT_TRUE(s.message().starts_with("cannot write \"" + path +
                                      "\": no copy of the previous file can be kept ("))
      << s.message();
  EXPECT_EQ(ReadBytes(path), "third");
  EXPECT_TRUE(ReplaceFile(dir.file("new.DAT"), "first", keep).ok());
  EXPECT_FALSE(std::filesystem::exists(dir.file("new.DAT.bak")));
}

// Whoever could read or write the file before still can, and no one else: its ACL and
// other extended attributes go to the new file, and a default ACL of the folder does
// not reach a file that had no ACL.
TEST_F(FileWrites, AReplacedFileKeepsItsAclAndExtendedAttributes) {
  const auto acl = [](const std::string& file) {
    std::string text;
    if (FILE* p = ::popen(("getfacl -cp '" + file + "' 2>&1").c_str(), "r")) {
      for (int c; (c = std::fgetc(p)) != EOF;) text += static_cast<char>(c);
      ::pclose(p);
    }
    return text;
  };
  const std::string plain = dir.file("plain.DAT");
  testing::WriteBytes(plain, "old");
  ASSERT_EQ(::chmod(path.c_str(), 0640) | ::chmod(plain.c_str(), 0600), 0);
  if (std::system(("setfacl -m u:12345:rw,g:12346:r '" + path + "' && setfacl -d -m u:12347:rw '" +
                   dir.path() + "'")
                      .c_str()) != 0)
    GTEST_SKIP() << "no ACLs on this file system (setfacl from the package acl)";
  ASSERT_EQ(::setxattr(path.c_str(), "user.origin", "workshop", 8, 0), 0);
  const std::string before = acl(path), plainBefore = acl(plain);
  EXPECT_NE(before.find("user:12345:rw-"), std::string::npos) << before;
  ASSERT_TRUE(ReplaceFile(path, "new", {.keepBackup = true}).ok());
  ASSERT_TRUE(ReplaceFile(plain, "new").ok());
  EXPECT_EQ(acl(path), before);
  EXPECT_EQ(acl(path + ".bak"), before);
  EXPECT_EQ(acl(plain), plainBefore);
  char origin[16] = {};
  EXPECT_EQ(::getxattr(path.c_str(), "user.origin", origin, sizeof origin), 8);
  EXPECT_STREQ(origin, "workshop");
}

TEST_F(FileWrites, ASecondLockHolderWaitsThenGivesUp) {
  FileLock first, second;
  ASSERT_TRUE(first.lock(path).ok());
  EXPECT_EQ(second.lock(path).message(), "cannot write \"" + path +
                                             "\": another program is using the file; the file "
                                             "was left as it was");
}

}  // namespace
}  // namespace vestral
