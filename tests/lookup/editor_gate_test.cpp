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
    std::optional<std::string> ini;  // none: no file
    std::optional<Button> answer;    // none: the box is closed, its default answers
    bool open;
    std::string events;
  } cases[] = {
      {"[main]\n editor = Enabled \n", {}, true, ""},
      {query, Button::Yes, true, "0Editor query|1Editor showed|"},
      {query, Button::No, false, "0Editor query|1Editor aborted|"},
      {query, {}, false, "0Editor query|1Editor aborted|"},
      {"[Main]\nEditor=ENABLED2\n", {}, false, "0Editor locked|"},
      {std::nullopt, {}, false, "0Editor locked|"},
      // Neither may hang the window: each is no setting at once.
      {"<fifo>", {}, false, "0Editor locked|"},
      {"<zero>", {}, false, "0Editor locked|"},
  };
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
