#include "database/database_view.h"

#include <algorithm>

#include "database/table_order.h"
#include "platform/file_io.h"

namespace vestral {

namespace {

// A bounded cursor over the file's bytes: every read is checked against what remains.
class Reader {
 public:
  Reader(std::string_view bytes, const std::string& file) : bytes_(bytes), file_(file) {}

  bool u16(uint32_t& v, const char* what) {
    if (!need(2, what)) return false;
    v = DecodeU16(bytes_.substr(pos_));
    pos_ += 2;
    return true;
  }
  bool u32(uint32_t& v, const char* what) {
    if (!need(4, what)) return false;
    v = DecodeU32(bytes_.substr(pos_));
    pos_ += 4;
    return true;
  }
  bool bytes(size_t n, std::string_view& out, const char* what) {
    if (!need(n, what)) return false;
    out = bytes_.substr(pos_, n);
    pos_ += n;
    return true;
  }
  bool text(std::string_view& out, const char* countWhat, const char* textWhat) {
    uint32_t n = 0;
    return u16(n, countWhat) && bytes(n, out, textWhat);
  }
  size_t pos() const { return pos_; }
  void seek(size_t pos) { pos_ = pos; }
  size_t remaining() const { return bytes_.size() - pos_; }

  // Records the failure at the current offset (or `at`).
  bool fail(const std::string& problem, size_t at) {
    error_ = Status::Corruption("\"" + file_ + "\" is not a valid database: at byte " +
                                std::to_string(at) + ", " + problem);
    return false;
  }
  bool fail(const std::string& problem) { return fail(problem, pos_); }
  const Status& error() const { return error_; }
  void setTable(char letter) { table_ = letter; }

 private:
  bool need(size_t n, const char* what) {
    if (remaining() >= n) return true;
    return fail(std::string("table ") + table_ + ": expected " + what + " (" + std::to_string(n) +
                " bytes), but " +
                (remaining() == 0 ? std::string("the file ends there")
                                  : "only " + std::to_string(remaining()) + " bytes remain"));
  }

