#include "lookup/result_display.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/codepage.h"
#include "support/entries.h"
#include "support/temp_dir.h"

namespace vestral {
namespace {

using testing::entry;
using testing::TempDir;

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

}  // namespace
}  // namespace vestral
