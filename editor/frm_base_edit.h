#pragma once

#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "database/dtc_database.h"
#include "editor/main_database.h"
#include "log/frm_log.h"
#include "platform/questions.h"

class QCheckBox;
class QCloseEvent;
class QGroupBox;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace vestral {

class FrmEntries;

// The database editor: reads the main database into a working copy whose table
// names can be edited and written back, and hosts the other editor operations.
// Operations never overlap: while one runs (its log lets window events through)
// every other operation button does nothing and the window refuses to close. Closing
// with changes not written asks first.
class FrmBaseEdit : public QWidget {
  Q_OBJECT

 public:
  // The main database is the one beside the program.
  explicit FrmBaseEdit(QWidget* parent = nullptr);
  // The main database is `mainDatabasePath` (tests, other set-ups).
  explicit FrmBaseEdit(const std::string& mainDatabasePath, QWidget* parent = nullptr);
  ~FrmBaseEdit() override;

  // The working copy: what the latest Read took from the main database, as the
  // operations since have left it.
  const DtcDatabase& workingDatabase() const { return working_; }
  // The log window of the latest operation, or nullptr before the first one.
  FrmLOG* currentLog() const { return log_; }
  // Where questions go; nullptr restores the message boxes over this window. The
  // caller keeps `q` alive.
  void setQuestions(Questions* q);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void buildControls();
  void findControls();
  void connectControls();
  void Form_Load(const std::string& mainDatabasePath);

  void CmdMBRead_Click();
  void CmdMBWrite_Click();
  void CmdCheck_Click();
  // Opens the entries window on the working copy (read state only).
  void CmdEntries_Click();
  void CmdGenerate_Click();
  void CmdCollect_Click();
  void CmdSync_Click();
  void CmdAdd_Click();
  void CmdRemove_Click();
  // The key filter of TxtCode: true when the box takes the key as typed. A key the
  // filter changes (p -> P) is typed into the box here; others are swallowed.
  bool TxtCode_KeyPress(char key);

  Questions& questions() { return *questions_; }
  // Replaces the current log window with a new one owned by this window and returns it.
  FrmLOG* newLogWindow();
  // The code list as it stands (code page 1251).
  std::vector<std::string> codeList() const;
  // Runs one editor operation unless another one is running. Nothing thrown leaves
  // an event handler: a failure ends the open log run in light red.
  void runOperation(const std::function<void()>& body);
  // Read (true) or not-read (false) state of the controls.
  void setReadState(bool read);
  void showTableNames();
  TableNames tableNamesFromBoxes() const;
  // True when the working copy or the name boxes hold what Write has not stored.
  bool unwrittenChanges() const;

  // The controls the handlers use, named as the window's parts are known.
  QGroupBox* FrmM = nullptr;
  QLineEdit* TxtP = nullptr;
  QLineEdit* TxtC = nullptr;
  QLineEdit* TxtB = nullptr;
  QLineEdit* TxtU = nullptr;
  QPushButton* CmdMBRead = nullptr;
  QListWidget* LST = nullptr;
  QLineEdit* TxtCode = nullptr;
  QLineEdit* TxtCFile = nullptr;
  QCheckBox* ChkALL = nullptr;
  QLineEdit* TxtSyn = nullptr;
  QCheckBox* ChkDirect = nullptr;
  QLineEdit* TxtGSrc = nullptr;
  QLineEdit* TxtDst = nullptr;

  std::string mainPath_;
  DtcDatabase working_;
  FileStamp stamp_;
  bool read_ = false;
  bool entriesChanged_ = false;  // entries added, changed or removed since Read or Write
  QPointer<FrmEntries> entries_;
  bool busy_ = false;
  QPointer<FrmLOG> log_;
  std::unique_ptr<Questions> messageBoxes_;
  Questions* questions_ = nullptr;
};

}  // namespace vestral
