#include "platform/message_box_qt.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

namespace vestral {
namespace {

// A file name or an entry text that looks like markup is shown as it is; a box closed
// without a button gives the safe answer.
TEST(MessageBoxQuestions, ShowTheTextAsItIsAndAnswerNoWhenClosed) {
  QString shown, title;
  Qt::TextFormat format = Qt::AutoText;
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box) return;
    shown = box->text();
    title = box->windowTitle();
    format = box->textFormat();
    box->reject();
  });
  MessageBoxQuestions questions(nullptr);
  EXPECT_EQ(questions.ask({"Replace \"<b>x</b>.DAT\"?",
                           {Button::Yes, Button::No},
                           Button::Yes,
                           Icon::Question,
                           ""}),
            Button::No);
  EXPECT_EQ(shown, "Replace \"<b>x</b>.DAT\"?");
  EXPECT_EQ(title, "VESTRAL");
  EXPECT_EQ(format, Qt::PlainText);
}

}  // namespace
}  // namespace vestral
