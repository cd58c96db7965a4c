#include "platform/codepage.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace vestral {
namespace {

// Both directions share one table: every assigned byte goes out as UTF-8 and comes
// back as itself.
TEST(CodePage, EveryAssignedByteSurvivesTheRoundTrip) {
  for (int b = 1; b < 256; ++b) {
    const char32_t c = Cp1251ToUnicode(static_cast<unsigned char>(b));
    if (b == 0x98) {
      EXPECT_EQ(c, 0u);
      continue;
    }
    std::string utf8;
    AppendUtf8(utf8, c);
    EXPECT_EQ(Utf8ToCp1251(utf8), std::string(1, static_cast<char>(b))) << "byte " << b;
  }
}

TEST(CodePage, Utf8BecomesCodePage1251AndEverythingElseIsKept) {
  const std::pair<std::string, std::string> cases[] = {
      {"plain ASCII /tmp/a.DAT", "plain ASCII /tmp/a.DAT"},
      // "Ёлка №5 Ђ€", then the ends of the Cyrillic alphabet
      {"\xD0\x81\xD0\xBB\xD0\xBA\xD0\xB0 \xE2\x84\x96"
       "5 \xD0\x82\xE2\x82\xAC",
       "\xA8\xEB\xEA\xE0 \xB9"
       "5 \x80\x88"},
      {"\xD0\x90\xD1\x8F", "\xC0\xFF"},
      // Outside the code page: CJK, an emoji.
      {"a\xE4\xB8\xAD"
       "b\xF0\x9F\x98\x80"
       "c",
       "a?b?c"},
      // Already code page 1251 ("Датчик"), a cut sequence, an overlong '/', a surrogate.
      {"\xC4\xE0\xF2\xF7\xE8\xEA", "\xC4\xE0\xF2\xF7\xE8\xEA"},
      {"x\xD0", "x\xD0"},
      {"\xC0\xAF", "\xC0\xAF"},
      {"\xED\xA0\x80", "\xED\xA0\x80"},
  };
  for (const auto& [in, out] : cases) {
    SCOPED_TRACE(in);
    EXPECT_EQ(Utf8ToCp1251(in), out);
  }
}

// A word typed to search for converts only when every character has its byte.
TEST(CodePage, ExactConversionRefusesWhatTheCodePageLacks) {
  std::string out = "kept";
  EXPECT_TRUE(Utf8ToCp1251Exactly("a?\xD0\x81\xC2\x98", out));  // "a?Ё" and U+0098
  EXPECT_EQ(out, "a?\xA8\x98");
  for (const char* unfit : {"a\xE4\xB8\xAD", "\xC4\xE0", "x\xD0"}) {  // CJK, no UTF-8
    EXPECT_FALSE(Utf8ToCp1251Exactly(unfit, out)) << unfit;
    EXPECT_EQ(out, "a?\xA8\x98");
  }
}

}  // namespace
}  // namespace vestral
