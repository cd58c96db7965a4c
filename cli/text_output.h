#pragma once

#include <cstddef>
#include <exception>
#include <string>
#include <string_view>

namespace vestral {

// Code page 1251 bytes as UTF-8 for the terminal. Control characters other than tab
// and line feed become '?', so a text from a file cannot move the cursor or switch
// the terminal's colours.
std::string Cp1251ToUtf8(std::string_view bytes);
void AppendCp1251AsUtf8(std::string& out, std::string_view bytes);

// Thrown when standard output cannot be written (a closed pipe, a full disk): the
// command stops there, as it would by SIGPIPE, also where that signal is ignored.
class OutputFailed : public std::exception {
 public:
  const char* what() const noexcept override { return "cannot write to standard output"; }
};

// Buffered UTF-8 text for standard output or standard error, or captured into a
// string (tests).
class TextOutput {
 public:
  // What a failed write does: kStop throws OutputFailed, at that write and at every
  // write after it; kGoOn only remembers it (standard error: its messages are lost, the
  // work goes on).
  enum class OnFailure { kStop, kGoOn };

  // `bufferSize` 0 writes through at once (standard error).
  explicit TextOutput(int fd, size_t bufferSize = size_t{64} * 1024,
                      OnFailure onFailure = OnFailure::kStop);
  // Collects everything into `capture`; `terminal` is what isTerminal() reports.
  explicit TextOutput(std::string& capture, bool terminal = false);
  // Writes out what is buffered, unless a write failed; never throws.
  ~TextOutput();
  TextOutput(const TextOutput&) = delete;
  TextOutput& operator=(const TextOutput&) = delete;

  void write(std::string_view utf8);
  void writeCp1251(std::string_view bytes);
  void flush();

  bool isTerminal() const { return terminal_; }
  bool failed() const { return failed_; }

 private:
  void writeOut(std::string_view bytes);
  void failure();

  int fd_ = -1;
  std::string* capture_ = nullptr;
  std::string buffer_;
  size_t bufferSize_ = 0;
  bool terminal_ = false;
  OnFailure onFailure_ = OnFailure::kStop;
  bool failed_ = false;
};

}  // namespace vestral
