#include "editor/generator.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "database/dtc_database.h"
#include "editor/checker.h"
#include "lookup/code_range.h"
#include "support/coloured_log.h"
#include "support/entries.h"
#include "support/temp_dir.h"

namespace vestral {
namespace {

using testing::ColouredLog;
using ::testing::ElementsAreArray;
using ::testing::EndsWith;
using testing::entry;
using ::testing::HasSubstr;
using ::testing::Not;
using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

namespace fs = std::filesystem;

// ---------------------------------------------------------------- line splitting

struct ParseCase {
  std::string line;
  char letter;
  std::string code, text, extension;
};

TEST(ParseSourceLine, TakesTheLineApart) {
  const ParseCase cases[] = {
      {"P0100 abc", 'P', "0100", "abc", ""},
      {"B1001 abc| def", 'B', "1001", "abc", "def"},
      // The collector's layout: the blank before the bar stays in the text.
      {"C0035 abc | def", 'C', "0035", "abc ", "def"},
      // Whatever stands right behind the bar is dropped.
      {"B1001 abc|def", 'B', "1001", "abc", "ef"},
      {"U0100 a|b|c", 'U', "0100", "a", "|c"},
      {"P0100 ", 'P', "0100", "", ""},
      {"P0100 | x", 'P', "0100", "", "x"},
      {"P0100  two  blanks  ", 'P', "0100", " two  blanks  ", ""},
      {"PABCD abc", 'P', "ABCD", "abc", ""},
      {"X0100 letter is checked later", 'X', "0100", "letter is checked later", ""},
      {"P\t\t00 tabs are ordinary", 'P', "\t\t00", "tabs are ordinary", ""},
      {std::string("P0\0"
                   "00 a\0b|\0c",
                   12),
       'P',
       std::string("0\0"
                   "00",
                   4),
       std::string("a\0b", 3), "c"},
  };
  for (const ParseCase& c : cases) {
    SCOPED_TRACE(c.line);
    SourceLine out;
    ASSERT_TRUE(ParseSourceLine(c.line, out));
    EXPECT_EQ(out.letter, c.letter);
    EXPECT_EQ(out.code, c.code);
    EXPECT_EQ(out.text, c.text);
    EXPECT_EQ(out.extension, c.extension);
  }
}

TEST(ParseSourceLine, RefusesAHeadThatIsNotFiveCharacters) {
  for (const std::string line :
       {"P010 abc", "P01000 abc", " P0100 abc", "P0100", "", "P0100\tabc", "P0100|abc", "P"}) {
    SourceLine out;
    EXPECT_FALSE(ParseSourceLine(line, out)) << "'" << line << "'";
  }
}

TEST(SplitSourceLines, EndsLinesAtCrCrLfAndLf) {
  struct Case {
    std::string text;
    std::vector<std::string> lines;
  } cases[] = {
      {"", {}},
      {"a", {"a"}},
      {"a\r\nb", {"a", "b"}},
      {"a\rb\nc\r\nd", {"a", "b", "c", "d"}},
      {"a\r\n\r\n", {"a", ""}},
      {"\r\n", {""}},
      {"a\n\rb", {"a", "", "b"}},
      {"a\r\r\nb", {"a", "", "b"}},
      {std::string("a\0b\r\n\0", 6), {std::string("a\0b", 3), std::string(1, '\0')}},
  };
  for (const Case& c : cases) {
    const std::vector<std::string_view> got = SplitSourceLines(c.text);
    EXPECT_THAT(std::vector<std::string>(got.begin(), got.end()), ElementsAreArray(c.lines))
        << "text of " << c.text.size() << " bytes";
  }
}

// ---------------------------------------------------------------- whole runs

const std::string kEmptyBasePositions =
    "B - base positions 0\nC - base positions 0\nP - base positions 0\nU - base positions 0\n";

std::string begin() { return std::string(kBeginBanner) + "\n"; }
std::string end() { return std::string(kEndBanner) + "\n"; }

struct GenRun {
  bool ok = false;
  RecordingSink log;
  ScriptedQuestions questions;
};

class GeneratorTest : public ::testing::Test {
 protected:
  TempDir dir;  // first: the paths below are made from it
  std::string src = dir.file("codes.txt");
  std::string dst = dir.file("out.DAT");

