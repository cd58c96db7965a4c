#include "editor/frm_base_edit.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QValidator>

#include <exception>
#include <functional>

#include "editor/checker.h"
#include "editor/collector.h"
#include "editor/generator.h"
#include "editor/synchronizer.h"
#include "log/frm_log.h"
#include "platform/codepage_qt.h"
#include "platform/message_box_qt.h"
#include "platform/program_paths.h"

namespace vestral {

namespace {

// "Редактор базы" (database editor), code page 1251.
constexpr const char* kCaption = "\xD0\xE5\xE4\xE0\xEA\xF2\xEE\xF0 \xE1\xE0\xE7\xFB";

constexpr int kClientWidthTwips = 6855;
constexpr int kClientHeightTwips = 4965;

int px(int twips) { return (twips * 2 + 15) / 30; }  // 15 twips to the pixel, rounded
QRect twipsRect(int left, int top, int width, int height) {
  return QRect(px(left), px(top), px(width), px(height));
}

QFont formFont() {
  QFont f;
  // Narrow enough for the captions to fit their labels, as the classic 8 pt dialog
  // font does ("MS Sans Serif" itself would be replaced by a wide face here).
  f.setFamilies(
      {QStringLiteral("Arial"), QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
  f.setStyleHint(QFont::SansSerif);
  f.setPointSize(8);
  return f;
}

QFont codeFont() {
  QFont f;
  f.setFamilies({QStringLiteral("Courier New"), QStringLiteral("Liberation Mono"),
                 QStringLiteral("DejaVu Sans Mono")});
  f.setStyleHint(QFont::TypeWriter);
  f.setPointSize(10);
  f.setBold(true);
  return f;
}

// A table name must survive the trip to the file: only text code page 1251 can hold,
// and no more bytes than a database stores, can be typed or pasted.
class TableNameValidator : public QValidator {
 public:
  using QValidator::QValidator;
  State validate(QString& input, int&) const override {
    std::string bytes;
    if (!ToCp1251(input, bytes)) return Invalid;
    if (bytes.size() > kMaxTextBytes) return Invalid;
    return Acceptable;
  }
};

class BusyScope {
 public:
  explicit BusyScope(bool& flag) : flag_(flag) { flag_ = true; }
  ~BusyScope() { flag_ = false; }
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;

 private:
  bool& flag_;
};

}  // namespace

FrmBaseEdit::FrmBaseEdit(QWidget* parent) : FrmBaseEdit(MainDatabasePath(), parent) {}

FrmBaseEdit::FrmBaseEdit(const std::string& mainDatabasePath, QWidget* parent)
    : QWidget(parent, Qt::Window),
      messageBoxes_(std::make_unique<MessageBoxQuestions>(this)),
      questions_(messageBoxes_.get()) {
  buildControls();
  Form_Load(mainDatabasePath);
}

FrmBaseEdit::~FrmBaseEdit() = default;

void FrmBaseEdit::buildControls() {
  setObjectName(QStringLiteral("FrmBaseEdit"));
  setWindowTitle(FromCp1251(kCaption));
  setFont(formFont());
  QPalette pal = palette();
  for (QPalette::ColorRole role : {QPalette::Window, QPalette::Base, QPalette::Button})
    pal.setColor(role, Qt::white);
  setPalette(pal);
  setAutoFillBackground(true);
  resize(px(kClientWidthTwips), px(kClientHeightTwips));

  auto frame = [this](QGroupBox*& box, const char* name, const char* caption, QRect r) {
    box = new QGroupBox(QString::fromLatin1(caption), this);
    box->setObjectName(QString::fromLatin1(name));
    box->setGeometry(r);
    // The frame's line runs through the middle of its caption, so the controls at
    // their given places sit inside it.
    box->setStyleSheet(QStringLiteral(
        "QGroupBox { border: 1px solid #a0a0a0; margin-top: 6px; }"
        "QGroupBox::title { subcontrol-origin: margin; subcontrol-position: top left;"
        " left: 6px; top: 0px; padding: 0 2px; }"));
  };
  auto label = [this](QWidget* parent, int index, const QString& caption, QRect r) {
    QLabel* l = new QLabel(caption, parent);
    l->setFont(formFont());  // a styled frame does not pass its font on
    l->setObjectName(QStringLiteral("Label1_%1").arg(index));
    l->setGeometry(r);
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // A caption a little wider than its label under this font is shown whole.
    if (!caption.contains(QLatin1Char('\n')) && l->sizeHint().width() > r.width())
      l->resize(l->sizeHint().width(), r.height());
    Label1[static_cast<size_t>(index)] = l;
  };
  auto textBox = [](QLineEdit*& box, QWidget* parent, const char* name, QRect r) {
    box = new QLineEdit(parent);
    box->setFont(formFont());  // a styled frame does not pass its font on
    box->setObjectName(QString::fromLatin1(name));
    box->setGeometry(r);
  };
  auto button = [this](QPushButton*& b, QWidget* parent, const char* name, const char* caption,
                       QRect r, void (FrmBaseEdit::*handler)()) {
    b = new QPushButton(QString::fromLatin1(caption), parent);
    b->setFont(formFont());  // a styled frame does not pass its font on
    b->setObjectName(QString::fromLatin1(name));
    b->setGeometry(r);
    b->setAutoDefault(false);
    connect(b, &QPushButton::clicked, this, handler);
  };
  auto checkBox = [](QCheckBox*& c, QWidget* parent, const char* name, const char* caption,
                     QRect r) {
    c = new QCheckBox(QString::fromLatin1(caption), parent);
    c->setFont(formFont());  // a styled frame does not pass its font on
    c->setObjectName(QString::fromLatin1(name));
    c->setGeometry(r);
  };

  frame(FrmM, "FrmM", "Main Database [%BASE%]", twipsRect(0, 0, 6855, 1935));
  frame(Frame1, "Frame1", "Collect base", twipsRect(0, 2040, 3435, 1230));
  frame(Frame3, "Frame3", "Syncronize with main database", twipsRect(3435, 2040, 3435, 1230));
  frame(Frame2, "Frame2", "Database generator", twipsRect(0, 3315, 6855, 1650));

  // The main database: table names, Read / Write / Check, the code list.
  label(FrmM, 0, QStringLiteral("P - base"), twipsRect(120, 255, 1095, 255));
  label(FrmM, 1, QStringLiteral("C - base"), twipsRect(120, 540, 1095, 255));
  label(FrmM, 2, QStringLiteral("B - base"), twipsRect(120, 825, 1095, 255));
  label(FrmM, 3, QStringLiteral("U - base"), twipsRect(120, 1110, 1095, 255));
  textBox(TxtP, FrmM, "TxtP", twipsRect(840, 255, 3375, 285));
  textBox(TxtC, FrmM, "TxtC", twipsRect(840, 540, 3375, 285));
  textBox(TxtB, FrmM, "TxtB", twipsRect(840, 825, 3375, 285));
  textBox(TxtU, FrmM, "TxtU", twipsRect(840, 1110, 3375, 285));
  for (QLineEdit* box : {TxtP, TxtC, TxtB, TxtU}) {
    box->setMaxLength(static_cast<int>(kMaxTextBytes));
    box->setValidator(new TableNameValidator(box));
  }
  button(CmdMBRead, FrmM, "CmdMBRead", "Read", twipsRect(840, 1410, 735, 375),
         &FrmBaseEdit::CmdMBRead_Click);
  button(CmdMBWrite, FrmM, "CmdMBWrite", "Write", twipsRect(1590, 1410, 735, 375),
         &FrmBaseEdit::CmdMBWrite_Click);
  button(CmdCheck, FrmM, "CmdCheck", "Check", twipsRect(2340, 1410, 735, 375),
         &FrmBaseEdit::CmdCheck_Click);
  LST = new QListWidget(FrmM);
  LST->setObjectName(QStringLiteral("LST"));
  LST->setGeometry(twipsRect(4290, 240, 1290, 1620));
  LST->setFont(codeFont());
  textBox(TxtCode, FrmM, "TxtCode", twipsRect(5595, 240, 1185, 285));
  TxtCode->setFont(codeFont());
  TxtCode->setMaxLength(static_cast<int>(kListCodeLength));
  // Keys are filtered as they are typed; this also keeps pasted text to codes.
  TxtCode->setValidator(new QRegularExpressionValidator(
      QRegularExpression(QStringLiteral("[PCBU0-9]{0,5}")), TxtCode));
  TxtCode->installEventFilter(this);
  button(CmdAdd, FrmM, "CmdAdd", "<---", twipsRect(5595, 525, 1185, 285),
         &FrmBaseEdit::CmdAdd_Click);
  button(CmdRemove, FrmM, "CmdRemove", "--->", twipsRect(5595, 810, 1185, 285),
         &FrmBaseEdit::CmdRemove_Click);

  // The collector.
  label(Frame1, 8, QStringLiteral("Database to collect"), twipsRect(120, 255, 1380, 195));
  textBox(TxtCFile, Frame1, "TxtCFile", twipsRect(120, 480, 3240, 285));
  checkBox(ChkALL, Frame1, "ChkALL", "All base (not select)", twipsRect(120, 795, 1815, 255));
  button(CmdCollect, Frame1, "CmdCollect", "Collect", twipsRect(2145, 780, 1215, 375),
         &FrmBaseEdit::CmdCollect_Click);

  // The synchronizer.
  label(Frame3, 7, QStringLiteral("Database to synchronize"), twipsRect(120, 255, 1890, 255));
  textBox(TxtSyn, Frame3, "TxtSyn", twipsRect(120, 480, 3255, 285));
  checkBox(ChkDirect, Frame3, "ChkDirect", "Direct synchronize", twipsRect(120, 810, 2100, 255));
  button(CmdSync, Frame3, "CmdSync", "Synchronize", twipsRect(2160, 795, 1215, 375),
         &FrmBaseEdit::CmdSync_Click);

  // The generator.
  label(Frame2, 4, QStringLiteral("Source file *.txt"), twipsRect(120, 225, 1095, 255));
  label(Frame2, 5,
        FromCp1251(kSourceFormatLabel).replace(QStringLiteral("\r\n"), QStringLiteral("\n")),
        twipsRect(780, 105, 6615, 615));
  // Centred, the reminder stays clear of "Source file *.txt", which its box overlaps.
  Label1[5]->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  QPalette red = Label1[5]->palette();
  red.setColor(QPalette::WindowText, QColor(255, 0, 0));
  Label1[5]->setPalette(red);
  textBox(TxtGSrc, Frame2, "TxtGSrc", twipsRect(105, 705, 6675, 285));
  label(Frame2, 6, QStringLiteral("Destination file *.dat"), twipsRect(120, 1035, 1410, 195));
  textBox(TxtDst, Frame2, "TxtDst", twipsRect(105, 1290, 5340, 285));
  button(CmdGenerate, Frame2, "CmdGenerate", "Generate", twipsRect(5520, 1215, 1215, 375),
         &FrmBaseEdit::CmdGenerate_Click);

  setReadState(false);
}

void FrmBaseEdit::Form_Load(const std::string& mainDatabasePath) {
  mainPath_ = mainDatabasePath;
  FrmM->setTitle(QStringLiteral("Main Database [") + FromNativePath(mainPath_) +
                 QStringLiteral("]"));
}

void FrmBaseEdit::setQuestions(Questions* q) { questions_ = q ? q : messageBoxes_.get(); }

FrmLOG* FrmBaseEdit::newLogWindow() {
  if (FrmLOG* old = log_.data()) {
    // The former log stays until the user closes it; one already closed goes now.
    if (!old->isVisible() && !old->running())
      old->deleteLater();
    else
      old->setAttribute(Qt::WA_DeleteOnClose);
  }
  log_ = new FrmLOG(this);
  return log_.data();
}

std::vector<std::string> FrmBaseEdit::codeList() const {
  std::vector<std::string> codes;
  codes.reserve(static_cast<size_t>(LST->count()));
  for (int i = 0; i < LST->count(); ++i) codes.push_back(ToCp1251Lossy(LST->item(i)->text()));
  return codes;
}

void FrmBaseEdit::setReadState(bool read) {
  read_ = read;
  CmdMBRead->setEnabled(!read);
  for (QWidget* w : std::initializer_list<QWidget*>{CmdMBWrite, CmdCheck, TxtB, TxtC, TxtP, TxtU,
                                                    CmdAdd, CmdRemove, CmdCollect})
    w->setEnabled(read);
}

void FrmBaseEdit::showTableNames() {
  TxtB->setText(FromCp1251(working_.B.Name));
  TxtC->setText(FromCp1251(working_.C.Name));
  TxtP->setText(FromCp1251(working_.P.Name));
  TxtU->setText(FromCp1251(working_.U.Name));
}

TableNames FrmBaseEdit::tableNamesFromBoxes() const {
  // A name left as it was read keeps its bytes, even one the code page cannot show.
  auto name = [](const QLineEdit* box, const std::string& stored) {
    const QString text = box->text();
    if (text == FromCp1251(stored)) return stored;
    std::string bytes;
    if (ToCp1251(text, bytes)) return bytes;
    return ToCp1251Lossy(text);  // unreachable: the validator refuses such text
  };
  return {name(TxtB, working_.B.Name), name(TxtC, working_.C.Name), name(TxtP, working_.P.Name),
          name(TxtU, working_.U.Name)};
}

void FrmBaseEdit::runOperation(const std::function<void()>& body) {
  if (busy_) return;
  BusyScope scope(busy_);
  try {
    body();
  } catch (const std::exception& e) {
    if (FrmLOG* log = log_.data(); log && log->running()) {
      LogError(*log, std::string("Failed: ") + e.what());
      log->DONE();
    }
  }
}

void FrmBaseEdit::CmdMBRead_Click() {
  runOperation([this] {
    FrmLOG* log = newLogWindow();
    // A file that cannot be read leaves the editor in the not-read state.
    if (!ReadMainDatabase(mainPath_, working_, stamp_, *log)) return;
    showTableNames();
    setReadState(true);
  });
}

void FrmBaseEdit::CmdMBWrite_Click() {
  runOperation([this] {
    FrmLOG* log = log_ ? log_.data() : newLogWindow();
    const WriteOutcome outcome =
        WriteMainDatabase(mainPath_, working_, tableNamesFromBoxes(), stamp_, *log, questions());
    // Declined or failed: the edited names stay, ready for another try.
    if (outcome == WriteOutcome::kWritten) setReadState(false);
    // Declined because the file changed on disk: reading it again, dropping the
    // edits, is the other way on.
    if (outcome == WriteOutcome::kDeclined) CmdMBRead->setEnabled(true);
  });
}

// Check and Collect work on the working database, so only in the read state; the
// disabled buttons say the same, this also covers calls that bypass them.

void FrmBaseEdit::CmdCheck_Click() {
  if (!read_) return;
  runOperation([this] {
    // The removals stay in memory until Write.
    CheckDatabase(working_, *newLogWindow());
  });
}

void FrmBaseEdit::CmdGenerate_Click() {
  runOperation([this] {
    // The paths are taken once: the boxes may be edited while the run lets events in.
    const std::string source = ToNativePath(TxtGSrc->text());
    const std::string dest = ToNativePath(TxtDst->text());
    // The log window shows how the run ended; the window keeps nothing of it.
    static_cast<void>(Generate(source, dest, *newLogWindow(), questions()));
  });
}

void FrmBaseEdit::CmdCollect_Click() {
  if (!read_) return;
  runOperation([this] {
    // The list as it stands now; later additions or removals do not change this run.
    const std::vector<std::string> codes = codeList();
    const std::string out = ToNativePath(TxtCFile->text());
    static_cast<void>(
        Collect(working_, out, ChkALL->isChecked(), codes, *newLogWindow(), questions()));
  });
}

void FrmBaseEdit::CmdSync_Click() {
  runOperation([this] {
    // The working copy is left as it was read: Write notices that the file changed
    // since and asks before putting the older copy back.
    const std::string other = ToNativePath(TxtSyn->text());
    static_cast<void>(
        Synchronize(mainPath_, other, ChkDirect->isChecked(), *newLogWindow(), questions()));
  });
}

void FrmBaseEdit::CmdAdd_Click() {
  if (static_cast<size_t>(TxtCode->text().size()) < kListCodeLength) return;
  LST->addItem(TxtCode->text());
  TxtCode->clear();
}

void FrmBaseEdit::CmdRemove_Click() {
  const int row = LST->currentRow();
  if (row < 0 || !LST->item(row)->isSelected()) return;
  delete LST->takeItem(row);
  // Nothing stays selected, so a second click removes nothing by accident.
  LST->setCurrentRow(-1);
  LST->clearSelection();
}

bool FrmBaseEdit::TxtCode_KeyPress(char key) {
  const std::optional<char> filtered = FilterCodeKey(key);
  if (!filtered) return false;
  if (*filtered != key) {
    TxtCode->insert(QString(QChar(*filtered)));
    return false;
  }
  return true;
}

bool FrmBaseEdit::eventFilter(QObject* watched, QEvent* event) {
  if (watched != TxtCode || event->type() != QEvent::KeyPress)
    return QWidget::eventFilter(watched, event);
  const auto* key = static_cast<QKeyEvent*>(event);
  // Focus keys and keys without a character (arrows, Delete) keep their usual meaning.
  if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) return false;
  const QString text = key->text();
  if (text.isEmpty()) return false;
  if (text.size() != 1 || text.at(0).unicode() > 0x7F) return true;
  return !TxtCode_KeyPress(static_cast<char>(text.at(0).unicode()));
}

void FrmBaseEdit::closeEvent(QCloseEvent* event) {
  // A running operation still works on this window's state.
  if (busy_) {
    event->ignore();
    return;
  }
  event->accept();
}

}  // namespace vestral
