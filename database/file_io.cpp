#include "database/file_io.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string_view>
#include <utility>

namespace vestral {

namespace fs = std::filesystem;

namespace {

std::string quoted(const std::string& path) { return "\"" + path + "\""; }

std::atomic<int> simulatedFullDiskWrites{0};

// Refuses what can never be written as a file: an empty path, a folder, a file
// we may not open for writing. A missing file is fine (it will be created).
Status checkWritable(const std::string& path, bool& exists) {
  exists = false;
  if (path.empty()) return Status::InvalidArgument("no file name given (the path is empty)");
  std::error_code ec;
  const fs::file_status st = fs::status(path, ec);
  if (fs::is_directory(st)) return Status::IOError(quoted(path) + " is a folder, not a file");
  if (!fs::exists(st)) {
    const fs::path parent = fs::path(path).parent_path();
    if (!parent.empty() && !fs::is_directory(parent, ec))
      return Status::IOError("cannot create " + quoted(path) + ": the folder " +
                             quoted(parent.string()) + " does not exist");
    return Status::OK();
  }
  exists = true;
  errno = 0;
  std::fstream probe(path, std::ios::in | std::ios::out | std::ios::binary);
  if (!probe.is_open())
    return Status::IOError("cannot write " + quoted(path) + ": " + ErrnoText(errno));
  return Status::OK();
}

bool fullDiskSimulated() {
  return simulatedFullDiskWrites.load() > 0 && simulatedFullDiskWrites.fetch_sub(1) > 0;
}

// Flushes and closes a stream the bytes were written to; errors name `shownPath`.
template <typename Stream>
Status finishWrite(Stream& out, const std::string& shownPath) {
  out.flush();
  if (!out) return Status::IOError("writing " + quoted(shownPath) + " failed: " + ErrnoText(errno));
  out.close();
  if (out.fail())
    return Status::IOError("closing " + quoted(shownPath) + " failed: " + ErrnoText(errno));
  return Status::OK();
}

// Errors name `shownPath`, the file the user asked for, even when a temporary is
// being written.
// `opened` tells whether the file was opened, so a caller can tell a file it could not
// make from one it began to write.
Status writeAll(const std::string& path, const std::string& bytes, std::ios::openmode mode,
                const std::string& shownPath, bool* opened = nullptr) {
  errno = 0;
  std::ofstream out(path, mode | std::ios::binary);
  if (opened) *opened = out.is_open();
  if (!out.is_open())
    return Status::IOError("cannot write " + quoted(shownPath) + ": " + ErrnoText(errno));
  if (fullDiskSimulated()) {
    // What a full disk leaves: the first part written, then the failure.
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size() / 2));
    out.close();
    return Status::IOError("writing " + quoted(shownPath) + " failed: " + ErrnoText(ENOSPC));
  }
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return finishWrite(out, shownPath);
}

// Writes over an existing file when no temporary can be made beside it. The bytes
// past the old end go first: on a full disk that fails while the old content is still
// whole, and the file is cut back to its old size. Overwriting the old bytes then
// needs no new space.
Status writeInPlace(const std::string& path, const std::string& bytes) {
  std::error_code ec;
  const uintmax_t oldSize = fs::file_size(path, ec);
  if (ec) return Status::IOError("cannot write " + quoted(path) + ": " + ec.message());
  errno = 0;
  std::fstream out(path, std::ios::in | std::ios::out | std::ios::binary);
  if (!out.is_open())
    return Status::IOError("cannot write " + quoted(path) + ": " + ErrnoText(errno));
  const uintmax_t newSize = bytes.size();
  if (newSize > oldSize) {
    const std::string_view tail = std::string_view(bytes).substr(oldSize);
    const auto length = static_cast<std::streamsize>(tail.size());
    out.seekp(static_cast<std::streamoff>(oldSize));
    const bool simulated = fullDiskSimulated();
    out.write(tail.data(), simulated ? length / 2 : length);
    out.flush();
    if (simulated || !out) {
      const int err = simulated ? ENOSPC : errno;
      out.close();
      fs::resize_file(path, oldSize, ec);
      return Status::IOError("writing " + quoted(path) + " failed: " + ErrnoText(err));
    }
  }
  out.seekp(0);
  out.write(bytes.data(), static_cast<std::streamsize>(std::min(oldSize, newSize)));
  if (Status s = finishWrite(out, path); !s.ok()) return s;
  if (newSize < oldSize) fs::resize_file(path, newSize, ec);
  if (ec) return Status::IOError("cannot shorten " + quoted(path) + ": " + ec.message());
  return Status::OK();
}

std::string tempNameBeside(const fs::path& target) {
  static std::mt19937_64 rng{std::random_device{}()};
  char suffix[24];
  std::snprintf(suffix, sizeof suffix, ".%016llx.tmp", static_cast<unsigned long long>(rng()));
  fs::path tmp = target;
  tmp.replace_filename("." + target.filename().string() + suffix);
  return tmp.string();
}

}  // namespace

void SimulateFullDiskForTesting(int writes) { simulatedFullDiskWrites.store(writes); }

