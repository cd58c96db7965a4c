#include "platform/codepage.h"

#include <array>

namespace vestral {

namespace {

// Unicode of the code page's upper half, 0x80 to 0xBF; 0xC0 to 0xFF are U+0410 to U+044F
// in order. The code page leaves 0x98 unassigned: here it stands for U+0098, the C1
// control of its number, as the windows' decoder has it, so that every byte survives a
// trip to Unicode and back (through a box, a UTF-8 file, JSON) and nothing needs to
// patch around a hole in the table.
constexpr std::array<char16_t, 64> kUpperHalf = {{
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409,
    0x2039, 0x040A, 0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0,
    0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB,
    0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6,
    0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
}};

char cp1251Of(char32_t c) {
  if (c < 0x80) return static_cast<char>(c);
  if (c >= 0x0410 && c <= 0x044F) return static_cast<char>(0xC0 + (c - 0x0410));
  for (size_t i = 0; i < kUpperHalf.size(); ++i)
    if (kUpperHalf[i] == c) return static_cast<char>(0x80 + i);
  return '?';
}

}  // namespace

size_t DecodeUtf8(std::string_view s, char32_t& c) {
  if (s.empty()) return 0;
  const auto b0 = static_cast<unsigned char>(s[0]);
  if (b0 < 0x80) {
    c = b0;
    return 1;
  }
  // Every lead byte of a length is taken, so that an overlong form is refused by the
  // value it decodes to, like a surrogate or a value past the last code point.
  size_t n = 0;
  char32_t v = 0;
  if (b0 >= 0xC0 && b0 <= 0xDF) {
    n = 2;
    v = b0 & 0x1F;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    n = 3;
    v = b0 & 0x0F;
  } else if (b0 >= 0xF0 && b0 <= 0xF7) {
    n = 4;
    v = b0 & 0x07;
  } else {
    return 0;
  }
  if (s.size() < n) return 0;
  for (size_t i = 1; i < n; ++i) {
    const auto b = static_cast<unsigned char>(s[i]);
    if ((b & 0xC0) != 0x80) return 0;
    v = (v << 6) | (b & 0x3F);
  }
  const char32_t least[5] = {0, 0, 0x80, 0x800, 0x10000};
  if (v < least[n] || (v >= 0xD800 && v <= 0xDFFF) || v > 0x10FFFF) return 0;
  c = v;
  return n;
}

size_t Utf8CharacterSize(std::string_view s) {
  size_t n = 1;
  while (n < s.size() && (static_cast<unsigned char>(s[n]) & 0xC0) == 0x80) ++n;
  return n;
}

bool LooksLikeUtf8(std::string_view bytes) {
  bool multibyte = false;
  char32_t c = 0;
  for (size_t i = 0, n = 0; i < bytes.size(); i += n) {
    n = DecodeUtf8(bytes.substr(i), c);
    if (n == 0) return false;
    multibyte = multibyte || n > 1;
  }
  return multibyte;
}

namespace {

// One conversion for every caller: strict refuses a malformed sequence or a character
// the code page lacks, and says where in `refusedAt`; lenient passes a malformed byte
// through and shows a missing character as '?'.
bool toCp1251(std::string_view text, bool strict, std::string& out, size_t* refusedAt = nullptr) {
  out.clear();
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    char32_t c = 0;
    const size_t n = DecodeUtf8(text.substr(i), c);
    // A system text's C1 control (U+0098 is the one the code page holds) is shown as '?',
    // like a character the code page lacks.
    const bool control = !strict && c >= 0x80 && c <= 0x9F;
    const char b = n == 0 ? text[i] : control ? '?' : cp1251Of(c);
    if (strict && (n == 0 || (b == '?' && c != '?'))) {
      if (refusedAt) *refusedAt = i;
      return false;
    }
    out += b;
    i += n == 0 ? 1 : n;
  }
  return true;
}

}  // namespace

std::string Utf8ToCp1251(std::string_view text) {
  std::string out;
  toCp1251(text, false, out);
  return out;
}

bool Utf8ToCp1251Exactly(std::string_view text, std::string& out) {
  std::string bytes;
  if (!toCp1251(text, true, bytes)) return false;
  out = std::move(bytes);
  return true;
}

size_t FirstNotInCp1251(std::string_view text) {
  std::string bytes;
  size_t at = std::string_view::npos;
  if (toCp1251(text, true, bytes, &at)) return std::string_view::npos;
  return at;
}

size_t Utf8ToCp1251Prefix(std::string_view text, std::string& out) {
  size_t at = text.size();
  (void)toCp1251(text, true, out, &at);
  return at;
}

std::string ShownText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    const size_t n = Utf8CharacterSize(text.substr(i));
    char32_t c = 0;
    if (DecodeUtf8(text.substr(i, n), c) != n)
      out += "\xEF\xBF\xBD";
    else if (c < 0x20 || (c >= 0x7F && c <= 0x9F))
      out += '?';
    else
      out.append(text.substr(i, n));
    i += n;
  }
  return out;
}

std::string Cp1251ToUtf8Exactly(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() * 2);
  for (char b : bytes) AppendUtf8(out, Cp1251ToUnicode(static_cast<unsigned char>(b)));
  return out;
}

char32_t Cp1251ToUnicode(unsigned char byte) {
  if (byte < 0x80) return byte;
  if (byte >= 0xC0) return 0x0410 + (byte - 0xC0);
  return kUpperHalf[byte - 0x80];
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

}  // namespace vestral
