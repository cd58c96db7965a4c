#include "cli/command.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>
#include <stdexcept>

#include "platform/program_paths.h"

namespace vestral {
namespace {

using ::testing::HasSubstr;

// What the last run of the test command saw.
struct Seen {
  bool ran = false;
  std::string databasePath;
  std::vector<std::string> args;
  Button answer = Button::Ok;
};
Seen seen;

// Logs a line, asks one question and succeeds only on Yes.
int runDemo(CommandContext& ctx) {
  seen.ran = true;
  seen.databasePath = ctx.databasePath;
  seen.args = ctx.args;
  if (ctx.options.isSet("explode")) throw std::runtime_error("boom");
  ctx.log.INIT();
  ctx.log.LOG("Quary.", kTabModeLineEnd, color::kBrightWhite);
  seen.answer =
      ctx.questions.ask({"Overwrite?", {Button::Yes, Button::No}, Button::No, Icon::Question, ""});
  ctx.log.DONE();
  return seen.answer == Button::Yes ? kExitOk : kExitFailure;
}

constexpr OptionSpec kDemoOptions[] = {{"", "explode", "Throw."}};

int runPlain(CommandContext& ctx) {
  seen.ran = true;
  seen.databasePath = ctx.databasePath;
  return kExitOk;
}

const CommandSpec kDemo{"demo",
                        "[--db FILE] ARG...",
                        "Log and ask",
                        CommandSpec::kDatabase | CommandSpec::kQuestions,
                        kDemoOptions,
                        {},
                        {},
                        runDemo};
const CommandSpec kPlain{"plain", "", "Nothing", 0, {}, {}, {}, runPlain};
const CommandSpec* const kCommands[] = {&kDemo, &kPlain};

struct Outcome {
  int status = -1;
  std::string out, err;
};

Outcome run(std::vector<std::string> args, std::string input = "", bool terminal = false,
            bool outIsTerminal = false) {
  seen = {};
  Outcome r;
  {
    TextOutput out(r.out, outIsTerminal);
    TextOutput err(r.err);
    std::istringstream in(input);
    CliStreams streams{out, err, in, terminal};
    r.status = RunCommandLine(args, kCommands, streams);
  }
  return r;
}

TEST(CommandLine, RunsTheNamedCommandWithLogOnStandardOutput) {
  const Outcome r = run({"demo", "--db", "/tmp/x.DAT", "--yes", "a", "b"});
  EXPECT_EQ(r.status, kExitOk);
  EXPECT_EQ(r.out, "LOG v. 1.0\nQuary.\nDone\n");
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(seen.databasePath, "/tmp/x.DAT");
  EXPECT_EQ(seen.args, (std::vector<std::string>{"a", "b"}));
}

TEST(CommandLine, DatabaseDefaultsToTheMainDatabaseBesideTheProgram) {
  run({"demo", "--no"});
  EXPECT_EQ(seen.databasePath, MainDatabasePath());
  run({"plain"});
  EXPECT_EQ(seen.databasePath, "");  // a command without --db gets none
}

TEST(CommandLine, QuietWritesNoLog) {
  for (const char* quiet : {"--quiet", "-q"}) {
    const Outcome r = run({"demo", quiet, "--yes"});
    EXPECT_EQ(r.status, kExitOk);
    EXPECT_EQ(r.out, "");
  }
}

TEST(CommandLine, ColourOnlyOnATerminalOrWhenAskedFor) {
  struct Case {
    const char* option;
    bool terminal;
    bool coloured;
  } cases[] = {
      {"--color=auto", false, false},
      {"--color=auto", true, true},
      {"--color=always", false, true},
      {"--color=never", true, false},
  };
  for (const Case& c : cases) {
    if (c.terminal && (std::getenv("NO_COLOR") || std::getenv("TERM") == std::string("dumb")))
      continue;
    const Outcome r = run({"demo", c.option, "--yes"}, "", false, c.terminal);
    EXPECT_EQ(r.out.find('\x1b') != std::string::npos, c.coloured) << c.option << c.terminal;
    EXPECT_THAT(r.out, HasSubstr("Quary.")) << c.option;
  }
}

TEST(CommandLine, QuestionsFollowYesNoOrTheTerminalOrTheSafeAnswer) {
  EXPECT_EQ(run({"demo", "--yes"}).status, kExitOk);
  EXPECT_EQ(run({"demo", "--no"}).status, kExitFailure);
  EXPECT_EQ(run({"demo"}, "y\n", true).status, kExitOk);
  EXPECT_EQ(run({"demo"}, "n\n", true).status, kExitFailure);
  const Outcome unattended = run({"demo"}, "y\n", false);
  EXPECT_EQ(unattended.status, kExitFailure);
  EXPECT_EQ(seen.answer, Button::No);
  EXPECT_THAT(unattended.err, HasSubstr("Overwrite?\nvestral: answered No"));
}

TEST(CommandLine, WrongUsageIsStatus2NamingWhatWasWrong) {
  struct Case {
    std::vector<std::string> args;
    const char* message;
  } cases[] = {
      {{}, "vestral: no command given"},
      {{"frob"}, "vestral: unknown command \"frob\""},
      {{"demo", "--frob"}, "vestral demo: Unknown option 'frob'."},
      {{"plain", "--yes"}, "vestral plain: Unknown option 'yes'."},
      {{"demo", "--color=blue"}, "--color takes auto, always or never, not \"blue\""},
      {{"demo", "--yes", "--no"}, "--yes and --no exclude each other"},
      {{"demo", "--db="}, "--db needs a file name"},
  };
  for (const Case& c : cases) {
    const Outcome r = run(c.args);
    EXPECT_EQ(r.status, kExitUsage) << c.message;
    EXPECT_THAT(r.err, HasSubstr(c.message));
    EXPECT_THAT(r.err, HasSubstr("--help"));
    EXPECT_FALSE(seen.ran) << c.message;
  }
}

TEST(CommandLine, AFailureEscapingACommandIsReportedNotThrown) {
  const Outcome r = run({"demo", "--explode"});
  EXPECT_EQ(r.status, kExitFailure);
  EXPECT_EQ(r.err, "vestral: unexpected failure: boom\n");
}

}  // namespace
}  // namespace vestral
