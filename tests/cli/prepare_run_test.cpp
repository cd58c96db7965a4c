#include <gtest/gtest.h>

#include <cstdlib>

#include "support/temp_dir.h"

namespace vestral::testing {
namespace {

// `make run` gives a new build folder the default database of the user's language:
// the first of LC_ALL, LC_MESSAGES and LANG that is set decides.
TEST(PrepareRun, CopiesTheDefaultOfTheUsersLanguage) {
  const struct {
    const char *lcAll, *lcMessages, *lang, *copied;
  } cases[] = {
      {"", "", "ru_RU.UTF-8", "ru"},  {"", "", "en_US.UTF-8", "en"}, {"C", "", "ru_RU.UTF-8", "en"},
      {"", "ru_RU", "C.UTF-8", "ru"}, {"", "", "rue_UA", "en"},
  };
  for (const auto& [lcAll, lcMessages, lang, copied] : cases) {
    TempDir build;
    WriteBytes(build.file("generic-codes.DAT"), "en");
    WriteBytes(build.file("generic-codes-ru.DAT"), "ru");
    const std::string run = std::string("env LC_ALL=") + lcAll + " LC_MESSAGES=" + lcMessages +
                            " LANG=" + lang + " bash " VESTRAL_SOURCE_DIR "/scripts/prepare-run " +
                            build.path() + " >/dev/null";
    ASSERT_EQ(std::system(run.c_str()), 0);
    EXPECT_EQ(ReadBytes(build.file("vestral.DAT")) + ReadBytes(build.file("vestral.DAT.base")),
              std::string(copied) + copied)
        << lcAll << "|" << lcMessages << "|" << lang;
  }
}

}  // namespace
}  // namespace vestral::testing
