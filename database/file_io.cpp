#include "database/file_io.h"

#include <fcntl.h>
#include <pthread.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <string_view>
#include <thread>
#include <utility>

namespace vestral {

namespace fs = std::filesystem;

namespace {

// Long enough for another command's whole read-modify-write of a large database.
constexpr auto kLockWait = std::chrono::milliseconds(2500);
constexpr auto kLockPoll = std::chrono::milliseconds(20);

std::string quoted(const std::string& path) { return "\"" + path + "\""; }

std::atomic<int> simulatedFullDiskWrites{0};

bool fullDiskSimulated() {
  return simulatedFullDiskWrites.load() > 0 && simulatedFullDiskWrites.fetch_sub(1) > 0;
}

// A file descriptor closed when it goes.
class Fd {
 public:
  Fd() = default;
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() { reset(-1); }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;

  int get() const { return fd_; }
  void reset(int fd) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = fd;
  }
  int release() { return std::exchange(fd_, -1); }

 private:
  int fd_ = -1;
};

Status folderError(const std::string& path) {
  return Status::IOError(quoted(path) + " is a folder, not a file");
}

Status notRegular(const std::string& path) {
  return Status::IOError(
      quoted(path) + " is not a regular file (a device, pipe or socket); it was left as it was");
}

Status leftAsItWas(const std::string& path, const std::string& why) {
  return Status::IOError("cannot write " + quoted(path) + ": " + why +
                         "; the file was left as it was");
}

// Opened without blocking, since a pipe with no writer would wait forever, and refused
// before a byte is read unless it is a regular file.
Status openForReading(const std::string& path, Fd& fd, struct stat& st) {
  if (path.empty()) return Status::InvalidArgument("no file name given (the path is empty)");
  fd.reset(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  if (fd.get() < 0 || ::fstat(fd.get(), &st) != 0)
    return Status::IOError("cannot open " + quoted(path) + ": " + ErrnoText(errno));
  if (S_ISDIR(st.st_mode)) return folderError(path);
  if (!S_ISREG(st.st_mode)) return notRegular(path);
  ::fcntl(fd.get(), F_SETFL, ::fcntl(fd.get(), F_GETFL) & ~O_NONBLOCK);
  return Status::OK();
}

// Up to `limit` bytes of the open file from `offset` (none when it is shorter).
Status readOpenFile(const Fd& fd, const struct stat& st, uint64_t offset, size_t limit,
                    const std::string& path, std::string& out) {
  out.clear();
  const auto size = static_cast<uint64_t>(st.st_size);
  if (size <= offset) return Status::OK();
  out.resize(static_cast<size_t>(std::min<uint64_t>(size - offset, limit)));
  size_t got = 0;
  while (got < out.size()) {
    const ssize_t n =
        ::pread(fd.get(), &out[got], out.size() - got, static_cast<off_t>(offset + got));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      const int err = n < 0 ? errno : 0;
      out.clear();
      return Status::IOError("reading " + quoted(path) + " failed: " + ErrnoText(err));
    }
    got += static_cast<size_t>(n);
  }
  return Status::OK();
}

Status readFrom(const std::string& path, uint64_t offset, size_t limit, std::string& out) {
  out.clear();
  Fd fd;
  struct stat st {};
  if (Status s = openForReading(path, fd, st); !s.ok()) return s;
  return readOpenFile(fd, st, offset, limit, path, out);
}

// The file a write replaces: a symbolic link is followed to the file it names, so the
// link stays a link; a dangling link names the file to create.
fs::path resolveLinks(fs::path p) {
  std::error_code ec;
  for (int hops = 0; hops < 40 && fs::is_symlink(p, ec); ++hops) {
    const fs::path to = fs::read_symlink(p, ec);
    if (ec) break;
    p = to.is_absolute() ? to : p.parent_path() / to;
  }
  return p;
}

std::string folderOf(const fs::path& target) {
  const fs::path parent = target.parent_path();
  return parent.empty() ? "." : parent.string();
}

// What can never be replaced: an empty path, a folder, a special file, a file we may
// not write. A missing file is fine when its folder exists. `old` receives the status
// of the file there, `exists` whether there is one.
Status checkTarget(const std::string& path, const fs::path& target, struct stat& old,
                   bool& exists) {
  exists = false;
  if (path.empty()) return Status::InvalidArgument("no file name given (the path is empty)");
  if (::stat(target.c_str(), &old) == 0) {
    exists = true;
    if (S_ISDIR(old.st_mode)) return folderError(path);
    if (!S_ISREG(old.st_mode)) return notRegular(path);
    // The rename needs only the folder's permission, but a file marked read-only
    // is one its owner protected.
    const Fd probe(::open(target.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC));
    if (probe.get() < 0)
      return Status::IOError("cannot write " + quoted(path) + ": " + ErrnoText(errno));
    return Status::OK();
  }
  if (errno != ENOENT)
    return Status::IOError("cannot write " + quoted(path) + ": " + ErrnoText(errno));
  const std::string folder = folderOf(target);
  struct stat dir {};
  if (::stat(folder.c_str(), &dir) != 0 || !S_ISDIR(dir.st_mode))
    return Status::IOError("cannot create " + quoted(path) + ": the folder " + quoted(folder) +
                           " does not exist");
  return Status::OK();
}

std::string tempName(const std::string& folder) {
  thread_local std::mt19937_64 rng{std::random_device{}()};
  char name[32];
  std::snprintf(name, sizeof name, "/.vestral-%016llx.tmp", static_cast<unsigned long long>(rng()));
  return folder + name;
}

// The new content's file: unnamed, so a kill at any moment leaves nothing behind and
// no name made from the target's can overflow the name limit. Where the file system
// has no unnamed files, a short named one (`name`) is used instead.
struct Temp {
  Fd fd;
  std::string name;
};

Status makeTemp(const std::string& path, const std::string& folder, Temp& tmp) {
  tmp.fd.reset(::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666));
  if (tmp.fd.get() < 0 && (errno == EOPNOTSUPP || errno == EISDIR)) {
    tmp.name = tempName(folder);
    tmp.fd.reset(::open(tmp.name.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0666));
    if (tmp.fd.get() < 0) tmp.name.clear();
  }
  if (tmp.fd.get() >= 0) return Status::OK();
  return leftAsItWas(path, "no temporary file can be made in the folder " + quoted(folder) + " (" +
                               ErrnoText(errno) + ")");
}

