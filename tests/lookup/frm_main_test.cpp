#include "lookup/frm_main.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTextEdit>
#include <QTimer>

#include <filesystem>

#include "lookup/editor_gate.h"
#include "lookup/lookup.h"
#include "platform/codepage_qt.h"
#include "support/entries.h"
#include "support/temp_dir.h"

namespace vestral {
namespace {

using ::testing::HasSubstr;
using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

const QString kHint = QString::fromUtf8("Ctrl Alt Esc - редактор");
const QString kAbsent = QString::fromUtf8("Ошибка отсутствует в базе данных");
const QColor kIdle(255, 255, 128), kIncomplete(255, 128, 128), kComplete(128, 255, 128),
    kNotFound(255, 0, 0);

std::string cp1251(const char* utf8) { return ToCp1251Lossy(QString::fromUtf8(utf8)); }

using testing::entry;

QColor back(const QWidget* w) { return w->palette().color(QPalette::Base); }

class FrmMainTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DtcDatabase db = EmptyDatabase();
    db.P.Name = cp1251("Силовая установка");
    db.P.Entries.push_back(entry("0100", cp1251("Цепь датчика массового расхода воздуха"),
                                 cp1251("Проверьте разъём датчика\r\nи проводку")));
    db.B.Entries.push_back(entry("0100", "body one"));
    ASSERT_TRUE(WriteDatabase(dbPath, db).ok());
  }

  std::unique_ptr<FrmMain> open() {
    auto w = std::make_unique<FrmMain>(dbPath, iniPath, &questions);
    w->setShowEditor([this] {
      ++editorsShown;
      editor = std::make_unique<QWidget>();
      editor->show();
    });
    w->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    return w;
  }

  // Gives `w` the keyboard focus the way Tab would.
  static void focus(QWidget* w, Qt::FocusReason reason = Qt::TabFocusReason) {
    QApplication::setActiveWindow(w->window());
    w->setFocus(reason);
    EXPECT_TRUE(QTest::qWaitFor([w] { return QApplication::focusWidget() == w; }));
  }

  // Types each character as a key press; QTest's own typing knows only ASCII.
  static void type(QLineEdit* box, const QString& keys) {
    box->clear();
    focus(box);
    for (QChar ch : keys) {
      if (ch.unicode() < 128) {
        QTest::keyClick(box, ch.toLatin1());
        continue;
      }
      QKeyEvent press(QEvent::KeyPress, ch.toUpper().unicode(), Qt::NoModifier, QString(ch));
      QKeyEvent release(QEvent::KeyRelease, ch.toUpper().unicode(), Qt::NoModifier, QString(ch));
      QApplication::sendEvent(box, &press);
      QApplication::sendEvent(box, &release);
    }
  }

  TempDir dir;
  std::string dbPath = dir.file("vestral.DAT");
  std::string iniPath = dir.file("vestral.ini");
  ScriptedQuestions questions;
  int editorsShown = 0;
  std::unique_ptr<QWidget> editor;
};

TEST_F(FrmMainTest, StartsWithItsPlaceholdersAndTheHint) {
  auto w = open();
  EXPECT_EQ(w->Txt4->text(), "0000");
  EXPECT_EQ(w->Txt5->text(), "00000");
  for (QLabel* l : {w->LblCode, w->LblBDesc, w->LblItem}) EXPECT_EQ(l->text(), "00000");
  EXPECT_EQ(w->TxtUSR->toPlainText(), kHint + "\n");
  EXPECT_EQ(back(w->Txt4), kIdle);
  EXPECT_EQ(back(w->Txt5), kIdle);
  EXPECT_TRUE(w->TS->isActive());
  EXPECT_TRUE(questions.asked().empty());
}

TEST_F(FrmMainTest, HexCodeIsConvertedAndLookedUp) {
  auto w = open();
  type(w->Txt4, "0100");
  EXPECT_EQ(w->Txt4->text(), "0100");
  EXPECT_EQ(w->Txt5->text(), "P0100");
  EXPECT_EQ(back(w->Txt4), kComplete);
  EXPECT_EQ(back(w->Txt5), kComplete);
  EXPECT_EQ(w->LblCode->text(), "0100");
  EXPECT_EQ(w->LblItem->text(), QString::fromUtf8("Цепь датчика массового расхода воздуха"));
  EXPECT_EQ(w->LblBDesc->text(), QString::fromUtf8("Силовая установка"));
  EXPECT_EQ(w->TxtUSR->toPlainText(), QString::fromUtf8("Проверьте разъём датчика\nи проводку"));

  // The next code replaces all of it, the empty second text included.
  type(w->Txt4, "8100");
  EXPECT_EQ(w->Txt5->text(), "B0100");
  EXPECT_EQ(w->LblItem->text(), "body one");
  EXPECT_EQ(w->LblBDesc->text(), "body");
  EXPECT_EQ(w->TxtUSR->toPlainText(), "");
}

