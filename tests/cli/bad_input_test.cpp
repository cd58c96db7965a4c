// Bad paths and failing writes through the commands: the file and problem named, status
// 1 (2 for an empty name), and every file of the folder left as it was.

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <thread>

#include "cli/cli_test.h"
#include "platform/file_io.h"
#include "support/as_user.h"
#include "support/full_disk.h"
#include "support/read_only_file.h"

namespace vestral::testing {
namespace {

namespace fs = std::filesystem;

class BadInput : public CliFiles {
 protected:
  // Runs `line` coloured and expects status 1, `path` named on standard error, `problem`
  // said (in any case) and, where the operation `logs`, a light red piece naming `path`.
  Outcome fails(const std::string& line, const std::string& path, const std::string& problem,
                bool logs) {
    const Outcome r = Vestral(args(line + " --color=always", path));
    const std::string quoted = "\"" + path + "\"";
    std::string all = r.err + r.out;
    for (char& c : all) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_THAT(all, HasSubstr(problem));
    bool named = !logs;
    for (size_t at = 0; (at = r.out.find("\x1b[91m", at)) != std::string::npos && !named; ++at)
      named = r.out.substr(at, r.out.find('\x1b', at + 1) - at).find(quoted) != std::string::npos;
    EXPECT_TRUE(named && r.status == kExitFailure && r.err.find(quoted) != std::string::npos)
        << r.status << r.err << r.out;
    return r;
  }
};

TEST_F(BadInput, FoldersPipesDevicesMissingFoldersAndEmptyPathsChangeNothing) {
  const struct {
    const char* line;
    bool writes = false, logs = false;  // writes {bad}, else reads it
    const char* emptyUsage = "";        // the usage message for an empty path
  } cases[] = {
      // clang-format off
      {.line = "lint --source {bad}", .emptyUsage = "--source needs a file name"},
      {.line = "collect --yes --db {main} {bad}", .writes = true, .logs = true, .emptyUsage = "the output file name is empty"},
      {.line = "generate --yes {src} {bad}", .writes = true, .logs = true, .emptyUsage = "a file name is empty"},
      {.line = "generate --yes {bad} {other}", .emptyUsage = "a file name is empty"},
      {.line = "sync --db {bad} {other}", .logs = true, .emptyUsage = "--db needs a file name"},
      {.line = "sync --db {main} {bad}", .emptyUsage = "the file name is empty"},
      {.line = "create {bad}", .writes = true, .emptyUsage = "the file name is empty"},
  };
  // clang-format on
  const std::string fifo = dir_.file("fifo"), device = dir_.file("null");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const bool deviceMade = ::mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0;
  fs::create_directory(dir_.file("folder"));
  const struct {
    std::string path;
    const char *reading, *writing;  // the problem named when reading it, when writing it
  } badPaths[] = {
      {dir_.file("folder"), "is a folder, not a file", "is a folder, not a file"},
      {dir_.file("none/x.DAT"), "no such file or directory", "does not exist"},
      {fifo, "is not a regular file", "left as it was"},
      {device, "is not a regular file", "left as it was"},
  };
  const auto before = dir_.files();
  for (const auto& c : cases) {
    for (const auto& bad : badPaths) {
      SCOPED_TRACE(std::string(c.line) + " with " + bad.path);
      if (bad.path != device || deviceMade)
        fails(c.line, bad.path, c.writes ? bad.writing : bad.reading, c.logs);
    }
    const Outcome r = Vestral(args(c.line, ""));
    EXPECT_EQ(r.status, kExitUsage) << c.line;
    EXPECT_THAT(r.err, HasSubstr(c.emptyUsage));
  }
  EXPECT_EQ(dir_.files(), before);
  if (!deviceMade) GTEST_SKIP() << "mknod is not allowed here: no device node was tried";
}

// A write stopped half-way as by a full disk (the file layer's seam), or refused read-only.
TEST_F(BadInput, AFailedWriteIsReportedAndLeavesTheOldFileIntact) {
  const struct {
    const char* line;
    std::string before = "";             // in {new} before the run ("": no file)
    bool readOnly = false, logs = true;  // read-only, else the disk is full
    const char* problem = "";
  } cases[] = {
      // clang-format off
      {.line = "sync --yes --db {new} {other}", .before = ReadBytes(main_), .problem = "no space left on device"},
      {.line = "collect --yes --db {main} {new}", .before = ReadBytes(out_), .problem = "no space left"},
      {.line = "generate --yes {src} {new}", .before = ReadBytes(main_), .problem = "no space left"},
      {.line = "generate {src} {new}", .problem = "no space left on device"},
      {.line = "create {new}", .before = ReadBytes(main_), .readOnly = true, .logs = false, .problem = "already exists; it was left as it was"},
  };
  // clang-format on
  for (const auto& c : cases) {
    fs::remove(fresh_);
    if (!c.before.empty()) WriteBytes(fresh_, c.before);
    std::optional<ReadOnlyFile> locked;
    if (c.readOnly && !locked.emplace(fresh_).ok()) GTEST_SKIP() << "no read-only file here";
    const auto before = dir_.files();
    std::optional<FullDisk> full;
    if (!c.readOnly) full.emplace(0);
    const Outcome r = fails(c.line, fresh_, c.problem, c.logs);
    full.reset();
    EXPECT_THAT(r.out, ::testing::Not(HasSubstr("Created database file"))) << c.line;
    EXPECT_EQ(dir_.files(), before) << c.line;
  }
}

// One rule for every writer, as root and as an ordinary user: a link another user made
// in a shared folder is not followed, the user's own link is (its target replaced, the
// link kept, also to a name of 250 bytes: 255 is the limit), a file without any write
// permission is never replaced, and a file that is there but cannot be read is one to ask
// about. Refused, the folder stays as it was.
TEST_F(BadInput, EveryWriterKeepsTheRulesOfLinksAndPermissions) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to act as two users";
  struct Situation {
    const char* what;
    mode_t mode = 0644;
    int link = -1;  // the owner of a link to the file in a shared folder (-1: no link)
    bool asUser = false;
    bool answerYes = true;
    int status = 1;
    const char* problem = "";  // said on standard error when refused ("": anything)
  };
  const Situation situations[] = {
      {.what = "another user's link",
       .link = 12345,
       .problem = "is a symbolic link that another user (uid 12345) made in the shared folder"},
      {.what = "the user's own link", .link = 0, .status = 0},
      {.what = "a read-only file", .mode = 0444, .problem = "the file is read-only"},
      {.what = "a read-only file, as a user",
       .mode = 0444,
       .asUser = true,
       .problem = "the file is read-only"},
      {.what = "a file only writable, as a user", .mode = 0200, .asUser = true, .answerYes = false},
  };
  const struct {
    const char* line;
    bool keepsBak = false;  // keeps the previous file as FILE.bak
  } writers[] = {
      {.line = "sync --yes --db {new} {other}", .keepsBak = true},
      {.line = "check --write --db {new}", .keepsBak = true},
      {.line = "collect --yes --db {main} {new} --code P0100"},
      {.line = "generate --yes {src} {new}"},
      {.line = "set --yes --db {new} P0100 changed", .keepsBak = true},
      {.line = "remove --yes --db {new} P0100", .keepsBak = true},
      {.line = "update --yes --db {new} {other}", .keepsBak = true},
  };
  const std::string shared = dir_.file("shared"), file = dir_.file(std::string(250, 'n'));
  fs::create_directory(shared);
  ASSERT_EQ(::chmod(dir_.path().c_str(), 0777) | ::chmod(shared.c_str(), 01777), 0);
  for (const Situation& s : situations)
    for (const auto& writer : writers) {
      SCOPED_TRACE(std::string(s.what) + ": " + writer.line);
      for (const std::string& old : {file, file + ".bak", file + ".base", fresh_}) fs::remove(old);
      WriteBytes(file, ReadBytes(damaged_));
      const std::string target = s.link >= 0 ? dir_.file("shared/link.DAT") : file;
      if (s.link >= 0) {
        fs::remove(target);
        fs::create_symlink(file, target);
        ASSERT_EQ(::lchown(target.c_str(), s.link, s.link), 0);
      }
      const uid_t owner = s.asUser ? testing::kOrdinaryUser : 0;
      ASSERT_EQ(::chown(file.c_str(), owner, owner) | ::chmod(file.c_str(), s.mode), 0);
      const auto before = dir_.files();
      std::vector<std::string> command;
      for (const std::string& w : args(writer.line))
        if (s.answerYes || w != "--yes") command.push_back(w == fresh_ ? target : w);
      const auto attempt = [&] {
        const Outcome r = Vestral(command);
        return r.status * 2 + ((r.err + r.out).find(s.problem) != std::string::npos ? 1 : 0);
      };
      EXPECT_EQ(s.asUser ? testing::AsOrdinaryUser(attempt) : attempt(), s.status * 2 + 1);
      EXPECT_EQ(fs::is_symlink(target), s.link >= 0);
      if (s.status == 0) {
        EXPECT_NE(ReadBytes(file), ReadBytes(damaged_));
        EXPECT_EQ(fs::exists(file + ".bak"), writer.keepsBak);
      } else {
        EXPECT_EQ(dir_.files(), before);
      }
    }
}

// A sync waits for the lock, then merges into what the holder wrote.
TEST_F(BadInput, ASyncWaitsForTheLockAndKeepsEveryChange) {
  pid_t sync = -1;
  {
    FileLock held;
    ASSERT_TRUE(held.lock(main_).ok());
    if ((sync = ::fork()) == 0) {
      ::execl(VESTRAL_BINARY, VESTRAL_BINARY, "sync", "-q", "--yes", "--db", main_.c_str(),
              other_.c_str(), nullptr);
      ::_exit(127);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(500));  // it waits for the lock
    DtcDatabase meanwhile = ReadBack(main_);
    meanwhile.U.Entries.push_back(entry("0d01", "meanwhile"));
    ASSERT_TRUE(WriteDatabase(main_, meanwhile).ok());
  }
  int status = -1;
  ::waitpid(sync, &status, 0);
  EXPECT_EQ(status, 0);
  const DtcDatabase after = ReadBack(main_);
  EXPECT_EQ(after.U.Entries.back(), entry("0d01", "meanwhile"));  // the holder's change
  EXPECT_EQ(after.C.Entries.back(), entry("0200", "Chassis"));    // the sync's
}

}  // namespace
}  // namespace vestral::testing
