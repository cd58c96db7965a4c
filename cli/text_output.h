#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vestral {

// Code page 1251 bytes as UTF-8 for the terminal. Control characters other than tab
// and line feed become '?', so a text from a file cannot move the cursor or switch
// the terminal's colours.
std::string Cp1251ToUtf8(std::string_view bytes);
void AppendCp1251AsUtf8(std::string& out, std::string_view bytes);

// Buffered UTF-8 text for standard output or standard error, or captured into a
// string (tests). Write errors (a closed pipe) are remembered, not thrown.
class TextOutput {
 public:
  // `bufferSize` 0 writes through at once (standard error).
  explicit TextOutput(int fd, size_t bufferSize = size_t{64} * 1024);
  // Collects everything into `capture`; `terminal` is what isTerminal() reports.
  explicit TextOutput(std::string& capture, bool terminal = false);
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

  int fd_ = -1;
  std::string* capture_ = nullptr;
  std::string buffer_;
  size_t bufferSize_ = 0;
  bool terminal_ = false;
  bool failed_ = false;
};

}  // namespace vestral
