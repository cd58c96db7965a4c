#include "editor/synchronizer.h"

#include <algorithm>
#include <cstring>

#include "database/table_order.h"
#include "log/operation_log.h"
#include "platform/codepage.h"
#include "platform/file_io.h"

namespace vestral {

namespace {

constexpr LogColour kWhite = color::kBrightWhite;

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
  std::string_view code(int32_t k) const { return entries_[static_cast<size_t>(k)].code(); }
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
  std::string_view code(int32_t k) const {
    return table_.elementBytes().substr(offsets_[static_cast<size_t>(k)], 4);
  }
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

// The codes of a table, each with its entry's position: the four code bytes in the
// high half, so that ordering by the high half keeps one code's positions in order.
using CodeKeys = std::vector<uint64_t>;

// Memory the matching of one table reuses for the next.
struct MatchScratch {
  CodeKeys main, sync, spare;
};

template <typename Entries>
void collectKeys(const Entries& entries, CodeKeys& keys) {
  keys.clear();
  for (int32_t k = 1; k <= entries.upperBound(); ++k) {
    uint32_t code = 0;
    std::memcpy(&code, entries.code(k).data(), 4);
    keys.push_back(uint64_t{code} << 32 | static_cast<uint32_t>(k));
  }
}

// Orders by code, one code's positions as they were: a stable radix sort of the high
// half, four passes that each read and write memory in order.
void sortByCode(CodeKeys& keys, CodeKeys& spare) {
  spare.resize(keys.size());
  for (int shift = 32; shift < 64; shift += 8) {
    size_t start[257] = {};
    for (uint64_t key : keys) ++start[((key >> shift) & 0xFF) + 1];
    for (size_t b = 0; b < 256; ++b) start[b + 1] += start[b];
    for (uint64_t key : keys) spare[start[(key >> shift) & 0xFF]++] = key;
    keys.swap(spare);
  }
}

// For every sync position: the first main position with its code, or, where the main
// table lacks the code, the first sync position with it, negated. Both tables are
// sorted once and walked side by side: on a large table that costs less than a hash
// index, whose every look-up lands somewhere else in memory.
template <typename Entries>
std::vector<int32_t> matchCodes(const Entries& main, const Entries& sync, MatchScratch& scratch) {
  collectKeys(main, scratch.main);
  collectKeys(sync, scratch.sync);
  sortByCode(scratch.main, scratch.spare);
  sortByCode(scratch.sync, scratch.spare);
  std::vector<int32_t> match(static_cast<size_t>(std::max(sync.upperBound(), 0)) + 1);
  const CodeKeys& m = scratch.main;
  const CodeKeys& s = scratch.sync;
  const auto position = [](uint64_t key) { return static_cast<int32_t>(key & 0xFFFFFFFF); };
  size_t at = 0;
  for (size_t i = 0; i < s.size();) {
    const uint64_t code = s[i] >> 32;
    while (at < m.size() && (m[at] >> 32) < code) ++at;
    const int32_t first =
        at < m.size() && (m[at] >> 32) == code ? position(m[at]) : -position(s[i]);
    for (; i < s.size() && (s[i] >> 32) == code; ++i)
      match[static_cast<size_t>(position(s[i]))] = first;
  }
  return match;
}

enum class Outcome { kAdded, kIdentical, kChanged, kDeclined };

// The non-empty second texts a run in alternative value mode would replace with
// different ones: how many per table and the first few.
class SyncReplacements {
 public:
  // `table`: 0 to 3 for B, C, P, U.
  void add(size_t table, std::string_view code, std::string_view before, std::string_view after) {
    ++perTable_[table];
    if (first_.size() < kShown)
      first_.push_back(
          {kEditorTableOrder[table] + std::string(code), std::string(before), std::string(after)});
  }
  int32_t total() const { return perTable_[0] + perTable_[1] + perTable_[2] + perTable_[3]; }
  MessageBox question() const;

