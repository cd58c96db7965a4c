#include "editor/entry_edit.h"

#include <algorithm>

#include "log/log_sink.h"
#include "platform/codepage.h"
#include "platform/file_io.h"

namespace vestral {

namespace {

std::string letterForm(char letter, const DtcEntry& e) {
  return std::string(1, letter) + std::string(e.code());
}

// Reads the database, lets `change` work on it and writes it back when `change` says
// so, the previous file kept; the file is locked from the read to the write, so no
// other writer's change is lost in between.
template <typename Change>
Status changeLocked(const std::string& path, Change&& change) {
  FileLock lock;
  if (Status s = lock.lock(path); !s.ok()) return s;
  DtcDatabase db;
  if (Status s = ReadDatabase(path, db); !s.ok()) return s;
  if (!change(db)) return Status::OK();
  return WriteDatabase(path, db, {.keepBackup = true});
}

std::string textProblem(const char* which, std::string_view t) {
  if (t.size() > kMaxTextBytes)
    return std::string("the ") + which + " is " + std::to_string(t.size()) +
           " characters long; a text holds at most 65535";
  for (char c : t)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
      return std::string("the ") + which + " holds a control character (a line break or a tab)";
  return {};
}

}  // namespace

std::string EntryTextProblem(std::string_view text, std::string_view extension) {
  if (text.empty()) return "the description is empty";
  if (text.find('|') != std::string_view::npos)
    return "the description holds a \"|\", which separates the two texts in a source line";
  std::string problem = textProblem("description", text);
  return problem.empty() ? textProblem("second text", extension) : problem;
}

MessageBox ChangeEntryQuestion(char letter, const DtcEntry& before, const DtcEntry& after,
                               const std::string& path) {
  std::string text = letterForm(letter, before) + " in " + LogPath(path) +
                     " holds other texts. Replace them?\r\n\r\nDescription now:  " + before.Text +
                     "\r\nDescription new:  " + after.Text +
                     "\r\nSecond text now:  " + before.Extension +
                     "\r\nSecond text new:  " + after.Extension;
  if (after.Extension == before.Extension) text += " (unchanged)";
  return {std::move(text), {Button::Yes, Button::No}, Button::No, Icon::Question, ""};
}

SetEntryResult SetEntry(const std::string& path, const EntryEdit& edit, Questions& questions) {
  SetEntryResult result;
  if (const std::string problem = EntryTextProblem(edit.text, edit.extension.value_or(""));
      !problem.empty()) {
    result.status = Status::InvalidArgument(problem);
    return result;
  }
  result.status = changeLocked(path, [&](DtcDatabase& db) {
    DtcTable& table = *db.table(edit.letter);
    result.after.setCode(edit.code);
    result.after.Text = edit.text;
    int32_t at = 0;
    if (!FindEntry(table, edit.code, at)) {
      result.after.Extension = edit.extension.value_or("");
      result.outcome = EditOutcome::kAdded;
      table.Entries.push_back(result.after);
      return true;
    }
    DtcEntry& entry = table.Entries[static_cast<size_t>(at)];
    result.before = entry;
    result.after.Extension = edit.extension.value_or(entry.Extension);
    if (result.after == entry) return false;
    if (questions.ask(ChangeEntryQuestion(edit.letter, entry, result.after, path)) != Button::Yes) {
      result.outcome = EditOutcome::kDeclined;
      return false;
    }
    entry = result.after;
    result.outcome = EditOutcome::kChanged;
    return true;
  });
  return result;
}

RemoveEntriesResult RemoveEntries(const std::string& path, const std::vector<std::string>& codes,
                                  Questions& questions) {
  RemoveEntriesResult result;
  result.status = changeLocked(path, [&](DtcDatabase& db) {
    DtcDatabase kept = db;
    std::vector<std::string> asked;
    for (const std::string& code : codes) {
      if (std::find(asked.begin(), asked.end(), code) != asked.end()) continue;
      asked.push_back(code);
      DtcTable& table = *kept.table(code[0]);
      // Kept entries first, in their order; the removed ones after them, still whole.
      const auto gone =
          std::stable_partition(table.Entries.begin() + 1, table.Entries.end(),
                                [&](const DtcEntry& e) { return e.code() != code.substr(1); });
      if (gone == table.Entries.end()) result.absent.push_back(code);
      for (auto it = gone; it != table.Entries.end(); ++it)
        result.removed.push_back({code[0], *it});
      table.Entries.erase(gone, table.Entries.end());
    }
    if (result.removed.empty()) return false;
    std::string text = "Remove " + std::to_string(result.removed.size()) +
                       (result.removed.size() == 1 ? " entry" : " entries") + " from " +
                       LogPath(path) + "?\r\n";
    for (const RemovedEntry& r : result.removed)
      text += "\r\n" + letterForm(r.letter, r.entry) + "  " + r.entry.Text +
              (r.entry.Extension.empty() ? "" : " | " + r.entry.Extension);
    result.declined =
        questions.ask(
            {std::move(text), {Button::Yes, Button::No}, Button::No, Icon::Question, ""}) !=
        Button::Yes;
    if (result.declined) return false;
    db = std::move(kept);
    return true;
  });
  return result;
}

}  // namespace vestral
