#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <sstream>

#include "cli/cli.h"
#include "cli/command.h"
#include "support/entries.h"
#include "support/temp_dir.h"

namespace vestral::testing {

using ::testing::HasSubstr;

struct Outcome {
  int status = -1;
  std::string out, err;
};

// `vestral ARGS...` run in this process; a terminal nowhere unless the flags say so.
inline Outcome Vestral(const std::vector<std::string>& args, const std::string& input = {},
                       std::span<const CommandSpec* const> commands = AllCommands(),
                       bool inTerminal = false, bool outTerminal = false) {
  Outcome r;
  {
    TextOutput out(r.out, outTerminal), err(r.err);
    std::istringstream in(input);
    CliStreams streams{out, err, in, inTerminal};
    r.status = RunCommandLine(args, commands, streams);
  }
  return r;
}

inline DtcDatabase ReadBack(const std::string& path) {
  DtcDatabase db;
  return ReadDatabase(path, db).ok() ? db : DtcDatabase{};
}

inline const std::string kDatchik = "\xC4\xE0\xF2\xF7\xE8\xEA";  // "Датчик" in code page 1251

// P "Силовая" with P0100 twice, Cyrillic, a tab and a line break; U0100 "ЁЛКА".
inline DtcDatabase Codes() {
  DtcDatabase db = EmptyDatabase();
  db.P.Name = "\xD1\xE8\xEB\xEE\xE2\xE0\xFF";
  db.P.Entries = {db.P.Entries[0],
                  entry("0100", "Mass air flow circuit", "check wiring"),
                  entry("0100", "second P0100, never found"),
                  entry("0A80", kDatchik, "\xF0\xE5\xEC\xEE\xED\xF2"),
                  entry("0200", "two\tparts\r\nof a sensor"),
                  entry("0130", "Oxygen sensor circuit", "\xC4\xC0\xD2\xD7\xC8\xCA")};
  db.C.Entries.push_back(entry("0123", kDatchik + " of the chassis"));
  db.B.Entries.push_back(entry("1000", "Body sensor", "oxygen"));
  db.U.Entries.push_back(entry("0100", "\xA8\xCB\xCA\xC0"));
  return db;
}

// {main} Codes(), {other} to merge, {damaged} to mend, {src} a source, {out} a text; no {new}.
class CliFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(WriteDatabase(main_, Codes()).ok());
    DtcDatabase other = EmptyDatabase();
    other.P.Entries = {other.P.Entries[0], entry("0100", "CDE", "new ext"), Codes().P.Entries[3],
                       entry("0300", "\xCD\xEE\xE2\xFB\xE9", "x")};
    other.C.Entries.push_back(entry("0200", "Chassis"));
    ASSERT_TRUE(WriteDatabase(other_, other).ok());
    DtcDatabase damaged = EmptyDatabase();
    damaged.P.Entries = {damaged.P.Entries[0], entry("0100", "good"), entry("7100", ""),
                         entry("0200", "")};
    damaged.B.Entries.push_back(entry("4123", "abc", "def"));
    ASSERT_TRUE(WriteDatabase(damaged_, damaged).ok());
    WriteBytes(src_, "P0100 abc\r\nB1001 abc| def\r\nP0100 again\r\n");
    WriteBytes(out_, "P0100 collected before\r\n");
  }

  // The words of `line` with {main}, {other}, ... replaced by the paths, {bad} by `bad`.
  std::vector<std::string> args(std::string_view line, const std::string& bad = {}) const {
    const std::map<std::string, std::string, std::less<>> names = {
        {"{main}", main_}, {"{other}", other_}, {"{damaged}", damaged_}, {"{src}", src_},
        {"{out}", out_},   {"{new}", fresh_},   {"{bad}", bad}};
    std::vector<std::string> words;
    for (std::istringstream in{std::string(line)}; in >> words.emplace_back();)
      if (names.contains(words.back())) words.back() = names.find(words.back())->second;
    words.pop_back();
    return words;
  }
  Outcome run(std::string_view line, const std::string& in = {}) const {
    return Vestral(args(line), in);
  }

  TempDir dir_;
  std::string main_ = dir_.file("main.DAT"), other_ = dir_.file("other.DAT");
  std::string damaged_ = dir_.file("damaged.DAT"), src_ = dir_.file("src.txt");
  std::string out_ = dir_.file("out.txt"), fresh_ = dir_.file("new.DAT");
};

}  // namespace vestral::testing
