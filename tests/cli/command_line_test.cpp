#include "cli/command.h"

#include <fcntl.h>

#include "cli/cli_test.h"
#include "platform/program_paths.h"

namespace vestral {
namespace {

using ::testing::HasSubstr;
using testing::Outcome;

std::string seenDatabase = "not run";  // what the last run of a test command saw

// Logs a line, asks one question and succeeds only on Yes.
int runDemo(CommandContext& ctx) {
  seenDatabase = ctx.databasePath;
  if (ctx.options.isSet("explode")) throw std::runtime_error("boom");
  ctx.log.INIT();
  ctx.log.LOG("Quary.", kTabModeLineEnd, color::kBrightWhite);
  const Button b =
      ctx.questions.ask({"Overwrite?", {Button::Yes, Button::No}, Button::No, Icon::Question, ""});
  ctx.log.DONE();
  return b == Button::Yes ? kExitOk : kExitFailure;
}

constexpr OptionSpec kDemoOptions[] = {{"", "explode", "Throw."}, {"", "input", "Other.", "F"}};
const CommandSpec kDemo{"demo",       "", "",      CommandSpec::kDatabase | CommandSpec::kQuestions,
                        kDemoOptions, {}, "input", runDemo};
const CommandSpec kPlain{"plain", "", "", 0, {}, {}, {}, runDemo};
const CommandSpec* const kCommands[] = {&kDemo, &kPlain};

Outcome run(const std::vector<std::string>& args, bool inTerminal = false,
            bool outTerminal = false) {
  seenDatabase = "not run";
  Outcome r;
  {
    TextOutput out(r.out, outTerminal), err(r.err);
    std::istringstream in("y\n");
    CliStreams streams{out, err, in, inTerminal};
    r.status = RunCommandLine(args, kCommands, streams);
  }
  return r;
}

// Without --db the main database; none for a command without one, or when the option
// standing for it is given. Questions are asked on a terminal, else answered No.
TEST(CommandLine, RunsTheCommandWithItsDatabaseAndAnswers) {
  const std::tuple<std::vector<std::string>, bool, std::string, int> cases[] = {
      {{"demo", "--db", "/x.DAT", "--yes"}, false, "/x.DAT", kExitOk},
      {{"demo", "--no"}, true, MainDatabasePath(), kExitFailure},
      {{"plain"}, true, "", kExitOk},
      {{"demo", "--input", "f"}, false, "", kExitFailure},
  };
  for (const auto& [args, terminal, database, status] : cases) {
    const Outcome r = run(args, terminal);
    EXPECT_EQ(r.status, status) << args[1];
    EXPECT_EQ(seenDatabase, database) << args[1];
  }
  EXPECT_THAT(run({"demo"}).err, HasSubstr("Overwrite?\nvestral: answered No: no terminal"));
}

// A question resets the log's colour before it appears.
TEST(CommandLine, QuietAndColourDecideTheLog) {
  const std::string plain = "LOG v. 1.0\nQuary.\nDone\n";
  const std::string coloured = "\x1b[92mLOG v. 1.0\n\x1b[97mQuary.\n\x1b[0m\x1b[91mDone\x1b[0m\n";
  const bool colours = !std::getenv("NO_COLOR") && std::getenv("TERM") != std::string("dumb");
  const std::tuple<const char*, bool, std::string> cases[] = {
      {"-q", true, ""},
      {"--color=never", true, plain},
      {"--color=always", false, coloured},
      {"--color=auto", false, plain},
      {"--color=auto", true, colours ? coloured : plain}};
  for (const auto& [option, terminal, log] : cases)
    EXPECT_EQ(run({"demo", option}, false, terminal).out, log) << option << terminal;
}

// Usage errors are the commands' test.
TEST(CommandLine, AFailureEscapingACommandIsReported) {
  const Outcome r = run({"demo", "--explode"});
  EXPECT_EQ(r.err + std::to_string(r.status), "vestral: unexpected failure: boom\n1");
}

// Output lost (a full disk, a closed pipe) turns success into a failure.
TEST(CommandLine, OutputThatCannotBeWrittenIsAFailure) {
  std::string errText;
  {
    TextOutput out(::open("/dev/full", O_WRONLY | O_CLOEXEC)), err(errText);
    std::istringstream in;
    CliStreams streams{out, err, in, false};
    EXPECT_EQ(RunCommandLine({"demo", "--yes"}, kCommands, streams), kExitFailure);
  }
  EXPECT_EQ(errText, "vestral: cannot write to standard output\n");
}

// The layout of a command's help is the option parser's test.
TEST(CommandLine, HelpAndVersion) {
  for (const char* help : {"--help", "-h", "help"})
    EXPECT_THAT(testing::Vestral({help}).out,
                HasSubstr("\nCommands:\n  lookup    Look codes up in the database, as the lookup "
                          "window does\n  create    Write a new, empty database file\n"));
  EXPECT_THAT(testing::Vestral({"--help"}).out,
              HasSubstr("\n  main database     " + MainDatabasePath() + "\n"));
  EXPECT_THAT(testing::Vestral({"sync", "--db", "x", "-h", "y"}).out,
              ::testing::StartsWith(
                  "Usage: vestral sync [--db FILE] OTHER [--direct] [--dry-run] [--yes|--no]\n"
                  "Merge another database file into the main one\n\nOptions:\n"
                  "  -h, --help      Show this help.\n  -q, --quiet     Write no log.\n"
                  "  --color <when>  Colour the log: auto (when standard output is a terminal),\n"
                  "                  always or never.\n  --db <FILE>     The database file "
                  "(default: the main database; `vestral\n                  --help` names it).\n"
                  "  --yes           Answer every question with Yes (or OK).\n"
                  "  --no            Answer every question with No (or Cancel).\n  --direct  "));
}

// The program itself: a program feeding codes one by one gets each answer while its
// input is still open; the command, waiting there, has mapped no Qt library.
TEST(Program, AnswersLineByLineWithoutQt) {
  testing::TempDir dir;
  ASSERT_TRUE(WriteDatabase(dir.file("codes.DAT"), testing::Codes()).ok());
  testing::ChildProcess p({VESTRAL_BINARY, "lookup", "--db", dir.file("codes.DAT"), "-"});
  p.write("b1000\n");
  EXPECT_EQ(p.readOut(30), "B1000\tbody\tBody sensor\toxygen\n");
  const std::string maps = testing::ReadBytes("/proc/" + std::to_string(p.pid()) + "/maps");
  EXPECT_THAT(maps, HasSubstr("libstdc++"));
  for (const char* library : {"libQt6", "libicu", "libX11", "libfontconfig"})
    EXPECT_THAT(maps, ::testing::Not(HasSubstr(library)));
  EXPECT_EQ(p.finish().exitCode, kExitOk);
}

}  // namespace
}  // namespace vestral
