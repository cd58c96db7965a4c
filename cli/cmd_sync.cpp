#include <algorithm>

#include "cli/code_argument.h"
#include "cli/command.h"
#include "cli/entry_output.h"
#include "database/table_order.h"
#include "editor/synchronizer.h"

namespace vestral {

namespace {

constexpr OptionSpec kOptions[] = {
    {"", "direct",
     "Direct mode: an entry whose text or second text differs is replaced whole, each after a "
     "question. Without it the other description becomes the main entry's second text, after "
     "one question when that replaces non-empty second texts."},
    {"", "dry-run", "Write nothing; print what the merge would add, leave and change."},
};
constexpr ArgumentSpec kArguments[] = {
    {"OTHER", "The database file to merge into the main one.", ""},
};

std::string entries(int32_t n) { return std::to_string(n) + (n == 1 ? " entry" : " entries"); }

// The plan of one table: a heading with the counts, then one line per sync entry, and
// for a change both texts on lines of their own.
void writeTablePlan(TextOutput& out, const SyncTablePlan& t, bool direct) {
  const std::string letter(1, t.letter);
  out.write(letter + " base: " + entries(t.sizeBefore) + " before, " + std::to_string(t.sizeAfter) +
            " after; " + std::to_string(t.added.size()) + " added, " +
            std::to_string(t.identical.size()) + " identical, " + std::to_string(t.changed.size()) +
            " changed\n");
  auto head = [&](const char* word, const SyncPlanEntry& e) {
    out.write(word);
    WriteFlatCp1251(out, letter + e.code);
    out.write("  at " + std::to_string(e.mainIndex));
  };
  for (const SyncPlanEntry& e : t.added) {
    head("  added      ", e);
    out.write("  ");
    WriteFlatCp1251(out, e.syncText);
    out.write("\n");
  }
  for (const SyncPlanEntry& e : t.identical) {
    head("  identical  ", e);
    out.write("\n");
  }
  for (const SyncPlanEntry& e : t.changed) {
    head("  changed    ", e);
    out.write(direct ? "\n      main text:  " : "\n      extension:  ");
    WriteFlatCp1251(out, e.mainText);
    out.write(direct ? "\n      sync text:  " : "\n      becomes:    ");
    WriteFlatCp1251(out, e.syncText);
    if (direct && (!e.mainExtension.empty() || !e.syncExtension.empty())) {
      out.write("\n      main second text:  ");
      WriteFlatCp1251(out, e.mainExtension);
      out.write("\n      sync second text:  ");
      WriteFlatCp1251(out, e.syncExtension);
    }
    out.write("\n");
  }
}

// The non-empty second texts alternative value mode would replace: a run asks first.
int32_t replacedTexts(const SyncTablePlan& t) {
  return static_cast<int32_t>(
      std::count_if(t.changed.begin(), t.changed.end(),
                    [](const SyncPlanEntry& e) { return !e.mainText.empty(); }));
}

int dryRun(CommandContext& ctx, const std::string& otherPath, bool direct) {
  DatabaseFile main, sync;
  if (!ReadDatabaseOrReport(ctx, ctx.databasePath, main)) return kExitFailure;
  if (!ReadDatabaseOrReport(ctx, otherPath, sync)) return kExitFailure;
  ctx.out.write("Merging " + QuotedPath(otherPath) + " into " + QuotedPath(ctx.databasePath) +
                " in " + (direct ? "direct mode (each change asked)" : "alternative value mode") +
                " would do this; nothing was written.\n");
  int32_t replaced = 0;
  for (const char letter : kEditorTableOrder) {
    const SyncTablePlan plan =
        PlanSyncTable(*main.view().table(letter), *sync.view().table(letter), letter, direct);
    writeTablePlan(ctx.out, plan, direct);
    if (!direct) replaced += replacedTexts(plan);
  }
  if (replaced > 0)
    ctx.out.write("A run would replace " + std::to_string(replaced) +
                  " non-empty second texts (each \"extension\" above that is not empty) and "
                  "asks once before it does.\n");
  return kExitOk;
}

int run(CommandContext& ctx) {
  if (ctx.args.size() != 1)
    return ctx.usageError(ctx.args.empty() ? "no database to merge given"
                                           : "give exactly one database to merge");
  const std::string& otherPath = ctx.args.front();
  if (otherPath.empty()) return ctx.usageError("the file name is empty");
  const bool direct = ctx.options.isSet("direct");
  if (ctx.options.isSet("dry-run")) return dryRun(ctx, otherPath, direct);
  const SyncResult result =
      Synchronize(ctx.databasePath, otherPath, direct, ctx.log, ctx.questions);
  if (result.done()) return kExitOk;
  if (result.declined)
    return ctx.fail("\"" + ctx.databasePath + "\" was left as it was: replacing " +
                    std::to_string(result.replacedTexts) + " non-empty second texts was declined");
  if (result.otherUnreadable) return ctx.fail(result.status.message());
  return ctx.fail("\"" + ctx.databasePath + "\" was left as it was; the log tells why");
}

}  // namespace

extern const CommandSpec kSyncCommand;  // listed in cli.cpp
const CommandSpec kSyncCommand{
    .name = "sync",
    .synopsis = "[--db FILE] OTHER [--direct] [--dry-run] [--yes|--no]",
    .summary = "Merge another database file into the main one",
    .features = CommandSpec::kDatabase | CommandSpec::kQuestions,
    .options = kOptions,
    .arguments = kArguments,
    .run = run,
};

}  // namespace vestral
