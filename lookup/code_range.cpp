#include "lookup/code_range.h"

namespace vestral {

namespace {

struct RangeTexts {
  const char* name;
  const char* english;
  const char* russian;  // code page 1251
};

// In the order of CodeRange.
constexpr RangeTexts kRangeTexts[] = {
    {"generic", "generic range: the same meaning on every vehicle, not in this database",
     // "Общий диапазон: код значит одно и то же на всех автомобилях, но в этой базе его нет"
     "\xCE\xE1\xF9\xE8\xE9 \xE4\xE8\xE0\xEF\xE0\xE7\xEE\xED: \xEA\xEE\xE4 \xE7\xED\xE0\xF7\xE8"
     "\xF2 \xEE\xE4\xED\xEE \xE8 \xF2\xEE \xE6\xE5 \xED\xE0 \xE2\xF1\xE5\xF5 \xE0\xE2\xF2\xEE"
     "\xEC\xEE\xE1\xE8\xEB\xFF\xF5, \xED\xEE \xE2 \xFD\xF2\xEE\xE9 \xE1\xE0\xE7\xE5 \xE5\xE3\xEE "
     "\xED\xE5\xF2"},
    {"manufacturer", "manufacturer range: each maker defines this code for its own vehicles",
     // "Диапазон производителя: каждый производитель задаёт этот код для своих автомобилей"
     "\xC4\xE8\xE0\xEF\xE0\xE7\xEE\xED \xEF\xF0\xEE\xE8\xE7\xE2\xEE\xE4\xE8\xF2\xE5\xEB\xFF: "
     "\xEA\xE0\xE6\xE4\xFB\xE9 \xEF\xF0\xEE\xE8\xE7\xE2\xEE\xE4\xE8\xF2\xE5\xEB\xFC \xE7\xE0"
     "\xE4\xE0\xB8\xF2 \xFD\xF2\xEE\xF2 \xEA\xEE\xE4 \xE4\xEB\xFF \xF1\xE2\xEE\xE8\xF5 \xE0"
     "\xE2\xF2\xEE\xEC\xEE\xE1\xE8\xEB\xE5\xE9"},
    {"reserved", "reserved range: the standard assigns no meaning yet",
     // "Резервный диапазон: стандарт пока не назначил этому коду значения"
     "\xD0\xE5\xE7\xE5\xF0\xE2\xED\xFB\xE9 \xE4\xE8\xE0\xEF\xE0\xE7\xEE\xED: \xF1\xF2\xE0\xED"
     "\xE4\xE0\xF0\xF2 \xEF\xEE\xEA\xE0 \xED\xE5 \xED\xE0\xE7\xED\xE0\xF7\xE8\xEB \xFD\xF2\xEE"
     "\xEC\xF3 \xEA\xEE\xE4\xF3 \xE7\xED\xE0\xF7\xE5\xED\xE8\xFF"},
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
    // P3000 to P33FF belong to the makers; the rest of P3 is generic.
    const char third = code[2];
    return third >= '0' && third <= '3' ? CodeRange::Manufacturer : CodeRange::Generic;
  }
  return digit == '3' ? CodeRange::Reserved : CodeRange::Manufacturer;
}

const char* CodeRangeName(CodeRange range) { return textsOf(range).name; }

const char* AbsentCodeNote(CodeRange range) { return textsOf(range).english; }

const char* AbsentCodeNoteRussian(CodeRange range) { return textsOf(range).russian; }

}  // namespace vestral