std::string ErrnoText(int err) {
  if (err == 0) return "input/output error";
  return std::strerror(err);
}

namespace {

// The one place a file is opened for reading. `size` is its size when opened.
Status openForReading(const std::string& path, int& fd, uint64_t& size) {
  fd = -1;
  if (path.empty()) return Status::InvalidArgument("no file name given (the path is empty)");
  std::error_code ec;
  if (fs::is_directory(path, ec)) return Status::IOError(quoted(path) + " is a folder, not a file");
  errno = 0;
  fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return Status::IOError("cannot open " + quoted(path) + ": " + ErrnoText(errno));
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    const int err = errno;
    ::close(fd);
    fd = -1;
    return Status::IOError("cannot read " + quoted(path) + ": " + ErrnoText(err));
  }
  size = static_cast<uint64_t>(st.st_size);
  return Status::OK();
}

// Reads the open file's bytes from `offset` to its end (none when it is shorter).
Status readOpenFile(int fd, uint64_t size, uint64_t offset, const std::string& path,
                    std::string& out) {
  out.clear();
  if (size <= offset) return Status::OK();
  out.resize(static_cast<size_t>(size - offset));
  size_t done = 0;
  while (done < out.size()) {
    const ssize_t n = ::pread(fd, &out[done], out.size() - done, static_cast<off_t>(offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      const int err = n < 0 ? errno : 0;
      out.clear();
      return Status::IOError("reading " + quoted(path) + " failed: " + ErrnoText(err));
    }
    done += static_cast<size_t>(n);
  }
  return Status::OK();
}

// The file's bytes from `offset` to its end (none when it is shorter).
Status readFrom(const std::string& path, uint64_t offset, std::string& out) {
  out.clear();
  int fd = -1;
  uint64_t size = 0;
  if (Status s = openForReading(path, fd, size); !s.ok()) return s;
  Status s = readOpenFile(fd, size, offset, path, out);
  ::close(fd);
  return s;
}

}  // namespace

Status ReadWholeFile(const std::string& path, std::string& out) { return readFrom(path, 0, out); }

Status CheckReadable(const std::string& path) {
  int fd = -1;
  uint64_t size = 0;
  Status s = openForReading(path, fd, size);
  if (fd >= 0) ::close(fd);
  return s;
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
  int fd = -1;
  uint64_t size = 0;
  if (Status s = openForReading(path, fd, size); !s.ok()) return s;
  // Mapping takes the cached pages as they are: no copy, no zeroed buffer to fill.
  void* map = size > 0 ? ::mmap(nullptr, static_cast<size_t>(size), PROT_READ,
                                MAP_PRIVATE | MAP_POPULATE, fd, 0)
                       : MAP_FAILED;
  Status s;
  if (map != MAP_FAILED) {
    out.map_ = map;
    out.mapSize_ = static_cast<size_t>(size);
  } else {
    s = readOpenFile(fd, size, 0, path, out.owned_);
  }
  ::close(fd);
  return s;
}

Status ReplaceFile(const std::string& path, const std::string& bytes) {
  bool exists = false;
  if (Status s = checkWritable(path, exists); !s.ok()) return s;

  std::error_code ec;
  fs::path target = path;
  if (fs::is_symlink(target, ec)) target = fs::canonical(target, ec);
  const std::string tmp = tempNameBeside(target);
  bool tmpOpened = false;
  Status s = writeAll(tmp, bytes, std::ios::out | std::ios::trunc, path, &tmpOpened);
  const bool tmpWriteFailed = tmpOpened && !s.ok();
  if (s.ok()) {
    if (exists) fs::permissions(tmp, fs::status(target).permissions(), ec);
    fs::rename(tmp, target, ec);
    if (!ec) return Status::OK();
    s = Status::IOError("cannot replace " + quoted(path) + ": " + ec.message());
  }
  fs::remove(tmp, ec);
  // A folder we may not create files in can still hold a writable file: write in
  // place then. Never after the temporary failed part-way: the disk is full.
  if (exists && !tmpWriteFailed) return writeInPlace(path, bytes);
  return s;
}

Status OverwriteFromStart(const std::string& path, const std::string& bytes) {
  std::error_code ec;
  if (fs::is_regular_file(path, ec)) {
    // Only the old bytes behind the new ones are kept, so only they are read: the
    // whole old file would cost its size in memory again.
    std::string tail;
    if (Status s = readFrom(path, bytes.size(), tail); !s.ok()) return s;
    if (!tail.empty()) {
      std::string merged;
      merged.reserve(bytes.size() + tail.size());
      merged.append(bytes).append(tail);
      return ReplaceFile(path, merged);
    }
  }
  return ReplaceFile(path, bytes);
}

Status DeleteFile(const std::string& path) {
  std::error_code ec;
  if (fs::is_directory(path, ec)) return Status::IOError(quoted(path) + " is a folder, not a file");
  if (!fs::remove(path, ec) || ec)
    return Status::IOError("cannot delete " + quoted(path) + ": " +
                           (ec ? ec.message() : std::string("no such file")));
  return Status::OK();
}

}  // namespace vestral
