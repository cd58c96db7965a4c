// Output that cannot be written, and texts from files and command lines that must not
// split a record or steer the terminal.

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "cli/cli_test.h"

namespace vestral::testing {
namespace {

using Output = CliFiles;

// Help, version and every command's output: status 1 at a full disk or a closed
// descriptor, and no further work (lookup - leaves the rest of its input unread).
TEST_F(Output, ThatCannotBeWrittenStopsTheRunWithStatusOne) {
  std::string many;
  for (int i = 0; i < 100000; ++i) many += "0100\n";
  const struct {
    const char* line;
    std::string input = {};
  } cases[] = {{.line = "--help"},
               {.line = "--version"},
               {.line = "lookup --help"},
               {.line = "lookup --db {main} 0100"},
               {.line = "lookup --db {main} -", .input = many}};
  const int full = ::open("/dev/full", O_WRONLY | O_CLOEXEC);
  for (const auto& c : cases) {
    for (const int fd : {full, -1}) {
      std::string err;
      std::istringstream in(c.input);
      int status = -1;
      {
        TextOutput out(fd), errors(err);
        CliStreams streams{out, errors, in};
        status = RunCommandLine(args(c.line), AllCommands(), streams);
      }
      EXPECT_EQ(std::to_string(status) + " " + err, "1 vestral: cannot write to standard output\n")
          << c.line << fd;
      if (!c.input.empty()) {
        EXPECT_GT(in.rdbuf()->in_avail(), 400000) << fd;
      }
    }
  }
  ::close(full);
}

// A program started with standard output closed must not write its log into the next
// file it opens.
TEST(StandardDescriptors, AClosedOneIsHeldSoThatNoFileTakesIt) {
  const pid_t child = ::fork();
  if (child == 0) {
    ::close(STDOUT_FILENO);
    HoldClosedStandardDescriptors();
    const int file = ::open("/dev/zero", O_RDWR);
    ::_exit(file != STDOUT_FILENO && ::write(STDOUT_FILENO, "x", 1) < 0 && errno == EBADF ? 0 : 1);
  }
  int status = -1;
  ::waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

// Codes, texts, file names and words of the command line: a tab or a line break in a
// record's field becomes a blank, a control character '?', bytes that are no UTF-8
// U+FFFD; JSON escapes them. A path in a log is converted as its texts are.
TEST_F(Output, ShowsEveryCodeTextAndNameSafely) {
  const std::string odd = dir_.file("w\x1b[2J.DAT"), shown = dir_.file("w?[2J.DAT");
  DtcDatabase db = Codes();
  db.P.Entries.push_back(entry("\t1\n0", "Tabbed code"));
  ASSERT_TRUE(WriteDatabase(odd, db).ok());
  WriteBytes(dir_.file("bad.txt"), "\t0100 x\r\n");
  const struct {
    std::string line;
    std::string out = {}, err = {};
  } cases[] = {
      {.line = "search --db {bad} Tabbed", .out = "P 1 0\tСиловая\tTabbed code\t\n"},
      {.line = "search --db {bad} --json Tabbed", .out = "\"code\": \"P\\t1\\n0\""},
      {.line = "sync --db {main} {bad} --dry-run",
       .out = "Merging \"" + shown + "\" into \"" + main_ + "\" in alternative value"},
      {.line = "sync --db {main} {bad} --dry-run",
       .out = "\n  added      P 1 0  at 6  Tabbed code\n"},
      {.line = "lint --db {bad}", .out = "table P, position 6, code  1 0: malformed code: "},
      {.line = "lint --source " + dir_.file("bad.txt"),
       .out = "line 1, code 0100: source line the generator stops at: the table letter   is "
              "none of P, C, B, U\n"},
      {.line = "generate --yes {src} " + dir_.file("база.DAT"),
       .out = "Created database file \"" + dir_.file("база.DAT") + "\"\n"},
      {.line = "\x1b[31mx\xFF", .err = "vestral: unknown command \"?[31mx\xEF\xBF\xBD\"\n"},
      {.line = "--\a\xC0\x80", .err = "vestral: unknown option \"--?\xEF\xBF\xBD\"\n"},
      {.line = "lookup -\x1b", .err = "vestral lookup: Unknown option '?'.\n"},
      {.line = "lookup --color=\x1b[0m 0100", .err = "not \"?[0m\"\n"},
      {.line = "lookup --db " + odd + "x 0100", .err = "vestral: cannot open \"" + shown + "x\": "},
  };
  for (const auto& c : cases) {
    const Outcome r = Vestral(args(c.line, odd));
    EXPECT_THAT(r.out, HasSubstr(c.out)) << c.line;
    EXPECT_THAT(r.err, HasSubstr(c.err)) << c.line;
  }
}

// The help names the files of a copy unpacked into a folder whose name holds an escape.
TEST_F(Output, HelpShowsTheFilesOfAnOddFolderSafely) {
  const std::string folder = dir_.file("x\x1b[2J");
  std::filesystem::create_directory(folder);
  std::filesystem::copy_file(VESTRAL_BINARY, folder + "/vestral");
  FILE* p = ::popen(("'" + folder + "/vestral' --help").c_str(), "r");
  ASSERT_NE(p, nullptr);
  std::string out(1 << 16, '\0');
  out.resize(std::fread(out.data(), 1, out.size(), p));
  ::pclose(p);
  EXPECT_THAT(out, HasSubstr("\n  main database     " + dir_.file("x?[2J/vestral.DAT\n")));
}

}  // namespace
}  // namespace vestral::testing
