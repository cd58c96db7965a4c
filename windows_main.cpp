// The windows, loaded by the `vestral` executable only when a window is asked for, so
// that a command never maps the GUI libraries.

#include <QApplication>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "editor/frm_base_edit.h"
#include "lookup/frm_main.h"
#include "lookup/program_picture_qt.h"

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
  const bool editorAtOnce = argc >= 2 && std::strcmp(argv[1], "--editor") == 0;

  QApplication app(argc, argv);
  QApplication::setWindowIcon(vestral::ProgramIcon());

  auto* lookup = new vestral::FrmMain;
  lookup->setAttribute(Qt::WA_DeleteOnClose);
  // Shown before the lookup window closes, so the program goes on with the editor.
  lookup->setShowEditor([] {
    auto* editor = new vestral::FrmBaseEdit;
    editor->setAttribute(Qt::WA_DeleteOnClose);
    editor->show();
  });
  lookup->show();
  if (editorAtOnce) {
    // The same gate as Ctrl+Alt+Esc, once the window is up.
    QTimer::singleShot(0, lookup, [lookup] { lookup->runEditorGate(); });
  }
  return app.exec();
}