void dropTemp(Temp& tmp) {
  if (!tmp.name.empty()) ::unlink(tmp.name.c_str());
  tmp.name.clear();
}

Status writeAll(int fd, std::string_view bytes, const std::string& path) {
  if (fullDiskSimulated())
    return Status::IOError("writing " + quoted(path) + " failed: " + ErrnoText(ENOSPC));
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return Status::IOError("writing " + quoted(path) + " failed: " + ErrnoText(errno));
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return Status::OK();
}

// The new file takes the old one's place: whoever could read or write it before still
// can, and no one else. An owner we may not give it is refused, never changed.
Status keepOwnerAndMode(int fd, const struct stat& old, const std::string& path) {
  struct stat now {};
  if (::fstat(fd, &now) != 0) return leftAsItWas(path, ErrnoText(errno));
  if ((now.st_uid != old.st_uid || now.st_gid != old.st_gid) &&
      ::fchown(fd, old.st_uid, old.st_gid) != 0)
    return leftAsItWas(path, "its owner and group cannot be kept (" + ErrnoText(errno) + ")");
  if (::fchmod(fd, old.st_mode & 07777) != 0)
    return leftAsItWas(path, "its permissions cannot be kept (" + ErrnoText(errno) + ")");
  return Status::OK();
}

// Gives the finished file a name and renames it over the target. Signals wait until
// both are done, so an interrupt cannot leave the name behind.
Status linkIn(Temp& tmp, const std::string& folder, const fs::path& target,
              const std::string& path) {
  // Any first-use cost of the name generator is paid before signals wait.
  const std::string firstName = tmp.name.empty() ? tempName(folder) : std::string();
  sigset_t all;
  sigset_t before;
  sigfillset(&all);
  pthread_sigmask(SIG_BLOCK, &all, &before);
  int err = 0;
  if (tmp.name.empty()) {
    const std::string viaProc = "/proc/self/fd/" + std::to_string(tmp.fd.get());
    for (int attempt = 0; attempt < 8 && tmp.name.empty(); ++attempt) {
      const std::string name = attempt == 0 ? firstName : tempName(folder);
      if (::linkat(AT_FDCWD, viaProc.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0 ||
          // Without /proc, the descriptor itself (allowed to privileged users).
          (errno == ENOENT &&
           ::linkat(tmp.fd.get(), "", AT_FDCWD, name.c_str(), AT_EMPTY_PATH) == 0))
        tmp.name = name;
      else if ((err = errno) != EEXIST)
        break;
    }
  }
  if (!tmp.name.empty()) {
    err = ::rename(tmp.name.c_str(), target.c_str()) == 0 ? 0 : errno;
    if (err == 0) tmp.name.clear();
    dropTemp(tmp);
  }
  pthread_sigmask(SIG_SETMASK, &before, nullptr);
  if (err != 0) return leftAsItWas(path, ErrnoText(err));
  return Status::OK();
}

// The rename is only durable once the folder is; a failure here cannot undo it.
void syncFolder(const std::string& folder) {
  const Fd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.get() >= 0) ::fsync(dir.get());
}

