#include "editor/frm_base_edit.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include <filesystem>
#include <functional>
#include <memory>
#include <tuple>

#include "editor/checker.h"
#include "editor/collector.h"
#include "editor/generator.h"
#include "editor/synchronizer.h"
#include "platform/codepage_qt.h"
#include "support/coloured_log.h"
#include "support/entries.h"
#include "support/temp_dir.h"

namespace vestral {
namespace {

using testing::entry;
using testing::ReadBytes;
using testing::WriteBytes;

// Valid entries in every table and two that the checker removes; the other database
// differs in one text (direct mode asks once), has one equal and one new code.
DtcDatabase database(bool other) {
  DtcDatabase db = EmptyDatabase();
  db.P.Entries = {{},
                  entry("0100", other ? "Air flow" : "Mass air flow", "Plug"),
                  entry(other ? "0300" : "7100", ""),
                  entry("0101", "Range")};
  db.C.Entries.push_back(entry("0035", "Wheel speed"));
  if (other) return db;
  db.B.Entries.push_back(entry("9001", "Driver airbag"));
  db.U.Entries.push_back(entry("0100", "Lost ECM"));
  return db;
}

const std::vector<std::string> kList = {"P0100", "C9999", "U0100", "P0100"};
// What a Read enables, and Write disables again.
const QString kUnread =
    "TxtP TxtC TxtB TxtU CmdMBWrite CmdCheck CmdEntries CmdAdd CmdRemove CmdCollect";

// An editor on files as each run starts; the destinations exist, so each operation asks.
class FrmBaseEditTest : public ::testing::Test {
 protected:
  void SetUp() override { reopen({}); }
  void reopen(const std::vector<Button>& answers) {
    for (const auto& f : std::filesystem::directory_iterator(dir.path()))
      std::filesystem::remove(f.path());
    ASSERT_TRUE(WriteDatabase(main, database(false)).ok());
    ASSERT_TRUE(WriteDatabase(sync, database(true)).ok());
    WriteBytes(source, "P0100 abc\r\nB0001 driver | airbag\r\nU0100 lost\r\n");
    for (const std::string& file : {dest, collected}) WriteBytes(file, "old");
    questions = ScriptedQuestions();
    for (Button b : answers) questions.push(b);
    w = std::make_unique<FrmBaseEdit>(main);
    w->setQuestions(&questions);
    set("TxtGSrc", FromNativePath(source));
    set("TxtDst", FromNativePath(dest));
    set("TxtCFile", FromNativePath(collected));
    set("TxtSyn", FromNativePath(sync));
  }
  void direct(const std::string& button, bool read, bool ticked, DtcDatabase& db, LogSink& log) {
    FileStamp stamp;
    RecordingSink ignored;
    if (read) ReadMainDatabase(main, db, stamp, ignored);
    if (button == "CmdMBRead") ReadMainDatabase(main, db, stamp, log);
    if (button == "CmdGenerate") (void)Generate(source, dest, log, questions);
    if (button == "CmdCheck") CheckDatabase(db, log);
    if (button == "CmdCollect") (void)Collect(db, collected, ticked, kList, log, questions);
    if (button == "CmdSync") (void)Synchronize(main, sync, ticked, log, questions);
  }

