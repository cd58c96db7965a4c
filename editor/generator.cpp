#include "editor/generator.h"

#include <algorithm>
#include <charconv>
#include <filesystem>

#include "database/database_view.h"
#include "database/dtc_database.h"
#include "database/file_io.h"
#include "editor/base_positions.h"

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

std::vector<std::string_view> SplitSourceLines(std::string_view text) {
  std::vector<std::string_view> lines;
  lines.reserve(static_cast<size_t>(std::count(text.begin(), text.end(), '\n')) + 1);
  const size_t n = text.size();
  size_t start = 0;
  // find() of one character is memchr: each line end is found at memory speed. A CR
  // before the next LF ends a line too.
  while (start < n) {
    const size_t lf = std::min(text.find('\n', start), n);
    const size_t cr = text.substr(start, lf - start).find('\r');
    if (cr != std::string_view::npos) {
      const size_t at = start + cr;
      lines.push_back(text.substr(start, cr));
      start = at + 1 < n && text[at + 1] == '\n' ? at + 2 : at + 1;
      continue;
    }
    lines.push_back(text.substr(start, lf - start));
    start = lf + 1;
  }
  return lines;
}

namespace {

void logSourceError(LogSink& log, const char* what, int32_t lineNo) {
  log.LOG(std::string(what) + std::to_string(lineNo) + " of source file.", kTabModeLineEnd,
          color::kLightRed);
}

// Deleting a file marked read-only would throw away what its owner protected.
bool isReadOnlyFile(const std::string& path) {
  std::error_code ec;
  const fs::file_status st = fs::status(path, ec);
  if (ec || !fs::is_regular_file(st)) return false;
  constexpr fs::perms anyWrite =
      fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
  return (st.permissions() & anyWrite) == fs::perms::none;
}

bool sameFile(const std::string& a, const std::string& b) {
  std::error_code ec;
  const bool same = fs::equivalent(a, b, ec);
  return !ec && same;
}

// "P:n<tab>C:n<tab>B:n<tab>U:n" without a temporary per number.
void formatCounts(const ViewTable (&tables)[4], std::string& out) {
  out.clear();
  char buf[16];
  for (int k = 0; k < 4; ++k) {
    if (k > 0) out += '\t';
    out += "PCBU"[k];
    out += ':';
    const auto r = std::to_chars(std::begin(buf), std::end(buf), tables[k].Entries.size() - 1);
    out.append(buf, r.ptr);
  }
}

// Adds every line of the source to `db`, logging each; false at the first line the
// generator stops at (logged). The entries point into `text`.
bool addSourceLines(std::string_view text, ViewTable (&db)[4], LogSink& log, Questions& questions) {
  const std::string ok = "Ok";
  const std::string extend = "Extend";
  std::string counts;
  const std::vector<std::string_view> lines = SplitSourceLines(text);
  // Size each table once instead of growing it line by line.
  size_t perTable[256] = {};
  for (std::string_view line : lines)
    if (!line.empty()) ++perTable[static_cast<unsigned char>(line[0])];
  for (int t = 0; t < 4; ++t)
    db[t].Entries.reserve(1 + perTable[static_cast<unsigned char>("PCBU"[t])]);

  // A line's counts are formatted only where the log shows them.
  const bool quiet = log.writesNothing();
  int32_t lineNo = 0;
  for (std::string_view line : lines) {
    ++lineNo;
    SourceLine parsed;
    if (!ParseSourceLine(line, parsed)) {
      logSourceError(log, "Source error. Code lench is missing. See line ", lineNo);
      return false;
    }
    const int slot = TableSlot(parsed.letter);
    if (slot < 0) {
      logSourceError(log, "Script error. This database absense in database. See line ", lineNo);
      MessageBox box;
      box.text = "No table in the database [" + std::string(1, parsed.letter) + "] on line " +
                 std::to_string(lineNo);
      box.buttons = {Button::Ok};
      box.defaultButton = Button::Ok;
      box.icon = Icon::Critical;
      questions.ask(box);
      return false;
    }
    // The file's 16-bit counts cannot hold more; stop here rather than at the write.
    if (parsed.text.size() > kMaxTextBytes) {
      logSourceError(log, "Source error. Description is longer than 65535 bytes. See line ",
                     lineNo);
      return false;
    }
    if (parsed.extension.size() > kMaxTextBytes) {
      logSourceError(log, "Source error. Extension is longer than 65535 bytes. See line ", lineNo);
      return false;
    }
    const EntryView& e = db[slot].Entries.emplace_back(
        EntryView{parsed.code.substr(0, 4), parsed.text, parsed.extension});

    if (quiet) continue;
    formatCounts(db, counts);
    log.LOG(counts, kTabModeTab, color::kBrightWhite);
    if (e.Extension.empty())
      log.LOG(ok, kTabModeLineEnd, color::kLightBlue);
    else
      log.LOG(extend, kTabModeLineEnd, color::kLightYellow);
  }
  return true;
}

// The whole new file at once: the old one stays whole until this one is complete.
Status store(const std::string& dest, const ViewTable (&db)[4]) {
  std::string bytes;
  if (Status s = SerializeTables(db, bytes); !s.ok()) return s;
  return ReplaceFile(dest, bytes);
}

}  // namespace