// Keeps the file open as `oldFile` (status `old`) as the ".bak" of `target`: a second
// name for the same file where the file system allows one, so nothing is copied, else
// a copy with the old file's owner, group and mode. Either way the ".bak" is replaced
// whole, by the rules of any replaced file.
Status keepBackup(const Fd& oldFile, const struct stat& old, const fs::path& target,
                  const std::string& path) {
  const std::string bakPath = target.string() + ".bak";
  const fs::path bak = resolveLinks(bakPath);
  const auto refused = [&path](const Status& why) {
    return leftAsItWas(path, "no copy of the previous file can be kept (" + why.message() + ")");
  };
  struct stat bakOld {};
  bool bakExists = false;
  if (Status s = checkTarget(bakPath, bak, bakOld, bakExists); !s.ok()) return refused(s);
  const std::string folder = folderOf(bak);
  Temp link;
  link.fd.reset(::dup(oldFile.get()));
  if (link.fd.get() >= 0 && linkIn(link, folder, bak, bakPath).ok()) return Status::OK();
  std::string bytes;
  Temp copy;
  Status s = readOpenFile(oldFile, old, 0, SIZE_MAX, path, bytes);
  if (s.ok()) s = makeTemp(bakPath, folder, copy);
  if (s.ok()) s = writeAll(copy.fd.get(), bytes, bakPath);
  if (s.ok()) s = keepOwnerAndMode(copy.fd.get(), old, bakPath);
  if (s.ok() && ::fsync(copy.fd.get()) != 0)
    s = Status::IOError("writing " + quoted(bakPath) + " failed: " + ErrnoText(errno));
  if (s.ok()) s = linkIn(copy, folder, bak, bakPath);
  dropTemp(copy);
  return s.ok() ? s : refused(s);
}

}  // namespace

std::string BackupPath(const std::string& path) { return CompanionPath(path, ".bak"); }

std::string CompanionPath(const std::string& path, std::string_view suffix) {
  return resolveLinks(path).string().append(suffix);
}

void SimulateFullDiskForTesting(int writes) { simulatedFullDiskWrites.store(writes); }

std::string ErrnoText(int err) {
  if (err == 0) return "input/output error";
  return std::strerror(err);
}

Status ReadWholeFile(const std::string& path, std::string& out) {
  return readFrom(path, 0, SIZE_MAX, out);
}

Status ReadFileStart(const std::string& path, size_t limit, std::string& out) {
  return readFrom(path, 0, limit, out);
}

