// The build's check of the master text: twin codes (opposite faults of one thing) must not
// carry the same hint, and a copy stops the build naming the file and line of both codes.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "support/temp_dir.h"

namespace vestral {
namespace {

using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

struct TwinCase {
  const char* name;
  const char* master;
  const char* expected;  // in the messages; empty when the build goes through
};

void PrintTo(const TwinCase& c, std::ostream* os) { *os << c.name; }

class TwinHints : public ::testing::TestWithParam<TwinCase> {};

TEST_P(TwinHints, CopiesStopTheBuild) {
  const TempDir dir;
  WriteBytes(dir.file("codes.txt"), GetParam().master);
  const std::string command = std::string(VESTRAL_CODE_SET_TOOL) + " " + dir.file("out.txt") + " " +
                              dir.file("codes.txt") + " >/dev/null 2>" + dir.file("err");
  const int status = std::system(command.c_str());
  const std::string err = ReadBytes(dir.file("err"));
  const std::string expected = GetParam().expected;
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), expected.empty() ? 0 : 1) << err;
  EXPECT_EQ(std::filesystem::exists(dir.file("out.txt")), expected.empty());
  if (!expected.empty()) {
    EXPECT_NE(err.find(expected), std::string::npos) << err;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Master, TwinHints,
    ::testing::Values(
        TwinCase{.name = "RichCopiesLean",
                 .master = "P2195\tOxygen sensor: stuck lean, bank 1\tЗонд: бедно. Проверить: "
                           "подсос воздуха.\n"
                           "P2196\tOxygen sensor: stuck rich, bank 1\tЗонд: богато. Проверить: "
                           "подсос воздуха\n",
                 .expected = "codes.txt:2: P2196 carries the hint of its twin P2195 ("},
        TwinCase{.name = "EachItsOwn",
                 .master = "P2195\tOxygen sensor: stuck lean, bank 1\tЗонд: бедно. Проверить: "
                           "подсос воздуха.\n"
                           "P2196\tOxygen sensor: stuck rich, bank 1\tЗонд: богато. Проверить: "
                           "форсунки.\n",
                 .expected = ""},
        TwinCase{.name = "OneWithoutHint",
                 .master = "P0107\tMAP sensor: circuit low\tДАД: низкий. Проверить: проводку.\n"
                           "P0108\tMAP sensor: circuit high\tДАД: высокий\n",
                 .expected = ""},
        TwinCase{.name = "SubjectsDifferNoTwins",
                 .master = "U0001\tHigh speed CAN bus: general fault\tШина. Проверить: проводку.\n"
                           "U0019\tLow speed CAN bus: general fault\tШина. Проверить: проводку.\n",
                 .expected = ""},
        TwinCase{.name = "OtherBankNoTwin",
                 .master = "P0171\tFuel system too lean, bank 1\tБедно. Проверить: подсос.\n"
                           "P0175\tFuel system too rich, bank 2\tБогато. Проверить: подсос.\n",
                 .expected = ""},
        TwinCase{.name = "AdvancedCopiesRetarded",
                 .master = "P052A\tCam timing: over-advanced, bank 1\tФазы. Проверить: масло.\n"
                           "P052B\tCam timing: over-retarded, bank 1\tФазы. Проверить: масло.\n",
                 .expected = "P052B carries the hint of its twin P052A ("}),
    [](const ::testing::TestParamInfo<TwinCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vestral
