#include "editor/generator.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <filesystem>

#include "database/database_view.h"
#include "database/dtc_database.h"
#include "database/table_order.h"
#include "log/operation_log.h"
#include "platform/codepage.h"
#include "platform/file_io.h"

namespace vestral {

namespace fs = std::filesystem;

bool ParseSourceLine(std::string_view line, SourceLine& out) {
  if (line.find(' ') != 5) return false;
  out.letter = line[0];
  out.code = line.substr(1, 4);
  const std::string_view rest = line.substr(6);
  const size_t bar = rest.find('|');
  if (bar == std::string_view::npos) {
    out.text = rest;
    out.extension = {};
  } else {
    out.text = rest.substr(0, bar);
    // The character right behind the bar is the collector's blank and is dropped,
    // whatever it is; a bar at the very end leaves nothing.
    out.extension = bar + 2 <= rest.size() ? rest.substr(bar + 2) : std::string_view{};
  }
  return true;
}

SourceLines::SourceLines(std::string_view text)
    : text_(text),
      lf_(std::min(text.find('\n'), text.size())),
      cr_(std::min(text.find('\r'), text.size())) {}

bool SourceLines::next(std::string_view& line) {
  if (at_ >= text_.size()) return false;
  // find() of one character is memchr. The next line end of each kind is kept until the
  // walk passes it, so a text ending its lines with CR alone is not searched to its end
  // for an LF at every line.
  if (lf_ < at_) lf_ = std::min(text_.find('\n', at_), text_.size());
  if (cr_ < at_) cr_ = std::min(text_.find('\r', at_), text_.size());
  const size_t end = std::min(lf_, cr_);
  line = text_.substr(at_, end - at_);
  at_ = end + (end == cr_ && end + 1 < text_.size() && text_[end + 1] == '\n' ? 2 : 1);
  return true;
}

std::vector<std::string_view> SplitSourceLines(std::string_view text) {
  std::vector<std::string_view> lines;
  SourceLines source(text);
  for (std::string_view line; source.next(line);) lines.push_back(line);
  return lines;
}

SourceText DecodeSourceText(std::string_view bytes) {
  static constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
  SourceText src;
  src.bytes = bytes;
  const bool marked = bytes.starts_with(kByteOrderMark);
  if (!marked && !LooksLikeUtf8(bytes)) return src;
  src.utf8 = true;
  const std::string_view utf8 = marked ? bytes.substr(kByteOrderMark.size()) : bytes;
  const size_t at = Utf8ToCp1251Prefix(utf8, src.converted);
  if (at == utf8.size()) return src;
  // Line ends convert to themselves, so the converted part tells the line and column.
  (void)DecodeUtf8(utf8.substr(at), src.stopChar);
  const size_t lineStart = src.converted.find_last_of("\r\n") + 1;  // 0 on the first line
  src.stopColumn = static_cast<int32_t>(src.converted.size() - lineStart) + 1;
  src.converted.resize(lineStart);
  SourceLines before(src.converted);
  for (std::string_view line; before.next(line);) ++src.stopLine;
  ++src.stopLine;
  return src;
}

std::string SourceText::stopReason() const {
  std::string reason = "character " + std::to_string(stopColumn);
  if (stopChar == 0) return reason + " is not UTF-8";
  char code[16];
  std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(stopChar));
  return reason + " (" + code + ") is not in code page 1251";
}

namespace {

constexpr size_t kTables = kTableLetters.size();

// Where a source stops the run.
enum class SourceFault { kNone, kHead, kTable, kLongText, kLongExtension, kNotCp1251, kChanged };

struct SourceStop {
  SourceFault fault = SourceFault::kNone;
  int32_t lineNo = 0;  // the line it stopped at
  char letter = 0;     // the letter that names no table
};

// Hands every line of the source to `take(slot, line)` up to the first line the
// generator stops at, and tells which line that is.
template <typename Take>
SourceStop walkSource(const SourceText& source, Take&& take) {
  SourceStop stop;
  SourceLines lines(source.text());
  for (std::string_view line; lines.next(line);) {
    ++stop.lineNo;
    SourceLine parsed;
    const bool whole = ParseSourceLine(line, parsed);
    const int slot = whole ? TableSlot(parsed.letter) : -1;
    // The file's 16-bit counts cannot hold more; stop here rather than at the write.
    if (!whole)
      stop.fault = SourceFault::kHead;
    else if (slot < 0)
      stop.fault = SourceFault::kTable;
    else if (parsed.text.size() > kMaxTextBytes)
      stop.fault = SourceFault::kLongText;
    else if (parsed.extension.size() > kMaxTextBytes)
      stop.fault = SourceFault::kLongExtension;
    if (stop.fault != SourceFault::kNone) {
      stop.letter = parsed.letter;
      return stop;
    }
    take(static_cast<size_t>(slot), parsed);
  }
  if (source.stopLine > 0) stop = {SourceFault::kNotCp1251, source.stopLine, 0};
  return stop;
}

// The log line of each source line taken: the sizes of the tables so far, then "Ok",
// or "Extend" for an entry with an extension. Formatted only where the log shows it.
class Progress {
 public:
  explicit Progress(LogSink& log) : log_(log), quiet_(log.writesNothing()) {}

