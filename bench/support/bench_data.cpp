#include "support/bench_data.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <unordered_set>

#include "database/code_index.h"

namespace vestral::bench {

namespace {

// splitmix64: tiny, and unlike the standard distributions it gives the same numbers
// with every standard library.
class Random {
 public:
  explicit Random(uint64_t seed) : state_(seed) {}
  uint64_t next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  // Uniform enough for test data in [lo, hi].
  int between(int lo, int hi) {
    return lo + static_cast<int>(next() % static_cast<uint64_t>(hi - lo + 1));
  }

 private:
  uint64_t state_;
};

constexpr const char* kWords[] = {
    "sensor", "circuit", "range",   "performance",  "low",           "high",     "input",
    "output", "bank",    "voltage", "signal",       "module",        "control",  "pressure",
    "air",    "flow",    "mass",    "fuel",         "timing",        "camshaft", "position",
    "open",   "short",   "ground",  "intermittent", "heater",        "oxygen",   "valve",
    "switch", "speed",   "wheel",   "lost",         "communication", "with",     "failure",
};

void appendLatinWord(std::string& s, Random& r) {
  s += kWords[r.next() % (sizeof kWords / sizeof kWords[0])];
}

// Lower-case Cyrillic letters are the bytes 0xE0-0xFF in code page 1251.
void appendCyrillicWord(std::string& s, Random& r) {
  const int n = r.between(3, 10);
  for (int i = 0; i < n; ++i) s += static_cast<char>(0xE0 + r.between(0, 31));
}

std::string makeText(Random& r, int minLen, int maxLen, bool cyrillic) {
  const size_t target = static_cast<size_t>(r.between(minLen, maxLen));
  std::string s;
  while (s.size() < target) {
    if (!s.empty()) s += ' ';
    if (cyrillic) {
      appendCyrillicWord(s, r);
    } else {
      appendLatinWord(s, r);
    }
  }
  s.resize(target);
  if (s.back() == ' ') s.back() = '.';
  return s;
}

constexpr char kHex[] = "0123456789ABCDEF";
constexpr char kWide[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";

bool isHexCode(const std::array<char, 4>& c) {
  for (int i = 1; i < 4; ++i)
    if (!((c[i] >= '0' && c[i] <= '9') || (c[i] >= 'A' && c[i] <= 'F'))) return false;
  return c[0] >= '0' && c[0] <= '3';
}

void fillTable(DtcTable& t, int entries, Random& r) {
  const int hexCount = std::min(entries / 2, 4 * 16 * 16 * 16);
  std::unordered_set<uint32_t> used;
  std::vector<std::array<char, 4>> codes;
  codes.reserve(static_cast<size_t>(entries));
  while (static_cast<int>(codes.size()) < hexCount) {
    std::array<char, 4> c{static_cast<char>('0' + r.between(0, 3)), kHex[r.between(0, 15)],
                          kHex[r.between(0, 15)], kHex[r.between(0, 15)]};
    if (used.insert(PackCode(c.data())).second) codes.push_back(c);
  }
  while (static_cast<int>(codes.size()) < entries) {
    std::array<char, 4> c{static_cast<char>('0' + r.between(0, 3)), kWide[r.between(0, 35)],
                          kWide[r.between(0, 35)], kWide[r.between(0, 35)]};
    if (isHexCode(c)) continue;
    if (used.insert(PackCode(c.data())).second) codes.push_back(c);
  }
  for (size_t i = codes.size(); i > 1; --i) std::swap(codes[i - 1], codes[r.next() % i]);
  // The slowest lookup, the last entry, must be one the command line can ask for.
  if (!codes.empty() && !isHexCode(codes.back())) {
    auto hex = std::find_if(codes.begin(), codes.end(), isHexCode);
    if (hex != codes.end()) std::iter_swap(hex, codes.end() - 1);
  }

  t.Entries.reserve(t.Entries.size() + codes.size());
  for (const auto& c : codes) {
    DtcEntry e;
    e.Code = c;
    const bool cyrillic = r.between(0, 3) == 0;
    e.Text = makeText(r, 30, 80, cyrillic);
    if (r.between(0, 4) == 0) e.Extension = makeText(r, 10, 40, !cyrillic);
    t.Entries.push_back(std::move(e));
  }
}

}  // namespace

DtcDatabase MakeReferenceDatabase(int entriesPerTable, uint64_t seed) {
  DtcDatabase db = EmptyDatabase();
  Random r(seed);
  for (DtcTable* t : {&db.P, &db.C, &db.B, &db.U}) fillTable(*t, entriesPerTable, r);
  return db;
}

std::string ReferenceSourceText(const DtcDatabase& db) {
  std::string out;
  const std::pair<char, const DtcTable*> tables[] = {
      {'P', &db.P}, {'C', &db.C}, {'B', &db.B}, {'U', &db.U}};
  for (const auto& [letter, t] : tables) {
    for (size_t i = 1; i < t->Entries.size(); ++i) {
      out += EntryLine(letter, t->Entries[i], " | ");
      out += "\r\n";
    }
  }
  return out;
}

std::vector<std::string> ReferenceQueryCodes(const DtcDatabase& db, size_t n, uint64_t seed) {
  Random r(seed);
  const std::pair<char, const DtcTable*> tables[] = {
      {'P', &db.P}, {'C', &db.C}, {'B', &db.B}, {'U', &db.U}};
  std::vector<std::string> present, absent;
  for (const auto& [letter, t] : tables) {
    std::unordered_set<uint32_t> codes;
    for (size_t i = 1; i < t->Entries.size(); ++i) {
      codes.insert(PackCode(t->Entries[i].Code.data()));
      if (isHexCode(t->Entries[i].Code))
        present.push_back(letter + std::string(t->Entries[i].code()));
    }
    for (int v = 0; v < 4 * 4096; ++v) {
      const std::array<char, 4> c{static_cast<char>('0' + (v >> 12)), kHex[(v >> 8) & 15],
                                  kHex[(v >> 4) & 15], kHex[v & 15]};
      if (!codes.count(PackCode(c.data()))) absent.push_back(letter + std::string(c.data(), 4));
    }
  }
  std::vector<std::string> out;
  out.reserve(n);
  for (size_t i = 0; i < n; ++i) {
    const bool wantAbsent = i % 10 == 9 && !absent.empty();
    const auto& pool = wantAbsent || present.empty() ? absent : present;
    if (pool.empty()) break;
    out.push_back(pool[r.next() % pool.size()]);
  }
  for (size_t i = out.size(); i > 1; --i) std::swap(out[i - 1], out[r.next() % i]);
  return out;
}

std::string LastCodeOf(const DtcDatabase& db, char letter) {
  const DtcTable* t = db.table(letter);
  if (!t || t->Entries.size() < 2) return {};
  return letter + std::string(t->Entries.back().code());
}

std::string BenchScratchFile(const std::string& name) {
  struct Folder {
    std::filesystem::path path;
    Folder() {
      path =
          std::filesystem::temp_directory_path() / ("vestral-bench-" + std::to_string(::getpid()));
      std::filesystem::create_directories(path);
    }
    ~Folder() {
      std::error_code ec;
      std::filesystem::remove_all(path, ec);
    }
  };
  static Folder folder;
  return (folder.path / name).string();
}

const DatabaseView& InPlaceDatabase(const DtcDatabase& db) {
  auto* file = new DatabaseFile;  // kept for the program's life, as the views it gives
  std::string bytes;
  if (!SerializeDatabase(db, bytes).ok() || !file->assign(std::move(bytes), "reference").ok())
    std::abort();  // the reference data always fits
  return file->view();
}

}  // namespace vestral::bench
