#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QFile>
#include <QJsonDocument>
#include <QProcess>

#include "cli/run_vestral.h"
#include "database/dtc_database.h"
#include "support/entries.h"
#include "support/temp_dir.h"

namespace vestral {
namespace {

using testing::entry;
using ::testing::HasSubstr;
using ::testing::Not;
using testing::ProcessResult;
using testing::RunVestral;

const char* const kAbsent = "Ошибка отсутствует в базе данных";
const char* const kGenericNote =
    "generic range: the same meaning on every vehicle, not in this database";

// P0100 twice (the first wins), a Cyrillic text and extension, hex letters in a code,
// a text with a tab and a line break, one entry in each other table.
class LookupCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    DtcDatabase db = EmptyDatabase();
    db.P.Name = "\xD1\xE8\xEB\xEE\xE2\xE0\xFF";  // "Силовая"
    db.P.Entries.push_back(entry("0100", "Mass air flow circuit", "check wiring"));
    db.P.Entries.push_back(entry("0100", "second P0100, never found"));
    // "Датчик" and "ремонт".
    db.P.Entries.push_back(entry("0A80", "\xC4\xE0\xF2\xF7\xE8\xEA", "\xF0\xE5\xEC\xEE\xED\xF2"));
    db.P.Entries.push_back(entry("0200", "two\tparts\r\nand lines"));
    db.C.Entries.push_back(entry("0123", "Chassis fault"));
    db.B.Entries.push_back(entry("0ABC", "Body fault"));
    db.U.Entries.push_back(entry("3FFF", "Network fault"));
    ASSERT_TRUE(WriteDatabase(path_, db).ok());
  }

  ProcessResult lookup(const QStringList& args, const std::string& input = {}) {
    return RunVestral(QStringList{"lookup", "--db", QString::fromStdString(path_)} + args, input);
  }

  testing::TempDir dir_;
  std::string path_ = dir_.file("codes.DAT");
};

// Which spellings a code may take is the code argument's test; here one line a code,
// tabs and line breaks inside a text kept off the line's own separators.
TEST_F(LookupCommand, HexAndLetterFormsPrintOneLineEach) {
  const ProcessResult r = lookup({"0100", "p0a80", "4123", "8abc", "fFfF", "P0200"});
  ASSERT_TRUE(r.finished);
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out,
            "P0100\tСиловая\tMass air flow circuit\tcheck wiring\n"
            "P0A80\tСиловая\tДатчик\tремонт\n"
            "C0123\tchassis\tChassis fault\t\n"
            "B0ABC\tbody\tBody fault\t\n"
            "U3FFF\tnetwork communications systems\tNetwork fault\t\n"
            "P0200\tСиловая\ttwo parts  and lines\t\n");
  EXPECT_EQ(r.err, "");
}

TEST_F(LookupCommand, AnAbsentCodeIsReportedWithItsRangeAndTheStatusIs1) {
  const ProcessResult r = lookup({"0101", "C0123"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, std::string("P0101\t") + kAbsent + "\t" + kGenericNote +
                       "\nC0123\tchassis\tChassis fault\t\n");
}

TEST_F(LookupCommand, MalformedArgumentsAreUsageErrorsNamingEachCode) {
  const std::pair<QStringList, std::vector<const char*>> cases[] = {
      {{"0100", "X0100", "G100"}, {"\"X0100\" is not a code", "\"G100\" is not a code"}},
      {{}, {"no code given"}},
  };
  for (const auto& [args, messages] : cases) {
    const ProcessResult r = lookup(args);
    EXPECT_EQ(r.exitCode, 2) << messages.front();
    EXPECT_EQ(r.out, "") << messages.front();  // nothing looked up
    for (const char* m : messages) EXPECT_THAT(r.err, HasSubstr(m));
  }
}

TEST_F(LookupCommand, StandardInputBatchSkipsBlankLinesAndReportsMalformedOnes) {
  const ProcessResult r =
      lookup({"-"}, "0100\r\n\n   \n  c0123  \nP01O0\n0101\nzz\n8ABC");  // no final line end
  EXPECT_EQ(r.exitCode, 2);  // the malformed lines outrank the absent code
  EXPECT_EQ(r.out, std::string("P0100\tСиловая\tMass air flow circuit\tcheck wiring\n"
                               "C0123\tchassis\tChassis fault\t\n"
                               "P0101\t") +
                       kAbsent + "\t" + kGenericNote + "\nB0ABC\tbody\tBody fault\t\n");
  EXPECT_THAT(r.err, HasSubstr("line 5: \"P01O0\" is not a code"));
  EXPECT_THAT(r.err, HasSubstr("line 7: \"zz\" is not a code"));
}

// A program feeding codes one by one gets each answer while the input is still open;
// the command, waiting there, has mapped no Qt library.
TEST_F(LookupCommand, StandardInputIsAnsweredLineByLineWithoutGuiLibraries) {
  QProcess p;
  p.start(QStringLiteral(VESTRAL_BINARY), {"lookup", "--db", QString::fromStdString(path_), "-"});
  ASSERT_TRUE(p.waitForStarted(10000));
  const std::string answers[] = {"P0100\tСиловая\tMass air flow circuit\tcheck wiring\n",
                                 "C0123\tchassis\tChassis fault\t\n"};
  const char* lines[] = {"0100\n", "c0123\n"};
  for (int i = 0; i < 2; ++i) {
    p.write(lines[i]);
    std::string got;
    while (got.size() < answers[i].size() && p.waitForReadyRead(10000))
      got += p.readAllStandardOutput().toStdString();
    EXPECT_EQ(got, answers[i]);
  }
  QFile maps(QStringLiteral("/proc/%1/maps").arg(p.processId()));
  ASSERT_TRUE(maps.open(QIODevice::ReadOnly));
  const std::string mapped = maps.readAll().toStdString();
  for (const char* gui : {"libQt6", "libicu", "libX11", "libfontconfig"})
    EXPECT_THAT(mapped, Not(HasSubstr(gui)));
  p.closeWriteChannel();
  EXPECT_TRUE(p.waitForFinished(10000));
  EXPECT_EQ(p.exitCode(), 0);
}

TEST_F(LookupCommand, JsonGivesEveryFieldAndNullForWhatIsAbsent) {
  const ProcessResult r = lookup({"--json", "0a80", "u3101"});
  EXPECT_EQ(r.exitCode, 1);
  const char* expected = R"([
      {"input": "0a80", "code": "P0A80", "found": true, "system": "Силовая",
       "text": "Датчик", "extension": "ремонт", "range": "generic"},
      {"input": "u3101", "code": "U3101", "found": false,
       "system": "network communications systems", "text": null, "extension": null,
       "range": "reserved"}])";
  const QJsonDocument want = QJsonDocument::fromJson(expected);
  ASSERT_TRUE(want.isArray());
  EXPECT_EQ(QJsonDocument::fromJson(QByteArray::fromStdString(r.out)), want) << r.out;
}

}  // namespace
}  // namespace vestral
