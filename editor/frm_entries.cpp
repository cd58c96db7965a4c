#include "editor/frm_entries.h"

#include <QAbstractTableModel>
#include <QDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>
#include <string>
#include <utility>

#include "lookup/entry_table_qt.h"
#include "platform/codepage_qt.h"

namespace vestral {

namespace {

constexpr int kShownInQuestion = 10;  // codes a removal question names

// A stored text as a box shows it: line breaks as the box writes them.
QString boxText(const std::string& stored) {
  return FromCp1251(stored).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

// The position of the first character of `text` that code page 1251 lacks, or -1.
int firstMissing(const QString& text) {
  for (int i = 0; i < text.size();) {
    const int n = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
    std::string ignored;
    if (!ToCp1251(text.mid(i, n), ignored)) return i;
    i += n;
  }
  return -1;
}

// The bytes to store for a box's text: those stored before when the text is unchanged
// (they may hold bytes the code page leaves unassigned), else its code page 1251 form
// with line breaks as the files keep them. False when a character has no place there.
bool bytesOf(const QString& text, const std::string& stored, std::string& out) {
  if (text == boxText(stored)) {
    out = stored;
    return true;
  }
  return ToCp1251(QString(text).replace(QStringLiteral("\n"), QStringLiteral("\r\n")), out);
}

MessageBox notice(const QString& text) {
  MessageBox box;
  box.text = ToCp1251Lossy(text);
  box.buttons = {Button::Ok};
  box.icon = Icon::Warning;
  return box;
}

}  // namespace

// The list's rows as the table view asks for them: only those on screen are ever read.
class EntryTableModel : public QAbstractTableModel {
 public:
  explicit EntryTableModel(const EntryList& list) : list_(list) {}

  int rowCount(const QModelIndex& parent) const override {
    return parent.isValid() || hidden_ ? 0 : static_cast<int>(list_.size());
  }
  int columnCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : 3; }
  QVariant data(const QModelIndex& index, int role) const override {
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole) return {};
    const EntryRef ref = list_.at(static_cast<size_t>(index.row()));
    const DtcEntry& e = list_.entry(ref);
    if (index.column() == 0) return FromCp1251(LetterForm(ref.letter, e));
    QString text = FromCp1251(index.column() == 1 ? e.Text : e.Extension);
    // One line a row; the tooltip shows the text as it is.
    return role == Qt::DisplayRole ? text.replace(QStringLiteral("\r\n"), QStringLiteral(" "))
                                   : text;
  }
  QVariant headerData(int section, Qt::Orientation o, int role) const override {
    if (o != Qt::Horizontal || role != Qt::DisplayRole) return {};
    return EntryColumnTitle(section);
  }
  void reset(bool hidden) {
    beginResetModel();
    hidden_ = hidden;
    endResetModel();
  }

 private:
  const EntryList& list_;
  bool hidden_ = false;
};

// The dialog that takes a new entry or new texts for one: TxtEntryCode, TxtEntryText,
// TxtEntryExt, CmdEntrySave and CmdEntryCancel.
class FrmEntry : public QDialog {
 public:
  explicit FrmEntry(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FrmEntry"));
    setWindowModality(Qt::ApplicationModal);
    auto* grid = new QGridLayout(this);
    TxtEntryCode = box<QLineEdit>("TxtEntryCode", QString::fromUtf8("Код"), grid, 0);
    TxtEntryCode->setMaxLength(5);
    TxtEntryText = box<QLineEdit>("TxtEntryText", QString::fromUtf8("Описание"), grid, 1);
    TxtEntryText->setMaxLength(static_cast<int>(kMaxTextBytes));
    TxtEntryExt = box<QPlainTextEdit>("TxtEntryExt", QString::fromUtf8("Второй текст"), grid, 2);
    TxtEntryExt->setTabChangesFocus(true);
    auto* buttons = new QHBoxLayout;
    CmdEntrySave = new QPushButton(QString::fromUtf8("Сохранить"), this);
    CmdEntrySave->setObjectName(QStringLiteral("CmdEntrySave"));
    CmdEntrySave->setDefault(true);
    auto* cancel = new QPushButton(QString::fromUtf8("Отмена"), this);
    cancel->setObjectName(QStringLiteral("CmdEntryCancel"));
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    buttons->addStretch();
    buttons->addWidget(CmdEntrySave);
    buttons->addWidget(cancel);
    grid->addLayout(buttons, 3, 0, 1, 2);
    resize(560, 240);
  }

