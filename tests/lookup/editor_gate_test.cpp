#include "lookup/editor_gate.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <optional>

#include "support/temp_dir.h"

namespace vestral {
namespace {

using testing::WriteBytes;

TEST(EditorGate, OnlyEscWithExactlyCtrlAndAltIsTheGateKey) {
  for (int key : {0, 13, 26, 27, 28, 65})
    for (int shift = 0; shift < 8; ++shift)
      EXPECT_EQ(IsEditorGateKey(key, shift), key == 27 && shift == 6) << key << " " << shift;
}

// The statuses shown and the question asked ("?"), in the order they came.
struct Trace : Questions {
  std::optional<Button> answer;  // none: the box is closed, its default answers
  std::string events;
  Button ask(const MessageBox& box) override {
    events += "?|";
    EXPECT_EQ(box.buttons, (std::vector<Button>{Button::Yes, Button::No}));
    return answer.value_or(box.defaultButton);
  }
};

TEST(EditorGate, FollowsTheSettingInTheIniFileReadAfreshEachTime) {
  const std::string query = "[Main]\nEditor=QUERY\n";
  const struct {
    std::optional<std::string> ini;  // none: no file
    std::optional<Button> answer;
    bool open;
    std::string events;
  } cases[] = {
      {"[Main]\r\nEditor=ENABLED\r\n", {}, true, ""},
      {"[main]\n editor = Enabled \n", {}, true, ""},
      {query, Button::Yes, true, "Editor query|?|Editor showed|"},
      {query, Button::No, false, "Editor query|?|Editor aborted|"},
      {query, {}, false, "Editor query|?|Editor aborted|"},
      {"[Main]\nEditor=ENABLED2\n", {}, false, "Editor locked|"},
      {std::nullopt, {}, false, "Editor locked|"},
      // Neither may hang the window: each is no setting at once.
      {"<fifo>", {}, false, "Editor locked|"},
      {"<zero>", {}, false, "Editor locked|"},
  };
  // One file for every case: nothing of an earlier reading may stick.
  testing::TempDir dir;
  const std::string ini = dir.file("vestral.ini");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.ini.value_or("no file"));
    std::filesystem::remove(ini);
    if (c.ini == "<fifo>")
      ::mkfifo(ini.c_str(), 0600);
    else if (c.ini == "<zero>")
      std::filesystem::create_symlink("/dev/zero", ini);
    else if (c.ini)
      WriteBytes(ini, *c.ini);
    Trace trace;
    trace.answer = c.answer;
    auto status = [&trace](const std::string& s) { trace.events += s + "|"; };
    EXPECT_EQ(RunEditorGate(ini, trace, status), c.open);
    EXPECT_EQ(trace.events, c.events);
  }
}

}  // namespace
}  // namespace vestral
