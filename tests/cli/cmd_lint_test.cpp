#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "cli/database_files.h"
#include "cli/run_vestral.h"
#include "support/temp_dir.h"

namespace vestral {
namespace {

using testing::Arg;
using testing::entry;
using ::testing::HasSubstr;
using testing::ProcessResult;
using testing::RunVestral;
using testing::TempDir;
using testing::WriteBytes;

// Which entries are faulty is the linter's test; here each finding's line and the count
// per kind, in the order of the kinds.
TEST(LintCommand, APlantedDatabaseGivesExactlyItsFaultsAndACountPerKind) {
  TempDir dir;
  const std::string path = dir.file("planted.DAT");
  DtcDatabase db = EmptyDatabase();
  db.P.Entries.push_back(entry("0100", "Good text"));
  db.P.Entries.push_back(entry("0100", "Shadowed"));
  db.P.Entries.push_back(entry("01G0", "Letter in the code"));
  db.B.Entries.push_back(entry("7000", "x"));
  db.U.Entries.push_back(entry("0101", "\xD0\x94\xD0\xB0\xD1\x82"));  // "Дат" in UTF-8
  db.U.Entries.push_back(entry("0102", "bell\x07"));
  ASSERT_TRUE(WriteDatabase(path, db).ok());

  const ProcessResult r = RunVestral({"lint", "--db", Arg(path)});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out,
            "table P, position 2, code 0100: duplicate code: the same code stands at position 1; "
            "lookups never reach this one\n"
            "table P, position 3, code 01G0: malformed code: the code is not a digit 0-3 and "
            "three hex digits\n"
            "table B, position 1, code 7000: malformed code: the code is not a digit 0-3 and "
            "three hex digits\n"
            "table B, position 1, code 7000: removed by the checker: ::CODE ERROR CRC::\n"
            "table U, position 1, code 0101: UTF-8 stored as code page 1251: the description "
            "looks like UTF-8 text stored as code page 1251\n"
            "table U, position 2, code 0102: control character in a text: the description "
            "holds the control character 0x07\n"
            "\n"
            "6 findings in \"" +
                path +
                "\":\n"
                "  1\tduplicate code\n"
                "  2\tmalformed code\n"
                "  1\tremoved by the checker\n"
                "  1\tcontrol character in a text\n"
                "  1\tUTF-8 stored as code page 1251\n");
  EXPECT_EQ(r.err, "");
}

TEST(LintCommand, ASourceTextIsLintedWithItsLineNumbers) {
  TempDir dir;
  const std::string path = dir.file("codes.txt");
  WriteBytes(path, "P0100 Good\r\nP0100 Again\r\n\r\nX0100 what\r\nC0123 fine\r\n");
  const ProcessResult r = RunVestral({"lint", "--source", Arg(path)});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out,
            "line 2, table P, position 2, code 0100: duplicate code: the same code stands at "
            "position 1 (line 1); lookups never reach this one\n"
            "line 3: source line the generator stops at: the line is empty\n"
            "line 4, code 0100: source line the generator stops at: the table letter X is none "
            "of P, C, B, U\n"
            "\n3 findings in \"" +
                path +
                "\":\n"
                "  1\tduplicate code\n"
                "  2\tsource line the generator stops at\n");
}

TEST(LintCommand, WrongUsageAndUnreadableFiles) {
  TempDir dir;
  const std::string missing = dir.file("none.txt");
  struct Case {
    QStringList args;
    int status;
    std::string err;
  } cases[] = {
      {{"lint", "--db", "a.DAT", "--source", "a.txt"}, 2, "--db and --source exclude each other"},
      {{"lint", "--db", Arg(missing)}, 1, "\"" + missing + "\""},
  };
  for (const Case& c : cases) {
    const ProcessResult r = RunVestral(c.args);
    EXPECT_EQ(r.exitCode, c.status) << c.err;
    EXPECT_THAT(r.err, HasSubstr(c.err));
    EXPECT_EQ(r.out, "");
  }
}

}  // namespace
}  // namespace vestral
