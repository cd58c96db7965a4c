#include "cli/code_argument.h"
#include "cli/command.h"
#include "editor/entry_edit.h"
#include "log/operation_log.h"
#include "platform/codepage.h"

namespace vestral {

namespace {

constexpr ArgumentSpec kArguments[] = {
    {"CODE",
     "A code in hex form (0100) or letter form (P0100), any case; every entry with it goes.",
     "CODE..."},
};

std::string listed(const std::vector<std::string>& codes) {
  std::string s;
  for (const std::string& c : codes) s += (s.empty() ? "" : ", ") + c;
  return s;
}

int run(CommandContext& ctx) {
  if (ctx.args.empty()) return ctx.usageError("no code given");
  std::vector<std::string> codes;
  for (const std::string& arg : ctx.args) {
    CodeArgument c = ParseCodeArgument(arg);
    if (!c.ok()) return ctx.usageError(QuotedInput(arg) + " is not a code: " + c.problem);
    codes.push_back(std::move(c.letterForm));
  }
  const RemoveEntriesResult r = RemoveEntries(ctx.databasePath, codes, ctx.questions);
  if (!r.status.ok()) return ctx.fail(r.status.message());
  const std::string db = QuotedPath(ctx.databasePath);
  if (r.declined) return ctx.fail("nothing was removed from " + db);
  if (!r.removed.empty()) {
    ctx.out.write("Removed " + std::to_string(r.removed.size()) +
                  (r.removed.size() == 1 ? " entry" : " entries") + " from " + db + "; " +
                  ShownText(KeptCopyText(ctx.databasePath)) + "\n");
  }
  if (!r.absent.empty()) return ctx.fail("not in " + db + ": " + listed(r.absent));
  return kExitOk;
}

}  // namespace

extern const CommandSpec kRemoveCommand;  // listed in cli.cpp
const CommandSpec kRemoveCommand{
    .name = "remove",
    .synopsis = "[--db FILE] CODE... [--yes|--no]",
    .summary = "Remove entries after a question",
    .features = CommandSpec::kDatabase | CommandSpec::kQuestions,
    .options = {},
    .arguments = kArguments,
    .run = run,
};

}  // namespace vestral
