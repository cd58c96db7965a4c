#include "cli/command.h"
#include "editor/updater.h"
#include "lookup/default_notice.h"
#include "platform/program_paths.h"

namespace vestral {

namespace {

constexpr OptionSpec kOptions[] = {
    {"", "dry-run", "Ask and write nothing; list what a run would add, update, keep and report."},
};
constexpr ArgumentSpec kArguments[] = {
    {"NEW",
     "The newer default database. Without it: the default an installed copy ships, or the one "
     "a build makes beside its program (generic-codes.DAT), in the language the database was "
     "made in (its kept base tells: vestral-ru.DAT, generic-codes-ru.DAT for Russian first).",
     "[NEW]"},
};

int run(CommandContext& ctx) {
  if (ctx.args.size() > 1) return ctx.usageError("give at most one new default database");
  const std::string incoming =
      ctx.args.empty()
          ? DefaultOfSameLanguage(ctx.databasePath, CurrentProgramFiles().defaultDatabase)
          : ctx.args.front();
  if (incoming.empty())
    return ctx.usageError(ctx.args.empty()
                              ? "this copy has no default database beside it; name the new one"
                              : "the file name is empty");
  const UpdateResult r = UpdateDatabase(ctx.databasePath, incoming, ctx.options.isSet("dry-run"),
                                        ctx.log, ctx.questions);
  if (!r.done()) return ctx.fail(r.status.message());
  return kExitOk;
}

}  // namespace

extern const CommandSpec kUpdateCommand;  // listed in cli.cpp
const CommandSpec kUpdateCommand{
    .name = "update",
    .synopsis = "[--db FILE] [NEW] [--dry-run] [--yes|--no]",
    .summary = "Take a newer default database in, keeping the workshop's own changes",
    .features = CommandSpec::kDatabase | CommandSpec::kQuestions,
    .options = kOptions,
    .arguments = kArguments,
    .run = run,
};

}  // namespace vestral
