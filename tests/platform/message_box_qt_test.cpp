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
  QString shown;
  QTimer::singleShot(0, [&shown] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      shown = box->windowTitle() + "|" + box->text() + "|" + QString::number(box->textFormat());
      box->reject();
    }
  });
  MessageBoxQuestions questions(nullptr);
  EXPECT_EQ(questions.ask(
                {"\"<b>x</b>.DAT\"?", {Button::Yes, Button::No}, Button::Yes, Icon::Question, ""}),
            Button::No);
  EXPECT_EQ(shown, QString("VESTRAL|\"<b>x</b>.DAT\"?|%1").arg(Qt::PlainText));
}

}  // namespace
}  // namespace vestral