 private:
  static constexpr size_t kShown = 5;
  struct Shown {
    std::string code, before, after;
  };
  std::array<int32_t, 4> perTable_{};  // B, C, P, U
  std::vector<Shown> first_;
};

// A text as a question shows it: on one line, cut when long.
std::string shownText(std::string_view t) {
  constexpr size_t kLongest = 100;
  std::string out(t.substr(0, kLongest));
  for (char& c : out)
    if (c == '\r' || c == '\n' || c == '\t') c = ' ';
  if (t.size() > kLongest) out += '\x85';  // an ellipsis in code page 1251
  return out;
}

MessageBox SyncReplacements::question() const {
  const int32_t n = total();
  std::string text =
      "Alternative value mode puts the other database's description into the "
      "second text of each entry both databases hold. " +
      std::to_string(n) + (n == 1 ? " entry holds" : " entries hold") +
      " a different second text, which would be lost:\r\n";
  for (size_t t = 0; t < 4; ++t)
    text += std::string(t == 0 ? "Per table: " : ", ") + kEditorTableOrder[t] + " " +
            std::to_string(perTable_[t]);
  for (const Shown& s : first_)
    text += "\r\n\r\n" + s.code + "\r\n    now:      " + shownText(s.before) +
            "\r\n    becomes:  " + shownText(s.after);
  if (static_cast<size_t>(n) > first_.size())
    text += "\r\n\r\n... and " + std::to_string(n - static_cast<int32_t>(first_.size())) + " more";
  text += "\r\n\r\nReplace these second texts? No leaves every file as it was.";
  return {std::move(text), {Button::Yes, Button::No}, Button::No, Icon::Question, ""};
}

// One table's merge, decided entry by entry and kept as where each merged entry comes
// from, so that no text is copied before the result is written. The run, SyncTable
// and the plan all decide through find() and apply(), so they cannot disagree.
template <typename Entries>
class TableMerge {
 public:
  TableMerge(Entries main, Entries sync, MatchScratch& scratch)
      : main_(std::move(main)),
        sync_(std::move(sync)),
        match_(matchCodes(main_, sync_, scratch)),
        bytes_(main_.totalBytes()) {
    const int32_t mainUb = std::max(main_.upperBound(), 0);
    merged_.reserve(static_cast<size_t>(mainUb + std::max(sync_.upperBound(), 0)) + 1);
    for (int32_t k = 0; k <= mainUb; ++k) merged_.push_back({k, 0});
  }

  int32_t upperBound() const { return static_cast<int32_t>(merged_.size()) - 1; }
  int32_t mainUpperBound() const { return std::max(main_.upperBound(), 0); }
  int32_t syncUpperBound() const { return sync_.upperBound(); }
  EntryView syncEntry(int32_t i) const { return sync_.at(i); }
  // Every merged element's bytes in a record, the placeholder included.
  size_t bytes() const { return bytes_; }

  // The merged position of the first entry with sync entry i's code, or 0. A code the
  // main table lacks is found where its first sync entry was appended.
  int32_t find(int32_t i) const {
    const int32_t match = match_[static_cast<size_t>(i)];
    if (match > 0) return match;
    const int32_t appended = match_[static_cast<size_t>(-match)];
    return appended > 0 ? appended : 0;
  }

