#pragma once

#include <QWidget>

#include <functional>
#include <memory>
#include <string>

#include "lookup/followed_database.h"
#include "lookup/text_search.h"

class QLineEdit;
class QTableView;

namespace vestral {

class FoundModel;

// The search window "Поиск кода": the entries that the words typed into TxtFind find, best
// first, listed in LstFound with their code, description and second text, the first one
// highlighted. Enter (in either control) or a double click shows the highlighted code;
// Up and Down in TxtFind move the highlight; Escape closes the window. It searches the
// lookup window's database as the file is at that moment.
class FrmSearch : public QWidget {
  Q_OBJECT

 public:
  // `db` outlives the window; `show` is given the letter form of a chosen entry.
  FrmSearch(FollowedDatabase& db, std::function<void(const std::string&)> show, QWidget* parent);
  ~FrmSearch() override;

  // Lists the entries again when the database changed since they were found (another
  // window read the file anew), so the list never shows what the file no longer holds.
  void followDatabase();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void TxtFind_Change();
  void showChosen();
  bool listKey(QKeyEvent* key);

  FollowedDatabase& db_;
  std::function<void(const std::string&)> show_;
  std::unique_ptr<SearchIndex> index_;
  uint64_t indexed_ = 0;  // the database's generation the index holds
  std::unique_ptr<FoundModel> model_;
  QLineEdit* TxtFind = nullptr;
  QTableView* LstFound = nullptr;
};

}  // namespace vestral
