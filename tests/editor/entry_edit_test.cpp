#include "editor/entry_edit.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

#include "database/file_io.h"
#include "support/entries.h"
#include "support/lock_probe.h"
#include "support/temp_dir.h"

namespace vestral::testing {
namespace {

class EntryEdits : public ::testing::Test {
 protected:
  void SetUp() override {
    DtcDatabase db = EmptyDatabase();
    db.P.Entries = {db.P.Entries[0], entry("0100", "MAF", "check wiring"), entry("0200", "Inj"),
                    entry("0100", "second P0100")};
    db.U.Entries.push_back(entry("0100", "Lost ECM"));
    ASSERT_TRUE(WriteDatabase(path_, db).ok());
  }
  DtcTable table(char letter) const {
    DtcDatabase db;
    return ReadDatabase(path_, db).ok() ? *db.table(letter) : DtcTable{};
  }

  TempDir dir_;
  std::string path_ = dir_.file("codes.DAT");
};

// Each step runs on what the steps before it left. A code already held is changed in
// place, never added twice; a change is asked first, and No leaves the file's bytes.
TEST_F(EntryEdits, SetAddsOrChangesAfterAskingAndNeverAddsACodeTwice) {
  struct Step {
    const char* code;
    const char* text;
    std::optional<std::string> ext;
    Button answer;
    EditOutcome outcome;
    bool asked;
    std::vector<DtcEntry> p;  // the P table afterwards, without its placeholder
  };
  const DtcEntry second = entry("0100", "second P0100"), inj = entry("0200", "Inj");
  const Step steps[] = {
      {"1900",
       "Own",
       "x",
       Button::No,
       EditOutcome::kAdded,
       false,
       {entry("0100", "MAF", "check wiring"), inj, second, entry("1900", "Own", "x")}},
      {"1900",
       "Own",
       std::nullopt,
       Button::Yes,
       EditOutcome::kUnchanged,
       false,
       {entry("0100", "MAF", "check wiring"), inj, second, entry("1900", "Own", "x")}},
      {"0100",
       "Mass air flow",
       std::nullopt,
       Button::No,
       EditOutcome::kDeclined,
       true,
       {entry("0100", "MAF", "check wiring"), inj, second, entry("1900", "Own", "x")}},
      {"0100",
       "Mass air flow",
       std::nullopt,
       Button::Yes,
       EditOutcome::kChanged,
       true,
       {entry("0100", "Mass air flow", "check wiring"), inj, second, entry("1900", "Own", "x")}},
      {"0100",
       "Mass air flow",
       "",
       Button::Yes,
       EditOutcome::kChanged,
       true,
       {entry("0100", "Mass air flow"), inj, second, entry("1900", "Own", "x")}},
  };
  for (const Step& step : steps) {
    const std::string before = ReadBytes(path_);
    std::filesystem::remove(BackupPath(path_));
    LockProbingQuestions questions(path_, {step.answer});
    const SetEntryResult r = SetEntry(path_, {'P', step.code, step.text, step.ext}, questions);
    ASSERT_TRUE(r.status.ok()) << r.status.message();
    EXPECT_EQ(r.outcome, step.outcome) << step.code;
    EXPECT_EQ(questions.asked().size(), step.asked ? 1u : 0u) << step.code;
    EXPECT_FALSE(questions.unlockedWhileAsked());
    const DtcTable p = table('P');
    EXPECT_EQ(std::vector<DtcEntry>(p.Entries.begin() + 1, p.Entries.end()), step.p) << step.code;
    const bool written = r.outcome == EditOutcome::kAdded || r.outcome == EditOutcome::kChanged;
    EXPECT_EQ(ReadBytes(BackupPath(path_)), written ? before : "") << step.code;
    EXPECT_TRUE(written || ReadBytes(path_) == before) << step.code;
  }
  ScriptedQuestions no;
  EXPECT_EQ(SetEntry(path_, {'P', "0100", "MAF", "new ext"}, no).outcome, EditOutcome::kDeclined);
  ASSERT_EQ(no.asked().size(), 1u);
  EXPECT_EQ(no.asked()[0].text,
            "P0100 in \"" + path_ +
                "\" holds other texts. Replace them?\r\n\r\nDescription now:  Mass air "
                "flow\r\nDescription new:  MAF\r\nSecond text now:  \r\nSecond text new:  new ext");
}

// Texts an entry cannot hold are refused before the file is touched.
TEST_F(EntryEdits, SetRefusesTextsAnEntryCannotHold) {
  const std::string before = ReadBytes(path_);
  const std::tuple<std::string, std::string, std::string> cases[] = {
      {"", "x", "the description is empty"},
      {"a|b", "", "the description holds a \"|\", which separates the two texts in a source line"},
      {"ok", "line\r\nbreak", "the second text holds a control character (a line break or a tab)"},
      {std::string(65536, 'a'), "",
       "the description is 65536 characters long; a text holds at most 65535"},
  };
  ScriptedQuestions yes{Button::Yes};
  for (const auto& [text, ext, problem] : cases)
    EXPECT_EQ(SetEntry(path_, {'P', "0100", text, ext}, yes).status.message(), problem);
  EXPECT_EQ(ReadBytes(path_), before);
  EXPECT_EQ(SetEntry(path_, {'P', "0100", std::string(65535, 'a'), ""}, yes).outcome,
            EditOutcome::kChanged);
}

// Every entry of a code goes, after one question that lists them; No keeps the file.
TEST_F(EntryEdits, RemoveAsksOnceAndTakesEveryEntryOfACode) {
  const std::string before = ReadBytes(path_);
  const std::vector<std::string> codes = {"P0100", "U0100", "P1234", "P0100"};
  LockProbingQuestions no(path_, {Button::No});
  const RemoveEntriesResult declined = RemoveEntries(path_, codes, no);
  EXPECT_TRUE(declined.declined);
  EXPECT_EQ(ReadBytes(path_), before);
  ASSERT_EQ(no.asked().size(), 1u);
  EXPECT_EQ(no.asked()[0].text, "Remove 3 entries from \"" + path_ +
                                    "\"?\r\n\r\nP0100  MAF | check wiring\r\nP0100  second "
                                    "P0100\r\nU0100  Lost ECM");
  EXPECT_EQ(no.asked()[0].defaultButton, Button::No);
  EXPECT_FALSE(no.unlockedWhileAsked());

  ScriptedQuestions yes{Button::Yes};
  const RemoveEntriesResult r = RemoveEntries(path_, codes, yes);
  EXPECT_TRUE(r.status.ok());
  EXPECT_EQ(r.removed.size(), 3u);
  EXPECT_EQ(r.absent, std::vector<std::string>{"P1234"});
  EXPECT_EQ(table('P').Entries, tableOf({entry("0200", "Inj")}).Entries);
  EXPECT_EQ(table('U').upperBound(), 0);
  EXPECT_EQ(ReadBytes(BackupPath(path_)), before);
}

}  // namespace
}  // namespace vestral::testing