  // Merges sync entry i (`s`) into position k (0: appended). In direct mode a change
  // is made only after the user's OK. `replaced`, when given, receives the second text
  // an alternative value change replaces.
  Outcome apply(int32_t i, const EntryView& s, int32_t k, bool direct, Questions& questions,
                std::string_view* replaced = nullptr) {
    if (k == 0) {
      merged_.push_back({-i, 0});
      match_[static_cast<size_t>(i)] = upperBound();  // where later ones find the code
      bytes_ += ElementBytes(s.Text, s.Extension);
      return Outcome::kAdded;
    }
    const EntryView m = entry(k);
    Source& source = merged_[static_cast<size_t>(k)];
    if (!direct) {
      if (m.Extension == s.Text) return Outcome::kIdentical;
      if (replaced) *replaced = m.Extension;
      source.extension = i;
      bytes_ = bytes_ - m.Extension.size() + s.Text.size();
      return Outcome::kChanged;
    }
    // Both whole texts are compared: a changed text of the same length is a change, and
    // so is a changed second text.
    if (m.Text == s.Text && m.Extension == s.Extension) return Outcome::kIdentical;
    if (questions.ask(SyncConfirmation(owned(m), owned(s))) != Button::Ok)
      return Outcome::kDeclined;
    source = {-i, 0};
    bytes_ = bytes_ - ElementBytes(m.Text, m.Extension) + ElementBytes(s.Text, s.Extension);
    return Outcome::kChanged;
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
  // By sync position, what matchCodes() gives; the first sync entry of a code the main
  // table lacks holds, once appended, the position it was appended at.
  std::vector<int32_t> match_;
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

// Alternative value mode asks nothing entry by entry.
class NoQuestions : public Questions {
 public:
  Button ask(const MessageBox& box) override { return box.defaultButton; }
};

// Decides every sync entry in alternative value mode before anything is logged or
// written, and notes each non-empty second text a run would replace.
template <typename Entries>
std::vector<Outcome> decideAlternative(TableMerge<Entries>& merge, size_t table,
                                       SyncReplacements& replaced) {
  NoQuestions none;
  std::vector<Outcome> outcomes;
  outcomes.reserve(static_cast<size_t>(std::max(merge.syncUpperBound(), 0)));
  for (int32_t i = 1; i <= merge.syncUpperBound(); ++i) {
    const EntryView s = merge.syncEntry(i);
    std::string_view before;
    outcomes.push_back(merge.apply(i, s, merge.find(i), false, none, &before));
    if (outcomes.back() == Outcome::kChanged && !before.empty())
      replaced.add(table, s.code, before, s.Text);
  }
  return outcomes;
}

// Merges every sync entry and logs each (what SyncTable describes). With `decided` the
// merge has been decided already and only its lines are logged.
template <typename Entries>
SyncCounts mergeLogged(LogSink& log, TableMerge<Entries>& merge, bool direct, Questions& questions,
                       const std::vector<Outcome>* decided = nullptr) {
  log.LOG("*********************** BEGIN *************************", kTabModeLineEnd,
          color::kLightBlue);
  // The lines of each entry are skipped, not built and dropped, when nothing shows them.
  const bool quiet = log.writesNothing();
  auto say = [&log, quiet](const char* text, TabMode mode, LogColour color) {
    if (!quiet) log.LOG(text, mode, color);
  };
  SyncCounts counts;
  counts.before = merge.mainUpperBound();
  for (int32_t i = 1; i <= merge.syncUpperBound(); ++i) {
    if (!quiet) log.LOG("FIND " + std::string(merge.syncEntry(i).code), kTabModeTab, kWhite);
    const Outcome* earlier = decided ? &(*decided)[static_cast<size_t>(i) - 1] : nullptr;
    const int32_t k = earlier ? 0 : merge.find(i);
    if (earlier ? *earlier != Outcome::kAdded : k != 0) {
      say("FOUND, ", kTabModeNone, color::kLightMagenta);
      say(direct ? "Sync" : "Add", kTabModeTab, kWhite);
    } else {
      say("NOT FOUND, Create", kTabModeTab, color::kLightYellow);
    }
    const Outcome outcome =
        earlier ? *earlier : merge.apply(i, merge.syncEntry(i), k, direct, questions);
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
    const auto slot = static_cast<size_t>(TableSlot(kEditorTableOrder[t]));
    bySlot[slot] = &merges[t];
    shapes[slot] = {main.table(kEditorTableOrder[t])->Name,
                    static_cast<uint32_t>(merges[t].upperBound() + 1), merges[t].bytes()};
  }
  std::string bytes;
  RecordWriter writer(shapes, bytes);
  bool ok = true;
  for (int slot = 0; slot < 4; ++slot) ok = bySlot[slot]->writeTo(writer, slot) && ok;
  if (!ok || !writer.complete())
    return Status::Corruption("cannot write \"" + path + "\": the merged record came out wrong");
  return OverwriteFromStart(path, bytes, {.keepBackup = true});
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

// Alternative value mode decides every table first: when that would replace non-empty
// second texts, the user is asked once before anything is logged as done or written.
// False when the answer is No.
bool replaceAsked(std::vector<FileMerge>& merges, std::array<std::vector<Outcome>, 4>& decided,
                  const std::string& mainPath, LogSink& log, Questions& questions,
                  SyncResult& result) {
  SyncReplacements replaced;
  for (size_t t = 0; t < 4; ++t) decided[t] = decideAlternative(merges[t], t, replaced);
  result.replacedTexts = replaced.total();
  if (result.replacedTexts == 0) return true;
  log.LOG("Replacing " + std::to_string(result.replacedTexts) +
              " non-empty second texts. Confirm please ... ",
          kTabModeTab, color::kGrey);
  if (questions.ask(replaced.question()) == Button::Yes) {
    log.LOG("Replace", kTabModeLineEnd, color::kLightCyan);
    return true;
  }
  log.LOG("Cancelled", kTabModeLineEnd, kWhite);
  log.LOG("No second text was replaced; " + LogPath(mainPath) + " was left as it was",
          kTabModeLineEnd, kWhite);
  result.declined = true;
  return false;
}

}  // namespace

MessageBox SyncConfirmation(const DtcEntry& mainEntry, const DtcEntry& syncEntry) {
  // OK replaces the second text too, so it is shown whenever either entry has one.
  const bool second = !mainEntry.Extension.empty() || !syncEntry.Extension.empty();
  const auto lines = [second](const DtcEntry& e) {
    std::string t(e.code());
    t += "\r\n";
    t += e.Text;
    if (second) t += "\r\nSecond text: " + (e.Extension.empty() ? "(none)" : e.Extension);
    return t;
  };
  std::string text =
      "Confilm change:\r\n\r\n" + lines(mainEntry) + "\r\n\r\n TO \r\n\r\n" + lines(syncEntry);
  return {std::move(text), {Button::Ok, Button::Cancel}, Button::Cancel, Icon::Question, ""};
}

void SyncTable(LogSink& log, DtcTable& main, const DtcTable& sync, bool direct,
               Questions& questions) {
  // A table built in memory may lack its Entries array; appending must not put an
  // entry at the placeholder's place.
  if (main.Entries.empty()) main.Entries.resize(1);
  MatchScratch scratch;
  TableMerge<OwnedEntries> merge{OwnedEntries(main.Entries), OwnedEntries(sync.Entries), scratch};
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
  // Any other problem with it is told where it is opened, after the main database.
  if (Status s = CheckReadable(syncPath); s.IsNotFound() || s.IsInvalidArgument()) {
    log.LOG("Synchro database not found", kTabModeLineEnd, kWhite);
    result.status = std::move(s);
    result.otherUnreadable = true;
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
  MatchScratch scratch;
  for (char letter : kEditorTableOrder)
    merges.emplace_back(FileEntries(*mainFile.view().table(letter)),
                        FileEntries(*syncFile.view().table(letter)), scratch);
  std::array<std::vector<Outcome>, 4> decided;
  if (!direct && !replaceAsked(merges, decided, mainPath, log, questions, result)) return result;
  for (size_t t = 0; t < 4; ++t) {
    log.LOG(std::string("Synchronize ") + kEditorTableOrder[t] + " base:", kTabModeLineEnd, kWhite);
    result.tables[t] =
        mergeLogged(log, merges[t], direct, questions, direct ? nullptr : &decided[t]);
  }
  if (Status s = writeMerged(mainPath, mainFile.view(), merges); !s.ok())
    return failed(log, std::move(s), result);
  log.LOG("Synchronization complete", kTabModeLineEnd, kWhite);
  std::array<int32_t, 4> after{};
  for (size_t t = 0; t < 4; ++t)
    after[static_cast<size_t>(TableSlot(kEditorTableOrder[t]))] = result.tables[t].after;
  LogBasePositions(log, after);
  LogKeptCopy(log, mainPath);
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
  MatchScratch scratch;
  FileMerge merge{FileEntries(main), FileEntries(sync), scratch};
  plan.sizeBefore = merge.upperBound();
  for (int32_t i = 1; i <= merge.syncUpperBound(); ++i) {
    const EntryView s = merge.syncEntry(i);
    const int32_t k = merge.find(i);
    SyncPlanEntry p{std::string(s.code), i, k, {}, std::string(s.Text), {}, {}};
    if (k != 0) p.mainText = direct ? merge.entry(k).Text : merge.entry(k).Extension;
    if (k != 0 && direct) {
      p.mainExtension = merge.entry(k).Extension;
      p.syncExtension = s.Extension;
    }
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
