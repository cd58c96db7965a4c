#include "editor/frm_base_edit.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include <functional>

#include "editor/generator.h"
#include "log/frm_log.h"
#include "platform/codepage_qt.h"
#include "support/entries.h"
#include "support/temp_dir.h"

namespace vestral {
namespace {

using ::testing::HasSubstr;
using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

DtcDatabase databaseWithP(int entries) {
  DtcDatabase db = EmptyDatabase();
  for (int i = 0; i < entries; ++i)
    db.P.Entries.push_back(testing::entry(std::to_string(1000 + i), "entry " + std::to_string(i)));
  return db;
}

void writeDatabase(const std::string& path, const DtcDatabase& db) {
  ASSERT_TRUE(WriteDatabase(path, db).ok());
}

struct Editor {
  TempDir dir;
  std::string path = dir.file("vestral.DAT");
  ScriptedQuestions questions;
  FrmBaseEdit window{path};

  Editor() { window.setQuestions(&questions); }
  std::string logText() { return window.currentLog() ? window.currentLog()->text() : ""; }
};

TEST(FrmBaseEdit, ReadShowsTheNamesAndOpensTheReadState) {
  Editor e;
  ASSERT_TRUE(CreateDatabase(e.path).ok());
  EXPECT_EQ(e.window.FrmM->title(), QString::fromStdString("Main Database [" + e.path + "]"));
  EXPECT_EQ(e.window.currentLog(), nullptr);
  e.window.CmdMBRead_Click();

  EXPECT_EQ(e.window.TxtB->text(), QStringLiteral("body"));
  EXPECT_EQ(e.window.TxtC->text(), QStringLiteral("chassis"));
  EXPECT_EQ(e.window.TxtP->text(), QStringLiteral("powertrain"));
  EXPECT_EQ(e.window.TxtU->text(), QStringLiteral("network communications systems"));
  EXPECT_TRUE(e.window.isRead());
  EXPECT_FALSE(e.window.CmdMBRead->isEnabled());
  for (QWidget* w : std::initializer_list<QWidget*>{
           e.window.CmdMBWrite, e.window.CmdCheck, e.window.TxtB, e.window.TxtC, e.window.TxtP,
           e.window.TxtU, e.window.CmdAdd, e.window.CmdRemove, e.window.CmdCollect})
    EXPECT_TRUE(w->isEnabled()) << w->objectName().toStdString();
  FrmLOG* log = e.window.currentLog();
  ASSERT_NE(log, nullptr);
  EXPECT_EQ(log->parentWidget(), &e.window);
  EXPECT_TRUE(log->isVisible());
  EXPECT_FALSE(log->running());
  EXPECT_THAT(e.logText(), HasSubstr("Open main database\r\n"));
  EXPECT_EQ(e.window.workingDatabase(), EmptyDatabase());
}

TEST(FrmBaseEdit, WriteStoresEditedNamesAndReusesTheLogWindow) {
  Editor e;
  writeDatabase(e.path, databaseWithP(12));
  e.window.CmdMBRead_Click();
  FrmLOG* readLog = e.window.currentLog();
  EXPECT_THAT(e.logText(), HasSubstr("P - base positions 12\r\n"));

  e.window.TxtB->clear();
  e.window.TxtP->setText(QString::fromUtf8("Двигатель"));
  e.window.TxtU->setText(QStringLiteral("net"));
  e.window.CmdMBWrite_Click();

  EXPECT_EQ(e.window.currentLog(), readLog) << "Write logs into the current window";
  EXPECT_THAT(e.logText(), HasSubstr("DoneLOG v. 1.0\r\nWrite main database\r\n"));
  EXPECT_FALSE(e.window.isRead());
  EXPECT_TRUE(e.window.CmdMBRead->isEnabled());
  EXPECT_FALSE(e.window.CmdMBWrite->isEnabled());
  EXPECT_FALSE(e.window.TxtP->isEnabled());

  DtcDatabase back;
  ASSERT_TRUE(ReadDatabase(e.path, back).ok());
  EXPECT_EQ(back.B.Name, "");
  EXPECT_EQ(back.P.Name, "\xC4\xE2\xE8\xE3\xE0\xF2\xE5\xEB\xFC");
  EXPECT_EQ(back.U.Name, "net");
  EXPECT_EQ(back.P.Entries, databaseWithP(12).P.Entries);

  // The next Read shows what was written.
  e.window.CmdMBRead_Click();
  EXPECT_EQ(e.window.TxtB->text(), QString());
  EXPECT_EQ(e.window.TxtP->text(), QString::fromUtf8("Двигатель"));
}

TEST(FrmBaseEdit, ANameTheCodePageCannotShowIsKeptWhenLeftAlone) {
  Editor e;
  DtcDatabase db = EmptyDatabase();
  db.C.Name = "odd \x98 byte";  // a byte without a character in code page 1251
  writeDatabase(e.path, db);
  e.window.CmdMBRead_Click();
  e.window.TxtU->setText(QStringLiteral("U"));
  e.window.CmdMBWrite_Click();
  DtcDatabase back;
  ASSERT_TRUE(ReadDatabase(e.path, back).ok());
  EXPECT_EQ(back.C.Name, "odd \x98 byte");
  EXPECT_EQ(back.U.Name, "U");
}

// What Read logs for each kind of bad file is its own test and the bad-input suite's.
TEST(FrmBaseEdit, ADamagedOrMissingFileLeavesTheEditorUnread) {
  for (bool missing : {false, true}) {
    SCOPED_TRACE(missing ? "missing" : "damaged");
    Editor e;
    if (!missing) WriteBytes(e.path, "not a database");
    e.window.CmdMBRead_Click();
    EXPECT_FALSE(e.window.isRead());
    EXPECT_TRUE(e.window.CmdMBRead->isEnabled());
    EXPECT_FALSE(e.window.CmdMBWrite->isEnabled());
    EXPECT_TRUE(e.window.TxtB->text().isEmpty());
    ASSERT_NE(e.window.currentLog(), nullptr);
    EXPECT_THAT(e.logText(), HasSubstr(e.path));
    EXPECT_FALSE(e.window.currentLog()->running());
  }
}

// A question box runs its own event loop, as does the log: while an operation waits
// there, the user can click anything. Nothing else may start meanwhile.
class ReenteringQuestions : public Questions {
 public:
  std::function<void()> whileAsked;
  int asked = 0;
  Button ask(const MessageBox&) override {
    // Only the outer question acts: a nested Write that got through asks again.
    if (asked++ == 0) whileAsked();
    return Button::No;
  }
};

TEST(FrmBaseEdit, NoOperationStartsWhileAnotherRuns) {
  Editor e;
  writeDatabase(e.path, databaseWithP(2));
  e.window.CmdMBRead_Click();
  writeDatabase(e.path, databaseWithP(5));
  FrmLOG* log = e.window.currentLog();

  ReenteringQuestions questions;
  bool checked = false;
  questions.whileAsked = [&] {
    EXPECT_TRUE(e.window.busy());
    EXPECT_TRUE(log->running());
    e.window.CmdMBWrite_Click();
    e.window.CmdMBRead_Click();
    e.window.CmdCheck_Click();
    e.window.CmdCollect_Click();
    e.window.CmdSync_Click();
    e.window.CmdGenerate_Click();
    EXPECT_EQ(e.window.currentLog(), log) << "no operation opened a log";
    EXPECT_FALSE(e.window.close()) << "the editor stays while its operation runs";
    EXPECT_FALSE(log->close()) << "the log stays while its run is open";
    checked = true;
  };
  e.window.setQuestions(&questions);
  e.window.CmdMBWrite_Click();

  ASSERT_TRUE(checked);
  EXPECT_EQ(questions.asked, 1);
  EXPECT_FALSE(e.window.busy());
  EXPECT_TRUE(e.window.isRead());
  EXPECT_TRUE(e.window.CmdMBWrite->isEnabled());
  EXPECT_TRUE(e.window.CmdMBRead->isEnabled()) << "the changed file can be read again";
  // One Write, declined: its header appears once.
  const std::string text = e.logText();
  EXPECT_EQ(text.find("Write main database"), text.rfind("Write main database"));
  EXPECT_THAT(text, ::testing::EndsWith("Cancelled\r\nDone"));
  EXPECT_TRUE(e.window.close());
}

TEST(FrmBaseEdit, TableNamesRefuseTextTheFileCannotHold) {
  FrmBaseEdit w(std::string("/opt/vestral/vestral.DAT"));
  const QValidator* validator = w.TxtP->validator();
  ASSERT_NE(validator, nullptr);
  struct Case {
    QString text;
    QValidator::State state;
  };
  const std::vector<Case> cases = {
      {QString::fromUtf8("日本"), QValidator::Invalid},
      {QString::fromUtf8("Кузов € №"), QValidator::Acceptable},
      {QString(65535, QLatin1Char('x')), QValidator::Acceptable},
  };
  for (const Case& c : cases) {
    QString text = c.text;
    int pos = 0;
    EXPECT_EQ(validator->validate(text, pos), c.state) << c.text.toStdString();
  }
  for (QLineEdit* box : {w.TxtP, w.TxtC, w.TxtB, w.TxtU}) {
    EXPECT_NE(box->validator(), nullptr);
    EXPECT_EQ(box->maxLength(), 65535) << "no name of a database is cut";
  }
}

TEST(FrmBaseEdit, TheCodeBoxTakesOnlyTableLettersAndDigits) {
  FrmBaseEdit w(std::string("/opt/vestral/vestral.DAT"));
  w.show();
  QApplication::setActiveWindow(&w);
  w.TxtCode->setFocus();
  ASSERT_EQ(QApplication::focusWidget(), w.TxtCode);
  // Which keys pass is the collector's filter, tested with it; here the wiring.
  QTest::keyClicks(w.TxtCode, QStringLiteral("u12x .34x5"));
  EXPECT_EQ(w.TxtCode->text(), QStringLiteral("U1234"));
  // Backspace still edits; Enter is swallowed.
  w.TxtCode->clear();
  QTest::keyClicks(w.TxtCode, QStringLiteral("p01"));
  QTest::keyClick(w.TxtCode, Qt::Key_Backspace);
  QTest::keyClick(w.TxtCode, Qt::Key_Return);
  EXPECT_EQ(w.TxtCode->text(), QStringLiteral("P0"));
  // Pasted text obeys the same rule.
  w.TxtCode->clear();
  w.TxtCode->insert(QStringLiteral("x0100"));
  EXPECT_EQ(w.TxtCode->text(), QString());
}

TEST(FrmBaseEdit, AddAndRemoveWorkTheCodeListInTheReadState) {
  Editor e;
  ASSERT_TRUE(CreateDatabase(e.path).ok());
  FrmBaseEdit& w = e.window;
  EXPECT_FALSE(w.CmdAdd->isEnabled());
  EXPECT_FALSE(w.CmdRemove->isEnabled());
  w.CmdMBRead_Click();

  w.TxtCode->setText(QStringLiteral("P010"));
  w.CmdAdd_Click();
  EXPECT_EQ(w.LST->count(), 0) << "four characters add nothing";
  EXPECT_EQ(w.TxtCode->text(), QStringLiteral("P010"));
  for (const char* code : {"P0100", "U0001", "P0100"}) {
    w.TxtCode->setText(QString::fromLatin1(code));
    w.CmdAdd_Click();
    EXPECT_TRUE(w.TxtCode->text().isEmpty());
  }
  EXPECT_EQ(w.codeList(), (std::vector<std::string>{"P0100", "U0001", "P0100"}));

  w.CmdRemove_Click();
  EXPECT_EQ(w.LST->count(), 3) << "nothing selected, nothing removed";
  w.LST->setCurrentRow(1);
  w.CmdRemove_Click();
  EXPECT_EQ(w.codeList(), (std::vector<std::string>{"P0100", "P0100"}));
  w.CmdRemove_Click();
  EXPECT_EQ(w.LST->count(), 2) << "the removal leaves nothing selected";

  // After a Write the buttons are off again; the box still takes typing.
  w.CmdMBWrite_Click();
  EXPECT_FALSE(w.CmdAdd->isEnabled());
  EXPECT_FALSE(w.CmdRemove->isEnabled());
  EXPECT_TRUE(w.TxtCode->isEnabled());
  EXPECT_TRUE(w.LST->isEnabled());
}

TEST(FrmBaseEdit, EachReadOpensANewLogAndClosedOnesAreReleased) {
  Editor e;
  ASSERT_TRUE(CreateDatabase(e.path).ok());
  e.window.CmdMBRead_Click();
  QPointer<FrmLOG> first = e.window.currentLog();
  e.window.CmdMBWrite_Click();
  ASSERT_TRUE(first->close());
  e.window.CmdMBRead_Click();
  QPointer<FrmLOG> second = e.window.currentLog();
  EXPECT_NE(second, first);
  // Write reopens the closed window empty.
  ASSERT_TRUE(second->close());
  e.window.CmdMBWrite_Click();
  EXPECT_EQ(e.window.currentLog(), second);
  EXPECT_TRUE(second->isVisible());
  EXPECT_THAT(second->text(), ::testing::StartsWith("LOG v. 1.0\r\nWrite main database\r\n"));
  QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(first.isNull()) << "a log the user closed is not kept";

  // A log still on screen lives until the user closes it.
  e.window.CmdMBRead_Click();
  ASSERT_TRUE(second->isVisible());
  ASSERT_TRUE(second->close());
  QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(second.isNull());
}

}  // namespace
}  // namespace vestral
