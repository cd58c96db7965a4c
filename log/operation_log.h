#pragma once

#include <array>
#include <cstdint>
#include <exception>
#include <string>

#include "database/database_view.h"
#include "database/dtc_database.h"
#include "log/log_sink.h"

namespace vestral {

// What every operation's log says besides its own lines: the run opened and closed, the
// base positions of a database, where the previous file is kept.

// Opens an operation's log run (INIT) and ends it (DONE) on every way out of the
// operation. An exception leaves the run open, so that whoever catches it can still
// report the failure in it before ending it.
class OperationLog {
 public:
  explicit OperationLog(LogSink& log) : log_(log), exceptions_(std::uncaught_exceptions()) {
    log_.INIT();
  }
  ~OperationLog() {
    if (std::uncaught_exceptions() == exceptions_) log_.DONE();
  }
  OperationLog(const OperationLog&) = delete;
  OperationLog& operator=(const OperationLog&) = delete;

 private:
  LogSink& log_;
  int exceptions_;
};

// "B - base positions 12": the number of real entries of the table.
std::string BasePositionLine(char letter, const DtcTable& table);
std::string BasePositionLine(char letter, int32_t upperBound);

// The four base-position lines in yellow, in the editor's order of the tables, from the
// tables' upper bounds by slot.
void LogBasePositions(LogSink& log, const std::array<int32_t, 4>& upperBounds);
void LogBasePositions(LogSink& log, const DtcDatabase& db);
void LogBasePositions(LogSink& log, const DatabaseView& db);

// "the previous file is kept as "FILE.bak"" (UTF-8, as paths are): what every write
// that keeps the file it replaces (BackupPath) says of it.
std::string KeptCopyText(const std::string& path);
// That sentence on a line of its own in bright white, at the end of a run.
void LogKeptCopy(LogSink& log, const std::string& path);

}  // namespace vestral
