#include "cli/code_argument.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace vestral {
namespace {

using ::testing::HasSubstr;

struct Accepted {
  const char* typed;
  const char* letterForm;
};

TEST(CodeArgument, HexAndLetterFormsAnyCaseBecomeUpperCaseLetterForm) {
  const Accepted cases[] = {
      {"0100", "P0100"},  {"0a80", "P0A80"},  {"4123", "C0123"},  {"8abc", "B0ABC"},
      {"C123", "U0123"},  {"ffff", "U3FFF"},  {"P0100", "P0100"}, {"p0100", "P0100"},
      {"c3fff", "C3FFF"}, {"b0abc", "B0ABC"}, {"U1a2B", "U1A2B"},
  };
  for (const Accepted& c : cases) {
    const CodeArgument r = ParseCodeArgument(c.typed);
    EXPECT_TRUE(r.ok()) << c.typed << ": " << r.problem;
    EXPECT_EQ(r.letterForm, c.letterForm) << c.typed;
  }
}

struct Refused {
  const char* typed;
  const char* problem;
};

TEST(CodeArgument, AnythingElseIsRefusedNamingTheFault) {
  const Refused cases[] = {
      {"", "it has 0 characters"},
      {"010", "it has 3 characters"},
      {"P01000", "it has 6 characters"},
      {"01O0", "character 3 'O' is not a hex digit"},
      {"P01O0", "(the letter O where the digit 0 belongs?)"},
      {"PO100", "character 2 'O' is not a digit 0-3"},
      {"P4100", "character 2 '4' is not a digit 0-3"},
      {"X0100", "character 1 'X' is not a system letter P, C, B or U"},
      {"00100", "character 1 '0' is not a system letter"},
      {"P 100", "character 2 ' ' is not a digit 0-3"},
      {"P0G00", "character 3 'G' is not a hex digit"},
      {"01g0", "character 3 'g' is not a hex digit"},
      // A Cyrillic letter that looks like P is one character, named as typed.
      {"\xD0\xA0"
       "0100",
       "character 1 '\xD0\xA0' is not a system letter"},
      {"01\t0", "character 3 '?' is not a hex digit"},
  };
  for (const Refused& c : cases) {
    const CodeArgument r = ParseCodeArgument(c.typed);
    EXPECT_FALSE(r.ok()) << c.typed;
    EXPECT_THAT(r.problem, HasSubstr(c.problem)) << c.typed;
    EXPECT_TRUE(r.letterForm.empty()) << c.typed;
  }
}

TEST(CodeArgument, QuotedInputHidesControlCharactersAndCutsLongTexts) {
  EXPECT_EQ(QuotedInput("P0100"), "\"P0100\"");
  EXPECT_EQ(QuotedInput("a\x1b[31mb"), "\"a?[31mb\"");
  std::string cyrillic;  // 50 times "Р", two bytes each
  for (int i = 0; i < 50; ++i) cyrillic += "\xD0\xA0";
  EXPECT_EQ(QuotedInput(cyrillic), "\"" + cyrillic.substr(0, 80) + "...\" (50 characters)");
  EXPECT_EQ(QuotedInput(std::string(40, 'x')), "\"" + std::string(40, 'x') + "\"");
}

}  // namespace
}  // namespace vestral
