#include "cli/code_argument.h"
#include "cli/command.h"
#include "editor/entry_edit.h"
#include "log/operation_log.h"
#include "platform/codepage.h"

namespace vestral {

namespace {

constexpr OptionSpec kOptions[] = {
    {"", "ext",
     "The second text. Without --ext a changed entry keeps its own and a new one gets none; "
     "--ext '' empties it.",
     "TEXT"},
};
constexpr ArgumentSpec kArguments[] = {
    {"CODE", "The code in hex form (0100) or letter form (P0100), any case.", ""},
    {"TEXT",
     "The description, in quotes when it has several words (`--` before a text that starts "
     "with -).",
     ""},
};

// `typed` (UTF-8, as the command line gives it) in code page 1251; false, with the
// character the code page lacks named in `problem`, when it has none for it.
bool inCodePage(const char* which, const std::string& typed, std::string& out,
                std::string& problem) {
  if (Utf8ToCp1251Exactly(typed, out)) return true;
  const size_t at = FirstNotInCp1251(typed);
  char32_t c = 0;
  const size_t n = DecodeUtf8(std::string_view(typed).substr(at), c);
  if (n == 0) {
    problem =
        std::string("the ") + which + " is no UTF-8 text (byte " + std::to_string(at + 1) + ")";
    return false;
  }
  char hex[16];
  std::snprintf(hex, sizeof hex, "U+%04X", static_cast<unsigned>(c));
  problem = std::string("the ") + which + " holds '" + typed.substr(at, n) + "' (" + hex +
            "), a character code page 1251 lacks";
  return false;
}

int run(CommandContext& ctx) {
  if (ctx.args.size() != 2)
    return ctx.usageError(ctx.args.size() < 2
                              ? "give the code and its description"
                              : "give the code and one description (quote a text of "
                                "several words)");
  const CodeArgument code = ParseCodeArgument(ctx.args[0]);
  if (!code.ok())
    return ctx.usageError(QuotedInput(ctx.args[0]) + " is not a code: " + code.problem);
  EntryEdit edit{code.letterForm[0], code.letterForm.substr(1), {}, {}};
  std::string problem;
  if (!inCodePage("description", ctx.args[1], edit.text, problem)) return ctx.usageError(problem);
  if (ctx.options.isSet("ext")) {
    std::string extension;
    if (!inCodePage("second text", ctx.options.value("ext"), extension, problem))
      return ctx.usageError(problem);
    edit.extension = std::move(extension);
  }
  problem = EntryTextProblem(edit.text, edit.extension.value_or(""));
  if (!problem.empty()) return ctx.usageError(problem);

  const SetEntryResult r = SetEntry(ctx.databasePath, edit, ctx.questions);
  if (!r.status.ok()) return ctx.fail(r.status.message());
  const std::string in = " in " + QuotedPath(ctx.databasePath);
  const std::string kept = "; " + ShownText(KeptCopyText(ctx.databasePath)) + "\n";
  switch (r.outcome) {
    case EditOutcome::kAdded:
      ctx.out.write("Added " + code.letterForm + " to " + QuotedPath(ctx.databasePath) + kept);
      break;
    case EditOutcome::kChanged: ctx.out.write("Changed " + code.letterForm + in + kept); break;
    case EditOutcome::kUnchanged:
      ctx.out.write(code.letterForm + in + " already holds these texts; nothing was written\n");
      break;
    case EditOutcome::kDeclined: return ctx.fail(code.letterForm + in + " was left as it was");
  }
  return kExitOk;
}

}  // namespace

extern const CommandSpec kSetCommand;  // listed in cli.cpp
const CommandSpec kSetCommand{
    .name = "set",
    .synopsis = "[--db FILE] CODE TEXT [--ext TEXT] [--yes|--no]",
    .summary = "Add an entry, or change one after a question",
    .features = CommandSpec::kDatabase | CommandSpec::kQuestions,
    .options = kOptions,
    .arguments = kArguments,
    .run = run,
};

}  // namespace vestral
