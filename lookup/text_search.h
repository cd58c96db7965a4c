#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "database/database_view.h"
#include "database/dtc_database.h"

namespace vestral {

// Maps every code page 1251 byte to its case-folded byte. IdentityFold() folds nothing.
using FoldTable = std::array<unsigned char, 256>;
FoldTable IdentityFold();

// Unicode case folding of every code page 1251 byte: each capital letter the code page
// holds, Latin and Cyrillic, becomes its small letter; a byte whose folded form the
// code page lacks (the micro sign folds to a Greek mu) stays as it is.
FoldTable Cp1251CaseFold();

// A folded word that can only mean the start of a code: a system letter, a digit 0 to 3
// and up to three more hex digits (p04, u0a).
bool IsCodeStart(std::string_view folded);

// One entry a query found.
struct SearchHit {
  char letter = 0;    // P, C, B or U
  int32_t index = 0;  // position in the table, from 1
  EntryView entry;    // its code and texts, valid while the indexed database is unchanged
};

// The words of a database's entries, folded and stemmed, so that a query costs a pass
// over small numbers rather than over texts. Build one per database load; it is not
// safe to share between threads.
class SearchIndex {
 public:
  SearchIndex();  // an empty database
  // Every real entry of `db`; the view and its bytes must outlive the index. When the
  // database is read again, build a new index: this one points into the old bytes.
  explicit SearchIndex(const DatabaseView& db);
  // Every real entry of `db`, which must outlive the index. After an edit of `db`, tell
  // the index with reindex() or erase() before the next query.
  explicit SearchIndex(const DtcDatabase& db);
  SearchIndex(SearchIndex&&) noexcept;
  SearchIndex& operator=(SearchIndex&&) noexcept;
  ~SearchIndex();

  // The entry at `index` of table `letter` has new texts, or was appended.
  void reindex(char letter, int32_t index);
  // Table `letter` lost the entries whose positions `gone` marks; the rest moved up.
  void erase(char letter, const std::vector<bool>& gone);

  // Real entries indexed, and the bytes the index holds (for the benchmarks).
  size_t entries() const;
  size_t memoryBytes() const;

  struct Impl;

 private:
  std::unique_ptr<Impl> impl_;
  friend std::vector<SearchHit> FindForPeople(const SearchIndex&, std::string_view, size_t);
  friend std::vector<SearchHit> FilterForPeople(const SearchIndex&, std::string_view);
};

inline constexpr size_t kAllHits = SIZE_MAX;

// The entries a person's query asks for, best first, at most `limit` of them. The
// query is code page 1251 text as typed: case and Ё/Е do not matter; Russian and
// English words match their other forms (датчика, датчик; sensors, sensor); a name of
// the synonym table matches its other names (датчик кислорода, лямбда-зонд, oxygen
// sensor); numbers match whole numbers only, and a number after a word asks for the
// two together (cylinder 1 finds neither cylinder 10 nor bank 1 sensor 2); little
// words (on, the, в, для ...) are ignored; a code start (P03, u01) matches the codes
// that start so. Every other word must match in the description or the second text.
// The last word, unless a blank follows it, also matches the words it starts, as
// someone still typing it means. When some entries hold the whole query within one
// sentence, those that hold it only spread over several are left out. Best first: the
// description before the second text, then the query's word order, then fewer other
// words (the rank in text_search.cpp says exactly). Nothing to match finds nothing.
std::vector<SearchHit> FindForPeople(const SearchIndex& index, std::string_view queryCp1251,
                                     size_t limit);

// The same matching, in table order P, C, B, U and position order, every entry when
// the query has nothing to match: what a filtered list of the database shows.
std::vector<SearchHit> FilterForPeople(const SearchIndex& index, std::string_view queryCp1251);

}  // namespace vestral
