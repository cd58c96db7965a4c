#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "database/dtc_database.h"
#include "database/record_coding.h"
#include "platform/file_io.h"
#include "platform/status.h"

namespace vestral {

// What only reads a database works on the file's bytes in place: the record is
// checked once, as strictly as ParseDatabase checks it, and then read without
// allocating anything per entry.

// One table of a checked record. Positions are those of DtcTable: 0 is the
// placeholder, the real entries are 1..upperBound().
class TableView {
 public:
  // Walks the entries in file order; an entry is decoded when the walk reaches it.
  class Iterator {
   public:
    Iterator(std::string_view rest, int32_t position, int32_t end);
    const EntryView& operator*() const { return entry_; }
    const EntryView* operator->() const { return &entry_; }
    int32_t position() const { return position_; }
    Iterator& operator++();
    bool operator==(const Iterator& o) const { return position_ == o.position_; }

   private:
    friend class TableView;
    void decode();
    std::string_view rest_;  // from this entry to the table's end
    int32_t position_;
    int32_t end_;
    EntryView entry_;
  };
  struct Range {
    Iterator b, e;
    Iterator begin() const { return b; }
    Iterator end() const { return e; }
  };

  std::string_view Name;

  int32_t upperBound() const { return static_cast<int32_t>(count_) - 1; }
  // The real entries, from position 1.
  Range entries() const;
  // Every element, the placeholder first, as DtcTable::Entries holds them.
  Range elements() const;
  // Where the entry a walk reached starts, and the entry that starts there.
  size_t offsetOf(const Iterator& it) const { return elements_.size() - it.rest_.size(); }
  EntryView entryAt(size_t offset) const { return DecodeElement(elements_.substr(offset)); }
  // Every element as the record holds it, the placeholder first.
  std::string_view elementBytes() const { return elements_; }

 private:
  friend Status ParseDatabaseView(std::string_view, const std::string&, class DatabaseView&);
  std::string_view elements_;  // every element, the placeholder first
  uint32_t count_ = 0;
};

// Tables P, C, B, U of a checked record; the bytes must outlive the view.
class DatabaseView {
 public:
  TableView P, C, B, U;
  // The table a system letter names (upper case only), or nullptr.
  TableView* table(char letter);
  const TableView* table(char letter) const;
};

// Checks the record at the start of `bytes` (trailing bytes are ignored) with the
// errors of ParseDatabase and points `view` into it. On error `view` has no tables'
// entries at all.
Status ParseDatabaseView(std::string_view bytes, const std::string& fileName, DatabaseView& view);

// Whether `bytes` hold a database, with ParseDatabaseView's errors.
Status CheckDatabaseBytes(std::string_view bytes, const std::string& fileName);

// The entries as owned strings, for work that edits them.
DtcDatabase ToDatabase(const DatabaseView& view);

// A database file's bytes, read once into memory, and the view over them.
class DatabaseFile {
 public:
  DatabaseFile();
  DatabaseFile(const DatabaseFile&) = delete;
  DatabaseFile& operator=(const DatabaseFile&) = delete;

  // Replaces the content with the file's record. On error the content is the empty
  // database.
  Status read(const std::string& path);
  // Takes `bytes` as the content (named `fileName` in errors), with read()'s rules.
  Status assign(std::string bytes, const std::string& fileName);
  // Makes the content the empty database.
  void clear();

  const DatabaseView& view() const { return view_; }

 private:
  FileBytes bytes_;
  DatabaseView view_;
};

}  // namespace vestral
