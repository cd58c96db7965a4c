#pragma once

#include <string>
#include <string_view>

namespace vestral {

// Texts of this program end their lines with CR LF (log pieces, message boxes); a
// terminal wants LF alone, and would show the CR as '?'. A lone CR stays.
inline std::string CrLfAsLf(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i)
    if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) out += text[i];
  return out;
}

}  // namespace vestral
