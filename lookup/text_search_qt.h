#pragma once

#include "lookup/text_search.h"

namespace vestral {

// The case folding of every code page 1251 byte as Unicode defines it: the byte is
// decoded, case folded and encoded again; a byte whose folded form is not one code
// page 1251 byte (an undefined byte, the micro sign) stays as it is.
FoldTable UnicodeFold();

}  // namespace vestral
