#pragma once

#include <string>
#include <string_view>

#include "database/database_view.h"
#include "platform/status.h"

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

// The letter-form box's filter for a character that lands at `position` (from 0) of
// the letter form: p, c, b, u become P, C, B, U; those capitals, digits, the blank and
// Backspace pass anywhere; where a code's hex digits stand (positions 2 to 4) a to f
// pass too, as A to F, so P0A80 can be typed. Anything else gives 0.
int FilterLetterKey(int KeyAscii, size_t position);

// The two code boxes: Txt4 takes the hex form, Txt5 the letter form.
enum class CodeBox { kHex, kLetter };

// A code box as input meets it: the length of its text, where the input lands (the
// cursor, or the start of the selection) and how many characters are selected.
struct CodeBoxState {
  CodeBox box = CodeBox::kHex;
  size_t length = 0, position = 0, selected = 0;
};

// What a code box does with typed or pasted input: `text` goes into `box`, in place of
// its whole text when `newCode`, else at the cursor in place of the selection. Without
// text nothing happens.
struct CodeBoxInput {
  CodeBox box = CodeBox::kHex;
  bool newCode = false;
  std::string text;
};

// A typed character other than Backspace (which the box applies itself), through the
// box's key filter at the position where it lands. Typed into a complete code with
// nothing selected it starts a new code.
CodeBoxInput TypedIntoCodeBox(const CodeBoxState& box, int KeyAscii);

// Pasted code page 1251 text goes in as if typed: blanks and line breaks around it are
// dropped, then every character must pass the key filter where it lands, and all must
// fit, or nothing happens (so a word or a whole result line changes nothing). A letter
// form pasted into the hex box, and four hex digits pasted over the whole letter box,
// go to the other box as a new code.
CodeBoxInput PastedIntoCodeBox(const CodeBoxState& box, std::string_view pasted);

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

// A shown result as one line for the clipboard: the letter form, a tab, the description
// (or why there is none), a tab, the second text (or the absent code's range, or the
// problem with the database); tabs and line breaks inside a text become blanks.
std::string ResultLine(std::string_view letterForm, const FindDisplay& shown);

// Writes an empty database at `path` when nothing at all is there, as the lookup window
// does for the main database before it opens. A path that holds anything (a damaged or
// foreign file, a folder, an unreadable file, a dangling link) is left alone: reading it
// reports the problem. `created` tells whether a new file was written.
Status CreateMissingDatabase(const std::string& path, bool* created = nullptr);

}  // namespace vestral
