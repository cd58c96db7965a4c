#include "editor/collector.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "editor/generator.h"
#include "support/coloured_log.h"
#include "support/entries.h"
#include "support/temp_dir.h"

namespace vestral {
namespace {

using testing::ColouredLog;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

using testing::entry;

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
  const std::string in = "pcbuPCBU09\b", out = "PCBUPCBU09\b";
  for (size_t i = 0; i < in.size(); ++i) EXPECT_EQ(FilterCodeKey(in[i]), out[i]);
  // Other letters, blank, Enter, NUL, punctuation, a Cyrillic letter in code page 1251.
  for (char key : {'x', 'X', 'a', 'A', ' ', '\r', '\0', '|', '\xF0'})
    EXPECT_EQ(FilterCodeKey(key), std::nullopt) << static_cast<int>(key);
}

TEST(CollectorLine, FormsOfTextAndExtension) {
  EXPECT_EQ(CollectedLine('P', entry("0100", "abc")), "P0100 abc");
  EXPECT_EQ(CollectedLine('P', entry("0100", "")), "P0100 ");
  EXPECT_EQ(CollectedLine('P', entry("0100", "abc", "def")), "P0100 abc | def");
  EXPECT_EQ(CollectedLine('P', entry("0100", "", "def")), "P0100  | def");
  EXPECT_EQ(CollectedLine('P', entry("12", "abc")), "P12   abc");  // padding as stored
  EXPECT_EQ(CollectedLine('P', DtcEntry{}), std::string("P\0\0\0\0 ", 6));
}

TEST(CollectorWholeDatabase, WritesTablesInOrderBCPUWithCrLf) {
  TempDir dir;
  const std::string out = dir.file("all.txt");
  RecordingSink log;
  ScriptedQuestions q;
  // The list must play no part when the whole database is collected.
  EXPECT_TRUE(Collect(sampleDatabase(), out, true, {"P0100", "X1234"}, log, q));
  EXPECT_TRUE(q.asked().empty());  // a new file: no question
  EXPECT_EQ(ReadBytes(out),
            "C0035  | only ext\r\n"
            "C0036 \r\n"
            "P0100 Mass air flow\r\n"
            "P0101 \xC4\xE0\xF2\xF7\xE8\xEA | ext\r\n"
            "P0100 second 0100\r\n"
            "U0100 Lost communication\r\n");
  EXPECT_EQ(ColouredLog(log),
            "[10]LOG v. 1.0\n"
            "[15]Collect base to file\n"
            "Collect all database and all bases, ignore list\n"
            "Collect B base\n"
            "Collect C base\n"
            "[14]C0035\t[15]extend\t[12]OK\n"
            "[14]C0036\t[12]OK\n"
            "[15]Collect P base\n"
            "[14]P0100\t[12]OK\n"
            "[14]P0101\t[15]extend\t[12]OK\n"
            "[14]P0100\t[12]OK\n"
            "[15]Collect U base\n"
            "[14]U0100\t[12]OK\n"
            "[15]End collection\n"
            "[12]Done");
}

TEST(CollectorCodeList, ListOrderFirstOccurrenceAndSkippedCodes) {
  TempDir dir;
  const std::string out = dir.file("list.txt");
  RecordingSink log;
  ScriptedQuestions q;
  // "00100": a digit first names no table; it must not find P's 0100 through the
  // table of the code before it. Empty, short and lower-case codes find nothing.
  const bool done =
      Collect(sampleDatabase(), out, false,
              {"U0100", "P0100", "C9999", "P0100", "00100", "C0035", "", "P", "p0100"}, log, q);
  EXPECT_FALSE(done);  // codes were skipped
  EXPECT_EQ(ReadBytes(out),
            "U0100 Lost communication\r\n"
            "P0100 Mass air flow\r\n"
            "P0100 Mass air flow\r\n"
            "C0035  | only ext\r\n");
  EXPECT_EQ(ColouredLog(log),
            "[10]LOG v. 1.0\n"
            "[15]Collect base to file\n"
            "Collect list codes\n"
            "FIND U0100\tFOUND\t[14]U0100\t[12]OK\n"
            "[15]FIND P0100\tFOUND\t[14]P0100\t[12]OK\n"
            "[15]FIND C9999\tNOT FOUND\tSKIPPED\n"
            "FIND P0100\tFOUND\t[14]P0100\t[12]OK\n"
            "[15]FIND 00100\tNOT FOUND\tSKIPPED\n"
            "FIND C0035\tFOUND\t[14]C0035\t[15]extend\t[12]OK\n"
            "[15]FIND \tNOT FOUND\tSKIPPED\n"
            "FIND P\tNOT FOUND\tSKIPPED\n"
            "FIND p0100\tNOT FOUND\tSKIPPED\n"
            "[12]Done");
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

TEST(CollectorOverwrite, AsksAndHonoursTheAnswer) {
  for (Button answer : {Button::Yes, Button::No}) {
    SCOPED_TRACE(answer == Button::Yes ? "Yes" : "No");
    TempDir dir;
    const std::string out = dir.file("old.txt");
    const std::string old = "old contents that are longer than the new ones\r\n";
    WriteBytes(out, old);
    RecordingSink log;
    ScriptedQuestions q{answer};
    const bool done = Collect(sampleDatabase(), out, false, {"U0100"}, log, q);

    ASSERT_EQ(q.asked().size(), 1u);
    const MessageBox& box = q.asked()[0];
    EXPECT_EQ(box.text, "File already exist. overwrite it?");
    EXPECT_THAT(box.buttons, ElementsAre(Button::Yes, Button::No));
    EXPECT_EQ(box.defaultButton, Button::No);

    const std::string head =
        "LOG v. 1.0\nCollect base to file\nQuary. File already exist. Owerwrite it?\n";
    EXPECT_EQ(done, answer == Button::Yes);
    EXPECT_EQ(ReadBytes(out), done ? "U0100 Lost communication\r\n" : old);
    EXPECT_EQ(log.lines(), head + (done ? "Collect list codes\nFIND U0100\tFOUND\tU0100\tOK\nDone"
                                        : "Cancelled\nDone"));
  }
}

TEST(CollectorRoundTrip, GeneratorRebuildsTheSameEntries) {
  TempDir dir;
  const std::string text = dir.file("all.txt");
  const std::string rebuilt = dir.file("rebuilt.DAT");
  RecordingSink log, genLog;
  ScriptedQuestions q;
  ASSERT_TRUE(Collect(sampleDatabase(), text, true, {}, log, q));
  ASSERT_TRUE(Generate(text, rebuilt, genLog, q)) << genLog.lines();

  DtcDatabase back;
  ASSERT_TRUE(ReadDatabase(rebuilt, back).ok());
  // A text followed by an extension comes back with the blank in front of the bar.
  DtcDatabase expected = sampleDatabase();
  for (DtcTable* t : {&expected.P, &expected.C, &expected.B, &expected.U})
    for (size_t i = 1; i < t->Entries.size(); ++i)
      if (!t->Entries[i].Extension.empty()) t->Entries[i].Text += ' ';
  EXPECT_EQ(back, expected);
}

}  // namespace
}  // namespace vestral
