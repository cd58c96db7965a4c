#include "lookup/frm_main.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTableView>
#include <QTest>
#include <QTextEdit>
#include <QTimer>

#include "platform/codepage_qt.h"
#include "support/entries.h"
#include "support/temp_dir.h"

namespace vestral {
namespace {

const QString kHint = QString::fromUtf8("Ctrl Alt Esc - редактор\n");
const QString kUsr = QString::fromUtf8("Проверьте датчик\nи проводку");
// Box colours by the state they show: - idle, I incomplete, C complete, N not found.
const QList<QRgb> kStates = {qRgb(255, 255, 128), qRgb(255, 128, 128), qRgb(128, 255, 128),
                             qRgb(255, 0, 0)};

class FrmMainTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DtcDatabase db = EmptyDatabase();
    db.P.Name = ToCp1251Lossy(QString::fromUtf8("Двигатель"));
    db.P.Entries.push_back(
        testing::entry("0100", "Air flow", ToCp1251Lossy(QString(kUsr).replace("\n", "\r\n"))));
    db.C.Entries.push_back(testing::entry(  // too long for LblItem in the window's font
        "0036",
        ToCp1251Lossy(QString::fromUtf8(
            "Задающий (импульсный) ротор датчика скорости: неисправность, левое заднее "
            "колесо. Проверить: ротор на сколы и грязь, люфт подшипника, разъём датчика."))));
    ASSERT_TRUE(WriteDatabase(dbPath, db).ok());
  }
  void open() {
    window = std::make_unique<FrmMain>(dbPath, iniPath, &questions);
    window->setShowEditor([this] {
      editor = std::make_unique<QWidget>();
      editor->show();
    });
    window->show();
    QApplication::setActiveWindow(window.get());
  }
  template <typename W = QLineEdit>
  W* find(const char* name) {
    return window->findChild<W*>(QLatin1String(name));
  }
  QString text(const char* name) { return find<QLabel>(name)->text(); }
  // The boxes, their states, and what the labels and TxtUSR show.
  QString shown() {
    auto state = [&](const char* box) {
      return QString("-ICN").mid(kStates.indexOf(find(box)->palette().color(QPalette::Base).rgb()),
                                 1);
    };
    return QStringList({find("Txt4")->text(), find("Txt5")->text(), state("Txt4") + state("Txt5"),
                        text("LblCode"), text("LblItem"), text("LblBDesc"),
                        find<QTextEdit>("TxtUSR")->toPlainText()})
        .join('|');
  }
  // A click into the box selects the whole code, so typing replaces it; ">Txt4" types on
  // where the cursor stands.
  void type(const char* box, const char* keys) {
    if (*box == '>') {
      ++box;
    } else {
      find<QTextEdit>("TxtUSR")->setFocus();
      QTest::mouseClick(find(box), Qt::LeftButton, {}, QPoint(10, 25));
      EXPECT_TRUE(QTest::qWaitFor([&] { return find(box)->selectedText() == find(box)->text(); }));
    }
    for (const char* k = keys; *k; ++k)  // \x7f: Delete, with the text some systems give it
      *k == '\x7f' ? QTest::sendKeyEvent(QTest::Click, find(box), Qt::Key_Delete, "\x7f", {})
                   : QTest::keyClick(find(box), *k);
  }

  testing::TempDir dir;
  std::string dbPath = dir.file("vestral.DAT"), iniPath = dir.file("vestral.ini");
  ScriptedQuestions questions;
  std::unique_ptr<FrmMain> window;
  std::unique_ptr<QWidget> editor;
};

