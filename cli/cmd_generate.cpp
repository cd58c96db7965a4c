#include "cli/command.h"
#include "database/dtc_database.h"
#include "editor/generator.h"

namespace vestral {

namespace {

constexpr ArgumentSpec kArguments[] = {
    {"SOURCE",
     "The source text, one entry a line (P0100 description| second text): code page 1251, or "
     "UTF-8, which is converted.",
     ""},
    {"DEST",
     "The database file to build; an existing one is replaced only after Yes, and kept as it "
     "was when the run fails.",
     ""},
};

int run(CommandContext& ctx) {
  if (ctx.args.size() != 2)
    return ctx.usageError(ctx.args.size() < 2 ? "give the source text and the database file"
                                              : "give exactly a source text and a database file");
  const std::string& source = ctx.args[0];
  const std::string& dest = ctx.args[1];
  if (source.empty() || dest.empty()) return ctx.usageError("a file name is empty");
  const GenerateResult result = Generate(source, dest, ctx.log, ctx.questions);
  if (result.done()) return kExitOk;
  if (result.declined) return ctx.fail("\"" + dest + "\" exists and was left as it was");
  // The log tells more; this line is for --quiet runs and for scripts reading stderr.
  const std::string& why = result.status.message();
  if (result.keptOld) return ctx.fail(why + "; the old database \"" + dest + "\" was kept");
  if (result.sourceUnreadable) return ctx.fail(why);
  return ctx.fail(why + "; no complete database was built in \"" + dest + "\"");
}

}  // namespace

extern const CommandSpec kGenerateCommand;  // listed in cli.cpp
const CommandSpec kGenerateCommand{
    .name = "generate",
    .synopsis = "SOURCE DEST [--yes|--no]",
    .summary = "Build a database file from a source text",
    .features = CommandSpec::kQuestions,
    .options = {},
    .arguments = kArguments,
    .run = run,
};

}  // namespace vestral
