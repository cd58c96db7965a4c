#pragma once

#include <string>
#include <string_view>

#include "database/database_view.h"
#include "database/status.h"

namespace vestral {

// The lookup window's rules that need no window: its key filters, what FIND
// shows, the start-up hint and how the main database is loaded.

// The start-up hint of TxtUSR ("Ctrl Alt Esc - редактор" in code page 1251) and
// the line break behind it.
inline constexpr const char* kStartupHint = "Ctrl Alt Esc - \xF0\xE5\xE4\xE0\xEA\xF2\xEE\xF0";
inline constexpr const char* kStartupHintText =
    "Ctrl Alt Esc - \xF0\xE5\xE4\xE0\xEA\xF2\xEE\xF0\r\n";

// Character code of Backspace as the key filters see it.
inline constexpr int kBackspace = 8;

// The hex-form box's filter: a-f become A-F; A-F, digits and Backspace pass;
// anything else gives 0 (discarded).
int FilterHexKey(int KeyAscii);

// The letter-form box's filter: p, c, b, u become P, C, B, U; those capitals,
// digits, the blank and Backspace pass; anything else gives 0.
int FilterLetterKey(int KeyAscii);

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
FindDisplay DescribeFind(const DatabaseView& db, std::string_view Val);

// Writes an empty database at `path` when nothing at all is there, as the lookup window
// does for the main database before it opens. A path that holds anything (a damaged or
// foreign file, a folder, an unreadable file, a dangling link) is left alone: reading it
// reports the problem. `created` tells whether a new file was written.
Status CreateMissingDatabase(const std::string& path, bool* created = nullptr);

}  // namespace vestral
