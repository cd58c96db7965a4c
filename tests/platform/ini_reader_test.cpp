#include "platform/ini_reader.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace vestral {
namespace {

// What the reader gives back when the file, the section or the key is missing.
const std::string kMissing = std::string("\x02\x01\0", 3) + std::string(252, ' ');
const std::string kLongComment = "[Main]\n;" + std::string(198, 'x') + "Editor=on\n";

TEST(ReadIniValue, ReturnsTheValueOfEditorInMain) {
  const std::pair<std::string, std::string> cases[] = {
      {"[Main]\nEditor=on\n", "on"},
      {"[Main]\r\nEditor=on\r\n", "on"},
      {"[Main]\nEditor=on", "on"},
      {"[MAIN]\nEDITOR=On\n", "On"},
      {"[Main]\nEditor  = o n \t\n", "o n"},
      {"[Main]\nEditor=\"on\"\n", "on"},
      {"[Main]\nEditor='on'\n", "on"},
      {"[Main]\nEditor=\"on\n", "\"on"},
      {"[Main]\nEditor=\n", ""},
      {"[Main]\nEditor=on\nEditor=no\n", "on"},
      {"[X]\nEditor=no\n[Main]\nEditor=on", "on"},
      {"; c\n# c\n[Main]\n;Editor=no\nEditor=on", "on"},
      {"\xEF\xBB\xBF[Main]\nEditor=on\n", "on"},
      {"[Main]\ngarbage\nEditor=on\n", "on"},
      // An indented key is a key of its own, not more text for the key above it; a
      // comment too long for one read stays a comment all the way.
      {"[Main]\n  Mode=1\n  Editor=on\n", "on"},
      {kLongComment, kMissing},
      {kLongComment + "Editor=yes\n", "yes"},
      {"[Editor]\nMain=on\n", kMissing},
      {"Editor=on\n", kMissing},
      {"", kMissing},
      {std::string("\0\x01\xFF[Main\0]\n", 10), kMissing},
  };
  testing::TempDir dir;
  for (const auto& [ini, expected] : cases) {
    testing::WriteBytes(dir.file("vestral.ini"), ini);
    EXPECT_EQ(ReadIniValue("Editor", "Main", dir.file("vestral.ini")), expected) << ini;
  }
  for (const std::string& path : {dir.file("none"), dir.path(), dir.file("no/a"), std::string()})
    EXPECT_EQ(ReadIniValue("Editor", "Main", path), kMissing) << path;
}

TEST(ReadIniValue, ALongValueIsCutAndItsRestIsNoLine) {
  testing::TempDir dir;
  const std::string path = dir.file("vestral.ini");
  // Long enough that a reader with a short line buffer would see "Other=2" as a line.
  const std::string value = "ENABLED" + std::string(185, 'Z') + "Other=2";
  testing::WriteBytes(path, "[Main]\nEditor=" + value + "\nOther=1\n");
  const std::string got = ReadIniValue("Editor", "Main", path);
  EXPECT_GT(got.size(), 7u);
  EXPECT_LE(got.size(), 254u);
  EXPECT_EQ(value.substr(0, got.size()), got);
  EXPECT_EQ(ReadIniValue("Other", "Main", path), "1");
}

}  // namespace
}  // namespace vestral
