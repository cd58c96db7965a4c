#pragma once

#include <string>
#include <string_view>

namespace vestral {

// The lookup window's two code boxes as input meets them: their key filters, and what a
// typed character or pasted text does.

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

}  // namespace vestral
