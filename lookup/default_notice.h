#pragma once

#include <string>

namespace vestral {

// The default database of the language the database at `databasePath` was made in,
// given the English-first default `englishDefault` (DefaultDatabaseOf): its kept base
// (KeptBasePath) tells the language, and a database without one tells it itself. Empty
// when `englishDefault` is.
std::string DefaultOfSameLanguage(const std::string& databasePath,
                                  const std::string& englishDefault);

// The line the lookup window shows under its start hint when the default database of
// the database's language (DefaultOfSameLanguage) has changed since the database was
// made from it or last updated to it, in code page 1251; empty when there is nothing
// to tell. "Changed" is all that can honestly be known: the record of the default
// differs from the kept base beside the database. A database without a kept base (one
// from before bases were kept) is compared with the default itself, so it is told once
// its codes fall behind. No default, or one that cannot be read, tells nothing.
std::string NewerDefaultNotice(const std::string& databasePath, const std::string& englishDefault);

}  // namespace vestral
