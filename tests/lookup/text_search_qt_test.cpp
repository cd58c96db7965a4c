#include "lookup/text_search_qt.h"

#include <gtest/gtest.h>

namespace vestral {
namespace {

TEST(UnicodeFold, FoldsLatinAndCyrillicAndKeepsWhatHasNoOneByteFold) {
  const FoldTable fold = UnicodeFold();
  struct Case {
    unsigned char from, to;
    const char* what;
  } cases[] = {
      {'A', 'a', "Latin capital"},
      {'z', 'z', "Latin small"},
      {'7', '7', "digit"},
      {0xC0, 0xE0, "А to а"},
      {0xDF, 0xFF, "Я to я"},
      {0xA8, 0xB8, "Ё to ё"},
      {0xA1, 0xA2, "Ў to ў"},
      {0x80, 0x90, "Ђ to ђ"},
      {0xAA, 0xBA, "Є to є"},
      {0xB2, 0xB3, "І to і"},
      {0xB5, 0xB5, "micro sign: folds to Greek mu, not in the code page"},
      {0x98, 0x98, "undefined in the code page"},
      {0x00, 0x00, "NUL"},
  };
  for (const Case& c : cases) EXPECT_EQ(fold[c.from], c.to) << c.what;
}

TEST(UnicodeFold, FoldingTwiceChangesNothing) {
  const FoldTable fold = UnicodeFold();
  for (int b = 0; b < 256; ++b) EXPECT_EQ(fold[fold[b]], fold[b]) << b;
}

}  // namespace
}  // namespace vestral
