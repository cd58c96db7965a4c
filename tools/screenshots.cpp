// Renders the program's windows to PNG files: vestral_screenshots OUTPUT_FOLDER.
// Runs offscreen; the windows work on a small database in a temporary folder.

#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>

#include <cstdio>
#include <string>

#include "database/dtc_database.h"
#include "editor/frm_base_edit.h"
#include "log/frm_log.h"
#include "lookup/frm_main.h"
#include "platform/questions.h"

namespace {

using namespace vestral;

DtcEntry entry(const char* code, const char* text, const char* extension = "") {
  DtcEntry e;
  e.setCode(code);
  e.Text = text;
  e.Extension = extension;
  return e;
}

DtcDatabase sampleDatabase() {
  DtcDatabase db = EmptyDatabase();
  db.P.Entries.push_back(entry("0100", "Mass or Volume Air Flow Circuit Malfunction",
                               "Check the sensor plug and the intake for leaks"));
  db.P.Entries.push_back(entry("0101", "Mass or Volume Air Flow Circuit Range/Performance"));
  db.P.Entries.push_back(entry("0300", "Random/Multiple Cylinder Misfire Detected"));
  db.C.Entries.push_back(entry("0035", "Left Front Wheel Speed Sensor Circuit"));
  db.B.Entries.push_back(entry("0001", "Driver Frontal Stage 1 Deployment Control"));
  db.U.Entries.push_back(entry("0100", "Lost Communication With ECM/PCM \"A\""));
  return db;
}

bool save(QWidget& w, const QDir& out, const char* name) {
  w.show();
  QApplication::processEvents();
  const QString path = out.filePath(QString::fromLatin1(name));
  if (!w.grab().save(path)) {
    std::fprintf(stderr, "vestral_screenshots: cannot write %s\n", qPrintable(path));
    return false;
  }
  std::printf("%s\n", qPrintable(path));
  return true;
}

void sampleRun(FrmLOG& log) {
  log.INIT();
  log.LOG("Collect base to file", kTabModeLineEnd, color::kBrightWhite);
  log.LOG("Collect all database and all bases, ignore list", kTabModeLineEnd, color::kBrightWhite);
  log.LOG("Collect P base", kTabModeLineEnd, color::kBrightWhite);
  log.LOG("P0100", kTabModeTab, color::kLightYellow);
  log.LOG("extend", kTabModeTab, color::kBrightWhite);
  log.LOG("OK", kTabModeLineEnd, color::kLightRed);
  log.LOG("P0101", kTabModeTab, color::kLightYellow);
  log.LOG("OK", kTabModeLineEnd, color::kLightRed);
  log.LOG("******************** BEGIN ********************", kTabModeLineEnd, color::kLightBlue);
  log.LOG("B - base positions 1", kTabModeLineEnd, color::kYellow);
  log.LOG("P - base positions 3", kTabModeLineEnd, color::kYellow);
  log.LOG("Line 7", kTabModeTab, color::kBrightWhite);
  log.LOG("No table in the database [X]", kTabModeLineEnd, color::kLightRed);
  log.LOG("End collection", kTabModeLineEnd, color::kBrightWhite);
  log.DONE();
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: vestral_screenshots OUTPUT_FOLDER\n");
    return 2;
  }
  const QDir out(QDir(QString::fromLocal8Bit(argv[1])).absolutePath());
  if (!QDir().mkpath(out.path())) {
    std::fprintf(stderr, "vestral_screenshots: cannot create the folder %s\n", argv[1]);
    return 1;
  }
  // The windows work in the temporary folder under relative names, so the editor's
  // caption, which shows the path, comes out the same on every run.
  QTemporaryDir temp;
  if (!temp.isValid() || !QDir::setCurrent(temp.path())) {
    std::fprintf(stderr, "vestral_screenshots: no temporary folder\n");
    return 1;
  }
  const std::string dbPath = "vestral.DAT";
  if (Status s = WriteDatabase(dbPath, sampleDatabase()); !s.ok()) {
    std::fprintf(stderr, "vestral_screenshots: %s\n", s.message().c_str());
    return 1;
  }
  bool ok = true;
  ScriptedQuestions questions;

  {
    FrmMain main(dbPath, "vestral.ini", &questions);
    main.show();
    if (auto* hex = main.findChild<QLineEdit*>(QStringLiteral("Txt4"))) hex->setText("0100");
    ok = save(main, out, "frm_main.png") && ok;
    // An absent code names its range.
    if (auto* letter = main.findChild<QLineEdit*>(QStringLiteral("Txt5"))) letter->setText("P1406");
    ok = save(main, out, "frm_main_absent.png") && ok;
    QKeyEvent ctrlF(QEvent::KeyPress, Qt::Key_F, Qt::ControlModifier);
    QApplication::sendEvent(&main, &ctrlF);
    if (auto* search = main.findChild<QWidget*>(QStringLiteral("FrmSearch"))) {
      search->findChild<QLineEdit*>(QStringLiteral("TxtFind"))->setText("air flow");
      ok = save(*search, out, "frm_search.png") && ok;
    }
  }

  {
    FrmBaseEdit editor(dbPath);
    editor.setQuestions(&questions);
    editor.show();
    editor.findChild<QPushButton*>(QStringLiteral("CmdMBRead"))->click();
    editor.findChild<QLineEdit*>(QStringLiteral("TxtCode"))->setText(QStringLiteral("P0300"));
    auto* list = editor.findChild<QListWidget*>(QStringLiteral("LST"));
    list->addItems({QStringLiteral("P0100"), QStringLiteral("U0100")});
    ok = save(editor, out, "frm_base_edit.png") && ok;
    if (FrmLOG* log = editor.currentLog()) ok = save(*log, out, "frm_log_read.png") && ok;

    editor.findChild<QPushButton*>(QStringLiteral("CmdEntries"))->click();
    if (auto* entries = editor.findChild<QWidget*>(QStringLiteral("FrmEntries"))) {
      entries->findChild<QLineEdit*>(QStringLiteral("TxtFilter"))->setText(QStringLiteral("p01"));
      ok = save(*entries, out, "frm_entries.png") && ok;
      entries->findChild<QPushButton*>(QStringLiteral("CmdEntryEdit"))->click();
      if (auto* entry = entries->findChild<QWidget*>(QStringLiteral("FrmEntry")))
        ok = save(*entry, out, "frm_entry.png") && ok;
    }
  }
  {
    FrmLOG log;
    sampleRun(log);
    ok = save(log, out, "frm_log.png") && ok;
  }
  return ok ? 0 : 1;
}
