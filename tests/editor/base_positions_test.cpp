#include "editor/base_positions.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "support/entries.h"
#include "support/read_only_file.h"
#include "support/temp_dir.h"

namespace vestral {
namespace {

using testing::entry;
using ::testing::HasSubstr;
using testing::ReadBytes;
using testing::TempDir;

// P holds `p` entries, C one.
DtcDatabase filledDatabase(int p) {
  DtcDatabase db = EmptyDatabase();
  for (int i = 0; i < p; ++i) db.P.Entries.push_back(entry(std::to_string(1000 + i), "text"));
  db.C.Entries.push_back(entry("0035", "wheel speed"));
  return db;
}

void writeDatabase(const std::string& path, const DtcDatabase& db) {
  ASSERT_TRUE(WriteDatabase(path, db).ok());
}

TEST(ReadMainDatabase, FreshDatabaseLogsZeroPositionsInOrderAndColour) {
  TempDir dir;
  const std::string path = dir.file("vestral.DAT");
  ASSERT_TRUE(CreateDatabase(path).ok());
  DtcDatabase working;
  FileStamp stamp;
  RecordingSink log;
  ASSERT_TRUE(ReadMainDatabase(path, working, stamp, log));

  EXPECT_EQ(working, EmptyDatabase());
  const std::vector<LogRun> expected = {
      {"LOG v. 1.0\r\n", color::kLightGreen},       {"Open main database\r\n", color::kBrightWhite},
      {"B - base positions 0\r\n", color::kYellow}, {"C - base positions 0\r\n", color::kYellow},
      {"P - base positions 0\r\n", color::kYellow}, {"U - base positions 0\r\n", color::kYellow},
      {"Complete\r\n", color::kBrightWhite},        {"Done", color::kLightRed},
  };
  EXPECT_EQ(log.runs(), expected);
  EXPECT_FALSE(log.running());
  EXPECT_EQ(stamp, StampOf(ReadBytes(path)));
}

TEST(ReadMainDatabase, FilledDatabaseLogsItsCounts) {
  TempDir dir;
  const std::string path = dir.file("vestral.DAT");
  writeDatabase(path, filledDatabase(12));
  DtcDatabase working;
  FileStamp stamp;
  RecordingSink log;
  ASSERT_TRUE(ReadMainDatabase(path, working, stamp, log));
  EXPECT_EQ(log.lines(),
            "LOG v. 1.0\nOpen main database\nB - base positions 0\nC - base positions 1\n"
            "P - base positions 12\nU - base positions 0\nComplete\nDone");
  EXPECT_EQ(working, filledDatabase(12));
}

// Whatever is wrong with the file, Read says which file and what, ends the run, and
// leaves the working copy and the file as they were.
TEST(ReadMainDatabase, UnreadableFilesAreReportedAndChangeNothing) {
  // Damaged files go through every reader in the bad-input suite; here the paths.
  TempDir dir;
  std::filesystem::create_directory(dir.file("dir.DAT"));
  const std::pair<std::string, const char*> cases[] = {
      {dir.file("missing.DAT"), "Cannot open"},
      {dir.file("dir.DAT"), "is a folder"},
  };
  for (const auto& [path, problem] : cases) {
    SCOPED_TRACE(path);
    DtcDatabase working = filledDatabase(7);
    FileStamp stamp = StampOf("earlier");
    RecordingSink log;
    EXPECT_FALSE(ReadMainDatabase(path, working, stamp, log));

    ASSERT_EQ(log.runs().size(), 4u);
    EXPECT_EQ(log.runs()[1].text, "Open main database\r\n");
    EXPECT_EQ(log.runs()[2].color, color::kLightRed);
    EXPECT_THAT(log.runs()[2].text, HasSubstr(path));
    EXPECT_THAT(log.runs()[2].text, HasSubstr(problem));
    EXPECT_EQ(log.runs()[3].text, "Done");
    EXPECT_FALSE(log.running());
    EXPECT_EQ(working, filledDatabase(7));
    EXPECT_EQ(stamp, StampOf("earlier"));
  }

  // A path is UTF-8 on disk and code page 1251 in the log: a Cyrillic folder reads
  // as itself, not as mojibake.
  const std::string folder = "\xD0\x9F\xD0\xB0\xD0\xBF\xD0\xBA\xD0\xB0";  // "Папка" in UTF-8
  std::filesystem::create_directory(dir.file(folder));
  DtcDatabase working;
  FileStamp stamp;
  RecordingSink log;
  EXPECT_FALSE(ReadMainDatabase(dir.file(folder) + "/x.DAT", working, stamp, log));
  EXPECT_THAT(log.text(), HasSubstr("/\xCF\xE0\xEF\xEA\xE0/x.DAT"));
}

struct Fixture {
  TempDir dir;
  std::string path = dir.file("vestral.DAT");
  DtcDatabase working;
  FileStamp stamp;
  ScriptedQuestions questions;

