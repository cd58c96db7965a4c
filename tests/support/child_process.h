#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

namespace vestral::testing {

// The outcome of a program run to its end.
struct ProcessResult {
  int exitCode = -1;  // -1 when it did not end by itself in time
  std::string out;    // standard output, as bytes
  std::string err;    // standard error
};

// A program started with pipes for its standard input, output and error, and no
// terminal anywhere. The input given at the start is written while the outputs are
// read, so no pipe fills up and blocks either side.
class ChildProcess {
 public:
  explicit ChildProcess(const std::vector<std::string>& argv, std::string input = {})
      : pending_(std::move(input)) {
    ::signal(SIGPIPE, SIG_IGN);  // a program that ends early must not end the test
    int in[2], out[2], err[2];
    // Close-on-exec: no other program started meanwhile holds an end open.
    if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0)
      return;
    posix_spawn_file_actions_t actions;
    ::posix_spawn_file_actions_init(&actions);
    ::posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    ::posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    ::posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    if (::posix_spawn(&pid_, args[0], &actions, nullptr, args.data(), environ) != 0) pid_ = -1;
    ::posix_spawn_file_actions_destroy(&actions);
    for (int fd : {in[0], out[1], err[1]}) ::close(fd);
    fds_[0] = in[1];
    fds_[1] = out[0];
    fds_[2] = err[0];
  }
  ~ChildProcess() {
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
    for (int fd : fds_)
      if (fd >= 0) ::close(fd);
  }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  pid_t pid() const { return pid_; }

  // Writes `bytes` to standard input now.
  void write(std::string_view bytes) {
    while (!bytes.empty() && fds_[0] >= 0) {
      const ssize_t n = ::write(fds_[0], bytes.data(), bytes.size());
      if (n <= 0) return;
      bytes.remove_prefix(static_cast<size_t>(n));
    }
  }

  // Standard output until `size` more bytes came, the output ended or `ms` passed;
  // standard input stays open.
  std::string readOut(size_t size, int ms = 10000) {
    const size_t had = result_.out.size();
    pump(ms, false, [&] { return result_.out.size() >= had + size; });
    return result_.out.substr(had);
  }

  // Writes the rest of the input, closes it, reads both outputs to their end and
  // waits for the exit; a program still running after `ms` is killed.
  ProcessResult finish(int ms = 30000) {
    if (!pump(ms, true, [] { return false; })) ::kill(pid_, SIGKILL);
    int status = 0;
    if (pid_ > 0 && ::waitpid(pid_, &status, 0) == pid_ && WIFEXITED(status))
      result_.exitCode = WEXITSTATUS(status);
    pid_ = -1;
    return result_;
  }

 private:
  // Moves bytes until `done()` or the end of both outputs (true), or `ms` pass (false).
  template <typename Done>
  bool pump(int ms, bool closeInput, Done done) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!done() && (fds_[1] >= 0 || fds_[2] >= 0)) {
      if (closeInput && pending_.empty() && fds_[0] >= 0) closeFd(0);
      pollfd p[3] = {{pending_.empty() ? -1 : fds_[0], POLLOUT, 0},
                     {fds_[1], POLLIN, 0},
                     {fds_[2], POLLIN, 0}};
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                            until - std::chrono::steady_clock::now())
                            .count();
      if (left <= 0 || ::poll(p, 3, static_cast<int>(left)) <= 0) return false;
      if (p[0].revents) {
        const ssize_t n = ::write(fds_[0], pending_.data(), pending_.size());
        pending_.erase(0, n > 0 ? static_cast<size_t>(n) : pending_.size());
      }
      for (int i : {1, 2}) {
        if (!p[i].revents) continue;
        char buf[65536];
        const ssize_t n = ::read(fds_[i], buf, sizeof buf);
        if (n <= 0)
          closeFd(i);
        else
          (i == 1 ? result_.out : result_.err).append(buf, static_cast<size_t>(n));
      }
    }
    return true;
  }
  void closeFd(int i) {
    ::close(fds_[i]);
    fds_[i] = -1;
  }

  pid_t pid_ = -1;
  int fds_[3] = {-1, -1, -1};  // our ends: its input, output, error
  std::string pending_;
  ProcessResult result_;
};

}  // namespace vestral::testing
