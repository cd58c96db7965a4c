#include "database/code_index.h"

#include <gtest/gtest.h>

#include <random>

#include "support/entries.h"

namespace vestral {
namespace {

DtcEntry withCode(std::string_view code) { return testing::entry(code, ""); }

// Every code the table holds, and some it does not, must give FindEntry's answer.
void expectSameAsFindEntry(const CodeIndex& index, const DtcTable& t,
                           const std::vector<std::string>& probes) {
  for (const std::string& code : probes) {
    int32_t linear = -7, indexed = -7;
    const bool found = FindEntry(t, code, linear);
    ASSERT_EQ(index.find(code, indexed), found) << code;
    ASSERT_EQ(indexed, linear) << code;  // untouched (-7) when not found
  }
}

TEST(CodeIndex, EmptyAndNeverFilledTablesFindNothing) {
  DtcTable placeholderOnly;
  placeholderOnly.Entries.resize(1);  // its placeholder has four NUL bytes
  DtcTable neverFilled;
  for (const DtcTable* t : {&placeholderOnly, &neverFilled}) {
    CodeIndex index(*t);
    int32_t k = 5;
    EXPECT_FALSE(index.find("0100", k));
    EXPECT_FALSE(index.find(std::string(4, '\0'), k));
    EXPECT_EQ(k, 5);
  }
}

TEST(CodeIndex, OnlyFourCharacterCodesAndTheFirstOccurrence) {
  DtcTable t;
  t.Entries = {DtcEntry{}, withCode("0100"), withCode("012"), withCode("0100"), withCode("P010")};
  CodeIndex index(t);
  expectSameAsFindEntry(index, t, {"0100", "012", "012 ", "01200", "P010", "P0100", "", "0101"});
}

// Growth past the initial size, with codes repeating among the appended entries.
TEST(CodeIndex, AppendedEntriesMatchTheLinearSearchThroughGrowth) {
  std::mt19937 rng(11);
  const auto randomCode = [&rng] {
    std::string c(4, '0');
    for (char& ch : c) ch = "0123ABz \0"[rng() % 9];
    return c;
  };
  DtcTable t;
  t.Entries.resize(1);
  for (int i = 0; i < 40; ++i) t.Entries.push_back(withCode(randomCode()));
  CodeIndex index(t);
  std::vector<std::string> probes;
  for (int i = 0; i < 300; ++i) probes.push_back(randomCode());
  for (int i = 0; i < 3000; ++i) {
    const DtcEntry e = withCode(randomCode());
    t.Entries.push_back(e);
    index.appended(e, t.upperBound());
    if (i % 500 == 0) expectSameAsFindEntry(index, t, probes);
  }
  expectSameAsFindEntry(index, t, probes);
}

}  // namespace
}  // namespace vestral
