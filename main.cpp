#include <QApplication>

#include <cstdio>
#include <cstdlib>

#include "cli/cli.h"

namespace {

bool haveDisplay() {
  for (const char* var : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
    const char* v = std::getenv(var);
    if (v && *v) return true;
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (vestral::IsCliInvocation(argc, argv)) return vestral::RunCli(argc, argv);
  if (!haveDisplay()) {
    std::fprintf(stderr,
                 "vestral: the windows need a display (DISPLAY or WAYLAND_DISPLAY is not set); "
                 "to look codes up without one, use `vestral lookup CODE`\n");
    return 1;
  }
  QApplication app(argc, argv);
  return app.exec();
}
