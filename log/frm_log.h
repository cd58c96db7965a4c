#pragma once

#include <QColor>
#include <QElapsedTimer>
#include <QString>
#include <QWidget>

#include <string>
#include <vector>

#include "log/log_sink.h"

class QCloseEvent;
class QPlainTextEdit;
class QTextDocument;
class QTimer;

namespace vestral {

// The log window: one run is INIT, any number of LOG, DONE. Text is appended at the
// end of the box, each piece in its palette colour. The window refuses to close while
// a run is open.
//
// LOG is cheap: pieces are queued and moved into the box in batches, and pending
// window events run only when about 20 ms have passed since they last did, so a run
// of hundreds of thousands of pieces stays fast and the program stays responsive.
// A short timer empties the queue when the caller waits (a message box, say).
class FrmLOG : public QWidget, public LogSink {
  Q_OBJECT

 public:
  // `owner` is the window INIT() shows the log over; INIT(Owner) may name another.
  explicit FrmLOG(QWidget* owner = nullptr);
  ~FrmLOG() override;

  // Opens a run over `Owner`. A window the user closed starts again empty; otherwise
  // the header follows what the box already holds.
  void INIT(QWidget* Owner);
  void INIT() override;
  void LOG(const std::string& T, TabMode TABMODE, LogColour colour) override;
  void DONE() override;

  // True between INIT and DONE.
  bool running() const { return running_; }

  // The box's document, every queued piece included (reading it empties the queue).
  QTextDocument* document();
  // The text of the box, line ends as CR LF, in code page 1251.
  std::string text();
  // The box as runs of one colour each (adjacent pieces of the same colour merged;
  // a line end carries the colour of the piece it ended). Colours are palette
  // indexes.
  std::vector<LogRun> runs();

  // Moves the queued pieces into the box.
  void flush();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void queue(const std::string& bytes, int colorIndex);
  void pumpEventsIfDue();
  // Scrolls the box to its end unless the user scrolled away from it.
  void showEnd();

  QPlainTextEdit* TXT = nullptr;
  QWidget* owner_;
  bool running_ = false;
  // Set when the user closed the window; the next INIT starts with an empty box.
  bool closed_ = false;

  // Queued text (already Unicode, line ends as paragraph breaks) and its colours.
  struct PendingRun {
    qsizetype length;
    int color;
  };
  QString pendingText_;
  std::vector<PendingRun> pendingRuns_;
  // A CR ended the last queued piece: an LF opening the next one belongs to it.
  bool pendingCr_ = false;

  // The box shows its end and keeps doing so as text arrives.
  bool followEnd_ = true;
  bool inFlush_ = false;

  QElapsedTimer sincePump_;
  QTimer* flushTimer_ = nullptr;
};

// Palette index -> the Qt colour of the log; an index outside 0..15 gives light grey,
// the box's own text colour.
QColor LogColor(int index);

}  // namespace vestral