TEST_F(FrmMainTest, AbsentCodeClearsTheLabelsAndTurnsBothBoxesRed) {
  auto w = open();
  type(w->Txt4, "0101");
  EXPECT_EQ(w->Txt5->text(), "P0101");
  EXPECT_EQ(w->LblCode->text(), "");
  EXPECT_EQ(w->LblItem->text(), "");
  EXPECT_EQ(w->LblBDesc->text(), kAbsent);
  EXPECT_EQ(w->TxtUSR->toPlainText(), "");
  EXPECT_EQ(back(w->Txt4), kNotFound);
  EXPECT_EQ(back(w->Txt5), kNotFound);

  // Found again from the hex box: both light green.
  type(w->Txt4, "0100");
  EXPECT_EQ(back(w->Txt4), kComplete);
  EXPECT_EQ(back(w->Txt5), kComplete);

  // Found from the letter box: only that box turns green.
  type(w->Txt4, "0101");
  type(w->Txt5, "P0100");
  EXPECT_EQ(back(w->Txt5), kComplete);
  EXPECT_EQ(back(w->Txt4), kNotFound);
  EXPECT_EQ(w->Txt4->text(), "0101") << "the letter box never changes the hex box";
  EXPECT_EQ(w->LblCode->text(), "0100");
}

TEST_F(FrmMainTest, IncompleteCodeKeepsTheLastResult) {
  auto w = open();
  type(w->Txt4, "0100");
  QTest::keyClick(w->Txt4, Qt::Key_Backspace);
  EXPECT_EQ(w->Txt4->text(), "010");
  EXPECT_EQ(back(w->Txt4), kIncomplete);
  EXPECT_EQ(w->Txt5->text(), "");
  EXPECT_EQ(back(w->Txt5), kIncomplete);
  EXPECT_EQ(w->LblCode->text(), "0100");
  EXPECT_EQ(w->LblBDesc->text(), QString::fromUtf8("Силовая установка"));

  // Delete is no character: it works as usual.
  QTest::keyClick(w->Txt4, Qt::Key_Home);
  QTest::keyClick(w->Txt4, Qt::Key_Delete);
  EXPECT_EQ(w->Txt4->text(), "10");

  type(w->Txt5, "P01");
  EXPECT_EQ(back(w->Txt5), kIncomplete);
  EXPECT_EQ(w->LblCode->text(), "0100");
}

TEST_F(FrmMainTest, KeyFiltersPassOnlyTheirCharacters) {
  auto w = open();
  struct Case {
    QLineEdit* box;
    QString typed;
    QString shown;
  } cases[] = {
      {w->Txt4, QString::fromUtf8("0a8!ф"), "0A8"},
      {w->Txt4, "cdef12", "CDEF"},
      {w->Txt5, QString::fromUtf8("adР\tc 1"), "C 1"},
  };
  for (const Case& c : cases) {
    type(c.box, c.typed);
    EXPECT_EQ(c.box->text(), c.shown) << c.typed.toStdString();
  }
}

