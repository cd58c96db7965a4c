#pragma once

#include <algorithm>
#include <cerrno>
#include <cstddef>

#include "platform/file_system.h"

namespace vestral::testing {

// A disk with room for `room` more bytes, installed while it lives: a write beyond the
// room stores what fits and then fails with ENOSPC, as a full disk does.
class FullDisk : public FileSystem {
 public:
  explicit FullDisk(size_t room = 0) : room_(room), installed_(*this) {}

  ssize_t write(int fd, const void* data, size_t size) override {
    if (room_ == 0) {
      errno = ENOSPC;
      return -1;
    }
    const ssize_t n = FileSystem::write(fd, data, std::min(size, room_));
    if (n > 0) room_ -= static_cast<size_t>(n);
    return n;
  }

 private:
  size_t room_;
  InstalledFileSystem installed_;
};

}  // namespace vestral::testing
