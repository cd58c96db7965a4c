#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "log/log_sink.h"
#include "platform/questions.h"
#include "platform/status.h"

namespace vestral {

// The format reminder shown beside the generator's fields (code page 1251, lines
// joined by CR LF): "Файл источника форматируется как" / a sample line / the legend /
// the optional second text: "и после описания, если нужно: |_ и второй текст".
inline constexpr const char* kSourceFormatLabel =
    "\xD4\xE0\xE9\xEB \xE8\xF1\xF2\xEE\xF7\xED\xE8\xEA\xE0 "
    "\xF4\xEE\xF0\xEC\xE0\xF2\xE8\xF0\xF3\xE5\xF2\xF1\xFF \xEA\xE0\xEA"
    "\r\n"
    "$####_@@@@@@@@@@@@@@@@@@@@@"
    "\r\n"
    "\xE3\xE4\xE5 $ - \xE1\xE0\xE7\xE0, #### - \xED\xEE\xEC\xE5\xF0 "
    "\xE7\xE0\xEF\xE8\xF1\xE8, _ - \xEF\xF0\xEE\xE1\xE5\xEB, @@@@@ - "
    "\xEE\xEF\xE8\xF1\xE0\xED\xE8\xE5"
    "\r\n"
    "\xE8 \xEF\xEE\xF1\xEB\xE5 \xEE\xEF\xE8\xF1\xE0\xED\xE8\xFF, \xE5\xF1\xEB\xE8 "
    "\xED\xF3\xE6\xED\xEE: "
    "|_ \xE8 \xE2\xF2\xEE\xF0\xEE\xE9 \xF2\xE5\xEA\xF1\xF2";

// Log and message texts of a run, exactly as the user sees them.
inline constexpr const char* kSourceNotFound = "Source file not found";
inline constexpr const char* kEraseQuery =
    "Quary. File must be erased before generating. Confilm please ... ";
inline constexpr const char* kRewriteQuestion = "File already exist, rewrite it?";
inline constexpr const char* kBeginBanner =
    "******************************* BEGIN *******************************";
inline constexpr const char* kEndBanner =
    "*******************************  END  *******************************";

// One source line taken apart. The views point into the line given to
// ParseSourceLine and live as long as it.
struct SourceLine {
  char letter = 0;             // the table letter, not yet validated
  std::string_view code;       // the four characters behind the letter
  std::string_view text;       // the description
  std::string_view extension;  // empty when the line has no "|"
};

// Takes a line apart: the head (everything before the first blank) must be five
// characters; the rest starts at the seventh. The rest up to its first "|" is the
// description; what follows the "|", less the one character right behind it, is the
// extension ("|" as the last character gives an empty extension). Nothing is
// trimmed. Returns false when the line holds no blank or the head is not five
// characters long (an empty line included); `out` is then unspecified.
bool ParseSourceLine(std::string_view line, SourceLine& out);

// The lines of a source text. A line ends at CR, CR LF or a lone LF; a text that ends
// with a line end has no empty last line, and an empty text has no lines. Any other
// byte, NUL included, is part of a line.
std::vector<std::string_view> SplitSourceLines(std::string_view text);

// The same lines one at a time, for a text too large to hold a view of each line.
class SourceLines {
 public:
  explicit SourceLines(std::string_view text);
  // The next line into `line`; false after the last.
  bool next(std::string_view& line);

 private:
  std::string_view text_;
  size_t at_ = 0;
  size_t lf_, cr_;  // where the next LF and CR at or after at_ stand; the size for none
};

// A source text as the generator reads it. Code page 1251 is taken as it stands; UTF-8
// (a byte-order mark, or valid UTF-8 throughout with at least one multi-byte character,
// which code page 1251 text almost never is) is converted to code page 1251.
struct SourceText {
  std::string_view bytes;  // the file as read, which the text points into unless converted
  bool utf8 = false;
  std::string converted;  // a UTF-8 source's text
  // Where a UTF-8 source stopped converting, 0 when it converted whole: the line (from
  // 1), the character within it (from 1) and that character, 0 when its bytes are no
  // UTF-8; the converted text then holds the whole lines before that line.
  int32_t stopLine = 0;
  int32_t stopColumn = 0;
  char32_t stopChar = 0;

  // The code page 1251 text. REQUIRES: `bytes` still lives.
  std::string_view text() const { return utf8 ? std::string_view(converted) : bytes; }
  // Why the conversion stopped: "character 7 (U+65E5) is not in code page 1251", or
  // "character 7 is not UTF-8".
  std::string stopReason() const;
};

// Reads `bytes` as SourceText says.
SourceText DecodeSourceText(std::string_view bytes);

// What a run of Generate did. Done when the complete database was written; otherwise
// `declined` or `status` says why not.
struct [[nodiscard]] GenerateResult {
  Status status;                  // the failure, in words naming the file and the problem
  bool declined = false;          // the user kept the existing destination
  bool sourceUnreadable = false;  // `status` tells why the source could not be read
  bool keptOld = false;           // failed, and the destination holds the file it held before
  int32_t entries = 0;            // the entries of the database written

  bool done() const { return status.ok() && !declined; }
};

// Builds the database file `dest` from the source text `source` (SourceText: code page
// 1251 or UTF-8) and logs the whole run (INIT ... DONE) to `log`. An existing
// destination is replaced only after the user answers Yes, and stays whole until the
// new file replaces it at once; it is locked against other writers meanwhile. A bad
// source line stops the run with its line number. A run that fails leaves a destination
// that held a file exactly as it was, and says so; one that held nothing then gets the
// empty database when the source stopped the run. A destination that cannot be written
// is reported in the log and nothing is claimed to be created.
GenerateResult Generate(const std::string& source, const std::string& dest, LogSink& log,
                        Questions& questions);

}  // namespace vestral
