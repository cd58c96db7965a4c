#include "editor/base_positions.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

#include "support/coloured_log.h"
#include "support/entries.h"
#include "support/read_only_file.h"
#include "support/temp_dir.h"

namespace vestral {
namespace {

using testing::ColouredLog;
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

std::string positions(int p) {
  return "[6]B - base positions 0\nC - base positions 1\nP - base positions " + std::to_string(p) +
         "\nU - base positions 0\n";
}

TEST(OperationLog, EndsTheRunOnEveryReturnButLeavesItOpenToAnException) {
  RecordingSink log;
  { const OperationLog run(log); }
  EXPECT_EQ(log.lines(), "LOG v. 1.0\nDone");
  try {
    const OperationLog run(log);
    throw 1;
  } catch (int) {
  }
  EXPECT_TRUE(log.running());
}

// Whatever is wrong with the file, Read names it in light red and leaves the working
// copy and the stamp as they were; a Cyrillic (UTF-8) path shows in code page 1251.
TEST(ReadMainDatabase, ReadsTheFileOrReportsItAndChangesNothing) {
  TempDir dir;
  const std::string good = dir.file("vestral.DAT"), folder = dir.file("\xD0\x9F\xD0\xB0");
  ASSERT_TRUE(WriteDatabase(good, filledDatabase(12)).ok());
  std::filesystem::create_directory(folder);
  const std::pair<std::string, std::string> cases[] = {
      {good, positions(12) + "[15]Complete\n[12]Done"},
      {dir.file("missing.DAT"), "[12]Cannot open \"" + dir.file("missing.DAT") + "\""},
      {folder, "[12]\"" + dir.file("\xCF\xE0") + "\" is a folder, not a file\nDone"},
  };
  for (const auto& [path, log] : cases) {
    DtcDatabase working = filledDatabase(7);
    FileStamp stamp = StampOf("earlier");
    RecordingSink sink;
    const bool read = ReadMainDatabase(path, working, stamp, sink);
    EXPECT_EQ(read, path == good);
    EXPECT_THAT(ColouredLog(sink), HasSubstr("[10]LOG v. 1.0\n[15]Open main database\n" + log));
    EXPECT_EQ(working, filledDatabase(read ? 12 : 7));
    EXPECT_EQ(stamp, read ? StampOf(ReadBytes(good)) : StampOf("earlier"));
  }
}

struct Fixture {
  TempDir dir;
  std::string path = dir.file("vestral.DAT");
  DtcDatabase working;
  FileStamp stamp;
  ScriptedQuestions questions;
  RecordingSink log;

  explicit Fixture(int p) {
    EXPECT_TRUE(WriteDatabase(path, filledDatabase(p)).ok());
    EXPECT_TRUE(ReadMainDatabase(path, working, stamp, log));
  }
  WriteOutcome write(const TableNames& names) {
    log = RecordingSink();
    return WriteMainDatabase(path, working, names, stamp, log, questions);
  }
};

TEST(WriteMainDatabase, WritesTheNamesAndEntriesAndTakesTheFileAsTheNewReference) {
  Fixture f(5);
  ASSERT_TRUE(DeleteEntry(f.working.P, 2));
  const TableNames names{"", "chassis", "\xCF\xF0\xE8\xE2\xEE\xE4", "network"};
  ASSERT_EQ(f.write(names), WriteOutcome::kWritten);
  EXPECT_EQ(ColouredLog(f.log),
            "[10]LOG v. 1.0\n[15]Write main database\n" + positions(4) + "[15]Complete\n[12]Done");
  DtcDatabase expected = filledDatabase(5);
  expected.P.Entries.erase(expected.P.Entries.begin() + 2);
  expected.B.Name = "";
  expected.C.Name = "chassis";
  expected.P.Name = names.P;
  expected.U.Name = "network";
  DtcDatabase back;
  ASSERT_TRUE(ReadDatabase(f.path, back).ok());
  EXPECT_EQ(back, expected);
  EXPECT_EQ(f.stamp, StampOf(ReadBytes(f.path)));
  ASSERT_EQ(f.write({"5", "6", "7", "8"}), WriteOutcome::kWritten);
  EXPECT_TRUE(f.questions.asked().empty());
}

// Another operation rewrote the file after the Read: Write asks before undoing that.
TEST(WriteMainDatabase, AsksBeforeOverwritingAFileChangedSinceTheRead) {
  for (Button answer : {Button::No, Button::Yes}) {
    Fixture f(1);
    ASSERT_TRUE(WriteDatabase(f.path, filledDatabase(9)).ok());  // the synchronizer's doing
    const std::string changed = ReadBytes(f.path);
    f.questions.push(answer);
    const WriteOutcome outcome = f.write({"B", "C", "P", "U"});
    ASSERT_EQ(f.questions.asked().size(), 1u);
    const MessageBox& box = f.questions.asked()[0];
    EXPECT_EQ(box.text, ChangedSinceReadQuestion(f.path).text);
    EXPECT_THAT(box.text, HasSubstr("\"" + f.path + "\" has changed since it was read"));
    EXPECT_EQ(box.buttons, (std::vector<Button>{Button::Yes, Button::No}));
    EXPECT_EQ(box.defaultButton, Button::No);
    EXPECT_THAT(ColouredLog(f.log),
                HasSubstr(positions(1) + "[12]\"" + f.path + "\" has changed since it was read\n" +
                          (answer == Button::No ? "[15]Cancelled" : "[15]Complete")));
    EXPECT_EQ(outcome, answer == Button::No ? WriteOutcome::kDeclined : WriteOutcome::kWritten);
    EXPECT_EQ(ReadBytes(f.path) == changed, answer == Button::No);
  }
}

TEST(WriteMainDatabase, RefusesWhatTheFileCannotHoldOrTakeAndKeepsIt) {
  for (bool longName : {true, false}) {
    Fixture f(1);
    const std::string before = ReadBytes(f.path);
    std::optional<testing::ReadOnlyFile> readOnly;
    if (!longName && !readOnly.emplace(f.path).ok()) GTEST_SKIP() << "no read-only file here";
    const std::string name = longName ? std::string(kMaxTextBytes + 1, 'x') : "b";
    EXPECT_EQ(f.write({name, "c", "p", "u"}), WriteOutcome::kFailed);
    EXPECT_EQ(ReadBytes(f.path), before);
    const LogRun& error = f.log.runs().end()[-2];
    EXPECT_EQ(error.color, color::kLightRed);
    EXPECT_THAT(error.text, HasSubstr(f.path));
    EXPECT_THAT(error.text, HasSubstr(longName ? "65535" : ""));
  }
}

TEST(FileStamp, TellsVersionsOfTheSameSizeApart) {
  EXPECT_EQ(StampOf("abc"), StampOf("abc"));
  EXPECT_NE(StampOf("abc"), StampOf("abd"));
  EXPECT_NE(StampOf("abc"), StampOf(std::string_view("abc\0", 4)));
  EXPECT_FALSE(StampOfFile("/nonexistent/vestral.DAT").valid);
}

}  // namespace
}  // namespace vestral