  explicit Fixture(const DtcDatabase& db) {
    writeDatabase(path, db);
    RecordingSink log;
    EXPECT_TRUE(ReadMainDatabase(path, working, stamp, log));
  }
  WriteOutcome write(const TableNames& names, RecordingSink& log) {
    return WriteMainDatabase(path, working, names, stamp, log, questions);
  }
};

TEST(WriteMainDatabase, WritesTheNamesAndLogsLikeRead) {
  Fixture f(filledDatabase(2));
  RecordingSink log;
  const TableNames names{"", "chassis", "\xCF\xF0\xE8\xE2\xEE\xE4", "network"};
  ASSERT_EQ(f.write(names, log), WriteOutcome::kWritten);

  EXPECT_EQ(log.lines(),
            "LOG v. 1.0\nWrite main database\nB - base positions 0\nC - base positions 1\n"
            "P - base positions 2\nU - base positions 0\nComplete\nDone");
  EXPECT_EQ(log.runs()[1].color, color::kBrightWhite);
  EXPECT_EQ(log.runs()[2].color, color::kYellow);
  EXPECT_TRUE(f.questions.asked().empty());

  DtcDatabase back;
  ASSERT_TRUE(ReadDatabase(f.path, back).ok());
  DtcDatabase expected = filledDatabase(2);
  expected.B.Name = "";
  expected.P.Name = "\xCF\xF0\xE8\xE2\xEE\xE4";
  expected.U.Name = "network";
  EXPECT_EQ(back, expected);
  EXPECT_EQ(f.stamp, StampOf(ReadBytes(f.path)));
}

TEST(WriteMainDatabase, WritesBackEntriesRemovedSinceTheRead) {
  Fixture f(filledDatabase(5));
  ASSERT_TRUE(DeleteEntry(f.working.P, 2));
  RecordingSink log;
  ASSERT_EQ(f.write({"body", "chassis", "powertrain", "network communications systems"}, log),
            WriteOutcome::kWritten);
  EXPECT_THAT(log.lines(), HasSubstr("P - base positions 4\n"));
  DtcDatabase back;
  ASSERT_TRUE(ReadDatabase(f.path, back).ok());
  EXPECT_EQ(back.P.upperBound(), 4);
}

// Another operation rewrote the file after the Read: Write asks before undoing that.
TEST(WriteMainDatabase, AsksBeforeOverwritingAFileChangedSinceTheRead) {
  for (Button answer : {Button::No, Button::Yes}) {
    SCOPED_TRACE(answer == Button::Yes ? "Yes" : "No");
    Fixture f(filledDatabase(1));
    writeDatabase(f.path, filledDatabase(9));  // the synchronizer's doing
    const std::string changed = ReadBytes(f.path);
    f.questions.push(answer);
    RecordingSink log;
    const WriteOutcome outcome = f.write({"B", "C", "P", "U"}, log);

    ASSERT_EQ(f.questions.asked().size(), 1u);
    const MessageBox& box = f.questions.asked()[0];
    EXPECT_THAT(box.text, HasSubstr(f.path));
    EXPECT_THAT(box.text, HasSubstr("changed since it was read"));
    EXPECT_EQ(box.buttons, (std::vector<Button>{Button::Yes, Button::No}));
    EXPECT_EQ(box.defaultButton, Button::No);
    EXPECT_THAT(log.lines(), HasSubstr("P - base positions 1\nU - base positions 0\n\"" + f.path +
                                       "\" has changed since it was read\n"));

    if (answer == Button::No) {
      EXPECT_EQ(outcome, WriteOutcome::kDeclined);
      EXPECT_EQ(ReadBytes(f.path), changed);
      EXPECT_THAT(log.lines(),
                  ::testing::EndsWith("has changed since it was read\nCancelled\nDone"));
    } else {
      EXPECT_EQ(outcome, WriteOutcome::kWritten);
      DtcDatabase back;
      ASSERT_TRUE(ReadDatabase(f.path, back).ok());
      EXPECT_EQ(back.P.upperBound(), 1);
      EXPECT_EQ(back.P.Name, "P");
      EXPECT_THAT(log.lines(), ::testing::EndsWith("Complete\nDone"));
    }
  }
}

TEST(WriteMainDatabase, AWrittenFileIsTheNewReferenceForTheNextWrite) {
  Fixture f(filledDatabase(1));
  RecordingSink first, second;
  ASSERT_EQ(f.write({"1", "2", "3", "4"}, first), WriteOutcome::kWritten);
  ASSERT_EQ(f.write({"5", "6", "7", "8"}, second), WriteOutcome::kWritten);
  EXPECT_TRUE(f.questions.asked().empty());
}

TEST(WriteMainDatabase, ANameTheFileCannotHoldIsRefusedAndTheFileKept) {
  Fixture f(filledDatabase(1));
  const std::string before = ReadBytes(f.path);
  RecordingSink log;
  EXPECT_EQ(f.write({std::string(kMaxTextBytes + 1, 'x'), "c", "p", "u"}, log),
            WriteOutcome::kFailed);
  EXPECT_EQ(ReadBytes(f.path), before);
  const LogRun& error = log.runs()[log.runs().size() - 2];
  EXPECT_EQ(error.color, color::kLightRed);
  EXPECT_THAT(error.text, HasSubstr(f.path));
  EXPECT_THAT(error.text, HasSubstr("65535"));
}

TEST(WriteMainDatabase, AnUnwritableFileIsReportedByName) {
  Fixture f(filledDatabase(1));
  const std::string before = ReadBytes(f.path);
  testing::ReadOnlyFile readOnly(f.path);
  if (!readOnly.ok()) GTEST_SKIP() << "cannot make a file read-only here";
  RecordingSink log;
  EXPECT_EQ(f.write({"b", "c", "p", "u"}, log), WriteOutcome::kFailed);
  EXPECT_EQ(ReadBytes(f.path), before);
  const LogRun& error = log.runs()[log.runs().size() - 2];
  EXPECT_EQ(error.color, color::kLightRed);
  EXPECT_THAT(error.text, HasSubstr(f.path));
  EXPECT_EQ(log.runs().back().text, "Done");
}

TEST(FileStamp, TellsVersionsOfTheSameSizeApart) {
  EXPECT_EQ(StampOf("abc"), StampOf("abc"));
  EXPECT_NE(StampOf("abc"), StampOf("abd"));
  EXPECT_NE(StampOf("abc"), StampOf(std::string_view("abc\0", 4)));
  EXPECT_FALSE(StampOfFile("/nonexistent/vestral.DAT").valid);
}

}  // namespace
}  // namespace vestral
