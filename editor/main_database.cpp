#include "editor/main_database.h"

#include <filesystem>

#include "log/operation_log.h"
#include "platform/codepage.h"
#include "platform/file_io.h"

namespace vestral {

namespace {

constexpr LogColour kHeadingColor = color::kBrightWhite;

}  // namespace

FileStamp StampOf(std::string_view bytes) {
  // FNV-1a: enough to tell one version of the file from the next.
  uint64_t h = 14695981039346656037ull;
  for (unsigned char c : bytes) {
    h ^= c;
    h *= 1099511628211ull;
  }
  return {true, bytes.size(), h};
}

FileStamp StampOfFile(const std::string& path) {
  std::string bytes;
  if (!ReadWholeFile(path, bytes).ok()) return {};
  return StampOf(bytes);
}

bool ReadMainDatabase(const std::string& path, DtcDatabase& working, FileStamp& stamp,
                      LogSink& log) {
  const OperationLog run(log);
  log.LOG("Open main database", kTabModeLineEnd, kHeadingColor);
  std::string bytes;
  DtcDatabase db;
  Status s = ReadWholeFile(path, bytes);
  if (s.ok()) s = ParseDatabase(bytes, path, db);
  if (!s.ok()) {
    LogError(log, s.message());
    return false;
  }
  working = std::move(db);
  stamp = StampOf(bytes);
  LogBasePositions(log, working);
  log.LOG("Complete", kTabModeLineEnd, kHeadingColor);
  return true;
}

MessageBox ChangedSinceReadQuestion(const std::string& path) {
  MessageBox box;
  box.text = "The main database \"" + path +
             "\" has changed since it was read (another operation wrote it, or it was "
             "replaced).\r\nWriting now puts back the copy read earlier and undoes those "
             "changes.\r\n\r\nWrite it anyway?";
  box.buttons = {Button::Yes, Button::No};
  box.defaultButton = Button::No;
  box.icon = Icon::Question;
  return box;
}

MessageBox UnwrittenChangesQuestion(const std::string& path) {
  return {"The working copy read from \"" + path +
              "\" has changes that are not written yet (entries, table names or what Check "
              "removed).\r\n\r\nWrite them before the editor closes? No closes it without "
              "them; Cancel keeps it open.",
          {Button::Yes, Button::No, Button::Cancel},
          Button::Cancel,
          Icon::Question,
          ""};
}

WriteOutcome WriteMainDatabase(const std::string& path, DtcDatabase& working,
                               const TableNames& names, FileStamp& stamp, LogSink& log,
                               Questions& questions) {
  const OperationLog run(log);
  log.LOG("Write main database", kTabModeLineEnd, kHeadingColor);
  working.B.Name = names.B;
  working.C.Name = names.C;
  working.P.Name = names.P;
  working.U.Name = names.U;
  LogBasePositions(log, working);

  // Held from the comparison to the write: a change made in between would be lost.
  FileLock lock;
  if (Status s = lock.lock(path); !s.ok()) {
    LogError(log, s.message());
    return WriteOutcome::kFailed;
  }
  if (!stamp.valid || StampOfFile(path) != stamp) {
    LogError(log, "\"" + path + "\" has changed since it was read");
    if (questions.ask(ChangedSinceReadQuestion(path)) != Button::Yes) {
      log.LOG("Cancelled", kTabModeLineEnd, kHeadingColor);
      return WriteOutcome::kDeclined;
    }
  }

  std::error_code ec;
  const bool replacing = std::filesystem::exists(path, ec);
  if (Status s = WriteDatabase(path, working, {.keepBackup = true}); !s.ok()) {
    LogError(log, s.message());
    return WriteOutcome::kFailed;
  }
  stamp = StampOfFile(path);
  log.LOG("Complete", kTabModeLineEnd, kHeadingColor);
  if (replacing) LogKeptCopy(log, path);
  return WriteOutcome::kWritten;
}

}  // namespace vestral
