#include "editor/entry_edit.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/file_io.h"
#include "support/entries.h"
#include "support/lock_probe.h"
#include "support/temp_dir.h"

namespace vestral::testing {
namespace {

// A table as "code:text|extension " words, for short expectations.
std::string shown(const DtcTable& t) {
  std::string s;
  for (size_t i = 1; i < t.Entries.size(); ++i) {
    const DtcEntry& e = t.Entries[i];
    s +=
        std::string(e.code()) + ":" + e.Text + (e.Extension.empty() ? "" : "|" + e.Extension) + " ";
  }
  return s;
}

class EntryEdits : public ::testing::Test {
 protected:
  void SetUp() override {
    DtcDatabase db = EmptyDatabase();
    db.P.Entries = {db.P.Entries[0], entry("0100", "M", "w"), entry("0200", "I"),
                    entry("0100", "2")};
    db.U.Entries.push_back(entry("0100", "ECM"));
    ASSERT_TRUE(WriteDatabase(path_, db).ok());
  }
  std::string table(char letter) const {
    DtcDatabase db;
    return ReadDatabase(path_, db).ok() ? shown(*db.table(letter)) : "unreadable";
  }

  TempDir dir_;
  std::string path_ = dir_.file("codes.DAT");
};

// Each step works on what the one before left. A code already held is changed in
// place, never added twice, and only after a question; No leaves the file's bytes,
// and every write keeps the previous file.
TEST_F(EntryEdits, SetAddsOrChangesAfterAskingAndNeverAddsACodeTwice) {
  using enum EditOutcome;
  struct Step {
    const char *code, *text, *ext;  // ext null: no second text given
    Button answer;
    EditOutcome outcome;
    const char* p;  // the P table afterwards
  };
  const Step steps[] = {
      {"1900", "O", "x", Button::No, kAdded, "0100:M|w 0200:I 0100:2 1900:O|x "},
      {"1900", "O", nullptr, Button::Yes, kUnchanged, "0100:M|w 0200:I 0100:2 1900:O|x "},
      {"0100", "A", nullptr, Button::No, kDeclined, "0100:M|w 0200:I 0100:2 1900:O|x "},
      {"0100", "A", nullptr, Button::Yes, kChanged, "0100:A|w 0200:I 0100:2 1900:O|x "},
      {"0100", "A", "", Button::Yes, kChanged, "0100:A 0200:I 0100:2 1900:O|x "},
  };
  for (const Step& step : steps) {
    const std::string before = ReadBytes(path_);
    std::filesystem::remove(BackupPath(path_));
    LockProbingQuestions questions(path_, {step.answer});
    std::optional<std::string> ext;
    if (step.ext) ext = step.ext;
    const SetEntryResult r = SetEntry(path_, {'P', step.code, step.text, ext}, questions);
    EXPECT_EQ(r.outcome, step.outcome) << step.p;
    EXPECT_EQ(table('P'), step.p);
    const bool asked = r.outcome == kChanged || r.outcome == kDeclined;
    EXPECT_EQ(questions.asked().size(), asked ? 1u : 0u) << step.p;
    EXPECT_FALSE(questions.unlockedWhileAsked());
    const bool written = r.outcome == kAdded || r.outcome == kChanged;
    EXPECT_EQ(ReadBytes(BackupPath(path_)), written ? before : "") << step.p;
    EXPECT_TRUE(written || ReadBytes(path_) == before) << step.p;
  }
  ScriptedQuestions no;
  EXPECT_EQ(SetEntry(path_, {'P', "0100", "M", "new"}, no).outcome, kDeclined);
  EXPECT_EQ(no.asked().at(0).text, "P0100 in \"" + path_ +
                                       "\" holds other texts. Replace them?\r\n\r\nDescription "
                                       "now:  A\r\nDescription new:  M\r\nSecond text now:  "
                                       "\r\nSecond text new:  new");

  ScriptedQuestions yes{Button::Yes};
  EXPECT_EQ(SetEntry(path_, {'P', "0100", std::string(65536, 'a'), {}}, yes).status.message(),
            "the description is 65536 characters long; a text holds at most 65535");
  EXPECT_EQ(SetEntry(path_, {'P', "0100", "a\tb", {}}, yes).status.message(),
            "the description holds a control character (a line break or a tab)");
  EXPECT_TRUE(yes.asked().empty());
  EXPECT_EQ(SetEntry(path_, {'P', "0100", std::string(65535, 'a'), {}}, yes).outcome, kChanged);
}

// Every entry of a code goes, after one question that lists them; No keeps the file.
TEST_F(EntryEdits, RemoveAsksOnceAndTakesEveryEntryOfACode) {
  const std::string before = ReadBytes(path_);
  const std::vector<std::string> codes = {"P0100", "U0100", "P1234", "P0100"};
  LockProbingQuestions no(path_, {Button::No});
  EXPECT_TRUE(RemoveEntries(path_, codes, no).declined);
  EXPECT_EQ(ReadBytes(path_), before);
  EXPECT_EQ(no.asked().at(0).text, "Remove 3 entries from \"" + path_ +
                                       "\"?\r\n\r\nP0100  M | w\r\nP0100  2\r\nU0100  ECM");
  EXPECT_FALSE(no.unlockedWhileAsked());

  ScriptedQuestions yes{Button::Yes};
  const RemoveEntriesResult r = RemoveEntries(path_, codes, yes);
  EXPECT_EQ(r.absent, std::vector<std::string>{"P1234"});
  EXPECT_EQ(table('P') + "/" + table('U'), "0200:I /");
  EXPECT_EQ(ReadBytes(BackupPath(path_)), before);
}

}  // namespace
}  // namespace vestral::testing
