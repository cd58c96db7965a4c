#include "editor/entry_list.h"

#include <algorithm>

#include "database/table_order.h"
#include "lookup/text_search.h"

namespace vestral {

namespace {

const FoldTable& fold() {
  static const FoldTable table = Cp1251CaseFold();
  return table;
}

void foldInto(std::string_view text, std::string& out) {
  const FoldTable& f = fold();
  out.resize(text.size());
  std::transform(text.begin(), text.end(), out.begin(),
                 [&f](char c) { return static_cast<char>(f[static_cast<unsigned char>(c)]); });
}

bool validText(std::string_view text, std::string_view extension, EntryProblem& problem) {
  if (text.empty())
    problem = EntryProblem::kEmptyText;
  else if (text.size() > kMaxTextBytes || extension.size() > kMaxTextBytes)
    problem = EntryProblem::kTooLong;
  else
    problem = EntryProblem::kNone;
  return problem == EntryProblem::kNone;
}

}  // namespace

std::string LetterForm(char letter, const DtcEntry& e) {
  std::string s(1, letter);
  s.append(e.code());
  return s;
}

bool ParseNewCode(std::string_view typed, char& letter, std::string& code) {
  const size_t first = typed.find_first_not_of(" \t");
  if (first == std::string_view::npos) return false;
  typed = typed.substr(first, typed.find_last_not_of(" \t") + 1 - first);
  std::string folded;
  foldInto(typed, folded);
  if (folded.size() != 5 || !IsCodeStart(folded)) return false;
  letter = static_cast<char>(folded[0] - 'a' + 'A');
  code = folded.substr(1);
  for (char& c : code)
    if (c >= 'a') c = static_cast<char>(c - 'a' + 'A');
  return true;
}

EntryList::EntryList(DtcDatabase& db) : db_(db) { reload(); }

void EntryList::setFilter(std::string_view typed) {
  filter_ = typed;
  refilter();
}

void EntryList::reload() {
  index_ = SearchIndex(db_);
  refilter();
}

void EntryList::refilter() {
  rows_.clear();
  for (const SearchHit& h : FilterForPeople(index_, filter_)) rows_.push_back({h.letter, h.index});
}

size_t EntryList::total() const {
  size_t n = 0;
  for (const char letter : kTableLetters)
    n += std::max<int32_t>(0, db_.table(letter)->upperBound());
  return n;
}

const DtcEntry& EntryList::entry(EntryRef ref) const {
  return db_.table(ref.letter)->Entries[static_cast<size_t>(ref.index)];
}

size_t EntryList::rowOf(EntryRef ref) const {
  const auto it = std::find(rows_.begin(), rows_.end(), ref);
  return it == rows_.end() ? std::string::npos : static_cast<size_t>(it - rows_.begin());
}

EntryProblem EntryList::add(std::string_view typedCode, const std::string& text,
                            const std::string& extension, EntryRef& ref) {
  char letter = 0;
  std::string code;
  if (!ParseNewCode(typedCode, letter, code)) return EntryProblem::kBadCode;
  DtcTable& table = *db_.table(letter);
  if (int32_t found = 0; FindEntry(table, code, found)) {
    ref = {letter, found};
    return EntryProblem::kExists;
  }
  EntryProblem problem{};
  if (!validText(text, extension, problem)) return problem;
  DtcEntry e;
  e.setCode(code);
  e.Text = text;
  e.Extension = extension;
  table.Entries.push_back(std::move(e));
  ref = {letter, table.upperBound()};
  index_.reindex(letter, ref.index);
  refilter();
  return EntryProblem::kNone;
}

EntryProblem EntryList::change(EntryRef ref, const std::string& text,
                               const std::string& extension) {
  EntryProblem problem{};
  if (!validText(text, extension, problem)) return problem;
  DtcEntry& e = db_.table(ref.letter)->Entries[static_cast<size_t>(ref.index)];
  e.Text = text;
  e.Extension = extension;
  index_.reindex(ref.letter, ref.index);
  refilter();
  return EntryProblem::kNone;
}

size_t EntryList::remove(const std::vector<size_t>& rows) {
  size_t removed = 0;
  for (const char letter : kTableLetters) {
    std::vector<DtcEntry>& entries = db_.table(letter)->Entries;
    if (entries.empty()) continue;  // a table never filled has nothing to remove
    std::vector<bool> gone(entries.size(), false);
    for (size_t row : rows)
      if (row < rows_.size() && rows_[row].letter == letter)
        gone[static_cast<size_t>(rows_[row].index)] = true;
    // One pass keeps the order of the rest, as removing them one by one would.
    size_t kept = 1;
    for (size_t i = 1; i < entries.size(); ++i) {
      if (gone[i]) continue;
      if (kept != i) entries[kept] = std::move(entries[i]);
      ++kept;
    }
    removed += entries.size() - kept;
    entries.resize(kept);
    index_.erase(letter, gone);
  }
  refilter();
  return removed;
}

}  // namespace vestral
