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
#include <QVBoxLayout>

#include <array>

#include "platform/codepage_qt.h"

namespace vestral {

namespace {

constexpr double kTwipsPerPixel = 15.0;
constexpr int kClientWidthTwips = 10695;
constexpr int kClientHeightTwips = 6495;
constexpr std::array<int, 5> kTabStopsTwips = {100, 2000, 4000, 6000, 8000};

// Window events run at least this often during a run (a pump takes a few ms more).
constexpr qint64 kPumpIntervalMs = 20;
// Queued text reaches the box this soon when the caller stops logging for a while.
constexpr int kFlushTimerMs = 15;
// Larger batches are moved into the box at once so one flush never takes long.
constexpr qsizetype kMaxQueuedChars = 8 * 1024;

constexpr int kDefaultColor = 7;  // light grey, the box's own text colour

int px(int twips) { return static_cast<int>(twips / kTwipsPerPixel + 0.5); }

// Each code page 1251 byte as one UTF-16 unit, taken from the code page converter
// once: the log converts text byte by byte at full speed.
const std::array<char16_t, 256>& cp1251Table() {
  static const std::array<char16_t, 256> table = [] {
    std::array<char16_t, 256> t{};
    for (int i = 0; i < 256; ++i) {
      const QString s = FromCp1251(std::string(1, static_cast<char>(i)));
      t[i] = s.size() == 1 ? s.at(0).unicode() : char16_t{0xFFFD};
    }
    return t;
  }();
  return table;
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
    tabs.append(QTextOption::Tab(twips / kTwipsPerPixel, QTextOption::LeftTab));
  opt.setTabs(tabs);
  doc->setDefaultTextOption(opt);
}

int paletteIndex(const QColor& c) {
  for (size_t i = 0; i < kPalette.size(); ++i)
    if (c.red() == kPalette[i].r && c.green() == kPalette[i].g && c.blue() == kPalette[i].b)
      return static_cast<int>(i);
  return -1;
}

void appendRun(std::vector<LogRun>& out, std::string text, int color) {
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

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(TXT);
  resize(px(kClientWidthTwips), px(kClientHeightTwips));

  flushTimer_ = new QTimer(this);
  flushTimer_->setSingleShot(true);
  flushTimer_->setInterval(kFlushTimerMs);
  connect(flushTimer_, &QTimer::timeout, this, &FrmLOG::flush);
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
    closed_ = false;
  }
  const QFont font = logFont(10);
  if (TXT->font() != font) TXT->setFont(font);

  queue(std::string(kLogHeader) + "\r\n", color::kLightGreen);
  flush();

  if (Owner && Owner != parentWidget()) {
    setParent(Owner, Qt::Window);
    owner_ = Owner;
  }
  show();
  running_ = true;
  sincePump_.start();
}

void FrmLOG::LOG(const std::string& T, int TABMODE, int QColor) {
  queue(T, QColor);
  if (TABMODE == kTabModeTab)
    queue("\t", QColor);
  else if (TABMODE == kTabModeLineEnd)
    queue("\r\n", QColor);
  if (pendingText_.size() >= kMaxQueuedChars) flush();
  pumpEventsIfDue();
}

void FrmLOG::DONE() {
  queue(kLogDone, color::kLightRed);
  flush();
  running_ = false;
}

void FrmLOG::queue(const std::string& bytes, int colorIndex) {
  const auto& table = cp1251Table();
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
    pendingText_.append(QChar(table[static_cast<unsigned char>(ch)]));
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
  QScrollBar* bar = TXT->verticalScrollBar();
  const bool followEnd = bar->value() == bar->maximum();

  QTextCursor cursor(TXT->document());
  cursor.movePosition(QTextCursor::End);
  cursor.beginEditBlock();
  QTextCharFormat format;
  qsizetype pos = 0;
  for (const PendingRun& run : pendingRuns_) {
    format.setForeground(LogColor(run.color));
    cursor.insertText(pendingText_.mid(pos, run.length), format);
    pos += run.length;
  }
  cursor.endEditBlock();
  pendingText_.clear();
  pendingRuns_.clear();
  flushTimer_->stop();

  if (followEnd) bar->setValue(bar->maximum());
}

void FrmLOG::pumpEventsIfDue() {
  if (!sincePump_.isValid()) sincePump_.start();
  if (sincePump_.elapsed() < kPumpIntervalMs) return;
  flush();
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
