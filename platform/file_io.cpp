#include "platform/file_io.h"

#include <fcntl.h>
#include <pthread.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <span>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "platform/file_system.h"

namespace vestral {

namespace fs = std::filesystem;

namespace {

// Long enough for another command's whole read-modify-write of a large database.
constexpr auto kLockWait = std::chrono::milliseconds(2500);
constexpr auto kLockPoll = std::chrono::milliseconds(20);
// As many links as the kernel follows in one path before it gives up.
constexpr int kMaxLinks = 40;

std::string quoted(const std::string& path) { return "\"" + path + "\""; }

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

bool sameInode(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

std::string isAFolder(const std::string& path) { return quoted(path) + " is a folder, not a file"; }

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
  if (fd.get() < 0 || ::fstat(fd.get(), &st) != 0) {
    const int err = errno;
    std::string why = "cannot open " + quoted(path) + ": " + ErrnoText(err);
    if (err == ENOENT || err == ENOTDIR || err == ENAMETOOLONG)
      return Status::NotFound(std::move(why));
    return Status::IOError(std::move(why));
  }
  if (S_ISDIR(st.st_mode)) return Status::IOError(isAFolder(path));
  if (!S_ISREG(st.st_mode)) return notRegular(path);
  ::fcntl(fd.get(), F_SETFL, ::fcntl(fd.get(), F_GETFL) & ~O_NONBLOCK);
  return Status::OK();
}

// Fills `to` with the open file's bytes from `offset`.
Status readInto(const Fd& fd, uint64_t offset, std::span<char> to, const std::string& path) {
  size_t got = 0;
  while (got < to.size()) {
    const std::span<char> rest = to.subspan(got);
    const ssize_t n = ::pread(fd.get(), rest.data(), rest.size(), static_cast<off_t>(offset + got));
    if (n < 0 && errno == EINTR) continue;
    if (n == 0)
      return Status::IOError(quoted(path) +
                             " became shorter while it was read: another program is changing it");
    if (n < 0) return Status::IOError("reading " + quoted(path) + " failed: " + ErrnoText(errno));
    got += static_cast<size_t>(n);
  }
  return Status::OK();
}

// Up to `limit` bytes of the open file from `offset` (none when it is shorter).
Status readOpenFile(const Fd& fd, const struct stat& st, uint64_t offset, size_t limit,
                    const std::string& path, std::string& out) {
  out.clear();
  const auto size = static_cast<uint64_t>(st.st_size);
  if (size <= offset) return Status::OK();
  out.resize(static_cast<size_t>(std::min<uint64_t>(size - offset, limit)));
  Status s = readInto(fd, offset, out, path);
  if (!s.ok()) out.clear();
  return s;
}

Status readFrom(const std::string& path, uint64_t offset, size_t limit, std::string& out) {
  out.clear();
  Fd fd;
  struct stat st {};
  if (Status s = openForReading(path, fd, st); !s.ok()) return s;
  return readOpenFile(fd, st, offset, limit, path, out);
}

std::string folderOf(const std::string& target) {
  const fs::path parent = fs::path(target).parent_path();
  return parent.empty() ? "." : parent.string();
}

// The file a write replaces: the symbolic links of the last name are followed as the
// kernel follows them, so a link stays a link and a dangling one names the file to
// create. A link that the kernel's protected-links rule forbids, one in a sticky folder
// that others may write, made by neither the running user nor the folder's owner, is
// refused on every machine, also where the rule is off: whoever made it would choose
// the file this program writes, with the rights of whoever runs it.
Status resolveTarget(const std::string& path, std::string& target) {
  target = path;
  for (int hops = 0;; ++hops) {
    struct stat link {};
    if (::lstat(target.c_str(), &link) != 0 || !S_ISLNK(link.st_mode)) return Status::OK();
    if (hops == kMaxLinks) return leftAsItWas(path, ErrnoText(ELOOP));
    const std::string folder = folderOf(target);
    struct stat dir {};
    if (::stat(folder.c_str(), &dir) == 0 && (dir.st_mode & S_ISVTX) && (dir.st_mode & S_IWOTH) &&
        link.st_uid != ::geteuid() && link.st_uid != dir.st_uid)
      return leftAsItWas(path, (target == path ? "it" : quoted(std::as_const(target))) +
                                   " is a symbolic link that another user (uid " +
                                   std::to_string(link.st_uid) + ") made in the shared folder " +
                                   quoted(folder) + ", and it is not followed");
    char to[PATH_MAX];
    const ssize_t n = ::readlink(target.c_str(), to, sizeof to);
    if (n < 0 || static_cast<size_t>(n) == sizeof to)
      return leftAsItWas(path, ErrnoText(n < 0 ? errno : ENAMETOOLONG));
    const fs::path next(std::string(to, static_cast<size_t>(n)));
    target = next.is_absolute() ? next.string() : (fs::path(target).parent_path() / next).string();
  }
}

// The file a write replaces, open, or that there is none yet.
struct OldFile {
  Fd fd;
  struct stat st {};
  bool exists = false;
};

// What can never be replaced: an empty path, a folder, a special file, a file no one
// may write, a file we may not write. A missing file is fine when its folder exists.
// The file there is opened (never through a link: `target` has none left) and kept
// open, so what is checked is what is copied, kept and replaced.
Status checkTarget(const std::string& path, const std::string& target, OldFile& old) {
  if (path.empty()) return Status::InvalidArgument("no file name given (the path is empty)");
  if (::stat(target.c_str(), &old.st) == 0) {
    if (S_ISDIR(old.st.st_mode)) return Status::IOError(isAFolder(path));
    if (!S_ISREG(old.st.st_mode)) return notRegular(path);
    // The rename needs only the folder's permission, but a file without any write
    // permission is one its owner protected, from root as from everyone else.
    if ((old.st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
      return leftAsItWas(path, "the file is read-only");
    constexpr int kFlags = O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC;
    old.fd.reset(::open(target.c_str(), O_RDWR | kFlags));
    if (old.fd.get() < 0 && errno == EACCES)
      old.fd.reset(::open(target.c_str(), O_WRONLY | kFlags));
    if (old.fd.get() < 0)
      return Status::IOError("cannot write " + quoted(path) + ": " + ErrnoText(errno));
    struct stat opened {};
    if (::fstat(old.fd.get(), &opened) != 0 || !sameInode(opened, old.st) ||
        !S_ISREG(opened.st_mode))
      return leftAsItWas(path, "another program replaced it meanwhile");
    old.st = opened;
    old.exists = true;
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

// True when the target is still the file that was checked, or still absent: a file put
// there meanwhile, or a link swapped in for it, is never replaced unseen.
bool stillAsChecked(const std::string& target, const OldFile& old) {
  struct stat now {};
  if (::lstat(target.c_str(), &now) != 0) return errno == ENOENT;
  return old.exists && sameInode(now, old.st);
}

// A temporary file has a name only for the two system calls that link it in and rename
// it over the target (for its whole write where the file system has no unnamed files).
// Its name is one of a few made from the target's, so that whatever a writer killed in
// between leaves is found by the next write of the same file. A writer holds a lock on
// its file for as long as the name exists, so only a name whose writer is gone is ever
// removed; writers of the same file at the same moment take the next free name.
constexpr int kTempNames = 8;

std::string tempName(const std::string& folder, const std::string& target, int slot) {
  uint64_t hash = 14695981039346656037ULL;  // FNV-1a
  for (const char c : fs::path(target).filename().string())
    hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ULL;
  char name[48];
  std::snprintf(name, sizeof name, "/.vestral-%016llx-%d.tmp",
                static_cast<unsigned long long>(hash), slot);
  return folder + name;
}

// Removes a temporary file's name whose writer is gone: only a regular file that no one
// holds a lock on. `isMine` tells when the name already is the file `mine`.
bool removeLeftover(const std::string& name, const struct stat* mine, bool& isMine) {
  struct stat named {};
  // A device is never opened: opening one can act on the device.
  if (::lstat(name.c_str(), &named) != 0 || !S_ISREG(named.st_mode)) return false;
  isMine = mine && sameInode(named, *mine);
  if (isMine) return false;
  // Opened for writing: NFS grants an exclusive lock only through such a descriptor.
  const Fd fd(::open(name.c_str(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
  struct stat opened {};
  return fd.get() >= 0 && ::fstat(fd.get(), &opened) == 0 && sameInode(opened, named) &&
         ::flock(fd.get(), LOCK_EX | LOCK_NB) == 0 && ::lstat(name.c_str(), &named) == 0 &&
         sameInode(named, opened) && ::unlink(name.c_str()) == 0;
}

// Puts the temporary file at the first free one of the target's names (`place` makes it
// there: 0, or the errno), taking over a name a killed writer left, and removes the names
// killed writers left after it. Empty when no name can be had (errno says why).
std::string claimTempName(const std::string& folder, const std::string& target,
                          const struct stat* mine,
                          const std::function<int(const std::string&)>& place) {
  for (int slot = 0; slot < kTempNames; ++slot) {
    std::string name = tempName(folder, target, slot);
    int err = place(name);
    bool isMine = false;
    if (err == EEXIST && removeLeftover(name, mine, isMine)) err = place(name);
    if (err != 0 && !(err == EEXIST && isMine)) {
      if (err == EEXIST) continue;  // another writer's, at work
      errno = err;
      return {};
    }
    for (int later = slot + 1; later < kTempNames; ++later)
      removeLeftover(tempName(folder, target, later), nullptr, isMine);
    return name;
  }
  errno = EEXIST;
  return {};
}

// Gives the open file the name `name`: 0, or the errno.
int linkOpenFile(int fd, const std::string& name) {
  const std::string viaProc = "/proc/self/fd/" + std::to_string(fd);
  if (::linkat(AT_FDCWD, viaProc.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) return 0;
  // Without /proc, the descriptor itself (allowed to privileged users).
  if (errno == ENOENT && ::linkat(fd, "", AT_FDCWD, name.c_str(), AT_EMPTY_PATH) == 0) return 0;
  return errno;
}

// Names the open file after `target` in `folder`; empty when it cannot (errno says why).
std::string nameOpenFile(int fd, const std::string& folder, const std::string& target) {
  struct stat mine {};
  if (::fstat(fd, &mine) != 0) return {};
  // Another writer's lock on the same file (the previous file, kept as ".bak", is the
  // one its writer locked) holds the name as well.
  ::flock(fd, LOCK_SH | LOCK_NB);
  return claimTempName(folder, target, &mine,
                       [fd](const std::string& name) { return linkOpenFile(fd, name); });
}

// The new content's file: unnamed, so a kill while it is written leaves nothing behind
// and no name made from the target's can overflow the name limit. Where the file system
// has no unnamed files, a named one (`name`) is used instead.
struct Temp {
  Fd fd;
  std::string name;
};

Status makeTemp(const std::string& path, const std::string& folder, const std::string& target,
                Temp& tmp) {
  tmp.fd.reset(::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0666));
  if (tmp.fd.get() < 0 && (errno == EOPNOTSUPP || errno == EISDIR))
    tmp.name = claimTempName(folder, target, nullptr, [&tmp](const std::string& name) {
      tmp.fd.reset(::open(name.c_str(), O_CREAT | O_EXCL | O_RDWR | O_CLOEXEC, 0666));
      if (tmp.fd.get() < 0) return errno;
      ::flock(tmp.fd.get(), LOCK_SH | LOCK_NB);
      return 0;
    });
  if (tmp.fd.get() >= 0) return Status::OK();
  return leftAsItWas(path, "no temporary file can be made in the folder " + quoted(folder) + " (" +
                               ErrnoText(errno) + ")");
}

void dropTemp(Temp& tmp) {
  if (!tmp.name.empty()) ::unlink(tmp.name.c_str());
  tmp.name.clear();
}

Status writeAll(int fd, std::string_view bytes, const std::string& path) {
  while (!bytes.empty()) {
    const ssize_t n = FileSystem::current().write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return Status::IOError("writing " + quoted(path) + " failed: " + ErrnoText(errno));
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return Status::OK();
}

// The names of the file's extended attributes; false (errno set) when they cannot be
// listed. A file system without them has none.
bool attributeNames(int fd, std::vector<std::string>& names) {
  names.clear();
  std::string list;
  for (;;) {
    const ssize_t size = ::flistxattr(fd, nullptr, 0);
    if (size < 0) return errno == ENOTSUP;
    list.resize(static_cast<size_t>(size));
    const ssize_t got = ::flistxattr(fd, list.data(), list.size());
    if (got >= 0) {
      list.resize(static_cast<size_t>(got));
      break;
    }
    if (errno != ERANGE) return false;
  }
  for (size_t at = 0; at < list.size();) {
    const size_t end = std::min(list.find('\0', at), list.size());
    names.push_back(list.substr(at, end - at));
    at = end + 1;
  }
  return true;
}

bool attributeValue(int fd, const std::string& name, std::string& value) {
  for (;;) {
    const ssize_t size = ::fgetxattr(fd, name.c_str(), nullptr, 0);
    if (size < 0) return false;
    value.resize(static_cast<size_t>(size));
    const ssize_t got = ::fgetxattr(fd, name.c_str(), value.data(), value.size());
    if (got >= 0) {
      value.resize(static_cast<size_t>(got));
      return true;
    }
    if (errno != ERANGE) return false;
  }
}

// POSIX ACLs (system.posix_acl_access) and the user's, security and other extended
// attributes: the new file gets exactly the old one's, also dropping those the folder
// gave it and the old file lacked (a default ACL would let others in).
Status copyAttributes(int from, int to, const std::string& path) {
  std::vector<std::string> names, given;
  if (!attributeNames(from, names))
    return leftAsItWas(path, "its extended attributes cannot be read (" + ErrnoText(errno) + ")");
  std::string value, now;
  if (attributeNames(to, given))
    for (const std::string& name : given)
      if (std::find(names.begin(), names.end(), name) == names.end() &&
          ::fremovexattr(to, name.c_str()) != 0 && errno != ENODATA)
        return leftAsItWas(path, "the extended attribute \"" + name +
                                     "\" that its folder gives new files cannot be removed (" +
                                     ErrnoText(errno) + ")");
  for (const std::string& name : names) {
    if (!attributeValue(from, name, value)) {
      if (errno == ENODATA) continue;  // removed meanwhile
      return leftAsItWas(path, "its extended attribute \"" + name + "\" cannot be read (" +
                                   ErrnoText(errno) + ")");
    }
    if (::fsetxattr(to, name.c_str(), value.data(), value.size(), 0) == 0) continue;
    const int err = errno;
    if (attributeValue(to, name, now) && now == value) continue;  // it has it already
    return leftAsItWas(
        path, "its extended attribute \"" + name + "\" cannot be kept (" + ErrnoText(err) + ")");
  }
  return Status::OK();
}

// The new file takes the old one's place: whoever could read or write it before still
// can, and no one else. An owner or attribute we may not give it is refused, never
// changed. The mode comes last: it also sets an ACL's mask, and a change of owner
// clears the set-user-ID bits.
Status keepAttributes(int fd, const OldFile& old, const std::string& path) {
  struct stat now {};
  if (::fstat(fd, &now) != 0) return leftAsItWas(path, ErrnoText(errno));
  if ((now.st_uid != old.st.st_uid || now.st_gid != old.st.st_gid) &&
      ::fchown(fd, old.st.st_uid, old.st.st_gid) != 0)
    return leftAsItWas(path, "its owner and group cannot be kept (" + ErrnoText(errno) + ")");
  if (Status s = copyAttributes(old.fd.get(), fd, path); !s.ok()) return s;
  if (::fchmod(fd, old.st.st_mode & 07777) != 0)
    return leftAsItWas(path, "its permissions cannot be kept (" + ErrnoText(errno) + ")");
  return Status::OK();
}

// Signals wait while a temporary file has a name, so an interrupt cannot leave it.
class SignalsHeld {
 public:
  SignalsHeld() {
    sigset_t all;
    sigfillset(&all);
    pthread_sigmask(SIG_BLOCK, &all, &before_);
  }
  ~SignalsHeld() { pthread_sigmask(SIG_SETMASK, &before_, nullptr); }
  SignalsHeld(const SignalsHeld&) = delete;
  SignalsHeld& operator=(const SignalsHeld&) = delete;

 private:
  sigset_t before_;
};

// Gives the finished file a name and renames it over the target, unless the target is
// no longer what `old` found.
Status linkIn(Temp& tmp, const std::string& folder, const std::string& target,
              const std::string& path, const OldFile& old) {
  const SignalsHeld held;
  if (tmp.name.empty()) tmp.name = nameOpenFile(tmp.fd.get(), folder, target);
  if (tmp.name.empty()) return leftAsItWas(path, ErrnoText(errno));
  if (!stillAsChecked(target, old)) {
    dropTemp(tmp);
    return leftAsItWas(path, old.exists ? "another program replaced it meanwhile"
                                        : "another program created it meanwhile");
  }
  const int err = FileSystem::current().rename(tmp.name.c_str(), target.c_str()) == 0 ? 0 : errno;
  if (err == 0) tmp.name.clear();
  dropTemp(tmp);
  if (err != 0) return leftAsItWas(path, ErrnoText(err));
  return Status::OK();
}

// The rename is only durable once the folder is; a failure here cannot undo it.
void syncFolder(const std::string& folder) {
  const Fd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.get() >= 0) ::fsync(dir.get());
}

// Writes the new content (`bytes`, then the old file's bytes behind their end where
// `tail` asks) to a complete temporary file that has the old file's attributes.
Status writeTemp(const Temp& tmp, const OldFile& old, const std::string& bytes, bool tail,
                 const std::string& path) {
  Status s = writeAll(tmp.fd.get(), bytes, path);
  if (s.ok() && tail && old.exists && static_cast<uint64_t>(old.st.st_size) > bytes.size()) {
    // Only the old bytes behind the new ones are read: the whole old file would cost
    // its size in memory again.
    std::string behind;
    s = readOpenFile(old.fd, old.st, bytes.size(), SIZE_MAX, path, behind);
    if (s.ok()) s = writeAll(tmp.fd.get(), behind, path);
  }
  if (s.ok() && old.exists) s = keepAttributes(tmp.fd.get(), old, path);
  if (s.ok() && FileSystem::current().fsync(tmp.fd.get()) != 0)
    s = Status::IOError("writing " + quoted(path) + " failed: " + ErrnoText(errno));
  return s;
}

// Keeps the checked old file as the ".bak" of `target`: a second name for the same file
// where the file system allows one, so nothing is copied, else a copy with the old
// file's attributes. Either way the ".bak" is replaced whole, by the rules of any
// replaced file.
Status keepBackup(const OldFile& old, const std::string& target, const std::string& path) {
  const std::string bakPath = target + ".bak";
  const auto refused = [&path](const Status& why) {
    return leftAsItWas(path, "no copy of the previous file can be kept (" + why.message() + ")");
  };
  std::string bak;
  OldFile bakOld;
  Status s = resolveTarget(bakPath, bak);
  if (s.ok()) s = checkTarget(bakPath, bak, bakOld);
  if (!s.ok()) return refused(s);
  const std::string folder = folderOf(bak);
  Temp link;
  link.fd.reset(::dup(old.fd.get()));
  if (link.fd.get() >= 0 && linkIn(link, folder, bak, bakPath, bakOld).ok()) return Status::OK();
  std::string bytes;
  Temp copy;
  s = readOpenFile(old.fd, old.st, 0, SIZE_MAX, path, bytes);
  if (s.ok()) s = makeTemp(bakPath, folder, bak, copy);
  if (s.ok()) s = writeAll(copy.fd.get(), bytes, bakPath);
  if (s.ok()) s = keepAttributes(copy.fd.get(), old, bakPath);
  if (s.ok() && FileSystem::current().fsync(copy.fd.get()) != 0)
    s = Status::IOError("writing " + quoted(bakPath) + " failed: " + ErrnoText(errno));
  if (s.ok()) s = linkIn(copy, folder, bak, bakPath, bakOld);
  dropTemp(copy);
  return s.ok() ? s : refused(s);
}

// ReplaceFile and OverwriteFromStart (`tail`).
Status replace(const std::string& path, const std::string& bytes, const ReplaceOptions& options,
               bool tail) {
  std::string target;
  OldFile old;
  if (Status s = resolveTarget(path, target); !s.ok()) return s;
  if (Status s = checkTarget(path, target, old); !s.ok()) return s;
  const std::string folder = folderOf(target);
  Temp tmp;
  if (Status s = makeTemp(path, folder, target, tmp); !s.ok()) return s;
  Status s = writeTemp(tmp, old, bytes, tail, path);
  // Kept only once the new file is complete, so a failed write leaves the old copy too.
  if (s.ok() && old.exists && options.keepBackup) s = keepBackup(old, target, path);
  if (s.ok()) s = linkIn(tmp, folder, target, path, old);
  dropTemp(tmp);
  if (s.ok()) syncFolder(folder);
  return s;
}

}  // namespace

std::string BackupPath(const std::string& path) { return CompanionPath(path, ".bak"); }

std::string CompanionPath(const std::string& path, std::string_view suffix) {
  std::string target;
  // A link that is not followed is refused when the file is written, naming it.
  if (!resolveTarget(path, target).ok()) target = path;
  return target.append(suffix);
}

std::string ErrnoText(int err) {
  if (err == 0) return "input/output error";
  return std::strerror(err);
}

Status ReadWholeFile(const std::string& path, std::string& out) {
  return readFrom(path, 0, SIZE_MAX, out);
}

namespace {

constexpr size_t kHugePage = size_t{2} << 20;

// `size` bytes of memory of their own, from a huge page boundary, their pages made at
// once rather than at a fault each; nullptr when there are none. `mapped` receives the
// length to unmap.
char* mapBuffer(size_t size, size_t& mapped) {
  mapped = (size + kHugePage - 1) & ~(kHugePage - 1);
  void* raw = ::mmap(nullptr, mapped + kHugePage, PROT_READ | PROT_WRITE,
                     MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (raw == MAP_FAILED) return nullptr;
  const auto begin = reinterpret_cast<uintptr_t>(raw);
  const size_t head = ((begin + kHugePage - 1) & ~(kHugePage - 1)) - begin;
  const std::span<char> all(static_cast<char*>(raw), mapped + kHugePage);
  char* buffer = all.subspan(head).data();
  if (head > 0) ::munmap(raw, head);
  ::munmap(all.subspan(head + mapped).data(), kHugePage - head);
  // Advice only: where it is not taken, the pages come as they are written.
  ::madvise(buffer, mapped, MADV_HUGEPAGE);
  ::madvise(buffer, mapped, MADV_POPULATE_WRITE);
  return buffer;
}

}  // namespace

FileBytes::~FileBytes() {
  if (map_) ::munmap(map_, mapSize_);
}

FileBytes::FileBytes(FileBytes&& o) noexcept
    : map_(std::exchange(o.map_, nullptr)),
      mapSize_(std::exchange(o.mapSize_, 0)),
      size_(std::exchange(o.size_, 0)),
      owned_(std::move(o.owned_)) {}

FileBytes& FileBytes::operator=(FileBytes&& o) noexcept {
  if (this != &o) {
    if (map_) ::munmap(map_, mapSize_);
    map_ = std::exchange(o.map_, nullptr);
    mapSize_ = std::exchange(o.mapSize_, 0);
    size_ = std::exchange(o.size_, 0);
    owned_ = std::move(o.owned_);
  }
  return *this;
}

Status ReadWholeFile(const std::string& path, FileBytes& out) {
  out = FileBytes();
  Fd fd;
  struct stat st {};
  if (Status s = openForReading(path, fd, st); !s.ok()) return s;
  const auto size = static_cast<size_t>(st.st_size);
  size_t mapped = 0;
  char* buffer = size >= 2 * kHugePage ? mapBuffer(size, mapped) : nullptr;
  if (!buffer) return readOpenFile(fd, st, 0, SIZE_MAX, path, out.owned_);
  out.map_ = buffer;
  out.mapSize_ = mapped;
  out.size_ = size;
  Status s = readInto(fd, 0, {buffer, size}, path);
  if (!s.ok()) out = FileBytes();
  return s;
}

Status ReadFileStart(const std::string& path, size_t limit, std::string& out) {
  return readFrom(path, 0, limit, out);
}

bool FileExists(const std::string& path) {
  if (path.empty()) return false;
  struct stat st {};
  // A file we may not open is there all the same: whoever writes there asks first.
  if (::stat(path.c_str(), &st) == 0) return !S_ISDIR(st.st_mode);
  if (errno == ENOENT || errno == ENOTDIR || errno == ENAMETOOLONG) return false;
  // So is a link we may not follow (a loop, a link the system does not follow for us).
  return ::lstat(path.c_str(), &st) == 0;
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

Status CheckReplaceable(const std::string& path) {
  std::string target;
  OldFile old;
  if (Status s = resolveTarget(path, target); !s.ok()) return s;
  if (Status s = checkTarget(path, target, old); !s.ok()) return s;
  Temp tmp;
  Status s = makeTemp(path, folderOf(target), target, tmp);
  dropTemp(tmp);
  return s;
}

Status ReplaceFile(const std::string& path, const std::string& bytes,
                   const ReplaceOptions& options) {
  return replace(path, bytes, options, false);
}

Status OverwriteFromStart(const std::string& path, const std::string& bytes,
                          const ReplaceOptions& options) {
  return replace(path, bytes, options, true);
}

Status CreateNewFile(const std::string& path, const std::string& bytes, bool& created) {
  created = false;
  if (path.empty()) return Status::InvalidArgument("no file name given (the path is empty)");
  const std::string folder = folderOf(path);
  struct stat dir {};
  if (::stat(folder.c_str(), &dir) != 0 || !S_ISDIR(dir.st_mode))
    return Status::IOError("cannot create " + quoted(path) + ": the folder " + quoted(folder) +
                           " does not exist");
  Temp tmp;
  if (Status s = makeTemp(path, folder, path, tmp); !s.ok()) return s;
  Status s = writeTemp(tmp, OldFile(), bytes, false, path);
  int err = 0;
  if (s.ok()) {
    // A link, unlike a rename, never replaces what is there.
    const SignalsHeld held;
    err = !tmp.name.empty() ? (::link(tmp.name.c_str(), path.c_str()) == 0 ? 0 : errno)
                            : linkOpenFile(tmp.fd.get(), path);
    dropTemp(tmp);
  }
  dropTemp(tmp);
  if (!s.ok() || err == EEXIST) return s;
  if (err != 0) return Status::IOError("cannot create " + quoted(path) + ": " + ErrnoText(err));
  created = true;
  syncFolder(folder);
  return Status::OK();
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
