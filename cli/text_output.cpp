#include "cli/text_output.h"

#include <unistd.h>

#include <QStringDecoder>
#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>

namespace vestral {

namespace {

struct Utf8Char {
  char bytes[4];
  unsigned char size;
};

// Each of the 256 bytes as UTF-8, taken once from Qt's own code page table, so
// converting a long log costs one table look-up a byte.
const std::array<Utf8Char, 256>& cp1251Table() {
  static const std::array<Utf8Char, 256> table = [] {
    std::array<Utf8Char, 256> t{};
    QStringDecoder decoder("windows-1251", QStringConverter::Flag::Stateless);
    for (int b = 0; b < 256; ++b) {
      Utf8Char& c = t[b];
      if ((b < 0x20 && b != '\t' && b != '\n') || b == 0x7F) {
        c = {{'?'}, 1};
        continue;
      }
      const char byte = static_cast<char>(b);
      const QByteArray utf8 = QString(decoder.decode(QByteArrayView(&byte, 1))).toUtf8();
      if (utf8.isEmpty() || utf8.size() > 4) {
        c = {{'?'}, 1};
        continue;
      }
      const size_t n = std::min(static_cast<size_t>(utf8.size()), sizeof c.bytes);
      std::memcpy(c.bytes, utf8.constData(), n);
      c.size = static_cast<unsigned char>(n);
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

TextOutput::TextOutput(int fd, size_t bufferSize)
    : fd_(fd), bufferSize_(bufferSize), terminal_(::isatty(fd) == 1) {
  buffer_.reserve(bufferSize_);
}

TextOutput::TextOutput(std::string& capture, bool terminal)
    : capture_(&capture), terminal_(terminal) {}

TextOutput::~TextOutput() { flush(); }

void TextOutput::write(std::string_view utf8) {
  if (capture_) {
    capture_->append(utf8);
    return;
  }
  buffer_.append(utf8);
  if (buffer_.size() >= bufferSize_) flush();
}

void TextOutput::writeCp1251(std::string_view bytes) {
  if (capture_) {
    AppendCp1251AsUtf8(*capture_, bytes);
    return;
  }
  AppendCp1251AsUtf8(buffer_, bytes);
  if (buffer_.size() >= bufferSize_) flush();
}

void TextOutput::flush() {
  if (capture_ || buffer_.empty()) return;
  writeOut(buffer_);
  buffer_.clear();
}

void TextOutput::writeOut(std::string_view bytes) {
  // After one failure (the reader went away) the rest would fail the same way.
  while (!failed_ && !bytes.empty()) {
    const ssize_t n = ::write(fd_, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      failed_ = true;
      return;
    }
    bytes.remove_prefix(static_cast<size_t>(n));
  }
}

}  // namespace vestral
