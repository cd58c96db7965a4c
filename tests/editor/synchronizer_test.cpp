#include "editor/synchronizer.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <random>

#include "support/coloured_log.h"
#include "support/entries.h"
#include "support/temp_dir.h"

namespace vestral {
namespace {

using testing::ColouredLog;
using ::testing::ElementsAre;
using ::testing::EndsWith;
using ::testing::HasSubstr;
using ::testing::Not;
using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

using testing::entry;

using testing::tableOf;

// Answers every box with the same button and keeps what it was shown.
class AlwaysAnswer : public Questions {
 public:
  explicit AlwaysAnswer(Button b) : b_(b) {}
  Button ask(const MessageBox& box) override {
    asked.push_back(box);
    return b_;
  }
  std::vector<MessageBox> asked;

 private:
  Button b_;
};

constexpr const char* kBegin = "*********************** BEGIN *************************\n";
constexpr const char* kEnd = "***********************  END  *************************\n";

TEST(SyncConfirmationBox, ShowsBothCodesAndTextsWithCancelAsDefault) {
  const MessageBox box = SyncConfirmation(entry("0100", "old text"), entry("0200", "new"));
  EXPECT_EQ(box.text, "Confilm change:\r\n\r\n0100\r\nold text\r\n\r\n TO \r\n\r\n0200\r\nnew");
  EXPECT_THAT(box.buttons, ElementsAre(Button::Ok, Button::Cancel));
  EXPECT_EQ(box.defaultButton, Button::Cancel);
}

TEST(SyncTableDirect, DecisionsByTextAndAnswer) {
  const struct {
    const char* name;
    DtcEntry main, sync;
    Button answer;
    bool asks;
    DtcEntry result;
    const char* verdict;
  } cases[] = {
      {"equal texts: no question", entry("0100", "AB", "m"), entry("0100", "AB", "s"), Button::Ok,
       false, entry("0100", "AB", "m"), "[11]Skip"},
      {"other length, OK: replaced whole", entry("0100", "AB", "m"), entry("0100", "ABC"),
       Button::Ok, true, entry("0100", "ABC"), "[10]Complete\t"},
      {"other length, Cancel", entry("0100", "AB", "m"), entry("0100", "ABC", "s"), Button::Cancel,
       true, entry("0100", "AB", "m"), "[11]Skip"},
      // Same length, other characters: still a change worth asking about.
      {"same length, OK", entry("0100", "AB", "m"), entry("0100", "CD", "s"), Button::Ok, true,
       entry("0100", "CD", "s"), "[10]Complete\t"},
      {"same length, Cancel", entry("0100", "AB"), entry("0100", "CD"), Button::Cancel, true,
       entry("0100", "AB"), "[11]Skip"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    DtcTable main = tableOf({entry("0001", "x"), c.main});
    RecordingSink log;
    AlwaysAnswer q(c.answer);
    SyncTable(log, main, tableOf({c.sync}), true, q);
    EXPECT_EQ(q.asked.size(), c.asks ? 1u : 0u);
    EXPECT_EQ(main.upperBound(), 2);
    EXPECT_EQ(main.Entries[2], c.result);
    EXPECT_EQ(main.Entries[1], entry("0001", "x"));
    EXPECT_EQ(ColouredLog(log), std::string("[9]") + kBegin +
                                    "[15]FIND 0100\t[13]FOUND, [15]Sync\t" + c.verdict + "[9]->\n" +
                                    kEnd);
  }
}

TEST(SyncTable, AppendedEntriesAreFoundByLaterSyncEntries) {
  for (bool direct : {true, false}) {
    SCOPED_TRACE(direct ? "direct" : "alternative");
    DtcTable main = tableOf({entry("0100", "a")});
    RecordingSink log;
    AlwaysAnswer q(Button::Ok);
    SyncTable(log, main, tableOf({entry("0500", "first", "e1"), entry("0500", "second", "e2")}),
              direct, q);
    ASSERT_EQ(main.upperBound(), 2);  // appended once, found the second time
    EXPECT_EQ(main.Entries[2],
              direct ? entry("0500", "second", "e2") : entry("0500", "first", "second"));
    EXPECT_THAT(log.lines(), HasSubstr("FIND 0500\tNOT FOUND, Create\tComplete\t->\n"
                                       "FIND 0500\tFOUND, "));
    if (direct) {
      ASSERT_EQ(q.asked.size(), 1u);
      EXPECT_EQ(q.asked[0].text, SyncConfirmation(entry("0500", "first"), main.Entries[2]).text);
    }
  }
}

TEST(SyncTable, MainWithoutEntriesArrayKeepsItsPlaceholder) {
  DtcTable main;  // never filled
  RecordingSink log;
  AlwaysAnswer q(Button::Ok);
  SyncTable(log, main, tableOf({entry("0100", "a")}), true, q);
  ASSERT_EQ(main.upperBound(), 1);
  EXPECT_EQ(main.Entries[0], DtcEntry{});
  EXPECT_EQ(main.Entries[1], entry("0100", "a"));
}

// The merge with the plain linear search of FindEntry: the yardstick for the index.
void linearSyncTable(DtcTable& main, const DtcTable& sync, bool direct, Questions& q) {
  for (int32_t i = 1; i <= sync.upperBound(); ++i) {
    const DtcEntry& s = sync.Entries[i];
    int32_t k = 0;
    if (!FindEntry(main, s.code(), k)) {
      main.Entries.push_back(s);
    } else if (!direct) {
      main.Entries[k].Extension = s.Text;
    } else if (main.Entries[k].Text != s.Text &&
               q.ask(SyncConfirmation(main.Entries[k], s)) == Button::Ok) {
      main.Entries[k] = s;
    }
  }
}

// Few codes and few texts, so that codes repeat in both tables and texts of equal
// length differ.
DtcTable randomTable(std::mt19937& rng, int maxEntries) {
  static const char* kCodes[] = {"0100", "0101", "0200", "1234", "3FFF", "0A0B", "2000", "12"};
  static const char* kTexts[] = {"", "a", "b", "ab", "cd", "abc", "\xE0\xE1"};
  DtcTable t = tableOf({});
  const int n = std::uniform_int_distribution<int>(0, maxEntries)(rng);
  for (int i = 0; i < n; ++i)
    t.Entries.push_back(entry(kCodes[rng() % 8], kTexts[rng() % 7], kTexts[rng() % 7]));
  return t;
}

TEST(SyncTableIndex, SameResultsAsTheLinearSearch) {
  std::mt19937 rng(20240601);
  for (int round = 0; round < 400; ++round) {
    const bool direct = round % 2 == 0;
    const DtcTable main = randomTable(rng, 12);
    const DtcTable sync = randomTable(rng, 12);
    std::vector<Button> answers;
    for (int i = 0; i < 12; ++i) answers.push_back(rng() % 2 ? Button::Ok : Button::Cancel);

    DtcTable indexed = main, linear = main;
    ScriptedQuestions qi, ql;
    for (Button b : answers) qi.push(b), ql.push(b);
    NullSink log;
    SyncTable(log, indexed, sync, direct, qi);
    linearSyncTable(linear, sync, direct, ql);

    ASSERT_EQ(indexed, linear) << "round " << round;
    ASSERT_EQ(qi.asked().size(), ql.asked().size()) << "round " << round;
    for (size_t i = 0; i < qi.asked().size(); ++i)
      ASSERT_EQ(qi.asked()[i].text, ql.asked()[i].text) << "round " << round;
  }
}

TEST(SyncPlanTable, ListsAdditionsIdenticalAndChangedEntries) {
  const DtcTable main = tableOf({entry("0100", "same", "e"), entry("0200", "old", "x")});
  const DtcTable sync =
      tableOf({entry("0100", "same"), entry("0200", "new"), entry("0300", "add")});

  const SyncTablePlan direct = PlanSyncTable(main, sync, 'B', true);
  ASSERT_EQ(direct.added.size(), 1u);
  EXPECT_EQ(direct.added[0].code, "0300");
  EXPECT_EQ(direct.added[0].mainIndex, 3);
  EXPECT_EQ(direct.added[0].syncIndex, 3);
  ASSERT_EQ(direct.identical.size(), 1u);
  EXPECT_EQ(direct.identical[0].code, "0100");
  ASSERT_EQ(direct.changed.size(), 1u);
  EXPECT_EQ(direct.changed[0].mainText, "old");
  EXPECT_EQ(direct.changed[0].syncText, "new");
  EXPECT_EQ(direct.sizeBefore, 2);
  EXPECT_EQ(direct.sizeAfter, 3);

  // Alternative value mode compares the main Extension with the sync Text.
  const SyncTablePlan alt = PlanSyncTable(main, sync, 'B', false);
  EXPECT_TRUE(alt.identical.empty());
  ASSERT_EQ(alt.changed.size(), 2u);
  EXPECT_EQ(alt.changed[0].mainText, "e");
  EXPECT_EQ(alt.changed[0].syncText, "same");
}

// --- whole runs on files ----------------------------------------------------------

DtcDatabase mainDatabase() {
  DtcDatabase db = EmptyDatabase();
  db.P.Entries.push_back(entry("0100", "Mass air flow"));
  db.P.Entries.push_back(entry("0101", "Range"));
  db.B.Entries.push_back(entry("1001", "Seat"));
  return db;
}

DtcDatabase syncDatabase() {
  DtcDatabase db = EmptyDatabase();
  db.P.Entries.push_back(entry("0101", "Range/performance", "new ext"));
  db.P.Entries.push_back(entry("0102", "Low input"));
  db.U.Entries.push_back(entry("0100", "Lost communication", "u"));
  return db;
}

struct Files {
  TempDir dir;
  std::string main = dir.file("MAIN.DAT");
  std::string sync = dir.file("other.dat");
  Files(const DtcDatabase& m, const DtcDatabase& s) {
    EXPECT_TRUE(WriteDatabase(main, m).ok());
    EXPECT_TRUE(WriteDatabase(sync, s).ok());
  }
  DtcDatabase read(const std::string& path) const {
    DtcDatabase db;
    EXPECT_TRUE(ReadDatabase(path, db).ok());
    return db;
  }
};

TEST(Synchronize, AlternativeModeWholeLog) {
  Files f(mainDatabase(), syncDatabase());
  const std::string syncBytes = ReadBytes(f.sync);
  RecordingSink log;
  AlwaysAnswer q(Button::Cancel);
  EXPECT_TRUE(Synchronize(f.main, f.sync, false, log, q));
  EXPECT_TRUE(q.asked.empty());
  const std::string begin = std::string("[9]") + kBegin;
  EXPECT_EQ(ColouredLog(log),
            "[10]LOG v. 1.0\n"
            "[15]Synchronization databases Alternative value mode\n"
            "Open main database\n"
            "[6]B - base positions 1\nC - base positions 0\n"
            "P - base positions 2\nU - base positions 0\n"
            "[15]Open Syncho database\n"
            "[6]B - base positions 0\nC - base positions 0\n"
            "P - base positions 2\nU - base positions 1\n"
            "[15]Synchronize B base:\n" +
                begin + kEnd + "[15]Synchronize C base:\n" + begin + kEnd +
                "[15]Synchronize P base:\n" + begin +
                "[15]FIND 0101\t[13]FOUND, [15]Add\t[10]Complete\t[9]->\n"
                "[15]FIND 0102\t[14]NOT FOUND, Create\t[10]Complete\t[9]->\n" +
                kEnd + "[15]Synchronize U base:\n" + begin +
                "[15]FIND 0100\t[14]NOT FOUND, Create\t[10]Complete\t[9]->\n" + kEnd +
                "[15]Synchronization complete\n"
                "[6]B - base positions 1\nC - base positions 0\n"
                "P - base positions 3\nU - base positions 1\n"
                "[12]Done");
  DtcDatabase expected = mainDatabase();
  expected.P.Entries[2].Extension = "Range/performance";
  expected.P.Entries.push_back(entry("0102", "Low input"));
  expected.U.Entries.push_back(entry("0100", "Lost communication", "u"));
  EXPECT_EQ(f.read(f.main), expected);
  EXPECT_EQ(ReadBytes(f.sync), syncBytes);
}

// Merging a database into itself is allowed: direct mode finds every code at its first
// occurrence, alternative value mode copies each text into its own second text.
TEST(Synchronize, WithItself) {
  DtcDatabase db = mainDatabase();
  db.P.Entries.push_back(entry("0100", "repeated code"));
  for (bool direct : {true, false}) {
    Files f(db, EmptyDatabase());
    const std::string before = ReadBytes(f.main);
    RecordingSink log;
    AlwaysAnswer q(Button::Ok);
    EXPECT_TRUE(Synchronize(f.main, f.main, direct, log, q));
    const DtcDatabase after = f.read(f.main);
    if (direct) {
      // The repeated code meets its first occurrence, whose text differs.
      ASSERT_EQ(q.asked.size(), 1u);
      EXPECT_EQ(after.P.Entries[1], entry("0100", "repeated code"));
      EXPECT_EQ(after.P.upperBound(), 3);
      EXPECT_EQ(after.B, db.B);
    } else {
      EXPECT_TRUE(q.asked.empty());
      EXPECT_EQ(after.B.Entries[1], entry("1001", "Seat", "Seat"));
      EXPECT_EQ(after.P.Entries[1], entry("0100", "Mass air flow", "repeated code"));
      EXPECT_EQ(after.P.Entries[2], entry("0101", "Range", "Range"));
      EXPECT_EQ(after.P.Entries[3], entry("0100", "repeated code"));
      EXPECT_NE(ReadBytes(f.main), before);
    }
    EXPECT_THAT(log.lines(), Not(HasSubstr("NOT FOUND")));
  }
}

// The run on files hands its sync entries over instead of copying them; the result
// must still be the plain merge, repeated codes included.
TEST(Synchronize, SameResultAsTheLinearMergeOfEveryTable) {
  std::mt19937 rng(5);
  for (int round = 0; round < 20; ++round) {
    const bool direct = round % 2 == 0;
    DtcDatabase m = EmptyDatabase(), s = EmptyDatabase();
    for (DtcTable* t : {&m.P, &m.C, &m.B, &m.U}) *t = randomTable(rng, 30);
    for (DtcTable* t : {&s.P, &s.C, &s.B, &s.U}) *t = randomTable(rng, 30);
    Files f(m, s);
    NullSink log;
    AlwaysAnswer q(Button::Ok), ql(Button::Ok);
    ASSERT_TRUE(Synchronize(f.main, f.sync, direct, log, q));
    for (char letter : {'B', 'C', 'P', 'U'})
      linearSyncTable(*m.table(letter), *s.table(letter), direct, ql);
    ASSERT_EQ(f.read(f.main), m) << "round " << round;
    ASSERT_EQ(q.asked.size(), ql.asked.size()) << "round " << round;
  }
}

TEST(SynchronizeFailures, ReportedAndTheMainFileKept) {
  TempDir dir;
  const std::string good = dir.file("good.DAT");
  ASSERT_TRUE(WriteDatabase(good, mainDatabase()).ok());
  std::string goodBytes = ReadBytes(good);

  const struct {
    const char* name;
    std::string main, sync;
    std::string line;  // the last log line before "Done"
    LogColour color;
  } cases[] = {
      {"sync missing", good, dir.file("none.DAT"), "Synchro database not found",
       color::kBrightWhite},
      {"sync empty path", good, "", "Synchro database not found", color::kBrightWhite},
      {"main missing", dir.file("nomain.DAT"), good,
       "Cannot open \"" + dir.file("nomain.DAT") + "\"", color::kLightRed},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const bool mainIsFile = std::filesystem::is_regular_file(c.main);
    const std::string mainBefore = mainIsFile ? ReadBytes(c.main) : "";
    RecordingSink log;
    AlwaysAnswer q(Button::Ok);
    EXPECT_FALSE(Synchronize(c.main, c.sync, true, log, q));
    const std::vector<LogRun>& r = log.runs();
    ASSERT_GE(r.size(), 3u);
    EXPECT_EQ(r.back().text, "Done");
    EXPECT_THAT(r[r.size() - 2].text, HasSubstr(c.line));
    EXPECT_THAT(r[r.size() - 2].text, EndsWith("\r\n"));
    EXPECT_EQ(r[r.size() - 2].color, c.color);
    if (mainIsFile) {
      EXPECT_EQ(ReadBytes(c.main), mainBefore);
    }
    EXPECT_THAT(log.lines(), Not(HasSubstr("Synchronize B base:")));
  }
  EXPECT_FALSE(std::filesystem::exists(dir.file("nomain.DAT")));
  EXPECT_EQ(ReadBytes(good), goodBytes);
}

}  // namespace
}  // namespace vestral
