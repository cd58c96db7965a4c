#include "cli/code_argument.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace vestral {
namespace {

// Hex and letter forms in any case become the upper-case letter form; anything else is
// refused, naming the fault.
TEST(CodeArgument, TakesTheHexOrLetterFormOrNamesTheFault) {
  const std::pair<const char*, const char*> cases[] = {
      {"0a80", "P0A80"},
      {"ffff", "U3FFF"},
      {"p0100", "P0100"},
      {"U1a2B", "U1A2B"},
      {"",
       "it has 0 characters; a code has 4 (hex form, such as 0100) or 5 (letter form, such "
       "as P0100)"},
      {"010", "it has 3 characters"},
      {"Р", "it has 1 character;"},  // Cyrillic
      {"01O0",
       "character 3 'O' is not a hex digit 0-9, A-F (the letter O where the digit 0 "
       "belongs?)"},
      {"P01o0", "character 4 'o' is not a hex digit 0-9, A-F (the letter O"},
      {"PO100", "character 2 'O' is not a digit 0-3 (the letter O"},
      {"P4100", "character 2 '4' is not a digit 0-3"},
      {"X0100", "character 1 'X' is not a system letter P, C, B or U"},
      {"Р0100", "character 1 'Р' is not a system letter"},  // Cyrillic
      {"01\t0", "character 3 '?' is not a hex digit"},
  };
  for (const auto& [typed, expected] : cases) {
    const CodeArgument r = ParseCodeArgument(typed);
    EXPECT_THAT(r.letterForm + r.problem, ::testing::StartsWith(expected)) << typed;
    EXPECT_TRUE(r.letterForm.empty() != r.problem.empty()) << typed;
  }
}

TEST(CodeArgument, QuotedInputHidesControlCharactersAndCutsLongTexts) {
  EXPECT_EQ(QuotedInput("a\x1b[31mb\x7F\xC2\x9B"), "\"a?[31mb??\"");  // the last a C1 control
  // Bytes that are no UTF-8 (an overlong form among them), then "Р".
  EXPECT_EQ(QuotedInput("\xFF\xC0\x80\xD0\xA0"), "\"\xEF\xBF\xBD\xEF\xBF\xBD\xD0\xA0\"");
  const std::string cyrillic =
      "РРРРРРРРРРРРРРРРРРРРРРРРРРРРРРРРРРРРРРРРРРРРРРРРРР";  // 50, two bytes each
  EXPECT_EQ(QuotedInput(cyrillic), "\"" + cyrillic.substr(0, 80) + "...\" (50 characters)");
  EXPECT_EQ(QuotedInput(std::string(40, 'x')), "\"" + std::string(40, 'x') + "\"");
}

}  // namespace
}  // namespace vestral
