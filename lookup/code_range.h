#pragma once

#include <string>
#include <string_view>

#include "platform/program_paths.h"

namespace vestral {

// Who gives a code its meaning. The standard gives the codes of the generic ranges one
// meaning on every make (P0, P2, P3400-P34FF, and the first and fourth ranges of C, B and
// U: C0, B0, U0, U3); each maker defines the codes of the manufacturer ranges (P1,
// P3000-P33FF, C1, C2, B1, B2, U1, U2) for its own vehicles; the standard keeps the
// reserved ones (P3500-P3FFF, C3, B3) for later and has assigned them nothing.
enum class CodeRange { Generic, Manufacturer, Reserved };

// A code in letter form as a bus gives it: P, C, B or U, a digit 0 to 3, three hex
// digits, all upper case ("P0A80").
bool IsLetterForm(std::string_view text);

// The range of a code in letter form ("P1406", "U0100"). REQUIRES: IsLetterForm, or at
// least the system letter P, C, B or U and a second character 0 to 3, as Cnvrt gives them.
CodeRange RangeOfCode(std::string_view letterForm);

// "generic", "manufacturer" or "reserved": the name scripts read.
const char* CodeRangeName(CodeRange range);

// What a lookup says after the absence of `code` (letter form), so the user knows
// whether a database can know the code at all: the kind of its range and, for a code
// some makers use otherwise (MakerNote), their meanings. In English for the command
// line, in Russian (code page 1251) for the lookup window.
std::string AbsentCodeLine(std::string_view code, TextLanguage language);

}  // namespace vestral
