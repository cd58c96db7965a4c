#include "lookup/text_search.h"

#include <string_view>

namespace vestral {

FoldTable IdentityFold() {
  FoldTable t{};
  for (int i = 0; i < 256; ++i) t[i] = static_cast<unsigned char>(i);
  return t;
}

namespace {

void foldInto(const std::string& text, const FoldTable& fold, std::string& out) {
  out.resize(text.size());
  for (size_t i = 0; i < text.size(); ++i)
    out[i] = static_cast<char>(fold[static_cast<unsigned char>(text[i])]);
}

}  // namespace

std::vector<SearchHit> SearchEntries(const DtcDatabase& db, const std::vector<std::string>& words,
                                     const FoldTable& fold) {
  std::vector<std::string> folded(words.size());
  for (size_t w = 0; w < words.size(); ++w) foldInto(words[w], fold, folded[w]);

  std::vector<SearchHit> hits;
  std::string text, extension;  // reused buffers: no allocation per entry
  for (char letter : {'P', 'C', 'B', 'U'}) {
    const DtcTable& table = *db.table(letter);
    for (int32_t i = 1; i <= table.upperBound(); ++i) {
      const DtcEntry& e = table.Entries[i];
      foldInto(e.Text, fold, text);
      foldInto(e.Extension, fold, extension);
      bool all = true;
      for (const std::string& w : folded) {
        if (text.find(w) == std::string::npos && extension.find(w) == std::string::npos) {
          all = false;
          break;
        }
      }
      if (all) hits.push_back({letter, &table, i, &e});
    }
  }
  return hits;
}

}  // namespace vestral
