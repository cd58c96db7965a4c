#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "database/dtc_database.h"
#include "lookup/text_search.h"

namespace vestral {

// The entries of the editor's working copy as the entries window lists them, filtered
// as the user types, and the edits it makes: add, change the texts, remove. Texts are
// code page 1251 bytes.

// One entry of the working copy: its table's letter and its position there (from 1).
struct EntryRef {
  char letter = 0;
  int32_t index = 0;
  friend bool operator==(const EntryRef&, const EntryRef&) = default;
};

// The letter form of an entry: its table's letter and its four code characters.
std::string LetterForm(char letter, const DtcEntry& e);

// A code typed for a new entry: the system letter and four hex digits, the first 0 to 3
// as in every code read off a bus; letters of either case, blanks around it ignored.
// False when `typed` is none.
bool ParseNewCode(std::string_view typed, char& letter, std::string& code);

// Why an edit was refused; nothing changed then.
enum class EntryProblem {
  kNone,
  kBadCode,    // no code ParseNewCode takes
  kExists,     // the code is in its table already
  kEmptyText,  // a description is required: the checker removes entries without one
  kTooLong,    // a text over kMaxTextBytes
};

class EntryList {
 public:
  // The list of `db`, which must outlive it; every entry shows until setFilter().
  explicit EntryList(DtcDatabase& db);

  // Shows the entries that what the user typed matches (FilterForPeople: words in
  // their forms and synonyms, whole numbers, code starts such as P04 matching codes),
  // tables P, C, B, U, each in its order; nothing typed shows every entry.
  void setFilter(std::string_view typed);
  // Lists the entries again after the database changed elsewhere (a Read, a Check).
  void reload();

  size_t size() const { return rows_.size(); }
  // The entries of every table, shown or not.
  size_t total() const;
  EntryRef at(size_t row) const { return rows_[row]; }
  const DtcEntry& entry(EntryRef ref) const;
  // The row that shows `ref`, or npos when the filter hides it.
  size_t rowOf(EntryRef ref) const;

  // Appends an entry to its table. On kExists `ref` names the entry that has the code.
  EntryProblem add(std::string_view typedCode, const std::string& text,
                   const std::string& extension, EntryRef& ref);
  // Gives the entry new texts.
  EntryProblem change(EntryRef ref, const std::string& text, const std::string& extension);
  // Removes the entries the rows show, the later ones moving up; returns how many.
  size_t remove(const std::vector<size_t>& rows);

 private:
  void refilter();

  DtcDatabase& db_;
  SearchIndex index_;  // of db_, kept in step with every edit made here
  std::string filter_;
  std::vector<EntryRef> rows_;
};

}  // namespace vestral
