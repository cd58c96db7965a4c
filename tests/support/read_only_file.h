#pragma once

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace vestral::testing {

// Makes a file unwritable (or, with `folder`, a folder closed to new files) while it
// lives: write bits cleared, and marked immutable where those do not stop root. ok()
// tells whether writing is refused now, so a test can skip where neither works.
class ReadOnlyFile {
 public:
  explicit ReadOnlyFile(std::string path, bool folder = false)
      : path_(std::move(path)), probe_(folder ? path_ + "/.write-probe" : path_) {
    namespace fs = std::filesystem;
    fs::permissions(path_, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read |
                               (folder ? fs::perms::owner_exec : fs::perms::none));
    if (writable()) immutable_ = setImmutable(true);
    ok_ = !writable();
  }
  ReadOnlyFile(const ReadOnlyFile&) = delete;  // a copy would restore the permissions twice
  ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;
  ~ReadOnlyFile() {
    if (immutable_) setImmutable(false);
    std::error_code ec;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add, ec);
  }

  bool ok() const { return ok_; }

 private:
  // A folder is probed by making a file in it, which is removed again.
  bool writable() const {
    const bool opened = std::ofstream(probe_, std::ios::app).is_open();
    std::error_code ec;
    if (probe_ != path_) std::filesystem::remove(probe_, ec);
    return opened;
  }
  bool setImmutable(bool on) const {
    const int fd = ::open(path_.c_str(), O_RDONLY);
    int flags = 0;
    bool done = fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
    done = done && ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    if (fd >= 0) ::close(fd);
    return done;
  }

  std::string path_, probe_;
  bool immutable_ = false;
  bool ok_ = false;
};

}  // namespace vestral::testing
