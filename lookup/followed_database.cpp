#include "lookup/followed_database.h"

#include <chrono>
#include <utility>

namespace vestral {

namespace {

int64_t systemNow() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

}  // namespace

FollowedDatabase::FollowedDatabase(std::string path, Clock clock)
    : path_(std::move(path)),
      clock_(clock ? std::move(clock) : Clock(systemNow)),
      file_(std::make_unique<DatabaseFile>()) {}

FollowedDatabase::~FollowedDatabase() = default;

// Written so recently that its writer may still be at work. A clock behind the file's
// counts as recent too.
bool FollowedDatabase::young(const FileVersion& v) const {
  return clock_() - v.modifiedNs < kSettleTime;
}

bool FollowedDatabase::keepPrevious(const FileVersion& v) const { return taken_ && young(v); }

const Status& FollowedDatabase::refresh() {
  FileVersion now;
  if (Status s = CurrentFileVersion(path_, now); !s.ok()) {
    unusable(std::move(s));
    return status_;
  }
  // A file written a moment ago may still change within the same tick of its clock, so
  // its version alone cannot tell: it is read until it has settled.
  if (haveVersion_ && now == version_ && !young(now)) return status_;
  if (taken_ && now.sameFile(version_) && now != version_ && young(now)) return status_;
  readAndTake(now);
  return status_;
}

void FollowedDatabase::readAndTake(const FileVersion& seen) {
  std::string bytes;
  FileVersion read;
  if (Status s = ReadWholeFileVersion(path_, bytes, read); !s.ok()) {
    if (!keepPrevious(seen)) unusable(std::move(s));
    return;
  }
  const size_t hash = std::hash<std::string_view>{}(bytes);
  if (taken_ && hash == hash_) {
    version_ = read;
    return;
  }
  // Changed in place within its clock's tick: the same rule as any change in place.
  if (taken_ && read.sameFile(version_) && young(read)) return;
  auto next = std::make_unique<DatabaseFile>();
  if (Status s = next->assign(std::move(bytes), path_); !s.ok()) {
    if (keepPrevious(read)) return;
    unusable(std::move(s));
  } else {
    file_ = std::move(next);
    ++generation_;
    status_ = Status::OK();
    taken_ = true;
    hash_ = hash;
  }
  version_ = read;
  haveVersion_ = true;
}

void FollowedDatabase::unusable(Status why) {
  file_->clear();
  ++generation_;
  status_ = std::move(why);
  taken_ = false;
  haveVersion_ = false;
}

}  // namespace vestral
