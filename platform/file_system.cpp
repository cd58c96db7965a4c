#include "platform/file_system.h"

#include <unistd.h>

#include <atomic>
#include <cstdio>

namespace vestral {

namespace {

FileSystem& operatingSystem() {
  static FileSystem system;
  return system;
}

std::atomic<FileSystem*> installed{nullptr};

}  // namespace

ssize_t FileSystem::write(int fd, const void* data, size_t size) { return ::write(fd, data, size); }

int FileSystem::fsync(int fd) { return ::fsync(fd); }

int FileSystem::rename(const char* from, const char* to) { return std::rename(from, to); }

FileSystem& FileSystem::current() {
  FileSystem* fs = installed.load();
  return fs ? *fs : operatingSystem();
}

InstalledFileSystem::InstalledFileSystem(FileSystem& fs) : previous_(installed.exchange(&fs)) {}

InstalledFileSystem::~InstalledFileSystem() { installed.store(previous_); }

}  // namespace vestral
