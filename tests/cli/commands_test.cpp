#include <filesystem>

#include "cli/cli_test.h"
#include "cli/entry_output.h"
#include "platform/program_paths.h"

namespace vestral::testing {
namespace {

using ::testing::EndsWith;

const std::string kAbsent = "\tОшибка отсутствует в базе данных\t";
const std::string kP0100 = "P0100\tСиловая\tMass air flow circuit\tcheck wiring\n";
const std::string kP0A80 = "P0A80\tСиловая\tДатчик\tремонт\n";
const std::string kP0130 = "P0130\tСиловая\tOxygen sensor circuit\tДАТЧИК\n";
const std::string kC0123 = "C0123\tchassis\tДатчик of the chassis\t\n";

using Commands = CliFiles;

// Usage errors stop before any file is read or written.
TEST_F(Commands, PrintAndReturn) {
  const std::tuple<const char*, int, std::string, std::string> cases[] = {
      // command line, status, standard output, the start of standard error
      {"lookup --db {main} 0100 p0a80 P0200 4123", 0,
       kP0100 + kP0A80 + "P0200\tСиловая\ttwo parts  of a sensor\t\n" + kC0123, ""},
      {"lookup --db {main} 0101 P1406 c3101 4123", 1,
       "P0101" + kAbsent + "generic range: the standard gives this code one meaning on every " +
           "make; not in this database\nP1406" + kAbsent + "manufacturer range: each maker " +
           "defines this code for its own vehicles\nC3101" + kAbsent + "reserved range: the " +
           "standard keeps it for later and has given this code no meaning yet\n" + kC0123,
       ""},
      {"lookup 0100", 1, "",
       "vestral: cannot open \"" + MainDatabasePath() +
           "\": No such file or directory (`vestral create FILE` writes an empty database)\n"},
      {"lookup --db {main} --json 0a80 c3101", 1,
       "[\n    {\n        \"code\": \"P0A80\",\n        \"extension\": \"ремонт\",\n        "
       "\"found\": true,\n        \"input\": \"0a80\",\n        \"range\": \"generic\",\n        "
       "\"system\": \"Силовая\",\n        \"text\": \"Датчик\"\n    },\n    {\n        \"code\": "
       "\"C3101\",\n        \"extension\": null,\n        \"found\": false,\n        \"input\": "
       "\"c3101\",\n        \"range\": \"reserved\",\n        \"system\": \"chassis\",\n"
       "        \"text\": null\n    }\n]\n",
       ""},
      {"lookup --db {main} --json -", 0, "[\n]\n", ""},
      {"search --db {main} --json wiring", 0,
       "[\n    {\n        \"code\": \"P0100\",\n        \"extension\": \"check wiring\",\n"
       "        \"position\": 1,\n        \"system\": \"Силовая\",\n"
       "        \"text\": \"Mass air flow circuit\"\n    }\n]\n",
       ""},
      {"search --db {main} датчик", 0, kP0A80 + kC0123 + kP0130, ""},  // descriptions first
      {"search --db {main} 日本", 1, "", "vestral: no entry holds every word given\n"},
      {"lint --db {main}", 1,
       "table P, position 2, code 0100: duplicate code: the same code stands at position 1; "
       "lookups never reach this one\ntable P, position 4, code 0200: control character in a "
       "text: the description holds the control character 0x09\n\n2 findings in \"" +
           main_ + "\":\n  1\tduplicate code\n  1\tcontrol character in a text\n",
       ""},
      {"lint --source {src}", 1,
       "line 3, table P, position 2, code 0100: duplicate code: the same code stands at position "
       "1 (line 1); lookups never reach this one\n\n1 finding in \"" +
           src_ + "\":\n  1\tduplicate code\n",
       ""},
      {"language --db {main}", 0, "en\n", ""},
      {"language --db {main} de", 2, "", "vestral language: \"de\" is no language; give en or ru"},
      {"--version", 0, "vestral " VESTRAL_VERSION "\n", ""},
      {"", 2, "", "vestral: no command given\nTry `vestral --help`.\n"},
      {"frob", 2, "", "vestral: unknown command \"frob\"\nTry `vestral --help`.\n"},
      {"--frob", 2, "", "vestral: unknown option \"--frob\"\nTry `vestral --help`.\n"},
      {"create --yes {new}", 2, "",
       "vestral create: Unknown option 'yes'.\nTry `vestral create --help`"},
      {"lookup --color=\xFF 0100", 2, "",
       "vestral lookup: --color takes auto, always or never, not \"\xEF\xBF\xBD\""},
      {"collect {new} --yes --no", 2, "", "vestral collect: --yes and --no exclude each other\n"},
      {"lookup", 2, "", "vestral lookup: no code given; name codes (0100, P0100) or - to read"},
      {"lookup 0100 X0100 G100", 2, "",
       "vestral lookup: \"X0100\" is not a code: character 1 "
       "'X' is not a system letter P, C, B or U\nvestral lookup: \"G100\" is not a code"},
      {"search", 2, "", "vestral search: no word given\nTry `vestral search --help`.\n"},
      {"create {new} b", 2, "", "vestral create: give exactly one file"},
      {"generate {src}", 2, "", "vestral generate: give the source text and the database file"},
      {"collect {new} --code P0100 --code P01", 2, "",
       "vestral collect: \"P01\" is not a code: only 3 of its characters are P, C, B, U or "
       "digits, and a code needs 5"},
      {"lint --db a --source b", 2, "", "vestral lint: --db and --source exclude each other"},
  };
  for (const auto& [line, status, out, err] : cases) {
    const Outcome r = run(line);
    EXPECT_EQ(r.out, out) << line;
    EXPECT_EQ(r.status, status) << line;
    EXPECT_THAT(r.err, ::testing::StartsWith(err)) << line;
    EXPECT_EQ(r.err.empty(), err.empty()) << line;
  }
  EXPECT_EQ(ReadBytes(fresh_), "");
}

// Blank lines are skipped, malformed ones named; fifty codes: past 32 an index answers.
TEST_F(Commands, LookupReadsStandardInput) {
  std::string input, answers;
  for (int i = 0; i < 10; ++i) {
    input += "0100\r\n\n   \n  c0123  \nP01O0\n\x1b[2J\n0a80\n";
    answers += kP0100 + kC0123 + kP0A80;
  }
  const Outcome r = run("lookup --db {main} - 0100 -", input);
  EXPECT_EQ(r.out, answers + kP0100);
  EXPECT_EQ(r.status, kExitUsage);  // the malformed lines outrank an absent code
  EXPECT_THAT(r.err, ::testing::StartsWith("vestral lookup: line 5: \"P01O0\" is not a code: "
                                           "character 4 'O' is not a hex digit"));
  EXPECT_THAT(r.err, HasSubstr("\nvestral lookup: line 6: \"?[2J\" is not a code"));
}

TEST_F(Commands, CheckRemovesDamageOnlyWithWrite) {
  const std::string before = ReadBytes(damaged_);
  const Outcome r = run("check --db {damaged}");
  EXPECT_EQ(r.err + std::to_string(r.status), "vestral: 3 damaged entries in \"" + damaged_ +
                                                  "\"; the file was left as it was (--write "
                                                  "removes them)\n1");
  EXPECT_EQ(ReadBytes(damaged_), before);
  const Outcome w = run("check --db {damaged} --write");
  EXPECT_EQ(w.status, kExitOk);
  EXPECT_THAT(w.out, EndsWith("Done\nThe previous file is kept as \"" + damaged_ + ".bak\"\n"));
  EXPECT_EQ(ReadBytes(damaged_ + ".bak"), before);
  EXPECT_EQ(ReadBack(damaged_).P.Entries.size() + ReadBack(damaged_).B.Entries.size(), 3u);
}

// An entry the source format cannot carry is named and left out; exit 1.
TEST_F(Commands, CollectWritesTheWholeDatabaseOrTheCodesInTheOrderGiven) {
  Outcome r = run("collect --db {main} {new}");
  EXPECT_EQ(r.err + std::to_string(r.status),
            "vestral collect: P0200 was not collected: a text holds a line end, so generate "
            "would not read it back\nvestral: 1 entry was left out of \"" +
                fresh_ + "\"; the others were written\n1");
  EXPECT_THAT(ReadBytes(fresh_), EndsWith("P0130 Oxygen sensor circuit| \xC4\xC0\xD2\xD7\xC8\xCA"
                                          "\r\nU0100 \xA8\xCB\xCA\xC0\r\n"));
  EXPECT_EQ(run("collect --db {main} {out} --yes --utf8 --code U0100").status, kExitOk);
  EXPECT_EQ(ReadBytes(out_), "U0100 ЁЛКА\r\n");
  r = run("collect --db {main} {out} --yes --code u01009 --code=p0100 --code c0-1-2-3");
  EXPECT_EQ(ReadBytes(out_),
            "U0100 \xA8\xCB\xCA\xC0\r\nP0100 Mass air flow circuit| check wiring"
            "\r\nC0123 " +
                kDatchik + " of the chassis\r\n");
  EXPECT_EQ(r.err + std::to_string(r.status),
            "vestral collect: \"u01009\" is taken as U0100\n"
            "vestral collect: \"c0-1-2-3\" is taken as C0123\n0");
  r = run("collect --db {main} {out} --yes --code P0300 --code B1000 --code 00100");
  EXPECT_EQ(ReadBytes(out_), "B1000 Body sensor| oxygen\r\n");
  EXPECT_EQ(r.err + std::to_string(r.status),
            "vestral: not in the database, so not collected: P0300, 00100\n1");
  EXPECT_EQ(run("collect --db {main} {out} --no").err,
            "vestral: \"" + out_ + "\" exists and was left as it was\n");
}

TEST_F(Commands, CreateAndGenerateWriteNewDatabases) {
  const Outcome created = run("create {new}");
  EXPECT_EQ(created.out + created.err + std::to_string(created.status), "0");
  EXPECT_EQ(ReadBack(fresh_), EmptyDatabase());
  EXPECT_THAT(run("generate {src} {new} --yes").out,
              EndsWith("Created database file \"" + fresh_ + "\"\nDone\n"));
  EXPECT_EQ(ReadBack(fresh_).B.Entries.back(), entry("1001", "abc", "def"));
  const Outcome unasked = run("generate {src} {main}");  // the existing file is kept
  EXPECT_THAT(unasked.err, EndsWith("vestral: \"" + main_ + "\" exists and was left as it was\n"));
  const std::string before = ReadBytes(main_);
  WriteBytes(src_, "P0100 abc\r\n\r\n");  // an empty line stops the run, which keeps the old file
  const Outcome faulty = run("generate {src} {main} --yes");
  EXPECT_EQ(faulty.err + std::to_string(faulty.status),
            "vestral: \"" + src_ +
                "\" line 2 is no entry the generator can store; the old "
                "database \"" +
                main_ + "\" was kept\n1");
  EXPECT_EQ(ReadBytes(main_), before);
  WriteBytes(src_, "P0100 Датчик\r\n");
  const Outcome lint = run("lint --source {src}");
  EXPECT_EQ(lint.out + std::to_string(lint.status),
            "\"" + src_ + "\" is UTF-8: read as generate reads it, converted to code page 1251\n0");
  EXPECT_THAT(run("generate {src} {new} --yes").out, HasSubstr("\nSource file is UTF-8"));
  EXPECT_EQ(ReadBack(fresh_).P.Entries.back(), entry("0100", kDatchik));
}

TEST_F(Commands, SyncMergesByModeAndAnswer) {
  const std::string before = ReadBytes(main_);
  const Outcome r = run("sync --db {main} {other} --dry-run --direct --yes");
  EXPECT_EQ(r.out + r.err,
            "Merging \"" + other_ + "\" into \"" + main_ +
                "\" in direct mode "
                "(each change asked) would do this; nothing was written.\nB base: 1 "
                "entry before, 1 after; 0 added, 0 identical, 0 changed\nC base: 1 "
                "entry before, 2 after; 1 added, 0 identical, 0 changed\n  added      "
                "C0200  at 2  Chassis\nP base: 5 entries before, 6 after; 1 added, 1 "
                "identical, 1 changed\n  added      P0300  at 6  Новый\n  identical  "
                "P0A80  at 3\n  changed    P0100  at 1\n      main text:  Mass air "
                "flow circuit\n      sync text:  CDE\n      main second text:  check wiring\n"
                "      sync second text:  new ext\nU base: 1 entry before, 1 after; "
                "0 added, 0 identical, 0 changed\n");
  EXPECT_THAT(run("sync --db {main} {other} --dry-run").out,
              EndsWith("becomes:    Датчик\nU base: 1 entry before, 1 after; 0 added, 0 identical, "
                       "0 changed\nA run would replace 2 non-empty second texts (each "
                       "\"extension\" above that is not empty) and asks once before it does.\n"));
  EXPECT_EQ(ReadBytes(main_), before);
  // Alternative value mode replaces two second texts: without a terminal No keeps the file.
  for (const std::string options : {"", " --yes", " --direct"}) {  // the last answers Cancel
    ASSERT_TRUE(WriteDatabase(main_, Codes()).ok());
    std::filesystem::remove(main_ + ".bak");
    const std::string was = ReadBytes(main_);
    const Outcome r = run("sync --db {main} {other}" + options);
    // A declined change is part of a complete run; declined second texts are not.
    EXPECT_EQ(r.status, options.empty() ? kExitFailure : kExitOk) << options;
    EXPECT_EQ(r.err.find("vestral: answered Cancel") != std::string::npos, options == " --direct");
    EXPECT_EQ(r.err.ends_with("vestral: \"" + main_ +
                              "\" was left as it was: replacing 2 "
                              "non-empty second texts was declined\n"),
              options.empty());
    DtcDatabase expected = Codes();
    if (options == " --yes") expected.P.Entries[1].Extension = "CDE";
    if (options == " --yes") expected.P.Entries[3].Extension = kDatchik;
    expected.P.Entries.push_back(entry("0300", "\xCD\xEE\xE2\xFB\xE9", "x"));
    expected.C.Entries.push_back(entry("0200", "Chassis"));
    EXPECT_EQ(ReadBack(main_), options.empty() ? Codes() : expected) << options;
    EXPECT_EQ(ReadBytes(main_ + ".bak"), options.empty() ? "" : was) << options;
  }
}

// No byte of a file may steer a terminal through JSON: every control character is
// escaped, C1 ones and DEL included (the unassigned 0x98 stands for U+0098).
TEST(JsonText, EscapesQuotesBackslashesAndEveryControlCharacter) {
  const char bytes[] = "q\"b\\ \0\x01\b\t\n\x0B\f\r\x1F\x7F\x98 \xC4\xE0 \xB9 /";
  EXPECT_EQ(JsonText(std::string_view(bytes, sizeof bytes - 1)),
            R"("q\"b\\ \u0000\u0001\b\t\n\u000b\f\r\u001f\u007f\u0098 Да № /")");
}

}  // namespace
}  // namespace vestral::testing
