#pragma once

#include "database/database_view.h"
#include "database/dtc_database.h"
#include "platform/program_paths.h"

namespace vestral {

// A default database holds each code in English and in Russian: one language as the
// description, the other as the second text. Both defaults are made from one master,
// the Russian-first one by turning the English-first one (TurnToLanguage).

// The language a database holds first: Russian when more of its entries hold Russian
// in the description and English in the second text than the other way round.
TextLanguage FirstLanguageOf(const DatabaseView& db);
TextLanguage FirstLanguageOf(const DtcDatabase& db);

// Makes `db` hold `language` first: an entry whose description is in the other
// language and whose second text is in `language` swaps its two texts, and a table
// that bears the other language's default name takes this language's. Every other
// entry and a name the user chose stay as they are, so turning keeps a workshop's own
// entries, and turning there and back gives the same database. Returns how many
// entries swapped their texts.
int32_t TurnToLanguage(DtcDatabase& db, TextLanguage language);

}  // namespace vestral
