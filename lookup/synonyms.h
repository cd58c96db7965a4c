#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "lookup/word_forms.h"

namespace vestral {

// Names of one thing (лямбда-зонд, датчик кислорода, oxygen sensor): a search that holds
// one of them finds the entries that hold any.
struct SynonymGroup {
  std::vector<std::string> names;               // code page 1251, as written
  std::vector<std::vector<std::string>> stems;  // each name's words as search compares them
};

// The groups of `utf8`: one group a line, names separated by commas, '#' starting a
// comment line. A name with a character code page 1251 lacks, or with no word but
// little words, is left out.
std::vector<SynonymGroup> ParseSynonyms(std::string_view utf8, Stemmer& stemmer);

// The table the program carries (data/synonyms.txt, embedded by the build).
const std::vector<SynonymGroup>& Synonyms();

}  // namespace vestral
