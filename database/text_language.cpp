#include "database/text_language.h"

#include <algorithm>
#include <optional>

namespace vestral {

namespace {

// The default table names of the Russian-first database, in table order P, C, B, U:
// "двигатель и трансмиссия", "шасси", "кузов", "сеть обмена данными".
constexpr const char* kRussianNames[4] = {
    "\xE4\xE2\xE8\xE3\xE0\xF2\xE5\xEB\xFC \xE8 \xF2\xF0\xE0\xED\xF1\xEC\xE8\xF1\xF1\xE8\xFF",
    "\xF8\xE0\xF1\xF1\xE8", "\xEA\xF3\xE7\xEE\xE2",
    "\xF1\xE5\xF2\xFC \xEE\xE1\xEC\xE5\xED\xE0 \xE4\xE0\xED\xED\xFB\xEC\xE8"};

// The language of one text: Russian when it holds a Cyrillic letter (code page 1251),
// English when it holds none, nothing when it is empty.
std::optional<TextLanguage> languageOf(std::string_view text) {
  if (text.empty()) return std::nullopt;
  const bool cyrillic = std::any_of(text.begin(), text.end(), [](char c) {
    const auto b = static_cast<unsigned char>(c);
    return b >= 0xC0 || b == 0xA8 || b == 0xB8;  // А-я, Ё, ё
  });
  return cyrillic ? TextLanguage::Russian : TextLanguage::English;
}

TextLanguage other(TextLanguage l) {
  return l == TextLanguage::English ? TextLanguage::Russian : TextLanguage::English;
}

// +1 for an entry that holds Russian first, -1 for one that holds English first.
int firstLanguageVote(std::string_view text, std::string_view extension) {
  const auto t = languageOf(text), e = languageOf(extension);
  if (!t || !e || *t == *e) return 0;
  return *t == TextLanguage::Russian ? 1 : -1;
}

TextLanguage byVotes(int votes) {
  return votes > 0 ? TextLanguage::Russian : TextLanguage::English;
}

}  // namespace

TextLanguage FirstLanguageOf(const DatabaseView& db) {
  int votes = 0;
  for (const TableView* t : {&db.P, &db.C, &db.B, &db.U})
    for (const EntryView& e : t->entries()) votes += firstLanguageVote(e.Text, e.Extension);
  return byVotes(votes);
}

TextLanguage FirstLanguageOf(const DtcDatabase& db) {
  int votes = 0;
  for (const DtcTable* t : {&db.P, &db.C, &db.B, &db.U})
    for (size_t i = 1; i < t->Entries.size(); ++i)
      votes += firstLanguageVote(t->Entries[i].Text, t->Entries[i].Extension);
  return byVotes(votes);
}

int32_t TurnToLanguage(DtcDatabase& db, TextLanguage language) {
  int32_t turned = 0;
  const DtcDatabase english = EmptyDatabase();
  DtcTable* tables[4] = {&db.P, &db.C, &db.B, &db.U};
  const DtcTable* englishTables[4] = {&english.P, &english.C, &english.B, &english.U};
  for (size_t i = 0; i < 4; ++i) {
    DtcTable& t = *tables[i];
    const std::string_view englishName = englishTables[i]->Name, russianName = kRussianNames[i];
    const bool toRussian = language == TextLanguage::Russian;
    if (t.Name == (toRussian ? englishName : russianName))
      t.Name = toRussian ? russianName : englishName;
    for (size_t k = 1; k < t.Entries.size(); ++k) {
      DtcEntry& e = t.Entries[k];
      if (languageOf(e.Text) != other(language) || languageOf(e.Extension) != language) continue;
      std::swap(e.Text, e.Extension);
      ++turned;
    }
  }
  return turned;
}

}  // namespace vestral