  // A fresh destination unless `answers` are given for the overwrite question.
  GenRun generate(const std::string& text, std::initializer_list<Button> answers = {}) {
    if (answers.size() == 0) fs::remove(dst);
    WriteBytes(src, text);
    GenRun r;
    for (Button b : answers) r.questions.push(b);
    r.ok = Generate(src, dst, r.log, r.questions);
    EXPECT_FALSE(r.log.running()) << "every run ends with DONE";
    return r;
  }
  DtcDatabase readBack() {
    DtcDatabase db;
    EXPECT_TRUE(ReadDatabase(dst, db).ok());
    return db;
  }
};

TEST_F(GeneratorTest, CleanRunLogsEveryStepAndWritesTheDatabase) {
  GenRun r = generate("P0100 abc\r\nC0035 abc | def\r\nP0100 twice\r\n");
  EXPECT_TRUE(r.ok);
  EXPECT_TRUE(r.questions.asked().empty());
  EXPECT_EQ(ColouredLog(r.log), "[10]LOG v. 1.0\n[15]Create new database\tOK\n[6]" +
                                    kEmptyBasePositions + "[9]" + begin() +
                                    "[15]P:1\tC:0\tB:0\tU:0\t[9]Ok\n"
                                    "[15]P:1\tC:1\tB:0\tU:0\t[14]Extend\n"
                                    "[15]P:2\tC:1\tB:0\tU:0\t[9]Ok\n" +
                                    end() + "[15]Created database file \"" + dst + "\"\n[12]Done");

  DtcDatabase want = EmptyDatabase();
  want.P.Entries = {DtcEntry{}, entry("0100", "abc"), entry("0100", "twice")};
  want.C.Entries = {DtcEntry{}, entry("0035", "abc ", "def")};
  EXPECT_EQ(readBack(), want);
}

TEST_F(GeneratorTest, ExistingDestinationIsReplacedOnlyAfterYes) {
  const std::string old = "old bytes that are not a database";
  const std::string quary = std::string(kEraseQuery) + "\t";

  WriteBytes(dst, old);
  GenRun no = generate("P0100 abc\r\n", {Button::No});
  EXPECT_FALSE(no.ok);
  EXPECT_EQ(no.log.lines(), "LOG v. 1.0\n" + quary + "AbortDone");
  EXPECT_EQ(no.log.runs()[1].color, color::kGrey);
  EXPECT_EQ(no.log.runs()[2].color, color::kBrightWhite);
  EXPECT_EQ(ReadBytes(dst), old);
  ASSERT_EQ(no.questions.asked().size(), 1u);
  const MessageBox& box = no.questions.asked()[0];
  EXPECT_EQ(box.text, "File already exist, rewrite it?");
  EXPECT_EQ(box.buttons, (std::vector<Button>{Button::Yes, Button::No}));
  EXPECT_EQ(box.defaultButton, Button::No);

  GenRun yes = generate("P0100 abc\r\n", {Button::Yes});
  EXPECT_TRUE(yes.ok);
  EXPECT_EQ(yes.log.lines(), "LOG v. 1.0\n" + quary + "Erase file\nCreate new database\tOK\n" +
                                 kEmptyBasePositions + begin() + "P:1\tC:0\tB:0\tU:0\tOk\n" +
                                 end() + "Created database file \"" + dst + "\"\nDone");
  EXPECT_EQ(yes.log.runs()[2].color, color::kLightCyan);
  EXPECT_EQ(readBack().P.Entries.at(1).Text, "abc");
}

TEST_F(GeneratorTest, MissingSourceLeavesTheDestinationAlone) {
  GenRun r;
  r.ok = Generate(dir.file("nothing.txt"), dst, r.log, r.questions);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.log.lines(), "LOG v. 1.0\nSource file not found\nDone");
  EXPECT_EQ(r.log.runs()[1].color, color::kBrightWhite);
  EXPECT_FALSE(fs::exists(dst));

