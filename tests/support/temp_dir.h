#pragma once

#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

namespace vestral::testing {

// A fresh folder under the system's temporary folder, removed with its contents.
class TempDir {
 public:
  TempDir() {
    std::string name = (std::filesystem::temp_directory_path() / "vestral-test-XXXXXX").string();
    if (!::mkdtemp(name.data())) std::abort();  // no test may write beside its folder
    path_ = name;
  }
  TempDir(const TempDir&) = delete;  // a copy would remove the folder twice
  TempDir& operator=(const TempDir&) = delete;
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }

  std::string path() const { return path_.string(); }
  std::string file(const std::string& name) const { return (path_ / name).string(); }
  // Every regular file below the folder, by path, with its bytes.
  std::map<std::string, std::string> files() const;

 private:
  std::filesystem::path path_;
};

inline std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline std::map<std::string, std::string> TempDir::files() const {
  std::map<std::string, std::string> all;
  for (const auto& e : std::filesystem::recursive_directory_iterator(path_))
    if (e.is_regular_file()) all[e.path().string()] = ReadBytes(e.path().string());
  return all;
}

inline void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace vestral::testing
