#include "editor/synchronizer.h"

#include <algorithm>
#include <optional>

#include "database/code_index.h"
#include "database/file_io.h"
#include "editor/base_positions.h"

namespace vestral {

namespace {

constexpr LogColour kWhite = color::kBrightWhite;
constexpr char kTableOrder[4] = {'B', 'C', 'P', 'U'};

DtcEntry owned(const EntryView& e) {
  DtcEntry o;
  o.setCode(e.code);
  o.Text = e.Text;
  o.Extension = e.Extension;
  return o;
}

// Entries by position, as a table built in memory holds them.
class OwnedEntries {
 public:
  explicit OwnedEntries(const std::vector<DtcEntry>& entries) : entries_(entries) {}
  int32_t upperBound() const { return static_cast<int32_t>(entries_.size()) - 1; }
  EntryView at(int32_t k) const {
    const DtcEntry& e = entries_[static_cast<size_t>(k)];
    return {e.code(), e.Text, e.Extension};
  }
  CodeIndex index() const { return CodeIndex(entries_); }
  size_t totalBytes() const {
    size_t bytes = 0;
    for (const DtcEntry& e : entries_) bytes += ElementBytes(e.Text, e.Extension);
    return bytes;
  }

 private:
  const std::vector<DtcEntry>& entries_;
};

// Entries by position, as they lie in a file read in place.
class FileEntries {
 public:
  explicit FileEntries(const TableView& table) : table_(table) {
    offsets_.reserve(static_cast<size_t>(table.upperBound()) + 2);
    const TableView::Range all = table.elements();
    for (auto it = all.begin(); it != all.end(); ++it) offsets_.push_back(table.offsetOf(it));
    offsets_.push_back(table.elementBytes().size());
  }
  int32_t upperBound() const { return table_.upperBound(); }
  EntryView at(int32_t k) const { return table_.entryAt(offsets_[static_cast<size_t>(k)]); }
  CodeIndex index() const { return CodeIndex(table_); }
  size_t totalBytes() const { return table_.elementBytes().size(); }
  // The elements `from` to `to` (inclusive) as the file holds them.
  std::string_view bytes(int32_t from, int32_t to) const {
    const size_t begin = offsets_[static_cast<size_t>(from)];
    return table_.elementBytes().substr(begin, offsets_[static_cast<size_t>(to) + 1] - begin);
  }

 private:
  TableView table_;
  std::vector<size_t> offsets_;  // of every element, and the end of the last
};

enum class Outcome { kAdded, kIdentical, kChanged, kDeclined };

// One table's merge, decided entry by entry and kept as where each merged entry comes
// from, so that no text is copied before the result is written. The run, SyncTable
// and the plan all decide through find() and apply(), so they cannot disagree.
template <typename Entries>
class TableMerge {
 public:
  TableMerge(Entries main, Entries sync)
      : main_(std::move(main)),
        sync_(std::move(sync)),
        mainIndex_(std::in_place, main_.index()),
        syncIndex_(std::in_place, sync_.index()),
        appendedAt_(static_cast<size_t>(std::max(sync_.upperBound(), 0)) + 1),
        bytes_(main_.totalBytes()) {
    const int32_t mainUb = std::max(main_.upperBound(), 0);
    merged_.reserve(static_cast<size_t>(mainUb + std::max(sync_.upperBound(), 0)) + 1);
    for (int32_t k = 0; k <= mainUb; ++k) merged_.push_back({k, 0});
  }

  int32_t upperBound() const { return static_cast<int32_t>(merged_.size()) - 1; }
  int32_t syncUpperBound() const { return sync_.upperBound(); }
  EntryView syncEntry(int32_t i) const { return sync_.at(i); }
  // Every merged element's bytes in a record, the placeholder included.
  size_t bytes() const { return bytes_; }

