#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "cli/run_vestral.h"
#include "database/dtc_database.h"
#include "support/entries.h"
#include "support/temp_dir.h"

namespace vestral {
namespace {

using ::testing::HasSubstr;
using testing::ProcessResult;
using testing::RunVestral;
using testing::TempDir;

const char* const kAbsent = "Ошибка отсутствует в базе данных";

using testing::entry;

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

  ProcessResult lookup(QStringList args, const std::string& input = {}) {
    args.prepend(QString::fromStdString(path_));
    args.prepend("--db");
    args.prepend("lookup");
    return RunVestral(args, input);
  }

  TempDir dir_;
  std::string path_ = dir_.file("codes.DAT");
};

TEST_F(LookupCommand, HexAndLetterFormsInAnyCasePrintOneLineEach) {
  const ProcessResult r = lookup({"0100", "p0a80", "0a80", "4123", "8abc", "fFfF", "b0AbC"});
  ASSERT_TRUE(r.finished);
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out,
            "P0100\tСиловая\tMass air flow circuit\tcheck wiring\n"
            "P0A80\tСиловая\tДатчик\tремонт\n"
            "P0A80\tСиловая\tДатчик\tремонт\n"
            "C0123\tchassis\tChassis fault\t\n"
            "B0ABC\tbody\tBody fault\t\n"
            "U3FFF\tnetwork communications systems\tNetwork fault\t\n"
            "B0ABC\tbody\tBody fault\t\n");
  EXPECT_EQ(r.err, "");
}

TEST_F(LookupCommand, AnAbsentCodeIsReportedAndTheStatusIs1) {
  const ProcessResult r = lookup({"0101", "C0123"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, std::string("P0101\t") + kAbsent + "\nC0123\tchassis\tChassis fault\t\n");
}

TEST_F(LookupCommand, TabsAndLineBreaksInsideATextKeepTheResultOnOneLine) {
  const ProcessResult r = lookup({"P0200"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, "P0200\tСиловая\ttwo parts  and lines\t\n");
}

TEST_F(LookupCommand, MalformedArgumentsAreUsageErrorsNamingEachCode) {
  struct Case {
    QStringList args;
    std::vector<const char*> messages;
  } cases[] = {
      {{"P01O0"}, {"\"P01O0\" is not a code", "letter O where the digit 0 belongs"}},
      {{"010"}, {"\"010\" is not a code: it has 3 characters"}},
      {{"0100", "X0100", "G100"}, {"\"X0100\" is not a code", "\"G100\" is not a code"}},
      {{}, {"no code given"}},
      {{"--frob", "0100"}, {"Unknown option 'frob'"}},
  };
  for (const Case& c : cases) {
    const ProcessResult r = lookup(c.args);
    EXPECT_EQ(r.exitCode, 2) << c.messages.front();
    EXPECT_EQ(r.out, "") << c.messages.front();  // nothing looked up
    for (const char* m : c.messages) EXPECT_THAT(r.err, HasSubstr(m));
  }
}

TEST_F(LookupCommand, StandardInputBatchSkipsBlankLinesAndReportsMalformedOnes) {
  const ProcessResult r =
      lookup({"-"}, "0100\r\n\n   \n  c0123  \nP01O0\n0101\nzz\n8ABC");  // no final line end
  EXPECT_EQ(r.exitCode, 2);  // the malformed lines outrank the absent code
  EXPECT_EQ(r.out, std::string("P0100\tСиловая\tMass air flow circuit\tcheck wiring\n"
                               "C0123\tchassis\tChassis fault\t\n"
                               "P0101\t") +
                       kAbsent + "\nB0ABC\tbody\tBody fault\t\n");
  EXPECT_THAT(r.err, HasSubstr("line 5: \"P01O0\" is not a code"));
  EXPECT_THAT(r.err, HasSubstr("line 7: \"zz\" is not a code"));
}

TEST_F(LookupCommand, JsonGivesEveryFieldAndNullForWhatIsAbsent) {
  const ProcessResult r = lookup({"--json", "0a80", "u0101"});
  EXPECT_EQ(r.exitCode, 1);
  QJsonParseError error;
  const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(r.out), &error);
  ASSERT_EQ(error.error, QJsonParseError::NoError) << r.out;
  const QJsonArray a = doc.array();
  ASSERT_EQ(a.size(), 2);
  const QJsonObject found = a[0].toObject();
  EXPECT_EQ(found["input"].toString(), "0a80");
  EXPECT_EQ(found["code"].toString(), "P0A80");
  EXPECT_EQ(found["found"].toBool(), true);
  EXPECT_EQ(found["system"].toString(), QString::fromUtf8("Силовая"));
  EXPECT_EQ(found["text"].toString(), QString::fromUtf8("Датчик"));
  EXPECT_EQ(found["extension"].toString(), QString::fromUtf8("ремонт"));
  const QJsonObject absent = a[1].toObject();
  EXPECT_EQ(absent["input"].toString(), "u0101");
  EXPECT_EQ(absent["code"].toString(), "U0101");
  EXPECT_EQ(absent["found"].toBool(true), false);
  EXPECT_EQ(absent["system"].toString(), "network communications systems");
  EXPECT_TRUE(absent["text"].isNull());
  EXPECT_TRUE(absent["extension"].isNull());
}

}  // namespace
}  // namespace vestral