  // A new entry: an empty code and texts.
  void forNew() {
    adding = true;
    setWindowTitle(QString::fromUtf8("Новая запись"));
    TxtEntryCode->setEnabled(true);
    for (QLineEdit* b : {TxtEntryCode, TxtEntryText}) b->clear();
    TxtEntryExt->clear();
    stored = DtcEntry();
    TxtEntryCode->setFocus();
  }
  // The entry `r`; texts already typed stay, empty ones show what the entry holds.
  void forEntry(EntryRef r, const DtcEntry& e) {
    adding = false;
    ref = r;
    stored = e;
    const QString code = FromCp1251(LetterForm(r.letter, e));
    setWindowTitle(QString::fromUtf8("Запись ") + code);
    TxtEntryCode->setText(code);
    TxtEntryCode->setEnabled(false);
    if (TxtEntryText->text().isEmpty()) TxtEntryText->setText(boxText(e.Text));
    if (TxtEntryExt->toPlainText().isEmpty()) TxtEntryExt->setPlainText(boxText(e.Extension));
    TxtEntryText->setFocus();
  }

  QLineEdit* TxtEntryCode = nullptr;
  QLineEdit* TxtEntryText = nullptr;
  QPlainTextEdit* TxtEntryExt = nullptr;
  QPushButton* CmdEntrySave = nullptr;
  bool adding = true;
  EntryRef ref;
  DtcEntry stored;  // the entry as it was before this edit

 private:
  template <typename Box>
  Box* box(const char* name, const QString& caption, QGridLayout* grid, int row) {
    auto* b = new Box(this);
    b->setObjectName(QLatin1String(name));
    auto* label = new QLabel(caption, this);
    label->setBuddy(b);
    grid->addWidget(label, row, 0, Qt::AlignTop);
    grid->addWidget(b, row, 1);
    return b;
  }
};

FrmEntries::FrmEntries(DtcDatabase& working, std::function<Questions&()> questions,
                       std::function<void()> changed, QWidget* parent)
    : QWidget(parent, Qt::Window),
      list_(working),
      questions_(std::move(questions)),
      changed_(std::move(changed)),
      model_(std::make_unique<EntryTableModel>(list_)) {
  buildControls();
  showRows({});
}

FrmEntries::~FrmEntries() = default;

void FrmEntries::buildControls() {
  setObjectName(QStringLiteral("FrmEntries"));
  setWindowTitle(QString::fromUtf8("Записи базы"));
  resize(760, 480);
  auto* layout = new QVBoxLayout(this);
  auto* filterRow = new QHBoxLayout;
  TxtFilter = new QLineEdit(this);
  TxtFilter->setObjectName(QStringLiteral("TxtFilter"));
  TxtFilter->setPlaceholderText(QString::fromUtf8("код (P04) или слова описания"));
  auto* filterLabel = new QLabel(QString::fromUtf8("&Фильтр:"), this);
  filterLabel->setBuddy(TxtFilter);
  filterRow->addWidget(filterLabel);
  filterRow->addWidget(TxtFilter);
  layout->addLayout(filterRow);

  LstEntries = NewEntryTable(this, "LstEntries", model_.get(), 70, 390);
  LstEntries->setSelectionMode(QAbstractItemView::ExtendedSelection);
  layout->addWidget(LstEntries);

  auto* buttons = new QHBoxLayout;
  LblCount = new QLabel(this);
  LblCount->setObjectName(QStringLiteral("LblCount"));
  buttons->addWidget(LblCount, 1);
  const std::pair<const char*, const char*> captions[] = {{"CmdEntryAdd", "&Добавить…"},
                                                          {"CmdEntryEdit", "&Изменить…"},
                                                          {"CmdEntryRemove", "&Удалить"},
                                                          {"CmdEntryClose", "&Закрыть"}};
  const std::function<void()> clicks[] = {[this] { CmdEntryAdd_Click(); },
                                          [this] { CmdEntryEdit_Click(); },
                                          [this] { CmdEntryRemove_Click(); }, [this] { close(); }};
  for (size_t i = 0; i < std::size(captions); ++i) {
    auto* b = new QPushButton(QString::fromUtf8(captions[i].second), this);
    b->setObjectName(QLatin1String(captions[i].first));
    b->setAutoDefault(false);
    connect(b, &QPushButton::clicked, this, clicks[i]);
    buttons->addWidget(b);
  }
  layout->addLayout(buttons);

  dialog_ = new FrmEntry(this);
  connect(dialog_->CmdEntrySave, &QPushButton::clicked, this, &FrmEntries::CmdEntrySave_Click);
  connect(TxtFilter, &QLineEdit::textChanged, this, &FrmEntries::TxtFilter_Change);
  connect(LstEntries, &QTableView::doubleClicked, this, [this] { CmdEntryEdit_Click(); });
  TxtFilter->installEventFilter(this);
  LstEntries->installEventFilter(this);
  TxtFilter->setFocus();
}

