#include "editor/linter.h"

#include <gtest/gtest.h>

#include "support/entries.h"

namespace vestral {
namespace {

using namespace std::literals;
using testing::entry;
using Findings = std::vector<std::string>;

// Every finding as it comes, and whether UTF-8 was told before the first of them.
struct Collected : LintReport {
  std::vector<LintFinding> all;
  std::string utf8;
  void convertedFromUtf8() override { utf8 = all.empty() ? "UTF-8" : "UTF-8 late"; }
  void add(const LintFinding& f) override { all.push_back(f); }
};

// "line N" for a source, table letter and position, kind; for each finding in order.
Findings summary(const Collected& found) {
  Findings out;
  if (!found.utf8.empty()) out.push_back(found.utf8);
  for (const LintFinding& f : found.all) {
    std::string s = f.line ? "line " + std::to_string(f.line) + " " : "";
    if (f.table) s += f.table + std::to_string(f.position) + " ";
    out.push_back(s + LintKindName(f.kind));
  }
  return out;
}

TEST(LintSource, ReportsWhatTheGeneratorWouldStoreAndWhereItWouldStop) {
  const std::string stops = " source line the generator stops at", bad = " malformed code",
                    removed = " removed by the checker",
                    blank = " blank at the start or end of a text",
                    control = " control character in a text",
                    notText = "source file not in code page 1251";
  const std::pair<std::string, Findings> cases[] = {
      {"P0100 Mass air flow\r\nC0035 Wheel speed| \xE4\xE0\xF2\xF7\xE8\xEA\r\n", {}},
      {"P0100 a\nB0100 b\nP0100 c\nP0101 d\n", {"line 3 P2 duplicate code"}},
      {"P0a80 a\nP0a80 b\n", {"line 1 P1" + bad, "line 2 P2 duplicate code", "line 2 P2" + bad}},
      {"P003a a\nPO035 b\nP0042 \nP4100 d\nP0G00 e\nP30F9 f\n",
       {"line 1 P1" + bad, "line 2 P2" + bad, "line 2 P2" + removed, "line 3 P3" + removed,
        "line 4 P4" + bad, "line 4 P4" + removed, "line 5 P5" + bad}},
      {"P0041 a \nP0042 a|  b\nP0043  a\n",
       {"line 1 P1" + blank, "line 2 P2" + blank, "line 3 P3" + blank}},
      {"P0041 a\tb\nP0042 a| \x7F\nP0043 a\x1F\x7E\n",
       {"line 1 P1" + control, "line 2 P2" + control, "line 3 P3" + control}},
      {"P0100 a\n\nP010 a\nX0100 b\n", {"line 2" + stops, "line 3" + stops, "line 4" + stops}},
      {"P0100 " + std::string(65536, 'x'), {"line 1 P0" + stops}},
      {"P0100 \xD0\x94\xD0\xB0\n", {"UTF-8"}},
      {"\xEF\xBB\xBFP0100 a \nP0101 \xE6\x97\xA5\nP0102 b\n",
       {"UTF-8", "line 1 P1" + blank, "line 2" + stops}},
      {"P0100 a\x98\n", {notText}},
      {"P0100 a\0b\n"s, {notText, "line 1 P1" + control}},
  };
  for (const auto& [text, expected] : cases) {
    Collected found;
    LintSourceBytes(text, found);
    EXPECT_EQ(summary(found), expected) << text.substr(0, 40);
  }
}

// Tables P, C, B, U in position order; a code may stand once in each table.
TEST(LintDatabase, WalksEveryTableAndNamesTheFirstPositionOfADuplicate) {
  DtcDatabase db = EmptyDatabase();
  db.U.Entries.push_back(entry("0100", "\xD0\x94\xD0\xB0"));
  db.B.Entries.push_back(entry("0100", ""));
  db.P.Entries.push_back(entry("0100", "p"));
  db.C = testing::tableOf({entry("0100", "a", "x|y"), entry("0101", "b|c", "d"), entry("0100", "f"),
                           DtcEntry{{}, "g", ""}});
  DatabaseFile file;
  Collected found;
  LintDatabase(testing::InPlace(db, file), found);
  EXPECT_EQ(summary(found),
            (Findings{"C2 \"|\" in a description", "C3 duplicate code", "C4 malformed code",
                      "C4 removed by the checker", "B1 removed by the checker",
                      "U1 UTF-8 stored as code page 1251"}));
  EXPECT_NE(found.all[1].detail.find("position 1;"), std::string::npos) << found.all[1].detail;
}

// The file routine's errors come through; the shipped code set is clean.
TEST(LintSource, ReadsAFileAsItsBytes) {
  Collected found;
  EXPECT_FALSE(LintSource("/no/such/file", found).ok());
  ASSERT_TRUE(LintSource(VESTRAL_CODE_SET, found).ok());
  EXPECT_EQ(summary(found), Findings{});
}

}  // namespace
}  // namespace vestral
