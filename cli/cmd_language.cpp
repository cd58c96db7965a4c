#include "cli/code_argument.h"
#include "cli/command.h"
#include "database/text_language.h"
#include "editor/language_switch.h"
#include "log/operation_log.h"
#include "platform/codepage.h"

namespace vestral {

namespace {

constexpr ArgumentSpec kArguments[] = {
    {"LANGUAGE",
     "en: English titles as the descriptions, Russian as the second texts; ru: the other way "
     "round. Without it: which language the database holds first.",
     "[en|ru]"},
};

const char* nameOf(TextLanguage l) { return l == TextLanguage::Russian ? "ru" : "en"; }

int run(CommandContext& ctx) {
  if (ctx.args.size() > 1) return ctx.usageError("give one language: en or ru");
  const std::string db = QuotedPath(ctx.databasePath);
  if (ctx.args.empty()) {
    DatabaseFile file;
    if (!ReadDatabaseOrReport(ctx, ctx.databasePath, file)) return kExitFailure;
    ctx.out.write(std::string(nameOf(FirstLanguageOf(file.view()))) + "\n");
    return kExitOk;
  }
  const std::string& arg = ctx.args.front();
  if (arg != "en" && arg != "ru")
    return ctx.usageError(QuotedInput(arg) + " is no language; give en or ru");
  const TextLanguage language = arg == "ru" ? TextLanguage::Russian : TextLanguage::English;
  const SwitchLanguageResult r = SwitchLanguage(ctx.databasePath, language);
  if (!r.status.ok())
    return ctx.fail(r.status.message() + "; run the command again to finish the switch");
  ctx.out.write(db + " now holds " + (arg == "ru" ? "Russian" : "English") + " first: " +
                std::to_string(r.turned) + (r.turned == 1 ? " entry" : " entries") + " turned");
  if (r.databaseWritten) ctx.out.write("; " + ShownText(KeptCopyText(ctx.databasePath)));
  if (r.baseWritten) ctx.out.write("; its kept base turned too");
  ctx.out.write("\n");
  return kExitOk;
}

}  // namespace

extern const CommandSpec kLanguageCommand;  // listed in cli.cpp
const CommandSpec kLanguageCommand{
    .name = "language",
    .synopsis = "[--db FILE] [en|ru]",
    .summary = "Show or switch which language the database gives first, keeping every text",
    .features = CommandSpec::kDatabase,
    .options = {},
    .arguments = kArguments,
    .run = run,
};

}  // namespace vestral
