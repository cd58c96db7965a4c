#pragma once

#include <string>

namespace vestral {

// Reads one value of an ini file the way the Windows profile reader does: section
// and key names compare case-insensitively, blanks around the value are trimmed,
// one pair of surrounding quotes is removed, the first occurrence wins, indented
// lines are read like the others, a line is read up to the parser's limit of about
// 200 characters (so a value never exceeds 254) and the rest of it skipped. When the file, the
// section or the key is missing, the result is the reader's 255-character buffer holding the
// default: characters 2 and 1, a NUL, then blanks; it matches no setting.
std::string ReadIniValue(const std::string& key, const std::string& section,
                         const std::string& file);

}  // namespace vestral
