#include "lookup/text_search.h"

#include <string_view>

#include "platform/codepage.h"

namespace vestral {

FoldTable IdentityFold() {
  FoldTable t{};
  for (int i = 0; i < 256; ++i) t[i] = static_cast<unsigned char>(i);
  return t;
}

namespace {

// The small letter of a capital the code page holds; others as they are.
char32_t smallLetter(char32_t c) {
  if ((c >= 'A' && c <= 'Z') || (c >= 0x0410 && c <= 0x042F)) return c + 0x20;  // A-Z, А-Я
  if (c >= 0x0400 && c <= 0x040F) return c + 0x50;                              // Ѐ-Џ
  if (c == 0x0490) return 0x0491;                                               // Ґ
  return c;
}

}  // namespace

FoldTable Cp1251CaseFold() {
  FoldTable t = IdentityFold();
  for (int b = 0; b < 256; ++b) {
    const char32_t c = Cp1251ToUnicode(static_cast<unsigned char>(b));
    const char32_t small = smallLetter(c);
    if (small == c) continue;
    for (int s = 0; s < 256; ++s)
      if (Cp1251ToUnicode(static_cast<unsigned char>(s)) == small)
        t[b] = static_cast<unsigned char>(s);
  }
  return t;
}

namespace {

void foldInto(std::string_view text, const FoldTable& fold, std::string& out) {
  out.resize(text.size());
  for (size_t i = 0; i < text.size(); ++i)
    out[i] = static_cast<char>(fold[static_cast<unsigned char>(text[i])]);
}

}  // namespace

std::vector<SearchHit> SearchEntries(const DatabaseView& db, const std::vector<std::string>& words,
                                     const FoldTable& fold) {
  std::vector<std::string> folded(words.size());
  for (size_t w = 0; w < words.size(); ++w) foldInto(words[w], fold, folded[w]);

  std::vector<SearchHit> hits;
  std::string text, extension;  // reused buffers: no allocation per entry
  for (char letter : {'P', 'C', 'B', 'U'}) {
    const TableView& table = *db.table(letter);
    for (auto it = table.entries().begin(), end = table.entries().end(); it != end; ++it) {
      const EntryView& e = *it;
      foldInto(e.Text, fold, text);
      foldInto(e.Extension, fold, extension);
      bool all = true;
      for (const std::string& w : folded) {
        if (text.find(w) == std::string::npos && extension.find(w) == std::string::npos) {
          all = false;
          break;
        }
      }
      if (all) hits.push_back({letter, &table, it.position(), e});
    }
  }
  return hits;
}

}  // namespace vestral
