#include "editor/entry_list.h"

#include <algorithm>

#include "lookup/text_search.h"

namespace vestral {

namespace {

constexpr char kLetters[] = {'P', 'C', 'B', 'U'};

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

bool isHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); }

// A folded word that can only mean the start of a code: p04, u0a.
bool isCodeStart(std::string_view w) {
  if (w.size() < 2 || w.size() > 5 || std::string_view("pcbu").find(w[0]) == std::string_view::npos)
    return false;
  if (w[1] < '0' || w[1] > '3') return false;
  return std::all_of(w.begin() + 1, w.end(), isHexDigit);
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
  if (folded.size() != 5 || !isCodeStart(folded)) return false;
  letter = static_cast<char>(folded[0] - 'a' + 'A');
  code = folded.substr(1);
  for (char& c : code)
    if (c >= 'a') c = static_cast<char>(c - 'a' + 'A');
  return true;
}

EntryFilter::EntryFilter(std::string_view typed) {
  std::string folded;
  foldInto(typed, folded);
  for (size_t at = 0; at < folded.size();) {
    const size_t start = folded.find_first_not_of(" \t", at);
    if (start == std::string::npos) break;
    const size_t end = std::min(folded.find_first_of(" \t", start), folded.size());
    std::string word = folded.substr(start, end - start);
    (isCodeStart(word) ? codeWords_ : textWords_).push_back(std::move(word));
    at = end;
  }
}

bool EntryFilter::matches(char letter, const DtcEntry& e) const {
  if (!codeWords_.empty()) {
    const FoldTable& f = fold();
    const char folded[5] = {static_cast<char>(f[static_cast<unsigned char>(letter)]),
                            static_cast<char>(f[static_cast<unsigned char>(e.Code[0])]),
                            static_cast<char>(f[static_cast<unsigned char>(e.Code[1])]),
                            static_cast<char>(f[static_cast<unsigned char>(e.Code[2])]),
                            static_cast<char>(f[static_cast<unsigned char>(e.Code[3])])};
    const std::string_view code(folded, sizeof folded);
    for (const std::string& w : codeWords_)
      if (!code.starts_with(w)) return false;
  }
  if (textWords_.empty()) return true;
  foldInto(e.Text, text_);
  foldInto(e.Extension, extension_);
  return std::all_of(textWords_.begin(), textWords_.end(), [this](const std::string& w) {
    return text_.find(w) != std::string::npos || extension_.find(w) != std::string::npos;
  });
}

EntryList::EntryList(DtcDatabase& db) : db_(db) { reload(); }

void EntryList::setFilter(std::string_view typed) {
  filter_ = typed;
  reload();
}

void EntryList::reload() {
  const EntryFilter filter(filter_);
  rows_.clear();
  for (char letter : kLetters) {
    const std::vector<DtcEntry>& entries = db_.table(letter)->Entries;
    for (size_t i = 1; i < entries.size(); ++i)
      if (filter.matches(letter, entries[i])) rows_.push_back({letter, static_cast<int32_t>(i)});
  }
}

size_t EntryList::total() const {
  size_t n = 0;
  for (char letter : kLetters) n += std::max<int32_t>(0, db_.table(letter)->upperBound());
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
  reload();
  return EntryProblem::kNone;
}

EntryProblem EntryList::change(EntryRef ref, const std::string& text,
                               const std::string& extension) {
  EntryProblem problem{};
  if (!validText(text, extension, problem)) return problem;
  DtcEntry& e = db_.table(ref.letter)->Entries[static_cast<size_t>(ref.index)];
  e.Text = text;
  e.Extension = extension;
  reload();
  return EntryProblem::kNone;
}

size_t EntryList::remove(const std::vector<size_t>& rows) {
  size_t removed = 0;
  for (char letter : kLetters) {
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
  }
  reload();
  return removed;
}

}  // namespace vestral
