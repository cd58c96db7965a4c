#include "lookup/code_boxes.h"

#include <gtest/gtest.h>

#include <string_view>

namespace vestral {
namespace {

// The characters a box lets through, in code order, and what each becomes (upper case);
// every other code, also beyond ASCII, is discarded.
TEST(KeyFilters, PassUpperCaseAndDiscardTheRest) {
  const auto passed = [](const auto& filter) {
    std::string in, out;
    for (int c = -1; c <= 256; ++c)
      if (const int up = filter(c)) in += static_cast<char>(c), out += static_cast<char>(up);
    return in + "|" + out;
  };
  EXPECT_EQ(passed(FilterHexKey), "\b0123456789ABCDEFabcdef|\b0123456789ABCDEFABCDEF");
  // The hex digits of a letter form stand in its last three places.
  for (size_t at = 0; at < 5; ++at)
    EXPECT_EQ(passed([at](int c) { return FilterLetterKey(c, at); }),
              at < 2 ? "\b 0123456789BCPUbcpu|\b 0123456789BCPUBCPU"
                     : "\b 0123456789ABCDEFPUabcdefpu|\b 0123456789ABCDEFPUABCDEFPU")
        << "at " << at;
}

// What a box does with a typed character or pasted text: the box that takes it, whether
// it starts a new code (+) or goes in at the cursor (@), the text; "" is nothing.
TEST(CodeBoxInput, TypedAndPastedTextPassTheSameFiltersWhereItLands) {
  const CodeBox hex = CodeBox::kHex, letter = CodeBox::kLetter;
  const struct {
    const char* name;
    CodeBoxState box;
    bool pasted;
    const char* input;
    const char* expected;
  } cases[] = {
      {"a hex letter where it lands", {letter, 2, 2, 0}, false, "a", "5@A"},
      {"complete hex starts anew", {hex, 4, 4, 0}, false, "1", "4+1"},
      {"complete letter starts anew", {letter, 5, 2, 0}, false, "a", ""},
      {"selection is replaced", {hex, 4, 0, 4}, false, "1", "4@1"},
      {"letter form into hex goes over", {hex, 4, 0, 4}, true, " p0a80\r\n", "5+P0A80"},
      {"hex form over whole letter box", {letter, 5, 0, 5}, true, "0a80", "4+0A80"},
      {"hex digits after a letter", {letter, 1, 1, 0}, true, "0a80", "5@0A80"},
      {"completes a hex form", {hex, 2, 2, 0}, true, "\xA0\x37\x31\t", "4@71"},  // blanks, 71
      {"complete letter box takes a new code", {letter, 5, 5, 0}, true, "c0035", "5+C0035"},
      {"too long to fit", {hex, 2, 2, 0}, true, "017", ""},
      {"a blank in hex", {hex, 0, 0, 0}, true, "01 71", ""},
      {"a result line", {hex, 0, 0, 0}, true, "P0171\tSystem too lean", ""},
      {"a backspace", {hex, 2, 2, 0}, true, "\b", ""},
  };
  for (const auto& c : cases) {
    const CodeBoxInput in = c.pasted
                                ? PastedIntoCodeBox(c.box, c.input)
                                : TypedIntoCodeBox(c.box, static_cast<unsigned char>(*c.input));
    const std::string got = in.text.empty() ? ""
                                            : (in.box == CodeBox::kHex ? "4" : "5") +
                                                  std::string(in.newCode ? "+" : "@") + in.text;
    EXPECT_EQ(got, c.expected) << c.name;
  }
}

}  // namespace
}  // namespace vestral
