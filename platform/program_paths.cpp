#include "platform/program_paths.h"

#include <filesystem>

namespace vestral {

namespace fs = std::filesystem;

namespace {

fs::path executablePath() {
  std::error_code ec;
  fs::path p = fs::read_symlink("/proc/self/exe", ec);
  if (ec) p = fs::current_path(ec) / "vestral";
  return p;
}

}  // namespace

std::string ProgramFolder() { return executablePath().parent_path().string(); }

std::string ProgramFileName() { return executablePath().filename().string(); }

std::string SiblingPath(const std::string& folder, const std::string& fileName,
                        const std::string& ext) {
  std::string path = folder;
  if (path.empty() || path.back() != '/') path += '/';
  return path + fs::path(fileName).stem().string() + ext;
}

std::string MainDatabasePath() { return SiblingPath(ProgramFolder(), ProgramFileName(), ".DAT"); }

std::string IniFilePath() { return SiblingPath(ProgramFolder(), ProgramFileName(), ".ini"); }

}  // namespace vestral
