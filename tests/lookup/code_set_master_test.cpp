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

struct CodeSetRun {
  int status = -1;
  std::string err;
  bool written = false;
};

CodeSetRun CodeSet(const std::string& master) {
  const TempDir dir;
  WriteBytes(dir.file("codes.txt"), master);
  const std::string command = std::string(VESTRAL_CODE_SET_TOOL) + " " + dir.file("out.txt") + " " +
                              dir.file("codes.txt") + " >/dev/null 2>" + dir.file("err");
  const int status = std::system(command.c_str());
  std::string err = ReadBytes(dir.file("err"));  // file names without their folder
  for (size_t at; (at = err.find(dir.path() + "/")) != std::string::npos;)
    err.erase(at, dir.path().size() + 1);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, err,
          std::filesystem::exists(dir.file("out.txt"))};
}

// Alike but no twins: the subject differs (a low and a high speed bus), two words differ
// (other bank), one twin has no hint, or each twin has its own.
const std::string kNoTwinCopies =
    "U0001\tHigh speed CAN bus: general fault\tШина. Проверить: проводку.\n"
    "U0019\tLow speed CAN bus: general fault\tШина. Проверить: проводку.\n"
    "P0171\tFuel system too lean, bank 1\tБедно. Проверить: подсос.\n"
    "P0175\tFuel system too rich, bank 2\tБогато. Проверить: подсос.\n"
    "P0107\tMAP sensor: circuit low\tДАД: низкий. Проверить: питание.\n"
    "P0108\tMAP sensor: circuit high\tДАД: высокий\n"
    "P0131\tO2 sensor: circuit low voltage\tНизкое. Проверить: подсос.\n"
    "P0132\tO2 sensor: circuit high voltage\tВысокое. Проверить: замыкание на плюс.\n";

TEST(CodeSetMaster, TwinsMayNotShareAHint) {
  const CodeSetRun copied = CodeSet(
      "P2195\tO2 sensor: stuck lean, bank 1\tБедно. Проверить: подсос воздуха.\n"
      "P2196\tO2 sensor: stuck rich, bank 1\tБогато. Проверить: подсос воздуха\n"
      "P052A\tCam timing: over-advanced\tФазы. Проверить: масло.\n"
      "P052B\tCam timing: over-retarded\tФазы. Проверить: масло.\n" +
      kNoTwinCopies);
  EXPECT_EQ(copied.status, 1) << copied.err;
  EXPECT_FALSE(copied.written);
  // No other pair is taken for twins.
  EXPECT_EQ(copied.err,
            "codes.txt:2: P2196 carries the hint of its twin P2195 (codes.txt:1); write one that "
            "fits\ncodes.txt:4: P052B carries the hint of its twin P052A (codes.txt:3); write one "
            "that fits\nvestral_code_set: 2 problem(s); out.txt not written\n");

  const CodeSetRun own = CodeSet(kNoTwinCopies);
  EXPECT_EQ(own.status, 0) << own.err;
  EXPECT_TRUE(own.written);
}

}  // namespace
}  // namespace vestral