TEST_F(FrmMainTest, CtrlShortcutsAreDiscardedButOtherPastesPass) {
  auto w = open();
  QApplication::clipboard()->setText("0100");
  // Ctrl with a letter of the box's own set must not type that letter either.
  w->Txt4->clear();
  focus(w->Txt4);
  for (Qt::Key k : {Qt::Key_V, Qt::Key_C, Qt::Key_A, Qt::Key_B, Qt::Key_1})
    QTest::keyClick(w->Txt4, k, Qt::ControlModifier);
  // As most systems deliver Ctrl+V: the control character.
  QKeyEvent ctrlV(QEvent::KeyPress, Qt::Key_V, Qt::ControlModifier, QString(QChar(0x16)));
  QApplication::sendEvent(w->Txt4, &ctrlV);
  EXPECT_EQ(w->Txt4->text(), "");

  w->Txt5->setText("B0100");
  focus(w->Txt5);
  for (Qt::Key k : {Qt::Key_A, Qt::Key_X, Qt::Key_P, Qt::Key_Backspace})
    QTest::keyClick(w->Txt5, k, Qt::ControlModifier);
  EXPECT_EQ(w->Txt5->text(), "B0100");
  EXPECT_EQ(QApplication::clipboard()->text(), "0100");

  // A paste from the context menu is not typed: it goes through the change rules.
  w->Txt4->clear();
  w->Txt4->paste();
  EXPECT_EQ(w->Txt4->text(), "0100");
  EXPECT_EQ(w->Txt5->text(), "P0100");
  EXPECT_EQ(w->LblCode->text(), "0100");

  QApplication::clipboard()->setText("zz");
  w->Txt4->clear();
  w->Txt4->paste();
  EXPECT_EQ(w->Txt4->text(), "zz");
  EXPECT_EQ(back(w->Txt4), kIncomplete);
}

TEST_F(FrmMainTest, FocusSelectsTheCode) {
  auto w = open();
  focus(w->Txt5);
  EXPECT_EQ(w->Txt5->selectedText(), "00000");
  focus(w->Txt4, Qt::OtherFocusReason);
  EXPECT_EQ(w->Txt4->selectedText(), "0000");
  focus(w->TxtUSR);
  EXPECT_EQ(w->TxtUSR->textCursor().selectedText(), kHint + QChar(QChar::ParagraphSeparator));

  // After a click the whole code is still selected, so typing replaces it.
  focus(w->TxtUSR);
  QTest::mouseClick(w->Txt5, Qt::LeftButton, {}, QPoint(10, 25));
  EXPECT_TRUE(QTest::qWaitFor([&] { return w->Txt5->selectedText() == "00000"; }));
  QTest::keyClicks(w->Txt5, "b0100");
  EXPECT_EQ(w->Txt5->text(), "B0100");
  EXPECT_EQ(w->LblItem->text(), "body one");
}

TEST_F(FrmMainTest, HintGoesAfterTwoSecondsUnlessALookupReplacedIt) {
  auto w = open();
  w->TS_Timer();
  EXPECT_FALSE(w->TS->isActive()) << "fires once";
  EXPECT_EQ(w->TxtUSR->toPlainText(), "");

  auto found = open();
  type(found->Txt4, "0100");
  found->TS_Timer();
  EXPECT_EQ(found->TxtUSR->toPlainText(),
            QString::fromUtf8("Проверьте разъём датчика\nи проводку"));

  // The running timer is wired to the handler.
  auto timed = open();
  timed->TS->setInterval(1);
  EXPECT_TRUE(QTest::qWaitFor([&] { return !timed->TS->isActive(); }));
  EXPECT_EQ(timed->TxtUSR->toPlainText(), "");
}

TEST_F(FrmMainTest, DamagedDatabaseIsReportedOnceAndLeftAsItWas) {
  const std::string damaged = ReadBytes(dbPath).substr(0, 60);
  WriteBytes(dbPath, damaged);
  auto w = open();
  ASSERT_EQ(questions.asked().size(), 1u);
  const MessageBox& box = questions.asked()[0];
  EXPECT_THAT(box.text, HasSubstr(dbPath));
  EXPECT_THAT(box.text, HasSubstr("is not a valid database"));

  type(w->Txt4, "0100");
  EXPECT_EQ(w->LblBDesc->text(), kAbsent);
  type(w->Txt4, "8100");
  EXPECT_EQ(questions.asked().size(), 1u) << "said once";
  w->close();
  EXPECT_EQ(ReadBytes(dbPath), damaged);
}

TEST_F(FrmMainTest, MissingDatabaseIsCreatedEmpty) {
  std::filesystem::remove(dbPath);
  auto w = open();
  EXPECT_TRUE(questions.asked().empty());
  EXPECT_EQ(ToDatabase(w->database()), EmptyDatabase());
  EXPECT_EQ(ReadBytes(dbPath).size(), 131u);
  type(w->Txt4, "0100");
  EXPECT_EQ(w->LblBDesc->text(), kAbsent);
}

struct GateCase {
  const char* name;
  const char* ini;  // nullptr: no file
  std::vector<Button> answers;
  bool opens;
  const char* status;  // LblItem afterwards
};

