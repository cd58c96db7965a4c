#include "editor/frm_entries.h"

#include <gtest/gtest.h>

#include <QAbstractItemModel>
#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include "editor/frm_base_edit.h"
#include "platform/codepage_qt.h"
#include "support/entries.h"
#include "support/temp_dir.h"

namespace vestral {
namespace {

using testing::entry;

std::string cp1251(const char* utf8) { return ToCp1251Lossy(QString::fromUtf8(utf8)); }

DtcDatabase start() {
  DtcDatabase db = EmptyDatabase();
  db.P.Entries = {{},
                  entry("0100", "Mass air flow", "Plug"),
                  entry("0101", "Air flow range"),
                  entry("7100", "")};  // the checker removes it
  db.C.Entries.push_back(entry("0035", "Wheel speed"));
  db.U.Entries.push_back(entry("0100", "Lost communication"));
  return db;
}

// An editor that has read the database and opened its entries window.
class FrmEntriesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(WriteDatabase(main, start()).ok());
    questions = ScriptedQuestions();
    before = testing::ReadBytes(main);
    editor = std::make_unique<FrmBaseEdit>(main);
    editor->setQuestions(&questions);
    click(editor.get(), "CmdMBRead");
    click(editor.get(), "CmdEntries");
    entries = editor->findChild<QWidget*>("FrmEntries");
    ASSERT_TRUE(entries && entries->isVisible());
    dialog = entries->findChild<QDialog*>("FrmEntry");
    list = find<QTableView>(entries, "LstEntries");
  }
  template <typename W = QLineEdit>
  W* find(QWidget* in, const char* name) {
    return in->findChild<W*>(QLatin1String(name));
  }
  void click(QWidget* in, const char* name) { find<QPushButton>(in, name)->click(); }
  // The rows as the list shows them: code and description.
  QString rows() {
    QStringList all;
    const QAbstractItemModel* m = list->model();
    for (int r = 0; r < m->rowCount(); ++r)
      all << m->index(r, 0).data().toString() + " " + m->index(r, 1).data().toString();
    return all.join(" | ");
  }
  // Opens the entry the list points at with Enter and saves `text` as its description.
  void editCurrent(const char* text) {
    QTest::keyClick(list, Qt::Key_Return);
    find(dialog, "TxtEntryText")->setText(QString::fromUtf8(text));
    click(dialog, "CmdEntrySave");
  }

  testing::TempDir dir;
  std::string main = dir.file("vestral.DAT"), before;
  ScriptedQuestions questions;
  std::unique_ptr<FrmBaseEdit> editor;
  QWidget* entries = nullptr;
  QDialog* dialog = nullptr;
  QTableView* list = nullptr;
};

