#pragma once

#include <QPointer>
#include <QWidget>

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "database/dtc_database.h"
#include "editor/base_positions.h"
#include "log/frm_log.h"
#include "platform/questions.h"

class QCheckBox;
class QCloseEvent;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace vestral {

// The database editor: reads the main database into a working copy whose table
// names can be edited and written back, and hosts the other editor operations.
// Operations never overlap: while one runs (its log lets window events through)
// every other operation button does nothing and the window refuses to close.
class FrmBaseEdit : public QWidget {
  Q_OBJECT

 public:
  // The main database is the one beside the program.
  explicit FrmBaseEdit(QWidget* parent = nullptr);
  // The main database is `mainDatabasePath` (tests, other set-ups).
  explicit FrmBaseEdit(const std::string& mainDatabasePath, QWidget* parent = nullptr);
  ~FrmBaseEdit() override;

  // Shared state of the editor operations.
  const std::string& mainDatabasePath() const { return mainPath_; }
  DtcDatabase& workingDatabase() { return working_; }
  // The log window of the latest operation, or nullptr before the first one.
  FrmLOG* currentLog() const { return log_; }
  // Replaces the current log window with a new one owned by this window and returns it.
  FrmLOG* newLogWindow();
  // Where questions go; by default message boxes over this window.
  Questions& questions() { return *questions_; }
  // nullptr restores the message boxes. The caller keeps `q` alive.
  void setQuestions(Questions* q);
  // The code list as it stands (code page 1251).
  std::vector<std::string> codeList() const;
  // True after a Read, until the next Write.
  bool isRead() const { return read_; }
  // True while an operation runs.
  bool busy() const { return busy_; }

  // The frames and controls, named as the window's parts are known.
  QGroupBox* FrmM = nullptr;
  QGroupBox* Frame1 = nullptr;
  QGroupBox* Frame3 = nullptr;
  QGroupBox* Frame2 = nullptr;
  std::array<QLabel*, 9> Label1{};
  QLineEdit* TxtP = nullptr;
  QLineEdit* TxtC = nullptr;
  QLineEdit* TxtB = nullptr;
  QLineEdit* TxtU = nullptr;
  QPushButton* CmdMBRead = nullptr;
  QPushButton* CmdMBWrite = nullptr;
  QPushButton* CmdCheck = nullptr;
  QListWidget* LST = nullptr;
  QLineEdit* TxtCode = nullptr;
  QPushButton* CmdAdd = nullptr;
  QPushButton* CmdRemove = nullptr;
  QLineEdit* TxtCFile = nullptr;
  QCheckBox* ChkALL = nullptr;
  QPushButton* CmdCollect = nullptr;
  QLineEdit* TxtSyn = nullptr;
  QCheckBox* ChkDirect = nullptr;
  QPushButton* CmdSync = nullptr;
  QLineEdit* TxtGSrc = nullptr;
  QLineEdit* TxtDst = nullptr;
  QPushButton* CmdGenerate = nullptr;

 public slots:
  void CmdMBRead_Click();
  void CmdMBWrite_Click();
  void CmdCheck_Click();
  void CmdGenerate_Click();
  void CmdCollect_Click();
  void CmdSync_Click();
  void CmdAdd_Click();
  void CmdRemove_Click();

 public:
  // The key filter of TxtCode: true when the box takes the key as typed. A key the
  // filter changes (p -> P) is typed into the box here; others are swallowed.
  bool TxtCode_KeyPress(char key);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void buildControls();
  // Runs one editor operation unless another one is running. Nothing thrown leaves
  // an event handler: a failure ends the open log run in light red.
  void runOperation(const std::function<void()>& body);
  void Form_Load(const std::string& mainDatabasePath);
  // Read (true) or not-read (false) state of the controls.
  void setReadState(bool read);
  void showTableNames();
  TableNames tableNamesFromBoxes() const;

  std::string mainPath_;
  DtcDatabase working_;
  FileStamp stamp_;
  bool read_ = false;
  bool busy_ = false;
  QPointer<FrmLOG> log_;
  std::unique_ptr<Questions> messageBoxes_;
  Questions* questions_ = nullptr;
};

}  // namespace vestral
