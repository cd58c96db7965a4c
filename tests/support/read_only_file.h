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

// Makes a file unwritable while it lives. The write permission bits are cleared; when
// they do not stop this user (root ignores them), the file is also marked immutable
// where the file system allows it. ok() tells whether writing is refused now, so a
// test can skip where neither works. The destructor makes the file writable again so
// its folder can be removed.
class ReadOnlyFile {
 public:
  explicit ReadOnlyFile(std::string path) : path_(std::move(path)) {
    namespace fs = std::filesystem;
    fs::permissions(path_, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    if (writable()) setImmutable(true);
    ok_ = !writable();
  }
  ~ReadOnlyFile() {
    if (immutable_) setImmutable(false);
    std::error_code ec;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add, ec);
  }
  ReadOnlyFile(const ReadOnlyFile&) = delete;
  ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

  bool ok() const { return ok_; }

 private:
  bool writable() const { return std::ofstream(path_, std::ios::app).is_open(); }

  void setImmutable(bool on) {
#if defined(__linux__) && defined(FS_IOC_SETFLAGS)
    const int fd = ::open(path_.c_str(), O_RDONLY);
    if (fd < 0) return;
    int flags = 0;
    if (::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
      flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
      if (::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0) immutable_ = on;
    }
    ::close(fd);
#else
    (void)on;
#endif
  }

  std::string path_;
  bool immutable_ = false;
  bool ok_ = false;
};

}  // namespace vestral::testing