  void add(size_t slot, const SourceLine& line) {
    ++counts_[slot];
    if (quiet_) return;
    static const std::string kOk = "Ok";
    static const std::string kExtend = "Extend";
    text_.clear();
    char buf[16];
    for (size_t k = 0; k < kTables; ++k) {
      if (k > 0) text_ += '\t';
      text_ += kTableLetters[k];
      text_ += ':';
      text_.append(buf, std::to_chars(std::begin(buf), std::end(buf), counts_[k]).ptr);
    }
    log_.LOG(text_, kTabModeTab, color::kBrightWhite);
    if (line.extension.empty())
      log_.LOG(kOk, kTabModeLineEnd, color::kLightBlue);
    else
      log_.LOG(kExtend, kTabModeLineEnd, color::kLightYellow);
  }

 private:
  LogSink& log_;
  const bool quiet_;
  int32_t counts_[kTables] = {};
  std::string text_;
};

void logSourceError(LogSink& log, const std::string& what, int32_t lineNo) {
  log.LOG(what + std::to_string(lineNo) + " of source file.", kTabModeLineEnd, color::kLightRed);
}

// Logs why the source stopped the run, and what that leaves of it.
Status reportStop(const SourceStop& stop, const SourceText& text, const std::string& source,
                  LogSink& log, Questions& questions) {
  const int32_t n = stop.lineNo;
  switch (stop.fault) {
    case SourceFault::kNone: return Status::OK();
    case SourceFault::kHead:
      logSourceError(log, "Source error. Code lench is missing. See line ", n);
      break;
    case SourceFault::kTable: {
      logSourceError(log, "Script error. This database absense in database. See line ", n);
      questions.ask({"No table in the database [" + std::string(1, stop.letter) + "] on line " +
                         std::to_string(n),
                     {Button::Ok},
                     Button::Ok,
                     Icon::Critical,
                     ""});
      break;
    }
    case SourceFault::kLongText:
      logSourceError(log, "Source error. Description is longer than 65535 bytes. See line ", n);
      break;
    case SourceFault::kLongExtension:
      logSourceError(log, "Source error. Extension is longer than 65535 bytes. See line ", n);
      break;
    case SourceFault::kNotCp1251: {
      std::string reason = text.stopReason();
      reason[0] = 'C';
      logSourceError(log, "Source error. " + reason + ". See line ", n);
      return Status::Corruption("\"" + source + "\" line " + std::to_string(n) + ": " +
                                text.stopReason());
    }
    case SourceFault::kChanged: {
      Status s = Status::IOError("\"" + source + "\" changed while it was read");
      LogError(log, s.message());
      return s;
    }
  }
  return Status::Corruption("\"" + source + "\" line " + std::to_string(n) +
                            " is no entry the generator can store");
}

// The record of the source's entries, written straight to its place: a first pass
// sizes every table and finds the line the run stops at, a second writes and logs each
// entry. A run the source stops gets the empty database, after the log has shown the
// lines before that one.
SourceStop buildRecord(const SourceText& text, LogSink& log, std::string& bytes) {
  const DtcDatabase empty = EmptyDatabase();
  RecordWriter::Shape shapes[kTables];
  for (size_t k = 0; k < kTables; ++k)
    shapes[k] = {empty.table(kTableLetters[k])->Name, 1, ElementBytes({}, {})};
  const RecordWriter::Shape emptyShapes[kTables] = {shapes[0], shapes[1], shapes[2], shapes[3]};
  SourceStop stop = walkSource(text, [&shapes](size_t slot, const SourceLine& line) {
    ++shapes[slot].elements;
    shapes[slot].bytes += ElementBytes(line.text, line.extension);
  });
  const bool complete = stop.fault == SourceFault::kNone;
  RecordWriter writer(complete ? shapes : emptyShapes, bytes);
  for (size_t k = 0; k < kTables; ++k) writer.put(static_cast<int>(k), kPlaceholderCode, {}, {});
  Progress progress(log);
  if (!complete && log.writesNothing()) return stop;
  const SourceStop again = walkSource(text, [&](size_t slot, const SourceLine& line) {
    if (complete) writer.put(static_cast<int>(slot), line.code, line.text, line.extension);
    progress.add(slot, line);
  });
  // The file changed between the passes: what was sized is not what was written.
  if (complete && !writer.complete()) stop = {SourceFault::kChanged, again.lineNo, 0};
  return stop;
}

bool sameFile(const std::string& a, const std::string& b) {
  std::error_code ec;
  const bool same = fs::equivalent(a, b, ec);
  return !ec && same;
}

bool failed(LogSink& log, Status s, GenerateResult& result) {
  LogError(log, s.message());
  result.status = std::move(s);
  return false;
}

// A failed run leaves a destination that holds a file (or one it cannot look at)
// exactly as it was, and says so; true when it did.
bool keepOld(const std::string& dest, LogSink& log, GenerateResult& result) {
  std::error_code ec;
  const bool held =
      fs::is_regular_file(dest, ec) || (ec && ec != std::errc::no_such_file_or_directory);
  if (!held) return false;
  result.keptOld = true;
  log.LOG("The old database " + LogPath(dest) + " was kept", kTabModeLineEnd, color::kBrightWhite);
  return true;
}

// Read before anything is written, so an unreadable source costs nothing.
bool readSource(const std::string& source, const std::string& dest, LogSink& log, FileBytes& text,
                GenerateResult& result) {
  Status s = ReadWholeFile(source, text);
  if (s.IsNotFound() || s.IsInvalidArgument()) {
    log.LOG(kSourceNotFound, kTabModeLineEnd, color::kBrightWhite);
    result.status = std::move(s);
    result.sourceUnreadable = true;
    keepOld(dest, log, result);
    return false;
  }
  // Replacing the destination would replace the text just read.
  if (sameFile(source, dest))
    return failed(log,
                  Status::InvalidArgument(
                      "\"" + dest + "\" is the source file itself; choose another destination"),
                  result);
  if (!s.ok()) {
    result.sourceUnreadable = true;
    failed(log, std::move(s), result);
    keepOld(dest, log, result);
    return false;
  }
  return true;
}

// An existing destination: asks first, then locks it. The old file stays until the
// new one replaces it whole.
bool claimDestination(const std::string& dest, LogSink& log, Questions& questions, FileLock& lock,
                      GenerateResult& result) {
  if (FileExists(dest)) {
    log.LOG(kEraseQuery, kTabModeTab, color::kGrey);
    if (questions.ask(
            {kRewriteQuestion, {Button::Yes, Button::No}, Button::No, Icon::Question, ""}) !=
        Button::Yes) {
      log.LOG("Abort", kTabModeNone, color::kBrightWhite);  // "Done" follows directly
      result.declined = true;
      return false;
    }
    if (Status s = lock.lock(dest); !s.ok()) return failed(log, std::move(s), result);
    log.LOG("Erase file", kTabModeLineEnd, color::kLightCyan);
  }
  log.LOG("Create new database", kTabModeTab, color::kBrightWhite);
  if (Status s = CheckReplaceable(dest); !s.ok()) return failed(log, std::move(s), result);
  log.LOG("OK", kTabModeLineEnd, color::kBrightWhite);
  return true;
}

}  // namespace

