#include "editor/base_positions.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "support/coloured_log.h"
#include "support/entries.h"
#include "support/temp_dir.h"

namespace vestral {
namespace {

using namespace testing;
using ::testing::HasSubstr;

// P holds `p` entries whose text is `text`, C one.
DtcDatabase filled(int p, const std::string& text = "text") {
  DtcDatabase db = EmptyDatabase();
  for (int i = 0; i < p; ++i) db.P.Entries.push_back(entry(std::to_string(1000 + i), text));
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
  EXPECT_THROW((OperationLog(log), throw 1), int);
  EXPECT_TRUE(log.running());
}

// Whatever is wrong with the file, Read names it in light red and leaves the working
// copy and the stamp as they were; a Cyrillic (UTF-8) path shows in code page 1251.
TEST(ReadMainDatabase, ReadsTheFileOrReportsItAndChangesNothing) {
  TempDir dir;
  const std::string good = dir.file("vestral.DAT"), folder = dir.file("\xD0\x9F\xD0\xB0");
  ASSERT_TRUE(WriteDatabase(good, filled(12)).ok());
  std::filesystem::create_directory(folder);
  const std::pair<std::string, std::string> cases[] = {
      {good, positions(12) + "[15]Complete\n[12]Done"},
      {dir.file("none.DAT"), "[12]Cannot open \"" + dir.file("none.DAT") + "\""},
      {folder, "[12]\"" + dir.file("\xCF\xE0") + "\" is a folder, not a file\nDone"}};
  for (const auto& [path, log] : cases) {
    DtcDatabase working = filled(7);
    FileStamp stamp = StampOf("earlier");
    RecordingSink sink;
    const bool read = ReadMainDatabase(path, working, stamp, sink);
    EXPECT_THAT(ColouredLog(sink), HasSubstr("[10]LOG v. 1.0\n[15]Open main database\n" + log));
    EXPECT_EQ(working, filled(read ? 12 : 7));
    EXPECT_EQ(stamp, read ? StampOf(ReadBytes(good)) : StampOf("earlier"));
    EXPECT_EQ(read, path == good);
  }
}

// Write asks before undoing a change made since the Read (here one that keeps the
// size); after a write the file is the new reference. A name the file cannot hold is
// refused and the file kept.
TEST(WriteMainDatabase, WritesAfterAskingWhenTheFileChangedSinceTheRead) {
  const struct {
    Button answer;  // to the question; Cancel where none comes
    std::string name, log;
    WriteOutcome outcome;
  } cases[] = {{Button::Cancel, "network", "[15]Complete", WriteOutcome::kWritten},
               {Button::No, "network", "[12]\"{}\" has changed since it was read\n[15]Cancelled",
                WriteOutcome::kDeclined},
               {Button::Yes, "network", "[12]\"{}\" has changed since it was read\n[15]Complete",
                WriteOutcome::kWritten},
               {Button::Cancel, std::string(kMaxTextBytes + 1, 'x'),
                "[12]Cannot write \"{}\": table U", WriteOutcome::kFailed}};
  for (const auto& c : cases) {
    TempDir dir;
    const std::string path = dir.file("vestral.DAT");
    DtcDatabase working;
    FileStamp stamp;
    RecordingSink log;
    ASSERT_TRUE(WriteDatabase(path, filled(5)).ok() && ReadMainDatabase(path, working, stamp, log));
    ASSERT_TRUE(c.answer == Button::Cancel || WriteDatabase(path, filled(5, "TEXT")).ok());
    const std::string before = ReadBytes(path);
    ASSERT_TRUE(DeleteEntry(working.P, 2));
    ScriptedQuestions questions{c.answer};
    log = RecordingSink();
    const TableNames names{"", "chassis", "\xCF\xF0\xE8\xE2\xEE\xE4", c.name};
    EXPECT_EQ(WriteMainDatabase(path, working, names, stamp, log, questions), c.outcome);
    std::string expected = c.log;
    if (const size_t at = expected.find("{}"); at != std::string::npos)
      expected.replace(at, 2, path);
    EXPECT_THAT(ColouredLog(log),
                HasSubstr("[10]LOG v. 1.0\n[15]Write main database\n" + positions(4) + expected));
    DtcDatabase back, written = filled(5);
    written.P.Entries.erase(written.P.Entries.begin() + 2);
    written.B.Name = "", written.P.Name = names.P, written.U.Name = c.name;
    ASSERT_TRUE(ReadDatabase(path, back).ok());
    const bool wrote = c.outcome == WriteOutcome::kWritten;
    EXPECT_TRUE(wrote ? back == written && stamp == StampOf(ReadBytes(path))
                      : ReadBytes(path) == before);
    ASSERT_EQ(questions.asked().size(), c.answer == Button::Cancel ? 0u : 1u);
    if (c.answer == Button::Cancel) continue;
    EXPECT_EQ(questions.asked()[0].text, ChangedSinceReadQuestion(path).text);
    EXPECT_THAT(questions.asked()[0].text, HasSubstr(path + "\" has changed since it was read"));
    EXPECT_EQ(questions.asked()[0].buttons, (std::vector<Button>{Button::Yes, Button::No}));
    EXPECT_EQ(questions.asked()[0].defaultButton, Button::No);
  }
}

}  // namespace
}  // namespace vestral
