#include <filesystem>

#include "cli/cli_test.h"

namespace vestral::testing {
namespace {

using EntryCommands = CliFiles;

// Refused, declined or failed: the database keeps its bytes and no copy or base appears.
TEST_F(EntryCommands, RefusalsLeaveTheDatabaseAsItWas) {
  const std::string before = ReadBytes(main_);
  const std::tuple<const char*, int, std::string> cases[] = {
      {"set --db {main} P0100", 2, "vestral set: give the code and its description\n"},
      {"set --db {main} G100 x", 2, "vestral set: \"G100\" is not a code: character 1 'G' is not"},
      {"set --db {main} P0100 naïve", 2,
       "vestral set: the description holds 'ï' (U+00EF), a character code page 1251 lacks\n"},
      {"set --db {main} P0100 x --ext {bad}", 2,
       "vestral set: the second text is no UTF-8 text (byte 2)\n"},
      {"set --db {main} P0100 a|b", 2, "vestral set: the description holds a \"|\""},
      {"set --db {main} P0100 {bad}", 2, "vestral set: the description is empty\n"},
      {"set --db {main} P0100 New", 1,
       "P0100 in \"" + main_ + "\" holds other texts. Replace them?\n\nDescription now:  Mass"},
      {"set --db {main} P0100 New --no", 1, "vestral: P0100 in \"" + main_ + "\" was left as it"},
      {"remove --db {main} P0100 P01", 2, "vestral remove: \"P01\" is not a code"},
      {"remove --db {main} 0100 --no", 1, "vestral: nothing was removed from \"" + main_ + "\"\n"},
      {"update --db {main}", 2,
       "vestral update: this copy has no default database beside it; name the new one\n"},
      {"update --db {main} {src}", 1, "vestral: \"" + src_ + "\" is not a valid database"},
  };
  for (const auto& [line, status, err] : cases) {
    const bool ext = std::string_view(line).find("--ext") != std::string_view::npos;
    const Outcome r = Vestral(args(line, ext ? "a\xFF" : ""));  // {bad}: no UTF-8, or empty
    EXPECT_EQ(r.status, status) << line;
    EXPECT_THAT(r.err, ::testing::StartsWith(err)) << line;
    EXPECT_EQ(ReadBytes(main_), before) << line;
    EXPECT_FALSE(std::filesystem::exists(main_ + ".bak") ||
                 std::filesystem::exists(main_ + ".base"));
  }
}

// Texts typed in UTF-8 are stored in code page 1251; each write says where the copy is.
TEST_F(EntryCommands, SetRemoveAndUpdateSayWhatTheyDid) {
  const std::string kept = "; the previous file is kept as \"" + main_ + ".bak\"\n";
  const std::tuple<const char*, int, std::string> cases[] = {
      {"set --db {main} 0a81 Новый --ext второй", 0, "Added P0A81 to \"" + main_ + "\"" + kept},
      {"remove --db {main} u0100 U3101 --yes", 1,
       "Removed 1 entry from \"" + main_ + "\"" + kept + "vestral: not in \"" + main_ +
           "\": U3101\n"},
  };
  for (const auto& [line, status, said] : cases) {
    const Outcome r = run(line);
    EXPECT_EQ(r.out + r.err + std::to_string(r.status), said + std::to_string(status)) << line;
  }
  EXPECT_EQ(ReadBack(main_).P.Entries.back(),
            entry("0A81", "\xCD\xEE\xE2\xFB\xE9", "\xE2\xF2\xEE\xF0\xEE\xE9"));
  const Outcome r = run("update --db {main} {other}");
  EXPECT_THAT(r.out,
              ::testing::EndsWith("Kept base now \"" + main_ + ".base\"\nUpdate complete\nDone\n"));
}

}  // namespace
}  // namespace vestral::testing
