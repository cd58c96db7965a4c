#include "lookup/frm_main.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPointer>
#include <QTextEdit>
#include <QTimer>

#include <algorithm>
#include <cstdio>

#include "database/database_view.h"
#include "lookup/code_conversion.h"
#include "lookup/default_notice.h"
#include "lookup/editor_gate.h"
#include "lookup/frm_search.h"
#include "lookup/program_picture_qt.h"
#include "platform/codepage_qt.h"
#include "platform/light_palette_qt.h"
#include "platform/message_box_qt.h"
#include "platform/program_paths.h"
#include "platform/twips_qt.h"

namespace vestral {

namespace {

// "Код ошибки DTC" and "Код ошибки ODB" in code page 1251.
constexpr const char* kHexHeading = "\xCA\xEE\xE4 \xEE\xF8\xE8\xE1\xEA\xE8 DTC";
constexpr const char* kLetterHeading = "\xCA\xEE\xE4 \xEE\xF8\xE8\xE1\xEA\xE8 ODB";

// Box colours that carry the state of a code.
const QColor kIdleBack{255, 255, 128};
const QColor kIncompleteBack{255, 128, 128};
const QColor kCompleteBack{128, 255, 128};
const QColor kNotFoundBack{255, 0, 0};

constexpr int kClientWidthTwips = 7995;
constexpr int kClientHeightTwips = 2985;

// The families of `wanted` that are installed, in their order, or all of them when none
// is (Qt then picks a stand-in): each missing family would cost a fontconfig match at
// the window's start.
QStringList installed(const QStringList& wanted) {
  static const QStringList families = QFontDatabase::families();
  for (const QString& family : wanted)
    if (families.contains(family, Qt::CaseInsensitive)) return {family};
  return wanted;
}

// Font sizes are given in points at 96 dpi and set in pixels, so the text keeps its
// place in the fixed layout whatever the screen's font scaling. The first family
// is the one the window was drawn for, the others metric-compatible stand-ins that
// also hold Cyrillic.
QFont pixelFont(const QStringList& families, QFont::StyleHint hint, int pixels, bool bold) {
  QFont f;
  f.setFamilies(families);
  f.setStyleHint(hint);
  f.setStyleStrategy(QFont::NoFontMerging);
  f.setPixelSize(pixels);
  f.setBold(bold);
  return f;
}

QFont courierNew(int pixels) {
  static const QStringList families =
      installed({"Courier New", "Liberation Mono", "Cousine", "DejaVu Sans Mono"});
  return pixelFont(families, QFont::Monospace, pixels, true);
}

QFont msSansSerif(int pixels, bool bold) {
  static const QStringList families =
      installed({"MS Sans Serif", "Liberation Sans", "Arimo", "DejaVu Sans"});
  return pixelFont(families, QFont::SansSerif, pixels, bold);
}

void setColor(QWidget* w, QPalette::ColorRole role, const QColor& c) {
  QPalette pal = w->palette();
  pal.setColor(role, c);
  w->setPalette(pal);
}

QLabel* makeLabel(QWidget* parent, const char* name, const QRect& geometry, Qt::Alignment align) {
  auto* l = new QLabel(parent);
  l->setObjectName(name);
  l->setGeometry(geometry);
  l->setAlignment(align | Qt::AlignTop);
  // Entry texts come from a file: show them as they are, never as markup.
  l->setTextFormat(Qt::PlainText);
  l->setWordWrap(true);
  return l;
}

// The description label's font, in pixels: the seed's, and the smallest a long text
// (a Russian description with its hints) steps down to rather than lose its last line.
constexpr int kItemPixels = 13;
constexpr int kItemPixelsSmallest = 10;

// Shows `text` in `label` in the largest font from kItemPixels down that fits it whole.
void setFittedText(QLabel* label, const QString& text) {
  QFont f = label->font();
  for (int px = kItemPixels; px >= kItemPixelsSmallest; --px) {
    f.setPixelSize(px);
    const QRect need = QFontMetrics(f).boundingRect(QRect(0, 0, label->width(), 0xFFFF),
                                                    Qt::TextWordWrap | label->alignment(), text);
    if (need.height() <= label->height()) break;
  }
  label->setFont(f);
  label->setText(text);
}

QLineEdit* makeBox(QWidget* parent, const char* name, const QRect& geometry, int maxLength,
                   const QColor& text) {
  auto* box = new QLineEdit(parent);
  box->setObjectName(name);
  box->setGeometry(geometry);
  box->setMaxLength(maxLength);
  box->setFont(courierNew(48));
  box->setAlignment(Qt::AlignCenter);
  // Every typed character must reach the key filter; an input method would bypass it,
  // and so would a dropped text.
  box->setAttribute(Qt::WA_InputMethodEnabled, false);
  box->setAcceptDrops(false);
  box->setToolTip(
      QString::fromUtf8("Ctrl+F — поиск кода по словам\nEsc — очистить поля\n"
                        "Ctrl+C — копировать результат одной строкой"));
  setColor(box, QPalette::Text, text);
  setColor(box, QPalette::Base, kIdleBack);
  return box;
}

// Shift 1, Ctrl 2, Alt 4.
int shiftState(Qt::KeyboardModifiers m) {
  return (m & Qt::ShiftModifier ? kShiftMask : 0) | (m & Qt::ControlModifier ? kCtrlMask : 0) |
         (m & Qt::AltModifier ? kAltMask : 0);
}

int keyCode(const QKeyEvent* e) { return e->key() == Qt::Key_Escape ? kKeyEscape : e->key(); }

}  // namespace

FrmMain::FrmMain(std::string databasePath, std::string iniPath, Questions* questions,
                 QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      databasePath_(std::move(databasePath)),
      iniPath_(std::move(iniPath)),
      questions_(questions),
      db_(databasePath_) {
  if (!questions_) {
    ownQuestions_ = std::make_unique<MessageBoxQuestions>(this);
    questions_ = ownQuestions_.get();
  }
  buildControls();
  Form_Load();
}

namespace {

// A new user of an installed copy starts from the shipped database, a portable copy
// from an empty one. When that fails the window still opens on the path and reports
// the database as it always does.
std::string preparedMainDatabase() {
  Status ready = PrepareMainDatabase(CheckDatabaseBytes);
  if (ready.ok()) ready = CreateMissingDatabase(MainDatabasePath());
  if (!ready.ok()) std::fprintf(stderr, "vestral: %s\n", ready.ToString().c_str());
  return MainDatabasePath();
}

}  // namespace

FrmMain::FrmMain(QWidget* parent)
    : FrmMain(preparedMainDatabase(), IniFilePath(), nullptr, parent) {}

FrmMain::~FrmMain() = default;

void FrmMain::buildControls() {
  setObjectName("FrmMain");
  setWindowTitle("VESTRAL");
  setFixedSize(Px(kClientWidthTwips), Px(kClientHeightTwips));
  setAutoFillBackground(true);
  // The ground is white whatever the desktop's theme, and so every colour on it is fixed.
  setPalette(FixedLightPalette());
  // Controls are made in a font the window shows anyway, so none loads the desktop's
  // font at start only to be given its own.
  setFont(msSansSerif(13, true));

  auto* image = new QLabel(this);
  image->setObjectName("Image1");
  image->setGeometry(TwipsRect(120, 15, 1875, 1050));
  image->setPixmap(ProgramPicture(125, 70, devicePixelRatioF()));

  QLabel* hexHeading =
      makeLabel(this, "Label1_0", TwipsRect(2880, 45, 1860, 195), Qt::AlignHCenter);
  QLabel* letterHeading =
      makeLabel(this, "Label1_1", TwipsRect(5580, 45, 2235, 195), Qt::AlignHCenter);
  hexHeading->setText(FromCp1251(kHexHeading));
  letterHeading->setText(FromCp1251(kLetterHeading));
  for (QLabel* l : {hexHeading, letterHeading}) l->setFont(msSansSerif(11, false));

  Txt4 = makeBox(this, "Txt4", TwipsRect(2880, 270, 1830, 750), 4, QColor(64, 0, 0));
  Txt4->setText("0000");
  Txt5 = makeBox(this, "Txt5", TwipsRect(5550, 270, 2265, 750), 5, QColor(0, 0, 64));
  Txt5->setText("00000");

  auto* line = new QFrame(this);
  line->setObjectName("Line1");
  // From 120 to 7900 twips across, one pixel high.
  line->setGeometry(TwipsRect(120, 1080, 7780, kTwipsPerPixel));
  line->setFrameShape(QFrame::NoFrame);
  line->setAutoFillBackground(true);
  setColor(line, QPalette::Window, Qt::black);

  buildResultControls();

  TS = new QTimer(this);
  TS->setObjectName("TS");
  TS->setInterval(2000);
  connect(TS, &QTimer::timeout, this, &FrmMain::TS_Timer);

  for (QWidget* w :
       {static_cast<QWidget*>(Txt4), static_cast<QWidget*>(Txt5), static_cast<QWidget*>(TxtUSR)})
    w->installEventFilter(this);
  connect(Txt4, &QLineEdit::textChanged, this, &FrmMain::Txt4_Change);
  connect(Txt5, &QLineEdit::textChanged, this, &FrmMain::Txt5_Change);
  Txt4->setFocus();
}

// The labels and the box that show what a lookup found.
void FrmMain::buildResultControls() {
  LblCode = makeLabel(this, "LblCode", TwipsRect(120, 1095, 855, 255), Qt::AlignHCenter);
  LblBDesc = makeLabel(this, "LblBDesc", TwipsRect(960, 1095, 6975, 255), Qt::AlignLeft);
  LblItem = makeLabel(this, "LblItem", TwipsRect(120, 1335, 7815, 615), Qt::AlignHCenter);
  for (QLabel* l : {LblCode, LblBDesc, LblItem}) {
    l->setFont(msSansSerif(kItemPixels, true));
    l->setText("00000");
  }
  setColor(LblCode, QPalette::WindowText, QColor(255, 0, 0));
  setColor(LblBDesc, QPalette::WindowText, QColor(0, 192, 0));

  TxtUSR = new QTextEdit(this);
  TxtUSR->setObjectName("TxtUSR");
  TxtUSR->setGeometry(TwipsRect(120, 1965, 7815, 975));
  TxtUSR->setReadOnly(true);
  TxtUSR->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  TxtUSR->setAcceptRichText(false);
  TxtUSR->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  TxtUSR->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  TxtUSR->setFont(msSansSerif(11, true));
  TxtUSR->document()->setDocumentMargin(2);
  QTextOption centred(Qt::AlignHCenter);
  centred.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  TxtUSR->document()->setDefaultTextOption(centred);
  setColor(TxtUSR, QPalette::Text, QColor(64, 64, 64));
  setColor(TxtUSR, QPalette::Base, Qt::white);
  setUsrText(std::string(kStartupHint) + "\r\n");
}

void FrmMain::Form_Load() {
  const Status& s = db_.refresh();
  if (!s.ok()) {
    MessageBox box;
    box.text = ToCp1251Lossy(FromNativePath(s.message()) +
                             "\n\nEach lookup shows the problem until the file can be "
                             "used again.");
    box.buttons = {Button::Ok};
    box.defaultButton = Button::Ok;
    box.icon = Icon::Critical;
    questions_->ask(box);
  }
  // Once per start, on the line under the hint; it outlasts the hint until a lookup.
  notice_ = NewerDefaultNotice(databasePath_, CurrentProgramFiles().defaultDatabase);
  if (!notice_.empty()) setUsrText(std::string(kStartupHint) + "\r\n" + notice_);
  TS->start();
}

void FrmMain::FIND(const std::string& Val) {
  const FindDisplay d = DescribeFindNow(db_, Val);
  shown_ = d;
  shownCode_ = Val;
  // The lookup may have read a changed file; the search window's list follows it.
  if (search_) search_->followDatabase();
  LblCode->setText(FromCp1251(d.LblCode));
  setFittedText(LblItem, FromCp1251(d.LblItem));
  LblBDesc->setText(FromCp1251(d.LblBDesc));
  setUsrText(d.TxtUSR);
  if (!d.found) {
    setColor(Txt4, QPalette::Base, kNotFoundBack);
    setColor(Txt5, QPalette::Base, kNotFoundBack);
  }
}

void FrmMain::TS_Timer() {
  TS->stop();
  if (HintStillShown(ToCp1251Lossy(TxtUSR->toPlainText()))) setUsrText(notice_);
}

void FrmMain::Txt4_Change() {
  const std::string text = ToCp1251Lossy(Txt4->text());
  if (text.size() < 4) {
    setColor(Txt4, QPalette::Base, kIncompleteBack);
    Txt5->setText(QString());
  } else {
    setColor(Txt4, QPalette::Base, kCompleteBack);
    Txt5->setText(FromCp1251(Cnvrt(text)));
  }
}

void FrmMain::Txt5_Change() {
  const std::string text = ToCp1251Lossy(Txt5->text());
  if (text.size() < 5) {
    setColor(Txt5, QPalette::Base, kIncompleteBack);
    return;
  }
  setColor(Txt5, QPalette::Base, kCompleteBack);
  FIND(text);
}

void FrmMain::Txt4_GotFocus() { Txt4->setSelection(0, std::min<int>(4, Txt4->text().size())); }

void FrmMain::Txt5_GotFocus() { Txt5->setSelection(0, std::min<int>(5, Txt5->text().size())); }

void FrmMain::TxtUSR_GotFocus() { TxtUSR->selectAll(); }

void FrmMain::Txt4_KeyPress(int KeyAscii) {
  enter(Txt4, TypedIntoCodeBox(stateOf(Txt4), KeyAscii));
}

void FrmMain::Txt5_KeyPress(int KeyAscii) {
  enter(Txt5, TypedIntoCodeBox(stateOf(Txt5), KeyAscii));
}

CodeBoxState FrmMain::stateOf(QLineEdit* box) const {
  const bool selected = box->hasSelectedText();
  return {.box = box == Txt4 ? CodeBox::kHex : CodeBox::kLetter,
          .length = static_cast<size_t>(box->text().size()),
          .position = static_cast<size_t>(selected ? box->selectionStart() : box->cursorPosition()),
          .selected = static_cast<size_t>(selected ? box->selectedText().size() : 0)};
}

void FrmMain::enter(QLineEdit* from, const CodeBoxInput& input) {
  if (input.text.empty()) return;
  QLineEdit* box = input.box == CodeBox::kHex ? Txt4 : Txt5;
  if (input.newCode)
    retype(box, FromCp1251(input.text));
  else
    box->insert(FromCp1251(input.text));
  if (box != from) box->setFocus(Qt::OtherFocusReason);
}

void FrmMain::retype(QLineEdit* box, const QString& text) {
  if (box->text() != text)
    box->setText(text);
  else if (box == Txt4)
    Txt4_Change();
  else
    Txt5_Change();
}

void FrmMain::paste(QLineEdit* box, bool selection) {
  const QString text =
      QGuiApplication::clipboard()->text(selection ? QClipboard::Selection : QClipboard::Clipboard);
  std::string bytes;
  // A character code page 1251 lacks is in no code.
  if (ToCp1251(text, bytes)) enter(box, PastedIntoCodeBox(stateOf(box), bytes));
}

void FrmMain::copy(QLineEdit* box) {
  if (box->hasSelectedText())
    box->copy();
  else
    copyResult();
}

void FrmMain::copyResult() {
  if (shownCode_.empty()) return;  // nothing looked up yet
  QGuiApplication::clipboard()->setText(FromCp1251(ResultLine(shownCode_, shown_)));
}

void FrmMain::showCode(const std::string& letterForm) {
  // As if typed into the letter box, which leaves the hex box as it is.
  retype(Txt5, FromCp1251(letterForm));
}

void FrmMain::openSearch() {
  if (!search_) {
    search_ = new FrmSearch(
        db_, [this](const std::string& code) { showCode(code); }, this);
    // Below this window, so the result shows beside the list.
    search_->move(frameGeometry().bottomLeft() + QPoint(0, 8));
  }
  search_->show();
  search_->raise();
  search_->activateWindow();
  if (auto* query = search_->findChild<QLineEdit*>(QStringLiteral("TxtFind"))) {
    query->setFocus();
    query->selectAll();
  }
}

bool FrmMain::Form_KeyDown(int KeyCode, int Shift) {
  if (!IsEditorGateKey(KeyCode, Shift)) return false;
  runEditorGate();
  return true;
}

void FrmMain::runEditorGate() {
  const bool open =
      RunEditorGate(iniPath_, *questions_, [this](const std::string& s) { setStatus(s); });
  if (open && showEditor_) {
    // The editor is on screen before this window goes, so the program never
    // finds itself without a window in between.
    showEditor_();
    close();
  }
}

void FrmMain::setStatus(const std::string& text) { setFittedText(LblItem, FromCp1251(text)); }

void FrmMain::setUsrText(const std::string& text) {
  QString t = FromCp1251(text);
  t.replace("\r\n", "\n");
  TxtUSR->setPlainText(t);
}

bool FrmMain::filterBoxKey(QLineEdit* box, QKeyEvent* event) {
  // Paste goes through the same rules as typing; cut leaves the box to its Change rule.
  if (event->matches(QKeySequence::Paste)) {
    paste(box, false);
    return true;
  }
  if (event->matches(QKeySequence::Copy)) {
    copy(box);
    return true;
  }
  if (event->matches(QKeySequence::SelectAll)) {
    box->selectAll();
    return true;
  }
  if (event->matches(QKeySequence::Cut)) return false;
  const QString text = event->text();
  // Keys without a character (Delete, arrows, Home) work as usual, and so does
  // Tab, which moves the focus before any box sees it as a character.
  if (text.isEmpty()) return false;
  switch (event->key()) {
    case Qt::Key_Delete:
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return false;
    default: break;
  }
  int KeyAscii = 0;
  std::string bytes;
  // Other Ctrl shortcuts (undo) arrive as control characters, which no filter passes;
  // with Alt a key types nothing into a box.
  const bool chord =
      event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
  if (!chord && ToCp1251(text, bytes) && bytes.size() == 1)
    KeyAscii = static_cast<unsigned char>(bytes[0]);
  if (KeyAscii == kBackspace) return false;
  if (box == Txt4)
    Txt4_KeyPress(KeyAscii);
  else
    Txt5_KeyPress(KeyAscii);
  return true;
}

bool FrmMain::windowKey(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
    Txt4->setText(QString());
    Txt5->setText(QString());
    return true;
  }
  if (event->matches(QKeySequence::Find)) {
    openSearch();
    return true;
  }
  return false;
}

bool FrmMain::boxKey(QObject* box, QKeyEvent* key) {
  // The window sees each key before the box that has the focus.
  if (Form_KeyDown(keyCode(key), shiftState(key->modifiers()))) return true;
  if (windowKey(key)) return true;
  if (box != TxtUSR) return filterBoxKey(static_cast<QLineEdit*>(box), key);
  if (!key->matches(QKeySequence::Copy) || TxtUSR->textCursor().hasSelection()) return false;
  copyResult();
  return true;
}

void FrmMain::boxFocusIn(QObject* box, Qt::FocusReason reason) {
  // Closing a context menu gives the focus back; it is no new visit to the box.
  if (reason == Qt::PopupFocusReason) return;
  auto select = [this, box] {
    if (box == Txt4)
      Txt4_GotFocus();
    else if (box == Txt5)
      Txt5_GotFocus();
    else
      TxtUSR_GotFocus();
  };
  select();
  // A click places the cursor right after the focus arrives; select once more
  // after it so typing still replaces the whole code.
  if (reason == Qt::MouseFocusReason) {
    QPointer<QObject> alive(box);
    QTimer::singleShot(0, this, [alive, select] {
      if (alive) select();
    });
  }
}

// The box's own menu, whose Paste goes through the same rules as typing.
void FrmMain::showBoxMenu(QLineEdit* box, const QPoint& at) {
  QMenu* menu = box->createStandardContextMenu();
  menu->setAttribute(Qt::WA_DeleteOnClose);
  for (QAction* action : menu->actions()) {
    // Qt connects the menu's Paste by the slot's name.
    if (disconnect(action, SIGNAL(triggered()), box, SLOT(paste())))
      connect(action, &QAction::triggered, this, [this, box] { paste(box, false); });
  }
  menu->popup(at);
}

bool FrmMain::eventFilter(QObject* watched, QEvent* event) {
  if (watched != Txt4 && watched != Txt5 && watched != TxtUSR)
    return QWidget::eventFilter(watched, event);
  auto* box = watched == TxtUSR ? nullptr : static_cast<QLineEdit*>(watched);
  switch (event->type()) {
    case QEvent::KeyPress: return boxKey(watched, static_cast<QKeyEvent*>(event));
    case QEvent::FocusIn:
      boxFocusIn(watched, static_cast<QFocusEvent*>(event)->reason());
      return false;
    case QEvent::ContextMenu:
      if (!box) return false;
      showBoxMenu(box, static_cast<QContextMenuEvent*>(event)->globalPos());
      return true;
    case QEvent::MouseButtonRelease:
      // The middle button pastes the X selection; here through the rules as well.
      if (!box || static_cast<QMouseEvent*>(event)->button() != Qt::MiddleButton) return false;
      if (QGuiApplication::clipboard()->supportsSelection()) paste(box, true);
      return true;
    default: return false;
  }
}

void FrmMain::paintEvent(QPaintEvent* event) {
  QWidget::paintEvent(event);
  // The program's icon, drawn in seven sizes, comes once the window is on screen: every
  // window of the program takes it then.
  if (QApplication::windowIcon().isNull()) QTimer::singleShot(0, SetProgramIcon);
}

void FrmMain::keyPressEvent(QKeyEvent* event) {
  if (Form_KeyDown(keyCode(event), shiftState(event->modifiers())) || windowKey(event)) return;
  if (event->matches(QKeySequence::Copy))
    copyResult();
  else
    QWidget::keyPressEvent(event);
}

}  // namespace vestral
