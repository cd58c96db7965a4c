#include "lookup/text_search_qt.h"

#include "platform/codepage_qt.h"

namespace vestral {

FoldTable UnicodeFold() {
  FoldTable table = IdentityFold();
  for (int b = 0; b < 256; ++b) {
    const QString folded = FromCp1251(std::string(1, static_cast<char>(b))).toCaseFolded();
    std::string back;
    if (ToCp1251(folded, back) && back.size() == 1) table[b] = static_cast<unsigned char>(back[0]);
  }
  return table;
}

}  // namespace vestral
