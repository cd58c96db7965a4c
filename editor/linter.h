#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "database/database_view.h"
#include "platform/status.h"

namespace vestral {

// What a maintainer should look at in a database or a source text. None of these
// stops the program from working; each hides or garbles something.
enum class LintKind {
  kDuplicateCode,     // a later entry with the same code: lookups never reach it
  kMalformedCode,     // not a digit 0-3 followed by three of 0-9, A-F
  kCheckerRemoves,    // the checker would remove the entry
  kBlankEdges,        // a text starts or ends with a blank
  kControlCharacter,  // a text holds a control character
  kBarInText,         // a "|" in the description: the source format would split there
  kMojibake,          // a text that looks like UTF-8 read as code page 1251
  kSourceNotCp1251,   // the source file is not code page 1251 text at all
  kSourceError,       // a source line the generator would stop at
};
inline constexpr int kLintKindCount = 9;

// The summary's name of a kind ("duplicate code", ...).
const char* LintKindName(LintKind kind);

struct LintFinding {
  LintKind kind;
  char table = 0;        // P, C, B, U; 0 when the finding concerns no entry
  int32_t position = 0;  // position in the table (from 1); 0 when none
  std::string code;      // the entry's four code bytes
  int32_t line = 0;      // source line number; 0 for a database
  std::string detail;    // what exactly (plain ASCII)
};

// Where the findings go, each as soon as it is found: nothing is gathered, so memory
// stays within the file's size whatever it holds.
class LintReport {
 public:
  virtual ~LintReport() = default;
  // A source text turned out to be UTF-8 (converted as the generator converts it);
  // told before any finding.
  virtual void convertedFromUtf8() {}
  virtual void add(const LintFinding& finding) = 0;
};

// Checks every entry of the database, tables P, C, B, U in position order.
void LintDatabase(const DatabaseView& db, LintReport& report);

// Checks a source text as the generator would read it, without building anything:
// the lines the generator would stop at, then every entry as LintDatabase would,
// with the line that gives it. A UTF-8 source is converted first, as the generator
// converts it, up to a character code page 1251 lacks; a file that is no text at all
// (binary) is one finding. Fails only when the file cannot be read.
Status LintSource(const std::string& path, LintReport& report);

// The same for bytes already in memory.
void LintSourceBytes(std::string_view bytes, LintReport& report);

}  // namespace vestral
