#include "lookup/word_forms.h"

#include <gtest/gtest.h>

#include "lookup/synonyms.h"
#include "platform/codepage.h"

namespace vestral {
namespace {

// Each word folded and stemmed; "+" joins a word to the one before it, "|" starts a
// sentence, "#" marks a number.
std::string read(std::string_view text) {
  std::string folded, out;
  std::vector<WordSpan> words;
  Stemmer stemmer;
  SplitWords(Utf8ToCp1251(text), folded, words);
  for (const WordSpan& w : words) {
    const std::string_view word = std::string_view(folded).substr(w.begin, w.size);
    out += std::string(out.empty() ? "" : " ") + (w.sentence ? "|" : "") + (w.joined ? "+" : "") +
           (w.number ? "#" : "") + Cp1251ToUtf8Exactly(w.number ? word : stemmer.stem(word));
  }
  return out;
}

TEST(SplitWords, FoldsStemsAndMarksJoinedWordsSentencesAndNumbers) {
  const struct {
    const char* text;
    const char* read;
  } cases[] = {
      {"Нагреватель лямбда-зонда, банк 2.", "нагревател +лямбд +зонд банк +#2"},
      {"Cylinder 3: misfire detected", "cylind +#3 misfir +detect"},
      {"Пропуски в ЦИЛИНДРЕ 10. Проверить: свечу", "пропуск +цилиндр +#10 |провер свеч"},
      {"Ёмкость, O2 sensors on the bank 1.5", "емкост o2 +sensor +bank +#1 #5"},
      {"the и a", "a"},
  };
  for (const auto& c : cases) EXPECT_EQ(read(c.text), c.read) << c.text;
}

TEST(ParseSynonyms, TakesGroupsOfTwoOrMoreNamesThatCodePage1251Holds) {
  Stemmer stemmer;
  const std::vector<SynonymGroup> groups = ParseSynonyms(
      "# comment, not, a group\n\n ДМРВ , mass air flow sensors\r\nonly one\n日本, of the, MAF,\n",
      stemmer);
  ASSERT_EQ(groups.size(), 1u);
  EXPECT_EQ(Cp1251ToUtf8Exactly(groups[0].names[0]), "ДМРВ");
  EXPECT_EQ(groups[0].stems, (std::vector<std::vector<std::string>>{
                                 {Utf8ToCp1251("дмрв")}, {"mass", "air", "flow", "sensor"}}));
}

}  // namespace
}  // namespace vestral
