#include "platform/codepage_qt.h"

#include <QFile>
#include <QStringDecoder>
#include <QStringEncoder>

namespace vestral {

QString FromCp1251(const std::string& bytes) {
  QStringDecoder decoder("windows-1251");
  return decoder.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

bool ToCp1251(const QString& text, std::string& out) {
  QStringEncoder encoder("windows-1251", QStringConverter::Flag::Stateless);
  const QByteArray bytes = encoder.encode(text);
  if (encoder.hasError()) return false;
  out.assign(bytes.constData(), static_cast<size_t>(bytes.size()));
  return true;
}

std::string ToCp1251Lossy(const QString& text) {
  QStringEncoder encoder("windows-1251");
  const QByteArray bytes = encoder.encode(text);
  return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

std::string ToNativePath(const QString& path) { return QFile::encodeName(path).toStdString(); }

QString FromNativePath(const std::string& path) {
  return QFile::decodeName(QByteArray::fromStdString(path));
}

}  // namespace vestral
