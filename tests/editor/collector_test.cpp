#include "editor/collector.h"

#include <gmock/gmock.h>

#include <filesystem>

#include "support/coloured_log.h"
#include "support/entries.h"
#include "support/temp_dir.h"

namespace vestral {
namespace {

using namespace testing;

TEST(CollectorKeyFilter, AcceptsTableLettersDigitsAndBackspaceOnly) {
  const std::string in = "pcbuPCBU09\b", out = "PCBUPCBU09\b";
  for (size_t i = 0; i < in.size(); ++i) EXPECT_EQ(FilterCodeKey(in[i]), out[i]);
  for (char key : {'x', 'X', 'a', 'A', ' ', '\r', '\0', '|', '\xF0'})
    EXPECT_EQ(FilterCodeKey(key), std::nullopt) << static_cast<int>(key);
}

// Every run as the log shows it, the file it leaves and what it reports. Tables are
// filled out of the collector's order, so the B, C, P, U walk shows; "00100" names no
// table and must not search the table of the code before it. The lines are what the
// generator reads back as the same entries (its ParseSourceLine test).
TEST(Collect, RunsLogEveryEntryAndWriteWhatTheyReport) {
  DtcDatabase db = EmptyDatabase();
  db.P.Entries = {DtcEntry{}, entry("0100", "Air flow"), entry("0101", "\xC4\xE0", "ext"),
                  entry("0100", "second")};
  db.U.Entries.push_back(entry("0100", "Lost"));
  db.C.Entries.push_back(entry("0035", "", "only ext"));
  TempDir dir;
  const std::string out = dir.file("out.txt"), old = "old contents\r\n";
  const std::string query = "Quary. File already exist. Owerwrite it?\n";
  const std::string u0100 = "FIND U0100\tFOUND\t[14]U0100\t[12]OK\n";
  const struct {
    bool all, exists;  // Yes answers replacing it, unless it holds `old` afterwards
    std::vector<std::string> list, notFound;
    std::string log, file;
  } cases[] = {
      // clang-format off
      {true, false, {"X1234"}, {},
       "Collect all database and all bases, ignore list\nCollect B base\nCollect C base\n[14]C0035"
       "\t[15]extend\t[12]OK\n[15]Collect P base\n[14]P0100\t[12]OK\n[14]P0101\t[15]extend\t"
       "[12]OK\n[14]P0100\t[12]OK\n[15]Collect U base\n[14]U0100\t[12]OK\n[15]End collection\n"
       "[12]Done",
       "C0035  | only ext\r\nP0100 Air flow\r\nP0101 \xC4\xE0 | ext\r\nP0100 second\r\nU0100 Lost\r\n"},
      {false, false, {"U0100", "P0100", "C9999", "00100", "C0035", "", "P", "p0100"},
       {"C9999", "00100", "", "P", "p0100"},
       "Collect list codes\n" + u0100 + "[15]FIND P0100\tFOUND\t[14]P0100\t[12]OK\n[15]FIND " +
       "C9999\tNOT FOUND\tSKIPPED\nFIND 00100\tNOT FOUND\tSKIPPED\nFIND C0035\tFOUND\t[14]C0035\t" +
       "[15]extend\t[12]OK\n[15]FIND \tNOT FOUND\tSKIPPED\nFIND P\tNOT FOUND\tSKIPPED\nFIND p0100" +
       "\tNOT FOUND\tSKIPPED\n[12]Done", "U0100 Lost\r\nP0100 Air flow\r\nC0035  | only ext\r\n"},
      {false, false, {}, {}, "Collect list codes\n[12]Done", ""},
      {false, true, {"U0100"}, {}, query + "Collect list codes\n" + u0100 + "Done", "U0100 Lost\r\n"},
      {false, true, {"U0100"}, {}, query + "Cancelled\n[12]Done", old}};
  // clang-format on
  for (const auto& c : cases) {
    std::filesystem::remove(out);
    if (c.exists) WriteBytes(out, old);
    RecordingSink log;
    ScriptedQuestions q{c.file == old ? Button::No : Button::Yes};
    const CollectResult r = Collect(db, out, c.all, c.list, log, q);
    EXPECT_EQ(ColouredLog(log), "[10]LOG v. 1.0\n[15]Collect base to file\n" + c.log);
    EXPECT_EQ(ReadBytes(out), c.file);
    EXPECT_EQ(r.notFound, c.notFound);
    EXPECT_EQ(r.declined, c.file == old);
    EXPECT_EQ(r.done(), c.notFound.empty() && c.file != old);
    EXPECT_EQ(r.written, c.file == old ? 0 : std::count(c.file.begin(), c.file.end(), '\n'));
    ASSERT_EQ(q.asked().size(), c.exists ? 1u : 0u);
    if (!c.exists) continue;
    EXPECT_EQ(q.asked()[0].text, "File already exist. overwrite it?");
    EXPECT_EQ(q.asked()[0].buttons, (std::vector<Button>{Button::Yes, Button::No}));
    EXPECT_EQ(q.asked()[0].defaultButton, Button::No);
  }
}

}  // namespace
}  // namespace vestral
