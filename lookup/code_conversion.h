#pragma once

#include <string>

namespace vestral {

// Hex form to letter form: "0100" -> "P0100", "8ABC" -> "B0ABC". The first character
// picks a two-character prefix (exact, upper case only; an unknown one stays as it
// is); the last three are copied. Inputs shorter than four characters give "ERROR".
std::string Cnvrt(std::string Val);

}  // namespace vestral
