#include "lookup/code_boxes.h"

#include "lookup/code_range.h"

namespace vestral {

namespace {

// The same position in `to` replaces a character found in `from`; the last
// position of both is Backspace.
int filterKey(int KeyAscii, std::string_view from, std::string_view to) {
  if (KeyAscii <= 0 || KeyAscii > 255) return 0;
  const char c = static_cast<char>(KeyAscii);
  if (c == kBackspace) return kBackspace;
  const size_t pos = from.find(c);
  if (pos != std::string_view::npos) return static_cast<unsigned char>(to[pos]);
  return to.find(c) != std::string_view::npos ? KeyAscii : 0;
}

}  // namespace

int FilterHexKey(int KeyAscii) {
  return filterKey(KeyAscii, "abcdef0123456789", "ABCDEF0123456789");
}

int FilterLetterKey(int KeyAscii, size_t position) {
  if (position >= 2 && position <= 4)
    return filterKey(KeyAscii, "pcbuadef0123456789 ", "PCBUADEF0123456789 ");
  return filterKey(KeyAscii, "pcbu0123456789 ", "PCBU0123456789 ");
}

namespace {

size_t codeLength(CodeBox box) { return box == CodeBox::kHex ? 4 : 5; }

int filterAt(CodeBox box, int KeyAscii, size_t position) {
  return box == CodeBox::kHex ? FilterHexKey(KeyAscii) : FilterLetterKey(KeyAscii, position);
}

bool startsNewCode(const CodeBoxState& s) {
  return s.length >= codeLength(s.box) && s.selected == 0;
}

// Blanks, tabs, line breaks and the no-break space (0xA0 in code page 1251).
bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\xA0'; }

std::string trimmedUpper(std::string_view text) {
  while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
  std::string up(text);
  for (char& c : up)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return up;
}

bool isHexForm(std::string_view text) {
  return text.size() == 4 && text.find_first_not_of("0123456789ABCDEF") == std::string_view::npos;
}

}  // namespace

CodeBoxInput TypedIntoCodeBox(const CodeBoxState& s, int KeyAscii) {
  CodeBoxInput in{.box = s.box, .newCode = startsNewCode(s), .text = {}};
  const int c = filterAt(s.box, KeyAscii, in.newCode ? 0 : s.position);
  if (c != 0 && c != kBackspace) in.text.assign(1, static_cast<char>(c));
  return in;
}

CodeBoxInput PastedIntoCodeBox(const CodeBoxState& s, std::string_view pasted) {
  const std::string text = trimmedUpper(pasted);
  if (s.box == CodeBox::kHex && IsLetterForm(text))
    return {.box = CodeBox::kLetter, .newCode = true, .text = text};
  const bool wholeBox = startsNewCode(s) || s.selected == s.length;
  if (s.box == CodeBox::kLetter && wholeBox && isHexForm(text))
    return {.box = CodeBox::kHex, .newCode = true, .text = text};
  CodeBoxInput in{.box = s.box, .newCode = startsNewCode(s), .text = {}};
  const size_t kept = in.newCode ? 0 : s.length - s.selected;
  if (kept + text.size() > codeLength(s.box)) return {.box = s.box, .newCode = false, .text = {}};
  size_t at = in.newCode ? 0 : s.position;
  for (char ch : text) {
    const int c = filterAt(s.box, static_cast<unsigned char>(ch), at++);
    if (c == 0 || c == kBackspace) return {.box = s.box, .newCode = false, .text = {}};
    in.text += static_cast<char>(c);
  }
  return in;
}

}  // namespace vestral
