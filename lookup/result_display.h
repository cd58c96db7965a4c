#pragma once

#include <string>
#include <string_view>

#include "database/database_view.h"
#include "lookup/followed_database.h"

namespace vestral {

// What the lookup window shows of a lookup, and the start-up hint its text box shows
// before the first one. Texts are code page 1251.

// The start-up hint of TxtUSR: "Ctrl Alt Esc - редактор".
inline constexpr const char* kStartupHint = "Ctrl Alt Esc - \xF0\xE5\xE4\xE0\xEA\xF2\xEE\xF0";

// True while `usrText` still holds the start-up hint anywhere (exact match).
bool HintStillShown(std::string_view usrText);

// What FIND puts into the window's labels for the letter form `Val`.
struct FindDisplay {
  bool found = false;
  std::string LblCode;   // the entry's code, without the table letter
  std::string LblItem;   // the entry's Text
  std::string LblBDesc;  // the table's Name, or the absence message
  std::string TxtUSR;    // the entry's Extension
};
// An absent code in letter form also tells in TxtUSR which kind of range it lies in.
FindDisplay DescribeFind(const DatabaseView& db, std::string_view Val);

// The same in the database as it is now: the lookup, or while the file cannot be used,
// the problem (file and reason).
FindDisplay DescribeFindNow(FollowedDatabase& db, std::string_view Val);

// A shown result as one line for the clipboard: the letter form, a tab, the description
// (or why there is none), a tab, the second text (or the absent code's range, or the
// problem with the database); tabs and line breaks inside a text become blanks.
std::string ResultLine(std::string_view letterForm, const FindDisplay& shown);

}  // namespace vestral
