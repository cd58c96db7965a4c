#pragma once

#include <sys/mount.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace vestral::testing {

// A 64 KB tmpfs mounted on a fresh folder, where the system lets us mount one (root,
// as in CI); ok() tells. fill() takes up its free space, so the next write that
// needs a new block fails with "No space left on device".
class SmallDisk {
 public:
  explicit SmallDisk(std::string folder) : folder_(std::move(folder)) {
    std::filesystem::create_directories(folder_);
    mounted_ = ::mount("tmpfs", folder_.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, "size=64k") == 0;
  }
  ~SmallDisk() {
    if (mounted_) ::umount2(folder_.c_str(), MNT_DETACH);
  }
  SmallDisk(const SmallDisk&) = delete;
  SmallDisk& operator=(const SmallDisk&) = delete;

  bool ok() const { return mounted_; }
  std::string file(const std::string& name) const { return folder_ + "/" + name; }

  void fill() const {
    std::ofstream filler(file("filler"), std::ios::binary);
    const std::string block(4096, 'x');
    while (filler.write(block.data(), static_cast<std::streamsize>(block.size())).flush()) {
    }
  }

 private:
  std::string folder_;
  bool mounted_ = false;
};

}  // namespace vestral::testing
