#pragma once

#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

#include "editor/entry_list.h"
#include "platform/questions.h"

class QLabel;
class QLineEdit;
class QTableView;

namespace vestral {

class EntryTableModel;
class FrmEntry;

// The entries window "Записи базы": every entry of the editor's working copy in the
// list LstEntries, filtered by what is typed into TxtFilter. It adds entries, changes
// their texts and removes them, all in the working copy; the editor's Write stores them.
// Keys: Enter edits the entry the list points at, Insert adds one, Delete removes the
// chosen ones after asking, Escape closes; Down or Enter in the filter goes to the list.
class FrmEntries : public QWidget {
  Q_OBJECT

 public:
  // `working` outlives the window. Questions and notices go to `questions()`; `changed`
  // hears of every change made to the working copy.
  FrmEntries(DtcDatabase& working, std::function<Questions&()> questions,
             std::function<void()> changed, QWidget* parent);
  ~FrmEntries() override;

  // While an editor operation works on the copy the list shows nothing and takes no
  // input; resume() lists the copy as the operation left it.
  void suspend();
  void resume();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void buildControls();
  void TxtFilter_Change();
  void CmdEntryAdd_Click();
  void CmdEntryEdit_Click();
  void CmdEntryRemove_Click();
  void CmdEntrySave_Click();
  // The entry dialog for a new entry (no `ref`) or for the entry `ref`.
  void openEntry(const EntryRef* ref);
  bool saveEntry();
  bool handleListKey(int key);
  // Lists the rows again and points at `ref` when it shows.
  void showRows(EntryRef ref);
  std::vector<size_t> chosenRows() const;
  void tell(const QString& text);

  EntryList list_;
  std::function<Questions&()> questions_;
  std::function<void()> changed_;
  std::unique_ptr<EntryTableModel> model_;
  QLineEdit* TxtFilter = nullptr;
  QTableView* LstEntries = nullptr;
  QLabel* LblCount = nullptr;
  FrmEntry* dialog_ = nullptr;
};

}  // namespace vestral
