#include "cli/command.h"

#include <cstdlib>
#include <exception>
#include <memory>

#include "cli/code_argument.h"
#include "cli/terminal_questions.h"
#include "cli/terminal_sink.h"
#include "platform/codepage.h"
#include "platform/program_paths.h"

namespace vestral {

namespace {

// The options of every command, and those of the features a command has.
constexpr OptionSpec kHelp{"h", "help", "Show this help."};
constexpr OptionSpec kQuiet{"q", "quiet", "Write no log."};
constexpr OptionSpec kColour{
    "", "color", "Colour the log: auto (when standard output is a terminal), always or never.",
    "when", "auto"};
constexpr OptionSpec kDatabase{
    "", "db", "The database file (default: the main database; `vestral --help` names it).", "FILE"};
constexpr OptionSpec kYes{"", "yes", "Answer every question with Yes (or OK)."};
constexpr OptionSpec kNo{"", "no", "Answer every question with No (or Cancel)."};

std::vector<OptionSpec> optionsOf(const CommandSpec& c) {
  std::vector<OptionSpec> options{kHelp, kQuiet, kColour};
  if (c.features & CommandSpec::kDatabase) options.push_back(kDatabase);
  if (c.features & CommandSpec::kQuestions) options.insert(options.end(), {kYes, kNo});
  options.insert(options.end(), c.options.begin(), c.options.end());
  return options;
}

std::string commonOptionsLine() {
  return "Options of every command: --quiet, --color=auto|always|never, --help.\n";
}

void printOverview(std::span<const CommandSpec* const> commands, TextOutput& out) {
  out.write(
      "Usage: vestral [COMMAND [OPTIONS] [ARGUMENTS]]\n"
      "\n"
      "Without a command vestral opens the lookup window; vestral --editor opens the\n"
      "database editor (as far as the ini file beside the program allows). With\n"
      "--db FILE both windows use FILE instead of the main database.\n"
      "\n"
      "Commands:\n");
  size_t width = 0;
  for (const CommandSpec* c : commands) width = std::max(width, c->name.size());
  for (const CommandSpec* c : commands) {
    out.write("  ");
    out.write(c->name);
    out.write(std::string(width - c->name.size() + 2, ' '));
    out.write(c->summary);
    out.write("\n");
  }
  const ProgramFiles& files = CurrentProgramFiles();
  out.write("\n" + commonOptionsLine() +
            "`vestral COMMAND --help` describes a command; `vestral --version` shows the "
            "version.\n"
            "Exit status: 0 all done, 1 a failure, a declined question or an absent code, 2 wrong "
            "usage.\n"
            "\nFiles (" +
            (files.installed ? std::string("an installed copy: the user's own folders")
                             : std::string("a portable copy: beside the program, named after it")) +
            "):\n  main database     " + ShownText(files.database) + "\n  ini file          " +
            ShownText(files.ini) + "\n");
  // Both languages' defaults: a new user starts from the one of the locale, update takes
  // the one of the language the database was made in.
  const std::string& english = files.installed ? files.shippedDatabase : files.defaultDatabase;
  if (!english.empty())
    out.write("  default databases " + ShownText(english) + " (English first), " +
              ShownText(DefaultDatabaseOf(english, TextLanguage::Russian)) + " (Russian first)" +
              (files.installed ? "; a new user starts from the one of their language" : "") +
              "; vestral update takes the one in the database's language\n");
  if (!files.database.empty())
    out.write("  kept base         " + ShownText(KeptBasePath(files.database)) +
              " (the default the database was made from or last updated to)\n");
}

void printCommandHelp(const CommandSpec& c, const OptionParser& parser, TextOutput& out) {
  out.write("Usage: vestral ");
  out.write(c.name);
  if (!c.synopsis.empty()) {
    out.write(" ");
    out.write(c.synopsis);
  }
  out.write("\n");
  out.write(parser.helpText(c.summary, c.arguments));
  out.flush();
}

const CommandSpec* findCommand(std::span<const CommandSpec* const> commands,
                               std::string_view name) {
  for (const CommandSpec* c : commands)
    if (c->name == name) return c;
  return nullptr;
}

bool colourWanted(const std::string& when, const TextOutput& out) {
  if (when == "always") return true;
  if (when == "never") return false;
  const char* noColor = std::getenv("NO_COLOR");
  const char* term = std::getenv("TERM");
  if (noColor && *noColor) return false;
  if (term && std::string_view(term) == "dumb") return false;
  return out.isTerminal();
}

// Every message on standard error: `what` may quote a path or words of the command
// line, so it is shown as ShownText shows it.
void tell(TextOutput& err, const std::string& head, std::string_view what,
          const std::string& tail = "\n") {
  err.write(head + ShownText(what) + tail);
  err.flush();
}

int reportUsage(TextOutput& out, TextOutput& err, std::string_view command, std::string_view what) {
  out.flush();
  const std::string name(command);
  tell(err, "vestral " + name + ": ", what, "\nTry `vestral " + name + " --help`.\n");
  return kExitUsage;
}

}  // namespace

int CommandContext::usageError(std::string_view what) {
  return reportUsage(out, err, command.name, what);
}

int CommandContext::fail(std::string_view what) {
  if (out.isTerminal()) out.flush();
  tell(err, "vestral: ", what);
  return kExitFailure;
}

void CommandContext::warn(std::string_view what) {
  // On one screen the warning should appear among the lines it belongs to.
  if (out.isTerminal()) out.flush();
  tell(err, "vestral " + std::string(command.name) + ": ", what);
}

static void reportDatabaseError(CommandContext& ctx, const Status& s) {
  // The windows make a missing main database at start; a command only reads, so it
  // says how to make one.
  ctx.fail(s.ToString() +
           (s.IsNotFound() ? " (`vestral create FILE` writes an empty database)" : std::string()));
}

bool ReadDatabaseOrReport(CommandContext& ctx, const std::string& path, DtcDatabase& db) {
  const Status s = ReadDatabase(path, db);
  if (s.ok()) return true;
  reportDatabaseError(ctx, s);
  return false;
}

bool ReadDatabaseOrReport(CommandContext& ctx, const std::string& path, DatabaseFile& db) {
  const Status s = db.read(path);
  if (s.ok()) return true;
  reportDatabaseError(ctx, s);
  return false;
}

void ReleaseAtExit(const CommandContext& ctx, std::shared_ptr<void> p) {
  if (!ctx.exitFollows) return;
  static auto* const kept = new std::vector<std::shared_ptr<void>>;  // never freed, on purpose
  kept->push_back(std::move(p));
}

namespace {

// "vestral: what" for a command line that names no command to blame.
int reportTopUsage(TextOutput& err, const std::string& what) {
  tell(err, "vestral: ", what, "\nTry `vestral --help`.\n");
  return kExitUsage;
}

// --yes or --no, where the command asks questions; false when both are given.
bool chooseAnswers(const CommandSpec& command, const OptionParser& options, AnswerMode& mode) {
  mode = AnswerMode::kAsk;
  if (!(command.features & CommandSpec::kQuestions)) return true;
  if (options.isSet("yes") && options.isSet("no")) return false;
  if (options.isSet("yes")) mode = AnswerMode::kYes;
  if (options.isSet("no")) mode = AnswerMode::kNo;
  return true;
}

// --db, or the main database, made ready first: a new user of an installed copy starts
// from the shipped one. Returns the status to stop with, or kExitOk.
int chooseDatabase(const CommandSpec& command, const OptionParser& options, TextOutput& out,
                   TextOutput& err, std::string& path) {
  if (!(command.features & CommandSpec::kDatabase)) return kExitOk;
  if (options.isSet("db")) {
    path = options.value("db");
    if (path.empty()) return reportUsage(out, err, command.name, "--db needs a file name");
    return kExitOk;
  }
  // A command reading another input instead (lint --source) leaves the main one alone.
  if (!command.insteadOfDatabase.empty() && options.isSet(command.insteadOfDatabase))
    return kExitOk;
  if (const Status ready = PrepareMainDatabase(CheckDatabaseBytes); !ready.ok()) {
    tell(err, "vestral: ", ready.ToString());
    return kExitFailure;
  }
  path = MainDatabasePath();
  return kExitOk;
}

// Runs the command with its log and questions set up; a failure escaping it is
// reported. Output that cannot be written stops it: RunCommandLine reports that.
int runWith(CommandContext& ctx, TerminalSink* sink) {
  int status = kExitFailure;
  try {
    status = ctx.command.run(ctx);
  } catch (const OutputFailed&) {
    throw;
  } catch (const std::exception& e) {
    status = ctx.fail(std::string("unexpected failure: ") + e.what());
  }
  if (sink) sink->pause();
  return status;
}

// The common options checked, then the command run.
int runCommand(const CommandSpec& command, const OptionParser& options, CliStreams& streams) {
  TextOutput& out = streams.out;
  TextOutput& err = streams.err;
  const std::string when = options.value("color");
  if (when != "auto" && when != "always" && when != "never")
    return reportUsage(out, err, command.name,
                       "--color takes auto, always or never, not " + QuotedInput(when));
  AnswerMode mode = AnswerMode::kAsk;
  if (!chooseAnswers(command, options, mode))
    return reportUsage(out, err, command.name, "--yes and --no exclude each other");
  std::string databasePath;
  if (const int s = chooseDatabase(command, options, out, err, databasePath); s != kExitOk)
    return s;

  NullSink quietSink;
  std::unique_ptr<TerminalSink> terminalSink;
  if (!options.isSet("quiet"))
    terminalSink = std::make_unique<TerminalSink>(out, colourWanted(when, out));
  TerminalSink* sink = terminalSink.get();
  LogSink& log = sink ? static_cast<LogSink&>(*sink) : quietSink;
  TerminalQuestions questions(mode, streams.inIsTerminal, streams.in, err, [sink, &out] {
    if (sink) sink->pause();
    out.flush();
  });
  CommandContext ctx{command,      options, options.positionalArguments(),
                     databasePath, log,     questions,
                     out,          err,     streams.in};
  ctx.exitFollows = streams.exitFollows;
  return runWith(ctx, sink);
}

}  // namespace

namespace {

// The help, the version or the command the arguments name.
int dispatch(const std::vector<std::string>& args, std::span<const CommandSpec* const> commands,
             CliStreams& streams) {
  if (args.empty()) return reportTopUsage(streams.err, "no command given");
  const std::string& first = args.front();
  if (first == "--help" || first == "-h" || first == "help") {
    printOverview(commands, streams.out);
    return kExitOk;
  }
  if (first == "--version") {
    streams.out.write("vestral " VESTRAL_VERSION "\n");
    return kExitOk;
  }
  const CommandSpec* command = findCommand(commands, first);
  if (!command)
    return reportTopUsage(
        streams.err, (!first.empty() && first[0] == '-' ? "unknown option " : "unknown command ") +
                         QuotedInput(first));
  OptionParser options(optionsOf(*command));
  if (!options.parse(std::vector<std::string>(args.begin() + 1, args.end())))
    return reportUsage(streams.out, streams.err, command->name, options.errorText());
  if (options.isSet("help")) {
    printCommandHelp(*command, options, streams.out);
    return kExitOk;
  }
  return runCommand(*command, options, streams);
}

}  // namespace

int RunCommandLine(const std::vector<std::string>& args,
                   std::span<const CommandSpec* const> commands, CliStreams& streams) {
  int status = kExitFailure;
  try {
    status = dispatch(args, commands, streams);
    streams.out.flush();
  } catch (const OutputFailed&) {  // the status below says it
  }
  if (streams.out.failed()) {
    tell(streams.err, "vestral: ", OutputFailed().what());
    if (status == kExitOk) status = kExitFailure;
  }
  return status;
}

}  // namespace vestral
