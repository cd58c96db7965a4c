#include "cli/cli.h"

#include <cstdio>
#include <cstring>

namespace vestral {

bool IsCliInvocation(int argc, char** argv) {
  if (argc < 2) return false;
  return std::strcmp(argv[1], "--editor") != 0;
}

int RunCli(int, char**) {
  std::fprintf(stderr, "vestral: no commands yet\n");
  return 2;
}

}  // namespace vestral