Status CheckReadable(const std::string& path) {
  Fd fd;
  struct stat st {};
  return openForReading(path, fd, st);
}

namespace {

constexpr int kVersionedReadAttempts = 4;
constexpr auto kVersionedReadPause = std::chrono::milliseconds(5);

FileVersion versionOf(const struct stat& st) {
  constexpr int64_t kNs = 1000000000;
  return {static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino),
          static_cast<uint64_t>(st.st_size), st.st_mtim.tv_sec * kNs + st.st_mtim.tv_nsec,
          st.st_ctim.tv_sec * kNs + st.st_ctim.tv_nsec};
}

// True when the open file still has the version `before` and the path still names it.
bool unchangedSince(const Fd& fd, const std::string& path, const FileVersion& before) {
  struct stat after {};
  struct stat named {};
  return ::fstat(fd.get(), &after) == 0 && versionOf(after) == before &&
         ::stat(path.c_str(), &named) == 0 && versionOf(named).sameFile(before);
}

}  // namespace

Status CurrentFileVersion(const std::string& path, FileVersion& version) {
  Fd fd;
  struct stat st {};
  if (Status s = openForReading(path, fd, st); !s.ok()) return s;
  version = versionOf(st);
  return Status::OK();
}

Status ReadWholeFileVersion(const std::string& path, std::string& out, FileVersion& version) {
  for (int attempt = 0; attempt < kVersionedReadAttempts; ++attempt) {
    if (attempt > 0) std::this_thread::sleep_for(kVersionedReadPause * attempt);
    Fd fd;
    struct stat st {};
    if (Status s = openForReading(path, fd, st); !s.ok()) return s;
    const FileVersion before = versionOf(st);
    // A file cut short while it is read fails the read; whether that was a writer at
    // work is told by its version.
    Status read = readOpenFile(fd, st, 0, SIZE_MAX, path, out);
    if (unchangedSince(fd, path, before)) {
      if (read.ok()) version = before;
      return read;
    }
  }
  out.clear();
  return Status::IOError(quoted(path) +
                         " is being written by another program (it changed while it was read)");
}

FileBytes::~FileBytes() {
  if (map_) ::munmap(map_, mapSize_);
}

FileBytes::FileBytes(FileBytes&& o) noexcept
    : map_(std::exchange(o.map_, nullptr)),
      mapSize_(std::exchange(o.mapSize_, 0)),
      owned_(std::move(o.owned_)) {}

FileBytes& FileBytes::operator=(FileBytes&& o) noexcept {
  if (this != &o) {
    if (map_) ::munmap(map_, mapSize_);
    map_ = std::exchange(o.map_, nullptr);
    mapSize_ = std::exchange(o.mapSize_, 0);
    owned_ = std::move(o.owned_);
  }
  return *this;
}

Status MapWholeFile(const std::string& path, FileBytes& out) {
  out = FileBytes();
  Fd fd;
  struct stat st {};
  if (Status s = openForReading(path, fd, st); !s.ok()) return s;
  const auto size = static_cast<size_t>(st.st_size);
  // Mapping takes the cached pages as they are: no copy, no zeroed buffer to fill.
  void* map = size > 0 ? ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd.get(), 0)
                       : MAP_FAILED;
  if (map == MAP_FAILED) return readOpenFile(fd, st, 0, SIZE_MAX, path, out.owned_);
  out.map_ = map;
  out.mapSize_ = size;
  return Status::OK();
}

Status CheckReplaceable(const std::string& path) {
  const fs::path target = resolveLinks(path);
  struct stat old {};
  bool exists = false;
  if (Status s = checkTarget(path, target, old, exists); !s.ok()) return s;
  Temp tmp;
  Status s = makeTemp(path, folderOf(target), tmp);
  dropTemp(tmp);
  return s;
}

