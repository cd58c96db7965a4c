#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "database/database_view.h"

namespace vestral {

// Maps every code page 1251 byte to its case-folded byte. IdentityFold() folds nothing.
using FoldTable = std::array<unsigned char, 256>;
FoldTable IdentityFold();

// Unicode case folding of every code page 1251 byte: each capital letter the code page
// holds, Latin and Cyrillic, becomes its small letter; a byte whose folded form the
// code page lacks (the micro sign folds to a Greek mu) stays as it is.
FoldTable Cp1251CaseFold();

struct SearchHit {
  char letter;  // P, C, B or U
  const TableView* table;
  int32_t index;  // position in the table, from 1
  EntryView entry;
};

// The entries in which every word occurs in the Text or the Extension, ignoring case
// as `fold` says; in table order P, C, B, U and position order. Words are code page
// 1251 bytes; empty words match everything.
std::vector<SearchHit> SearchEntries(const DatabaseView& db, const std::vector<std::string>& words,
                                     const FoldTable& fold);

}  // namespace vestral
