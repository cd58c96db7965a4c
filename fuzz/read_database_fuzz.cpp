// Arbitrary bytes as a database file: the reader must never crash, hang or allocate
// beyond what the bytes describe, and whatever it accepts must write and read back
// to the same database.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "database/dtc_database.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace vestral;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  DtcDatabase db;
  if (!ParseDatabase(bytes, "fuzz.DAT", db).ok()) return 0;

  std::string written;
  if (!SerializeDatabase(db, written).ok()) std::abort();  // read texts always fit
  if (written.size() > size || bytes.substr(0, written.size()) != written) std::abort();
  DtcDatabase again;
  if (!ParseDatabase(written, "again.DAT", again).ok() || !(again == db)) std::abort();
  return 0;
}