TEST_F(FrmMainTest, TypedCodesAreFilteredConvertedAndLookedUp) {
  const QString p0100 = QString::fromUtf8("0100|Air flow|Двигатель|") + kUsr;
  const QString absent = QString::fromUtf8("Ошибка отсутствует в базе данных");
  const QString generic = QString::fromUtf8(
      "Общий диапазон: значение кода задаёт стандарт, одно для всех марок; в этой базе кода нет");
  const QString reserved = QString::fromUtf8(
      "Резервный диапазон: стандарт держит его про запас и пока не назначил этому коду значения");
  const QString maker = QString::fromUtf8(
      "Диапазон производителя: каждый производитель задаёт этот код для своих автомобилей");
  const struct {
    const char *box, *typed;
    QString shown;
  } steps[] = {
      {"", "", "0000|00000|--|00000|00000|00000|" + kHint},
      {"Txt4", "0100", "0100|P0100|CC|" + p0100},
      // An incomplete code keeps the last result; Delete types nothing.
      {"Txt4", "0a8!\b", "0A||II|" + p0100},
      {"Txt4", "\x7f", "||II|" + p0100},
      // An absent code names its range.
      {"Txt4", "0101", "0101|P0101|NN|||" + absent + "|" + generic},
      // The letter box colours only itself and never changes the hex box.
      {"Txt5", "p0100", "0101|P0100|NC|" + p0100},
      // Typing on into a complete code starts a new one.
      {">Txt5", "b", "0101|B|NI|" + p0100},
      // Hex letters stand only where a code's hex digits do.
      {"Txt5", "ca3fe", "0101|C3FE|NI|" + p0100},
      {">Txt5", "f", "0101|C3FEF|NN|||" + absent + "|" + reserved},
      {"Txt4", "d1ab", "D1AB|U11AB|NN|||" + absent + "|" + maker},
  };
  open();
  for (const auto& [box, typed, expected] : steps) {
    if (*box) type(box, typed);
    EXPECT_EQ(shown().toStdString(), expected.toStdString()) << box << " " << typed;
  }
  // The hint goes once its timer fires, unless a lookup replaced it; a database that
  // cannot be read is reported once, and left as it was.
  for (bool damaged : {false, true}) {
    if (damaged) testing::WriteBytes(dbPath, "damaged");
    if (damaged) open();
    auto* timer = find<QTimer>("TS");
    timer->setInterval(1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !timer->isActive(); })) << "fires once";
    EXPECT_EQ(find<QTextEdit>("TxtUSR")->toPlainText(), damaged ? "" : maker);
  }
  ASSERT_EQ(questions.asked().size(), 1u);
  EXPECT_NE(questions.asked()[0].text.find(dbPath + "\" is not a valid"), std::string::npos);
  EXPECT_EQ(testing::ReadBytes(dbPath), "damaged");
}

// Each step: text put on the clipboard first (null: left), the box that gets the focus,
// a key or typed text, then the boxes with their states and what the clipboard holds.
TEST_F(FrmMainTest, ClipboardAndKeysGoThroughTheRulesOfTyping) {
  const char* line = "P0100\tAir flow\tПроверьте датчик  и проводку";
  const struct {
    const char *clipboard, *box, *keys, *boxes, *clipboardAfter;
  } steps[] = {
      // The focus selects the code, which is then copied.
      {"before", "Txt4", "Ctrl+C", "0000|00000|--", "0000"},
      {nullptr, "Txt4", "=0100", "0100|P0100|CC", "0000"},
      {nullptr, "Txt4", "Ctrl+C", "0100|P0100|CC", line},
      {nullptr, "Txt4", "Ctrl+A", "0100|P0100|CC", line},
      {nullptr, "Txt4", "Ctrl+C", "0100|P0100|CC", "0100"},
      // The text box's focus selects all it shows, so its copy is the whole text.
      {nullptr, "TxtUSR", "Ctrl+C", "0100|P0100|CC", "Проверьте датчик\nи проводку"},
      {" p0a80\n", "Txt4", "Ctrl+V", "0100|P0A80|NN", " p0a80\n"},
      {"0100", "Txt5", "Shift+Ins", "0100|P0100|CC", "0100"},
      {line, "Txt4", "Ctrl+V", "0100|P0100|CC", line},
      {nullptr, "TxtUSR", "Esc", "||II", line},
  };
  open();
  QClipboard* clipboard = QGuiApplication::clipboard();
  for (const auto& step : steps) {
    SCOPED_TRACE(std::string(step.box) + " " + step.keys);
    if (step.clipboard) clipboard->setText(QString::fromUtf8(step.clipboard));
    auto* box = find<QWidget>(step.box);
    if (*step.keys == '=') {
      type(step.box, step.keys + 1);
    } else {
      if (!box->hasFocus()) box->setFocus();
      QTest::keySequence(box, QKeySequence(QString::fromLatin1(step.keys)));
    }
    EXPECT_EQ(shown().section('|', 0, 2).toStdString(), step.boxes);
    EXPECT_EQ(clipboard->text().toStdString(), step.clipboardAfter);
  }
  // The box's own menu pastes by the same rules.
  clipboard->setText(QStringLiteral("u0100"));
  QContextMenuEvent menuAt(QContextMenuEvent::Mouse, QPoint(5, 5),
                           find("Txt4")->mapToGlobal(QPoint(5, 5)));
  QApplication::sendEvent(find("Txt4"), &menuAt);
  auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
  ASSERT_TRUE(menu);
  for (QAction* action : menu->actions())
    if (action->text().startsWith("&Paste")) action->trigger();
  menu->close();
  EXPECT_EQ(find("Txt4")->text() + "|" + find("Txt5")->text(), "|U0100");
}

