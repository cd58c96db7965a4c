#include "cli/text_output.h"

#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>

#include "platform/codepage.h"

namespace vestral {

namespace {

struct Utf8Char {
  char bytes[4];
  unsigned char size;
};

// Each of the 256 bytes as UTF-8, made once, so converting a long log costs one table
// look-up a byte. Control characters other than tab and line feed (C1 included, which
// the unassigned 0x98 stands for) are shown as '?'.
const std::array<Utf8Char, 256>& cp1251Table() {
  static const std::array<Utf8Char, 256> table = [] {
    std::array<Utf8Char, 256> t{};
    for (size_t b = 0; b < t.size(); ++b) {
      const char32_t c = Cp1251ToUnicode(static_cast<unsigned char>(b));
      std::string utf8;
      if ((c < 0x20 && c != '\t' && c != '\n') || (c >= 0x7F && c <= 0x9F))
        utf8 = "?";
      else
        AppendUtf8(utf8, c);
      std::memcpy(t[b].bytes, utf8.data(), utf8.size());
      t[b].size = static_cast<unsigned char>(utf8.size());
    }
    return t;
  }();
  return table;
}

}  // namespace

void AppendCp1251AsUtf8(std::string& out, std::string_view bytes) {
  const auto& table = cp1251Table();
  for (char ch : bytes) {
    const auto b = static_cast<unsigned char>(ch);
    if (b >= 0x20 && b < 0x7F) {
      out.push_back(ch);
    } else {
      const Utf8Char& c = table[b];
      out.append(c.bytes, c.size);
    }
  }
}

std::string Cp1251ToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() * 2);
  AppendCp1251AsUtf8(out, bytes);
  return out;
}

TextOutput::TextOutput(int fd, size_t bufferSize, OnFailure onFailure)
    : fd_(fd), bufferSize_(bufferSize), terminal_(::isatty(fd) == 1), onFailure_(onFailure) {
  buffer_.reserve(bufferSize_);
}

TextOutput::TextOutput(std::string& capture, bool terminal)
    : capture_(&capture), terminal_(terminal) {}

TextOutput::~TextOutput() {
  if (failed_) return;
  try {
    flush();
  } catch (const OutputFailed&) {  // failed() tells, for whoever still asks
  }
}

void TextOutput::write(std::string_view utf8) {
  if (capture_) {
    capture_->append(utf8);
    return;
  }
  if (failed_) failure();
  buffer_.append(utf8);
  if (buffer_.size() >= bufferSize_) flush();
}

void TextOutput::writeCp1251(std::string_view bytes) {
  if (capture_) {
    AppendCp1251AsUtf8(*capture_, bytes);
    return;
  }
  if (failed_) failure();
  AppendCp1251AsUtf8(buffer_, bytes);
  if (buffer_.size() >= bufferSize_) flush();
}

void TextOutput::flush() {
  if (capture_ || buffer_.empty()) return;
  writeOut(buffer_);
  buffer_.clear();
}

void TextOutput::failure() {
  failed_ = true;
  buffer_.clear();
  if (onFailure_ == OnFailure::kStop) throw OutputFailed();
}

void TextOutput::writeOut(std::string_view bytes) {
  if (failed_) return failure();
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd_, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    // After one failure (the reader went away) the rest would fail the same way.
    if (n <= 0) return failure();
    bytes.remove_prefix(static_cast<size_t>(n));
  }
}

}  // namespace vestral
