#include "lookup/synonyms.h"

#include <algorithm>

#include "platform/codepage.h"

namespace vestral {

extern const std::string_view kSynonymText;  // generated from data/synonyms.txt

namespace {

std::string_view trim(std::string_view s) {
  const size_t first = s.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) return {};
  return s.substr(first, s.find_last_not_of(" \t\r") + 1 - first);
}

}  // namespace

std::vector<SynonymGroup> ParseSynonyms(std::string_view utf8, Stemmer& stemmer) {
  std::vector<SynonymGroup> groups;
  std::string folded;
  std::vector<WordSpan> words;
  while (!utf8.empty()) {
    const size_t end = std::min(utf8.find('\n'), utf8.size());
    std::string_view line = trim(utf8.substr(0, end));
    utf8.remove_prefix(std::min(end + 1, utf8.size()));
    if (line.empty() || line.front() == '#') continue;
    SynonymGroup group;
    while (!line.empty()) {
      const size_t comma = std::min(line.find(','), line.size());
      std::string name;
      const bool fits = Utf8ToCp1251Exactly(trim(line.substr(0, comma)), name);
      line.remove_prefix(std::min(comma + 1, line.size()));
      SplitWords(name, folded, words);
      if (!fits || words.empty()) continue;
      std::vector<std::string> stems;
      stems.reserve(words.size());
      for (const WordSpan& w : words) {
        const std::string_view word = std::string_view(folded).substr(w.begin, w.size);
        stems.emplace_back(w.number ? word : stemmer.stem(word));
      }
      group.names.push_back(std::move(name));
      group.stems.push_back(std::move(stems));
    }
    if (group.names.size() > 1) groups.push_back(std::move(group));
  }
  return groups;
}

const std::vector<SynonymGroup>& Synonyms() {
  static const std::vector<SynonymGroup> groups = [] {
    Stemmer stemmer;
    return ParseSynonyms(kSynonymText, stemmer);
  }();
  return groups;
}

}  // namespace vestral
