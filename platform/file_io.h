#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/status.h"

namespace vestral {

// Reads the whole file into memory. Errors name the path and the reason (missing, a
// folder, not a regular file, access denied, read failure). The file is opened without
// blocking and checked to be a regular file first, so a pipe or a device never hangs a
// reader. Never mapped: another program may rewrite a file in place or cut it short,
// and a mapped file then changes under its reader, or kills it.
Status ReadWholeFile(const std::string& path, std::string& out);

// A file's bytes read into memory, for reading in place. A large file gets memory of
// its own, in huge pages where the system offers them, filled in one call: a fraction
// of the page faults a plain buffer costs.
class FileBytes {
 public:
  FileBytes() = default;
  explicit FileBytes(std::string bytes) : owned_(std::move(bytes)) {}
  ~FileBytes();
  FileBytes(FileBytes&& o) noexcept;
  FileBytes& operator=(FileBytes&& o) noexcept;

  std::string_view view() const {
    return map_ ? std::string_view(static_cast<const char*>(map_), size_)
                : std::string_view(owned_);
  }

 private:
  friend Status ReadWholeFile(const std::string& path, FileBytes& out);
  void* map_ = nullptr;
  size_t mapSize_ = 0;
  size_t size_ = 0;
  std::string owned_;
};

// Reads the whole file into `out`, with the errors of the other ReadWholeFile.
Status ReadWholeFile(const std::string& path, FileBytes& out);

// Like ReadWholeFile, but reads at most `limit` bytes from the start.
Status ReadFileStart(const std::string& path, size_t limit, std::string& out);

// True when something other than a folder is at the path: a file, also one that cannot
// be opened (access denied), or a link that cannot be followed.
bool FileExists(const std::string& path);

// Whether the file can be opened for reading, with ReadWholeFile's errors; reads
// nothing.
Status CheckReadable(const std::string& path);

// One version of a file: which file the path led to (device, inode), its size and when
// its bytes and its status last changed. Two looks that see the same version saw the
// same bytes, as far as the file system's clock tells them apart.
struct FileVersion {
  uint64_t device = 0, inode = 0, size = 0;
  int64_t modifiedNs = 0, changedNs = 0;  // since the epoch
  bool sameFile(const FileVersion& o) const { return device == o.device && inode == o.inode; }
  friend bool operator==(const FileVersion&, const FileVersion&) = default;
};

// The version the path names now, with ReadWholeFile's errors. The file is opened, not
// only looked at: a network file system then asks its server, so a change made on
// another machine is seen.
Status CurrentFileVersion(const std::string& path, FileVersion& version);

// Reads the whole file into memory together with the version it had from before the
// first byte to after the last. A file that changes meanwhile is read again, a few times, and then
// reported as being written.
Status ReadWholeFileVersion(const std::string& path, std::string& out, FileVersion& version);

// Whether ReplaceFile could write the path, with its errors; writes nothing.
Status CheckReplaceable(const std::string& path);

// How a replace treats the file it replaces.
struct ReplaceOptions {
  // The old file is kept as BackupPath(path) (one generation) just before the new one
  // takes its place: a hard link where the file system allows one, else a copy with
  // the old file's owner, group, mode and extended attributes. A ".bak" that could not
  // be replaced itself (a folder, a special file, a read-only file, a link that is not
  // followed) refuses the whole write. Nothing is kept when no file was there.
  bool keepBackup = false;
};

// Where ReplaceOptions::keepBackup keeps the previous file: beside the file that is
// replaced (a link's target), with ".bak" appended.
std::string BackupPath(const std::string& path);

// A file kept beside the one at `path` (beside a link's target, so every link to a
// shared file finds the same one), named by appending `suffix`.
std::string CompanionPath(const std::string& path, std::string_view suffix);

// Makes the file at `path` hold exactly `bytes`, all or nothing: the bytes go to an
// unnamed temporary file in the target's folder, which takes the old file's owner,
// group, mode, ACLs and other extended attributes, is synced and then renamed over the
// target. A symbolic link is followed: its target is replaced and the link stays; but
// not a link in a sticky folder that others may write (such as /tmp) made by a user
// other than the running one and the folder's owner, wherever the system follows those.
// Refused before anything is written: a file without any write permission (read-only
// for everyone, root included), a file the user may not write, a folder, a device, pipe
// or socket, a missing folder, a folder where no temporary file can be made, an owner
// or attribute that cannot be kept. Refused at the end, leaving the file as it is: a
// target that another program replaced or created meanwhile.
Status ReplaceFile(const std::string& path, const std::string& bytes,
                   const ReplaceOptions& options = {});

// Like ReplaceFile, but bytes of the old file behind the end of `bytes` stay in
// place: the file is written from its first byte and never shortened.
Status OverwriteFromStart(const std::string& path, const std::string& bytes,
                          const ReplaceOptions& options = {});

// Writes `bytes` as a new file at `path`, all or nothing, and never over anything: when
// the path names something already (a file, a link, anything), `created` is false and
// nothing is written. Two programs creating the same file at once: one of them creates
// it, whole, and the other finds it there.
Status CreateNewFile(const std::string& path, const std::string& bytes, bool& created);

// An advisory lock on a file for a read-modify-write: a second holder waits a short
// while and then gives up, with an error saying another program uses the file. The
// lock is on the file the path names when it is taken; released when this goes.
class FileLock {
 public:
  FileLock() = default;
  ~FileLock();
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

  // A missing file holds nothing to lose: that is no error, and nothing is locked.
  Status lock(const std::string& path);

 private:
  int fd_ = -1;
};

// "No such file or directory" and the like for the current errno.
std::string ErrnoText(int err);

}  // namespace vestral
