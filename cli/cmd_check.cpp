#include "cli/command.h"
#include "editor/checker.h"
#include "log/operation_log.h"
#include "platform/codepage.h"
#include "platform/file_io.h"

namespace vestral {

namespace {

constexpr OptionSpec kOptions[] = {
    {"", "write",
     "Save the database back without the damaged entries, the previous file kept as FILE.bak. "
     "Without it the file is left as it was, and damage found gives status 1."},
};

int run(CommandContext& ctx) {
  if (!ctx.args.empty()) return ctx.usageError("check takes no arguments; name the file with --db");
  // A write holds the file from this read on, so no other writer's change is lost.
  FileLock lock;
  if (ctx.options.isSet("write"))
    if (const Status s = lock.lock(ctx.databasePath); !s.ok()) return ctx.fail(s.message());
  DtcDatabase db;
  if (!ReadDatabaseOrReport(ctx, ctx.databasePath, db)) return kExitFailure;
  const CheckResult result = CheckDatabase(db, ctx.log);
  if (result.removed == 0) return kExitOk;
  const std::string count = std::to_string(result.removed) +
                            (result.removed == 1 ? " damaged entry" : " damaged entries");
  // Without --write a script must still notice that the file holds damage.
  if (!ctx.options.isSet("write"))
    return ctx.fail(count + " in \"" + ctx.databasePath +
                    "\"; the file was left as it was (--write removes them)");
  if (const Status s = WriteDatabase(ctx.databasePath, db, {.keepBackup = true}); !s.ok())
    return ctx.fail(s.ToString() + "; the " + count + " stay in the file");
  if (!ctx.options.isSet("quiet"))
    ctx.out.write(Capitalized(ShownText(KeptCopyText(ctx.databasePath))) + "\n");
  return kExitOk;
}

}  // namespace

extern const CommandSpec kCheckCommand;  // listed in cli.cpp
const CommandSpec kCheckCommand{
    .name = "check",
    .synopsis = "[--db FILE] [--write]",
    .summary = "Check the database for damaged entries, as the editor's Check does",
    .features = CommandSpec::kDatabase,
    .options = kOptions,
    .arguments = {},
    .run = run,
};

}  // namespace vestral
