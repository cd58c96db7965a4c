#include "log/frm_log.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextOption>
#include <QTimer>

#include <array>

#include "platform/codepage.h"
#include "platform/codepage_qt.h"
#include "platform/twips_qt.h"

namespace vestral {

namespace {

constexpr int kClientWidthTwips = 10695;
constexpr int kClientHeightTwips = 6495;
// The box reaches a pixel past the client area and keeps its size when the window is
// resized.
constexpr int kBoxWidthTwips = 10710;
constexpr int kBoxHeightTwips = 6510;
constexpr std::array<int, 5> kTabStopsTwips = {100, 2000, 4000, 6000, 8000};

// LOG lets window events run once this long has passed since they last did.
constexpr qint64 kPumpIntervalMs = 20;
// Queued text reaches the box this soon when the caller stops logging for a while.
constexpr int kFlushTimerMs = 15;
// Larger batches are moved into the box at once so one flush never takes long.
constexpr qsizetype kMaxQueuedChars = 32 * 1024;

constexpr int kDefaultColor = 7;  // light grey, the box's own text colour

// Each code page 1251 byte as one UTF-16 unit.
QChar fromCp1251Byte(char byte) {
  return QChar(static_cast<char16_t>(Cp1251ToUnicode(static_cast<unsigned char>(byte))));
}

QFont logFont(double pointSize) {
  QFont f;
  f.setFamilies({QStringLiteral("Courier New"), QStringLiteral("Liberation Mono"),
                 QStringLiteral("DejaVu Sans Mono")});
  f.setStyleHint(QFont::TypeWriter);
  f.setPointSizeF(pointSize);
  f.setBold(true);
  return f;
}

void applyTabStops(QTextDocument* doc) {
  QTextOption opt = doc->defaultTextOption();
  QList<QTextOption::Tab> tabs;
  for (int twips : kTabStopsTwips)
    tabs.append(QTextOption::Tab(twips / qreal{kTwipsPerPixel}, QTextOption::LeftTab));
  opt.setTabs(tabs);
  doc->setDefaultTextOption(opt);
}

// Only palette colours are ever inserted; anything else reads back as the default.
LogColour paletteIndex(const QColor& c) {
  for (size_t i = 0; i < kPalette.size(); ++i)
    if (c.red() == kPalette[i].r && c.green() == kPalette[i].g && c.blue() == kPalette[i].b)
      return static_cast<LogColour>(i);
  return static_cast<LogColour>(kDefaultColor);
}

void appendRun(std::vector<LogRun>& out, std::string text, LogColour color) {
  if (text.empty()) return;
  if (!out.empty() && out.back().color == color)
    out.back().text += text;
  else
    out.push_back({std::move(text), color});
}

}  // namespace

QColor LogColor(int index) {
  if (index < 0 || index >= static_cast<int>(kPalette.size())) index = kDefaultColor;
  const Rgb& c = kPalette[static_cast<size_t>(index)];
  return QColor(c.r, c.g, c.b);
}

FrmLOG::FrmLOG(QWidget* owner) : QWidget(owner, Qt::Window), owner_(owner) {
  setObjectName(QStringLiteral("FrmLOG"));
  setWindowTitle(QStringLiteral("LOG"));

  TXT = new QPlainTextEdit(this);
  TXT->setObjectName(QStringLiteral("TXT"));
  TXT->setReadOnly(true);
  TXT->setUndoRedoEnabled(false);
  TXT->setFont(logFont(9.75));
  // Bright white headings and light yellow codes need a dark ground.
  QPalette pal = TXT->palette();
  pal.setColor(QPalette::Base, Qt::black);
  pal.setColor(QPalette::Text, LogColor(kDefaultColor));
  TXT->setPalette(pal);
  applyTabStops(TXT->document());
  // The box keeps showing its end unless the user scrolls away from it. Scrolling
  // costs a layout of the last page, so during a run it happens at event turns only.
  QScrollBar* bar = TXT->verticalScrollBar();
  connect(bar, &QScrollBar::valueChanged, this,
          [this, bar](int value) { followEnd_ = value == bar->maximum(); });
  connect(bar, &QScrollBar::rangeChanged, this, [this, bar](int, int max) {
    if (followEnd_ && !inFlush_) bar->setValue(max);
  });

  TXT->setGeometry(0, 0, Px(kBoxWidthTwips), Px(kBoxHeightTwips));
  resize(Px(kClientWidthTwips), Px(kClientHeightTwips));

  flushTimer_ = new QTimer(this);
  flushTimer_->setSingleShot(true);
  flushTimer_->setInterval(kFlushTimerMs);
  connect(flushTimer_, &QTimer::timeout, this, [this] {
    flush();
    showEnd();
  });
}

FrmLOG::~FrmLOG() = default;

void FrmLOG::INIT() { INIT(owner_); }

void FrmLOG::INIT(QWidget* Owner) {
  if (closed_) {
    pendingText_.clear();
    pendingRuns_.clear();
    pendingCr_ = false;
    TXT->clear();
    applyTabStops(TXT->document());
    followEnd_ = true;
    closed_ = false;
  }
  const QFont font = logFont(10);
  if (TXT->font() != font) TXT->setFont(font);

  queue(std::string(kLogHeader) + "\r\n", static_cast<int>(color::kLightGreen));
  flush();
  showEnd();

  if (Owner && Owner != parentWidget()) {
    setParent(Owner, Qt::Window);
    owner_ = Owner;
  }
  show();
  running_ = true;
  sincePump_.start();
}

void FrmLOG::LOG(const std::string& T, TabMode TABMODE, LogColour colour) {
  const int index = static_cast<int>(colour);
  queue(T, index);
  if (TABMODE == kTabModeTab)
    queue("\t", index);
  else if (TABMODE == kTabModeLineEnd)
    queue("\r\n", index);
  if (pendingText_.size() >= kMaxQueuedChars) {
    flush();
    // The end is shown at the next event turn, as for a short piece.
    flushTimer_->start();
  }
  pumpEventsIfDue();
}

void FrmLOG::DONE() {
  queue(kLogDone, static_cast<int>(color::kLightRed));
  flush();
  showEnd();
  running_ = false;
}

void FrmLOG::queue(const std::string& bytes, int colorIndex) {
  const qsizetype before = pendingText_.size();
  for (char ch : bytes) {
    // CR, LF and CR LF each end one line of the box.
    if (ch == '\r') {
      pendingText_.append(QChar(u'\n'));
      pendingCr_ = true;
      continue;
    }
    if (ch == '\n' && pendingCr_) {
      pendingCr_ = false;
      continue;
    }
    pendingCr_ = false;
    pendingText_.append(fromCp1251Byte(ch));
  }
  const qsizetype added = pendingText_.size() - before;
  if (added == 0) return;
  if (!pendingRuns_.empty() && pendingRuns_.back().color == colorIndex)
    pendingRuns_.back().length += added;
  else
    pendingRuns_.push_back({added, colorIndex});
  if (!flushTimer_->isActive()) flushTimer_->start();
}

void FrmLOG::flush() {
  if (pendingRuns_.empty()) return;

  // One format per palette colour, made once: the document recognises them fast.
  static const std::array<QTextCharFormat, kPalette.size() + 1> formats = [] {
    std::array<QTextCharFormat, kPalette.size() + 1> f;
    for (size_t i = 0; i < f.size(); ++i) f[i].setForeground(LogColor(static_cast<int>(i)));
    return f;
  }();
  inFlush_ = true;
  QTextCursor cursor(TXT->document());
  cursor.movePosition(QTextCursor::End);
  cursor.beginEditBlock();
  qsizetype pos = 0;
  for (const PendingRun& run : pendingRuns_) {
    const size_t index = run.color >= 0 && run.color < static_cast<int>(kPalette.size())
                             ? static_cast<size_t>(run.color)
                             : kPalette.size();
    cursor.insertText(pendingText_.mid(pos, run.length), formats[index]);
    pos += run.length;
  }
  cursor.endEditBlock();
  inFlush_ = false;
  pendingText_.clear();
  pendingRuns_.clear();
  flushTimer_->stop();
}

void FrmLOG::showEnd() {
  if (followEnd_) TXT->verticalScrollBar()->setValue(TXT->verticalScrollBar()->maximum());
}

void FrmLOG::pumpEventsIfDue() {
  if (!sincePump_.isValid()) sincePump_.start();
  if (sincePump_.elapsed() < kPumpIntervalMs) return;
  flush();
  showEnd();
  QCoreApplication::processEvents();
  sincePump_.start();
}

QTextDocument* FrmLOG::document() {
  flush();
  return TXT->document();
}

std::string FrmLOG::text() {
  std::string out;
  for (const LogRun& r : runs()) out += r.text;
  return out;
}

std::vector<LogRun> FrmLOG::runs() {
  QTextDocument* doc = document();
  std::vector<LogRun> out;
  for (QTextBlock block = doc->begin(); block.isValid(); block = block.next()) {
    // A block's own character format is the one its line break was inserted with.
    if (block != doc->begin())
      appendRun(out, "\r\n", paletteIndex(block.charFormat().foreground().color()));
    for (auto it = block.begin(); !it.atEnd(); ++it) {
      const QTextFragment f = it.fragment();
      appendRun(out, ToCp1251Lossy(f.text()), paletteIndex(f.charFormat().foreground().color()));
    }
  }
  return out;
}

void FrmLOG::closeEvent(QCloseEvent* event) {
  // The run still writes to the box: it must outlive the run.
  if (running_) {
    event->ignore();
    return;
  }
  closed_ = true;
  event->accept();
}

}  // namespace vestral
