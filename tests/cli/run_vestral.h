#pragma once

#include <QProcess>
#include <QStringList>
#include <string>

namespace vestral::testing {

// The outcome of one run of the built program.
struct ProcessResult {
  int exitCode = -1;
  std::string out;  // standard output, as bytes
  std::string err;  // standard error
  bool finished = false;
};

// Runs `vestral ARGS...` with `input` on standard input (closed afterwards, so the
// program never waits for a person) and no terminal anywhere.
inline ProcessResult RunVestral(const QStringList& args, const std::string& input = {}) {
  QProcess p;
  p.start(QStringLiteral(VESTRAL_BINARY), args);
  ProcessResult r;
  if (!p.waitForStarted(10000)) return r;
  if (!input.empty()) p.write(input.data(), static_cast<qint64>(input.size()));
  p.closeWriteChannel();
  r.finished = p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit;
  if (!r.finished) {
    p.kill();
    p.waitForFinished(5000);
  }
  r.exitCode = p.exitCode();
  r.out = p.readAllStandardOutput().toStdString();
  r.err = p.readAllStandardError().toStdString();
  return r;
}

}  // namespace vestral::testing