// Ctrl+F, the query, the highlight moved from the query box, each way of choosing the
// highlighted entry, the database followed, Escape; the lookup window's controls stay in
// place meanwhile. Each step: where the key goes ("=" types), the rows (* highlighted),
// and Txt5, the box states and LblItem afterwards. "=" types a new query, "+" types on.
TEST_F(FrmMainTest, TheSearchWindowFindsCodesByTheirWordsAndShowsTheChosenOne) {
  DtcDatabase db = EmptyDatabase();
  db.P.Entries = {{},
                  testing::entry("0100", "Mass air flow sensor circuit"),
                  testing::entry("0101", "Mass air flow sensor range"),
                  testing::entry("0300", "Random misfire")};
  db.C.Entries.push_back(testing::entry("0035", "Wheel speed sensor"));
  ASSERT_TRUE(WriteDatabase(dbPath, db).ok());
  const std::pair<const char*, QRect> places[] = {
      {"Image1", {8, 1, 125, 70}},     {"Label1_0", {192, 3, 124, 13}},
      {"Label1_1", {372, 3, 149, 13}}, {"Txt4", {192, 18, 122, 50}},
      {"Txt5", {370, 18, 151, 50}},    {"Line1", {8, 72, 519, 1}},
      {"LblCode", {8, 73, 57, 17}},    {"LblBDesc", {64, 73, 465, 17}},
      {"LblItem", {8, 89, 521, 41}},   {"TxtUSR", {8, 131, 521, 65}},
  };
  auto moved = [&] {
    QStringList names;
    for (const auto& [name, place] : places)
      if (find<QWidget>(name)->geometry() != place) names << name;
    return (names.join(',') + (window->size() == QSize(533, 199) ? "" : "FrmMain")).toStdString();
  };
  open();
  EXPECT_EQ(moved(), "");
  QTest::keyClick(find("Txt4"), Qt::Key_F, Qt::ControlModifier);
  auto* search = window->findChild<QWidget*>(QStringLiteral("FrmSearch"));
  ASSERT_TRUE(search && search->isVisible());
  EXPECT_EQ(search->windowTitle(), QString::fromUtf8("Поиск кода"));
  auto* query = search->findChild<QLineEdit*>(QStringLiteral("TxtFind"));
  auto* list = search->findChild<QTableView*>(QStringLiteral("LstFound"));
  EXPECT_EQ(search->focusWidget(), query);
  auto rows = [&] {
    QStringList out;
    for (int r = 0; r < list->model()->rowCount(); ++r)
      out << (r == list->currentIndex().row() ? "*" : "") +
                 list->model()->index(r, 0).data().toString();
    return out.join(' ').toStdString();
  };
  const struct {
    const char *target, *key, *rows, *shown;
  } steps[] = {
      {"TxtFind", "=air flow", "*P0100 P0101", "00000|--|00000"},
      {"TxtFind", "Down", "P0100 *P0101", "00000|--|00000"},
      {"TxtFind", "Return", "P0100 *P0101", "P0101|-C|Mass air flow sensor range"},
      {"TxtFind", "Up", "*P0100 P0101", "P0101|-C|Mass air flow sensor range"},
      {"LstFound", "Enter", "*P0100 P0101", "P0100|-C|Mass air flow sensor circuit"},
      {"LstFound", "double click", "P0100 *P0101", "P0101|-C|Mass air flow sensor range"},
      {"TxtFind", "=misfir", "*P0300", "P0101|-C|Mass air flow sensor range"},
      // Another program replaces the file: the next key searches it as it is now, and so
      // does the next lookup.
      {"new file", "+e", "*C0300 P0300", "P0101|-C|Mass air flow sensor range"},
      {"new file", "Txt5", "*P0300", "P0101|-C|Mass air flow sensor range"},
      {"TxtFind", "Esc", "*P0300", "P0101|-C|Mass air flow sensor range"},
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(std::string(step.target) + " " + step.key);
    if (step.target == std::string("new file")) {
      db.C.Entries.size() == 2 ? db.C.Entries.push_back(testing::entry("0300", "Misfire"))
                               : db.C.Entries.pop_back();
      ASSERT_TRUE(WriteDatabase(dbPath, db).ok());
    }
    QWidget* target = step.target == std::string("LstFound") ? static_cast<QWidget*>(list) : query;
    if (*step.key == '=') query->clear();
    if (*step.key == '=' || *step.key == '+')
      QTest::keyClicks(target, step.key + 1);
    else if (step.key == std::string("double click"))
      for (QTest::MouseAction click : {QTest::MouseClick, QTest::MouseDClick})
        QTest::mouseEvent(click, list->viewport(), Qt::LeftButton, {},
                          list->visualRect(list->model()->index(1, 0)).center());
    else if (step.key == std::string("Txt5"))
      type("Txt5", "p0101");
    else
      QTest::keySequence(target, QKeySequence(QString::fromLatin1(step.key)));
    EXPECT_EQ(rows(), step.rows);
    EXPECT_EQ(shown().section('|', 1, 2).toStdString() + "|" + text("LblItem").toStdString(),
              step.shown);
  }
  EXPECT_FALSE(search->isVisible());
  EXPECT_EQ(moved(), "");
}

