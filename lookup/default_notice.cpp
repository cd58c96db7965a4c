#include "lookup/default_notice.h"

#include <filesystem>

#include "database/database_view.h"
#include "database/table_order.h"
#include "database/text_language.h"
#include "platform/program_paths.h"

namespace vestral {

namespace {

// "База кодов по умолчанию обновлена: vestral update внесёт её, сохранив ваши правки"
constexpr const char* kDefaultChanged =
    "\xC1\xE0\xE7\xE0 \xEA\xEE\xE4\xEE\xE2 \xEF\xEE \xF3\xEC\xEE\xEB\xF7\xE0\xED\xE8\xFE "
    "\xEE\xE1\xED\xEE\xE2\xEB\xE5\xED\xE0: vestral update \xE2\xED\xE5\xF1\xB8\xF2 \xE5\xB8, "
    "\xF1\xEE\xF5\xF0\xE0\xED\xE8\xE2 \xE2\xE0\xF8\xE8 \xEF\xF0\xE0\xE2\xEA\xE8";
// "База кодов по умолчанию отличается от вашей: vestral update добавит недостающие коды"
constexpr const char* kDefaultDiffers =
    "\xC1\xE0\xE7\xE0 \xEA\xEE\xE4\xEE\xE2 \xEF\xEE \xF3\xEC\xEE\xEB\xF7\xE0\xED\xE8\xFE "
    "\xEE\xF2\xEB\xE8\xF7\xE0\xE5\xF2\xF1\xFF \xEE\xF2 \xE2\xE0\xF8\xE5\xE9: vestral update "
    "\xE4\xEE\xE1\xE0\xE2\xE8\xF2 \xED\xE5\xE4\xEE\xF1\xF2\xE0\xFE\xF9\xE8\xE5 \xEA\xEE\xE4\xFB";

// Equal records hold the same tables: names and elements byte for byte, whatever lies
// behind either record's end.
bool sameRecord(const DatabaseView& a, const DatabaseView& b) {
  for (const char letter : kTableLetters) {
    const TableView& x = *a.table(letter);
    const TableView& y = *b.table(letter);
    if (x.Name != y.Name || x.elementBytes() != y.elementBytes()) return false;
  }
  return true;
}

// What the database was made from: its kept base when it has one, else itself. False
// when that cannot be read.
bool readKept(const std::string& databasePath, DatabaseFile& kept, bool& haveBase) {
  const std::string base = KeptBasePath(databasePath);
  std::error_code ec;
  haveBase = std::filesystem::exists(std::filesystem::symlink_status(base, ec));
  return kept.read(haveBase ? base : databasePath).ok();
}

}  // namespace

std::string DefaultOfSameLanguage(const std::string& databasePath,
                                  const std::string& englishDefault) {
  if (englishDefault.empty()) return {};
  DatabaseFile kept;
  bool haveBase = false;
  // A database that cannot be read is for the caller to explain; English is as good a
  // guess as any until then.
  if (!readKept(databasePath, kept, haveBase)) return englishDefault;
  return DefaultDatabaseOf(englishDefault, FirstLanguageOf(kept.view()));
}

std::string NewerDefaultNotice(const std::string& databasePath, const std::string& englishDefault) {
  DatabaseFile fresh, kept;
  bool haveBase = false;
  // A base that cannot be read is for `update` to explain.
  if (englishDefault.empty() || !readKept(databasePath, kept, haveBase)) return {};
  const std::string defaultPath = DefaultDatabaseOf(englishDefault, FirstLanguageOf(kept.view()));
  if (!fresh.read(defaultPath).ok()) return {};
  if (sameRecord(fresh.view(), kept.view())) return {};
  return haveBase ? kDefaultChanged : kDefaultDiffers;
}

}  // namespace vestral