bool Generate(const std::string& source, const std::string& dest, LogSink& log,
              Questions& questions) {
  log.INIT();
  // Held from the question to the last write, so no other writer slips in between.
  FileLock lock;
  const bool done = [&] {
    if (!FileExists(source)) {
      log.LOG(kSourceNotFound, kTabModeLineEnd, color::kBrightWhite);
      return false;
    }
    // Replacing the destination would replace the text we are about to read.
    if (sameFile(source, dest)) {
      LogError(log, "\"" + dest + "\" is the source file itself; choose another destination");
      return false;
    }
    // Read before anything is written, so an unreadable source costs nothing. The
    // entries point into it until the new record is built.
    FileBytes text;
    if (Status s = MapWholeFile(source, text); !s.ok()) {
      LogError(log, s.message());
      return false;
    }

    if (FileExists(dest)) {
      log.LOG(kEraseQuery, kTabModeTab, color::kGrey);
      MessageBox box;
      box.text = kRewriteQuestion;
      box.buttons = {Button::Yes, Button::No};
      box.defaultButton = Button::No;
      box.icon = Icon::Question;
      if (questions.ask(box) != Button::Yes) {
        log.LOG("Abort", kTabModeNone, color::kBrightWhite);  // "Done" follows directly
        return false;
      }
      if (isReadOnlyFile(dest)) {
        LogError(log, "cannot rewrite \"" + dest + "\": the file is read-only");
        return false;
      }
      if (Status s = lock.lock(dest); !s.ok()) {
        LogError(log, s.message());
        return false;
      }
      // The old file stays until the new one replaces it whole.
      log.LOG("Erase file", kTabModeLineEnd, color::kLightCyan);
    }

    log.LOG("Create new database", kTabModeTab, color::kBrightWhite);
    if (Status s = CheckReplaceable(dest); !s.ok()) {
      LogError(log, s.message());
      return false;
    }
    log.LOG("OK", kTabModeLineEnd, color::kBrightWhite);

    DatabaseFile empty;
    empty.clear();
    ViewTable db[4];
    ToViewTables(empty.view(), db);
    LogBasePositions(log, db);
    log.LOG(kBeginBanner, kTabModeLineEnd, color::kLightBlue);
    const bool complete = addSourceLines(text.view(), db, log, questions);
    // A run the source stopped leaves the empty database it began with.
    if (!complete) ToViewTables(empty.view(), db);
    if (Status s = store(dest, db); !s.ok()) {
      LogError(log, s.message());
      return false;
    }
    if (!complete) return false;
    log.LOG(kEndBanner, kTabModeLineEnd, color::kLightBlue);
    log.LOG("Created database file \"" + dest + "\"", kTabModeLineEnd, color::kBrightWhite);
    return true;
  }();
  log.DONE();
  return done;
}

}  // namespace vestral
