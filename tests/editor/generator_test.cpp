#include "editor/generator.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "editor/checker.h"
#include "lookup/code_range.h"
#include "support/coloured_log.h"
#include "support/entries.h"
#include "support/temp_dir.h"

namespace vestral {
namespace {

using testing::ColouredLog;
using testing::entry;
using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

TEST(ParseSourceLine, TakesTheLineApartOrRefusesAHeadThatIsNotFiveCharacters) {
  const std::string nul(
      "P0\0"
      "00 a\0b|\0c",
      12);
  const struct {
    std::string line;
    std::string parts;  // letter, code, text, extension joined by '/'; "" for refused
  } cases[] = {
      {"P0100 abc", "P/0100/abc/"},
      {"B1001 abc| def", "B/1001/abc/def"},
      {"C0035 abc | def", "C/0035/abc /def"},  // the collector's layout: the blank stays
      {"B1001 abc|def", "B/1001/abc/ef"},      // whatever stands behind the bar is dropped
      {"U0100 a|b|c", "U/0100/a/|c"},
      {"P0100 ", "P/0100//"},
      {"P0100 | x", "P/0100//x"},
      {"P0100  two  blanks  ", "P/0100/ two  blanks  /"},
      {"X0100 letter is checked later", "X/0100/letter is checked later/"},
      {"P\t\t00 tabs are ordinary", "P/\t\t00/tabs are ordinary/"},
      {nul, std::string("P/0\0"
                        "00/a\0b/c",
                        12)},
      {"P010 abc", ""},
      {"P01000 abc", ""},
      {" P0100 abc", ""},
      {"P0100", ""},
      {"", ""},
      {"P0100\tabc", ""},
      {"P0100|abc", ""},
  };
  for (const auto& c : cases) {
    SourceLine out;
    const bool taken = ParseSourceLine(c.line, out);
    const std::string parts = std::string(1, out.letter) + "/" + std::string(out.code) + "/" +
                              std::string(out.text) + "/" + std::string(out.extension);
    EXPECT_EQ(taken ? parts : "", c.parts) << "'" << c.line << "'";
  }
}

TEST(SplitSourceLines, EndsLinesAtCrCrLfAndLf) {
  const std::pair<std::string, std::vector<std::string>> cases[] = {
      {"", {}},
      {"a", {"a"}},
      {"a\rb\nc\r\nd", {"a", "b", "c", "d"}},
      {"a\r\n\r\n", {"a", ""}},
      {"\r\n", {""}},
      {"a\n\rb", {"a", "", "b"}},
      {"a\r\r\nb", {"a", "", "b"}},
      {std::string("a\0b\r\n\0", 6), {std::string("a\0b", 3), std::string(1, '\0')}},
  };
  for (const auto& [text, lines] : cases) {
    const std::vector<std::string_view> got = SplitSourceLines(text);
    EXPECT_EQ(std::vector<std::string>(got.begin(), got.end()), lines) << text.size() << " bytes";
  }
}

// ---------------------------------------------------------------- whole runs

const std::string kHead = "[10]LOG v. 1.0\n";
const std::string kCreate =
    "[15]Create new database\tOK\n[6]B - base positions 0\n"
    "C - base positions 0\nP - base positions 0\nU - base positions 0\n"
    "[9]" +
    std::string(kBeginBanner) + "\n";
std::string counts(int p, int c, const char* word) {
  return "[15]P:" + std::to_string(p) + "\tC:" + std::to_string(c) + "\tB:0\tU:0\t" + word + "\n";
}
std::string lineError(const std::string& text, int line) {
  return "[12]" + text + " See line " + std::to_string(line) + " of source file.\nDone";
}
const std::string kLench = "Source error. Code lench is missing.";

// Every run as the log shows it, what it answers and what it leaves in the destination.
TEST(Generate, RunsLogEveryStepAndLeaveTheDestinationAsTheyReport) {
  TempDir dir;
  const std::string src = dir.file("codes.txt"), dst = dir.file("out.DAT");
  const std::string old = "old bytes that are not a database";
  const std::string longText(65536, 'x'), longest(65535, 't');
  DtcDatabase three = EmptyDatabase(), longestDb = EmptyDatabase();
  three.P.Entries = {DtcEntry{}, entry("0100", "abc"), entry("0100", "twice")};
  three.C.Entries = {DtcEntry{}, entry("0035", "abc ", "def")};
  longestDb.P.Entries.push_back(entry("0100", longest, longest));
  std::string emptyBytes, threeBytes, longestBytes;
  ASSERT_TRUE(SerializeDatabase(EmptyDatabase(), emptyBytes).ok());
  ASSERT_TRUE(SerializeDatabase(three, threeBytes).ok());
  ASSERT_TRUE(SerializeDatabase(longestDb, longestBytes).ok());
  const std::string done = "[15]Created database file \"" + dst + "\"\n[12]Done";
  const std::string end = std::string(kEndBanner) + "\n";
  const std::string erase = "[8]" + std::string(kEraseQuery) + "\t";

  const struct {
    const char* name;
    std::string source;
    bool destExists;
    Button answer;
    std::string log;
    std::string dest;  // the destination's bytes afterwards; "-" for none
    int entries;
  } cases[] = {
      {"clean", "P0100 abc\r\nC0035 abc | def\r\nP0100 twice\r\n", false, Button::No,
       kHead + kCreate + counts(1, 0, "[9]Ok") + counts(1, 1, "[14]Extend") +
           counts(2, 1, "[9]Ok") + end + done,
       threeBytes, 3},
      {"declined", "P0100 abc\r\n", true, Button::No, kHead + erase + "[15]Abort[12]Done", old, 0},
      {"replaced", "P0100 abc\r\nC0035 abc | def\r\nP0100 twice", true, Button::Yes,
       kHead + erase + "[11]Erase file\n" + kCreate + counts(1, 0, "[9]Ok") +
           counts(1, 1, "[14]Extend") + counts(2, 1, "[9]Ok") + end + done,
       threeBytes, 3},
      {"longest texts", "P0100 " + longest + "|_" + longest, false, Button::No,
       kHead + kCreate + counts(1, 0, "[14]Extend") + "[9]" + end + done, longestBytes, 1},
      {"short head", "P010 abc\r\n", false, Button::No, kHead + kCreate + lineError(kLench, 1),
       emptyBytes, 0},
      {"blank first", " P0100 abc\r\n", false, Button::No, kHead + kCreate + lineError(kLench, 1),
       emptyBytes, 0},
      {"empty line", "P0100 a\r\n\r\nP0101 b\r\n", false, Button::No,
       kHead + kCreate + counts(1, 0, "[9]Ok") + lineError(kLench, 2), emptyBytes, 0},
      {"empty last line", "P0100 a\r\nC0101 b\r\n\r\n", false, Button::No,
       kHead + kCreate + counts(1, 0, "[9]Ok") + counts(1, 1, "[9]Ok") + lineError(kLench, 3),
       emptyBytes, 0},
      {"long text", "P0100 a\r\nP0101 " + longText + "\r\n", false, Button::No,
       kHead + kCreate + counts(1, 0, "[9]Ok") +
           lineError("Source error. Description is longer than 65535 bytes.", 2),
       emptyBytes, 0},
      {"long extension", "P0100 a|_" + longText + "\r\n", false, Button::No,
       kHead + kCreate + lineError("Source error. Extension is longer than 65535 bytes.", 1),
       emptyBytes, 0},
      {"no such table", "P0100 a\r\nC0100 b\r\nX0100 abc\r\n", false, Button::No,
       kHead + kCreate + counts(1, 0, "[9]Ok") + counts(1, 1, "[9]Ok") +
           lineError("Script error. This database absense in database.", 3),
       emptyBytes, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove(dst);
    if (c.destExists) WriteBytes(dst, old);
    WriteBytes(src, c.source);
    RecordingSink log;
    ScriptedQuestions questions{c.answer};
    const GenerateResult r = Generate(src, dst, log, questions);
    EXPECT_EQ(ColouredLog(log), c.log);
    EXPECT_EQ(r.done(), c.entries > 0);
    EXPECT_EQ(r.declined, c.answer == Button::No && c.destExists);
    EXPECT_FALSE(r.sourceUnreadable);
    EXPECT_EQ(r.entries, c.entries);
    EXPECT_EQ(ReadBytes(dst), c.dest);
    const bool asks = c.destExists || c.log.find("absense") != std::string::npos;
    EXPECT_EQ(questions.asked().size(), asks ? 1u : 0u);
  }
}

TEST(Generate, QuestionsAreTheRewriteAndTheMissingTable) {
  TempDir dir;
  const std::string src = dir.file("codes.txt"), dst = dir.file("out.DAT");
  WriteBytes(src, "P0100 a\r\np0100 b\r\n");
  WriteBytes(dst, "old");
  RecordingSink log;
  ScriptedQuestions questions{Button::Yes};
  EXPECT_FALSE(Generate(src, dst, log, questions).done());
  ASSERT_EQ(questions.asked().size(), 2u);
  const MessageBox& rewrite = questions.asked()[0];
  EXPECT_EQ(rewrite.text, "File already exist, rewrite it?");
  EXPECT_EQ(rewrite.buttons, (std::vector<Button>{Button::Yes, Button::No}));
  EXPECT_EQ(rewrite.defaultButton, Button::No);
  EXPECT_EQ(rewrite.icon, Icon::Question);
  const MessageBox& table = questions.asked()[1];
  EXPECT_EQ(table.text, "No table in the database [p] on line 2");
  EXPECT_EQ(table.buttons, std::vector<Button>{Button::Ok});
  EXPECT_EQ(table.icon, Icon::Critical);
  EXPECT_EQ(table.title, "");
}

// A source that cannot be read, or that is the destination, leaves every file alone.
TEST(Generate, AnUnusableSourceChangesNothing) {
  TempDir dir;
  const std::string src = dir.file("codes.txt");
  WriteBytes(src, "P0100 abc\r\n");
  const struct {
    std::string source, dest, log;
    bool unreadable;
  } cases[] = {
      {dir.file("none.txt"), dir.file("out.DAT"), "[15]Source file not found\n[12]Done", true},
      {dir.path(), dir.file("out.DAT"), "[15]Source file not found\n[12]Done", true},
      {src, src, "[12]\"" + src + "\" is the source file itself; choose another destination\nDone",
       false},
  };
  for (const auto& c : cases) {
    RecordingSink log;
    ScriptedQuestions questions;
    const GenerateResult r = Generate(c.source, c.dest, log, questions);
    EXPECT_EQ(ColouredLog(log), kHead + c.log);
    EXPECT_FALSE(r.done());
    EXPECT_EQ(r.sourceUnreadable, c.unreadable);
    EXPECT_THAT(r.status.message(), ::testing::HasSubstr(c.source));
    EXPECT_TRUE(questions.asked().empty());
    EXPECT_FALSE(std::filesystem::exists(dir.file("out.DAT")));
    EXPECT_EQ(ReadBytes(src), "P0100 abc\r\n");
  }
}

// What a maintainer wants of the shipped data: it generates, the checker removes
// nothing, every code is generic and carries both texts.
TEST(ShippedCodeSet, GeneratesACleanDatabaseOfGenericCodesEachWithBothTexts) {
  TempDir dir;
  const std::string dst = dir.file("codes.DAT");
  RecordingSink log;
  ScriptedQuestions questions;
  const GenerateResult r = Generate(VESTRAL_CODE_SET, dst, log, questions);
  ASSERT_TRUE(r.done()) << log.lines();
  DtcDatabase db;
  ASSERT_TRUE(ReadDatabase(dst, db).ok());
  int32_t entries = 0;
  for (char letter : {'P', 'C', 'B', 'U'}) {
    const DtcTable& t = *db.table(letter);
    for (int32_t i = 1; i <= t.upperBound(); ++i, ++entries) {
      const std::string code = letter + std::string(t.Entries[i].code());
      EXPECT_EQ(RangeOfCode(code), CodeRange::Generic) << code;
      EXPECT_FALSE(t.Entries[i].Text.empty()) << code;
      EXPECT_FALSE(t.Entries[i].Extension.empty()) << code;
    }
  }
  EXPECT_EQ(r.entries, entries);
  EXPECT_EQ(static_cast<size_t>(entries), SplitSourceLines(ReadBytes(VESTRAL_CODE_SET)).size());
  EXPECT_GE(entries, 3000);
  RecordingSink checkLog;
  EXPECT_EQ(CheckDatabase(db, checkLog).removed, 0);
}

}  // namespace
}  // namespace vestral
