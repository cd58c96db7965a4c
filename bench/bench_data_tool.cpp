// Writes the reference data set for the whole-process comparisons (bench/*.sh):
//   bench.DAT    the database (100,000 entries)
//   bench.txt    the same rows as source text
//   rows.sql     the same rows for sqlite3, in an indexed table
//   codes.txt    the codes to look up, one a line
//   queries.sql  the same lookups as sqlite3 queries (first entry of a code wins)
//   last.txt     the code of the P table's last entry (the slowest single lookup)
// Usage: bench_data_tool DIR [CODES]   (CODES defaults to 10,000)

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>

#include "cli/text_output.h"
#include "support/bench_data.h"

namespace {

using namespace vestral;

std::string sqlText(const std::string& cp1251) {
  std::string utf8 = Cp1251ToUtf8(cp1251), out = "'";
  for (char c : utf8) {
    if (c == '\'') out += '\'';
    out += c;
  }
  return out + "'";
}

bool save(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) std::cerr << "bench_data_tool: cannot write " << path << "\n";
  return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    std::cerr << "usage: bench_data_tool DIR [CODES]\n";
    return 2;
  }
  const std::string dir = argv[1];
  const size_t codeCount = argc == 3 ? std::strtoul(argv[2], nullptr, 10) : 10000;
  const DtcDatabase db = bench::MakeReferenceDatabase();

  if (Status s = WriteDatabase(dir + "/bench.DAT", db); !s.ok()) {
    std::cerr << "bench_data_tool: " << s.ToString() << "\n";
    return 1;
  }

  std::string rows =
      "PRAGMA journal_mode=OFF;\nPRAGMA synchronous=OFF;\nBEGIN;\n"
      "CREATE TABLE systems(letter TEXT PRIMARY KEY, name TEXT);\n"
      "CREATE TABLE dtc(letter TEXT, code TEXT, pos INTEGER, text TEXT, extension TEXT);\n";
  const std::pair<char, const DtcTable*> tables[] = {
      {'P', &db.P}, {'C', &db.C}, {'B', &db.B}, {'U', &db.U}};
  for (const auto& [letter, t] : tables) {
    const std::string l = std::string("'") + letter + "'";
    rows += "INSERT INTO systems VALUES(" + l + "," + sqlText(t->Name) + ");\n";
    for (size_t i = 1; i < t->Entries.size(); ++i) {
      const DtcEntry& e = t->Entries[i];
      rows += "INSERT INTO dtc VALUES(" + l + ",'" + std::string(e.code()) + "'," +
              std::to_string(i) + "," + sqlText(e.Text) + "," + sqlText(e.Extension) + ");\n";
    }
  }
  rows += "CREATE INDEX dtc_code ON dtc(letter, code, pos);\nCOMMIT;\nANALYZE;\n";

  std::string codes, queries = ".separator \"\\t\"\n";
  for (const std::string& c : bench::ReferenceQueryCodes(db, codeCount)) {
    codes += c + "\n";
    queries +=
        "SELECT d.letter || d.code, s.name, d.text, d.extension FROM dtc d JOIN systems s "
        "USING(letter) WHERE d.letter = '" +
        c.substr(0, 1) + "' AND d.code = '" + c.substr(1) + "' ORDER BY d.pos LIMIT 1;\n";
  }

  const bool ok = save(dir + "/bench.txt", bench::ReferenceSourceText(db)) &&
                  save(dir + "/rows.sql", rows) && save(dir + "/codes.txt", codes) &&
                  save(dir + "/queries.sql", queries) &&
                  save(dir + "/last.txt", bench::LastCodeOf(db, 'P') + "\n");
  return ok ? 0 : 1;
}
