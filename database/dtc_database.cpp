#include "database/dtc_database.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "database/database_view.h"
#include "platform/file_io.h"

namespace vestral {

void DtcEntry::setCode(std::string_view v) {
  Code.fill(' ');
  std::copy_n(v.begin(), std::min(v.size(), Code.size()), Code.begin());
}

std::string EntryLine(char letter, const DtcEntry& e, std::string_view bar) {
  std::string line;
  line.reserve(6 + e.Text.size() + bar.size() + e.Extension.size());
  line += letter;
  line.append(e.Code.data(), e.Code.size());
  line += ' ';
  line += e.Text;
  if (!e.Extension.empty()) {
    line += bar;
    line += e.Extension;
  }
  return line;
}

DtcTable* DtcDatabase::table(char letter) {
  DtcTable* const bySlot[4] = {&P, &C, &B, &U};
  const int slot = TableSlot(letter);
  return slot < 0 ? nullptr : bySlot[slot];
}

const DtcTable* DtcDatabase::table(char letter) const {
  return const_cast<DtcDatabase*>(this)->table(letter);
}

DtcDatabase EmptyDatabase() {
  DtcDatabase db;
  db.P.Name = "powertrain";
  db.C.Name = "chassis";
  db.B.Name = "body";
  db.U.Name = "network communications systems";
  for (DtcTable* t : {&db.P, &db.C, &db.B, &db.U}) t->Entries.resize(1);
  return db;
}

namespace {

std::string printable(std::string_view code) {
  std::string s;
  for (char c : code) {
    if (static_cast<unsigned char>(c) < 0x20) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\x%02X", static_cast<unsigned char>(c));
      s += buf;
    } else {
      s += c;
    }
  }
  return s;
}

// What SerializeDatabase refuses: a name or text the 16-bit counts cannot hold.
Status checkTexts(const DtcTable& t, char letter) {
  if (t.Name.size() > kMaxTextBytes)
    return Status::InvalidArgument(std::string("table ") + letter + ": the name is " +
                                   std::to_string(t.Name.size()) +
                                   " bytes long; a database holds at most 65535");
  for (size_t k = 0; k < t.Entries.size(); ++k) {
    const DtcEntry& e = t.Entries[k];
    if (e.Text.size() > kMaxTextBytes || e.Extension.size() > kMaxTextBytes)
      return Status::InvalidArgument(std::string("table ") + letter + ", code " +
                                     printable(e.code()) + " (position " + std::to_string(k) +
                                     "): a text is longer than 65535 bytes, which a database "
                                     "cannot hold");
  }
  return Status::OK();
}

// A large buffer costs a page fault for every 4 KiB the first time it is written.
// Huge pages, where the system offers them, cover most of it with one fault every
// 2 MiB, and the rest is mapped in one call instead of a fault at a time.
void reserveLarge(std::string& out, size_t size) {
  constexpr size_t kHuge = size_t{2} << 20;
  constexpr size_t kPage = size_t{4} << 10;
  if (size < 2 * kHuge) {
    out.reserve(size);
    return;
  }
  // With room for one more huge page, every huge page that covers the record lies in
  // the buffer.
  out.reserve(size + kHuge);
  const auto begin = reinterpret_cast<uintptr_t>(out.data());
  const uintptr_t from = (begin + kHuge - 1) & ~(kHuge - 1);
  const uintptr_t to = (begin + size + kHuge - 1) & ~(kHuge - 1);
  const uintptr_t first = (begin + kPage - 1) & ~(kPage - 1);
  // Advice only: where it is not taken, the pages come as they are written. The
  // addresses only name pages to the kernel; nothing is read or written through them.
  // NOLINTNEXTLINE(performance-no-int-to-ptr)
  ::madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE);
  // NOLINTNEXTLINE(performance-no-int-to-ptr)
  ::madvise(reinterpret_cast<void*>(first), to - first, MADV_POPULATE_WRITE);
}

}  // namespace

RecordWriter::RecordWriter(const Shape (&tables)[4], std::string& out) : out_(out) {
  size_t size = 0;
  for (const Shape& t : tables) size += kTableFixedBytes + t.name.size() + t.bytes;
  out_.clear();
  reserveLarge(out_, size);
  out_.resize(size);
  size_t at = 0;
  for (int i = 0; i < 4; ++i) {
    at = EncodeTableHead(out_, at, tables[i].name, tables[i].elements);
    next_[i] = at;
    at += tables[i].bytes;
    end_[i] = at;
    missing_[i] = tables[i].elements;
  }
}

