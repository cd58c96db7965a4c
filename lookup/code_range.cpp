#include "lookup/code_range.h"

namespace vestral {

CodeRange RangeOfCode(std::string_view code) {
  const char letter = code[0];
  const char digit = code[1];
  if (digit == '0') return CodeRange::Generic;
  if (letter == 'P') {
    if (digit == '1') return CodeRange::Manufacturer;
    if (digit == '2') return CodeRange::Generic;
    // P3000 to P33FF belong to the makers; the rest of P3 is generic.
    const char third = code[2];
    return third >= '0' && third <= '3' ? CodeRange::Manufacturer : CodeRange::Generic;
  }
  return digit == '3' ? CodeRange::Reserved : CodeRange::Manufacturer;
}

const char* CodeRangeName(CodeRange range) {
  switch (range) {
    case CodeRange::Generic: return "generic";
    case CodeRange::Manufacturer: return "manufacturer";
    case CodeRange::Reserved: return "reserved";
  }
  return "generic";
}

}  // namespace vestral
