#include "editor/main_database.h"

#include <gmock/gmock.h>

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
  return "[Yellow]B - base positions 0\nC - base positions 1\nP - base positions " +
         std::to_string(p) + "\nU - base positions 0\n";
}

// Read, then Write, which asks before undoing a change made since the Read (one that
// keeps the size); after a write the file is the new reference. A name the file cannot
// hold is refused. A file Read cannot take is the window's test.
TEST(WriteMainDatabase, WritesAfterAskingWhenTheFileChangedSinceTheRead) {
  const std::string changed = "[LightRed]\"{}\" has changed since it was read\n[Bright]";
  const std::tuple<Button, std::string, std::string, WriteOutcome> cases[] = {
      {Button::Cancel, "network", "[Bright]Complete",
       WriteOutcome::kWritten},  // Cancel: no question
      {Button::No, "network", changed + "Cancelled", WriteOutcome::kDeclined},
      {Button::Yes, "network", changed + "Complete", WriteOutcome::kWritten},
      {Button::Cancel, std::string(70000, 'x'), "[LightRed]Cannot write \"{}\": table U",
       WriteOutcome::kFailed}};
  for (auto [answer, name, expected, outcome] : cases) {
    TempDir dir;
    const std::string path = dir.file("vestral.DAT");
    DtcDatabase working, back, written = filled(5);
    FileStamp stamp;
    RecordingSink log;
    ASSERT_TRUE(WriteDatabase(path, filled(5)).ok() && ReadMainDatabase(path, working, stamp, log));
    EXPECT_EQ(ColouredLog(log), "[LightGreen]LOG v. 1.0\n[Bright]Open main database\n" +
                                    positions(5) + "[Bright]Complete\n[LightRed]Done");
    ASSERT_TRUE(answer == Button::Cancel || WriteDatabase(path, filled(5, "TEXT")).ok());
    ASSERT_TRUE(DeleteEntry(working.P, 2) && DeleteEntry(written.P, 2));
    ScriptedQuestions questions{answer};
    const std::string before = ReadBytes(path);
    log = RecordingSink();
    written.B.Name = "", written.P.Name = "\xCF\xF0\xE8\xE2\xEE\xE4", written.U.Name = name;
    EXPECT_EQ(WriteMainDatabase(path, working, {"", "chassis", written.P.Name, name}, stamp, log,
                                questions),
              outcome);
    if (const size_t at = expected.find("{}"); at != std::string::npos)
      expected.replace(at, 2, path);
    EXPECT_THAT(ColouredLog(log),
                HasSubstr("[LightGreen]LOG v. 1.0\n[Bright]Write main database\n" + positions(4) +
                          expected));
    const bool wrote = outcome == WriteOutcome::kWritten;
    EXPECT_EQ(ColouredLog(log).ends_with("[Bright]Complete\nThe previous file is kept as \"" +
                                         path + ".bak\"\n[LightRed]Done"),
              wrote);
    EXPECT_EQ(ReadBytes(path + ".bak"), wrote ? before : "");
    ASSERT_TRUE(ReadDatabase(path, back).ok());
    EXPECT_EQ(back, wrote ? written : filled(5, answer == Button::Cancel ? "text" : "TEXT"));
    EXPECT_EQ(stamp == StampOf(ReadBytes(path)), wrote || answer == Button::Cancel);
    ASSERT_EQ(questions.asked().size(), answer == Button::Cancel ? 0u : 1u);
    if (answer == Button::Cancel) continue;
    EXPECT_EQ(questions.asked()[0].text,
              "The main database \"" + path +
                  "\" has changed since it was read (another operation wrote it, or it was "
                  "replaced).\r\nWriting now puts back the copy read earlier and undoes those "
                  "changes.\r\n\r\nWrite it anyway?");
    EXPECT_EQ(questions.asked()[0].buttons, (std::vector<Button>{Button::Yes, Button::No}));
    EXPECT_EQ(questions.asked()[0].defaultButton, Button::No);
  }
}

}  // namespace
}  // namespace vestral