void FrmEntries::suspend() {
  setEnabled(false);
  dialog_->reject();
  model_->reset(true);
}

void FrmEntries::resume() {
  list_.reload();
  showRows({});
  setEnabled(true);
}

void FrmEntries::TxtFilter_Change() {
  list_.setFilter(ToCp1251Lossy(TxtFilter->text()));
  showRows({});
}

void FrmEntries::showRows(EntryRef ref) {
  model_->reset(false);
  LblCount->setText(QString::fromUtf8("Записей: %1 из %2").arg(list_.size()).arg(list_.total()));
  // The list points at a row from the start, so Enter and Delete have one to act on.
  size_t row = list_.rowOf(ref);
  if (row == std::string::npos) row = 0;
  if (row >= list_.size()) return;
  const QModelIndex at = model_->index(static_cast<int>(row), 0);
  LstEntries->setCurrentIndex(at);
  LstEntries->scrollTo(at);
}

std::vector<size_t> FrmEntries::chosenRows() const {
  std::vector<size_t> rows;
  for (const QModelIndex& i : LstEntries->selectionModel()->selectedRows())
    rows.push_back(static_cast<size_t>(i.row()));
  std::sort(rows.begin(), rows.end());
  return rows;
}

void FrmEntries::tell(const QString& text) { questions_().ask(notice(text)); }

void FrmEntries::openEntry(const EntryRef* ref) {
  if (ref)
    dialog_->forEntry(*ref, list_.entry(*ref));
  else
    dialog_->forNew();
  dialog_->show();
  dialog_->raise();
}

void FrmEntries::CmdEntryAdd_Click() { openEntry(nullptr); }

void FrmEntries::CmdEntryEdit_Click() {
  const QModelIndex current = LstEntries->currentIndex();
  if (!current.isValid()) return;
  const EntryRef ref = list_.at(static_cast<size_t>(current.row()));
  dialog_->TxtEntryText->clear();
  dialog_->TxtEntryExt->clear();
  openEntry(&ref);
}

void FrmEntries::CmdEntryRemove_Click() {
  const std::vector<size_t> rows = chosenRows();
  if (rows.empty()) return;
  QStringList codes;
  for (size_t i = 0; i < rows.size() && i < kShownInQuestion; ++i) {
    const EntryRef ref = list_.at(rows[i]);
    codes << FromCp1251(LetterForm(ref.letter, list_.entry(ref)));
  }
  if (rows.size() > kShownInQuestion) codes << QString::fromUtf8("…");
  MessageBox box;
  box.text = ToCp1251Lossy(QString::fromUtf8("Удалить выбранные записи (%1): %2?")
                               .arg(rows.size())
                               .arg(codes.join(QStringLiteral(", "))));
  box.buttons = {Button::Yes, Button::No};
  box.defaultButton = Button::No;
  box.icon = Icon::Question;
  if (questions_().ask(box) != Button::Yes) return;
  list_.remove(rows);
  changed_();
  showRows(list_.size() > rows.front() ? list_.at(rows.front()) : EntryRef{});
}

