#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/program_paths.h"

namespace vestral {

// Codes of the generic ranges that some makers use with a meaning of their own, and
// that meaning: the list data/maker-meanings.txt keeps, for the notes the shipped
// entries carry and the range line of an absent code.

struct MakerMeaning {
  std::string code;  // letter form
  std::string maker;
  std::string english;
  std::string russian;  // code page 1251
};

struct MakerMeanings {
  std::vector<std::string> makers;  // as the "makers" line names them
  std::vector<MakerMeaning> meanings;
};

// Reads the list from its text (UTF-8): '#' starts a comment line; one line
// "makers<TAB>name..." names every maker; every other line is code, maker, English and
// Russian, separated by tabs. Each problem found is added to `problems` as
// "line N: what": a malformed line, a code outside the generic ranges, a maker not
// named on the makers line (or named there and never used), a code listed twice for
// one maker, an empty text, a '|', English that is not plain ASCII, Russian with no
// Cyrillic letter or a character code page 1251 lacks.
MakerMeanings ParseMakerMeanings(std::string_view utf8, std::vector<std::string>& problems);

// The list the program carries (data/maker-meanings.txt, built in).
const MakerMeanings& BuiltInMakerMeanings();

// What `code` (letter form) means on the makes that differ, as one note in `language`
// (Russian in code page 1251): "Otherwise on GM: ...; on Toyota: ...". Empty when no
// maker is listed for it.
std::string MakerNote(const MakerMeanings& list, std::string_view code, TextLanguage language);

// `text` with `note` as its last sentence; `text` alone when the note is empty.
std::string WithNote(std::string text, std::string_view note);

// Gives a shipped entry of `code` the note of its makers (MakerNote) as the last
// sentence of both texts, `english` and `russian` (code page 1251), so the note has one
// home: the list. Returns what is wrong, empty when nothing is: a text that already
// holds a note (written by hand, with or without a line in the list), or a listed
// code whose texts do not end up holding its note once in each language.
std::string AddMakerNote(const MakerMeanings& list, std::string_view code, std::string& english,
                         std::string& russian);

}  // namespace vestral