GenerateResult Generate(const std::string& source, const std::string& dest, LogSink& log,
                        Questions& questions) {
  const OperationLog run(log);
  GenerateResult result;
  // The entries point into the source until the new record is built.
  FileBytes file;
  if (!readSource(source, dest, log, file, result)) return result;
  const SourceText text = DecodeSourceText(file.view());
  // Held from the question to the last write, so no other writer slips in between.
  FileLock lock;
  if (!claimDestination(dest, log, questions, lock, result)) {
    if (!result.declined) keepOld(dest, log, result);
    return result;
  }

  LogBasePositions(log, {0, 0, 0, 0});
  if (text.utf8)
    log.LOG("Source file is UTF-8: converted to code page 1251", kTabModeLineEnd,
            color::kBrightWhite);
  log.LOG(kBeginBanner, kTabModeLineEnd, color::kLightBlue);
  std::string bytes;
  const SourceStop stop = buildRecord(text, log, bytes);
  const Status stopped = reportStop(stop, text, source, log, questions);
  // A destination that held nothing gets the empty database.
  if (!stopped.ok()) {
    result.status = stopped;
    if (keepOld(dest, log, result)) return result;
  }
  // The whole new file at once: the old one stays whole until this one is complete.
  if (Status s = ReplaceFile(dest, bytes); !s.ok()) {
    failed(log, std::move(s), result);
    keepOld(dest, log, result);
    return result;
  }
  if (!stopped.ok()) return result;
  result.entries = stop.lineNo;  // every line is an entry
  log.LOG(kEndBanner, kTabModeLineEnd, color::kLightBlue);
  log.LOG("Created database file " + LogPath(dest), kTabModeLineEnd, color::kBrightWhite);
  return result;
}

}  // namespace vestral
