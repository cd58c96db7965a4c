#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "database/dtc_database.h"
#include "log/log_sink.h"
#include "platform/questions.h"

namespace vestral {

// The editor's Read and Write of the main database, and the stamp that tells whether the
// file changed between them. Each is one whole log run: INIT first, DONE last.

// What the main database file held when it was read. Write compares it with the file
// as it is then, so that changes others made in the meantime (a synchronization
// rewrites the file) are not undone without asking.
struct FileStamp {
  bool valid = false;
  uint64_t size = 0;
  uint64_t hash = 0;
  friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

// The stamp of a file's whole content.
FileStamp StampOf(std::string_view bytes);
// The stamp of the file as it is now; not valid when it cannot be read.
FileStamp StampOfFile(const std::string& path);

// Reads the main database into `working` and remembers the file's content in `stamp`.
// A missing, empty or damaged file is logged in light red, naming the file and the
// problem; `working` and `stamp` then stay as they were and the result is false.
bool ReadMainDatabase(const std::string& path, DtcDatabase& working, FileStamp& stamp,
                      LogSink& log);

// The four table names as the user left them (code page 1251).
struct TableNames {
  std::string B, C, P, U;
};

enum class [[nodiscard]] WriteOutcome{
    kWritten,   // the file holds the working database
    kDeclined,  // the file changed since the Read and the user chose to keep it
    kFailed,    // the file could not be written; the failure is logged
};

// Puts `names` into `working`, logs its base positions and writes it over the main
// database from the file's first byte (the file is never shortened), keeping the
// previous file as its ".bak" (BackupPath) and saying so last. When the file
// no longer matches `stamp`, the user is asked first (Yes/No, No the default). After
// a write `stamp` describes the file's new content. The file is locked against other
// writers from the comparison to the write.
WriteOutcome WriteMainDatabase(const std::string& path, DtcDatabase& working,
                               const TableNames& names, FileStamp& stamp, LogSink& log,
                               Questions& questions);

// The question Write asks when the file changed since it was read.
MessageBox ChangedSinceReadQuestion(const std::string& path);

// The question closing the editor asks while the working copy holds changes not
// written: Yes writes them first, No closes without them, Cancel (the default) stays.
MessageBox UnwrittenChangesQuestion(const std::string& path);

}  // namespace vestral