  template <typename W = QLineEdit>
  W* find(const char* name) {
    return w->findChild<W*>(QLatin1String(name));
  }
  void click(const char* name) { find<QPushButton>(name)->click(); }
  void set(const char* box, const QString& text) { find(box)->setText(text); }
  QString disabled() {
    QStringList names;
    for (QWidget* c : w->findChildren<QWidget*>())
      if (c->window() == w.get() && !c->isEnabled()) names << c->objectName();
    return names.join(' ');
  }
  testing::TempDir dir;
  std::string main = dir.file("vestral.DAT"), sync = dir.file("other.DAT"),
              source = dir.file("codes.txt"), dest = dir.file("generated.DAT"),
              collected = dir.file("collected.txt");
  ScriptedQuestions questions;
  std::unique_ptr<FrmBaseEdit> w;
};

// The red reminder ends with the bar's line and shows every line above the source box,
// and the generator's frame stays inside the window.
TEST_F(FrmBaseEditTest, TheFormatReminderShowsWholeAboveTheSourceBox) {
  const QLabel* reminder = find<QLabel>("Label1_5");
  EXPECT_TRUE(reminder->text().endsWith(
      QString::fromUtf8("\nи после описания, если нужно: |_ и второй текст")));
  EXPECT_LE(reminder->sizeHint().height(), reminder->height()) << "a line is cut off";
  EXPECT_LE(reminder->geometry().bottom(), find("TxtGSrc")->geometry().top());
  EXPECT_LE(find<QWidget>("Frame2")->geometry().bottom(), w->height());
}

// Write logs into the latest operation's log and stores the working copy as Check
// left it, with the names as edited; declined, it keeps the read state.
TEST_F(FrmBaseEditTest, WriteStoresTheCheckedCopyWithTheEditedNames) {
  EXPECT_EQ(find<QWidget>("FrmM")->property("title"),
            QString::fromStdString("Main Database [" + main + "]"));
  WriteBytes(main, "damaged");
  click("CmdMBRead");
  EXPECT_EQ(disabled(), kUnread);
  EXPECT_EQ(find("TxtP")->grab().toImage().pixelColor(9, 9), QColor(Qt::white)) << "disabled";
  reopen({});
  click("CmdMBRead");
  QPointer<FrmLOG> readLog = w->currentLog();
  click("CmdCheck");
  const FrmLOG* checkLog = w->currentLog();
  QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  ASSERT_TRUE(readLog && readLog->close()) << "a log on screen stays until the user closes it";
  QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(readLog.isNull());
  for (const char* name : {"TxtB", "TxtC", "TxtP", "TxtU"})
    EXPECT_EQ(find(name)->maxLength(), 65535) << name;
  set("TxtB", "");
  set("TxtP", QString::fromUtf8("Двигатель"));
  find("TxtP")->insert(QString::fromUtf8("日"));  // no place for it in the file
  click("CmdMBWrite");
  EXPECT_EQ(w->currentLog(), checkLog);
  EXPECT_EQ(disabled(), kUnread);
  DtcDatabase back;
  ASSERT_TRUE(ReadDatabase(main, back).ok());
  EXPECT_EQ(back.B.Name + "|" + back.C.Name + "|" + back.P.Name,
            "|chassis|\xC4\xE2\xE8\xE3\xE0\xF2\xE5\xEB\xFC");
  EXPECT_EQ(back.P.upperBound() + back.B.upperBound(), 2) << "as checked";

  click("CmdMBRead");
  ASSERT_TRUE(WriteDatabase(main, database(true)).ok());
  questions.push(Button::No);
  click("CmdMBWrite");
  EXPECT_EQ(disabled(), "") << "declined: Read, and still all a read copy serves";
  EXPECT_EQ(find("TxtP")->text(), QString::fromUtf8("Двигатель"));
}

// While a question waits the list may change, but no other operation starts and the editor
// stays open. The code box takes whole codes only, typed or pasted.
class InterruptingQuestions : public ScriptedQuestions {
 public:
  std::function<void()> whileAsked;
  Button ask(const MessageBox& box) override {
    if (whileAsked) std::exchange(whileAsked, nullptr)();
    return ScriptedQuestions::ask(box);
  }
};

TEST_F(FrmBaseEditTest, WhileAnOperationWaitsNothingElseStartsAndItsInputsStand) {
  InterruptingQuestions interrupting;
  w->setQuestions(&interrupting);
  click("CmdMBRead");
  QLineEdit* code = find("TxtCode");
  QTest::keyClicks(code, "u0x1 .00\b");
  click("CmdAdd");
  code->insert("x");
  QTest::keyClicks(code, "0");
  EXPECT_EQ(code->text(), "U0100");
  click("CmdAdd");
  click("CmdRemove");
  interrupting.whileAsked = [&] {
    FrmLOG* log = w->currentLog();
    set("TxtCode", "C0035");
    click("CmdAdd");
    find<QListWidget>("LST")->setCurrentRow(0);
    click("CmdRemove");
    click("CmdRemove");
    for (const char* name : {"CmdMBWrite", "CmdCheck", "CmdCollect", "CmdSync", "CmdGenerate"})
      click(name);
    EXPECT_EQ(w->currentLog(), log);
    EXPECT_FALSE(w->close());
  };
  interrupting.push(Button::Yes);
  click("CmdCollect");
  EXPECT_EQ(ReadBytes(collected), "U0100 Lost ECM\r\n");
  const QListWidget* list = find<QListWidget>("LST");
  EXPECT_TRUE(list->count() == 1 && list->item(0)->text() == "C0035");
  EXPECT_EQ(code->text(), "");
  EXPECT_EQ(disabled(), "CmdMBRead") << "no Write ran";
}

// Each button does exactly what its operation does on the same input, logging into a new log;
// only Read (and Write) change which controls can be used.
TEST_F(FrmBaseEditTest, EachButtonRunsItsOperationOnWhatTheWindowHolds) {
  const struct {
    std::string button;
    bool read = false, ticked = false;  // Read first
    std::vector<Button> answers = {};
  } cases[] = {// clang-format off
      {.button = "CmdMBRead"}, {.button = "CmdGenerate", .answers = {Button::Yes}},
      {.button = "CmdCheck", .read = true}, {.button = "CmdCollect", .read = true, .ticked = true, .answers = {Button::Yes}},
      {.button = "CmdCollect", .read = true}, {.button = "CmdSync", .ticked = true, .answers = {Button::Ok}},
      {.button = "CmdSync", .read = true}};
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.button + (c.ticked ? " ticked" : "") + (c.read ? " read" : ""));
    reopen(c.answers);
    if (c.read) click("CmdMBRead");
    find<QCheckBox>(c.button == "CmdCollect" ? "ChkALL" : "ChkDirect")->setChecked(c.ticked);
    for (const std::string& code : kList) find<QListWidget>("LST")->addItem(code.c_str());
    const FrmLOG* before = w->currentLog();
    click(c.button.c_str());
    ASSERT_NE(w->currentLog(), before);
    EXPECT_EQ(w->currentLog()->parentWidget(), w.get());
    EXPECT_EQ(disabled(), c.read || c.button == "CmdMBRead" ? "CmdMBRead" : kUnread);
    const std::vector<LogRun> shown = w->currentLog()->runs();
    const auto after = std::tuple(dir.files(), questions.asked().size(), w->workingDatabase());

    reopen(c.answers);
    RecordingSink expected;
    DtcDatabase expectedWorking;
    direct(c.button, c.read, c.ticked, expectedWorking, expected);
    EXPECT_EQ(shown, testing::MergedRuns(expected.runs()));
    EXPECT_EQ(after, std::tuple(dir.files(), questions.asked().size(), expectedWorking));
  }
}

}  // namespace
}  // namespace vestral
