#include "lookup/code_range.h"

#include "lookup/maker_meanings.h"

namespace vestral {

namespace {

struct RangeTexts {
  const char* name;
  const char* english;
  const char* russian;  // code page 1251
};

// In the order of CodeRange.
constexpr RangeTexts kRangeTexts[] = {
    {"generic",
     "generic range: the standard gives this code one meaning on every make; not in "
     "this database",
     // "Общий диапазон: значение кода задаёт стандарт, одно для всех марок; в этой базе
     // кода нет"
     "\xCE\xE1\xF9\xE8\xE9 \xE4\xE8\xE0\xEF\xE0\xE7\xEE\xED: \xE7\xED\xE0\xF7\xE5\xED\xE8"
     "\xE5 \xEA\xEE\xE4\xE0 \xE7\xE0\xE4\xE0\xB8\xF2 \xF1\xF2\xE0\xED\xE4\xE0\xF0\xF2, "
     "\xEE\xE4\xED\xEE \xE4\xEB\xFF \xE2\xF1\xE5\xF5 \xEC\xE0\xF0\xEE\xEA; \xE2 \xFD\xF2"
     "\xEE\xE9 \xE1\xE0\xE7\xE5 \xEA\xEE\xE4\xE0 \xED\xE5\xF2"},
    {"manufacturer", "manufacturer range: each maker defines this code for its own vehicles",
     // "Диапазон производителя: каждый производитель задаёт этот код для своих автомобилей"
     "\xC4\xE8\xE0\xEF\xE0\xE7\xEE\xED \xEF\xF0\xEE\xE8\xE7\xE2\xEE\xE4\xE8\xF2\xE5\xEB\xFF: "
     "\xEA\xE0\xE6\xE4\xFB\xE9 \xEF\xF0\xEE\xE8\xE7\xE2\xEE\xE4\xE8\xF2\xE5\xEB\xFC \xE7\xE0"
     "\xE4\xE0\xB8\xF2 \xFD\xF2\xEE\xF2 \xEA\xEE\xE4 \xE4\xEB\xFF \xF1\xE2\xEE\xE8\xF5 \xE0"
     "\xE2\xF2\xEE\xEC\xEE\xE1\xE8\xEB\xE5\xE9"},
    {"reserved",
     "reserved range: the standard keeps it for later and has given this code no "
     "meaning yet",
     // "Резервный диапазон: стандарт держит его про запас и пока не назначил этому коду
     // значения"
     "\xD0\xE5\xE7\xE5\xF0\xE2\xED\xFB\xE9 \xE4\xE8\xE0\xEF\xE0\xE7\xEE\xED: \xF1\xF2\xE0"
     "\xED\xE4\xE0\xF0\xF2 \xE4\xE5\xF0\xE6\xE8\xF2 \xE5\xE3\xEE \xEF\xF0\xEE \xE7\xE0"
     "\xEF\xE0\xF1 \xE8 \xEF\xEE\xEA\xE0 \xED\xE5 \xED\xE0\xE7\xED\xE0\xF7\xE8\xEB \xFD"
     "\xF2\xEE\xEC\xF3 \xEA\xEE\xE4\xF3 \xE7\xED\xE0\xF7\xE5\xED\xE8\xFF"},
};

const RangeTexts& textsOf(CodeRange range) { return kRangeTexts[static_cast<int>(range)]; }

bool isUpperHex(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'); }

}  // namespace

bool IsLetterForm(std::string_view text) {
  if (text.size() != 5) return false;
  if (std::string_view("PCBU").find(text[0]) == std::string_view::npos) return false;
  if (text[1] < '0' || text[1] > '3') return false;
  return isUpperHex(text[2]) && isUpperHex(text[3]) && isUpperHex(text[4]);
}

CodeRange RangeOfCode(std::string_view code) {
  const char letter = code[0];
  const char digit = code[1];
  if (digit == '0') return CodeRange::Generic;
  if (letter == 'P') {
    if (digit == '1') return CodeRange::Manufacturer;
    if (digit == '2') return CodeRange::Generic;
    // P3000 to P33FF belong to the makers; the standard has assigned P3400 to P34FF
    // (cylinder deactivation) and keeps the rest of P3.
    const char third = code[2];
    if (third >= '0' && third <= '3') return CodeRange::Manufacturer;
    return third == '4' ? CodeRange::Generic : CodeRange::Reserved;
  }
  if (digit != '3') return CodeRange::Manufacturer;
  // U3000 and up name the same module faults (control module, its supply voltage) on
  // every make that uses them; C3 and B3 are still unassigned.
  return letter == 'U' ? CodeRange::Generic : CodeRange::Reserved;
}

const char* CodeRangeName(CodeRange range) { return textsOf(range).name; }

std::string AbsentCodeLine(std::string_view code, TextLanguage language) {
  const RangeTexts& t = textsOf(RangeOfCode(code));
  return WithNote(language == TextLanguage::English ? t.english : t.russian,
                  MakerNote(BuiltInMakerMeanings(), code, language));
}

}  // namespace vestral
