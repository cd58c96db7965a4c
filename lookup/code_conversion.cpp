#include "lookup/code_conversion.h"

#include <string_view>

namespace vestral {

std::string Cnvrt(std::string Val) {
  if (Val.size() < 4) return "ERROR";
  static constexpr std::string_view kDigits = "0123456789ABCDEF";
  static constexpr std::string_view kPrefixes = "P0P1P2P3C0C1C2C3B0B1B2B3U0U1U2U3";
  const std::string tail = Val.substr(Val.size() - 3);
  const size_t row = kDigits.find(Val[0]);
  if (row == std::string_view::npos) return Val.substr(0, 1) + tail;
  return std::string(kPrefixes.substr(row * 2, 2)) + tail;
}

}  // namespace vestral