  // The merged position of the first entry with the code of sync entry i (`s`), or 0.
  // A code the main table lacks is found where its first sync entry was appended.
  int32_t find(int32_t i, const EntryView& s) const {
    int32_t k = 0;
    if (mainIndex_->find(s.code, k)) return k;
    int32_t first = i;
    static_cast<void>(syncIndex_->find(s.code, first));
    return appendedAt_[static_cast<size_t>(first)];
  }

  // Merges sync entry i (`s`) into position k (0: appended). In direct mode a change is made
  // only after the user's OK.
  Outcome apply(int32_t i, const EntryView& s, int32_t k, bool direct, Questions& questions) {
    if (k == 0) {
      merged_.push_back({-i, 0});
      appendedAt_[static_cast<size_t>(i)] = upperBound();
      bytes_ += ElementBytes(s.Text, s.Extension);
      return Outcome::kAdded;
    }
    const EntryView m = entry(k);
    Source& source = merged_[static_cast<size_t>(k)];
    if (!direct) {
      if (m.Extension == s.Text) return Outcome::kIdentical;
      source.extension = i;
      bytes_ = bytes_ - m.Extension.size() + s.Text.size();
      return Outcome::kChanged;
    }
    // The whole texts are compared: a changed text of the same length is a change.
    if (m.Text == s.Text) return Outcome::kIdentical;
    if (questions.ask(SyncConfirmation(owned(m), owned(s))) != Button::Ok)
      return Outcome::kDeclined;
    source = {-i, 0};
    bytes_ = bytes_ - ElementBytes(m.Text, m.Extension) + ElementBytes(s.Text, s.Extension);
    return Outcome::kChanged;
  }

  // Ends the merging; what remains serves entry() and writeTo(). The indexes' memory
  // then serves the next table's.
  void endMerge() {
    mainIndex_.reset();
    syncIndex_.reset();
  }

  // The entry at merged position k.
  EntryView entry(int32_t k) const {
    const Source& source = merged_[static_cast<size_t>(k)];
    EntryView e = source.entry >= 0 ? main_.at(source.entry) : sync_.at(-source.entry);
    if (source.extension != 0) e.Extension = sync_.at(source.extension).Text;
    return e;
  }

  // Writes the merged elements to the table in `slot`: runs of main entries the merge
  // left alone are copied as the file holds them.
  bool writeTo(RecordWriter& writer, int slot) const {
    bool ok = true;
    int32_t from = 0;  // the first main entry of the run not yet written
    for (int32_t k = 0; k <= upperBound() + 1; ++k) {
      if (k <= upperBound() && merged_[static_cast<size_t>(k)] == Source{k, 0}) continue;
      if (k > from)
        ok = writer.putRaw(slot, main_.bytes(from, k - 1), static_cast<uint32_t>(k - from)) && ok;
      if (k <= upperBound()) {
        const EntryView e = entry(k);
        ok = writer.put(slot, e.code, e.Text, e.Extension) && ok;
      }
      from = k + 1;
    }
    return ok;
  }

 private:
  struct Source {
    int32_t entry;      // >= 0: that main position; < 0: sync position -entry
    int32_t extension;  // 0: the entry's own; else the sync position whose Text it is
    friend bool operator==(const Source&, const Source&) = default;
  };

