#include "lookup/word_forms.h"

#include <libstemmer.h>

#include <algorithm>
#include <array>
#include <initializer_list>

#include "lookup/text_search.h"
#include "platform/codepage.h"

namespace vestral {

namespace {

enum CharKind : unsigned char { kBreak, kJoin, kDigit, kLatin, kCyrillic };

struct Tables {
  std::array<CharKind, 256> kind{};
  FoldTable fold{};
  // Little words, each packed into a number (they are one to four bytes long), sorted.
  std::vector<uint32_t> little;
};

uint32_t pack(std::string_view w) {
  uint32_t v = 0;
  for (char c : w) v = (v << 8) | static_cast<unsigned char>(c);
  return v;
}

Tables makeTables() {
  Tables t;
  t.fold = Cp1251CaseFold();
  std::string small;
  (void)Utf8ToCp1251Exactly("е", small);
  for (std::string_view yo : {"ё", "Ё"}) {
    std::string b;
    (void)Utf8ToCp1251Exactly(yo, b);
    t.fold[static_cast<unsigned char>(b[0])] = static_cast<unsigned char>(small[0]);
  }
  for (int b = 0; b < 256; ++b) {
    const char32_t c = Cp1251ToUnicode(static_cast<unsigned char>(b));
    if (c >= '0' && c <= '9')
      t.kind[b] = kDigit;
    else if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))
      t.kind[b] = kLatin;
    else if (c >= 0x0400 && c <= 0x04FF)
      t.kind[b] = kCyrillic;
    else if (c == ' ' || c == '\t' || c == '-' || c == 0xA0)  // blank, hyphen, no-break space
      t.kind[b] = kJoin;
    else
      t.kind[b] = kBreak;
  }
  // Articles, prepositions and conjunctions: they tie the words of a description
  // together but name no part and no fault. Not "a" (circuit A), nor "не", "без", "no",
  // "not", which turn a meaning round.
  for (std::string_view w : {"the",  "an",  "of", "on", "in", "at", "to", "for", "from", "by",
                             "with", "and", "or", "в",  "во", "на", "и",  "или", "для",  "по",
                             "с",    "со",  "к",  "ко", "о",  "об", "от", "из",  "при",  "у"}) {
    std::string b;
    (void)Utf8ToCp1251Exactly(w, b);
    t.little.push_back(pack(b));
  }
  std::sort(t.little.begin(), t.little.end());
  return t;
}

const Tables& tables() {
  static const Tables t = makeTables();
  return t;
}

}  // namespace

void SplitWords(std::string_view text, std::string& folded, std::vector<WordSpan>& words) {
  const Tables& t = tables();
  folded.resize(text.size());
  words.clear();
  bool broken = true;  // nothing before the first word to join it to
  bool ended = false;  // a sentence ended since the last word
  size_t i = 0;
  while (i < text.size()) {
    const CharKind k = t.kind[static_cast<unsigned char>(text[i])];
    if (k == kBreak) broken = true;
    // Not the point of 1.5 or of an abbreviation's letters run together (e.g.).
    if ((text[i] == '.' || text[i] == '!' || text[i] == '?') &&
        (i + 1 == text.size() || t.kind[static_cast<unsigned char>(text[i + 1])] == kJoin))
      ended = true;
    if (k < kDigit) {
      ++i;
      continue;
    }
    const size_t begin = i;
    bool number = true;
    for (; i < text.size() && t.kind[static_cast<unsigned char>(text[i])] >= kDigit; ++i) {
      const auto c = static_cast<unsigned char>(text[i]);
      number = number && t.kind[c] == kDigit;
      folded[i] = static_cast<char>(t.fold[c]);
    }
    const std::string_view word = std::string_view(folded).substr(begin, i - begin);
    if (word.size() <= 4 && std::binary_search(t.little.begin(), t.little.end(), pack(word)))
      continue;  // as if it were not there: "misfire on cylinder" joins misfire and cylinder
    words.push_back({static_cast<uint32_t>(begin), static_cast<uint32_t>(i - begin), number,
                     !broken && !words.empty(), ended && !words.empty()});
    broken = ended = false;
  }
}

Stemmer::Stemmer()
    : russian_(sb_stemmer_new("russian", "UTF_8")), english_(sb_stemmer_new("english", "UTF_8")) {}

Stemmer::~Stemmer() {
  sb_stemmer_delete(russian_);
  sb_stemmer_delete(english_);
}

std::string_view Stemmer::stem(std::string_view folded) {
  const Tables& t = tables();
  bool latin = false, cyrillic = false, digit = false;
  for (char c : folded) {
    const CharKind k = t.kind[static_cast<unsigned char>(c)];
    latin = latin || k == kLatin;
    cyrillic = cyrillic || k == kCyrillic;
    digit = digit || k == kDigit;
  }
  // A stemmer that could not be made (out of memory) leaves words whole.
  sb_stemmer* const stemmer = digit || latin == cyrillic ? nullptr : latin ? english_ : russian_;
  if (!stemmer) return folded;
  utf8_.clear();
  for (char c : folded) AppendUtf8(utf8_, Cp1251ToUnicode(static_cast<unsigned char>(c)));
  const sb_symbol* const s = sb_stemmer_stem(
      stemmer, reinterpret_cast<const sb_symbol*>(utf8_.data()), static_cast<int>(utf8_.size()));
  if (!s) return folded;
  const std::string_view stemmed(reinterpret_cast<const char*>(s),
                                 static_cast<size_t>(sb_stemmer_length(stemmer)));
  if (!Utf8ToCp1251Exactly(stemmed, stem_)) return folded;
  return stem_;
}

}  // namespace vestral
