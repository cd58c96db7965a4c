#pragma once

#include <string>

namespace vestral {

// The folder of the running executable, without a trailing separator unless it
// is the root, and the executable's file name.
std::string ProgramFolder();
std::string ProgramFileName();

// folder + separator (unless folder already ends with one) + the file name
// without its extension + ext. SiblingPath("/opt/v", "dtc", ".DAT") is
// "/opt/v/dtc.DAT".
std::string SiblingPath(const std::string& folder, const std::string& fileName,
                        const std::string& ext);

// The main database and the ini file beside the program.
std::string MainDatabasePath();
std::string IniFilePath();

}  // namespace vestral
