#include "database/code_index.h"

#include <gtest/gtest.h>

#include <random>

#include "support/entries.h"

namespace vestral {
namespace {

// Grown one entry at a time through every fill up to a growth and past it, and built at
// once at each size, the index answers as FindEntry does: the first position of a
// repeated code, or `index` left as it was for an absent code or one of another length.
TEST(CodeIndex, AnswersLikeFindEntryAtEveryFill) {
  std::mt19937 rng(11);
  const auto randomCode = [&rng] {
    std::string c(4, '0');
    for (char& ch : c) ch = "0123ABz \0"[rng() % 9];
    return c;
  };
  std::vector<std::string> probes = {"", "012", "01234", std::string(4, '\0')};
  for (int i = 0; i < 200; ++i) probes.push_back(randomCode());
  const auto expectSameAsFindEntry = [&probes](const CodeIndex& index, const DtcTable& t) {
    for (const std::string& code : probes) {
      int32_t linear = -7, indexed = -7;
      ASSERT_EQ(index.find(code, indexed), FindEntry(t, code, linear)) << code << t.upperBound();
      ASSERT_EQ(indexed, linear) << code << " of " << t.upperBound();
    }
  };
  DtcTable t;
  expectSameAsFindEntry(CodeIndex(t), t);
  t.Entries.resize(1);
  CodeIndex grown(t);
  for (int i = 0; i < 3000; ++i) {
    t.Entries.push_back(testing::entry(i % 3 ? randomCode() : probes[4 + i % 40], ""));
    grown.appended(t.Entries.back(), t.upperBound());
    if (i > 70 && i % 500 != 0) continue;
    expectSameAsFindEntry(grown, t);
    expectSameAsFindEntry(CodeIndex(t), t);
  }
}

}  // namespace
}  // namespace vestral
