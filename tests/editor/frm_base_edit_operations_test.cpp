// The editor window's Generate, Check, Collect and Synchronize buttons: each runs its
// operation on what the window holds, into a log window of its own.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include <filesystem>
#include <functional>
#include <map>
#include <utility>

#include "editor/checker.h"
#include "editor/collector.h"
#include "editor/frm_base_edit.h"
#include "editor/generator.h"
#include "editor/synchronizer.h"
#include "log/frm_log.h"
#include "platform/codepage_qt.h"
#include "support/coloured_log.h"
#include "support/entries.h"
#include "support/temp_dir.h"

namespace vestral {
namespace {

using ::testing::EndsWith;
using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

using testing::entry;

// Valid entries in every table, and two that the checker removes.
DtcDatabase mainDatabase() {
  DtcDatabase db = EmptyDatabase();
  db.P.Entries.push_back(entry("0100", "Mass air flow", "Check the plug"));
  db.P.Entries.push_back(entry("7100", ""));
  db.P.Entries.push_back(entry("0101", "Air flow range"));
  db.C.Entries.push_back(entry("0035", "Wheel speed"));
  db.B.Entries.push_back(entry("9001", "Driver airbag"));
  db.U.Entries.push_back(entry("0100", "Lost ECM"));
  return db;
}

// One text differs in length from the main one (direct mode asks once), one is equal,
// one code is new.
DtcDatabase syncDatabase() {
  DtcDatabase db = EmptyDatabase();
  db.P.Entries.push_back(entry("0100", "Mass or volume air flow"));
  db.P.Entries.push_back(entry("0300", "Misfire"));
  db.C.Entries.push_back(entry("0035", "Wheel speed"));
  return db;
}

void writeDatabase(const std::string& path, const DtcDatabase& db) {
  std::string bytes;
  ASSERT_TRUE(SerializeDatabase(db, bytes).ok());
  WriteBytes(path, bytes);
}

// The operations' files in one folder.
struct Files {
  TempDir dir;
  std::string main = dir.file("vestral.DAT");
  std::string sync = dir.file("other.DAT");
  std::string source = dir.file("codes.txt");
  std::string dest = dir.file("generated.DAT");
  std::string collected = dir.file("collected.txt");

