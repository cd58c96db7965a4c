#pragma once

#include <string>
#include <string_view>

namespace vestral {

// Code page 1251 without Qt, for the core and the command line, and for output that
// converts a byte at a time. The Qt side (platform/codepage_qt.h) serves the windows.

// The character a byte stands for; 0 for 0x98, the one byte the code page leaves
// unassigned.
char32_t Cp1251ToUnicode(unsigned char byte);

// Appends `c` (below U+10000, as every character of the code page is) as UTF-8.
void AppendUtf8(std::string& out, char32_t c);

// A text of the system's own (a path, an error message; UTF-8) made fit for texts in
// code page 1251: characters the code page has are converted, others become '?', and
// bytes that are no UTF-8 (code page 1251 already) are kept.
std::string Utf8ToCp1251(std::string_view text);

// `text` (UTF-8) in code page 1251 into `out`; false, and `out` untouched, when it is no
// UTF-8 or holds a character the code page lacks.
[[nodiscard]] bool Utf8ToCp1251Exactly(std::string_view text, std::string& out);

}  // namespace vestral
