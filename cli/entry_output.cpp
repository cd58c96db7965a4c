#include "cli/entry_output.h"

#include <algorithm>

#include "lookup/lookup.h"
#include "platform/codepage.h"

namespace vestral {

void WriteFlatCp1251(TextOutput& out, std::string_view text) {
  if (text.find_first_of("\t\r\n") == std::string_view::npos) {
    out.writeCp1251(text);
    return;
  }
  out.writeCp1251(OneLineField(text));
}

std::string LetterForm(char letter, std::string_view code) {
  std::string s(1, letter);
  s += code;
  return s;
}

std::string JsonText(std::string_view bytes) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out(1, '"');
  out.reserve(bytes.size() + 2);
  for (const char ch : bytes) {
    const auto b = static_cast<unsigned char>(ch);
    const char32_t c = Cp1251ToUnicode(b);
    const char* shortEscape = nullptr;
    switch (c) {
      case '"': shortEscape = "\\\""; break;
      case '\\': shortEscape = "\\\\"; break;
      case '\b': shortEscape = "\\b"; break;
      case '\f': shortEscape = "\\f"; break;
      case '\n': shortEscape = "\\n"; break;
      case '\r': shortEscape = "\\r"; break;
      case '\t': shortEscape = "\\t"; break;
      default: break;
    }
    if (shortEscape) {
      out += shortEscape;
    } else if (c < 0x20 || (c >= 0x7F && c <= 0x9F)) {
      out += "\\u00";
      out += kHex[c >> 4];
      out += kHex[c & 0xF];
    } else {
      AppendUtf8(out, c);
    }
  }
  out += '"';
  return out;
}

void JsonArrayWriter::add(JsonMembers members) {
  std::sort(members.begin(), members.end(),
            [](const auto& a, const auto& b) { return a.first < b.first; });
  out_.write(empty_ ? "[\n    {\n" : ",\n    {\n");
  empty_ = false;
  for (size_t i = 0; i < members.size(); ++i) {
    out_.write("        \"");
    out_.write(members[i].first);
    out_.write("\": ");
    out_.write(members[i].second);
    out_.write(i + 1 < members.size() ? ",\n" : "\n");
  }
  out_.write("    }");
}

void JsonArrayWriter::finish() { out_.write(empty_ ? "[\n]\n" : "\n]\n"); }

}  // namespace vestral
