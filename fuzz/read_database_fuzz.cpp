// Arbitrary bytes as a database file: the checked view must never crash, hang or read
// past the bytes, walking and looking up in it must agree with the owned copy, and
// whatever it accepts must write and read back to the same database.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "database/database_view.h"
#include "database/dtc_database.h"
#include "database/table_order.h"
#include "lookup/lookup.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace vestral;
  // A copy of exactly `size` bytes, so that ASan sees any read behind the end.
  const std::string copy(reinterpret_cast<const char*>(data), size);
  const std::string_view bytes(copy);
  DatabaseView view;
  if (!ParseDatabaseView(bytes, "fuzz.DAT", view).ok()) return 0;
  const DtcDatabase db = ToDatabase(view);

  // The first entry of each table is found by both lookups, at its first position.
  const LookupIndex index(view);
  for (const char letter : kTableLetters) {
    const DtcTable& t = *db.table(letter);
    if (t.upperBound() < 1) continue;
    const std::string code = letter + std::string(t.Entries[1].code());
    int32_t first = 0;
    FindEntry(t, t.Entries[1].code(), first);
    for (const LookupResult& r : {LookupCode(view, code), index.find(code)})
      if (r.index != first || r.entry.Text != t.Entries[first].Text) std::abort();
  }

  std::string written;
  if (!SerializeDatabase(db, written).ok()) std::abort();  // read texts always fit
  if (written.size() > size || bytes.substr(0, written.size()) != written) std::abort();
  DtcDatabase again;
  if (!ParseDatabase(written, "again.DAT", again).ok() || !(again == db)) std::abort();
  return 0;
}
