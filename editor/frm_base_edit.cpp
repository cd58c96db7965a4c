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
#include <type_traits>
#include <utility>
#include <vector>

#include "editor/checker.h"
#include "editor/collector.h"
#include "editor/frm_entries.h"
#include "editor/generator.h"
#include "editor/synchronizer.h"
#include "log/frm_log.h"
#include "platform/codepage_qt.h"
#include "platform/light_palette_qt.h"
#include "platform/message_box_qt.h"
#include "platform/program_paths.h"
#include "platform/twips_qt.h"

namespace vestral {

namespace {

// "Редактор базы" (database editor), code page 1251.
constexpr const char* kCaption = "\xD0\xE5\xE4\xE0\xEA\xF2\xEE\xF0 \xE1\xE0\xE7\xFB";

constexpr int kClientWidthTwips = 6855;
constexpr int kClientHeightTwips = 5160;

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

// Left, top, width and height in twips; controls are placed within their frame.
struct Twips {
  int left, top, width, height;
  QRect pixels() const { return TwipsRect(left, top, width, height); }
};

enum Frame { kFrmM, kFrame1, kFrame3, kFrame2 };

struct FrameLayout {
  const char* name;
  const char* caption;
  Twips place;
};

constexpr FrameLayout kFrames[] = {
    {"FrmM", "Main Database [%BASE%]", {0, 0, 6855, 1935}},
    {"Frame1", "Collect base", {0, 2040, 3435, 1230}},
    {"Frame3", "Syncronize with main database", {3435, 2040, 3435, 1230}},
    {"Frame2", "Database generator", {0, 3315, 6855, 1845}},
};

// A reminder is a label in red, centred. The code list and its box use the code font.
enum class Kind { kLabel, kReminder, kTextBox, kCodeBox, kList, kButton, kCheckBox };

struct ControlLayout {
  Frame frame;
  Kind kind;
  const char* name;
  const char* caption;  // code page 1251
  Twips place;
};

// In creation order, which is also the order the Tab key follows.
constexpr ControlLayout kControls[] = {
    // The main database: table names, Read / Write / Check, the code list.
    {kFrmM, Kind::kLabel, "Label1_0", "P - base", {120, 255, 1095, 255}},
    {kFrmM, Kind::kLabel, "Label1_1", "C - base", {120, 540, 1095, 255}},
    {kFrmM, Kind::kLabel, "Label1_2", "B - base", {120, 825, 1095, 255}},
    {kFrmM, Kind::kLabel, "Label1_3", "U - base", {120, 1110, 1095, 255}},
    {kFrmM, Kind::kTextBox, "TxtP", "", {840, 255, 3375, 285}},
    {kFrmM, Kind::kTextBox, "TxtC", "", {840, 540, 3375, 285}},
    {kFrmM, Kind::kTextBox, "TxtB", "", {840, 825, 3375, 285}},
    {kFrmM, Kind::kTextBox, "TxtU", "", {840, 1110, 3375, 285}},
    {kFrmM, Kind::kButton, "CmdMBRead", "Read", {840, 1410, 735, 375}},
    {kFrmM, Kind::kButton, "CmdMBWrite", "Write", {1590, 1410, 735, 375}},
    {kFrmM, Kind::kButton, "CmdCheck", "Check", {2340, 1410, 735, 375}},
    // Opens the entries window; in the row of Read, Write and Check, where nothing stood.
    {kFrmM, Kind::kButton, "CmdEntries", "Entries", {3090, 1410, 735, 375}},
    {kFrmM, Kind::kList, "LST", "", {4290, 240, 1290, 1620}},
    {kFrmM, Kind::kCodeBox, "TxtCode", "", {5595, 240, 1185, 285}},
    {kFrmM, Kind::kButton, "CmdAdd", "<---", {5595, 525, 1185, 285}},
    {kFrmM, Kind::kButton, "CmdRemove", "--->", {5595, 810, 1185, 285}},
    // The collector.
    {kFrame1, Kind::kLabel, "Label1_8", "Database to collect", {120, 255, 1380, 195}},
    {kFrame1, Kind::kTextBox, "TxtCFile", "", {120, 480, 3240, 285}},
    {kFrame1, Kind::kCheckBox, "ChkALL", "All base (not select)", {120, 795, 1815, 255}},
    {kFrame1, Kind::kButton, "CmdCollect", "Collect", {2145, 780, 1215, 375}},
    // The synchronizer.
    {kFrame3, Kind::kLabel, "Label1_7", "Database to synchronize", {120, 255, 1890, 255}},
    {kFrame3, Kind::kTextBox, "TxtSyn", "", {120, 480, 3255, 285}},
    {kFrame3, Kind::kCheckBox, "ChkDirect", "Direct synchronize", {120, 810, 2100, 255}},
    {kFrame3, Kind::kButton, "CmdSync", "Synchronize", {2160, 795, 1215, 375}},
    // The generator.
    {kFrame2, Kind::kLabel, "Label1_4", "Source file *.txt", {120, 225, 1095, 255}},
    // The reminder's fourth line (the bar and the second text) takes one line more
    // than its first three, and the controls below it move down by as much.
    {kFrame2, Kind::kReminder, "Label1_5", kSourceFormatLabel, {780, 105, 6615, 810}},
    {kFrame2, Kind::kTextBox, "TxtGSrc", "", {105, 900, 6675, 285}},
    {kFrame2, Kind::kLabel, "Label1_6", "Destination file *.dat", {120, 1230, 1410, 195}},
    {kFrame2, Kind::kTextBox, "TxtDst", "", {105, 1485, 5340, 285}},
    {kFrame2, Kind::kButton, "CmdGenerate", "Generate", {5520, 1410, 1215, 375}},
};

// What only a read working copy serves; Read itself is enabled the other way round.
constexpr const char* kReadStateControls[] = {"CmdMBWrite", "CmdCheck",  "CmdEntries", "TxtB",
                                              "TxtC",       "TxtP",      "TxtU",       "CmdAdd",
                                              "CmdRemove",  "CmdCollect"};

QGroupBox* makeFrame(const FrameLayout& layout, QWidget* window) {
  auto* box = new QGroupBox(QString::fromLatin1(layout.caption), window);
  box->setObjectName(QString::fromLatin1(layout.name));
  box->setGeometry(layout.place.pixels());
  box->setPalette(FixedLightPalette());
  // The frame's line runs through the middle of its caption, so the controls at
  // their given places sit inside it.
  box->setStyleSheet(
      QStringLiteral("QGroupBox { border: 1px solid #a0a0a0; margin-top: 6px; }"
                     "QGroupBox::title { subcontrol-origin: margin; subcontrol-position: top left;"
                     " left: 6px; top: 0px; padding: 0 2px; }"));
  return box;
}

QWidget* newControl(Kind kind, const QString& caption, QWidget* frame) {
  switch (kind) {
    case Kind::kLabel:
    case Kind::kReminder: return new QLabel(caption, frame);
    case Kind::kTextBox:
    case Kind::kCodeBox: return new QLineEdit(frame);
    case Kind::kList: return new QListWidget(frame);
    case Kind::kButton: {
      auto* button = new QPushButton(caption, frame);
      button->setAutoDefault(false);
      return button;
    }
    case Kind::kCheckBox: return new QCheckBox(caption, frame);
  }
  return nullptr;
}

void placeLabel(QLabel* label, Kind kind) {
  if (kind == Kind::kReminder) {
    // Centred, the reminder stays clear of "Source file *.txt", which its box overlaps.
    label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    QPalette red = label->palette();
    red.setColor(QPalette::WindowText, QColor(255, 0, 0));
    label->setPalette(red);
    return;
  }
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  // A caption a little wider than its label under this font is shown whole.
  if (label->sizeHint().width() > label->width())
    label->resize(label->sizeHint().width(), label->height());
}

void makeControl(const ControlLayout& layout, QWidget* frame) {
  const QString caption =
      FromCp1251(layout.caption).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  QWidget* w = newControl(layout.kind, caption, frame);
  // A styled frame does not pass its font on.
  const bool code = layout.kind == Kind::kCodeBox || layout.kind == Kind::kList;
  w->setFont(code ? codeFont() : formFont());
  w->setObjectName(QString::fromLatin1(layout.name));
  w->setGeometry(layout.place.pixels());
  // A styled frame passes no palette on: each control takes the window's, so a disabled
  // box stays white, not the style's grey.
  w->setPalette(FixedLightPalette());
  if (auto* label = qobject_cast<QLabel*>(w)) placeLabel(label, layout.kind);
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
  // The window and its controls are white whatever the desktop's theme, and so every
  // colour on them is fixed.
  setPalette(FixedLightPalette());
  setAutoFillBackground(true);
  resize(Px(kClientWidthTwips), Px(kClientHeightTwips));

  std::vector<QGroupBox*> frames;
  for (const FrameLayout& layout : kFrames) frames.push_back(makeFrame(layout, this));
  for (const ControlLayout& layout : kControls) makeControl(layout, frames[layout.frame]);
  findControls();
  connectControls();
  setReadState(false);
}

void FrmBaseEdit::findControls() {
  auto find = [this](auto*& control, const char* name) {
    control = findChild<std::remove_reference_t<decltype(control)>>(QLatin1String(name));
  };
  find(FrmM, "FrmM");
  find(TxtP, "TxtP");
  find(TxtC, "TxtC");
  find(TxtB, "TxtB");
  find(TxtU, "TxtU");
  find(CmdMBRead, "CmdMBRead");
  find(LST, "LST");
  find(TxtCode, "TxtCode");
  find(TxtCFile, "TxtCFile");
  find(ChkALL, "ChkALL");
  find(TxtSyn, "TxtSyn");
  find(ChkDirect, "ChkDirect");
  find(TxtGSrc, "TxtGSrc");
  find(TxtDst, "TxtDst");
}

void FrmBaseEdit::connectControls() {
  const std::pair<const char*, void (FrmBaseEdit::*)()> clicks[] = {
      {"CmdMBRead", &FrmBaseEdit::CmdMBRead_Click},
      {"CmdMBWrite", &FrmBaseEdit::CmdMBWrite_Click},
      {"CmdCheck", &FrmBaseEdit::CmdCheck_Click},
      {"CmdEntries", &FrmBaseEdit::CmdEntries_Click},
      {"CmdAdd", &FrmBaseEdit::CmdAdd_Click},
      {"CmdRemove", &FrmBaseEdit::CmdRemove_Click},
      {"CmdCollect", &FrmBaseEdit::CmdCollect_Click},
      {"CmdSync", &FrmBaseEdit::CmdSync_Click},
      {"CmdGenerate", &FrmBaseEdit::CmdGenerate_Click},
  };
  for (const auto& [name, handler] : clicks)
    connect(findChild<QPushButton*>(QLatin1String(name)), &QPushButton::clicked, this, handler);

  for (QLineEdit* box : {TxtP, TxtC, TxtB, TxtU}) {
    box->setMaxLength(static_cast<int>(kMaxTextBytes));
    box->setValidator(new TableNameValidator(box));
  }
  TxtCode->setMaxLength(static_cast<int>(kListCodeLength));
  // Keys are filtered as they are typed; this also keeps pasted text to codes.
  TxtCode->setValidator(new QRegularExpressionValidator(
      QRegularExpression(QStringLiteral("[PCBU0-9]{0,5}")), TxtCode));
  TxtCode->installEventFilter(this);
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
  // Edits made now would be dropped by the next Read: the window waits for it.
  if (!read && entries_) entries_->hide();
  CmdMBRead->setEnabled(!read);
  for (const char* name : kReadStateControls)
    findChild<QWidget*>(QLatin1String(name))->setEnabled(read);
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
  // The operation may change the working copy under the entries window's rows.
  if (entries_) entries_->suspend();
  try {
    body();
  } catch (const std::exception& e) {
    if (FrmLOG* log = log_.data(); log && log->running()) {
      LogError(*log, std::string("Failed: ") + e.what());
      log->DONE();
    }
  }
  if (entries_) entries_->resume();
}

void FrmBaseEdit::CmdMBRead_Click() {
  runOperation([this] {
    FrmLOG* log = newLogWindow();
    // A file that cannot be read leaves the editor in the not-read state.
    if (!ReadMainDatabase(mainPath_, working_, stamp_, *log)) return;
    entriesChanged_ = false;
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
    if (outcome == WriteOutcome::kWritten) {
      entriesChanged_ = false;
      setReadState(false);
    }
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
    if (CheckDatabase(working_, *newLogWindow()).removed > 0) entriesChanged_ = true;
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

void FrmBaseEdit::CmdEntries_Click() {
  if (!read_ || busy_) return;
  if (!entries_)
    entries_ = new FrmEntries(
        working_, [this]() -> Questions& { return questions(); },
        [this] { entriesChanged_ = true; }, this);
  entries_->show();
  entries_->raise();
  entries_->activateWindow();
}

bool FrmBaseEdit::unwrittenChanges() const {
  if (!read_) return false;
  const TableNames names = tableNamesFromBoxes();
  return entriesChanged_ || names.B != working_.B.Name || names.C != working_.C.Name ||
         names.P != working_.P.Name || names.U != working_.U.Name;
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
  if (unwrittenChanges()) {
    const Button answer = questions().ask(UnwrittenChangesQuestion(mainPath_));
    if (answer == Button::Yes) CmdMBWrite_Click();
    // Written, the editor is back in the not-read state; declined or failed, it stays.
    if (answer == Button::Cancel || (answer == Button::Yes && read_)) {
      event->ignore();
      return;
    }
  }
  event->accept();
}

}  // namespace vestral
