#include "cli/command.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>
#include <stdexcept>

#include "platform/program_paths.h"

namespace vestral {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;

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
  for (const QString& a : ctx.args) seen.args.push_back(a.toStdString());
  if (ctx.options.isSet("explode")) throw std::runtime_error("boom");
  ctx.log.INIT();
  ctx.log.LOG("Quary.", kTabModeLineEnd, color::kBrightWhite);
  seen.answer =
      ctx.questions.ask({"Overwrite?", {Button::Yes, Button::No}, Button::No, Icon::Question, ""});
  ctx.log.DONE();
  return seen.answer == Button::Yes ? kExitOk : kExitFailure;
}

void demoOptions(QCommandLineParser& p) { p.addOption(QCommandLineOption("explode", "Throw.")); }

int runPlain(CommandContext& ctx) {
  seen.ran = true;
  seen.databasePath = ctx.databasePath;
  return kExitOk;
}

const CommandSpec kDemo{"demo",        "[--db FILE] ARG...",
                        "Log and ask", CommandSpec::kDatabase | CommandSpec::kQuestions,
                        demoOptions,   runDemo};
const CommandSpec kPlain{"plain", "", "Nothing", 0, nullptr, runPlain};
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
      {{"--frob"}, "vestral: unknown option \"--frob\""},
      {{"demo", "--frob"}, "vestral demo: Unknown option 'frob'."},
      {{"plain", "--yes"}, "vestral plain: Unknown option 'yes'."},
      {{"plain", "--db", "x"}, "vestral plain: Unknown option 'db'."},
      {{"demo", "--color=blue"}, "--color takes auto, always or never, not \"blue\""},
      {{"demo", "--yes", "--no"}, "--yes and --no exclude each other"},
      {{"demo", "--db"}, "vestral demo: Missing value after '--db'."},
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

TEST(CommandLine, HelpAndVersion) {
  for (const char* h : {"--help", "-h", "help"}) {
    const Outcome r = run({h});
    EXPECT_EQ(r.status, kExitOk);
    EXPECT_THAT(r.out, StartsWith("Usage: vestral"));
    EXPECT_THAT(r.out, HasSubstr("  demo   Log and ask\n  plain  Nothing\n"));
  }
  const Outcome v = run({"--version"});
  EXPECT_EQ(v.status, kExitOk);
  EXPECT_THAT(v.out, StartsWith("vestral "));

  const Outcome d = run({"demo", "--help", "--frob-is-not-reached"});
  EXPECT_EQ(d.status, kExitUsage);  // an unknown option still counts

  const Outcome demoHelp = run({"demo", "--help"});
  EXPECT_EQ(demoHelp.status, kExitOk);
  EXPECT_FALSE(seen.ran);
  EXPECT_THAT(demoHelp.out, StartsWith("Usage: vestral demo [--db FILE] ARG...\nLog and ask\n"));
  for (const char* option : {"--quiet", "--color", "--db", "--yes", "--no", "--explode"})
    EXPECT_THAT(demoHelp.out, HasSubstr(option));
  EXPECT_THAT(run({"plain", "--help"}).out, Not(HasSubstr("--db")));
}

TEST(CommandLine, AFailureEscapingACommandIsReportedNotThrown) {
  const Outcome r = run({"demo", "--explode"});
  EXPECT_EQ(r.status, kExitFailure);
  EXPECT_EQ(r.err, "vestral: unexpected failure: boom\n");
}

TEST(CommandLine, ReleaseAtExitKeepsObjectsOnlyWhenTheProcessEndsNext) {
  std::string out, err;
  TextOutput o(out), e(err);
  std::istringstream in;
  NullSink log;
  ScriptedQuestions questions;
  QCommandLineParser parser;
  for (bool exitFollows : {false, true}) {
    CommandContext ctx{kPlain, parser, {}, {}, log, questions, o, e, in};
    ctx.exitFollows = exitFollows;
    auto big = std::make_shared<std::vector<int>>(1000);
    std::weak_ptr<std::vector<int>> watch = big;
    ReleaseAtExit(ctx, std::move(big));
    EXPECT_EQ(watch.expired(), !exitFollows);
  }
}

}  // namespace
}  // namespace vestral
