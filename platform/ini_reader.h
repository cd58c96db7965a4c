#pragma once

#include <string>

namespace vestral {

// Reads one value of an ini file the way the Windows profile reader does: section
// and key names compare case-insensitively, blanks around the value are trimmed,
// one pair of surrounding quotes is removed, the first occurrence wins, values are
// cut to 254 characters. When the file, the section or the key is missing, the
// result is the reader's 255-character buffer holding the default: characters 2
// and 1, a NUL, then blanks; it matches no setting.
std::string ReadIniValue(const std::string& key, const std::string& section,
                         const std::string& file);

}  // namespace vestral
