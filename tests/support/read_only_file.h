#pragma once

#include <filesystem>
#include <fstream>
#include <string>

#if defined(__linux__)
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>
#endif

namespace vestral::testing {

// Sets or clears the immutable mark of a file or folder; false where the file
// system or the user's rights do not allow it.
inline bool SetImmutable(const std::string& path, bool on) {
#if defined(__linux__) && defined(FS_IOC_SETFLAGS)
  const int fd = ::open(path.c_str(), O_RDONLY);
  if (fd < 0) return false;
  int flags = 0;
  bool done = false;
  if (::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
    flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
    done = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
  }
  ::close(fd);
  return done;
#else
  (void)path;
  (void)on;
  return false;
#endif
}

// Makes a file unwritable (or, with `folder`, a folder closed to new files) while it
// lives. The write permission bits are cleared; when they do not stop this user (root
// ignores them), the path is also marked immutable where the file system allows it.
// ok() tells whether writing is refused now, so a test can skip where neither works.
// The destructor makes it writable again so its folder can be removed.
class ReadOnlyFile {
 public:
  explicit ReadOnlyFile(std::string path, bool folder = false)
      : path_(std::move(path)), folder_(folder) {
    namespace fs = std::filesystem;
    const fs::perms readable =
        fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read;
    fs::permissions(path_, folder_ ? readable | fs::perms::owner_exec : readable);
    if (writable()) immutable_ = SetImmutable(path_, true);
    ok_ = !writable();
  }
  ~ReadOnlyFile() {
    if (immutable_) SetImmutable(path_, false);
    std::error_code ec;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add, ec);
  }
  ReadOnlyFile(const ReadOnlyFile&) = delete;
  ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

  bool ok() const { return ok_; }

 private:
  bool writable() const {
    if (!folder_) return std::ofstream(path_, std::ios::app).is_open();
    const std::string probe = path_ + "/.write-probe";
    const bool made = std::ofstream(probe).is_open();
    std::error_code ec;
    std::filesystem::remove(probe, ec);
    return made;
  }

  std::string path_;
  bool folder_ = false;
  bool immutable_ = false;
  bool ok_ = false;
};

}  // namespace vestral::testing
