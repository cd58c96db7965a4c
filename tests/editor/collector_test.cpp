#include "editor/collector.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "editor/generator.h"
#include "support/read_only_file.h"
#include "support/temp_dir.h"

namespace vestral {
namespace {

using ::testing::ElementsAre;
using ::testing::EndsWith;
using ::testing::HasSubstr;
using ::testing::Not;
using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

DtcEntry entry(std::string_view code, std::string text, std::string ext = "") {
  DtcEntry e;
  e.setCode(code);
  e.Text = std::move(text);
  e.Extension = std::move(ext);
  return e;
}

// Tables filled out of the collector's order, so the B, C, P, U walk shows.
DtcDatabase sampleDatabase() {
  DtcDatabase db = EmptyDatabase();
  db.P.Entries.push_back(entry("0100", "Mass air flow"));
  db.P.Entries.push_back(entry("0101", "\xC4\xE0\xF2\xF7\xE8\xEA", "ext"));  // cp1251
  db.P.Entries.push_back(entry("0100", "second 0100"));
  db.U.Entries.push_back(entry("0100", "Lost communication"));
  db.C.Entries.push_back(entry("0035", "", "only ext"));
  db.C.Entries.push_back(entry("0036", ""));
  return db;
}

TEST(CollectorKeyFilter, AcceptsTableLettersDigitsAndBackspaceOnly) {
  const struct {
    char key;
    std::optional<char> result;
  } cases[] = {
      {'p', 'P'},
      {'c', 'C'},
      {'b', 'B'},
      {'u', 'U'},
      {'P', 'P'},
      {'C', 'C'},
      {'B', 'B'},
      {'U', 'U'},
      {'0', '0'},
      {'9', '9'},
      {'\b', '\b'},
      {'x', std::nullopt},
      {'X', std::nullopt},
      {'a', std::nullopt},
      {' ', std::nullopt},
      {'\r', std::nullopt},
      {'\0', std::nullopt},
      {'|', std::nullopt},
      {'\xF0', std::nullopt},  // a Cyrillic letter in code page 1251
  };
  for (const auto& c : cases)
    EXPECT_EQ(FilterCodeKey(c.key), c.result) << "key " << static_cast<int>(c.key);
}

TEST(CollectorLine, FormsOfTextAndExtension) {
  const struct {
    DtcEntry e;
    std::string line;
  } cases[] = {
      {entry("0100", "abc"), "P0100 abc"},
      {entry("0100", ""), "P0100 "},
      {entry("0100", "abc", "def"), "P0100 abc | def"},
      {entry("0100", "", "def"), "P0100  | def"},
      {entry("12", "abc"), "P12   abc"},  // padding blanks are written as stored
      {DtcEntry{}, std::string("P\0\0\0\0 ", 6)},
  };
  for (const auto& c : cases) EXPECT_EQ(CollectedLine('P', c.e), c.line);
}

TEST(CollectorWholeDatabase, WritesTablesInOrderBCPUWithCrLf) {
  TempDir dir;
  const std::string out = dir.file("all.txt");
  RecordingSink log;
  ScriptedQuestions q;
  // The list must play no part when the whole database is collected.
  EXPECT_TRUE(Collect(sampleDatabase(), out, true, {"P0100", "X1234"}, log, q));
  EXPECT_TRUE(q.asked().empty());
  EXPECT_EQ(ReadBytes(out),
            "C0035  | only ext\r\n"
            "C0036 \r\n"
            "P0100 Mass air flow\r\n"
            "P0101 \xC4\xE0\xF2\xF7\xE8\xEA | ext\r\n"
            "P0100 second 0100\r\n"
            "U0100 Lost communication\r\n");
  EXPECT_EQ(log.lines(),
            "LOG v. 1.0\n"
            "Collect base to file\n"
            "Collect all database and all bases, ignore list\n"
            "Collect B base\n"
            "Collect C base\n"
            "C0035\textend\tOK\n"
            "C0036\tOK\n"
            "Collect P base\n"
            "P0100\tOK\n"
            "P0101\textend\tOK\n"
            "P0100\tOK\n"
            "Collect U base\n"
            "U0100\tOK\n"
            "End collection\n"
            "Done");
  EXPECT_FALSE(log.running());
}

TEST(CollectorWholeDatabase, ColoursOfAnEntryLine) {
  TempDir dir;
  DtcDatabase db = EmptyDatabase();
  db.B.Entries.push_back(entry("1001", "abc", "def"));
  RecordingSink log;
  ScriptedQuestions q;
  ASSERT_TRUE(Collect(db, dir.file("b.txt"), true, {}, log, q));
  const std::vector<LogRun>& r = log.runs();
  ASSERT_EQ(r.size(), 12u);
  EXPECT_EQ(r[1], (LogRun{"Collect base to file\r\n", 15}));
  EXPECT_EQ(r[2], (LogRun{"Collect all database and all bases, ignore list\r\n", 15}));
  EXPECT_EQ(r[3], (LogRun{"Collect B base\r\n", 15}));
  EXPECT_EQ(r[4], (LogRun{"B1001\t", 14}));
  EXPECT_EQ(r[5], (LogRun{"extend\t", 15}));
  EXPECT_EQ(r[6], (LogRun{"OK\r\n", 12}));
  EXPECT_EQ(r[10], (LogRun{"End collection\r\n", 15}));
}

TEST(CollectorWholeDatabase, NeverFilledDatabaseGivesAnEmptyFile) {
  TempDir dir;
  RecordingSink log;
  ScriptedQuestions q;
  EXPECT_TRUE(Collect(DtcDatabase{}, dir.file("none.txt"), true, {}, log, q));
  EXPECT_EQ(ReadBytes(dir.file("none.txt")), "");
  EXPECT_THAT(log.lines(), HasSubstr("Collect U base\nEnd collection\nDone"));
}

TEST(CollectorCodeList, ListOrderFirstOccurrenceAndSkippedCodes) {
  TempDir dir;
  const std::string out = dir.file("list.txt");
  RecordingSink log;
  ScriptedQuestions q;
  // "00100": a digit first names no table; it must not find P's 0100 through the
  // table of the code before it.
  const bool done = Collect(sampleDatabase(), out, false,
                            {"U0100", "P0100", "C9999", "P0100", "00100", "C0035"}, log, q);
  EXPECT_FALSE(done);  // two codes were skipped
  EXPECT_EQ(ReadBytes(out),
            "U0100 Lost communication\r\n"
            "P0100 Mass air flow\r\n"
            "P0100 Mass air flow\r\n"
            "C0035  | only ext\r\n");
  EXPECT_EQ(log.lines(),
            "LOG v. 1.0\n"
            "Collect base to file\n"
            "Collect list codes\n"
            "FIND U0100\tFOUND\tU0100\tOK\n"
            "FIND P0100\tFOUND\tP0100\tOK\n"
            "FIND C9999\tNOT FOUND\tSKIPPED\n"
            "FIND P0100\tFOUND\tP0100\tOK\n"
            "FIND 00100\tNOT FOUND\tSKIPPED\n"
            "FIND C0035\tFOUND\tC0035\textend\tOK\n"
            "Done");
}

TEST(CollectorCodeList, ColoursOfFoundAndSkippedLines) {
  TempDir dir;
  RecordingSink log;
  ScriptedQuestions q;
  Collect(sampleDatabase(), dir.file("c.txt"), false, {"P0100", "B0000"}, log, q);
  const std::vector<LogRun>& r = log.runs();
  ASSERT_EQ(r.size(), 11u);
  EXPECT_EQ(r[2], (LogRun{"Collect list codes\r\n", 15}));
  EXPECT_THAT(std::vector<LogRun>(r.begin() + 3, r.begin() + 10),
              ElementsAre(LogRun{"FIND P0100\t", 15}, LogRun{"FOUND\t", 15}, LogRun{"P0100\t", 14},
                          LogRun{"OK\r\n", 12}, LogRun{"FIND B0000\t", 15},
                          LogRun{"NOT FOUND\t", 15}, LogRun{"SKIPPED\r\n", 15}));
}

TEST(CollectorCodeList, EmptyListGivesAnEmptyFileAndAllCodesFound) {
  TempDir dir;
  const std::string out = dir.file("empty.txt");
  RecordingSink log;
  ScriptedQuestions q;
  EXPECT_TRUE(Collect(sampleDatabase(), out, false, {}, log, q));
  EXPECT_TRUE(std::filesystem::exists(out));
  EXPECT_EQ(ReadBytes(out), "");
  EXPECT_EQ(log.lines(), "LOG v. 1.0\nCollect base to file\nCollect list codes\nDone");
}

TEST(CollectorCodeList, OddListCodesAreSkippedNotMisread) {
  TempDir dir;
  RecordingSink log;
  ScriptedQuestions q;
  // Empty, too short, lower case: none of them may match anything.
  EXPECT_FALSE(
      Collect(sampleDatabase(), dir.file("odd.txt"), false, {"", "P", "P010", "p0100"}, log, q));
  EXPECT_EQ(ReadBytes(dir.file("odd.txt")), "");
  EXPECT_THAT(log.lines(), HasSubstr("FIND \tNOT FOUND\tSKIPPED\nFIND P\tNOT FOUND\tSKIPPED\n"
                                     "FIND P010\tNOT FOUND\tSKIPPED\nFIND p0100\tNOT FOUND\t"));
}

TEST(CollectorOverwrite, AsksAndHonoursTheAnswer) {
  for (Button answer : {Button::Yes, Button::No}) {
    SCOPED_TRACE(answer == Button::Yes ? "Yes" : "No");
    TempDir dir;
    const std::string out = dir.file("old.txt");
    WriteBytes(out, "old contents that are longer than the new ones\r\n");
    RecordingSink log;
    ScriptedQuestions q{answer};
    const bool done = Collect(sampleDatabase(), out, false, {"U0100"}, log, q);

    ASSERT_EQ(q.asked().size(), 1u);
    const MessageBox& box = q.asked()[0];
    EXPECT_EQ(box.text, "File already exist. overwrite it?");
    EXPECT_THAT(box.buttons, ElementsAre(Button::Yes, Button::No));
    EXPECT_EQ(box.defaultButton, Button::No);
    EXPECT_EQ(box.icon, Icon::Question);
    EXPECT_EQ(box.title, "");

    if (answer == Button::Yes) {
      EXPECT_TRUE(done);
      EXPECT_EQ(ReadBytes(out), "U0100 Lost communication\r\n");
      EXPECT_EQ(log.lines(),
                "LOG v. 1.0\nCollect base to file\nQuary. File already exist. Owerwrite it?\n"
                "Collect list codes\nFIND U0100\tFOUND\tU0100\tOK\nDone");
    } else {
      EXPECT_FALSE(done);
      EXPECT_EQ(ReadBytes(out), "old contents that are longer than the new ones\r\n");
      EXPECT_EQ(log.lines(),
                "LOG v. 1.0\nCollect base to file\nQuary. File already exist. Owerwrite it?\n"
                "Cancelled\nDone");
    }
  }
}

TEST(CollectorOverwrite, NoQuestionForANewFile) {
  TempDir dir;
  RecordingSink log;
  ScriptedQuestions q{Button::No};
  EXPECT_TRUE(Collect(sampleDatabase(), dir.file("new.txt"), true, {}, log, q));
  EXPECT_TRUE(q.asked().empty());
}

TEST(CollectorDestination, UnwritableDestinationsAreReportedAndNothingIsWritten) {
  TempDir dir;
  std::filesystem::create_directory(dir.file("folder"));
  WriteBytes(dir.file("plain"), "x");
  const struct {
    std::string name;
    std::string path;
    std::string reason;
  } cases[] = {
      {"empty path", "", "No file name given"},
      {"folder", dir.file("folder"), "is a folder"},
      {"missing folder", dir.file("missing/out.txt"), "does not exist"},
      {"file as folder", dir.file("plain/out.txt"), "does not exist"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    for (bool all : {true, false}) {
      RecordingSink log;
      ScriptedQuestions q{Button::Yes};
      EXPECT_FALSE(Collect(sampleDatabase(), c.path, all, {"P0100"}, log, q));
      const std::vector<LogRun>& r = log.runs();
      ASSERT_EQ(r.size(), 4u) << log.lines();
      EXPECT_EQ(r[2].color, color::kLightRed);
      EXPECT_THAT(r[2].text, HasSubstr(c.reason));
      if (!c.path.empty()) {
        EXPECT_THAT(r[2].text, HasSubstr("\"" + c.path + "\""));
      }
      EXPECT_THAT(r[2].text, EndsWith("\r\n"));
      EXPECT_EQ(r[3].text, "Done");
    }
  }
  // Nothing appeared beside them: no output, no temporary file.
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir.path()))
    names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  EXPECT_THAT(names, ElementsAre("folder", "plain"));
  EXPECT_EQ(ReadBytes(dir.file("plain")), "x");
}

TEST(CollectorDestination, ReadOnlyFileIsReportedAndKept) {
  TempDir dir;
  const std::string out = dir.file("ro.txt");
  WriteBytes(out, "keep me");
  testing::ReadOnlyFile readOnly(out);
  if (!readOnly.ok()) GTEST_SKIP() << "cannot make a file read-only here";
  RecordingSink log;
  ScriptedQuestions q{Button::Yes};
  EXPECT_FALSE(Collect(sampleDatabase(), out, true, {}, log, q));
  EXPECT_EQ(q.asked().size(), 1u);
  EXPECT_THAT(log.lines(), HasSubstr("\nCannot write \"" + out + "\": "));
  EXPECT_THAT(log.lines(), Not(HasSubstr("Collect all database")));
  EXPECT_EQ(log.runs()[log.runs().size() - 2].color, color::kLightRed);
  EXPECT_EQ(ReadBytes(out), "keep me");
}

TEST(CollectorRoundTrip, SecondCollectIsIdentical) {
  TempDir dir;
  const std::string first = dir.file("first.txt");
  RecordingSink log1, log2;
  ScriptedQuestions q{Button::Yes};
  ASSERT_TRUE(Collect(sampleDatabase(), first, true, {}, log1, q));
  const std::string bytes = ReadBytes(first);
  ASSERT_TRUE(Collect(sampleDatabase(), first, true, {}, log2, q));
  EXPECT_EQ(ReadBytes(first), bytes);
  EXPECT_EQ(q.asked().size(), 1u);
}

TEST(CollectorRoundTrip, GeneratorRebuildsTheSameEntries) {
  TempDir dir;
  const std::string text = dir.file("all.txt");
  const std::string rebuilt = dir.file("rebuilt.DAT");
  const DtcDatabase original = sampleDatabase();
  RecordingSink log;
  ScriptedQuestions q;
  ASSERT_TRUE(Collect(original, text, true, {}, log, q));
  RecordingSink genLog;
  ASSERT_TRUE(Generate(text, rebuilt, genLog, q)) << genLog.lines();

  DtcDatabase back;
  ASSERT_TRUE(ReadDatabase(rebuilt, back).ok());
  // A text followed by an extension comes back with the blank in front of the bar.
  DtcDatabase expected = original;
  for (DtcTable* t : {&expected.P, &expected.C, &expected.B, &expected.U})
    for (size_t i = 1; i < t->Entries.size(); ++i)
      if (!t->Entries[i].Extension.empty()) t->Entries[i].Text += ' ';
  EXPECT_EQ(back, expected);
}

}  // namespace
}  // namespace vestral
