#include "cli/entry_output.h"

#include <QJsonDocument>

#include "platform/codepage_qt.h"

namespace vestral {

void WriteFlatCp1251(TextOutput& out, std::string_view text) {
  if (text.find_first_of("\t\r\n") == std::string_view::npos) {
    out.writeCp1251(text);
    return;
  }
  std::string flat(text);
  for (char& c : flat)
    if (c == '\t' || c == '\r' || c == '\n') c = ' ';
  out.writeCp1251(flat);
}

std::string LetterForm(char letter, std::string_view code) {
  std::string s(1, letter);
  s += code;
  return s;
}

QString JsonText(std::string_view bytes) { return FromCp1251(std::string(bytes)); }

void WriteJson(TextOutput& out, const QJsonArray& array) {
  const QByteArray text = QJsonDocument(array).toJson(QJsonDocument::Indented);
  out.write(
      EscapeJsonControls(std::string_view(text.constData(), static_cast<size_t>(text.size()))));
}

}  // namespace vestral
