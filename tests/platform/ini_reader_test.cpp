#include "platform/ini_reader.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace vestral {
namespace {

using namespace std::string_literals;

// An indented key is a key of its own, not more text for the key above it; a comment
// too long for one read stays a comment all the way.
TEST(ReadIniValue, ReturnsTheValueOfEditorInMainOrTheDefaultBuffer) {
  const std::pair<const char*, const char*> cases[] = {
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
      {"[Main]\n  Mode=1\n  Editor=on\n", "on"},
  };
  testing::TempDir dir;
  const std::string ini = dir.file("vestral.ini");
  for (const auto& [text, expected] : cases) {
    testing::WriteBytes(ini, text);
    EXPECT_EQ(ReadIniValue("Editor", "Main", ini), expected) << text;
  }
  const std::string longComment = "[Main]\n;" + std::string(198, 'x') + "Editor=on\n";
  testing::WriteBytes(ini, longComment + "Editor=yes\n");
  EXPECT_EQ(ReadIniValue("Editor", "Main", ini), "yes");
  const std::string missing = "\x02\x01\0"s + std::string(252, ' ');
  for (const std::string& text :
       {longComment, "[Editor]\nMain=on\n"s, "Editor=on\n"s, ""s, "\0\x01\xFF[Main\0]\n"s}) {
    testing::WriteBytes(ini, text);
    EXPECT_EQ(ReadIniValue("Editor", "Main", ini), missing) << text;
  }
  for (const std::string& path : {dir.file("none"), dir.path(), dir.file("no/a"), ""s})
    EXPECT_EQ(ReadIniValue("Editor", "Main", path), missing) << path;
  // A long value is cut, and its rest is no line: long enough that a reader with a short
  // line buffer would see "Other=2" as one.
  const std::string value = "ENABLED" + std::string(185, 'Z') + "Other=2";
  testing::WriteBytes(ini, "[Main]\nEditor=" + value + "\nOther=1\n");
  const std::string got = ReadIniValue("Editor", "Main", ini);
  EXPECT_GT(got.size(), 7u);
  EXPECT_LE(got.size(), 254u);
  EXPECT_EQ(value.substr(0, got.size()), got);
  EXPECT_EQ(ReadIniValue("Other", "Main", ini), "1");
}

}  // namespace
}  // namespace vestral
