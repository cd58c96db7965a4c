#pragma once

#include <algorithm>
#include <cerrno>

#include "platform/file_system.h"

namespace vestral::testing {

// A disk with room for `room` more bytes, installed while it lives: a write beyond the
// room stores what fits and then fails with ENOSPC, as a full disk does.
class FullDisk : public FileSystem {
 public:
  explicit FullDisk(size_t room = 0) : room_(room), installed_(*this) {}
  ssize_t write(int fd, const void* data, size_t size) override {
    const ssize_t n = room_ ? FileSystem::write(fd, data, std::min(size, room_)) : -1;
    if (n < 0 && room_ == 0) errno = ENOSPC;
    if (n > 0) room_ -= static_cast<size_t>(n);
    return n;
  }

 private:
  size_t room_;
  InstalledFileSystem installed_;
};

}  // namespace vestral::testing
