#pragma once

#include <string>
#include <string_view>

#include "database/status.h"

namespace vestral {

// A file's bytes for reading in place: mapped read-only where the file allows it,
// else read once into memory. Every writer here replaces a file by renaming a new
// one over it, so a mapped file stays whole while it is read.
class FileBytes {
 public:
  FileBytes() = default;
  explicit FileBytes(std::string bytes) : owned_(std::move(bytes)) {}
  ~FileBytes();
  FileBytes(FileBytes&& o) noexcept;
  FileBytes& operator=(FileBytes&& o) noexcept;

  std::string_view view() const {
    return map_ ? std::string_view(static_cast<const char*>(map_), mapSize_)
                : std::string_view(owned_);
  }

 private:
  friend Status MapWholeFile(const std::string& path, FileBytes& out);
  void* map_ = nullptr;
  size_t mapSize_ = 0;
  std::string owned_;
};

// Maps (or reads) the whole file, with ReadWholeFile's errors.
Status MapWholeFile(const std::string& path, FileBytes& out);

// Reads the whole file. Errors name the path and the reason (missing, a folder,
// access denied, read failure).
Status ReadWholeFile(const std::string& path, std::string& out);

// Whether the file can be opened for reading, with ReadWholeFile's errors; reads
// nothing.
Status CheckReadable(const std::string& path);

// Makes the file at `path` hold exactly `bytes`. The new content is written to a
// temporary file beside it and renamed over it, so a failed write (a full disk)
// leaves the old file as it was. A read-only file, a folder or a missing folder is
// refused before anything is written. Where no file can be created beside it, the
// file is written in place, growing it before any old byte is overwritten.
Status ReplaceFile(const std::string& path, const std::string& bytes);

// Like ReplaceFile, but bytes of the old file behind the end of `bytes` stay in
// place: the file is written from its first byte and never shortened.
Status OverwriteFromStart(const std::string& path, const std::string& bytes);

// Deletes the file; an error names the path and the reason.
Status DeleteFile(const std::string& path);

// "No such file or directory" and the like for the current errno.
std::string ErrnoText(int err);

// Test seam: the next `writes` file writes stop half-way and fail as on a full disk
// (ENOSPC), for machines where no small file system can be mounted. 0 disarms it.
void SimulateFullDiskForTesting(int writes);

}  // namespace vestral
