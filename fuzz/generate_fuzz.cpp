// Arbitrary bytes as a whole source file run through the generator: it must never
// crash, and when it reports success the destination must be a database that holds
// one entry per source line.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "database/dtc_database.h"
#include "editor/generator.h"
#include "log/log_sink.h"
#include "platform/questions.h"

namespace {

const std::string& folder() {
  static const std::string dir = [] {
    const auto p =
        std::filesystem::temp_directory_path() / ("vestral-fuzz-" + std::to_string(::getpid()));
    std::filesystem::create_directories(p);
    return p.string();
  }();
  return dir;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace vestral;
  const std::string source = folder() + "/source.txt";
  const std::string dest = folder() + "/dest.DAT";
  {
    std::ofstream out(source, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  std::error_code ec;
  std::filesystem::remove(dest, ec);

  NullSink log;
  ScriptedQuestions questions;
  const GenerateResult result = Generate(source, dest, log, questions);
  const bool ok = result.done();

  DtcDatabase db;
  if (!ReadDatabase(dest, db).ok()) {
    if (ok) std::abort();  // success claimed without a readable database
    return 0;
  }
  if (ok) {
    const SourceText text =
        DecodeSourceText(std::string_view(reinterpret_cast<const char*>(data), size));
    const size_t lines = SplitSourceLines(text.text()).size();
    const size_t entries = static_cast<size_t>(db.P.upperBound() + db.C.upperBound() +
                                               db.B.upperBound() + db.U.upperBound());
    if (entries != lines || static_cast<size_t>(result.entries) != lines) std::abort();
  }
  return 0;
}
