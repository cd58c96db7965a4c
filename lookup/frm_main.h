#pragma once

#include <QWidget>

#include <functional>
#include <memory>
#include <string>

#include "lookup/code_boxes.h"
#include "lookup/followed_database.h"
#include "lookup/result_display.h"
#include "platform/questions.h"

class QLabel;
class QLineEdit;
class QTextEdit;
class QTimer;

namespace vestral {

class FrmSearch;

// The lookup window: a code typed in hex form (Txt4) or letter form (Txt5) is
// looked up in the database as the file is at that moment; never written here.
// Ctrl+Alt+Esc runs the editor gate, whichever box has the focus; Escape clears both
// boxes; Ctrl+F opens the search window; Ctrl+C copies the result as one line.
class FrmMain : public QWidget {
  Q_OBJECT

 public:
  // Looks codes up in `databasePath` (Form_Load reads it first; nothing is created
  // there). The gate reads `iniPath`; its question and the notice about an unusable
  // database go to `questions` (message boxes over this window when null).
  explicit FrmMain(std::string databasePath, std::string iniPath, Questions* questions = nullptr,
                   QWidget* parent = nullptr);
  // The main database (made when nothing is there) and the ini file, where this
  // copy keeps them.
  explicit FrmMain(QWidget* parent = nullptr);
  ~FrmMain() override;

  // Called by the gate to show the editor, before this window is unloaded.
  void setShowEditor(std::function<void()> showEditor) { showEditor_ = std::move(showEditor); }

  // Runs the editor gate, as Ctrl+Alt+Esc does.
  void runEditorGate();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  void buildControls();
  void buildResultControls();
  void Form_Load();
  // Looks the letter form up and shows the outcome in the labels and boxes.
  void FIND(const std::string& Val);
  // Key code (27 is Esc) and modifier sum (Shift 1, Ctrl 2, Alt 4). Returns true
  // when the key was the gate's.
  bool Form_KeyDown(int KeyCode, int Shift);
  void TS_Timer();
  void Txt4_Change();
  void Txt5_Change();
  void Txt4_GotFocus();
  void Txt5_GotFocus();
  void TxtUSR_GotFocus();
  // A typed character (code page 1251, not Backspace), through the box's filter.
  void Txt4_KeyPress(int KeyAscii);
  void Txt5_KeyPress(int KeyAscii);
  bool boxKey(QObject* box, QKeyEvent* event);
  bool filterBoxKey(QLineEdit* box, QKeyEvent* event);
  // Escape clears both boxes, Ctrl+F opens the search window.
  bool windowKey(QKeyEvent* event);
  void boxFocusIn(QObject* box, Qt::FocusReason reason);
  void showBoxMenu(QLineEdit* box, const QPoint& at);
  CodeBoxState stateOf(QLineEdit* box) const;
  void enter(QLineEdit* from, const CodeBoxInput& input);
  void paste(QLineEdit* box, bool selection);
  // The selection of `box`, or with none, the shown result as one line.
  void copy(QLineEdit* box);
  void copyResult();
  // Sets the text, and runs the Change rule also when the text stays the same, as
  // typing it would.
  void retype(QLineEdit* box, const QString& text);
  void showCode(const std::string& letterForm);
  void openSearch();
  void setStatus(const std::string& text);
  void setUsrText(const std::string& text);

  QLineEdit* Txt4 = nullptr;
  QLineEdit* Txt5 = nullptr;
  QLabel* LblCode = nullptr;
  QLabel* LblBDesc = nullptr;
  QLabel* LblItem = nullptr;
  QTextEdit* TxtUSR = nullptr;
  QTimer* TS = nullptr;

  std::string databasePath_;
  std::string iniPath_;
  std::unique_ptr<Questions> ownQuestions_;
  Questions* questions_;
  std::function<void()> showEditor_;
  FollowedDatabase db_;
  std::string notice_;     // that the default database changed; empty when it did not
  FindDisplay shown_;      // the last lookup's outcome, for the clipboard
  std::string shownCode_;  // its letter form; empty before the first lookup
  FrmSearch* search_ = nullptr;
};

}  // namespace vestral
