#include "platform/codepage.h"

#include <gtest/gtest.h>

namespace vestral {
namespace {

// Qt's codec judges the table itself (codepage_qt_test); here every byte comes back from
// UTF-8, apart from the unassigned 0x98 (U+0098), which a system text shows as '?'.
TEST(CodePage, EveryByteComesBackFromUtf8) {
  for (int b = 1; b < 256; ++b) {
    std::string utf8;
    AppendUtf8(utf8, Cp1251ToUnicode(static_cast<unsigned char>(b)));
    EXPECT_EQ(Utf8ToCp1251(utf8), std::string(1, b == 0x98 ? '?' : static_cast<char>(b))) << b;
  }
}

// Each limit of a well-formed sequence, from both sides.
TEST(DecodeUtf8, TakesOnlyTheShortestFormOfACodePoint) {
  const std::pair<std::string_view, char32_t> valid[] = {
      {"\xC2\x80", 0x80},
      {"\xDF\xBF", 0x7FF},
      {"\xE0\xA0\x80", 0x800},
      {"\xED\x9F\xBF", 0xD7FF},
      {"\xEE\x80\x80", 0xE000},
      {"\xF0\x90\x80\x80", 0x10000},
      {"\xF4\x8F\xBF\xBF", 0x10FFFF},
  };
  for (const auto& [bytes, expected] : valid) {
    char32_t c = 0;
    EXPECT_EQ(DecodeUtf8(std::string(bytes) + "\x80", c), bytes.size()) << bytes;
    EXPECT_EQ(c, expected) << bytes;
  }
  for (std::string_view bad :
       {"", "\x80", "\xC0\x80", "\xC1\xBF", "\xE0\x80\x80", "\xE0\x9F\xBF", "\xED\xA0\x80",
        "\xED\xBF\xBF", "\xF0\x80\x80\x80", "\xF0\x8F\xBF\xBF", "\xF4\x90\x80\x80",
        "\xF7\xBF\xBF\xBF", "\xF8\x88\x80\x80\x80", "\xE2\x82", "\xD0\x41", "\xE2\x82\xC0"}) {
    char32_t c = 0;
    EXPECT_EQ(DecodeUtf8(bad, c), 0u) << bad;
  }
  char32_t c = 0;
  EXPECT_EQ(DecodeUtf8(std::string_view("\xE2\x82\xAC", 2), c), 0u) << "the view ends first";
  EXPECT_TRUE(LooksLikeUtf8("ok \xD0\x94\xD0\xB0"));
  for (const char* no : {"plain ASCII", "\xC4\xE0\xF2\xF7\xE8\xEA", "\xD0\x94\xD0", "\xC0\x80"})
    EXPECT_FALSE(LooksLikeUtf8(no)) << no;
}

// A character the code page lacks becomes '?'; bytes that are no UTF-8 stay: code page
// 1251 already ("Датчик"), a cut sequence, an overlong '/', a surrogate.
TEST(CodePage, Utf8BecomesCodePage1251AndEverythingElseIsKept) {
  EXPECT_EQ(Utf8ToCp1251("/tmp/\xD0\x81\xD0\xBB \xE2\x84\x96 \xE4\xB8\xAD\xF0\x9F\x98\x80."),
            "/tmp/\xA8\xEB \xB9 ??.");
  const std::string kept = "\xC4\xE0\xF2\xF7\xE8\xEA x\xD0 \xC0\xAF \xED\xA0\x80";
  EXPECT_EQ(Utf8ToCp1251(kept), kept);
}

// A word typed to search for converts only when every character has its byte.
TEST(CodePage, ExactConversionRefusesWhatTheCodePageLacks) {
  std::string out = "kept";
  EXPECT_TRUE(Utf8ToCp1251Exactly("a?\xD0\x81\xC2\x98", out));  // "a?Ё" and U+0098
  EXPECT_EQ(out, "a?\xA8\x98");
  for (const char* unfit : {"a\xE4\xB8\xAD", "\xC4\xE0", "x\xD0"}) {  // CJK, no UTF-8
    EXPECT_FALSE(Utf8ToCp1251Exactly(unfit, out)) << unfit;
    EXPECT_EQ(out, "a?\xA8\x98");
    EXPECT_EQ(FirstNotInCp1251(unfit), unfit[0] == '\xC4' ? 0u : 1u) << unfit;
  }
  EXPECT_EQ(FirstNotInCp1251("\xD0\x81\xC2\x98"), std::string_view::npos);
}

}  // namespace
}  // namespace vestral
