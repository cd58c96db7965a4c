#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "cli/database_files.h"
#include "cli/run_vestral.h"
#include "support/temp_dir.h"

namespace vestral {
namespace {

using testing::Arg;
using testing::entry;
using ::testing::HasSubstr;
using testing::ProcessResult;
using testing::RunVestral;
using testing::TempDir;

class SearchCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    // Filled U first and P last: the output must still come in the order P, C, B, U.
    DtcDatabase db = EmptyDatabase();
    db.U.Entries.push_back(entry("0100", "\xA8\xCB\xCA\xC0"));  // "ЁЛКА"
    db.B.Entries.push_back(entry("1000", "Body sensor", "oxygen"));
    // "Датчик скорости"
    db.C.Entries.push_back(
        entry("0035", "\xC4\xE0\xF2\xF7\xE8\xEA \xF1\xEA\xEE\xF0\xEE\xF1\xF2\xE8"));
    db.P.Entries.push_back(entry("0100", "Mass air flow"));
    // "ДАТЧИК кислорода"
    db.P.Entries.push_back(entry("0130", "Oxygen sensor circuit",
                                 "\xC4\xC0\xD2\xD7\xC8\xCA \xEA\xE8\xF1\xEB\xEE\xF0\xEE\xE4\xE0"));
    db.P.Entries.push_back(entry("0200", "two\tparts\r\nof a sensor"));
    ASSERT_TRUE(WriteDatabase(path_, db).ok());
  }

  ProcessResult search(const QStringList& more) {
    return RunVestral(QStringList{"search", "--db", Arg(path_)} + more);
  }

  TempDir dir_;
  std::string path_ = dir_.file("codes.DAT");
};

// The first column of every output line.
std::vector<std::string> codes(const std::string& out) {
  std::vector<std::string> v;
  for (size_t pos = 0; pos < out.size();) {
    const size_t end = out.find('\n', pos);
    v.push_back(out.substr(pos, out.find('\t', pos) - pos));
    pos = end == std::string::npos ? out.size() : end + 1;
  }
  return v;
}

// Matching is the search's own test and the fold table's; here the words as typed
// reach it in code page 1251 and folded as Unicode folds.
TEST_F(SearchCommand, EveryWordMustOccurInTextOrExtensionInAnyCase) {
  const std::pair<QStringList, std::vector<std::string>> cases[] = {
      {{"OXYGEN", "Sensor"}, {"P0130", "B1000"}},  // B: one word in each text
      {{"датчик"}, {"P0130", "C0035"}},            // finds ДАТЧИК and Датчик
      {{"ёлка"}, {"U0100"}},
      {{"parts of"}, {}},  // one word: a tab stands between them in the text
      {{"日本"}, {}},      // no such characters in the code page: nothing can match
  };
  for (const auto& [words, found] : cases) {
    const ProcessResult r = search(words);
    const std::string name = words.join(' ').toStdString();
    EXPECT_EQ(codes(r.out), found) << name;
    EXPECT_EQ(r.exitCode, found.empty() ? 1 : 0) << name;
    EXPECT_EQ(r.err, found.empty() ? "vestral: no entry holds every word given\n" : "") << name;
  }
}

TEST_F(SearchCommand, LinesAreThoseOfLookupOneEntryALine) {
  const ProcessResult r = search({"SENSOR"});
  ASSERT_TRUE(r.finished);
  EXPECT_EQ(r.out,
            "P0130\tpowertrain\tOxygen sensor circuit\tДАТЧИК кислорода\n"
            "P0200\tpowertrain\ttwo parts  of a sensor\t\n"
            "B1000\tbody\tBody sensor\toxygen\n");
}

TEST_F(SearchCommand, NoWordIsWrongUsage) {
  ProcessResult r = search({});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_THAT(r.err, HasSubstr("vestral search: no word given"));
}

}  // namespace
}  // namespace vestral
