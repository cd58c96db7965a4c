#pragma once

// The reference data set of the benchmarks: a database of 100,000 entries (25,000 a
// table), the same rows as source text, and codes to look up. Reproducible: the same
// arguments give the same bytes on every machine.

#include <cstdint>
#include <string>
#include <vector>

#include "database/database_view.h"
#include "database/dtc_database.h"

namespace vestral::bench {

inline constexpr int kReferenceEntriesPerTable = 25000;

// Tables P, C, B, U of `entriesPerTable` entries each. Codes are unique within a table
// and start with 0-3; half of them are hex codes (0A3F, which the command line can look
// up), half carry a letter G-Z (0G3K). Texts are 30-80 bytes, a quarter of them
// Cyrillic (code page 1251); a fifth of the entries have an extension of 10-40 bytes.
// Each table's last entry has a hex code, so the slowest lookup can be asked for.
DtcDatabase MakeReferenceDatabase(int entriesPerTable = kReferenceEntriesPerTable,
                                  uint64_t seed = 1);

// The rows as the generator reads them: "P0100 text | extension", CR LF line ends.
std::string ReferenceSourceText(const DtcDatabase& db);

// `db` as the bytes of a file, read in place; the view lives as long as the program.
const DatabaseView& InPlaceDatabase(const DtcDatabase& db);

// `n` letter-form codes the command line accepts (P0A3F): nine in ten present in `db`,
// the rest absent, in random order.
std::vector<std::string> ReferenceQueryCodes(const DtcDatabase& db, size_t n, uint64_t seed = 2);

// The letter form of the last entry of the table named by `letter`.
std::string LastCodeOf(const DtcDatabase& db, char letter);

// A path in a folder of its own under the temporary folder, removed at exit.
std::string BenchScratchFile(const std::string& name);

}  // namespace vestral::bench
