#include "editor/collector.h"

#include <gmock/gmock.h>

#include <filesystem>

#include "editor/generator.h"
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
// table and must not search the table of the code before it.
TEST(Collect, RunsLogEveryEntryAndWriteWhatTheyReport) {
  DtcDatabase db = EmptyDatabase();
  db.P.Entries = {DtcEntry{}, entry("0100", "Air flow"), entry("0101", "\xC4\xE0", "ext"),
                  entry("0100", "second")};
  db.U.Entries.push_back(entry("0100", "Lost"));
  db.C.Entries.push_back(entry("0035", "", "only ext"));
  TempDir dir;
  const std::string out = dir.file("out.txt"), old = "old contents\r\n";
  const std::string query = "Quary. File already exist. Owerwrite it?\n";
  const std::string u0100 = "FIND U0100\tFOUND\t[LightYellow]U0100\t[LightRed]OK\n";
  const struct {
    bool all = false, exists = false;  // Yes answers replacing it, unless it holds `old` afterwards
    std::vector<std::string> list = {}, notFound = {};
    std::string log, file;
  } cases[] = {
      // clang-format off
      {.all = true, .list = {"X1234"}, .log =
       "Collect all database and all bases, ignore list\nCollect B base\nCollect C base\n[LightYellow]C0035"
       "\t[Bright]extend\t[LightRed]OK\n[Bright]Collect P base\n[LightYellow]P0100\t[LightRed]OK\n[LightYellow]P0101\t[Bright]extend\t"
       "[LightRed]OK\n[LightYellow]P0100\t[LightRed]OK\n[Bright]Collect U base\n[LightYellow]U0100\t[LightRed]OK\n[Bright]End collection\n"
       "[LightRed]Done", .file =
       "C0035 | only ext\r\nP0100 Air flow\r\nP0101 \xC4\xE0| ext\r\nP0100 second\r\nU0100 Lost\r\n"},
      {.list = {"U0100", "P0100", "C9999", "00100", "C0035", "", "P", "p0100"},
       .notFound = {"C9999", "00100", "", "P", "p0100"}, .log =
       "Collect list codes\n" + u0100 + "[Bright]FIND P0100\tFOUND\t[LightYellow]P0100\t[LightRed]OK\n[Bright]FIND " +
       "C9999\tNOT FOUND\tSKIPPED\nFIND 00100\tNOT FOUND\tSKIPPED\nFIND C0035\tFOUND\t[LightYellow]C0035\t" +
       "[Bright]extend\t[LightRed]OK\n[Bright]FIND \tNOT FOUND\tSKIPPED\nFIND P\tNOT FOUND\tSKIPPED\nFIND p0100" +
       "\tNOT FOUND\tSKIPPED\n[LightRed]Done", .file = "U0100 Lost\r\nP0100 Air flow\r\nC0035 | only ext\r\n"},
      {.log = "Collect list codes\n[LightRed]Done", .file = ""},
      {.exists = true, .list = {"U0100"}, .log = query + "Collect list codes\n" + u0100 + "Done", .file = "U0100 Lost\r\n"},
      {.exists = true, .list = {"U0100"}, .log = query + "Cancelled\n[LightRed]Done", .file = old}};
  // clang-format on
  for (const auto& c : cases) {
    std::filesystem::remove(out);
    if (c.exists) WriteBytes(out, old);
    RecordingSink log;
    ScriptedQuestions q{c.file == old ? Button::No : Button::Yes};
    const CollectResult r = Collect(db, out, c.all, c.list, log, q);
    EXPECT_EQ(ColouredLog(log), "[LightGreen]LOG v. 1.0\n[Bright]Collect base to file\n" + c.log);
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

// Past 32 codes the tables are indexed: the same first entries, the same skips.
TEST(Collect, ALongListFindsWhatAShortOneFinds) {
  DtcDatabase db = EmptyDatabase();
  db.P.Entries = {DtcEntry{}, entry("0101", "x"), entry("0100", "Air flow"), entry("0100", "2nd")};
  std::vector<std::string> list;
  for (int i = 0; i < 12; ++i) list.insert(list.end(), {"P0100", "C0100", "00100"});
  TempDir dir;
  NullSink log;
  ScriptedQuestions q;
  const CollectResult r = Collect(db, dir.file("out.txt"), false, list, log, q);
  std::string expected;
  for (int i = 0; i < 12; ++i) expected += "P0100 Air flow\r\n";
  EXPECT_EQ(ReadBytes(dir.file("out.txt")), expected);
  EXPECT_EQ(r.notFound.size(), 24u);
}

// collect -> generate -> collect gives the same file, in code page 1251 and in UTF-8,
// and the entries back as they were; an entry whose line would not give it back is
// named, logged and left out, the others written; a description of 65,535 bytes comes
// back with its second text. UTF-8 bytes stored as code page 1251
// travel in code page 1251 only in a file that is no UTF-8 as a whole.
TEST(Collect, WritesWhatGenerateReadsBackAndLeavesOutWhatItsLineCannotCarry) {
  DtcDatabase good = EmptyDatabase(), plain = EmptyDatabase();
  good.P.Entries = {DtcEntry{},
                    entry("0100", "Air flow ", "\xC4\xE0| \x98 x|y"),
                    entry("0101", "", " lead"),
                    entry("0102", "\xC4\xE0\xF2"),
                    entry("0103", "t "),
                    entry("0104", std::string(65535, '\xC4'), "the longest description")};
  good.U.Entries.push_back(entry("0100", "\xD0\x94\xD0\xB0"));
  plain.P.Entries.push_back(entry("0100", "plain"));
  DtcDatabase bad = good, mixed = plain;
  bad.B.Entries = {
      DtcEntry{},        entry("0001", "a|b"),  entry("0002", "a", "b\rc"),
      entry("1 2", "x"), entry("0003", "a\nb"), entry("0004", "a", std::string(65536, 'x'))};
  mixed.U = good.U;
  const std::string badNames =
      "B0001 the description holds a \"|\"\nB0002 a text holds a line end\nB1 2  the code holds a "
      "blank or a line end\nB0003 a text holds a line end\nB0004 a text is longer than 65535 "
      "bytes\n";
  const std::string utf8Name =
      "U0100 its code page 1251 text would be read back as UTF-8 (collect it as UTF-8)\n";
  const struct {
    const DtcDatabase &db, &back;
    bool utf8;
    std::string notCarried;
  } cases[] = {{bad, good, false, badNames},
               {bad, good, true, badNames},
               {mixed, plain, false, utf8Name},
               {mixed, mixed, true, ""}};
  TempDir dir;
  const std::string text = dir.file("a.txt"), built = dir.file("b.DAT"), again = dir.file("c.txt");
  for (const auto& c : cases) {
    for (const std::string& f : {text, built, again}) std::filesystem::remove(f);
    RecordingSink log;
    NullSink quiet;
    ScriptedQuestions q;
    const CollectResult r = Collect(c.db, text, true, {}, log, q, c.utf8);
    std::string named;
    for (const UncarriedEntry& e : r.notCarried) named += e.code + " " + e.why + "\n";
    EXPECT_EQ(named, c.notCarried);
    EXPECT_EQ(r.done(), named.empty());
    EXPECT_TRUE(named != badNames ||
                ColouredLog(log).find(
                    "[LightYellow]B0001\t[LightRed]the description holds a \"|\"\t[Bright]SKIPPED"
                    "\n") != std::string::npos);
    ASSERT_TRUE(Generate(text, built, quiet, q).done());
    DtcDatabase back;
    ASSERT_TRUE(ReadDatabase(built, back).ok());
    EXPECT_EQ(back, c.back);
    ASSERT_TRUE(Collect(back, again, true, {}, quiet, q, c.utf8).done());
    EXPECT_EQ(ReadBytes(again), ReadBytes(text));
    EXPECT_EQ(ReadBytes(text).find("P0102 \xD0\x94\xD0\xB0\xD1\x82") != std::string::npos,
              c.utf8 && &c.db == &bad);
  }
}

}  // namespace
}  // namespace vestral
