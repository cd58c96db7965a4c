#include "cli/code_argument.h"

#include <vector>

#include "database/table_order.h"
#include "lookup/code_conversion.h"
#include "platform/codepage.h"

namespace vestral {

namespace {

bool isHex(std::string_view c) {
  if (c.size() != 1) return false;
  const char ch = c[0];
  return (ch >= '0' && ch <= '9') || (ch >= 'A' && ch <= 'F') || (ch >= 'a' && ch <= 'f');
}

char upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// The input cut into characters (UTF-8 sequences), so a Cyrillic "Р" counts as one
// character and is named as typed.
std::vector<std::string_view> characters(std::string_view s) {
  std::vector<std::string_view> out;
  size_t i = 0;
  while (i < s.size()) {
    const size_t n = Utf8CharacterSize(s.substr(i));
    out.push_back(s.substr(i, n));
    i += n;
  }
  return out;
}

std::string badCharacter(size_t position, std::string_view c, const std::string& expected) {
  std::string msg =
      "character " + std::to_string(position + 1) + " '" + ShownText(c) + "' is not " + expected;
  if (c == "O" || c == "o") msg += " (the letter O where the digit 0 belongs?)";
  return msg;
}

}  // namespace

std::string QuotedInput(std::string_view typed) {
  // A whole pasted page would bury the message.
  constexpr size_t kShownCharacters = 40;
  const std::vector<std::string_view> chars = characters(typed);
  std::string s(1, '"');
  for (size_t i = 0; i < chars.size() && i < kShownCharacters; ++i) s += ShownText(chars[i]);
  if (chars.size() > kShownCharacters)
    s += "...\" (" + std::to_string(chars.size()) + " characters)";
  else
    s += '"';
  return s;
}

// Appended: GCC 12 warns falsely (-Wrestrict) on a literal + std::string in Release builds.
std::string QuotedPath(std::string_view path) {
  return std::string("\"").append(ShownText(path)) + "\"";
}

CodeArgument ParseCodeArgument(std::string_view typed) {
  CodeArgument r;
  const std::vector<std::string_view> chars = characters(typed);
  constexpr const char* kHex = "a hex digit 0-9, A-F";
  if (chars.size() == 4) {
    std::string hex;
    for (size_t i = 0; i < 4; ++i) {
      if (!isHex(chars[i])) {
        r.problem = badCharacter(i, chars[i], kHex);
        return r;
      }
      hex += upper(chars[i][0]);
    }
    r.letterForm = Cnvrt(hex);
    return r;
  }
  if (chars.size() == 5) {
    const std::string_view first = chars[0];
    if (first.size() != 1 || TableSlot(upper(first[0])) < 0) {
      r.problem = badCharacter(0, first, "a system letter P, C, B or U");
      return r;
    }
    const std::string_view digit = chars[1];
    if (digit.size() != 1 || digit[0] < '0' || digit[0] > '3') {
      r.problem = badCharacter(1, digit, "a digit 0-3");
      return r;
    }
    std::string letter{upper(first[0]), digit[0]};
    for (size_t i = 2; i < 5; ++i) {
      if (!isHex(chars[i])) {
        r.problem = badCharacter(i, chars[i], kHex);
        return r;
      }
      letter += upper(chars[i][0]);
    }
    r.letterForm = letter;
    return r;
  }
  r.problem = "it has " + std::to_string(chars.size()) +
              (chars.size() == 1 ? " character" : " characters") +
              "; a code has 4 (hex form, such as 0100) or 5 (letter form, such as P0100)";
  return r;
}

}  // namespace vestral
