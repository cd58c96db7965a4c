#include "lookup/editor_gate.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <optional>

#include "support/temp_dir.h"

namespace vestral {
namespace {

using testing::TempDir;

TEST(EditorGate, FollowsTheSettingInTheIniFileReadAfreshEachTime) {
  const std::string query = "[Main]\nEditor=QUERY\n";
  const struct {
    std::optional<std::string> ini;     // none: no file
    std::optional<Button> answer = {};  // none: the box is closed, its default answers
    bool open = false;
    std::string events = "";
  } cases[] = {
      // clang-format off
      {.ini = "[main]\n editor = Enabled \n", .open = true},
      {.ini = query, .answer = Button::Yes, .open = true, .events = "0Editor query|1Editor showed|"},
      {.ini = query, .answer = Button::No, .events = "0Editor query|1Editor aborted|"},
      {.ini = query, .answer = std::nullopt, .events = "0Editor query|1Editor aborted|"},
      {.ini = "[Main]\nEditor=ENABLED2\n", .events = "0Editor locked|"},
      {.ini = std::nullopt, .events = "0Editor locked|"},
      // Neither may hang the window: each is no setting at once.
      {.ini = "<fifo>", .events = "0Editor locked|"},
      {.ini = "<zero>", .events = "0Editor locked|"},
  };
  // clang-format on
  // One file for every case: nothing of an earlier reading may stick.
  TempDir dir;
  const std::string ini = dir.file("vestral.ini");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.ini.value_or("no file"));
    std::filesystem::remove(ini);
    if (c.ini == "<fifo>")
      ::mkfifo(ini.c_str(), 0600);
    else if (c.ini == "<zero>")
      std::filesystem::create_symlink("/dev/zero", ini);
    else if (c.ini)
      testing::WriteBytes(ini, *c.ini);
    ScriptedQuestions questions;
    if (c.answer) questions.push(*c.answer);
    std::string events;  // each status, after the number of questions asked before it
    auto status = [&](const std::string& s) {
      events += std::to_string(questions.asked().size()) + s + "|";
    };
    EXPECT_EQ(RunEditorGate(ini, questions, status), c.open);
    EXPECT_EQ(events, c.events);
  }
}

}  // namespace
}  // namespace vestral
