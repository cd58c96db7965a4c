#include "editor/updater.h"

#include <filesystem>
#include <optional>

#include "database/code_index.h"
#include "database/table_order.h"
#include "database/text_language.h"
#include "log/operation_log.h"
#include "platform/codepage.h"
#include "platform/file_io.h"
#include "platform/program_paths.h"

namespace vestral {

namespace {

// The conflicts a question names; the log lists them all.
constexpr size_t kConflictsAsked = 10;

constexpr auto kHeading = color::kBrightWhite;
constexpr auto kCode = color::kLightYellow;

UpdateTexts textsAt(const DtcTable& table, const CodeIndex& index, std::string_view code,
                    int32_t* at = nullptr) {
  int32_t i = 0;
  if (!index.find(code, i)) return {};
  if (at) *at = i;
  const DtcEntry& e = table.Entries[static_cast<size_t>(i)];
  return {true, e.Text, e.Extension};
}

void planTable(char letter, const DtcTable& yours, const DtcTable* base, const DtcTable& incoming,
               UpdatePlan& plan) {
  const CodeIndex yourIndex(yours), incomingIndex(incoming);
  std::optional<CodeIndex> baseIndex;
  if (base) baseIndex.emplace(*base);
  for (int32_t i = 1; i <= incoming.upperBound(); ++i) {
    const std::string_view code = incoming.Entries[static_cast<size_t>(i)].code();
    int32_t first = 0;
    if (!incomingIndex.find(code, first) || first != i) continue;
    UpdateItem item{letter, std::string(code), 0, {}, {}, {}};
    item.yours = textsAt(yours, yourIndex, code, &item.yoursIndex);
    if (base) item.base = textsAt(*base, *baseIndex, code);
    item.incoming = textsAt(incoming, incomingIndex, code);
    if (item.yours == item.incoming)
      ++plan.same;
    else if (!base)
      (item.yours.present ? plan.differing : plan.added).push_back(std::move(item));
    else if (item.yours == item.base)
      (item.yours.present ? plan.updated : plan.added).push_back(std::move(item));
    else if (item.incoming == item.base)
      plan.kept.push_back(std::move(item));
    else
      plan.conflicts.push_back(std::move(item));
  }
  if (!base) return;
  for (int32_t i = 1; i <= base->upperBound(); ++i) {
    const std::string_view code = base->Entries[static_cast<size_t>(i)].code();
    int32_t found = 0;
    if (incomingIndex.find(code, found) || !baseIndex->find(code, found) || found != i) continue;
    // Filled as above: GCC 12 warns falsely (-Wmaybe-uninitialized) on yours given as {}
    // and assigned at once.
    UpdateItem item{letter, std::string(code), 0, {}, {}, {}};
    item.yours = textsAt(yours, yourIndex, code, &item.yoursIndex);
    item.base = textsAt(*base, *baseIndex, code);
    if (item.yours.present) plan.dropped.push_back(std::move(item));
  }
}

// Makes the user's entry for `item` hold NEW's texts, appending it when the user lacks it.
void take(DtcDatabase& yours, const UpdateItem& item) {
  DtcTable& table = *yours.table(item.letter);
  if (table.Entries.empty()) table.Entries.resize(1);
  if (item.yoursIndex == 0) {
    table.Entries.emplace_back().setCode(item.code);
    table.Entries.back().Text = item.incoming.Text;
    table.Entries.back().Extension = item.incoming.Extension;
    return;
  }
  DtcEntry& e = table.Entries[static_cast<size_t>(item.yoursIndex)];
  e.Text = item.incoming.Text;
  e.Extension = item.incoming.Extension;
}

// A text for one line of the log or a question: line breaks and tabs become blanks.
std::string flat(const UpdateTexts& t) {
  if (!t.present) return "(no entry)";
  std::string s = t.Text;
  if (!t.Extension.empty()) s += " | " + t.Extension;
  for (char& c : s)
    if (static_cast<unsigned char>(c) < 0x20) c = ' ';
  return s;
}

std::string counted(size_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

// One list of the plan: a heading with its count, then each code with the texts named
// by `rows` (a label and which database's texts).
struct Row {
  const char* label;
  UpdateTexts UpdateItem::*texts;
};
void logList(LogSink& log, const std::vector<UpdateItem>& items, const char* heading,
             const char* why, std::initializer_list<Row> rows) {
  if (items.empty() || log.writesNothing()) return;
  log.LOG(heading + (" (" + std::to_string(items.size()) + ")") + why, kTabModeLineEnd, kHeading);
  for (const UpdateItem& item : items) {
    log.LOG("  " + std::string(1, item.letter) + item.code, kTabModeLineEnd, kCode);
    for (const Row& row : rows)
      log.LOG(std::string("      ") + row.label + flat(item.*row.texts), kTabModeLineEnd,
              color::kLightGrey);
  }
}

void logPlan(LogSink& log, const UpdatePlan& plan) {
  constexpr Row kYours{"yours:        ", &UpdateItem::yours};
  constexpr Row kBase{"base:         ", &UpdateItem::base};
  constexpr Row kNew{"new default:  ", &UpdateItem::incoming};
  logList(log, plan.added, "Added", ": codes the new default brings", {kNew});
  logList(log, plan.updated, "Updated", ": the workshop never changed them", {kYours, kNew});
  logList(log, plan.kept, "Kept", ": the workshop changed them, the new default did not",
          {kYours, kNew});
  logList(log, plan.conflicts, "Conflicts", ": changed by the workshop and by the new default",
          {kYours, kBase, kNew});
  logList(log, plan.dropped, "Dropped by the new default", ": they stay", {kYours});
  logList(log, plan.differing, "Differing",
          ": no kept base tells who changed them, so they stay as they are", {kYours, kNew});
  const auto n = [](const std::vector<UpdateItem>& v) { return std::to_string(v.size()); };
  log.LOG(n(plan.added) + " added, " + n(plan.updated) + " updated, " + n(plan.kept) + " kept, " +
              n(plan.conflicts) + " in conflict, " + n(plan.dropped) +
              " dropped by the new default" +
              (plan.haveBase ? "" : ", " + n(plan.differing) + " differing") + ", " +
              std::to_string(plan.same) + " already the same",
          kTabModeLineEnd, kHeading);
}

// NEW in the language the user's database was made in (its kept base tells; without a
// base, the database itself), so that the user's order of the two texts stays and the
// base written afterwards is of that language too. `bytes` become the turned record.
Status turnToUsersLanguage(DtcDatabase& incoming, std::string& bytes, const DtcDatabase& made,
                           LogSink& log) {
  const TextLanguage language = FirstLanguageOf(made);
  if (FirstLanguageOf(incoming) == language) return Status::OK();
  TurnToLanguage(incoming, language);
  log.LOG(std::string("The new default holds the other language first; its texts are taken ") +
              (language == TextLanguage::Russian ? "Russian" : "English") +
              " first, as the database was made",
          kTabModeLineEnd, kHeading);
  return SerializeDatabase(incoming, bytes);
}

UpdateResult failed(LogSink& log, Status s, UpdateResult result) {
  LogError(log, s.message());
  result.status = std::move(s);
  return result;
}

// The kept base, when there is one. Missing is no error; a base that is there but
// cannot be read is, since updating without it would count every change as the user's.
Status readBase(const std::string& path, std::optional<DtcDatabase>& base) {
  std::error_code ec;
  if (!std::filesystem::exists(std::filesystem::symlink_status(path, ec))) return Status::OK();
  DtcDatabase db;
  if (Status s = ReadDatabase(path, db); !s.ok())
    return Status::IOError("the kept base cannot be used: " + s.message() +
                           "; move it away to update without one");
  base = std::move(db);
  return Status::OK();
}

// Stores what the run decided: the database when it changes (the previous file kept),
// then NEW's bytes as the base.
Status store(const std::string& databasePath, const DtcDatabase& yours, bool changed,
             const std::string& incomingBytes, const std::string& basePath, LogSink& log,
             UpdateResult& result) {
  if (changed) {
    if (Status s = WriteDatabase(databasePath, yours, {.keepBackup = true}); !s.ok()) return s;
    result.databaseWritten = true;
    log.LOG("Written " + LogPath(databasePath) + "; " + LogText(KeptCopyText(databasePath)),
            kTabModeLineEnd, kHeading);
  }
  std::string oldBase;
  if (ReadWholeFile(basePath, oldBase).ok() && oldBase == incomingBytes) return Status::OK();
  if (Status s = ReplaceFile(basePath, incomingBytes); !s.ok())
    return Status::IOError(s.message() + (changed ? "; the database was updated, but the next "
                                                    "update will ask again about what this one "
                                                    "kept"
                                                  : ""));
  result.baseWritten = true;
  log.LOG("Kept base now " + LogPath(basePath), kTabModeLineEnd, kHeading);
  return Status::OK();
}

}  // namespace

UpdatePlan PlanUpdate(const DtcDatabase& yours, const DtcDatabase* base,
                      const DtcDatabase& incoming) {
  UpdatePlan plan;
  plan.haveBase = base != nullptr;
  for (char letter : kEditorTableOrder)
    planTable(letter, *yours.table(letter), base ? base->table(letter) : nullptr,
              *incoming.table(letter), plan);
  return plan;
}

void ApplyUpdate(DtcDatabase& yours, const UpdatePlan& plan, bool takeIncoming) {
  for (const UpdateItem& item : plan.updated) take(yours, item);
  for (const UpdateItem& item : plan.added) take(yours, item);
  if (takeIncoming)
    for (const UpdateItem& item : plan.conflicts) take(yours, item);
}

MessageBox UpdateConflictQuestion(const UpdatePlan& plan, const std::string& databasePath) {
  const size_t n = plan.conflicts.size();
  std::string text = counted(n, "entry", "entries") + " of " + LogPath(databasePath) +
                     (n == 1 ? " was" : " were") +
                     " changed by the workshop and by the new default:\r\n";
  for (size_t i = 0; i < n && i < kConflictsAsked; ++i) {
    const UpdateItem& c = plan.conflicts[i];
    text += "\r\n" + std::string(1, c.letter) + c.code + "  yours: " + flat(c.yours) +
            "\r\n       new default: " + flat(c.incoming);
  }
  if (n > kConflictsAsked)
    text += "\r\nand " + std::to_string(n - kConflictsAsked) + " more (the log lists them all)";
  text += "\r\n\r\nTake the new default's texts for " + std::string(n == 1 ? "it" : "them") +
          "? No keeps the workshop's.";
  return {std::move(text), {Button::Yes, Button::No}, Button::No, Icon::Question, ""};
}

UpdateResult UpdateDatabase(const std::string& databasePath, const std::string& incomingPath,
                            bool dryRun, LogSink& log, Questions& questions) {
  const OperationLog run(log);
  const std::string basePath = KeptBasePath(databasePath);
  log.LOG("Update " + LogPath(databasePath) + " from the default database " + LogPath(incomingPath),
          kTabModeLineEnd, kHeading);
  UpdateResult result;
  std::string incomingBytes;
  DtcDatabase incoming, yours;
  std::optional<DtcDatabase> base;
  if (Status s = ReadWholeFile(incomingPath, incomingBytes); !s.ok())
    return failed(log, std::move(s), std::move(result));
  if (Status s = ParseDatabase(incomingBytes, incomingPath, incoming); !s.ok())
    return failed(log, std::move(s), std::move(result));
  // Held from this read to the write, so another writer's change is never lost.
  FileLock lock;
  if (!dryRun)
    if (Status s = lock.lock(databasePath); !s.ok())
      return failed(log, std::move(s), std::move(result));
  if (Status s = ReadDatabase(databasePath, yours); !s.ok())
    return failed(log, std::move(s), std::move(result));
  if (Status s = readBase(basePath, base); !s.ok())
    return failed(log, std::move(s), std::move(result));
  if (Status s = turnToUsersLanguage(incoming, incomingBytes, base ? *base : yours, log); !s.ok())
    return failed(log, std::move(s), std::move(result));
  log.LOG(base ? "Kept base " + LogPath(basePath)
               : "No kept base " + LogPath(basePath) +
                     ": only codes the new default adds are taken; differing entries are listed "
                     "and left as they are",
          kTabModeLineEnd, kHeading);
  result.plan = PlanUpdate(yours, base ? &*base : nullptr, incoming);
  logPlan(log, result.plan);
  const UpdatePlan& plan = result.plan;
  if (dryRun) {
    log.LOG("Dry run: nothing was asked or written", kTabModeLineEnd, kHeading);
    return result;
  }
  if (!plan.conflicts.empty()) {
    result.conflictsTaken =
        questions.ask(UpdateConflictQuestion(plan, databasePath)) == Button::Yes;
    log.LOG(result.conflictsTaken ? "Conflicts: the new default's texts taken"
                                  : "Conflicts: the workshop's texts kept",
            kTabModeLineEnd, kHeading);
  }
  ApplyUpdate(yours, plan, result.conflictsTaken);
  const bool changed = !plan.added.empty() || !plan.updated.empty() ||
                       (result.conflictsTaken && !plan.conflicts.empty());
  if (Status s = store(databasePath, yours, changed, incomingBytes, basePath, log, result); !s.ok())
    return failed(log, std::move(s), std::move(result));
  log.LOG("Update complete", kTabModeLineEnd, kHeading);
  return result;
}

}  // namespace vestral
