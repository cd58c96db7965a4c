#include "platform/message_box_qt.h"

#include <QMessageBox>

#include "platform/codepage_qt.h"

namespace vestral {

namespace {

QMessageBox::StandardButton toQt(Button b) {
  switch (b) {
    case Button::Ok: return QMessageBox::Ok;
    case Button::Cancel: return QMessageBox::Cancel;
    case Button::Yes: return QMessageBox::Yes;
    case Button::No: return QMessageBox::No;
  }
  return QMessageBox::NoButton;
}

QMessageBox::Icon toQt(Icon i) {
  switch (i) {
    case Icon::Question: return QMessageBox::Question;
    case Icon::Critical: return QMessageBox::Critical;
    case Icon::Information: return QMessageBox::Information;
    case Icon::Warning: return QMessageBox::Warning;
    case Icon::None: break;
  }
  return QMessageBox::NoIcon;
}

}  // namespace

Button MessageBoxQuestions::ask(const MessageBox& box) {
  QMessageBox mb(parent_);
  mb.setWindowTitle(box.title.empty() ? kProgramTitle : FromCp1251(box.title));
  // File names and entry texts are shown as they are, never read as markup.
  mb.setTextFormat(Qt::PlainText);
  mb.setText(FromCp1251(box.text));
  mb.setIcon(toQt(box.icon));
  QMessageBox::StandardButtons buttons;
  for (Button b : box.buttons) buttons |= toQt(b);
  mb.setStandardButtons(buttons);
  mb.setDefaultButton(toQt(box.defaultButton));
  const int pressed = mb.exec();
  for (Button b : box.buttons)
    if (pressed == toQt(b)) return b;
  // Closed without a button (Esc, the window's close box).
  return SafeAnswer(box);
}

}  // namespace vestral
