#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "database/database_view.h"
#include "platform/file_io.h"
#include "platform/status.h"

namespace vestral {

// A database file as it is now, for a window that stays open for hours while others
// replace or change the file: each refresh() looks at the file (one open and status
// query) and reads it again only when its version changed.
//
// It never takes a half-written file. The file is read into memory, never mapped, and
// taken only when its version was the same before and after the read. A file replaced
// whole (renamed over, as every writer of this program does) is taken at once. A file
// written in place by another program is taken once it has been left alone for
// kSettleTime; until then the contents read before answer, and so they do while a new
// file cannot be read or is no database and was written only moments ago. A file that
// stays unusable is reported, and taken again as soon as it is good.
class FollowedDatabase {
 public:
  // Nanoseconds since the epoch, as file times count them.
  using Clock = std::function<int64_t()>;
  static constexpr int64_t kSettleTime = 2'000'000'000;

  explicit FollowedDatabase(std::string path, Clock clock = {});
  ~FollowedDatabase();
  FollowedDatabase(const FollowedDatabase&) = delete;
  FollowedDatabase& operator=(const FollowedDatabase&) = delete;

  // Brings the contents up to the file as it is now; returns status().
  const Status& refresh();
  // Ok, or why the file cannot be used (the contents are then the empty database).
  const Status& status() const { return status_; }
  const DatabaseView& view() const { return file_->view(); }
  // Counts the changes of the contents: what view() gave stays valid while it stays.
  uint64_t generation() const { return generation_; }
  const std::string& path() const { return path_; }

 private:
  bool young(const FileVersion& v) const;
  bool keepPrevious(const FileVersion& v) const;
  void readAndTake(const FileVersion& seen);
  void unusable(Status why);

  std::string path_;
  Clock clock_;
  std::unique_ptr<DatabaseFile> file_;
  Status status_;
  bool taken_ = false;        // file_ holds contents read from the file
  bool haveVersion_ = false;  // version_ is the one last read (taken or refused)
  FileVersion version_;
  size_t hash_ = 0;  // of the bytes last taken
  uint64_t generation_ = 0;
};

}  // namespace vestral