Status ReplaceFile(const std::string& path, const std::string& bytes,
                   const ReplaceOptions& options) {
  const fs::path target = resolveLinks(path);
  struct stat old {};
  bool exists = false;
  if (Status s = checkTarget(path, target, old, exists); !s.ok()) return s;
  const std::string folder = folderOf(target);
  Temp tmp;
  if (Status s = makeTemp(path, folder, tmp); !s.ok()) return s;
  Status s = writeAll(tmp.fd.get(), bytes, path);
  if (s.ok() && exists) s = keepOwnerAndMode(tmp.fd.get(), old, path);
  if (s.ok() && ::fsync(tmp.fd.get()) != 0)
    s = Status::IOError("writing " + quoted(path) + " failed: " + ErrnoText(errno));
  // Held open over the rename, so the rename only drops a name and the old file's
  // blocks are freed after it: the moment in which a kill can leave the temporary's
  // name behind stays two system calls wide, whatever the file's size.
  const Fd oldFile(exists ? ::open(target.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC) : -1);
  // Kept only once the new file is complete, so a failed write leaves the old copy too.
  if (s.ok() && exists && options.keepBackup) {
    if (oldFile.get() < 0)
      s = leftAsItWas(path,
                      "the previous file cannot be read to keep a copy (" + ErrnoText(errno) + ")");
    else
      s = keepBackup(oldFile, old, target, path);
  }
  if (s.ok()) s = linkIn(tmp, folder, target, path);
  dropTemp(tmp);
  if (s.ok()) syncFolder(folder);
  return s;
}

Status OverwriteFromStart(const std::string& path, const std::string& bytes,
                          const ReplaceOptions& options) {
  std::error_code ec;
  if (fs::is_regular_file(path, ec)) {
    // Only the old bytes behind the new ones are kept, so only they are read: the
    // whole old file would cost its size in memory again.
    std::string tail;
    if (Status s = readFrom(path, bytes.size(), SIZE_MAX, tail); !s.ok()) return s;
    if (!tail.empty()) {
      std::string merged;
      merged.reserve(bytes.size() + tail.size());
      merged.append(bytes).append(tail);
      return ReplaceFile(path, merged, options);
    }
  }
  return ReplaceFile(path, bytes, options);
}

namespace {

// NFS clients lock a whole file for writing only through a descriptor open for writing
// (an exclusive lock on one open for reading fails there). The file is known to be a
// regular file by now; one we may not write keeps the descriptor for reading, and its
// write is refused later with its own message.
void preferWritable(const std::string& path, Fd& fd, const struct stat& held) {
  Fd writable(::open(path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC));
  struct stat st {};
  if (writable.get() >= 0 && ::fstat(writable.get(), &st) == 0 && st.st_dev == held.st_dev &&
      st.st_ino == held.st_ino)
    fd.reset(writable.release());
}

}  // namespace

FileLock::~FileLock() {
  if (fd_ >= 0) ::close(fd_);
}

Status FileLock::lock(const std::string& path) {
  const auto deadline = std::chrono::steady_clock::now() + kLockWait;
  for (;;) {
    struct stat now {};
    if (::stat(path.c_str(), &now) != 0 && errno == ENOENT) return Status::OK();
    Fd fd;
    struct stat held {};
    if (Status s = openForReading(path, fd, held); !s.ok()) return s;
    preferWritable(path, fd, held);
    if (::flock(fd.get(), LOCK_EX | LOCK_NB) == 0) {
      // A writer that finished while we waited renamed a new file over the one we
      // locked: lock that one instead.
      if (::stat(path.c_str(), &now) == 0 && now.st_dev == held.st_dev &&
          now.st_ino == held.st_ino) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = fd.release();
        return Status::OK();
      }
      continue;
    }
    if (errno != EWOULDBLOCK && errno != EINTR)
      return Status::IOError("cannot lock " + quoted(path) + ": " + ErrnoText(errno));
    if (std::chrono::steady_clock::now() >= deadline)
      return leftAsItWas(path, "another program is using the file");
    std::this_thread::sleep_for(kLockPoll);
  }
}

}  // namespace vestral
