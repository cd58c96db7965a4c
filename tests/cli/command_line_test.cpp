#include "cli/command.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

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
  return testing::Vestral(args, "y\n", kCommands, inTerminal, outTerminal);
}

// Without --db the main database; none for a command without one or given its input.
TEST(CommandLine, RunsTheCommandWithItsDatabaseAnswersAndLog) {
  const std::string main = MainDatabasePath(), plain = "LOG v. 1.0\nQuary.\nDone\n";
  const std::string coloured = "\x1b[92mLOG v. 1.0\n\x1b[97mQuary.\n\x1b[0m\x1b[91mDone\x1b[0m\n";
  const bool colours = !std::getenv("NO_COLOR") && std::getenv("TERM") != std::string("dumb");
  const struct {
    std::vector<std::string> args;
    bool inTerminal = false, outTerminal = false;
    std::string database = "";  // the database the command saw
    int status = 1;
    std::string log = "";
    const char* err = "";
  } cases[] = {
      // clang-format off
      {.args = {"demo", "--db", "/x.DAT", "--yes"}, .database = "/x.DAT", .status = 0, .log = plain},
      {.args = {"demo", "--no"}, .inTerminal = true, .database = main, .log = plain},
      {.args = {"plain"}, .inTerminal = true, .status = 0, .log = plain},
      {.args = {"demo", "--input", "f"}, .log = plain},
      {.args = {"demo"}, .database = main, .log = plain, .err = "Overwrite?\nvestral: answered No: no terminal"},
      {.args = {"demo", "-q"}, .outTerminal = true, .database = main},
      {.args = {"demo", "--color=never"}, .outTerminal = true, .database = main, .log = plain},
      {.args = {"demo", "--color=always"}, .database = main, .log = coloured},
      {.args = {"demo", "--color=auto"}, .database = main, .log = plain},
      {.args = {"demo", "--color=auto"}, .outTerminal = true, .database = main, .log = colours ? coloured : plain},
      {.args = {"demo", "--explode"}, .database = main, .err = "vestral: unexpected failure: boom\n"},
  };
  // clang-format on
  for (const auto& c : cases) {
    const Outcome r = run(c.args, c.inTerminal, c.outTerminal);
    EXPECT_EQ(r.status, c.status) << c.args.back();
    EXPECT_EQ(seenDatabase, c.database) << c.args.back();
    EXPECT_EQ(r.out, c.log) << c.args.back() << c.outTerminal;
    EXPECT_THAT(r.err, HasSubstr(c.err)) << c.args.back();
  }
}

TEST(CommandLine, HelpAndVersion) {
  for (const char* help : {"--help", "-h", "help"})
    EXPECT_THAT(testing::Vestral({help}).out,
                HasSubstr("\nCommands:\n  lookup    Look codes up in the database, as the lookup "
                          "window does\n  create    Write a new, empty database file\n"));
  EXPECT_THAT(testing::Vestral({"sync", "--db", "x", "-h", "y"}).out,
              ::testing::StartsWith(
                  "Usage: vestral sync [--db FILE] OTHER [--direct] [--dry-run] [--yes|--no]\n"
                  "Merge another database file into the main one\n\nOptions:\n"
                  "  -h, --help      Show this help.\n"));
}

// Each answer comes while the input is still open, and no Qt library is mapped.
using Program = testing::CliFiles;
TEST_F(Program, AnswersLineByLineWithoutQt) {
  int in[2], out[2];  // close-on-exec: the program must not hold our ends open
  ASSERT_EQ(::pipe2(in, O_CLOEXEC) | ::pipe2(out, O_CLOEXEC), 0);
  const pid_t child = ::fork();
  if (child == 0) {
    ::dup2(in[0], 0);
    ::dup2(out[1], 1);
    ::execl(VESTRAL_BINARY, VESTRAL_BINARY, "lookup", "--db", main_.c_str(), "-", nullptr);
    ::_exit(127);
  }
  ::close(in[0]), ::close(out[1]);
  ASSERT_EQ(::write(in[1], "b1000\n", 6), 6);
  std::string answer;
  char buf[64];
  pollfd p{out[0], POLLIN, 0};
  for (ssize_t n = 1; n > 0 && answer.size() < 30 && ::poll(&p, 1, 10000) == 1;)
    if ((n = ::read(out[0], buf, sizeof buf)) > 0) answer.append(buf, static_cast<size_t>(n));
  EXPECT_EQ(answer, "B1000\tbody\tBody sensor\toxygen\n");
  const std::string maps = testing::ReadBytes("/proc/" + std::to_string(child) + "/maps");
  EXPECT_THAT(maps, HasSubstr("libstdc++"));
  for (const char* library : {"libQt6", "libicu", "libX11", "libfontconfig"})
    EXPECT_THAT(maps, ::testing::Not(HasSubstr(library)));
  ::close(in[1]);
  int status = -1;
  ::waitpid(child, &status, 0);
  ::close(out[0]);
  EXPECT_EQ(status, 0);
}

}  // namespace
}  // namespace vestral