// The settings are the gate's own test; here each outcome, the key from every box, other
// chords (with Ctrl or Alt a letter types nothing). The editor is on screen before the
// window closes, so the program goes on: Qt decides that only inside its event loop.
TEST_F(FrmMainTest, CtrlAltEscRunsTheGateWhicheverBoxHasTheFocus) {
  const auto gate = Qt::ControlModifier | Qt::AltModifier;
  const struct {
    const char *ini, *target;
    Qt::Key key;
    Qt::KeyboardModifiers keys;
    bool opens;
    const char* status;  // LblItem afterwards
  } cases[] = {
      {"ENABLED", "Txt4", Qt::Key_Escape, gate, true, "00000"},
      {"ENABLED", "TxtUSR", Qt::Key_Escape, gate, true, "00000"},
      {"ENABLED", "FrmMain", Qt::Key_Escape, gate, true, "00000"},
      {"QUERY", "Txt5", Qt::Key_Escape, gate, false, "Editor aborted"},
      {"ENABLED", "Txt4", Qt::Key_Escape, gate | Qt::ShiftModifier, false, "00000"},
      {"ENABLED", "Txt4", Qt::Key_A, Qt::ControlModifier, false, "00000"},
      {"ENABLED", "Txt4", Qt::Key_B, Qt::AltModifier, false, "00000"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.ini) + " with the focus on " + c.target);
    testing::WriteBytes(iniPath, std::string("[Main]\nEditor=") + c.ini + "\n");
    questions = ScriptedQuestions{Button::No};
    editor.reset();
    open();
    QWidget* focused = window->objectName() == c.target ? window.get() : find<QWidget>(c.target);
    focused->setFocus();
    bool ended = false;
    QObject scope;
    QObject::connect(qApp, &QGuiApplication::lastWindowClosed, &scope, [&] { ended = true; });
    QTimer::singleShot(0, [&] {
      QTest::keyClick(focused, c.key, c.keys);
      QApplication::exit();
    });
    QApplication::exec();
    EXPECT_FALSE(ended);
    EXPECT_EQ(editor && editor->isVisible(), c.opens);
    EXPECT_EQ(window->isVisible(), !c.opens);
    EXPECT_EQ(text("LblItem"), c.status);
    EXPECT_EQ(find("Txt4")->text() + find("Txt5")->text(), "000000000") << "no box saw the key";
  }
}

// A description too long for the label (a Russian one with its hints) is shown whole in
// a smaller font; a short one keeps the window's own.
TEST_F(FrmMainTest, ALongDescriptionIsShownWhole) {
  open();
  auto* item = find<QLabel>("LblItem");
  for (const auto& [code, smaller] : {std::pair{"c0036", true}, {"p0100", false}}) {
    type("Txt5", code);
    const QRect need = QFontMetrics(item->font())
                           .boundingRect(QRect(0, 0, item->width(), 0xFFFF),
                                         Qt::TextWordWrap | item->alignment(), item->text());
    EXPECT_LE(need.height(), item->height()) << code;
    EXPECT_EQ(item->font().pixelSize() < 13, smaller) << code;
  }
}

}  // namespace
}  // namespace vestral
