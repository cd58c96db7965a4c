#pragma once

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

namespace vestral::testing {

// An ordinary user and group that own nothing on the machine.
inline constexpr uid_t kOrdinaryUser = 23456;

// Runs `work` in a child process with an ordinary user's rights, so rules that root
// passes are tried as well: what `work` returned (0 to 255), or -1 when the child could
// not drop root's rights or died.
inline int AsOrdinaryUser(const std::function<int()>& work) {
  const pid_t child = ::fork();
  if (child == 0)
    ::_exit(::setgroups(0, nullptr) != 0 || ::setgid(kOrdinaryUser) != 0 ||
                    ::setuid(kOrdinaryUser) != 0
                ? 255
                : work());
  int status = 0;
  ::waitpid(child, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) != 255 ? WEXITSTATUS(status) : -1;
}

}  // namespace vestral::testing
