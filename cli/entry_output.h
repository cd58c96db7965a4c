#pragma once

#include <QJsonArray>
#include <QString>
#include <string>
#include <string_view>

#include "cli/text_output.h"
#include "database/dtc_database.h"

namespace vestral {

// Writes code page 1251 text as one field of a one-line record: tabs and line breaks
// inside it become blanks, so the record stays on its line.
void WriteFlatCp1251(TextOutput& out, std::string_view text);

// The letter form of an entry's code: its table letter and its four code bytes.
std::string LetterForm(char letter, std::string_view code);

// Code page 1251 text for a JSON value.
QString JsonText(std::string_view bytes);

// The array as indented JSON, every control character escaped.
void WriteJson(TextOutput& out, const QJsonArray& array);

}  // namespace vestral
