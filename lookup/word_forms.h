#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct sb_stemmer;

namespace vestral {

// How search reads a code page 1251 text: as words, each folded and reduced to its stem,
// so that the forms a person types meet the forms a text holds.

// One word of a text, as a range of the folded text SplitWords() fills.
struct WordSpan {
  uint32_t begin = 0;
  uint32_t size = 0;
  bool number = false;  // digits only: compared whole, never stemmed
  // Only blanks, hyphens and little words stand between it and the word before, so the
  // two can form a name (лямбда-зонд) or a numbered thing (банк 2). Never after a
  // comma, colon, bracket and the like: "банк 1, датчик 2" holds no "1 датчик".
  bool joined = false;
  // The first word after a full stop, question or exclamation mark.
  bool sentence = false;
};

// The words of `text`: runs of letters and digits, folded (capitals to small letters,
// Ё to Е) into `folded`, without the little words that tie a phrase together but name
// nothing (on, of, the, в, на, и, для ...).
void SplitWords(std::string_view text, std::string& folded, std::vector<WordSpan>& words);

// Reduces folded words to their stems with Snowball's Russian and English stemmers: a
// word of Cyrillic letters by the Russian rules, one of Latin letters by the English
// ones; a word with digits or of both scripts stays as it is (O2, HO2S, P0301). Stems
// are code page 1251 text like the words. Not safe to share between threads.
class Stemmer {
 public:
  Stemmer();
  Stemmer(const Stemmer&) = delete;
  Stemmer& operator=(const Stemmer&) = delete;
  ~Stemmer();

  // The stem of `folded`, valid until the next call.
  std::string_view stem(std::string_view folded);

 private:
  sb_stemmer* russian_;
  sb_stemmer* english_;
  std::string utf8_, stem_;
};

}  // namespace vestral