  r = GenRun{};
  r.ok = Generate(dir.path(), dst, r.log, r.questions);  // a folder is no source file
  EXPECT_EQ(r.log.lines(), "LOG v. 1.0\nSource file not found\nDone");
}

// A source error stops the run at its line; what came before is never written.
TEST_F(GeneratorTest, SourceErrorsNameTheirLine) {
  const std::string lench = "Source error. Code lench is missing. See line ";
  const std::string longText(65536, 'x');
  const struct {
    std::string source;
    std::string error;
    int okLines;
  } cases[] = {
      {"P010 abc\r\n", lench + "1 of source file.", 0},
      {" P0100 abc\r\n", lench + "1 of source file.", 0},
      {"P0100 a\r\n\r\nP0101 b\r\n", lench + "2 of source file.", 1},
      {"P0100 a\r\nP0101 b\r\n\r\n", lench + "3 of source file.", 2},
      {"P0100 a\r\nP0101 " + longText + "\r\n",
       "Source error. Description is longer than 65535 bytes. See line 2 of source file.", 1},
      {"P0100 a|_" + longText + "\r\n",
       "Source error. Extension is longer than 65535 bytes. See line 1 of source file.", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.error);
    GenRun r = generate(c.source);
    EXPECT_FALSE(r.ok);
    std::string entries;
    for (int i = 1; i <= c.okLines; ++i)
      entries += "P:" + std::to_string(i) + "\tC:0\tB:0\tU:0\tOk\n";
    EXPECT_EQ(r.log.lines(), "LOG v. 1.0\nCreate new database\tOK\n" + kEmptyBasePositions +
                                 begin() + entries + c.error + "\nDone");
    EXPECT_EQ(r.log.runs().end()[-2].color, color::kLightRed);
    EXPECT_TRUE(r.questions.asked().empty());
    EXPECT_EQ(readBack(), EmptyDatabase());
  }
}

TEST_F(GeneratorTest, LongestTextsTheFileCanHoldAreStored) {
  const std::string text(65535, 't');
  GenRun r = generate("P0100 " + text + "|_" + text);
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(readBack().P.Entries.at(1).Extension, text);
}

TEST_F(GeneratorTest, UnknownTableLetterIsReportedInTheLogAndABox) {
  for (const char letter : {'p', 'X'}) {
    GenRun r = generate("P0100 a\r\nC0100 b\r\n" + std::string(1, letter) + "0100 abc\r\n");
    EXPECT_FALSE(r.ok);
    EXPECT_THAT(r.log.lines(),
                EndsWith("P:1\tC:1\tB:0\tU:0\tOk\n"
                         "Script error. This database absense in database. See line 3 of "
                         "source file.\nDone"));
    ASSERT_EQ(r.questions.asked().size(), 1u);
    const MessageBox& box = r.questions.asked()[0];
    EXPECT_EQ(box.text, "No table in the database [" + std::string(1, letter) + "] on line 3");
    EXPECT_EQ(box.buttons, std::vector<Button>{Button::Ok});
    EXPECT_EQ(box.icon, Icon::Critical);
    EXPECT_EQ(box.title, "");
    EXPECT_EQ(readBack(), EmptyDatabase());
  }
}

TEST_F(GeneratorTest, SourceIsNeverItsOwnDestination) {
  const std::string text = "P0100 abc\r\n";
  WriteBytes(src, text);
  GenRun r;
  r.ok = Generate(src, src, r.log, r.questions);
  EXPECT_FALSE(r.ok);
  EXPECT_TRUE(r.questions.asked().empty());
  EXPECT_THAT(r.log.lines(), HasSubstr("is the source file itself"));
  EXPECT_EQ(ReadBytes(src), text);
}

// ---------------------------------------------------------------- the shipped code set

// What a maintainer wants of the shipped data: it generates, the checker removes
// nothing, every code is generic and carries both texts.
TEST(ShippedCodeSet, GeneratesACleanDatabaseOfGenericCodesEachWithBothTexts) {
  TempDir dir;
  const std::string dst = dir.file("codes.DAT");
  RecordingSink log;
  ScriptedQuestions questions;
  ASSERT_TRUE(Generate(VESTRAL_CODE_SET, dst, log, questions)) << log.lines();

  DtcDatabase db;
  ASSERT_TRUE(ReadDatabase(dst, db).ok());
  size_t entries = 0;
  for (char letter : {'P', 'C', 'B', 'U'}) {
    const DtcTable& t = *db.table(letter);
    for (int32_t i = 1; i <= t.upperBound(); ++i, ++entries) {
      const std::string code = letter + std::string(t.Entries[i].code());
      EXPECT_EQ(RangeOfCode(code), CodeRange::Generic) << code;
      EXPECT_FALSE(t.Entries[i].Text.empty()) << code;
      EXPECT_FALSE(t.Entries[i].Extension.empty()) << code;
    }
  }
  EXPECT_EQ(entries, SplitSourceLines(ReadBytes(VESTRAL_CODE_SET)).size());
  EXPECT_GE(entries, 3000u);
  RecordingSink checkLog;
  EXPECT_EQ(CheckDatabase(db, checkLog).removed, 0);
}

}  // namespace
}  // namespace vestral
