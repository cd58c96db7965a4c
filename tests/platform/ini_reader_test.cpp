#include "platform/ini_reader.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace vestral {
namespace {

using testing::TempDir;
using testing::WriteBytes;

// What the reader gives back when the file, the section or the key is missing.
std::string defaultBuffer() {
  std::string b(255, ' ');
  b[0] = '\x02';
  b[1] = '\x01';
  b[2] = '\0';
  return b;
}

struct Case {
  const char* name;
  std::string ini;
  std::string expected;
};

TEST(ReadIniValue, ReturnsTheValueOfEditorInMain) {
  const std::string missing = defaultBuffer();
  const Case cases[] = {
      {"plain", "[Main]\nEditor=ENABLED\n", "ENABLED"},
      {"crlf", "[Main]\r\nEditor=QUERY\r\n", "QUERY"},
      {"no final line end", "[Main]\nEditor=QUERY", "QUERY"},
      {"names ignore case", "[MAIN]\nEDITOR=query\n", "query"},
      {"blanks trimmed", "[Main]\nEditor   =   ENABLED  \t\n", "ENABLED"},
      {"quotes removed", "[Main]\nEditor=\"QUERY\"\n", "QUERY"},
      {"empty value", "[Main]\nEditor=\n", ""},
      {"first key wins", "[Main]\nEditor=QUERY\nEditor=ENABLED\n", "QUERY"},
      {"after other section", "[Other]\nEditor=NO\n[Main]\nEditor=ENABLED\n", "ENABLED"},
      {"comment lines", "; c\n# c\n[Main]\n;Editor=NO\nEditor=QUERY\n", "QUERY"},
      {"utf-8 byte order mark", "\xEF\xBB\xBF[Main]\nEditor=ENABLED\n", "ENABLED"},
      {"syntax error before", "[Main]\ngarbage line\nEditor=ENABLED\n", "ENABLED"},
      // An indented key is a key of its own, not more text for the key above it.
      {"indented keys", "[Main]\n  Mode=1\n  Editor=ENABLED\n", "ENABLED"},
      // A comment too long for one read must stay a comment all the way.
      {"long comment", "[Main]\n;" + std::string(198, 'x') + "Editor=ENABLED\n", missing},
      {"long comment then key",
       "[Main]\n;" + std::string(198, 'x') + "Editor=ENABLED\nEditor=QUERY\n", "QUERY"},
      {"key in wrong section", "[Editor]\nMain=ENABLED\n", missing},
      {"no section", "Editor=ENABLED\n", missing},
      {"empty file", "", missing},
      {"binary bytes", std::string("\0\x01\xFF[Main\0]\n", 10), missing},
  };
  for (const Case& c : cases) {
    TempDir dir;
    const std::string path = dir.file("vestral.ini");
    WriteBytes(path, c.ini);
    EXPECT_EQ(ReadIniValue("Editor", "Main", path), c.expected) << c.name;
  }
}

TEST(ReadIniValue, MissingFileOrFolderGivesTheDefaultBuffer) {
  TempDir dir;
  const std::string missing = defaultBuffer();
  EXPECT_EQ(ReadIniValue("Editor", "Main", dir.file("none.ini")), missing);
  EXPECT_EQ(ReadIniValue("Editor", "Main", dir.path()), missing);
  EXPECT_EQ(ReadIniValue("Editor", "Main", dir.file("no/such/folder.ini")), missing);
  EXPECT_EQ(ReadIniValue("Editor", "Main", ""), missing);
}

TEST(ReadIniValue, LongValueIsCutAndMatchesNoWord) {
  TempDir dir;
  const std::string path = dir.file("vestral.ini");
  // Long enough that a reader with a short line buffer would see "Other=2" as a line.
  const std::string value = "ENABLED" + std::string(185, 'Z') + "Other=2";
  WriteBytes(path, "[Main]\nEditor=" + value + "\nOther=1\n");
  const std::string got = ReadIniValue("Editor", "Main", path);
  EXPECT_LE(got.size(), 254u);
  EXPECT_GT(got.size(), 7u);
  EXPECT_EQ(value.compare(0, got.size(), got), 0) << "a prefix of the value";
  // The rest of the long line is dropped, not read as a line of its own.
  EXPECT_EQ(ReadIniValue("Other", "Main", path), "1");
}

}  // namespace
}  // namespace vestral
