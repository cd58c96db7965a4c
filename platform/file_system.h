#pragma once

#include <sys/types.h>

#include <cstddef>

namespace vestral {

// The calls a file write makes that a sound file system may still fail (a full disk, a
// failing device, a folder that vanished) or that mark the moments a kill matters: each
// answers as the system call of its name, -1 with errno set on failure. Every write of
// the file layer goes through the installed one; tests install their own to make a disk
// fill up or to stop a writer at a chosen call.
class FileSystem {
 public:
  virtual ~FileSystem() = default;
  virtual ssize_t write(int fd, const void* data, size_t size);
  virtual int fsync(int fd);
  virtual int rename(const char* from, const char* to);

  // The one the writers use: the operating system's own, or the one installed.
  static FileSystem& current();
};

// Installs `fs` for every write while this lives, then the one before it again.
class InstalledFileSystem {
 public:
  explicit InstalledFileSystem(FileSystem& fs);
  ~InstalledFileSystem();
  InstalledFileSystem(const InstalledFileSystem&) = delete;
  InstalledFileSystem& operator=(const InstalledFileSystem&) = delete;

 private:
  FileSystem* previous_;
};

}  // namespace vestral
