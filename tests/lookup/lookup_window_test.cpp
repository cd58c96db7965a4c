#include "lookup/lookup_window.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string_view>

#include "lookup/editor_gate.h"
#include "lookup/followed_database.h"
#include "lookup/lookup.h"
#include "platform/codepage.h"
#include "support/entries.h"
#include "support/temp_dir.h"

namespace vestral {
namespace {

using testing::entry;
using testing::TempDir;

TEST(KeyFilters, PassUpperCaseAndDiscardTheRest) {
  const auto model = [](int c, std::string_view keep) {
    const int up = c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c;
    return c == 8 ? 8 : up > 0 && up < 128 && keep.find(char(up)) != keep.npos ? up : 0;
  };
  for (int c = -1; c <= 256; ++c) {
    EXPECT_EQ(FilterHexKey(c), model(c, "0123456789ABCDEF")) << c;
    // The hex digits of a letter form stand in its last three places.
    for (size_t at = 0; at < 5; ++at)
      EXPECT_EQ(FilterLetterKey(c, at),
                model(c, at < 2 ? "0123456789 PCBU" : "0123456789 PCBUADEF"))
          << c << " at " << at;
  }
}

// What a box does with a typed character or pasted text: the box that takes it, whether
// it starts a new code (+) or goes in at the cursor (@), the text; "" is nothing.
TEST(CodeBoxInput, TypedAndPastedTextPassTheSameFiltersWhereItLands) {
  const CodeBox hex = CodeBox::kHex, letter = CodeBox::kLetter;
  const struct {
    const char* name;
    CodeBoxState box;
    bool pasted;
    const char* input;
    const char* expected;
  } cases[] = {
      {"a hex letter where it lands", {letter, 2, 2, 0}, false, "a", "5@A"},
      {"complete hex starts anew", {hex, 4, 4, 0}, false, "1", "4+1"},
      {"complete letter starts anew", {letter, 5, 2, 0}, false, "a", ""},
      {"selection is replaced", {hex, 4, 0, 4}, false, "1", "4@1"},
      {"letter form into hex goes over", {hex, 4, 0, 4}, true, " p0a80\r\n", "5+P0A80"},
      {"hex form over whole letter box", {letter, 5, 0, 5}, true, "0a80", "4+0A80"},
      {"hex digits after a letter", {letter, 1, 1, 0}, true, "0a80", "5@0A80"},
      {"completes a hex form",
       {hex, 2, 2, 0},
       true,
       "\xA0"
       "71\t",
       "4@71"},
      {"complete letter box takes a new code", {letter, 5, 5, 0}, true, "c0035", "5+C0035"},
      {"too long to fit", {hex, 2, 2, 0}, true, "017", ""},
      {"a blank in hex", {hex, 0, 0, 0}, true, "01 71", ""},
      {"a result line", {hex, 0, 0, 0}, true, "P0171\tSystem too lean", ""},
      {"a backspace", {hex, 2, 2, 0}, true, "\b", ""},
  };
  for (const auto& c : cases) {
    const CodeBoxInput in = c.pasted
                                ? PastedIntoCodeBox(c.box, c.input)
                                : TypedIntoCodeBox(c.box, static_cast<unsigned char>(*c.input));
    const std::string got = in.text.empty() ? ""
                                            : (in.box == CodeBox::kHex ? "4" : "5") +
                                                  std::string(in.newCode ? "+" : "@") + in.text;
    EXPECT_EQ(got, c.expected) << c.name;
  }
}

// The clipboard's line for each kind of outcome; an absent code in letter form names its
// range in Russian, as the command line does in English (the lookup window's test shows
// the other ranges).
TEST(ResultLine, TellsTheEntryOrWhyThereIsNone) {
  TempDir dir;
  DtcDatabase entries = EmptyDatabase();
  entries.P.Entries.push_back(entry("0100", "Air flow", "Check\tthe\r\nplug"));
  ASSERT_TRUE(WriteDatabase(dir.file("good.DAT"), entries).ok());
  FollowedDatabase good(dir.file("good.DAT")), gone(dir.file("gone.DAT"));
  const struct {
    FollowedDatabase& db;
    const char *code, *line;  // UTF-8
  } cases[] = {
      {good, "P0100", "P0100\tAir flow\tCheck the  plug"},
      {good, "P1406",
       "P1406\tОшибка отсутствует в базе данных\tДиапазон производителя: каждый производитель "
       "задаёт этот код для своих автомобилей"},
      // Not a code at all: no range to name.
      {good, "P 100", "P 100\tОшибка отсутствует в базе данных\t"},
      {good, "P4000", "P4000\tОшибка отсутствует в базе данных\t"},
      // The problem follows; its start is enough here.
      {gone, "P0100", "P0100\tБаза данных недоступна\tcannot open \""},
  };
  for (const auto& c : cases) {
    std::string line = ResultLine(c.code, DescribeFindNow(c.db, c.code));
    if (&c.db == &gone) line.resize(std::min(line.size(), Utf8ToCp1251(c.line).size()));
    EXPECT_EQ(line, Utf8ToCp1251(c.line)) << c.code;
  }
}

// Only where nothing is at all is a new database written; what is there is left alone.
TEST(CreateMissingDatabase, CreatesAnEmptyDatabaseOnlyWhenNothingIsThere) {
  TempDir dir;
  const std::string path = dir.file("vestral.DAT"), link = dir.file("link.DAT");
  bool created = false;
  ASSERT_TRUE(CreateMissingDatabase(path, &created).ok());
  EXPECT_TRUE(created);
  EXPECT_EQ(testing::ReadBytes(path).size(), 131u);
  testing::WriteBytes(path, "damaged");
  ASSERT_TRUE(CreateMissingDatabase(path, &created).ok());
  EXPECT_FALSE(created);
  EXPECT_EQ(testing::ReadBytes(path), "damaged");
  std::filesystem::create_symlink(dir.file("gone.DAT"), link);
  ASSERT_TRUE(CreateMissingDatabase(link, &created).ok());
  EXPECT_FALSE(created || std::filesystem::exists(dir.file("gone.DAT")));
}

TEST(EditorGate, OnlyEscWithExactlyCtrlAndAltIsTheGateKey) {
  for (int key : {0, 13, 26, 27, 28, 65})
    for (int shift = 0; shift < 8; ++shift)
      EXPECT_EQ(IsEditorGateKey(key, shift), key == 27 && shift == 6) << key << " " << shift;
}

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