void FrmEntries::CmdEntrySave_Click() {
  if (saveEntry()) dialog_->accept();
}

bool FrmEntries::saveEntry() {
  FrmEntry& d = *dialog_;
  const QString ext = d.TxtEntryExt->toPlainText();
  std::string text, extension;
  const bool textFits = bytesOf(d.TxtEntryText->text(), d.stored.Text, text);
  if (!textFits || !bytesOf(ext, d.stored.Extension, extension)) {
    const QString bad = textFits ? ext : d.TxtEntryText->text();
    const int at = firstMissing(bad);
    const char32_t c = QStringView(bad).mid(at).toUcs4().value(0);
    const QString hex = QString::number(static_cast<uint>(c), 16).toUpper().rightJustified(4, '0');
    tell(QString::fromUtf8("В поле «%1» символ U+%2: его нет в кодовой странице 1251, в "
                           "которой хранится база. Уберите или замените его.")
             .arg(EntryColumnTitle(textFits ? 2 : 1), hex));
    return false;
  }
  EntryRef ref = d.ref;
  const EntryProblem problem =
      d.adding ? list_.add(ToCp1251Lossy(d.TxtEntryCode->text()), text, extension, ref)
               : list_.change(ref, text, extension);
  switch (problem) {
    case EntryProblem::kNone:
      changed_();
      showRows(ref);
      return true;
    case EntryProblem::kExists: {
      const DtcEntry& e = list_.entry(ref);
      MessageBox box;
      box.text = ToCp1251Lossy(QString::fromUtf8("Код %1 уже есть в таблице %2:\r\n")
                                   .arg(FromCp1251(LetterForm(ref.letter, e)))
                                   .arg(QChar(ref.letter))) +
                 e.Text +
                 ToCp1251Lossy(QString::fromUtf8("\r\n\r\nИзменить эту запись вместо новой?"));
      box.buttons = {Button::Yes, Button::No};
      box.defaultButton = Button::Yes;
      box.icon = Icon::Question;
      if (questions_().ask(box) == Button::Yes) d.forEntry(ref, e);
      return false;
    }
    case EntryProblem::kBadCode:
      tell(QString::fromUtf8("«%1» — не код записи. Код — это буква P, C, B или U и четыре "
                             "шестнадцатеричные цифры (0–9, A–F), первая от 0 до 3, "
                             "например P0A80.")
               .arg(d.TxtEntryCode->text()));
      return false;
    case EntryProblem::kEmptyText:
      tell(
          QString::fromUtf8("Описание не может быть пустым: запись без описания удаляет "
                            "проверка (Check)."));
      return false;
    case EntryProblem::kTooLong:
      tell(QString::fromUtf8("Текст длиннее 65 535 байт: столько база не хранит."));
      return false;
  }
  return false;
}

bool FrmEntries::handleListKey(int key) {
  switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter: CmdEntryEdit_Click(); return true;
    case Qt::Key_Insert: CmdEntryAdd_Click(); return true;
    case Qt::Key_Delete: CmdEntryRemove_Click(); return true;
    default: return false;
  }
}

bool FrmEntries::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return QWidget::eventFilter(watched, event);
  const int key = static_cast<QKeyEvent*>(event)->key();
  if (key == Qt::Key_Escape) {
    close();
    return true;
  }
  if (watched == LstEntries) return handleListKey(key);
  if (watched == TxtFilter &&
      (key == Qt::Key_Down || key == Qt::Key_Return || key == Qt::Key_Enter)) {
    LstEntries->setFocus();
    if (!LstEntries->currentIndex().isValid() && model_->rowCount({}) > 0)
      LstEntries->setCurrentIndex(model_->index(0, 0));
    return true;
  }
  return false;
}

void FrmEntries::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape)
    close();
  else
    QWidget::keyPressEvent(event);
}

}  // namespace vestral
