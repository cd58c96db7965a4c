#pragma once

#include <string_view>

namespace vestral {

// Who gives a code its meaning. The standard defines the generic codes for every maker;
// the manufacturer ranges mean something different on each make; the reserved ranges
// are kept by the standard for later use.
enum class CodeRange { Generic, Manufacturer, Reserved };

// The range of a code in letter form ("P1406", "U0100"). REQUIRES: five characters,
// the system letter P, C, B or U and a second character 0 to 3, as Cnvrt gives them.
CodeRange RangeOfCode(std::string_view letterForm);

// "generic", "manufacturer" or "reserved": the name scripts read.
const char* CodeRangeName(CodeRange range);

}  // namespace vestral