  // Every file as a run starts: the destinations exist, so each operation asks first.
  void prepare() const {
    writeDatabase(main, mainDatabase());
    writeDatabase(sync, syncDatabase());
    WriteBytes(source, "P0100 abc\r\nB0001 driver | airbag\r\nU0100 lost\r\n");
    WriteBytes(dest, "old");
    WriteBytes(collected, "old");
  }
  std::map<std::string, std::string> contents() const {
    std::map<std::string, std::string> all;
    for (const auto& f : std::filesystem::directory_iterator(dir.path()))
      all[f.path().filename().string()] = ReadBytes(f.path().string());
    return all;
  }
};

std::vector<std::string> texts(const std::vector<MessageBox>& boxes) {
  std::vector<std::string> out;
  for (const MessageBox& b : boxes) out.push_back(b.text);
  return out;
}

// Every control of the editor by name, enabled or not.
std::map<QString, bool> enabledStates(FrmBaseEdit& w) {
  std::map<QString, bool> states;
  for (QWidget* c : w.findChildren<QWidget*>())
    if (c->window() == &w && !c->objectName().isEmpty()) states[c->objectName()] = c->isEnabled();
  return states;
}

ScriptedQuestions answering(const std::vector<Button>& answers) {
  ScriptedQuestions q;
  for (Button b : answers) q.push(b);
  return q;
}

struct OperationCase {
  const char* name;
  bool needsRead;  // works on the working database, so only after a Read
  QPushButton* FrmBaseEdit::*button;
  std::vector<Button> answers;
  std::function<void(FrmBaseEdit&, const Files&)> fill;
  // The operation run directly on the same input.
  std::function<void(const Files&, DtcDatabase&, LogSink&, Questions&)> direct;
};

const std::vector<std::string> kList = {"P0100", "C9999", "U0100", "P0100"};

std::vector<OperationCase> operationCases() {
  auto setList = [](FrmBaseEdit& w) {
    for (const std::string& code : kList) w.LST->addItem(QString::fromStdString(code));
  };
  return {
      {"Generate",
       false,
       &FrmBaseEdit::CmdGenerate,
       {Button::Yes},
       [](FrmBaseEdit& w, const Files& f) {
         w.TxtGSrc->setText(FromNativePath(f.source));
         w.TxtDst->setText(FromNativePath(f.dest));
       },
       [](const Files& f, DtcDatabase&, LogSink& log, Questions& q) {
         static_cast<void>(Generate(f.source, f.dest, log, q));
       }},
      {"Check",
       true,
       &FrmBaseEdit::CmdCheck,
       {},
       [](FrmBaseEdit&, const Files&) {},
       [](const Files&, DtcDatabase& working, LogSink& log, Questions&) {
         CheckDatabase(working, log);
       }},
      {"Collect whole",
       true,
       &FrmBaseEdit::CmdCollect,
       {Button::Yes},
       [setList](FrmBaseEdit& w, const Files& f) {
         w.TxtCFile->setText(FromNativePath(f.collected));
         w.ChkALL->setChecked(true);
         setList(w);  // ignored
       },
       [](const Files& f, DtcDatabase& working, LogSink& log, Questions& q) {
         static_cast<void>(Collect(working, f.collected, true, kList, log, q));
       }},
      {"Collect list",
       true,
       &FrmBaseEdit::CmdCollect,
       {Button::Yes},
       [setList](FrmBaseEdit& w, const Files& f) {
         w.TxtCFile->setText(FromNativePath(f.collected));
         setList(w);
       },
       [](const Files& f, DtcDatabase& working, LogSink& log, Questions& q) {
         static_cast<void>(Collect(working, f.collected, false, kList, log, q));
       }},
      {"Sync direct",
       false,
       &FrmBaseEdit::CmdSync,
       {Button::Ok},
       [](FrmBaseEdit& w, const Files& f) {
         w.TxtSyn->setText(FromNativePath(f.sync));
         w.ChkDirect->setChecked(true);
       },
       [](const Files& f, DtcDatabase&, LogSink& log, Questions& q) {
         static_cast<void>(Synchronize(f.main, f.sync, true, log, q));
       }},
      {"Sync alternative",
       false,
       &FrmBaseEdit::CmdSync,
       {},
       [](FrmBaseEdit& w, const Files& f) { w.TxtSyn->setText(FromNativePath(f.sync)); },
       [](const Files& f, DtcDatabase&, LogSink& log, Questions& q) {
         static_cast<void>(Synchronize(f.main, f.sync, false, log, q));
       }},
  };
}

// Each button logs exactly what its operation logs, into a new log window that
// becomes the current one, asks the same questions and leaves the same files; no
// button but Read and Write changes which controls can be used.
TEST(FrmBaseEditOperations, EachButtonRunsItsOperationIntoANewLogWindow) {
  for (const OperationCase& c : operationCases()) {
    for (bool read : {false, true}) {
      if (c.needsRead && !read) continue;
      SCOPED_TRACE(std::string(c.name) + (read ? ", after a Read" : ", before a Read"));
      Files f;
      f.prepare();
      ScriptedQuestions questions = answering(c.answers);
      FrmBaseEdit w(f.main);
      w.setQuestions(&questions);
      if (read) w.CmdMBRead->click();
      c.fill(w, f);
      const FrmLOG* before = w.currentLog();
      const std::map<QString, bool> enabled = enabledStates(w);

      (w.*c.button)->click();

      FrmLOG* log = w.currentLog();
      ASSERT_NE(log, nullptr);
      EXPECT_NE(log, before);
      EXPECT_EQ(log->parentWidget(), &w);
      EXPECT_TRUE(log->isVisible());
      EXPECT_FALSE(log->running());
      EXPECT_FALSE(w.busy());
      EXPECT_EQ(w.isRead(), read);
      EXPECT_EQ(enabledStates(w), enabled);
      const std::vector<LogRun> shown = log->runs();
      const std::vector<MessageBox> asked = questions.asked();
      const std::map<std::string, std::string> after = f.contents();
      const DtcDatabase working = w.workingDatabase();

      f.prepare();
      RecordingSink expected;
      ScriptedQuestions expectedQuestions = answering(c.answers);
      DtcDatabase expectedWorking;
      if (read) {
        ASSERT_TRUE(ReadDatabase(f.main, expectedWorking).ok());
      }
      c.direct(f, expectedWorking, expected, expectedQuestions);
      EXPECT_EQ(shown, testing::MergedRuns(expected.runs()));
      EXPECT_EQ(texts(asked), texts(expectedQuestions.asked()));
      EXPECT_EQ(asked.size(), c.answers.size()) << "every scripted answer was used";
      EXPECT_EQ(after, f.contents());
      EXPECT_EQ(working, expectedWorking);
    }
  }
}

// Collect writes what the working copy holds, and Write stores it: entries the check
// removed are gone from both, though the file still had them until the Write.
TEST(FrmBaseEditOperations, CheckCleansTheWorkingCopyThatCollectAndWriteUse) {
  Files f;
  f.prepare();
  std::filesystem::remove(f.collected);
  ScriptedQuestions questions;
  FrmBaseEdit w(f.main);
  w.setQuestions(&questions);
  w.CmdMBRead->click();
  w.CmdCheck->click();
  w.TxtCFile->setText(FromNativePath(f.collected));
  w.ChkALL->setChecked(true);
  w.CmdCollect->click();
  EXPECT_EQ(ReadBytes(f.collected),
            "C0035 Wheel speed\r\nP0100 Mass air flow | Check the plug\r\n"
            "P0101 Air flow range\r\nU0100 Lost ECM\r\n");
  DtcDatabase file;
  ASSERT_TRUE(ReadDatabase(f.main, file).ok());
  EXPECT_EQ(file, mainDatabase());

  w.CmdMBWrite->click();
  EXPECT_TRUE(questions.asked().empty()) << "nobody else wrote the file";
  ASSERT_TRUE(ReadDatabase(f.main, file).ok());
  DtcDatabase cleaned = mainDatabase();
  RecordingSink ignored;
  CheckDatabase(cleaned, ignored);
  EXPECT_EQ(file, cleaned);
  EXPECT_FALSE(w.isRead());
}

// A synchronization rewrites the file behind the working copy; Write then asks before
// putting the copy read earlier back. Synchronized before the Read, nothing is asked.
TEST(FrmBaseEditOperations, WriteAfterASynchronizationAsksFirst) {
  struct Case {
    const char* name;
    bool syncFirst;
    Button answer;
  };
  for (const Case& c : {Case{"No", false, Button::No}, Case{"Yes", false, Button::Yes},
                        Case{"Sync before the Read", true, Button::No}}) {
    SCOPED_TRACE(c.name);
    Files f;
    f.prepare();
    const std::string original = ReadBytes(f.main);
    ScriptedQuestions questions;
    FrmBaseEdit w(f.main);
    w.setQuestions(&questions);
    w.TxtSyn->setText(FromNativePath(f.sync));
    if (c.syncFirst) w.CmdSync->click();
    w.CmdMBRead->click();
    if (!c.syncFirst) {
      w.CmdSync->click();
      EXPECT_EQ(w.workingDatabase(), mainDatabase()) << "the working copy is not refreshed";
    }
    const std::string merged = ReadBytes(f.main);
    ASSERT_NE(merged, original);
    questions.push(c.answer);
    w.CmdMBWrite->click();

    if (c.syncFirst) {
      EXPECT_TRUE(questions.asked().empty());
      EXPECT_EQ(ReadBytes(f.main), merged);
      EXPECT_FALSE(w.isRead());
      continue;
    }
    ASSERT_EQ(questions.asked().size(), 1u);
    EXPECT_EQ(questions.asked()[0].text, ChangedSinceReadQuestion(f.main).text);
    if (c.answer == Button::No) {
      EXPECT_EQ(ReadBytes(f.main), merged);
      EXPECT_TRUE(w.isRead());
      EXPECT_THAT(w.currentLog()->text(), EndsWith("Cancelled\r\nDone"));
    } else {
      EXPECT_EQ(ReadBytes(f.main).substr(0, original.size()), original);
      EXPECT_FALSE(w.isRead());
    }
  }
}

// A question that runs its own callback while the operation waits for the answer,
// as a user clicking around a message box would.
class InterruptingQuestions : public ScriptedQuestions {
 public:
  std::function<void()> whileAsked;
  Button ask(const MessageBox& box) override {
    if (whileAsked) std::exchange(whileAsked, nullptr)();  // the first question only
    return ScriptedQuestions::ask(box);
  }
};

// The code list is taken when the collection starts: changes made while it waits
// for the overwrite answer belong to the next run.
TEST(FrmBaseEditOperations, CollectUsesTheListAsItStoodWhenItStarted) {
  Files f;
  f.prepare();
  InterruptingQuestions questions;
  FrmBaseEdit w(f.main);
  w.setQuestions(&questions);
  w.CmdMBRead->click();
  w.TxtCFile->setText(FromNativePath(f.collected));
  w.LST->addItem(QStringLiteral("U0100"));
  questions.whileAsked = [&] {
    w.LST->clear();
    w.LST->addItem(QStringLiteral("C0035"));
  };
  questions.push(Button::Yes);
  w.CmdCollect->click();
  EXPECT_EQ(ReadBytes(f.collected), "U0100 Lost ECM\r\n");
  EXPECT_EQ(w.codeList(), std::vector<std::string>{"C0035"});
}

// Check and Collect need a working copy: before the first Read, and again after a
// Write, they start nothing, even when called past their disabled buttons.
TEST(FrmBaseEditOperations, CheckAndCollectWaitForARead) {
  Files f;
  f.prepare();
  std::filesystem::remove(f.collected);
  ScriptedQuestions questions;
  FrmBaseEdit w(f.main);
  w.setQuestions(&questions);
  w.TxtCFile->setText(FromNativePath(f.collected));
  w.ChkALL->setChecked(true);
  for (bool written : {false, true}) {
    SCOPED_TRACE(written ? "after a Write" : "before a Read");
    if (written) {
      w.CmdMBRead->click();
      w.CmdMBWrite->click();
    }
    const FrmLOG* log = w.currentLog();
    w.CmdCheck_Click();
    w.CmdCollect_Click();
    EXPECT_EQ(w.currentLog(), log);
    EXPECT_FALSE(std::filesystem::exists(f.collected));
  }
  DtcDatabase file;
  ASSERT_TRUE(ReadDatabase(f.main, file).ok());
  EXPECT_EQ(file, mainDatabase()) << "nothing was checked away";
}

}  // namespace
}  // namespace vestral