  Entries main_;
  Entries sync_;
  // Only first occurrences matter: the main table's, and the sync table's for codes
  // the main table lacks, so that neither index grows during the merge.
  std::optional<CodeIndex> mainIndex_;
  std::optional<CodeIndex> syncIndex_;
  std::vector<int32_t> appendedAt_;  // by sync position: where it was appended, or 0
  size_t bytes_;
  std::vector<Source> merged_;
};

void count(SyncCounts& counts, Outcome outcome) {
  switch (outcome) {
    case Outcome::kAdded: ++counts.added; break;
    case Outcome::kIdentical: ++counts.identical; break;
    case Outcome::kChanged: ++counts.changed; break;
    case Outcome::kDeclined: ++counts.declined; break;
  }
}

// Merges every sync entry and logs each (what SyncTable describes).
template <typename Entries>
SyncCounts mergeLogged(LogSink& log, TableMerge<Entries>& merge, bool direct,
                       Questions& questions) {
  log.LOG("*********************** BEGIN *************************", kTabModeLineEnd,
          color::kLightBlue);
  // The lines of each entry are skipped, not built and dropped, when nothing shows them.
  const bool quiet = log.writesNothing();
  auto say = [&log, quiet](const char* text, TabMode mode, LogColour color) {
    if (!quiet) log.LOG(text, mode, color);
  };
  SyncCounts counts;
  counts.before = merge.upperBound();
  for (int32_t i = 1; i <= merge.syncUpperBound(); ++i) {
    const EntryView s = merge.syncEntry(i);
    if (!quiet) log.LOG("FIND " + std::string(s.code), kTabModeTab, kWhite);
    const int32_t k = merge.find(i, s);
    if (k != 0) {
      say("FOUND, ", kTabModeNone, color::kLightMagenta);
      say(direct ? "Sync" : "Add", kTabModeTab, kWhite);
    } else {
      say("NOT FOUND, Create", kTabModeTab, color::kLightYellow);
    }
    const Outcome outcome = merge.apply(i, s, k, direct, questions);
    count(counts, outcome);
    if (direct && (outcome == Outcome::kIdentical || outcome == Outcome::kDeclined))
      say("Skip", kTabModeNone, color::kLightCyan);
    else
      say("Complete", kTabModeTab, color::kLightGreen);
    say("->", kTabModeLineEnd, color::kLightBlue);
  }
  log.LOG("***********************  END  *************************", kTabModeLineEnd,
          color::kLightBlue);
  counts.after = merge.upperBound();
  return counts;
}

using FileMerge = TableMerge<FileEntries>;

// The merged record, tables P, C, B, U, each element written once to its place.
Status writeMerged(const std::string& path, const DatabaseView& main,
                   const std::vector<FileMerge>& merges) {
  RecordWriter::Shape shapes[4];
  const FileMerge* bySlot[4] = {};
  for (size_t t = 0; t < 4; ++t) {
    const auto slot = static_cast<size_t>(TableSlot(kTableOrder[t]));
    bySlot[slot] = &merges[t];
    shapes[slot] = {main.table(kTableOrder[t])->Name,
                    static_cast<uint32_t>(merges[t].upperBound() + 1), merges[t].bytes()};
  }
  std::string bytes;
  RecordWriter writer(shapes, bytes);
  bool ok = true;
  for (int slot = 0; slot < 4; ++slot) ok = bySlot[slot]->writeTo(writer, slot) && ok;
  if (!ok || !writer.complete())
    return Status::Corruption("cannot write \"" + path + "\": the merged record came out wrong");
  return OverwriteFromStart(path, bytes);
}

// Reads a database for the run and logs its base positions.
Status openDatabase(DatabaseFile& file, const std::string& path, LogSink& log) {
  if (Status s = file.read(path); !s.ok()) return s;
  LogBasePositions(log, file.view());
  return Status::OK();
}

SyncResult failed(LogSink& log, Status s, SyncResult result) {
  LogError(log, s.message());
  result.status = std::move(s);
  return result;
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

void SyncTable(LogSink& log, DtcTable& main, const DtcTable& sync, bool direct,
               Questions& questions) {
  // A table built in memory may lack its Entries array; appending must not put an
  // entry at the placeholder's place.
  if (main.Entries.empty()) main.Entries.resize(1);
  TableMerge<OwnedEntries> merge{OwnedEntries(main.Entries), OwnedEntries(sync.Entries)};
  mergeLogged(log, merge, direct, questions);
  std::vector<DtcEntry> merged;
  merged.reserve(static_cast<size_t>(merge.upperBound()) + 1);
  for (int32_t k = 0; k <= merge.upperBound(); ++k) merged.push_back(owned(merge.entry(k)));
  main.Entries = std::move(merged);
}

SyncResult Synchronize(const std::string& mainPath, const std::string& syncPath, bool direct,
                       LogSink& log, Questions& questions) {
  const OperationLog run(log);
  log.LOG("Synchronization databases ", kTabModeNone, kWhite);
  log.LOG(direct ? "Direct mode" : "Alternative value mode", kTabModeLineEnd, kWhite);
  SyncResult result;
  if (!FileExists(syncPath)) {
    log.LOG("Synchro database not found", kTabModeLineEnd, kWhite);
    result.status = CheckReadable(syncPath);
    result.otherUnreadable = !result.status.ok();
    if (result.status.ok()) result.status = Status::IOError("\"" + syncPath + "\" was not found");
    return result;
  }

  // Both files are read in place; the merge points into them, so no text is copied
  // until the new record is written.
  DatabaseFile mainFile, syncFile;
  log.LOG("Open main database", kTabModeLineEnd, kWhite);
  // Held from this read to the write, so another writer's merge is never lost.
  FileLock lock;
  if (Status s = lock.lock(mainPath); !s.ok()) return failed(log, std::move(s), result);
  if (Status s = openDatabase(mainFile, mainPath, log); !s.ok())
    return failed(log, std::move(s), result);
  log.LOG("Open Syncho database", kTabModeLineEnd, kWhite);
  if (Status s = openDatabase(syncFile, syncPath, log); !s.ok()) {
    result.otherUnreadable = !s.IsCorruption();
    return failed(log, std::move(s), result);
  }

  std::vector<FileMerge> merges;
  merges.reserve(4);
  for (size_t t = 0; t < 4; ++t) {
    const char letter = kTableOrder[t];
    log.LOG(std::string("Synchronize ") + letter + " base:", kTabModeLineEnd, kWhite);
    merges.emplace_back(FileEntries(*mainFile.view().table(letter)),
                        FileEntries(*syncFile.view().table(letter)));
    result.tables[t] = mergeLogged(log, merges.back(), direct, questions);
    merges.back().endMerge();
  }
  if (Status s = writeMerged(mainPath, mainFile.view(), merges); !s.ok())
    return failed(log, std::move(s), result);
  log.LOG("Synchronization complete", kTabModeLineEnd, kWhite);
  // Tables P, C, B, U from their merges in the order B, C, P, U.
  LogBasePositions(log, {result.tables[2].after, result.tables[1].after, result.tables[0].after,
                         result.tables[3].after});
  return result;
}

SyncCounts SyncTablePlan::counts() const {
  return {sizeBefore,
          sizeAfter,
          static_cast<int32_t>(added.size()),
          static_cast<int32_t>(identical.size()),
          static_cast<int32_t>(changed.size()),
          0};
}

SyncTablePlan PlanSyncTable(const TableView& main, const TableView& sync, char letter,
                            bool direct) {
  // The plan's answer to every question.
  class AnswerOk : public Questions {
   public:
    Button ask(const MessageBox&) override { return Button::Ok; }
  } ok;
  SyncTablePlan plan;
  plan.letter = letter;
  FileMerge merge{FileEntries(main), FileEntries(sync)};
  plan.sizeBefore = merge.upperBound();
  for (int32_t i = 1; i <= merge.syncUpperBound(); ++i) {
    const EntryView s = merge.syncEntry(i);
    const int32_t k = merge.find(i, s);
    SyncPlanEntry p{std::string(s.code), i, k, {}, std::string(s.Text)};
    if (k != 0) p.mainText = direct ? merge.entry(k).Text : merge.entry(k).Extension;
    switch (merge.apply(i, s, k, direct, ok)) {
      case Outcome::kAdded:
        p.mainIndex = merge.upperBound();
        plan.added.push_back(std::move(p));
        break;
      case Outcome::kIdentical: plan.identical.push_back(std::move(p)); break;
      case Outcome::kChanged:
      case Outcome::kDeclined: plan.changed.push_back(std::move(p)); break;
    }
  }
  plan.sizeAfter = merge.upperBound();
  return plan;
}

}  // namespace vestral
