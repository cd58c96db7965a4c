#include "editor/synchronizer.h"

#include <algorithm>

#include "database/code_index.h"
#include "database/file_io.h"
#include "editor/base_positions.h"

namespace vestral {

namespace {

constexpr LogColour kWhite = color::kBrightWhite;
constexpr char kTableOrder[4] = {'B', 'C', 'P', 'U'};
size_t slotOf(char letter) { return static_cast<size_t>(TableSlot(letter)); }

std::string_view codeOf(const DtcEntry& e) { return e.code(); }
std::string_view codeOf(const EntryView& e) { return e.code; }
const DtcEntry& owned(const DtcEntry& e) { return e; }
DtcEntry owned(const EntryView& e) {
  DtcEntry o;
  o.setCode(e.code);
  o.Text = e.Text;
  o.Extension = e.Extension;
  return o;
}

}  // namespace

MessageBox SyncConfirmation(const DtcEntry& mainEntry, const DtcEntry& syncEntry) {
  std::string text = "Confilm change:\r\n\r\n";
  text += mainEntry.code();
  text += "\r\n";
  text += mainEntry.Text;
  text += "\r\n\r\n TO \r\n\r\n";
  text += syncEntry.code();
  text += "\r\n";
  text += syncEntry.Text;
  return {std::move(text), {Button::Ok, Button::Cancel}, Button::Cancel, Icon::Question, ""};
}

namespace {

// SyncTable's work over a table's entries (position 0 the placeholder), owned or read
// in place. When `consumable` is given (the same entries as `sync`, which the caller
// throws away afterwards), sync entries are moved rather than copied: each is visited
// once, so nothing reads them again.
template <typename Entry>
void mergeTable(LogSink& log, std::vector<Entry>& main, const std::vector<Entry>& sync,
                std::vector<Entry>* consumable, bool direct, Questions& questions) {
  log.LOG("*********************** BEGIN *************************", kTabModeLineEnd,
          color::kLightBlue);
  // The Entries array of a table read from a file always exists; a table built in
  // memory may lack it, and appending must not put an entry at the placeholder's place.
  if (main.empty()) main.resize(1);
  CodeIndex index(main);
  // The lines of each entry are skipped, not built and dropped, when nothing shows them.
  const bool quiet = log.writesNothing();
  auto say = [&log, quiet](const char* text, TabMode mode, LogColour color) {
    if (!quiet) log.LOG(text, mode, color);
  };
  const auto syncUb = static_cast<int32_t>(sync.size()) - 1;
  if (syncUb > 0) main.reserve(main.size() + static_cast<size_t>(syncUb));
  for (int32_t i = 1; i <= syncUb; ++i) {
    const Entry& s = sync[i];
    if (!quiet) log.LOG("FIND " + std::string(codeOf(s)), kTabModeTab, kWhite);
    int32_t k = 0;
    if (index.find(codeOf(s), k)) {
      say("FOUND, ", kTabModeNone, color::kLightMagenta);
      Entry& m = main[k];
      if (direct) {
        say("Sync", kTabModeTab, kWhite);
        // The whole texts are compared: a changed text of the same length is a change.
        if (m.Text != s.Text && questions.ask(SyncConfirmation(owned(m), owned(s))) == Button::Ok) {
          // Same code, so the index stays right.
          if (consumable)
            m = std::move((*consumable)[i]);
          else
            m = s;
          say("Complete", kTabModeTab, color::kLightGreen);
        } else {
          say("Skip", kTabModeNone, color::kLightCyan);
        }
      } else {
        say("Add", kTabModeTab, kWhite);
        if (consumable)
          m.Extension = std::move((*consumable)[i].Text);
        else
          m.Extension = s.Text;
        say("Complete", kTabModeTab, color::kLightGreen);
      }
    } else {
      say("NOT FOUND, Create", kTabModeTab, color::kLightYellow);
      // Not a conditional expression: with one const branch it would copy both ways.
      if (consumable)
        main.push_back(std::move((*consumable)[i]));
      else
        main.push_back(s);
      index.appended(main.back(), static_cast<int32_t>(main.size()) - 1);
      say("Complete", kTabModeTab, color::kLightGreen);
    }
    say("->", kTabModeLineEnd, color::kLightBlue);
  }
  log.LOG("***********************  END  *************************", kTabModeLineEnd,
          color::kLightBlue);
}

}  // namespace

void SyncTable(LogSink& log, DtcTable& main, const DtcTable& sync, bool direct,
               Questions& questions) {
  mergeTable<DtcEntry>(log, main.Entries, sync.Entries, nullptr, direct, questions);
}

bool Synchronize(const std::string& mainPath, const std::string& syncPath, bool direct,
                 LogSink& log, Questions& questions) {
  log.INIT();
  log.LOG("Synchronization databases ", kTabModeNone, kWhite);
  log.LOG(direct ? "Direct mode" : "Alternative value mode", kTabModeLineEnd, kWhite);
  if (!FileExists(syncPath)) {
    log.LOG("Synchro database not found", kTabModeLineEnd, kWhite);
    log.DONE();
    return false;
  }

  auto fail = [&log](const Status& s) {
    LogError(log, s.message());
    log.DONE();
    return false;
  };

  // Both files are read in place; the merged tables point into them, so no text is
  // copied until the new record is built.
  DatabaseFile mainFile, syncFile;
  ViewTable main[4], sync[4];
  auto open = [&log](DatabaseFile& file, const std::string& path, ViewTable(&tables)[4]) {
    if (Status s = file.read(path); !s.ok()) return s;
    ToViewTables(file.view(), tables);
    LogBasePositions(log, tables);
    return Status::OK();
  };
  log.LOG("Open main database", kTabModeLineEnd, kWhite);
  // Held from this read to the write, so another writer's merge is never lost.
  FileLock lock;
  if (Status s = lock.lock(mainPath); !s.ok()) return fail(s);
  if (Status s = open(mainFile, mainPath, main); !s.ok()) return fail(s);
  log.LOG("Open Syncho database", kTabModeLineEnd, kWhite);
  if (Status s = open(syncFile, syncPath, sync); !s.ok()) return fail(s);

  for (char letter : kTableOrder) {
    log.LOG(std::string("Synchronize ") + letter + " base:", kTabModeLineEnd, kWhite);
    ViewTable& syncTable = sync[slotOf(letter)];
    mergeTable(log, main[slotOf(letter)].Entries, syncTable.Entries, &syncTable.Entries, direct,
               questions);
  }

  if (Status s = WriteDatabase(mainPath, main); !s.ok()) return fail(s);
  log.LOG("Synchronization complete", kTabModeLineEnd, kWhite);
  LogBasePositions(log, main);
  log.DONE();
  return true;
}

SyncTablePlan PlanSyncTable(const DtcTable& main, const DtcTable& sync, char letter, bool direct) {
  SyncTablePlan plan;
  plan.letter = letter;
  plan.sizeBefore = std::max(main.upperBound(), 0);

  // Only the compared text of each main entry matters; entries appended by the run
  // are tracked by their sync position.
  std::vector<std::string> compared;
  compared.reserve(main.Entries.size());
  for (const DtcEntry& e : main.Entries) compared.push_back(direct ? e.Text : e.Extension);
  if (compared.empty()) compared.emplace_back();

  CodeIndex index(main);
  int32_t size = plan.sizeBefore;
  for (int32_t i = 1; i <= sync.upperBound(); ++i) {
    const DtcEntry& s = sync.Entries[i];
    SyncPlanEntry p;
    p.code = std::string(s.code());
    p.syncIndex = i;
    int32_t k = 0;
    if (index.find(s.code(), k)) {
      p.mainIndex = k;
      p.mainText = compared[k];
      p.syncText = s.Text;
      if (compared[k] == s.Text) {
        plan.identical.push_back(std::move(p));
      } else {
        compared[k] = s.Text;
        plan.changed.push_back(std::move(p));
      }
    } else {
      p.mainIndex = ++size;
      index.appended(s, size);
      compared.push_back(direct ? s.Text : s.Extension);
      plan.added.push_back(std::move(p));
    }
  }
  plan.sizeAfter = size;
  return plan;
}

Status PlanSync(const std::string& mainPath, const std::string& syncPath, bool direct,
                SyncPlan& plan) {
  plan = SyncPlan{};
  plan.direct = direct;
  DtcDatabase main, sync;
  if (Status s = ReadDatabase(mainPath, main); !s.ok()) return s;
  if (Status s = ReadDatabase(syncPath, sync); !s.ok()) return s;
  for (size_t t = 0; t < 4; ++t) {
    const char letter = kTableOrder[t];
    plan.tables[t] = PlanSyncTable(*main.table(letter), *sync.table(letter), letter, direct);
  }
  return Status::OK();
}

}  // namespace vestral
