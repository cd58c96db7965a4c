#pragma once

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <string>

#include "platform/questions.h"

namespace vestral::testing {

// Scripted answers that note whether the file at `path` was free to lock when a
// question came: a read-modify-write must hold it from its read until its write.
class LockProbingQuestions : public ScriptedQuestions {
 public:
  LockProbingQuestions(std::string path, std::initializer_list<Button> answers)
      : ScriptedQuestions(answers), path_(std::move(path)) {}
  Button ask(const MessageBox& box) override {
    const int fd = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
    unlockedWhileAsked_ = unlockedWhileAsked_ || (fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0);
    if (fd >= 0) ::close(fd);
    return ScriptedQuestions::ask(box);
  }
  bool unlockedWhileAsked() const { return unlockedWhileAsked_; }

 private:
  std::string path_;
  bool unlockedWhileAsked_ = false;
};

}  // namespace vestral::testing
