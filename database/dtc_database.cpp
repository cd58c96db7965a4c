#include "database/dtc_database.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "database/database_view.h"
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

bool putText(std::string& out, std::string_view text) {
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

std::string_view codeOf(const DtcEntry& e) { return e.code(); }
std::string_view codeOf(const EntryView& e) { return e.code; }

// Tables P, C, B, U of either kind: owned entries or entries read in place.
template <typename Table>
Status serializeTables(const Table* const (&tables)[4], std::string& out) {
  size_t size = 0;
  for (const Table* t : tables) {
    size += 12 + t->Name.size();
    for (const auto& e : t->Entries) size += 8 + e.Text.size() + e.Extension.size();
    if (t->Entries.empty()) size += 8;
  }
  std::string buf;
  buf.reserve(size);
  for (int i = 0; i < 4; ++i) {
    const Table& t = *tables[i];
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
      const auto& e = t.Entries[k];
      buf.append(codeOf(e).data(), 4);
      if (!putText(buf, e.Text) || !putText(buf, e.Extension))
        return Status::InvalidArgument(std::string("table ") + kLetters[i] + ", code " +
                                       printable(codeOf(e)) + " (position " + std::to_string(k) +
                                       "): a text is longer than 65535 bytes, which a database "
                                       "cannot hold");
    }
  }
  out = std::move(buf);
  return Status::OK();
}

}  // namespace

Status SerializeDatabase(const DtcDatabase& db, std::string& out) {
  const DtcTable* const tables[4] = {&db.P, &db.C, &db.B, &db.U};
  return serializeTables(tables, out);
}

Status SerializeTables(const ViewTable (&tables)[4], std::string& out) {
  const ViewTable* const ptrs[4] = {&tables[0], &tables[1], &tables[2], &tables[3]};
  return serializeTables(ptrs, out);
}

Status ParseDatabase(std::string_view bytes, const std::string& fileName, DtcDatabase& db) {
  db = DtcDatabase{};
  DatabaseView view;
  if (Status s = ParseDatabaseView(bytes, fileName, view); !s.ok()) return s;
  db = ToDatabase(view);
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
  FileBytes bytes;
  if (Status s = MapWholeFile(path, bytes); !s.ok()) return s;
  return ParseDatabase(bytes.view(), path, db);
}

Status WriteDatabase(const std::string& path, const ViewTable (&tables)[4]) {
  std::string bytes;
  if (Status s = SerializeTables(tables, bytes); !s.ok())
    return Status::InvalidArgument("cannot write \"" + path + "\": " + s.message());
  return OverwriteFromStart(path, bytes);
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
