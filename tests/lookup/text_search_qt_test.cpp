#include <gtest/gtest.h>

#include "lookup/text_search.h"
#include "platform/codepage_qt.h"

namespace vestral {
namespace {

// The search folds case by a table of its own; Unicode, as Qt knows it, is the judge.
// A byte whose folded form is not one code page 1251 byte stays as it is.
TEST(Cp1251CaseFold, IsUnicodeCaseFoldingForEveryByte) {
  const FoldTable fold = Cp1251CaseFold();
  for (int b = 0; b < 256; ++b) {
    const QString folded = FromCp1251(std::string(1, static_cast<char>(b))).toCaseFolded();
    std::string back;
    const bool oneByte = ToCp1251(folded, back) && back.size() == 1;
    EXPECT_EQ(fold[b], oneByte ? static_cast<unsigned char>(back[0]) : b) << "byte " << b;
  }
}

}  // namespace
}  // namespace vestral
