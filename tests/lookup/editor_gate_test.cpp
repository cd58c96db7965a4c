#include "lookup/editor_gate.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include <optional>
#include <vector>

#include "support/temp_dir.h"

namespace vestral {
namespace {

using testing::TempDir;
using testing::WriteBytes;

TEST(EditorGate, OnlyEscWithExactlyCtrlAndAltIsTheGateKey) {
  EXPECT_TRUE(IsEditorGateKey(27, 6));
  for (int shift = 0; shift < 8; ++shift) {
    if (shift != 6) {
      EXPECT_FALSE(IsEditorGateKey(27, shift)) << shift;
    }
  }
  for (int key : {0, 13, 26, 28, 65, 112}) EXPECT_FALSE(IsEditorGateKey(key, 6)) << key;
}

TEST(EditorGate, QuestionIsYesNoWithNoAsDefault) {
  const MessageBox box = EditorQuestion();
  EXPECT_EQ(box.buttons, (std::vector<Button>{Button::Yes, Button::No}));
  EXPECT_EQ(box.defaultButton, Button::No);
}

// Records each status together with whether a question was open at that moment.
class RecordingQuestions : public Questions {
 public:
  explicit RecordingQuestions(std::optional<Button> answer, std::vector<std::string>& statuses)
      : answer_(answer), statuses_(statuses) {}
  Button ask(const MessageBox& box) override {
    ++asked;
    statusWhileAsked = statuses_.empty() ? "" : statuses_.back();
    return answer_ ? *answer_ : box.defaultButton;
  }
  int asked = 0;
  std::string statusWhileAsked;

 private:
  std::optional<Button> answer_;
  std::vector<std::string>& statuses_;
};

TEST(EditorGate, FollowsTheSettingInTheIniFile) {
  using S = std::vector<std::string>;
  struct Case {
    const char* name;
    std::optional<std::string> ini;  // nullopt: no file
    std::optional<Button> answer;    // nullopt: the box is closed, its default answers
    bool open;
    S statuses;
    int asked;
  } cases[] = {
      {"ENABLED", "[Main]\r\nEditor=ENABLED\r\n", {}, true, {}, 0},
      {"enabled", "[Main]\nEditor=enabled\n", {}, true, {}, 0},
      {"Enabled, blanks", "[main]\n editor = Enabled \n", {}, true, {}, 0},
      {"QUERY, Yes", "[Main]\nEditor=QUERY\n", Button::Yes, true, S{kEditorQuery, kEditorShowed},
       1},
      {"QUERY, No", "[Main]\nEditor=QUERY\n", Button::No, false, S{kEditorQuery, kEditorAborted},
       1},
      {"QUERY, closed", "[Main]\nEditor=QUERY\n", {}, false, S{kEditorQuery, kEditorAborted}, 1},
      {"empty value", "[Main]\nEditor=\n", {}, false, S{kEditorLocked}, 0},
      {"ENABLED2", "[Main]\nEditor=ENABLED2\n", {}, false, S{kEditorLocked}, 0},
      {"wrong section", "[Editor]\nMain=ENABLED\n", {}, false, S{kEditorLocked}, 0},
      {"no file", std::nullopt, {}, false, S{kEditorLocked}, 0},
      // Neither may hang the window: each is no setting at once.
      {"a pipe", "<fifo>", {}, false, S{kEditorLocked}, 0},
      {"a link to /dev/zero", "<zero>", {}, false, S{kEditorLocked}, 0},
  };
  for (const Case& c : cases) {
    TempDir dir;
    const std::string ini = dir.file("vestral.ini");
    if (c.ini == "<fifo>")
      ::mkfifo(ini.c_str(), 0600);
    else if (c.ini == "<zero>")
      std::filesystem::create_symlink("/dev/zero", ini);
    else if (c.ini)
      WriteBytes(ini, *c.ini);
    S statuses;
    RecordingQuestions questions(c.answer, statuses);
    const bool open =
        RunEditorGate(ini, questions, [&](const std::string& s) { statuses.push_back(s); });
    EXPECT_EQ(open, c.open) << c.name;
    EXPECT_EQ(statuses, c.statuses) << c.name;
    EXPECT_EQ(questions.asked, c.asked) << c.name;
    if (c.asked) {
      EXPECT_EQ(questions.statusWhileAsked, kEditorQuery) << c.name;
    }
  }
}

TEST(EditorGate, ReadsTheFileAfreshEachTime) {
  TempDir dir;
  const std::string ini = dir.file("vestral.ini");
  ScriptedQuestions questions;
  std::string status;
  auto setStatus = [&](const std::string& s) { status = s; };

  WriteBytes(ini, "[Main]\nEditor=NO\n");
  EXPECT_FALSE(RunEditorGate(ini, questions, setStatus));
  EXPECT_EQ(status, kEditorLocked);

  WriteBytes(ini, "[Main]\nEditor=ENABLED\n");
  status.clear();
  EXPECT_TRUE(RunEditorGate(ini, questions, setStatus));
  EXPECT_EQ(status, "");

  WriteBytes(ini, "[Main]\nEditor=QUERY\n");
  questions.push(Button::Yes);
  EXPECT_TRUE(RunEditorGate(ini, questions, setStatus));
  EXPECT_EQ(status, kEditorShowed);
  ASSERT_EQ(questions.asked().size(), 1u);
}

}  // namespace
}  // namespace vestral
