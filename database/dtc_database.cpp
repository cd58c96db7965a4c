#include "database/dtc_database.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "database/file_io.h"

namespace vestral {

void DtcEntry::setCode(std::string_view v) {
  Code.fill(' ');
  std::copy_n(v.begin(), std::min(v.size(), Code.size()), Code.begin());
}

DtcTable* DtcDatabase::table(char letter) {
  switch (letter) {
    case 'P': return &P;
    case 'C': return &C;
    case 'B': return &B;
    case 'U': return &U;
    default: return nullptr;
  }
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

void putU16(std::string& out, uint32_t v) {
  out.push_back(static_cast<char>(v & 0xFF));
  out.push_back(static_cast<char>((v >> 8) & 0xFF));
}

void putU32(std::string& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

bool putText(std::string& out, const std::string& text) {
  if (text.size() > kMaxTextBytes) return false;
  putU16(out, static_cast<uint32_t>(text.size()));
  out.append(text);
  return true;
}

constexpr char kLetters[4] = {'P', 'C', 'B', 'U'};

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

// A bounded cursor over the file's bytes: every read is checked against what remains.
class Reader {
 public:
  Reader(std::string_view bytes, const std::string& file) : bytes_(bytes), file_(file) {}

  bool u16(uint32_t& v, const char* what) {
    if (!need(2, what)) return false;
    v = byte(0) | (byte(1) << 8);
    pos_ += 2;
    return true;
  }
  bool u32(uint32_t& v, const char* what) {
    if (!need(4, what)) return false;
    v = byte(0) | (byte(1) << 8) | (byte(2) << 16) | (byte(3) << 24);
    pos_ += 4;
    return true;
  }
  bool bytes(size_t n, std::string& out, const char* what) {
    if (!need(n, what)) return false;
    out.assign(bytes_.data() + pos_, n);
    pos_ += n;
    return true;
  }
  bool text(std::string& out, const char* countWhat, const char* textWhat) {
    uint32_t n = 0;
    return u16(n, countWhat) && bytes(n, out, textWhat);
  }
  size_t pos() const { return pos_; }
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
  uint32_t byte(size_t i) const { return static_cast<unsigned char>(bytes_[pos_ + i]); }
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

bool parseTable(Reader& r, char letter, DtcTable& t) {
  r.setTable(letter);
  if (!r.text(t.Name, "the byte count of the table name", "the table name")) return false;
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
  // Each element takes at least 8 bytes: never size the array beyond what the
  // remaining bytes could describe.
  if (count > r.remaining() / 8)
    return r.fail(std::string("table ") + letter + ": " + std::to_string(count) +
                      " elements need at least " + std::to_string(uint64_t{count} * 8) +
                      " bytes, but only " + std::to_string(r.remaining()) + " remain",
                  countAt);
  t.Entries.resize(count);
  std::string code;
  for (DtcEntry& e : t.Entries) {
    if (!r.bytes(4, code, "an entry code")) return false;
    std::copy_n(code.begin(), 4, e.Code.begin());
    if (!r.text(e.Text, "the byte count of an entry text", "an entry text")) return false;
    if (!r.text(e.Extension, "the byte count of an extension text", "an extension text"))
      return false;
  }
  return true;
}

}  // namespace

Status SerializeDatabase(const DtcDatabase& db, std::string& out) {
  size_t size = 0;
  const DtcTable* tables[4] = {&db.P, &db.C, &db.B, &db.U};
  for (const DtcTable* t : tables) {
    size += 12 + t->Name.size();
    for (const DtcEntry& e : t->Entries) size += 8 + e.Text.size() + e.Extension.size();
    if (t->Entries.empty()) size += 8;
  }
  std::string buf;
  buf.reserve(size);
  for (int i = 0; i < 4; ++i) {
    const DtcTable& t = *tables[i];
    if (!putText(buf, t.Name))
      return Status::InvalidArgument(std::string("table ") + kLetters[i] + ": the name is " +
                                     std::to_string(t.Name.size()) +
                                     " bytes long; a database holds at most 65535");
    putU16(buf, 1);
    // A table that was never filled is written with its placeholder so the file
    // reads back as a valid database.
    const uint32_t count = t.Entries.empty() ? 1 : static_cast<uint32_t>(t.Entries.size());
    putU32(buf, count);
    putU32(buf, 0);
    if (t.Entries.empty()) buf.append(8, '\0');
    for (size_t k = 0; k < t.Entries.size(); ++k) {
      const DtcEntry& e = t.Entries[k];
      buf.append(e.Code.data(), 4);
      if (!putText(buf, e.Text) || !putText(buf, e.Extension))
        return Status::InvalidArgument(std::string("table ") + kLetters[i] + ", code " +
                                       printable(e.code()) + " (position " + std::to_string(k) +
                                       "): a text is longer than 65535 bytes, which a database "
                                       "cannot hold");
    }
  }
  out = std::move(buf);
  return Status::OK();
}

Status ParseDatabase(std::string_view bytes, const std::string& fileName, DtcDatabase& db) {
  db = DtcDatabase{};
  DtcDatabase parsed;
  Reader r(bytes, fileName);
  DtcTable* tables[4] = {&parsed.P, &parsed.C, &parsed.B, &parsed.U};
  for (int i = 0; i < 4; ++i)
    if (!parseTable(r, kLetters[i], *tables[i])) return r.error();
  db = std::move(parsed);
  return Status::OK();
}

bool FileExists(const std::string& path) {
  if (path.empty()) return false;
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) return false;
  // Without blocking: opening a pipe that has no writer would wait for one.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd >= 0) {
    ::close(fd);
    return true;
  }
  switch (errno) {
    case ENOENT:
    case ENOTDIR:
    case EACCES:
    case EPERM:
    case EISDIR:
    case ENAMETOOLONG:
    case ELOOP:
    case EINVAL: return false;
    default: return true;  // present but held elsewhere, for instance
  }
}

Status CreateDatabase(const std::string& path) {
  std::string bytes;
  Status s = SerializeDatabase(EmptyDatabase(), bytes);
  if (!s.ok()) return s;
  return OverwriteFromStart(path, bytes);
}

Status ReadDatabase(const std::string& path, DtcDatabase& db) {
  db = DtcDatabase{};
  std::string bytes;
  if (Status s = ReadWholeFile(path, bytes); !s.ok()) return s;
  return ParseDatabase(bytes, path, db);
}

Status WriteDatabase(const std::string& path, const DtcDatabase& db) {
  std::string bytes;
  if (Status s = SerializeDatabase(db, bytes); !s.ok())
    return Status::InvalidArgument("cannot write \"" + path + "\": " + s.message());
  return OverwriteFromStart(path, bytes);
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