  std::string_view bytes_;
  const std::string& file_;
  size_t pos_ = 0;
  char table_ = 'P';
  Status error_;
};

// Checks one table's header and every element; allocates nothing per entry.
constexpr size_t kPrefetchAhead = 4096;

bool parseTable(Reader& r, char letter, std::string_view& name, std::string_view& elements,
                uint32_t& elementCount, std::string_view bytes) {
  r.setTable(letter);
  if (!r.text(name, "the byte count of the table name", "the table name")) return false;
  uint32_t dims = 0, count = 0, lower = 0;
  const size_t dimsAt = r.pos();
  if (!r.u16(dims, "the dimension count")) return false;
  if (dims != 1)
    return r.fail(std::string("table ") + letter + ": expected dimension count 1, found " +
                      std::to_string(dims),
                  dimsAt);
  const size_t countAt = r.pos();
  if (!r.u32(count, "the element count")) return false;
  const size_t lowerAt = r.pos();
  if (!r.u32(lower, "the lower bound")) return false;
  if (lower != 0)
    return r.fail(std::string("table ") + letter + ": expected lower bound 0, found " +
                      std::to_string(static_cast<int32_t>(lower)),
                  lowerAt);
  if (count == 0)
    return r.fail(
        std::string("table ") + letter + ": expected at least 1 element (the placeholder), found 0",
        countAt);
  // Never walk beyond what the remaining bytes could describe.
  if (count > r.remaining() / kElementFixedBytes)
    return r.fail(std::string("table ") + letter + ": " + std::to_string(count) +
                      " elements need at least " +
                      std::to_string(uint64_t{count} * kElementFixedBytes) + " bytes, but only " +
                      std::to_string(r.remaining()) + " remain",
                  countAt);
  const size_t start = r.pos();
  const size_t end = r.pos() + r.remaining();
  size_t at = start;
  std::string_view skipped;
  for (uint32_t i = 0; i < count; ++i) {
    // Each entry's length leads to the next, a chain of loads the processor cannot run
    // ahead of; asking for the bytes a page ahead halves the walk over a large file.
    __builtin_prefetch(&bytes[std::min(at + kPrefetchAhead, bytes.size() - 1)]);
    // Whole entries are skipped here; the checked reads below name what is missing.
    if (const size_t entry = ElementSize(bytes.substr(at, end - at)); entry > 0) {
      at += entry;
      continue;
    }
    r.seek(at);
    if (!r.bytes(kCodeBytes, skipped, "an entry code")) return false;
    if (!r.text(skipped, "the byte count of an entry text", "an entry text")) return false;
    if (!r.text(skipped, "the byte count of an extension text", "an extension text")) return false;
    at = r.pos();
  }
  r.seek(at);
  elements = bytes.substr(start, at - start);
  elementCount = count;
  return true;
}

}  // namespace

TableView::Iterator::Iterator(std::string_view rest, int32_t position, int32_t end)
    : rest_(rest), position_(position), end_(end) {
  decode();
}

void TableView::Iterator::decode() {
  if (position_ < end_) entry_ = DecodeElement(rest_);
}

TableView::Iterator& TableView::Iterator::operator++() {
  rest_.remove_prefix(ElementBytes(entry_.Text, entry_.Extension));
  ++position_;
  decode();
  return *this;
}

TableView::Range TableView::elements() const {
  const auto end = static_cast<int32_t>(count_);
  return {Iterator(elements_, 0, end), Iterator({}, end, end)};
}

TableView::Range TableView::entries() const {
  Range r = elements();
  if (count_ > 0) ++r.b;
  return r;
}

TableView* DatabaseView::table(char letter) {
  TableView* const bySlot[4] = {&P, &C, &B, &U};
  const int slot = TableSlot(letter);
  return slot < 0 ? nullptr : bySlot[slot];
}

const TableView* DatabaseView::table(char letter) const {
  return const_cast<DatabaseView*>(this)->table(letter);
}

Status ParseDatabaseView(std::string_view bytes, const std::string& fileName, DatabaseView& view) {
  view = DatabaseView{};
  DatabaseView parsed;
  Reader r(bytes, fileName);
  for (const char letter : kTableLetters) {
    TableView& t = *parsed.table(letter);
    if (!parseTable(r, letter, t.Name, t.elements_, t.count_, bytes)) return r.error();
  }
  view = parsed;
  return Status::OK();
}

Status CheckDatabaseBytes(std::string_view bytes, const std::string& fileName) {
  DatabaseView view;
  return ParseDatabaseView(bytes, fileName, view);
}

DtcDatabase ToDatabase(const DatabaseView& view) {
  DtcDatabase db;
  for (const char letter : kTableLetters) {
    const TableView& from = *view.table(letter);
    DtcTable& to = *db.table(letter);
    to.Name = from.Name;
    to.Entries.resize(static_cast<size_t>(from.upperBound()) + 1);
    for (auto it = from.elements().begin(); it != from.elements().end(); ++it) {
      DtcEntry& e = to.Entries[static_cast<size_t>(it.position())];
      std::copy_n(it->code.begin(), 4, e.Code.begin());
      e.Text = it->Text;
      e.Extension = it->Extension;
    }
  }
  return db;
}

DatabaseFile::DatabaseFile() { clear(); }

void DatabaseFile::clear() {
  // The empty database always serializes and parses: neither can fail here.
  std::string empty;
  static_cast<void>(SerializeDatabase(EmptyDatabase(), empty));
  bytes_ = FileBytes(std::move(empty));
  static_cast<void>(ParseDatabaseView(bytes_.view(), {}, view_));
}

Status DatabaseFile::assign(std::string bytes, const std::string& fileName) {
  bytes_ = FileBytes(std::move(bytes));
  Status s = ParseDatabaseView(bytes_.view(), fileName, view_);
  if (!s.ok()) clear();
  return s;
}

Status DatabaseFile::read(const std::string& path) {
  Status s = ReadWholeFile(path, bytes_);
  if (s.ok()) s = ParseDatabaseView(bytes_.view(), path, view_);
  if (!s.ok()) clear();
  return s;
}

}  // namespace vestral
