#include "platform/codepage_qt.h"

#include <QFile>

#include <array>

#include "platform/codepage.h"

namespace vestral {

// The program's own table serves the windows too: Qt's codec for the code page starts
// ICU, which costs the lookup window a few milliseconds at its start.

namespace {

char16_t unicodeOf(unsigned char byte) { return static_cast<char16_t>(Cp1251ToUnicode(byte)); }

// The byte for each UTF-16 unit; 0 where the code page lacks the character (U+0000
// aside).
const std::array<unsigned char, 65536>& bytesOfUnits() {
  static const auto table = [] {
    std::array<unsigned char, 65536> t{};
    for (int b = 1; b < 256; ++b) t[unicodeOf(static_cast<unsigned char>(b))] = b;
    return t;
  }();
  return table;
}

// With `lossy` a character the code page lacks becomes the substitute byte 0x1A, as Qt's
// codec writes it (one for a surrogate pair); else the text does not convert.
bool encode(const QString& text, std::string& out, bool lossy) {
  const auto& table = bytesOfUnits();
  std::string bytes;
  bytes.reserve(static_cast<size_t>(text.size()));
  for (qsizetype i = 0; i < text.size(); ++i) {
    const char16_t u = text.at(i).unicode();
    unsigned char b = table[u];
    if (b == 0 && u != 0) {
      if (!lossy) return false;
      if (QChar::isHighSurrogate(u) && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) ++i;
      b = 0x1A;
    }
    bytes += static_cast<char>(b);
  }
  out = std::move(bytes);
  return true;
}

}  // namespace

QString FromCp1251(const std::string& bytes) {
  QString text(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
  for (size_t i = 0; i < bytes.size(); ++i)
    text[static_cast<qsizetype>(i)] = QChar(unicodeOf(static_cast<unsigned char>(bytes[i])));
  return text;
}

bool ToCp1251(const QString& text, std::string& out) { return encode(text, out, false); }

std::string ToCp1251Lossy(const QString& text) {
  std::string out;
  encode(text, out, true);
  return out;
}

std::string ToNativePath(const QString& path) { return QFile::encodeName(path).toStdString(); }

QString FromNativePath(const std::string& path) {
  return QFile::decodeName(QByteArray::fromStdString(path));
}

}  // namespace vestral
