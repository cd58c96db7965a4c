#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <string>
#include <vector>

#include "lookup/window_options.h"

namespace vestral {
namespace {

// What opens the windows, on which database, and the usage errors, word for word.
TEST(WindowInvocation, TakesTheEditorAndOneDatabaseAndRefusesTheRest) {
  const struct {
    std::vector<std::string> args;
    bool window;
    std::string parsed;  // "editor" and the database, or the error
  } cases[] = {
      {{}, true, " "},
      {{"--editor"}, true, "editor "},
      {{"--db", "x.DAT", "--editor"}, true, "editor x.DAT"},
      {{"--db=x y.DAT"}, true, " x y.DAT"},
      {{"--editor", "--db"}, true, "missing file name after '--db'"},
      {{"--db="}, true, "no file name given after '--db'"},
      {{"--db", "a", "--db=b"}, true, "'--db' given twice"},
      {{"--editor", "-x"}, true, "unknown option '-x' (the windows take --editor and --db FILE)"},
      {{"--db", "a", "lookup"},
       true,
       "unexpected argument 'lookup' (a command comes first: vestral COMMAND ...)"},
      {{"lookup", "--db", "a"}, false, ""},
      {{"--dbx"}, false, ""},
  };
  for (const auto& c : cases) {
    const std::string name = c.args.empty() ? "" : c.args.front();
    EXPECT_EQ(IsWindowInvocation(c.args), c.window) << name;
    if (!c.window) continue;
    WindowOptions o;
    std::string error;
    const bool ok = ParseWindowOptions(c.args, o, error);
    EXPECT_EQ(ok ? (o.editor ? "editor " : " ") + o.database : error, c.parsed) << name;
  }
}

// The program says so on standard error with status 2, before any window library loads;
// an escape character typed is shown as '?'.
TEST(WindowInvocation, WrongUsageEndsTheProgramWithStatusTwo) {
  FILE* p = ::popen(VESTRAL_BINARY " --editor -\"$(printf '\\033')\" 2>&1", "r");
  ASSERT_NE(p, nullptr);
  std::string out(256, '\0');
  out.resize(std::fread(out.data(), 1, out.size(), p));
  const int status = ::pclose(p);
  EXPECT_EQ(out,
            "vestral: unknown option '-?' (the windows take --editor and --db FILE)\nTry `vestral "
            "--help`.\n");
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 2);
}

}  // namespace
}  // namespace vestral
