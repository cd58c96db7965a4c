#include "platform/codepage_qt.h"

#include <gtest/gtest.h>

#include <QStringDecoder>
#include <QStringEncoder>

namespace vestral {
namespace {

// The windows convert with the program's own table; Qt's codec, which they used before,
// is the judge: every byte, and texts with characters the code page lacks.
TEST(CodepageQt, ConvertsAsQtsCodecDoes) {
  std::string everyByte;
  for (int b = 0; b < 256; ++b) everyByte += static_cast<char>(b);
  const QString decoded =
      QStringDecoder("windows-1251").decode(QByteArray::fromStdString(everyByte));
  EXPECT_EQ(FromCp1251(everyByte), decoded);
  const QString texts[] = {
      decoded,
      QString::fromUtf8("a\xF0\x9F\x98\x80 \xE6\x97\xA5 \xD0\x81"),  // an emoji, a CJK, Ё
      QString(QChar(0xD800)) + "b",                                  // a lone surrogate
  };
  for (const QString& text : texts) {
    QStringEncoder strict("windows-1251", QStringConverter::Flag::Stateless);
    const std::string expected = QByteArray(strict.encode(text)).toStdString();
    std::string converted = "untouched";
    EXPECT_EQ(ToCp1251(text, converted), !strict.hasError());
    EXPECT_EQ(converted, strict.hasError() ? "untouched" : expected);
    EXPECT_EQ(ToCp1251Lossy(text),
              QByteArray(QStringEncoder("windows-1251").encode(text)).toStdString());
  }
}

}  // namespace
}  // namespace vestral
