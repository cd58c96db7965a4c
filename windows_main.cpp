// The windows, loaded by the `vestral` executable only when a window is asked for, so
// that a command never maps the GUI libraries.

#include <fontconfig/fontconfig.h>
#include <QApplication>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <thread>

#include "editor/frm_base_edit.h"
#include "lookup/frm_main.h"
#include "lookup/program_picture_qt.h"
#include "lookup/window_options.h"
#include "platform/program_paths.h"

namespace {

bool haveDisplay() {
  for (const char* var : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
    const char* v = std::getenv(var);
    if (v && *v) return true;
  }
  return false;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) int vestral_run_windows(int argc, char** argv) {
  if (!haveDisplay()) {
    std::fprintf(stderr,
                 "vestral: the windows need a display (DISPLAY or WAYLAND_DISPLAY is not set); "
                 "to look codes up without one, use `vestral lookup CODE`\n");
    return 1;
  }
  const std::optional<vestral::WindowOptions> options = vestral::WindowOptionsOf(argc, argv);
  if (!options) return 2;

  // Fontconfig reads its configuration and font caches (several milliseconds) on a second
  // core while Qt connects to the display, so the window's first text finds it ready.
  // The program's icon follows once the lookup window is painted.
  std::thread fonts([] { FcInit(); });
  QApplication app(argc, argv);
  fonts.join();

  // With --db both windows use that file; the main database is made when missing, a
  // chosen one never is (a mistyped path is reported, not filled).
  const bool chosen = !options->database.empty();
  auto* lookup = chosen ? new vestral::FrmMain(options->database, vestral::IniFilePath())
                        : new vestral::FrmMain;
  const std::string database = chosen ? options->database : vestral::MainDatabasePath();
  lookup->setAttribute(Qt::WA_DeleteOnClose);
  // Shown before the lookup window closes, so the program goes on with the editor.
  lookup->setShowEditor([database] {
    vestral::SetProgramIcon();  // the lookup window may close before it painted
    auto* editor = new vestral::FrmBaseEdit(database);
    editor->setAttribute(Qt::WA_DeleteOnClose);
    editor->show();
  });
  lookup->show();
  if (options->editor) {
    // The same gate as Ctrl+Alt+Esc, once the window is up.
    QTimer::singleShot(0, lookup, [lookup] { lookup->runEditorGate(); });
  }
  return app.exec();
}
