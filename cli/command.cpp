#include "cli/command.h"

#include <QFile>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <memory>

#include "cli/terminal_questions.h"
#include "cli/terminal_sink.h"
#include "platform/program_paths.h"

namespace vestral {

namespace {

std::string toUtf8(const QString& s) { return s.toStdString(); }

std::string commonOptionsLine() {
  return "Options of every command: --quiet, --color=auto|always|never, --help.\n";
}

void printOverview(std::span<const CommandSpec* const> commands, TextOutput& out) {
  out.write(
      "Usage: vestral [COMMAND [OPTIONS] [ARGUMENTS]]\n"
      "\n"
      "Without a command vestral opens the lookup window; vestral --editor opens the\n"
      "database editor (as far as the ini file beside the program allows).\n"
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
            "):\n  main database     " + files.database + "\n  ini file          " + files.ini +
            "\n");
  if (files.installed)
    out.write("  default database  " + files.shippedDatabase + " (a new user starts from it)\n");
}

void printCommandHelp(const CommandSpec& c, const QCommandLineParser& parser, TextOutput& out) {
  // The parser's own usage line would name an executable it cannot know without an
  // application object; ours names the command.
  QString body = parser.helpText();
  const qsizetype firstBreak = body.indexOf(u'\n');
  body = firstBreak < 0 ? QString() : body.mid(firstBreak + 1);
  out.write("Usage: vestral ");
  out.write(c.name);
  if (!c.synopsis.empty()) {
    out.write(" ");
    out.write(c.synopsis);
  }
  out.write("\n");
  out.write(toUtf8(body));
}

const CommandSpec* findCommand(std::span<const CommandSpec* const> commands,
                               std::string_view name) {
  for (const CommandSpec* c : commands)
    if (c->name == name) return c;
  return nullptr;
}

bool colourWanted(const QString& when, const TextOutput& out) {
  if (when == u"always") return true;
  if (when == u"never") return false;
  const char* noColor = std::getenv("NO_COLOR");
  const char* term = std::getenv("TERM");
  if (noColor && *noColor) return false;
  if (term && std::string_view(term) == "dumb") return false;
  return out.isTerminal();
}

int reportUsage(TextOutput& out, TextOutput& err, std::string_view command, std::string_view what) {
  out.flush();
  const std::string name(command);
  err.write("vestral " + name + ": " + std::string(what) + "\nTry `vestral " + name +
            " --help`.\n");
  err.flush();
  return kExitUsage;
}

}  // namespace

int CommandContext::usageError(std::string_view what) {
  return reportUsage(out, err, command.name, what);
}

int CommandContext::fail(std::string_view what) {
  if (out.isTerminal()) out.flush();
  err.write("vestral: " + std::string(what) + "\n");
  err.flush();
  return kExitFailure;
}

void CommandContext::warn(std::string_view what) {
  // On one screen the warning should appear among the lines it belongs to.
  if (out.isTerminal()) out.flush();
  err.write("vestral " + std::string(command.name) + ": " + std::string(what) + "\n");
  err.flush();
}

static void reportDatabaseError(CommandContext& ctx, const std::string& path, const Status& s) {
  std::error_code ec;
  const bool missing = !std::filesystem::exists(std::filesystem::symlink_status(path, ec));
  // The windows make a missing main database at start; a command only reads, so it
  // says how to make one.
  ctx.fail(s.ToString() +
           (missing ? " (`vestral create FILE` writes an empty database)" : std::string()));
}

bool ReadDatabaseOrReport(CommandContext& ctx, const std::string& path, DtcDatabase& db) {
  const Status s = ReadDatabase(path, db);
  if (s.ok()) return true;
  reportDatabaseError(ctx, path, s);
  return false;
}

bool ReadDatabaseOrReport(CommandContext& ctx, const std::string& path, DatabaseFile& db) {
  const Status s = db.read(path);
  if (s.ok()) return true;
  reportDatabaseError(ctx, path, s);
  return false;
}

void ReleaseAtExit(const CommandContext& ctx, std::shared_ptr<void> p) {
  if (!ctx.exitFollows) return;
  static auto* const kept = new std::vector<std::shared_ptr<void>>;  // never freed, on purpose
  kept->push_back(std::move(p));
}

std::string PathArgument(const QString& arg) { return QFile::encodeName(arg).toStdString(); }

int RunCommandLine(const std::vector<std::string>& args,
                   std::span<const CommandSpec* const> commands, CliStreams& streams) {
  TextOutput& out = streams.out;
  TextOutput& err = streams.err;
  auto usage = [&](const std::string& what) {
    err.write("vestral: " + what + "\nTry `vestral --help`.\n");
    err.flush();
    return kExitUsage;
  };

  if (args.empty()) return usage("no command given");
  const std::string& first = args.front();
  if (first == "--help" || first == "-h" || first == "help") {
    printOverview(commands, out);
    out.flush();
    return kExitOk;
  }
  if (first == "--version") {
    out.write("vestral " VESTRAL_VERSION "\n");
    out.flush();
    return kExitOk;
  }
  const CommandSpec* command = findCommand(commands, first);
  if (!command) {
    if (!first.empty() && first[0] == '-') return usage("unknown option \"" + first + "\"");
    return usage("unknown command \"" + first + "\"");
  }

  QCommandLineParser parser;
  parser.setApplicationDescription(
      QString::fromUtf8(command->summary.data(), static_cast<qsizetype>(command->summary.size())));
  const QCommandLineOption help({"h", "help"}, "Show this help.");
  const QCommandLineOption quiet({"q", "quiet"}, "Write no log.");
  const QCommandLineOption colour(
      "color", "Colour the log: auto (when standard output is a terminal), always or never.",
      "when", "auto");
  const QCommandLineOption db(
      "db", "The database file (default: the main database; `vestral --help` names it).", "FILE");
  const QCommandLineOption yes("yes", "Answer every question with Yes (or OK).");
  const QCommandLineOption no("no", "Answer every question with No (or Cancel).");
  parser.addOption(help);
  parser.addOption(quiet);
  parser.addOption(colour);
  if (command->features & CommandSpec::kDatabase) parser.addOption(db);
  if (command->features & CommandSpec::kQuestions) {
    parser.addOption(yes);
    parser.addOption(no);
  }
  if (command->addOptions) command->addOptions(parser);

  QStringList list{QStringLiteral("vestral")};
  for (size_t i = 1; i < args.size(); ++i) list << QString::fromStdString(args[i]);

  auto usageError = [&](const std::string& what) {
    return reportUsage(out, err, command->name, what);
  };
  if (!parser.parse(list)) return usageError(toUtf8(parser.errorText()));
  if (parser.isSet(help)) {
    printCommandHelp(*command, parser, out);
    out.flush();
    return kExitOk;
  }
  const QString when = parser.value(colour);
  if (when != u"auto" && when != u"always" && when != u"never")
    return usageError("--color takes auto, always or never, not \"" + toUtf8(when) + "\"");
  AnswerMode mode = AnswerMode::kAsk;
  if (command->features & CommandSpec::kQuestions) {
    if (parser.isSet(yes) && parser.isSet(no))
      return usageError("--yes and --no exclude each other");
    if (parser.isSet(yes)) mode = AnswerMode::kYes;
    if (parser.isSet(no)) mode = AnswerMode::kNo;
  }
  std::string databasePath;
  if (command->features & CommandSpec::kDatabase) {
    if (parser.isSet(db)) {
      databasePath = PathArgument(parser.value(db));
      if (databasePath.empty()) return usageError("--db needs a file name");
    } else {
      // A new user of an installed copy starts from the shipped database.
      if (const Status ready = PrepareMainDatabase(); !ready.ok()) {
        err.write("vestral: " + ready.ToString() + "\n");
        err.flush();
        return kExitFailure;
      }
      databasePath = MainDatabasePath();
    }
  }

  NullSink quietSink;
  std::unique_ptr<TerminalSink> terminalSink;
  if (!parser.isSet(quiet))
    terminalSink = std::make_unique<TerminalSink>(out, colourWanted(when, out));
  TerminalSink* sink = terminalSink.get();
  LogSink& log = sink ? static_cast<LogSink&>(*sink) : quietSink;
  TerminalQuestions questions(mode, streams.inIsTerminal, streams.in, err, [sink, &out] {
    if (sink) sink->pause();
    out.flush();
  });
  CommandContext run{*command,     parser, parser.positionalArguments(),
                     databasePath, log,    questions,
                     out,          err,    streams.in};
  run.exitFollows = streams.exitFollows;

  int status = kExitFailure;
  try {
    status = command->run(run);
  } catch (const std::exception& e) {
    status = run.fail(std::string("unexpected failure: ") + e.what());
  }
  if (sink) sink->pause();
  out.flush();
  if (out.failed() && status == kExitOk) {
    err.write("vestral: cannot write to standard output\n");
    status = kExitFailure;
  }
  err.flush();
  return status;
}

}  // namespace vestral
