#include "editor/generator.h"

#include <gmock/gmock.h>

#include <filesystem>

#include "support/coloured_log.h"
#include "support/entries.h"
#include "support/temp_dir.h"

namespace vestral {
namespace {

using namespace testing;

TEST(ParseSourceLine, TakesTheLineApartOrRefusesAHeadThatIsNotFiveCharacters) {
  // Each line, then its letter, code, text and extension joined by '/', or "" when the
  // line is refused. The collector's layout keeps the blank before the bar; whatever
  // stands behind the bar is dropped.
  // clang-format off
  const std::string cases[] = {
      "P0100 abc", "P/0100/abc/",          "B1001 abc| def", "B/1001/abc/def",
      "C0035 abc | def", "C/0035/abc /def", "B1001 abc|def", "B/1001/abc/ef",
      "U0100 a|b|c", "U/0100/a/|c",        "P0100 ", "P/0100//",
      "P0100 | x", "P/0100//x",            "P0100  two  ", "P/0100/ two  /",
      "X0100 later", "X/0100/later/",      "P\t\t00 tabs", "P/\t\t00/tabs/",
      "P010 abc", "",                      "P01000 abc", "",
      " P0100 abc", "",                    "P0100\tabc", ""};
  // clang-format on
  for (size_t i = 0; i < std::size(cases); i += 2) {
    SourceLine out;
    const bool taken = ParseSourceLine(cases[i], out);
    const std::string got = std::string(1, out.letter) + "/" + std::string(out.code) + "/" +
                            std::string(out.text) + "/" + std::string(out.extension);
    EXPECT_EQ(taken ? got : "", cases[i + 1]) << "'" << cases[i] << "'";
  }
}

TEST(SplitSourceLines, EndsLinesAtCrCrLfAndLf) {
  // Each text, then its lines, each followed by '|'.
  // clang-format off
  const std::string cases[] = {
      "", "",                 "a", "a|",               "a\rb\nc\r\nd", "a|b|c|d|",
      "a\r\n\r\n", "a||",     "\r\n", "|",             "a\n\rb", "a||b|",
      "a\r\r\nb", "a||b|"};
  // clang-format on
  for (size_t i = 0; i < std::size(cases); i += 2) {
    std::string got;
    for (std::string_view line : SplitSourceLines(cases[i])) got.append(line) += '|';
    EXPECT_EQ(got, cases[i + 1]) << cases[i];
  }
}

std::string counts(int p, int c, const char* word) {
  return "[Bright]P:" + std::to_string(p) + "\tC:" + std::to_string(c) + "\tB:0\tU:0\t" + word +
         "\n";
}

// Every run as the log shows it, with what it reports, asks and leaves in the
// destination; the boxes' buttons once, in the declined run. A run that fails leaves a
// destination that held a file exactly as it was; one that held nothing gets the empty
// database. A UTF-8 source is converted, up to a character code page 1251 lacks.
TEST(Generate, RunsLogEveryStepAndLeaveTheDestinationAsTheyReport) {
  TempDir dir;
  const std::string src = dir.file("codes.txt"), dst = dir.file("out.DAT"), old = "old bytes";
  const std::string x(65536, 'x'), t(65535, 't');
  DtcDatabase db[4] = {EmptyDatabase(), EmptyDatabase(), EmptyDatabase(), EmptyDatabase()};
  db[1].P.Entries = {DtcEntry{}, entry("0100", "abc"), entry("0100", "twice")};
  db[1].C.Entries = {DtcEntry{}, entry("0035", "abc ", "def")};
  db[2].P.Entries.push_back(entry("0100", t, t));
  db[3].P.Entries.push_back(entry("0100", "\xC4\xE0", "\xED\xE5\xF2"));
  const std::string bytes[4] = {Bytes(db[0]), Bytes(db[1]), Bytes(db[2]), Bytes(db[3])};
  const std::string begin = "******************************* BEGIN *******************************";
  const std::string end = "*******************************  END  *******************************";
  const auto create = [&begin](bool utf8) {
    return "[Bright]Create new database\tOK\n[Yellow]B - base positions 0\n"
           "C - base positions 0\nP - base positions 0\nU - base positions 0\n" +
           std::string(utf8 ? "[Bright]Source file is UTF-8: converted to code page 1251\n" : "") +
           "[LightBlue]" + begin + "\n";
  };
  const std::string three = create(false) + counts(1, 0, "[LightBlue]Ok") +
                            counts(1, 1, "[LightYellow]Extend") + counts(2, 1, "[LightBlue]Ok") +
                            end + "\n";
  const std::string done = "[Bright]Created database file \"" + dst + "\"\n[LightRed]Done";
  const std::string erase =
      "[Grey]Quary. File must be erased before generating. Confilm please ... \t";
  const std::string rewrite = "File already exist, rewrite it?";
  const std::string none = "[Bright]Source file not found\n",
                    keptText = "The old database \"" + dst + "\" was kept\n[LightRed]Done",
                    kept = "[Bright]" + keptText;
  const auto stop = [](const std::string& why, int line) {
    return "[LightRed]" + why + ". See line " + std::to_string(line) + " of source file.\n";
  };
  // `asked`: the boxes shown; the destination holds `old` before a run that asks to
  // rewrite it or that reads `from` another path; `to`: another destination.
  const struct {
    std::string source, log, dest, asked;
    int entries;
    std::string from = {}, to = {};
    Button answer = Button::Yes;
  } cases[] = {
      // clang-format off
      {"P0100 abc\r\nC0035 abc | def\r\nP0100 twice\r\n", three + done, bytes[1], "", 3},
      {"P0100 abc\r\n", erase + "[Bright]Abort[LightRed]Done", old, rewrite, 0, {}, {}, Button::No},
      {"P0100 abc\r\nC0035 abc | def\r\nP0100 twice", erase + "[LightCyan]Erase file\n" + three + done,
       bytes[1], rewrite, 3},
      {"P0100 " + t + "|_" + t, create(false) + counts(1, 0, "[LightYellow]Extend") + "[LightBlue]" + end +
       "\n" + done, bytes[2], "", 1},
      {"P0100 a\r\n\r\nP0101 b\r\n", create(false) + counts(1, 0, "[LightBlue]Ok") +
       stop("Source error. Code lench is missing", 2) + "Done", bytes[0], "", 0},
      {"P0100 a\r\n\r\n", erase + "[LightCyan]Erase file\n" + create(false) + counts(1, 0, "[LightBlue]Ok") +
       stop("Source error. Code lench is missing", 2) + kept, old, rewrite, 0},
      {"P0100 a|_" + x, create(false) + stop("Source error. Extension is longer than 65535 bytes", 1)
       + "Done", bytes[0], "", 0},
      {"P0100 a\r\nC0100 b\r\np0100 abc\r\n", create(false) + counts(1, 0, "[LightBlue]Ok") +
       counts(1, 1, "[LightBlue]Ok") + stop("Script error. This database absense in database", 3) + "Done",
       bytes[0], "No table in the database [p] on line 3 [!]", 0},
      {"P0100 \xD0\x94\xD0\xB0| \xD0\xBD\xD0\xB5\xD1\x82", create(true) + counts(1, 0, "[LightYellow]Extend") +
       "[LightBlue]" + end + "\n" + done, bytes[3], "", 1},
      {"\xEF\xBB\xBFP0100 a\r\nP0101 \xD0\x94\xE6\x97\xA5", erase + "[LightCyan]Erase file\n" + create(true) +
       counts(1, 0, "[LightBlue]Ok") + stop("Source error. Character 8 (U+65E5) is not in code page 1251",
       2) + kept, old, rewrite, 0},
      {"P0100 abc\r\n", none + "[LightRed]Done", "", "", 0, dir.file("none.txt")},
      {"P0100 abc\r\n", none + keptText, old, "", 0, dir.file("none.txt")},
      {"P0100 abc\r\n", "[LightRed]\"" + src + "\" is the source file itself; choose another destination"
       "\nDone", "P0100 abc\r\n", "", 0, src, src}};
  // clang-format on
  for (const auto& c : cases) {
    std::filesystem::remove(dst);
    if (c.asked == rewrite || (c.dest == old && !c.from.empty())) WriteBytes(dst, old);
    WriteBytes(src, c.source);
    RecordingSink log;
    ScriptedQuestions questions{c.answer};
    const std::string& from = c.from.empty() ? src : c.from;
    const GenerateResult r = Generate(from, c.to.empty() ? dst : c.to, log, questions);
    EXPECT_EQ(ColouredLog(log), "[LightGreen]LOG v. 1.0\n" + c.log);
    EXPECT_EQ(ReadBytes(c.to.empty() ? dst : c.to), c.dest);
    EXPECT_EQ(r.done(), c.entries > 0);
    EXPECT_EQ(r.declined, c.answer == Button::No);
    EXPECT_EQ(r.keptOld, c.log.find("The old database") != std::string::npos);
    EXPECT_EQ(r.sourceUnreadable, c.log.starts_with(none));
    EXPECT_EQ(r.entries, c.entries);
    EXPECT_TRUE(r.status.ok() || r.status.message().find(from) != std::string::npos);
    std::string asked;
    for (const MessageBox& box : questions.asked())  // [!]: a critical box that only informs
      asked += box.text + (box.icon == Icon::Critical && box.buttons.size() == 1 ? " [!]" : "");
    EXPECT_EQ(asked, c.asked);
    if (c.answer == Button::Yes) continue;
    EXPECT_EQ(questions.asked()[0].buttons, (std::vector<Button>{Button::Yes, Button::No}));
    EXPECT_EQ(questions.asked()[0].defaultButton, Button::No);
  }
}

}  // namespace
}  // namespace vestral
