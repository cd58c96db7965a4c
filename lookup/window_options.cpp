#include "lookup/window_options.h"

#include <cstdio>
#include <span>
#include <string_view>

#include "platform/codepage.h"

namespace vestral {

namespace {

constexpr std::string_view kEditor = "--editor";
constexpr std::string_view kDatabase = "--db";
constexpr std::string_view kDatabaseIs = "--db=";

}  // namespace

bool IsWindowInvocation(const std::vector<std::string>& args) {
  if (args.empty()) return true;
  const std::string& first = args.front();
  return first == kEditor || first == kDatabase || first.starts_with(kDatabaseIs);
}

bool ParseWindowOptions(const std::vector<std::string>& args, WindowOptions& options,
                        std::string& error) {
  options = WindowOptions();
  bool haveDatabase = false;
  for (auto it = args.begin(); it != args.end(); ++it) {
    const std::string& arg = *it;
    if (arg == kEditor) {
      options.editor = true;
      continue;
    }
    std::string file;
    if (arg == kDatabase) {
      if (std::next(it) == args.end()) {
        error = "missing file name after '--db'";
        return false;
      }
      file = *++it;
    } else if (arg.starts_with(kDatabaseIs)) {
      file = arg.substr(kDatabaseIs.size());
    } else {
      error =
          arg.starts_with("-")
              ? "unknown option '" + arg + "' (the windows take --editor and --db FILE)"
              : "unexpected argument '" + arg + "' (a command comes first: vestral COMMAND ...)";
      return false;
    }
    if (file.empty()) {
      error = "no file name given after '--db'";
      return false;
    }
    if (haveDatabase) {
      error = "'--db' given twice";
      return false;
    }
    haveDatabase = true;
    options.database = file;
  }
  return true;
}

std::optional<WindowOptions> WindowOptionsOf(int argc, char** argv) {
  WindowOptions options;
  std::string error;
  const std::span<char*> all(argv, static_cast<size_t>(argc));
  if (ParseWindowOptions(std::vector<std::string>(all.begin() + (all.empty() ? 0 : 1), all.end()),
                         options, error))
    return options;
  std::fprintf(stderr, "vestral: %s\nTry `vestral --help`.\n", ShownText(error).c_str());
  return std::nullopt;
}

}  // namespace vestral
