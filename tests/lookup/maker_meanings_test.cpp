#include "lookup/maker_meanings.h"

#include <gtest/gtest.h>

#include <fstream>

#include "lookup/code_range.h"
#include "platform/codepage.h"

namespace vestral {
namespace {

// Each list line breaks one rule of the list and is named by the problem it gets.
TEST(MakerMeanings, TheListIsCheckedLikeTheMasterText) {
  const std::pair<const char*, const char*> cases[] = {
      {"C0035\tGM\tleft front", "line 2: expected four fields separated by tabs"},
      {"C1035\tGM\tx\tцепь", "line 2: C1035 lies in a manufacturer range"},
      {"C0035\tGm\tx\tцепь", "line 2: the maker \"Gm\" is not named on the makers line"},
      {"C0035\tGM\tx\tцепь\nC0035\tGM\ty\tцепь", "line 3: C0035 is listed twice for GM"},
      {"C0035\tGM\tx\t日本", "line 2: the Russian text holds a character code page 1251 lacks"},
      {"B0022\tToyota\tx\tцепь", "the maker \"GM\" is named on the makers line but never used"},
  };
  for (const auto& [lines, problem] : cases) {
    std::vector<std::string> problems;
    (void)ParseMakerMeanings(std::string("makers\tGM\tToyota\n") + lines, problems);
    ASSERT_FALSE(problems.empty()) << lines;
    EXPECT_EQ(problems.front().find(problem), 0u) << problems.front();
  }
}

// A code two makers use otherwise gets one note naming both, in both languages; the
// build puts it into a listed entry and refuses a note written by hand.
TEST(MakerMeanings, ANoteNamesEachMakerAndComesFromTheListAlone) {
  std::vector<std::string> problems;
  const MakerMeanings list = ParseMakerMeanings(
      "# comment\r\nmakers\tGM\tToyota\n\nC0040\tGM\tright front wheel speed\tдатчик скорости\n"
      "C0040\tToyota\tsomething else\tдругое\nC0051\tToyota\tleft\tлевый\n",
      problems);
  ASSERT_TRUE(problems.empty()) << problems.front();
  EXPECT_EQ(MakerNote(list, "C0040", TextLanguage::English),
            "Otherwise on GM: right front wheel speed; on Toyota: something else");
  EXPECT_EQ(MakerNote(list, "C0041", TextLanguage::English), "");
  std::string english = "Brake pedal switch A: fault", russian = Utf8ToCp1251("Выключатель.");
  EXPECT_EQ(AddMakerNote(list, "C0051", english, russian), "");
  EXPECT_EQ(english, "Brake pedal switch A: fault. Otherwise on Toyota: left");
  EXPECT_EQ(russian, Utf8ToCp1251("Выключатель. Иначе на Toyota: левый"));
  EXPECT_EQ(AddMakerNote(list, "C0051", english, russian),
            "holds a makers' note of its own; the build adds the one of the list");
  EXPECT_EQ(AddMakerNote(list, "C0062", english, russian),
            "holds a makers' note, but the makers' list has no line for the code");
}

// The shipped source carries the notes: a listed code's entry in both languages, no
// other entry at all; an absent listed code gets the note on its range line.
TEST(MakerMeanings, TheShippedEntriesAndRangeLinesCarryTheNotes) {
  std::ifstream in(VESTRAL_CODE_SET, std::ios::binary);
  size_t listed = 0;
  for (std::string line; std::getline(in, line);) {
    const bool noted = line.find("Otherwise on ") != std::string::npos &&
                       line.find(Utf8ToCp1251("Иначе на ")) != std::string::npos;
    const std::string code = line.substr(0, 5);
    EXPECT_EQ(noted, !MakerNote(BuiltInMakerMeanings(), code, TextLanguage::English).empty())
        << code;
    listed += noted;
    EXPECT_TRUE(code != "C0040" || line.starts_with("C0040 Brake pedal switch A: fault. "
                                                    "Otherwise on GM: right front wheel speed "
                                                    "sensor circuit| "));
  }
  EXPECT_GE(listed, 4u);
  EXPECT_EQ(AbsentCodeLine("C0035", TextLanguage::English),
            "generic range: the standard gives this code one meaning on every make; not in this "
            "database. Otherwise on GM: left front wheel speed sensor circuit");
}

}  // namespace
}  // namespace vestral
