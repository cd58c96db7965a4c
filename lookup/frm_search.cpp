#include "lookup/frm_search.h"

#include <QAbstractTableModel>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTableView>
#include <QVBoxLayout>

#include <utility>
#include <vector>

#include "lookup/entry_table_qt.h"
#include "lookup/lookup.h"
#include "platform/codepage_qt.h"

namespace vestral {

// The entries found, read from the database only for the rows on screen. Rows found in
// contents the database no longer holds show nothing until the list is made again.
class FoundModel : public QAbstractTableModel {
 public:
  explicit FoundModel(const FollowedDatabase& db) : db_(db) {}

  int rowCount(const QModelIndex& parent) const override {
    return parent.isValid() ? 0 : static_cast<int>(hits_.size());
  }
  int columnCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : 3; }
  QVariant data(const QModelIndex& index, int role) const override {
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole) return {};
    if (!current() || index.row() >= rowCount({})) return {};
    const SearchHit& hit = hits_[static_cast<size_t>(index.row())];
    if (index.column() == 0) return FromCp1251(letterForm(hit));
    const std::string_view text = index.column() == 1 ? hit.entry.Text : hit.entry.Extension;
    // One line a row; the tooltip shows the text as it is.
    if (role == Qt::DisplayRole) return FromCp1251(OneLineField(text));
    return FromCp1251(std::string(text)).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  }
  QVariant headerData(int section, Qt::Orientation o, int role) const override {
    if (o != Qt::Horizontal || role != Qt::DisplayRole) return {};
    return EntryColumnTitle(section);
  }

  void show(std::vector<SearchHit> hits) {
    beginResetModel();
    hits_ = std::move(hits);
    generation_ = db_.generation();
    endResetModel();
  }
  bool current() const { return generation_ == db_.generation(); }
  // The letter form of the row's entry; empty when there is none.
  std::string codeAt(int row) const {
    if (!current() || row < 0 || row >= rowCount({})) return {};
    return letterForm(hits_[static_cast<size_t>(row)]);
  }

 private:
  static std::string letterForm(const SearchHit& hit) {
    // Appended: GCC 12 warns falsely (-Wrestrict) on a std::string + std::string here.
    return std::string(1, hit.letter).append(hit.entry.code);
  }

  const FollowedDatabase& db_;
  std::vector<SearchHit> hits_;
  uint64_t generation_ = 0;
};

FrmSearch::FrmSearch(FollowedDatabase& db, std::function<void(const std::string&)> show,
                     QWidget* parent)
    : QWidget(parent, Qt::Window),
      db_(db),
      show_(std::move(show)),
      model_(std::make_unique<FoundModel>(db)) {
  setObjectName(QStringLiteral("FrmSearch"));
  setWindowTitle(QString::fromUtf8("Поиск кода"));
  resize(640, 320);
  auto* layout = new QVBoxLayout(this);
  TxtFind = new QLineEdit(this);
  TxtFind->setObjectName(QStringLiteral("TxtFind"));
  TxtFind->setPlaceholderText(QString::fromUtf8("слова описания: датчик кислорода, misfire…"));
  layout->addWidget(TxtFind);

  LstFound = NewEntryTable(this, "LstFound", model_.get(), 64, 330);
  layout->addWidget(LstFound);

  connect(TxtFind, &QLineEdit::textChanged, this, &FrmSearch::TxtFind_Change);
  connect(LstFound, &QTableView::doubleClicked, this, &FrmSearch::showChosen);
  TxtFind->installEventFilter(this);
  LstFound->installEventFilter(this);
  TxtFind->setFocus();
}

FrmSearch::~FrmSearch() = default;

void FrmSearch::TxtFind_Change() {
  db_.refresh();
  // The words of the entries are indexed once for each contents of the file.
  if (!index_ || indexed_ != db_.generation()) {
    index_ = std::make_unique<SearchIndex>(db_.view());
    indexed_ = db_.generation();
  }
  model_->show(FindForPeople(*index_, ToCp1251Lossy(TxtFind->text()), kAllHits));
  if (model_->rowCount({}) > 0) LstFound->setCurrentIndex(model_->index(0, 0));
}

void FrmSearch::followDatabase() {
  if (!model_->current()) TxtFind_Change();
}

void FrmSearch::showChosen() {
  const std::string code = model_->codeAt(LstFound->currentIndex().row());
  if (!code.empty()) show_(code);
}

bool FrmSearch::listKey(QKeyEvent* key) {
  switch (key->key()) {
    case Qt::Key_Escape: close(); return true;
    case Qt::Key_Return:
    case Qt::Key_Enter: showChosen(); return true;
    default: return false;
  }
}

bool FrmSearch::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return QWidget::eventFilter(watched, event);
  auto* key = static_cast<QKeyEvent*>(event);
  if (watched == TxtFind) {
    switch (key->key()) {
      // The highlight moves while the query keeps the focus.
      case Qt::Key_Up:
      case Qt::Key_Down:
      case Qt::Key_PageUp:
      case Qt::Key_PageDown: QCoreApplication::sendEvent(LstFound, event); return true;
      default: break;
    }
  }
  return (watched == TxtFind || watched == LstFound) && listKey(key);
}

void FrmSearch::keyPressEvent(QKeyEvent* event) {
  if (!listKey(event)) QWidget::keyPressEvent(event);
}

}  // namespace vestral
