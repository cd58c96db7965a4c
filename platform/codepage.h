#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vestral {

// Code page 1251 without Qt, for the core and the command line, and for output that
// converts a byte at a time. The Qt side (platform/codepage_qt.h) serves the windows.

// The character a byte stands for; U+0098 for 0x98, the one byte the code page leaves
// unassigned (see the table for why).
char32_t Cp1251ToUnicode(unsigned char byte);

// Appends `c` (below U+10000, as every character of the code page is) as UTF-8.
void AppendUtf8(std::string& out, char32_t c);

// The length of the well-formed UTF-8 sequence at the start of `s` (1 to 4) and, in
// `c`, its code point; 0 when there is none (an empty or cut sequence, a stray
// continuation byte, an overlong form, a surrogate, a value past U+10FFFF).
[[nodiscard]] size_t DecodeUtf8(std::string_view s, char32_t& c);

// The bytes of the character `s` starts with: its first byte and the continuation bytes
// (10xxxxxx) behind it, so that a malformed sequence is cut where a reader would cut it.
// 1 when `s` is empty.
[[nodiscard]] size_t Utf8CharacterSize(std::string_view s);

// True when the bytes hold at least one multi-byte UTF-8 sequence and are valid
// UTF-8 throughout: real code page 1251 text almost never is.
[[nodiscard]] bool LooksLikeUtf8(std::string_view bytes);

// A text of the system's own (a path, an error message; UTF-8) made fit for texts in
// code page 1251: characters the code page has are converted, others become '?', and
// bytes that are no UTF-8 (code page 1251 already) are kept.
std::string Utf8ToCp1251(std::string_view text);

// `text` (UTF-8) in code page 1251 into `out`; false, and `out` untouched, when it is no
// UTF-8 or holds a character the code page lacks.
[[nodiscard]] bool Utf8ToCp1251Exactly(std::string_view text, std::string& out);

// Where Utf8ToCp1251Exactly refuses `text`: the byte offset of the first character the
// code page lacks, or of the first byte that is no UTF-8; npos when it converts.
[[nodiscard]] size_t FirstNotInCp1251(std::string_view text);

// Converts `text` (UTF-8) into `out` as far as Utf8ToCp1251Exactly would: returns where
// it stopped (FirstNotInCp1251), or text.size() when all of it converted; `out` holds
// the conversion of the bytes before.
[[nodiscard]] size_t Utf8ToCp1251Prefix(std::string_view text, std::string& out);

// A text of the system's own (UTF-8: words of the command line, a path, a system
// message) fit for a terminal: a control character (C0, DEL, C1) becomes '?', so no
// byte can move the cursor or change the colours, and a byte sequence that is no UTF-8
// (a lead byte with the continuation bytes behind it) becomes one U+FFFD.
std::string ShownText(std::string_view text);

// Code page 1251 bytes as UTF-8, every byte kept: Utf8ToCp1251Exactly gives them back.
std::string Cp1251ToUtf8Exactly(std::string_view bytes);

}  // namespace vestral
