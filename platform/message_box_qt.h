#pragma once

#include <QString>

#include "platform/questions.h"

class QWidget;

namespace vestral {

// The program's title, shown by message boxes that carry none of their own.
inline const QString kProgramTitle = QStringLiteral("VESTRAL");

// Shows each question as a modal QMessageBox over `parent`.
class MessageBoxQuestions : public Questions {
 public:
  explicit MessageBoxQuestions(QWidget* parent) : parent_(parent) {}
  Button ask(const MessageBox& box) override;

 private:
  QWidget* parent_;
};

}  // namespace vestral
