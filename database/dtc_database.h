#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "database/record_coding.h"
#include "database/table_order.h"
#include "platform/file_io.h"
#include "platform/status.h"

namespace vestral {

// Texts are code page 1251 bytes, one byte per character, exactly as in the files.

// One fault code of one table.
struct DtcEntry {
  // Always four characters; an entry made by growing a table holds four NULs.
  std::array<char, 4> Code{};
  std::string Text;
  std::string Extension;

  // Stores v left-justified: shorter values are padded with blanks, longer ones cut.
  void setCode(std::string_view v);
  std::string_view code() const { return {Code.data(), Code.size()}; }

  friend bool operator==(const DtcEntry&, const DtcEntry&) = default;
};

// An entry as one line of text, without a line end: the letter, the four code bytes, a
// blank, the text and, when there is an extension, `bar` and the extension. The
// collected source (read back by the generator) writes "| ", the checker's removal list
// " | ".
std::string EntryLine(char letter, const DtcEntry& e, std::string_view bar);

// One table. Entries[0] is the placeholder; the real entries are 1..upperBound().
struct DtcTable {
  std::string Name;
  std::vector<DtcEntry> Entries;

  // The number of real entries (the editor's "base positions"); -1 for a table
  // that was never filled and so has no Entries array at all.
  int32_t upperBound() const { return static_cast<int32_t>(Entries.size()) - 1; }

  friend bool operator==(const DtcTable&, const DtcTable&) = default;
};

// The whole database: its four tables (table_order.h).
struct DtcDatabase {
  DtcTable P, C, B, U;

  // The table a system letter names (upper case only), or nullptr.
  DtcTable* table(char letter);
  const DtcTable* table(char letter) const;

  friend bool operator==(const DtcDatabase&, const DtcDatabase&) = default;
};

// The database CreateDatabase writes: default names, only the placeholder entries.
DtcDatabase EmptyDatabase();

// The record as bytes, or an error naming the table and code of a text the format
// cannot hold. `out` is untouched on error.
Status SerializeDatabase(const DtcDatabase& db, std::string& out);

// Writes a record whose tables' sizes are known before their elements: one buffer of
// the exact size, each element written straight to its place, so that nothing is
// built per element and no byte is copied twice.
class RecordWriter {
 public:
  // A table's name, its number of elements (the placeholder included) and the bytes
  // they take together.
  struct Shape {
    std::string_view name;
    uint32_t elements = 0;
    size_t bytes = 0;
  };

  // Lays out tables P, C, B, U in `out`; their elements follow through put().
  // REQUIRES: every name and text at most kMaxTextBytes long; `out` left alone until
  // complete().
  RecordWriter(const Shape (&tables)[4], std::string& out);

  // Appends an element to the table in `slot` (P 0, C 1, B 2, U 3). False, and nothing
  // written, when it would pass the bytes the table's shape gave.
  bool put(int slot, std::string_view code, std::string_view text, std::string_view extension);
  // Appends `count` elements as they lie in a record, with put()'s bound.
  bool putRaw(int slot, std::string_view elements, uint32_t count);
  // True when every table received exactly the elements and bytes its shape announced.
  bool complete() const;

 private:
  std::string& out_;
  size_t next_[4] = {};  // where each table's next element goes
  size_t end_[4] = {};
  uint32_t missing_[4] = {};
};

// Reads one record from the start of `bytes` (trailing bytes are ignored). Every count
// is checked against the bytes that remain; an error names `fileName`, the byte offset
// and what was expected. On error `db` is left empty.
Status ParseDatabase(std::string_view bytes, const std::string& fileName, DtcDatabase& db);

// Writes the empty database (131 bytes) as a new file at the path; never over a file
// that is there (an error says so, and it is left as it was).
Status CreateDatabase(const std::string& path);

// Writes the empty database at `path` only when nothing at all is there, as the lookup
// window does for the main database before it opens. What is there (a damaged or
// foreign file, a folder, an unreadable file, a dangling link) is left for reading it to
// report, and an empty path names nothing. `created` tells whether a file was written.
Status CreateMissingDatabase(const std::string& path, bool* created = nullptr);

// Replaces `db` with the record stored in the file. On error `db` is left empty.
Status ReadDatabase(const std::string& path, DtcDatabase& db);

// Stores `db` from the file's first byte. The file is never shortened: bytes behind
// the new record stay. The old file stays intact unless the whole new one is written.
Status WriteDatabase(const std::string& path, const DtcDatabase& db,
                     const ReplaceOptions& options = {});

// First index from 1 whose Code equals `code` exactly (four characters); `index`
// is written only on success.
bool FindEntry(const DtcTable& table, std::string_view code, int32_t& index);

// Removes entry k (1 <= k <= upper bound), moving the later ones down.
bool DeleteEntry(DtcTable& table, int32_t k);

}  // namespace vestral