TEST_F(FrmMainTest, CtrlAltEscRunsTheGateWhicheverBoxHasTheFocus) {
  const GateCase cases[] = {
      {"ENABLED", "[Main]\r\nEditor=ENABLED\r\n", {}, true, "00000"},
      {"QUERY, Yes", "[Main]\nEditor=QUERY\n", {Button::Yes}, true, kEditorShowed},
      {"QUERY, No", "[Main]\nEditor=QUERY\n", {Button::No}, false, kEditorAborted},
      {"no file", nullptr, {}, false, kEditorLocked},
  };
  for (const GateCase& c : cases) {
    // Which settings open is the gate's own test; here one of each outcome, each
    // status shown, and the first setting proves every box.
    const std::vector<const char*> targets =
        &c == cases ? std::vector<const char*>{"Txt4", "Txt5", "TxtUSR", "FrmMain"}
                    : std::vector<const char*>{"Txt5"};
    for (const char* target : targets) {
      SCOPED_TRACE(std::string(c.name) + " with the focus on " + target);
      std::filesystem::remove(iniPath);
      if (c.ini) WriteBytes(iniPath, c.ini);
      questions = ScriptedQuestions();
      for (Button b : c.answers) questions.push(b);
      editorsShown = 0;
      editor.reset();

      auto w = open();
      QWidget* focused = target == std::string("FrmMain") ? static_cast<QWidget*>(w.get())
                                                          : w->findChild<QWidget*>(target);
      focus(focused);
      QTest::keyClick(focused, Qt::Key_Escape, Qt::ControlModifier | Qt::AltModifier);

      EXPECT_EQ(editorsShown, c.opens ? 1 : 0);
      EXPECT_EQ(w->isVisible(), !c.opens);
      EXPECT_EQ(w->LblItem->text(), c.status);
      EXPECT_EQ(questions.asked().size(), c.answers.size());
      EXPECT_EQ(editor && editor->isVisible(), c.opens);
      // The key reached no box.
      EXPECT_EQ(w->Txt4->text(), "0000");
      EXPECT_EQ(w->Txt5->text(), "00000");
    }
  }
}

// Whether closing the lookup window for the editor would end the program: Qt
// decides that only inside the application's event loop.
bool lastWindowClosedWhenGateOpens(FrmMain& w) {
  bool closedLast = false;
  auto conn =
      QObject::connect(qApp, &QGuiApplication::lastWindowClosed, [&] { closedLast = true; });
  QTimer::singleShot(0, &w, [&] {
    w.Form_KeyDown(kKeyEscape, kCtrlMask | kAltMask);
    QApplication::exit(0);
  });
  QTimer::singleShot(10000, qApp, [] { QApplication::exit(1); });  // never hang
  EXPECT_EQ(QApplication::exec(), 0);
  QObject::disconnect(conn);
  return closedLast;
}

TEST_F(FrmMainTest, OpeningTheEditorDoesNotEndTheProgram) {
  WriteBytes(iniPath, "[Main]\nEditor=ENABLED\n");
  auto w = open();
  EXPECT_FALSE(lastWindowClosedWhenGateOpens(*w));
  EXPECT_FALSE(w->isVisible());
  ASSERT_TRUE(editor && editor->isVisible());
  editor.reset();

  // The same check sees it when nothing replaces the window.
  auto alone = open();
  alone->setShowEditor([] {});
  EXPECT_TRUE(lastWindowClosedWhenGateOpens(*alone));
}

TEST_F(FrmMainTest, OtherEscCombinationsDoNothing) {
  WriteBytes(iniPath, "[Main]\nEditor=ENABLED\n");
  const Qt::KeyboardModifiers combos[] = {
      Qt::NoModifier, Qt::AltModifier, Qt::ControlModifier,
      Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier};
  auto w = open();
  focus(w->Txt4);
  for (Qt::KeyboardModifiers m : combos) QTest::keyClick(w->Txt4, Qt::Key_Escape, m);
  EXPECT_EQ(editorsShown, 0);
  EXPECT_TRUE(w->isVisible());
  EXPECT_EQ(w->LblItem->text(), "00000");
  EXPECT_EQ(w->Txt4->text(), "0000");
  EXPECT_EQ(w->Txt5->text(), "00000");
}

}  // namespace
}  // namespace vestral
