#include "editor/linter.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/entries.h"
#include "support/temp_dir.h"

namespace vestral {
namespace {

using testing::entry;

// "table position code kind" for each finding, in order.
std::vector<std::string> summary(const std::vector<LintFinding>& findings) {
  std::vector<std::string> out;
  for (const LintFinding& f : findings) {
    std::string s;
    if (f.line) s += "line " + std::to_string(f.line) + " ";
    if (f.table) s += std::string(1, f.table) + std::to_string(f.position) + " ";
    s += LintKindName(f.kind);
    out.push_back(s);
  }
  return out;
}

using Findings = std::vector<std::string>;

struct DatabaseCase {
  const char* name;
  DtcEntry planted;  // appended to table C after two clean entries
  Findings expected;
};

TEST(LintDatabase, ReportsExactlyThePlantedFaults) {
  const std::string utf8Datchik = "\xD0\x94\xD0\xB0\xD1\x82\xD1\x87\xD0\xB8\xD0\xBA";
  const DatabaseCase cases[] = {
      {"clean", entry("0036", "Right front wheel speed sensor", "\xE4\xE0\xF2\xF7\xE8\xEA"), {}},
      {"duplicate", entry("0035", "Again"), {"C3 duplicate code"}},
      {"lower-case hex", entry("003a", "Text"), {"C3 malformed code"}},
      {"letter O for zero",
       entry("O035", "Text"),
       {"C3 malformed code", "C3 removed by the checker"}},
      {"empty text", entry("0042", ""), {"C3 removed by the checker"}},
      {"unassigned code",
       DtcEntry{{}, "x", ""},
       {"C3 malformed code", "C3 removed by the checker"}},
      {"trailing blank", entry("0041", "Text "), {"C3 blank at the start or end of a text"}},
      {"tab", entry("0041", "Te\txt"), {"C3 control character in a text"}},
      {"bar", entry("0041", "a|b"), {"C3 \"|\" in a description"}},
      {"bar in extension is fine", entry("0041", "a", "b|c"), {}},
      {"mojibake", entry("0041", utf8Datchik), {"C3 UTF-8 stored as code page 1251"}},
  };
  for (const DatabaseCase& c : cases) {
    DtcDatabase db = EmptyDatabase();
    db.C.Entries.push_back(entry("0035", "Left front wheel speed sensor"));
    db.C.Entries.push_back(entry("0040", "Right front wheel speed sensor", "abc"));
    db.C.Entries.push_back(c.planted);
    db.P.Entries.push_back(entry("0035", "Same code in another table is fine"));
    DatabaseFile file;
    EXPECT_EQ(summary(LintDatabase(testing::InPlace(db, file))), c.expected) << c.name;
  }
}

TEST(LintDatabase, DuplicateNamesBothPositions) {
  DtcDatabase db = EmptyDatabase();
  for (const char* code : {"0100", "0101", "0100", "0100"})
    db.P.Entries.push_back(entry(code, "t"));
  DatabaseFile file;
  const auto findings = LintDatabase(testing::InPlace(db, file));
  ASSERT_EQ(summary(findings), (Findings{"P3 duplicate code", "P4 duplicate code"}));
  EXPECT_NE(findings[0].detail.find("position 1"), std::string::npos);
  EXPECT_NE(findings[1].detail.find("position 1"), std::string::npos);
}

TEST(LooksLikeUtf8, TellsUtf8FromCp1251Cyrillic) {
  EXPECT_TRUE(LooksLikeUtf8("\xD0\x94\xD0\xB0\xD1\x82"));
  EXPECT_FALSE(LooksLikeUtf8("plain ASCII"));
  EXPECT_FALSE(LooksLikeUtf8("\xC4\xE0\xF2\xF7\xE8\xEA"));  // Датчик in code page 1251
  EXPECT_FALSE(LooksLikeUtf8("\xD0"));                      // cut short
  EXPECT_FALSE(LooksLikeUtf8("\xC0\x80"));                  // overlong
  EXPECT_FALSE(LooksLikeUtf8("\xED\xA0\x80"));              // a surrogate
}

struct SourceCase {
  const char* name;
  std::string text;
  Findings expected;
};

TEST(LintSource, ReportsLinesAsTheGeneratorWouldReadThem) {
  const SourceCase cases[] = {
      {"clean CR LF", "P0100 Mass air flow\r\nC0035 Wheel speed| \xE4\xE0\xF2\xF7\xE8\xEA\r\n", {}},
      {"empty line", "P0100 a\r\n\r\nP0101 b\r\n", {"line 2 source line the generator stops at"}},
      {"short head and bad letter",
       "P010 a\r\nX0100 b\r\nP0100 c\r\n",
       {"line 1 source line the generator stops at", "line 2 source line the generator stops at"}},
      {"duplicate with positions",
       "P0100 a\r\nB0100 b\r\nP0100 c\r\n",
       {"line 3 P2 duplicate code"}},
      {"trailing blank before bar",
       "P0100 a | b\r\n",
       {"line 1 P1 blank at the start or end of a text"}},
      {"utf-8 file",
       "P0100 \xD0\x94\xD0\xB0\xD1\x82\xD1\x87\xD0\xB8\xD0\xBA\r\n",
       {"source file not in code page 1251", "line 1 P1 UTF-8 stored as code page 1251"}},
      {"binary",
       std::string("P0100 a\0b\r\n", 11),
       {"source file not in code page 1251", "line 1 P1 control character in a text"}},
  };
  for (const SourceCase& c : cases)
    EXPECT_EQ(summary(LintSourceBytes(c.text)), c.expected) << c.name;
}

TEST(LintSource, TheShippedCodeSetIsClean) {
  std::vector<LintFinding> findings;
  const Status s = LintSource(VESTRAL_CODE_SET, findings);
  ASSERT_TRUE(s.ok()) << s.ToString();
  EXPECT_EQ(summary(findings), Findings{});
}

}  // namespace
}  // namespace vestral
