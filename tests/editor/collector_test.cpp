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
using testing::entry;
using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

// Tables filled out of the collector's order, so the B, C, P, U walk shows.
DtcDatabase sampleDatabase() {
  DtcDatabase db = EmptyDatabase();
  db.P.Entries.push_back(entry("0100", "Mass air flow"));
  db.P.Entries.push_back(entry("0101", "\xC4\xE0\xF2\xF7\xE8\xEA", "ext"));  // cp1251
  db.P.Entries.push_back(entry("0100", "second 0100"));
  db.U.Entries.push_back(entry("0100", "Lost communication"));
  db.C.Entries.push_back(entry("0035", "", "only ext"));
  return db;
}

TEST(CollectorKeyFilter, AcceptsTableLettersDigitsAndBackspaceOnly) {
  const std::string in = "pcbuPCBU09\b", out = "PCBUPCBU09\b";
  for (size_t i = 0; i < in.size(); ++i) EXPECT_EQ(FilterCodeKey(in[i]), out[i]);
  for (char key : {'x', 'X', 'a', 'A', ' ', '\r', '\0', '|', '\xF0'})
    EXPECT_EQ(FilterCodeKey(key), std::nullopt) << static_cast<int>(key);
}

TEST(CollectorLine, FormsOfTextAndExtension) {
  EXPECT_EQ(CollectedLine('P', entry("0100", "abc")), "P0100 abc");
  EXPECT_EQ(CollectedLine('P', entry("0100", "abc", "def")), "P0100 abc | def");
  EXPECT_EQ(CollectedLine('P', entry("0100", "", "def")), "P0100  | def");
  EXPECT_EQ(CollectedLine('P', entry("12", "abc")), "P12   abc");  // padding as stored
  EXPECT_EQ(CollectedLine('P', DtcEntry{}), std::string("P\0\0\0\0 ", 6));
}

// Every run as the log shows it, the file it leaves and what it reports.
TEST(Collect, RunsLogEveryEntryAndWriteWhatTheyReport) {
  TempDir dir;
  const std::string out = dir.file("out.txt"), old = "old contents\r\n";
  const std::string head = "[10]LOG v. 1.0\n[15]Collect base to file\n";
  const std::string query = "Quary. File already exist. Owerwrite it?\n";
  const std::string u0100 = "FIND U0100\tFOUND\t[14]U0100\t[12]OK\n";
  const struct {
    const char* name;
    bool all, exists;
    std::vector<std::string> list;
    std::string log, file;
    std::vector<std::string> notFound;
  } cases[] = {
      {"whole database; the list plays no part",
       true,
       false,
       {"X1234"},
       "Collect all database and all bases, ignore list\nCollect B base\nCollect C base\n"
       "[14]C0035\t[15]extend\t[12]OK\n[15]Collect P base\n[14]P0100\t[12]OK\n"
       "[14]P0101\t[15]extend\t[12]OK\n[14]P0100\t[12]OK\n[15]Collect U base\n"
       "[14]U0100\t[12]OK\n[15]End collection\n[12]Done",
       "C0035  | only ext\r\nP0100 Mass air flow\r\nP0101 \xC4\xE0\xF2\xF7\xE8\xEA | ext\r\n"
       "P0100 second 0100\r\nU0100 Lost communication\r\n",
       {}},
      // "00100": a digit first names no table; it must not find P's 0100 through the
      // table of the code before it.
      {"list",
       false,
       false,
       {"U0100", "P0100", "C9999", "00100", "C0035", "", "P", "p0100"},
       "Collect list codes\n" + u0100 +
           "[15]FIND P0100\tFOUND\t[14]P0100\t[12]OK\n[15]FIND C9999\tNOT FOUND\tSKIPPED\n"
           "FIND 00100\tNOT FOUND\tSKIPPED\nFIND C0035\tFOUND\t[14]C0035\t[15]extend\t[12]OK\n"
           "[15]FIND \tNOT FOUND\tSKIPPED\nFIND P\tNOT FOUND\tSKIPPED\n"
           "FIND p0100\tNOT FOUND\tSKIPPED\n[12]Done",
       "U0100 Lost communication\r\nP0100 Mass air flow\r\nC0035  | only ext\r\n",
       {"C9999", "00100", "", "P", "p0100"}},
      {"empty list", false, false, {}, "Collect list codes\n[12]Done", "", {}},
      {"overwritten",
       false,
       true,
       {"U0100"},
       query + "Collect list codes\n" + u0100 + "Done",
       "U0100 Lost communication\r\n",
       {}},
      {"declined", false, true, {"U0100"}, query + "Cancelled\n[12]Done", old, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove(out);
    if (c.exists) WriteBytes(out, old);
    RecordingSink log;
    ScriptedQuestions q{std::string(c.name) == "declined" ? Button::No : Button::Yes};
    const CollectResult r = Collect(sampleDatabase(), out, c.all, c.list, log, q);
    EXPECT_EQ(ColouredLog(log), head + c.log);
    EXPECT_EQ(ReadBytes(out), c.file);
    EXPECT_EQ(r.notFound, c.notFound);
    EXPECT_EQ(r.declined, c.file == old);
    EXPECT_EQ(r.done(), c.notFound.empty() && c.file != old);
    EXPECT_EQ(r.written, c.file == old ? 0 : std::count(c.file.begin(), c.file.end(), '\n'));
    ASSERT_EQ(q.asked().size(), c.exists ? 1u : 0u);
    if (!c.exists) continue;
    const MessageBox& box = q.asked()[0];
    EXPECT_EQ(box.text, "File already exist. overwrite it?");
    EXPECT_EQ(box.buttons, (std::vector<Button>{Button::Yes, Button::No}));
    EXPECT_EQ(box.defaultButton, Button::No);
  }
}

TEST(Collect, TheGeneratorRebuildsTheSameEntries) {
  TempDir dir;
  const std::string text = dir.file("all.txt"), rebuilt = dir.file("rebuilt.DAT");
  RecordingSink log;
  ScriptedQuestions q;
  ASSERT_TRUE(Collect(sampleDatabase(), text, true, {}, log, q).done());
  ASSERT_TRUE(Generate(text, rebuilt, log, q).done());
  DtcDatabase back, expected = sampleDatabase();
  ASSERT_TRUE(ReadDatabase(rebuilt, back).ok());
  // A text followed by an extension comes back with the blank in front of the bar.
  for (DtcTable* t : {&expected.P, &expected.C, &expected.B, &expected.U})
    for (size_t i = 1; i < t->Entries.size(); ++i)
      if (!t->Entries[i].Extension.empty()) t->Entries[i].Text += ' ';
  EXPECT_EQ(back, expected);
}

}  // namespace
}  // namespace vestral
