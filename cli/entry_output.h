#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "cli/text_output.h"

namespace vestral {

// Writes code page 1251 text as one field of a one-line record: tabs and line breaks
// inside it become blanks, so the record stays on its line.
void WriteFlatCp1251(TextOutput& out, std::string_view text);

// The letter form of an entry's code: its table letter and its four code bytes.
std::string LetterForm(char letter, std::string_view code);

// Code page 1251 text as a JSON string, quoted. Every control character is escaped,
// the C1 controls and DEL included, so no byte of a file can steer a terminal.
std::string JsonText(std::string_view bytes);

// The members of one JSON object: each key with its value as JSON text
// (JsonText(...), "null", "true", a number).
using JsonMembers = std::vector<std::pair<std::string_view, std::string>>;

// Writes a JSON array object by object as it grows, indented by four spaces a level,
// the members of each object sorted by key.
class JsonArrayWriter {
 public:
  explicit JsonArrayWriter(TextOutput& out) : out_(out) {}
  void add(JsonMembers members);
  // Closes the array and ends the line.
  void finish();

 private:
  TextOutput& out_;
  bool empty_ = true;
};

}  // namespace vestral