// Each edit lands on the entry its row shows and stays in the working copy, which Check
// and Write then work on; a code already in its table is edited, never added twice.
TEST_F(FrmEntriesTest, EditsLandOnTheirEntriesAndReachTheFileThroughWrite) {
  EXPECT_EQ(entries->windowTitle(), QString::fromUtf8("Записи базы"));
  QTest::keyClicks(find(entries, "TxtFilter"), "FLOW");
  EXPECT_EQ(rows(), "P0100 Mass air flow | P0101 Air flow range");
  QTest::keyClick(find(entries, "TxtFilter"), Qt::Key_Down);
  QTest::keyClick(list, Qt::Key_Down);
  editCurrent("Air flow range/performance");
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(rows(), "P0100 Mass air flow | P0101 Air flow range/performance");

  // P0100 again: No leaves the dialog as it was, Yes turns it to the entry that has the code.
  QTest::keyClick(list, Qt::Key_Insert);
  find(dialog, "TxtEntryCode")->setText("p0100");
  find(dialog, "TxtEntryText")->setText("Air flow sensor");
  questions.push(Button::No);
  click(dialog, "CmdEntrySave");
  ASSERT_EQ(questions.asked().size(), 1u);
  EXPECT_EQ(questions.asked().back().text,
            cp1251("Код P0100 уже есть в таблице P:\r\nMass air flow\r\n\r\n"
                   "Изменить эту запись вместо новой?"));
  EXPECT_TRUE(dialog->isVisible() && find(dialog, "TxtEntryCode")->isEnabled());
  questions.push(Button::Yes);
  click(dialog, "CmdEntrySave");
  EXPECT_EQ(dialog->windowTitle(), QString::fromUtf8("Запись P0100"));
  click(dialog, "CmdEntrySave");
  EXPECT_EQ(rows(), "P0100 Air flow sensor | P0101 Air flow range/performance");

  // A character the code page lacks is named and refused.
  click(entries, "CmdEntryAdd");
  find(dialog, "TxtEntryCode")->setText("b0001");
  find(dialog, "TxtEntryText")->setText("Driver airbag");
  find<QPlainTextEdit>(dialog, "TxtEntryExt")->setPlainText(QString::fromUtf8("Подушка 日"));
  click(dialog, "CmdEntrySave");
  EXPECT_NE(questions.asked().back().text.find("U+65E5"), std::string::npos);
  find<QPlainTextEdit>(dialog, "TxtEntryExt")->setPlainText(QString::fromUtf8("Подушка\nводителя"));
  click(dialog, "CmdEntrySave");
  EXPECT_FALSE(dialog->isVisible());

  // Two rows at once, after asking; Check's removal shows in the list at once.
  find(entries, "TxtFilter")->setText("");
  list->selectionModel()->clearSelection();
  for (int r : {3, 5})
    list->selectionModel()->select(list->model()->index(r, 0),
                                   QItemSelectionModel::Select | QItemSelectionModel::Rows);
  questions.push(Button::Yes);
  QTest::keyClick(list, Qt::Key_Delete);
  EXPECT_EQ(questions.asked().back().text, cp1251("Удалить выбранные записи (2): C0035, U0100?"));
  click(editor.get(), "CmdCheck");
  EXPECT_EQ(rows(),
            "P0100 Air flow sensor | P0101 Air flow range/performance | B0001 Driver airbag");
  QTest::keyClick(list, Qt::Key_Escape);
  EXPECT_FALSE(entries->isVisible());

  EXPECT_EQ(testing::ReadBytes(main), before) << "nothing is written before Write";
  click(editor.get(), "CmdMBWrite");
  DtcDatabase expected = EmptyDatabase(), back;
  expected.P.Entries = {
      {}, entry("0100", "Air flow sensor", "Plug"), entry("0101", "Air flow range/performance")};
  expected.B.Entries.push_back(entry("0001", "Driver airbag", cp1251("Подушка\r\nводителя")));
  ASSERT_TRUE(ReadDatabase(main, back).ok());
  EXPECT_EQ(back, expected);
}

// Closing the editor asks while entries, table names or Check's removals are not written:
// Yes writes and closes, No closes without them, Cancel stays.
TEST_F(FrmEntriesTest, ClosingWithChangesNotWrittenAsksFirst) {
  const struct {
    const char* change;  // "", "entry", "name" or "check"
    Button answer;
    bool closes, written;
  } cases[] = {
      {"", Button::Cancel, true, false},      {"entry", Button::Cancel, false, false},
      {"entry", Button::No, true, false},     {"entry", Button::Yes, true, true},
      {"name", Button::Cancel, false, false}, {"check", Button::Yes, true, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.change) + " " + std::to_string(static_cast<int>(c.answer)));
    SetUp();
    if (c.change == std::string("entry")) editCurrent("Changed");
    if (c.change == std::string("name")) find(editor.get(), "TxtB")->setText("Karosserie");
    if (c.change == std::string("check")) click(editor.get(), "CmdCheck");
    const size_t asked = questions.asked().size();
    questions.push(c.answer);
    EXPECT_EQ(editor->close(), c.closes);
    ASSERT_EQ(questions.asked().size() - asked, *c.change ? 1u : 0u);
    if (*c.change) {
      EXPECT_EQ(questions.asked().back().text,
                "The working copy read from \"" + main +
                    "\" has changes that are not written yet (entries, table names or what Check "
                    "removed).\r\n\r\nWrite them before the editor closes? No closes it without "
                    "them; Cancel keeps it open.");
    }
    EXPECT_EQ(testing::ReadBytes(main) != before, c.written);
  }
}

}  // namespace
}  // namespace vestral