bool RecordWriter::put(int slot, std::string_view code, std::string_view text,
                       std::string_view extension) {
  if (end_[slot] - next_[slot] < ElementBytes(text, extension) || missing_[slot] == 0) return false;
  next_[slot] = EncodeElement(out_, next_[slot], code, text, extension);
  --missing_[slot];
  return true;
}

bool RecordWriter::putRaw(int slot, std::string_view elements, uint32_t count) {
  if (end_[slot] - next_[slot] < elements.size() || missing_[slot] < count) return false;
  next_[slot] = EncodeBytes(out_, next_[slot], elements);
  missing_[slot] -= count;
  return true;
}

bool RecordWriter::complete() const {
  for (int i = 0; i < 4; ++i)
    if (next_[i] != end_[i] || missing_[i] != 0) return false;
  return true;
}

Status SerializeDatabase(const DtcDatabase& db, std::string& out) {
  RecordWriter::Shape shapes[4];
  for (int i = 0; i < 4; ++i) {
    const DtcTable& t = *db.table(kTableLetters[i]);
    if (Status s = checkTexts(t, kTableLetters[i]); !s.ok()) return s;
    // A table that was never filled is written with its placeholder so the file
    // reads back as a valid database.
    shapes[i] = {t.Name, std::max<uint32_t>(1, static_cast<uint32_t>(t.Entries.size())),
                 t.Entries.empty() ? ElementBytes({}, {}) : size_t{0}};
    for (const DtcEntry& e : t.Entries) shapes[i].bytes += ElementBytes(e.Text, e.Extension);
  }
  std::string bytes;
  RecordWriter writer(shapes, bytes);
  for (int i = 0; i < 4; ++i) {
    const DtcTable& t = *db.table(kTableLetters[i]);
    if (t.Entries.empty()) writer.put(i, kPlaceholderCode, {}, {});
    for (const DtcEntry& e : t.Entries) writer.put(i, e.code(), e.Text, e.Extension);
  }
  out = std::move(bytes);
  return Status::OK();
}

Status ParseDatabase(std::string_view bytes, const std::string& fileName, DtcDatabase& db) {
  db = DtcDatabase{};
  DatabaseView view;
  if (Status s = ParseDatabaseView(bytes, fileName, view); !s.ok()) return s;
  db = ToDatabase(view);
  return Status::OK();
}

Status CreateDatabase(const std::string& path) {
  std::string bytes;
  Status s = SerializeDatabase(EmptyDatabase(), bytes);
  bool created = false;
  if (s.ok()) s = CreateNewFile(path, bytes, created);
  if (s.ok() && !created)
    return Status::IOError("\"" + path + "\" already exists; it was left as it was");
  return s;
}

Status CreateMissingDatabase(const std::string& path, bool* created) {
  if (created) *created = false;
  // Most starts find something there: one look, and nothing is written.
  std::error_code ec;
  const auto type = std::filesystem::symlink_status(path, ec).type();
  if (path.empty() || type != std::filesystem::file_type::not_found) return Status::OK();
  Status s = CreateDatabase(path);
  if (created) *created = s.ok();
  return s;
}

Status ReadDatabase(const std::string& path, DtcDatabase& db) {
  db = DtcDatabase{};
  FileBytes bytes;
  if (Status s = ReadWholeFile(path, bytes); !s.ok()) return s;
  return ParseDatabase(bytes.view(), path, db);
}

Status WriteDatabase(const std::string& path, const DtcDatabase& db,
                     const ReplaceOptions& options) {
  std::string bytes;
  if (Status s = SerializeDatabase(db, bytes); !s.ok())
    return Status::InvalidArgument("cannot write \"" + path + "\": " + s.message());
  return OverwriteFromStart(path, bytes, options);
}

bool FindEntry(const DtcTable& table, std::string_view code, int32_t& index) {
  if (code.size() != 4) return false;
  const int32_t ub = table.upperBound();
  for (int32_t i = 1; i <= ub; ++i) {
    if (std::memcmp(table.Entries[i].Code.data(), code.data(), 4) == 0) {
      index = i;
      return true;
    }
  }
  return false;
}

bool DeleteEntry(DtcTable& table, int32_t k) {
  const int32_t ub = table.upperBound();
  if (ub < 1 || k < 1 || k > ub) return false;
  table.Entries.erase(table.Entries.begin() + k);
  return true;
}

}  // namespace vestral
