#pragma once

#include <istream>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "cli/option_parser.h"
#include "cli/text_output.h"
#include "database/database_view.h"
#include "log/log_sink.h"
#include "platform/questions.h"

namespace vestral {

// Exit statuses of every command.
inline constexpr int kExitOk = 0;       // all of the work done, every looked-up code found
inline constexpr int kExitFailure = 1;  // a reported failure, a declined question, an absent code
inline constexpr int kExitUsage = 2;    // wrong usage: an unknown option, a malformed code

struct CommandContext;

// One command, `vestral NAME ...`: a cmd_NAME.cpp defines it and cli.cpp lists it.
struct CommandSpec {
  enum Feature : unsigned {
    kDatabase = 1,   // takes --db FILE (default: the main database beside the program)
    kQuestions = 2,  // asks questions: takes --yes and --no
  };

  std::string_view name;
  std::string_view synopsis;  // what follows "vestral NAME", for the help
  std::string_view summary;   // one line for `vestral --help`
  unsigned features = 0;
  std::span<const OptionSpec> options;      // the command's own, beside the common ones
  std::span<const ArgumentSpec> arguments;  // for the help
  // An option naming another input instead of the database (lint's --source): given,
  // the command gets no database.
  std::string_view insteadOfDatabase = {};
  int (*run)(CommandContext& ctx) = nullptr;
};

// What a command gets to work with. Log, questions and error messages are set up
// from the common options (--quiet, --color, --yes, --no).
struct CommandContext {
  const CommandSpec& command;
  const OptionParser& options;
  std::vector<std::string> args;  // the positional arguments
  std::string databasePath;       // --db, or the main database; empty without kDatabase
  LogSink& log;
  Questions& questions;
  TextOutput& out;  // standard output, UTF-8
  TextOutput& err;  // standard error, UTF-8
  std::istream& in;
  // The process ends as soon as the command returns (the real command line, not a
  // test running commands in process).
  bool exitFollows = false;

  // "vestral NAME: what" and a pointer to --help; returns kExitUsage.
  int usageError(std::string_view what);
  // "vestral: what"; returns kExitFailure.
  int fail(std::string_view what);
  // "vestral NAME: what", the run goes on.
  void warn(std::string_view what);
};

// Reads the database at `path`; on failure reports "vestral: <what went wrong>" and
// returns false.
bool ReadDatabaseOrReport(CommandContext& ctx, const std::string& path, DtcDatabase& db);
bool ReadDatabaseOrReport(CommandContext& ctx, const std::string& path, DatabaseFile& db);

// When the process ends right after the command, `p` is left for the system to
// reclaim with the process instead of being freed piece by piece (a database of
// 100,000 entries takes a sixth of a one-code lookup to free); otherwise it is freed
// now. Kept objects stay reachable, so leak checkers do not report them.
void ReleaseAtExit(const CommandContext& ctx, std::shared_ptr<void> p);

// Where a command line run reads and writes; the real one is the process's own.
struct CliStreams {
  TextOutput& out;
  TextOutput& err;
  std::istream& in;
  bool inIsTerminal = false;
  bool exitFollows = false;  // see CommandContext::exitFollows
};

// Runs `vestral ARGS...` (args without the program name) against the given commands
// and returns the exit status. Handles --help and --version itself.
int RunCommandLine(const std::vector<std::string>& args,
                   std::span<const CommandSpec* const> commands, CliStreams& streams);

}  // namespace vestral
