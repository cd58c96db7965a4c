#pragma once

#include <optional>
#include <string>
#include <vector>

#include "database/dtc_database.h"
#include "log/log_sink.h"
#include "platform/questions.h"
#include "platform/status.h"

namespace vestral {

// The question asked before an existing destination is replaced (Yes/No, No default).
inline constexpr const char* kCollectOverwriteQuestion = "File already exist. overwrite it?";

// The code list's entry box holds at most this many characters; "<---" adds its text
// to the list only when it is this long.
inline constexpr size_t kListCodeLength = 5;

// The entry box's key filter: p, c, b, u become P, C, B, U; the capitals P, C, B, U,
// the digits and Backspace (8) pass as they are; every other key gives nothing.
std::optional<char> FilterCodeKey(char key);

// An entry left out because its collected line would not give it back.
struct UncarriedEntry {
  std::string code;  // the letter and the four code bytes
  const char* why;   // what in it the line cannot carry
};

// What a run of Collect did. Done when the file was written with every entry asked
// for; otherwise `declined`, `notFound`, `notCarried` or `status` says why not.
struct [[nodiscard]] CollectResult {
  Status status;                           // the failure, in words naming the file and the problem
  bool declined = false;                   // the user kept the existing file
  std::vector<std::string> notFound;       // the list codes skipped, in list order
  std::vector<UncarriedEntry> notCarried;  // left out of the file, in the order met
  int32_t written = 0;                     // the entries the file holds

  bool done() const { return status.ok() && !declined && notFound.empty() && notCarried.empty(); }
};

// Writes entries of `working` to the text file `outPath` (code page 1251 bytes as
// stored, or with `utf8` as UTF-8; lines ended by CR LF) and logs the whole run
// (INIT ... DONE).
//  - all: every entry of the tables B, C, P, U in that order, each from position 1;
//    `codeList` is ignored.
//  - otherwise: the codes of `codeList` in list order (the caller's snapshot of the
//    list). A code's first character picks the table, its last four characters are
//    searched there; the first occurrence is written, once per listing. A code that is
//    absent, or whose first character is none of P, C, B, U, is logged as skipped.
// Each entry is one line, EntryLine with "| ", ended by CR LF. An entry whose line the
// generator would not read back as the same entry (a code holding a blank or a line end,
// a text holding a "|", either text a line end or more than 65,535 bytes; and in code
// page 1251 a file the generator would take for UTF-8) is
// logged with the reason and left out; the others are written.
// An existing destination is replaced only after the user answers Yes. The whole text
// is built first and then put in place at once, so a destination that cannot be
// written is reported in the log (light red, with the path and the reason) and never
// left half written.
CollectResult Collect(const DtcDatabase& working, const std::string& outPath, bool all,
                      const std::vector<std::string>& codeList, LogSink& log, Questions& questions,
                      bool utf8 = false);

}  // namespace vestral
