#pragma once

#include <string_view>

namespace vestral {

// Who gives a code its meaning. The standard defines the generic codes for every maker;
// the manufacturer ranges mean something different on each make; the reserved ranges
// are kept by the standard for later use.
enum class CodeRange { Generic, Manufacturer, Reserved };

// A code in letter form as a bus gives it: P, C, B or U, a digit 0 to 3, three hex
// digits, all upper case ("P0A80").
bool IsLetterForm(std::string_view text);

// The range of a code in letter form ("P1406", "U0100"). REQUIRES: IsLetterForm, or at
// least the system letter P, C, B or U and a second character 0 to 3, as Cnvrt gives them.
CodeRange RangeOfCode(std::string_view letterForm);

// "generic", "manufacturer" or "reserved": the name scripts read.
const char* CodeRangeName(CodeRange range);

// What a lookup says after the absence of a code in `range`, so the user knows whether
// a database can know the code at all: in English for the command line, in Russian
// (code page 1251) for the lookup window.
const char* AbsentCodeNote(CodeRange range);
const char* AbsentCodeNoteRussian(CodeRange range);

}  // namespace vestral
