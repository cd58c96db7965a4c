#include <gtest/gtest.h>

#include <QApplication>
#include <QFrame>
#include <QLineEdit>
#include <QPushButton>
#include <QStringList>
#include <QTest>

#include <cmath>

#include "editor/frm_base_edit.h"
#include "log/frm_log.h"
#include "lookup/frm_main.h"
#include "support/entries.h"
#include "support/temp_dir.h"

namespace vestral {
namespace {

// The contrast ratio of two colours by their relative luminance, 1 (the same) to 21.
double contrast(const QColor& a, const QColor& b) {
  auto luminance = [](const QColor& c) {
    auto channel = [](double v) {
      return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
  };
  const double la = luminance(a), lb = luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The ground a widget's text is drawn on: its own where it paints one (boxes, lists and
// buttons paint their Base or Button), else that of the nearest widget behind it that does.
QColor groundOf(const QWidget* w, QPalette::ColorGroup group) {
  while (!w->isWindow() && !w->autoFillBackground() && w->backgroundRole() == QPalette::Window)
    w = w->parentWidget();
  return w->palette().color(group, w->backgroundRole());
}

// Every widget of `window` whose text, or selected text, stands out from its ground by
// less than 2:1. The program's own colours reach 2.5:1 at least (green on white); a
// theme's text on a ground the program fixed gives 1.0 to 1.6.
QString unreadable(QWidget* window) {
  QList<QWidget*> widgets = window->findChildren<QWidget*>();
  widgets.prepend(window);
  QStringList found;
  for (const QWidget* w : widgets) {
    // A plain frame (a line) holds no text.
    if ((!w->isVisibleTo(window) && w != window) || w->metaObject() == &QFrame::staticMetaObject)
      continue;
    const auto group = w->isEnabled() ? QPalette::Active : QPalette::Disabled;
    const QPalette& p = w->palette();
    if (contrast(p.color(group, w->foregroundRole()), groundOf(w, group)) < 2 ||
        contrast(p.color(group, QPalette::HighlightedText), p.color(group, QPalette::Highlight)) <
            2)
      found << w->objectName() + "(" + w->metaObject()->className() + ")";
  }
  return found.join(' ');
}

TEST(DarkTheme, EveryTextOfEveryWindowStandsOutFromItsGround) {
  struct ThemeScope {
    QPalette before = QApplication::palette();
    // Light text on dark grounds, as a dark desktop theme gives every program: Qt
    // derives the text colours from the dark grey.
    ThemeScope() { QApplication::setPalette(QPalette(QColor(53, 53, 53), QColor(53, 53, 53))); }
    ~ThemeScope() { QApplication::setPalette(before); }
  } theme;
  testing::TempDir dir;
  DtcDatabase db = EmptyDatabase();
  db.P.Entries.push_back(testing::entry("0100", "Air flow", "Plug"));
  const std::string path = dir.file("vestral.DAT");
  ASSERT_TRUE(WriteDatabase(path, db).ok());
  ScriptedQuestions questions;

  FrmMain lookup(path, dir.file("vestral.ini"), &questions);
  lookup.show();
  QTest::keyClicks(lookup.findChild<QLineEdit*>(QStringLiteral("Txt4")), "0100");
  QTest::keyClick(&lookup, Qt::Key_F, Qt::ControlModifier);
  auto* search = lookup.findChild<QWidget*>(QStringLiteral("FrmSearch"));
  ASSERT_TRUE(search);
  QTest::keyClicks(search->findChild<QLineEdit*>(QStringLiteral("TxtFind")), "air");

  FrmBaseEdit editor(path);
  editor.setQuestions(&questions);
  editor.show();
  EXPECT_EQ(unreadable(&editor).toStdString(), "") << "before a Read";
  editor.findChild<QPushButton*>(QStringLiteral("CmdMBRead"))->click();
  editor.findChild<QPushButton*>(QStringLiteral("CmdEntries"))->click();
  auto* entries = editor.findChild<QWidget*>(QStringLiteral("FrmEntries"));
  ASSERT_TRUE(entries);
  entries->findChild<QPushButton*>(QStringLiteral("CmdEntryEdit"))->click();
  auto* entry = entries->findChild<QWidget*>(QStringLiteral("FrmEntry"));
  ASSERT_TRUE(entry && editor.currentLog());

  for (QWidget* w : {static_cast<QWidget*>(&lookup), search, static_cast<QWidget*>(&editor),
                     entries, entry, static_cast<QWidget*>(editor.currentLog())})
    EXPECT_EQ(unreadable(w).toStdString(), "") << w->objectName().toStdString();
}

}  // namespace
}  // namespace vestral
