#include <dlfcn.h>

#include <cstdio>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "lookup/window_options.h"
#include "platform/codepage.h"
#include "platform/program_paths.h"

namespace {

using RunWindows = int (*)(int, char**);

// Beside the executable (a build or unpacked folder) first, then where an installed
// copy keeps it.
std::vector<std::string> windowsModulePaths() {
  const std::string folder = vestral::ProgramFolder() + "/";
  return {folder + vestral::kWindowsModule, folder + vestral::kInstalledWindowsModule};
}

}  // namespace

int main(int argc, char** argv) {
  vestral::HoldClosedStandardDescriptors();
  if (vestral::IsCliInvocation(argc, argv)) return vestral::RunCli(argc, argv);
  // Wrong usage is told here, on the terminal, before any window library loads.
  if (!vestral::WindowOptionsOf(argc, argv)) return 2;
  std::string tried;
  for (const std::string& path : windowsModulePaths()) {
    void* module = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!module) {
      std::string why = ::dlerror();
      if (why.starts_with(path + ": ")) why.erase(0, path.size() + 2);
      tried += "\n  " + vestral::ShownText(path) + " (" + vestral::ShownText(why) + ")";
      continue;
    }
    if (auto run = reinterpret_cast<RunWindows>(::dlsym(module, "vestral_run_windows")))
      return run(argc, argv);
    tried += "\n  " + vestral::ShownText(path) + " (no vestral_run_windows in it)";
  }
  std::fprintf(stderr, "vestral: cannot load the windows; tried:%s\n", tried.c_str());
  return 1;
}
