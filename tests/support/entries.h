#pragma once

#include <string>
#include <string_view>

#include "database/dtc_database.h"

namespace vestral::testing {

// An entry as the generator would store it: code padded or cut to four characters.
inline DtcEntry entry(std::string_view code, std::string text, std::string ext = "") {
  DtcEntry e;
  e.setCode(code);
  e.Text = std::move(text);
  e.Extension = std::move(ext);
  return e;
}

}  // namespace vestral::testing
